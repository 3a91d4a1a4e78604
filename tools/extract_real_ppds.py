#!/usr/bin/env python3
"""Extracts every PPD of Debian's self-extracting PPD archives once.

Each archive under /usr/lib/cups/driver/ (openprinting-ppds, hplip-data,
foomatic-db-compressed-ppds) is a script with two subcommands: `list` names
its PPDs and `cat NAME` prints one. `cat` decompresses the archive from its
start for every file, which for the 700 MB openprinting archive means hours
for all of them. So this reads the names from `list`, then does what `cat`
does for all names in one pass: it loads the archive's own code (its load()
gives the index of offsets and lengths), decompresses the archive once and
cuts every file out in offset order. A few files of each archive are checked
byte for byte against the real `cat NAME`.

    python3 tools/extract_real_ppds.py OUT_DIR [ARCHIVE...]

Writes OUT_DIR/<archive>/<path inside the archive> and OUT_DIR/files.txt
(every extracted file, sorted). Exits 1 when a check fails.
"""
import base64
import lzma
import os
import shlex
import subprocess
import sys

DRIVER_DIR = "/usr/lib/cups/driver"
DEFAULT_ARCHIVES = ["openprinting-ppds", "hplip-data", "foomatic-db-compressed-ppds"]
CHUNK = 20_000_000


def cat_key(uri):
    """The index key that `cat URI` looks up (the archive's own rule)."""
    ppd = uri.split(":")[-1]
    return "0/" + ppd[ppd.find("/") + 1:]


def listed_uris(archive_path):
    out = subprocess.run([archive_path, "list"], check=True, capture_output=True).stdout
    uris = []
    for line in out.decode("utf-8", "replace").splitlines():
        if line.strip():
            uris.append(shlex.split(line)[0])
    return uris


def load_archive_module(archive_path):
    with open(archive_path, encoding="ascii", errors="replace") as f:
        source = f.read()
    namespace = {"__name__": "tavro_ppd_archive", "__file__": archive_path}
    exec(compile(source, archive_path, "exec"), namespace)
    return namespace


def extract(archive, out_dir):
    path = os.path.join(DRIVER_DIR, archive)
    uris = listed_uris(path)
    module = load_archive_module(path)
    index = module["load"]()  # the archive's own index: key -> [start, length, names]
    data = base64.b64decode(index["ARCHIVE"].encode("ascii"))
    uri_of = {}
    for u in uris:
        uri_of.setdefault(cat_key(u), u)
    keys = sorted(uri_of)
    missing = [k for k in keys if k not in index]
    entries = sorted((index[k][0], index[k][1], k) for k in keys if k in index)
    decompressor = lzma.LZMADecompressor()
    buf = bytearray()
    base = 0
    pending = data
    written = []
    for start, length, key in entries:
        while base + len(buf) < start + length and not decompressor.eof:
            buf += decompressor.decompress(pending, CHUNK)
            pending = b""
        if start > base:
            del buf[: start - base]
            base = start
        body = bytes(buf[start - base : start - base + length])
        rel = key[2:]  # without "0/"
        target = os.path.join(out_dir, archive, rel)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(body)
        written.append((target, key, uri_of[key]))
    return uris, written, missing


def check_against_cat(archive, written, picks):
    path = os.path.join(DRIVER_DIR, archive)
    bad = 0
    for i in picks:
        if not 0 <= i < len(written):
            continue
        target, key, uri = written[i]
        real = subprocess.run([path, "cat", uri], check=True, capture_output=True).stdout
        with open(target, "rb") as f:
            mine = f.read()
        if real != mine:
            print(f"extract: {archive}: {key} differs from `cat {uri}`", file=sys.stderr)
            bad += 1
    return bad


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = sys.argv[1]
    archives = sys.argv[2:] or DEFAULT_ARCHIVES
    all_files = []
    bad = 0
    for archive in archives:
        if not os.path.exists(os.path.join(DRIVER_DIR, archive)):
            print(f"extract: {archive} is not installed", file=sys.stderr)
            return 1
        uris, written, missing = extract(archive, out_dir)
        for key in missing:
            print(f"extract: {archive}: listed {key} is not in the archive", file=sys.stderr)
        # The first files and (for the smaller archives, where `cat` is quick)
        # the last one, against the archive's own `cat`.
        picks = [0, 1] if archive == "openprinting-ppds" else [0, 1, len(written) - 1]
        bad += check_against_cat(archive, written, picks)
        print(f"extract: {archive}: {len(uris)} listed names, {len(written)} files")
        all_files += [w[0] for w in written]
    with open(os.path.join(out_dir, "files.txt"), "w") as f:
        for name in sorted(all_files):
            f.write(name + "\n")
    print(f"extract: {len(all_files)} files; {bad} differ from `cat`")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
