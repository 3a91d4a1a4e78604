#!/usr/bin/env python3
"""The report of tools/robustness.sh as markdown.

    python3 tools/robustness_report.py OUT_DIR [ELAPSED_SECONDS]

Reads OUT_DIR/results.tsv (tavro-robust's lines), failures.txt and
stderr.log. Identity keywords are compared with libcups: PC file name, model
name and language version with its ppd_file_t fields, the language encoding
with its LanguageEncoding attribute (the field always says UTF-8: libcups
converts every text to UTF-8). Each mismatch is put down to a cause.
"""
import collections
import os
import re
import sys

FIELDS = ["PC file name", "model name", "language version", "language encoding"]


def unescape(text):
    if text == "\\N":
        return None
    out = bytearray()
    i = 0
    while i < len(text):
        if text[i] == "\\" and text[i + 1 : i + 2] == "\\":
            out += b"\\"
            i += 2
        elif text[i] == "\\" and text[i + 1 : i + 2] == "x":
            out.append(int(text[i + 2 : i + 4], 16))
            i += 4
        else:
            out += text[i].encode()
            i += 1
    return bytes(out)


def latin1_to_utf8(b):
    return b.decode("latin-1").encode("utf-8")


KEYWORDS = {"PC file name": b"*PCFileName", "model name": b"*ModelName",
            "language version": b"*LanguageVersion", "language encoding": b"*LanguageEncoding"}


def cause(field, ours, cups, path):
    """Why our reading of a keyword differs from libcups's."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        data = b""
    if not data.startswith(b'*PPD-Adobe: "4.3"'):
        return 'header is not *PPD-Adobe: "4.3": we read no line'
    marker = data.find(b"\n*% End of PPD file")
    keyword = data.rfind(b"\n" + KEYWORDS[field])
    if marker >= 0 and keyword > marker:
        return "keyword after the end-of-PPD line: we read no further"
    if cups is None and ours is not None:
        return "libcups keeps no value"
    if ours is None and cups is not None:
        if cups == b"":
            return "empty value: we keep none"
        return "we read no value"
    if ours is not None and cups is not None:
        if latin1_to_utf8(ours) == cups and ours != cups:
            return "libcups converts the text to UTF-8; we keep the PPD's bytes"
        if ours.strip(b" \t") == cups.strip(b" \t"):
            return "white space at the ends"
    return "other"


def short(path):
    """The path from the package's folder on."""
    parts = path.split(os.sep)
    for i, part in enumerate(parts):
        if part in ("openprinting-ppds", "hplip-data", "foomatic-db-compressed-ppds"):
            return "/".join(parts[i:])
    return path


def main():
    out_dir = sys.argv[1]
    elapsed = float(sys.argv[2]) if len(sys.argv) > 2 else None
    files = 0
    crashed = []
    slowest = (0, "")
    total_us = 0
    error_counts = collections.Counter()
    error_files = collections.Counter()
    cups_failed = collections.Counter()
    mismatches = collections.defaultdict(list)
    with open(os.path.join(out_dir, "results.tsv"), encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            files += 1
            path = unescape(parts[0]).decode("utf-8", "replace") if parts[0] != "\\N" else "?"
            if len(parts) < 16:
                crashed.append(path)
                continue
            us = int(parts[1])
            total_us += us
            if us > slowest[0]:
                slowest = (us, path)
            if parts[2] != "-":
                for item in parts[2].split(","):
                    name, count = item.rsplit("=", 1)
                    error_counts[name] += int(count)
                    error_files[name] += 1
            ours = [unescape(v) for v in parts[3:7]]
            cups_fields = [unescape(v) for v in parts[7:11]]
            cups_attrs = [unescape(v) for v in parts[11:15]]
            status = parts[15]
            if status != "ok":
                cups_failed[re.sub(r"@\d+$", "", status)] += 1
                continue
            cups = cups_fields[:3] + [cups_attrs[3]]
            for i, field in enumerate(FIELDS):
                if ours[i] != cups[i]:
                    mismatches[(field, cause(field, ours[i], cups[i], path))].append(
                        (path, ours[i], cups[i]))

    failures = []
    fpath = os.path.join(out_dir, "failures.txt")
    if os.path.exists(fpath):
        failures = [l.rstrip("\n") for l in open(fpath) if l.strip()]
    stderr = ""
    spath = os.path.join(out_dir, "stderr.log")
    if os.path.exists(spath):
        stderr = open(spath, errors="replace").read()
    asan = stderr.count("ERROR: AddressSanitizer") + stderr.count("ERROR: LeakSanitizer")
    ubsan = len(re.findall(r"runtime error:", stderr))
    hangs = len(re.findall(r"^HANG ", stderr, re.M))

    print(f"Files read: {files}" + (f" in {elapsed:.0f} s" if elapsed else "")
          + f" (parse time {total_us / 1e6:.1f} s in the sanitizer build)")
    print(f"Crashes or aborts: {len(failures)}; hangs: {hangs}; AddressSanitizer/LeakSanitizer "
          f"reports: {asan}; UBSan reports: {ubsan}")
    for f in failures:
        print(f"- {short(f)}")
    print(f"Slowest file: {short(slowest[1])} ({slowest[0] / 1e3:.1f} ms, sanitizer build)"
          if slowest[1] else "Slowest file: none")
    print()
    print("| error (name:code) | count | files |")
    print("|---|---|---|")
    for name, count in sorted(error_counts.items(), key=lambda kv: (-kv[1], kv[0])):
        print(f"| {name} | {count} | {error_files[name]} |")
    print()
    if cups_failed:
        print("libcups could not open: " + ", ".join(f"{k} ({v})" for k, v in cups_failed.items()))
        print()
    n = sum(len(v) for v in mismatches.values())
    print(f"Identity keywords against libcups: {n} mismatches")
    if mismatches:
        print()
        print("| keyword | cause | files | example (ours / libcups) |")
        print("|---|---|---|---|")
        for (field, why), items in sorted(mismatches.items(), key=lambda kv: -len(kv[1])):
            path, o, c = items[0]

            def show(v):
                return "none" if v is None else repr(v.decode("latin-1"))

            print(f"| {field} | {why} | {len(items)} | {short(path)}: "
                  f"{show(o)} / {show(c)} |")


if __name__ == "__main__":
    main()
