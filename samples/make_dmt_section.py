#!/usr/bin/env python3
"""Prints the "*DMT_Injection" data section of samples/TavroC750.ppd.

The section is the XML as 32-bit wide characters (little-endian, as the
panel reads them), deflated at level 9, cut into 158-byte pieces, each
Base64-encoded on a line "*DMT_Injection%04x: ", then an empty end piece:
the same bytes as the data-file writer produces (a test checks this).

    python3 samples/make_dmt_section.py samples/dmt-ui-modification.xml
"""
import base64
import sys
import zlib

PIECE = 158


def section(name: str, payload: bytes) -> str:
    packed = zlib.compress(payload, 9)
    lines = []
    for piece, at in enumerate(range(0, len(packed), PIECE)):
        encoded = base64.b64encode(packed[at:at + PIECE]).decode("ascii")
        lines.append("%s%04x: %s\n" % (name, piece, encoded))
    lines.append("%s%04x: \n" % (name, len(lines)))
    return "".join(lines)


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        xml = f.read().rstrip("\n")
    sys.stdout.write(section("*DMT_Injection", xml.encode("utf-32-le")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
