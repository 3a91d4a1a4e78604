#!/usr/bin/env python3
"""Prints bench/run.sh's results as markdown tables.

    python3 bench/report.py OUT_DIR FILE...

OUT_DIR holds parse.json and constraints.json (tavro_bench, JSON) and
counts.tsv (file, reader, instructions, peak RSS in KB); FILE... are the
parsed files in table order.
"""
import json
import os
import sys


def label(path, out_dir):
    name = os.path.basename(path)
    if os.path.abspath(path) == os.path.abspath(os.path.join(out_dir, "generated.ppd")):
        return "generated"
    if name == "TavroC750.ppd":
        return "sample"
    return name


def main():
    out_dir, files = sys.argv[1], sys.argv[2:]
    with open(os.path.join(out_dir, "parse.json")) as f:
        parse = json.load(f)["benchmarks"]
    seconds = {}
    for b in parse:
        if b.get("aggregate_name") != "median":
            continue
        _, reader, rest = b["run_name"].split("/", 2)
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        seconds[(reader, rest)] = b["real_time"] * scale
    counts = {}
    with open(os.path.join(out_dir, "counts.tsv")) as f:
        for line in f:
            path, reader, ir, rss = line.rstrip("\n").split("\t")
            counts[(path, reader)] = (int(ir or 0), int(rss or 0))

    print("| file | size | libcups s/run | ours s/run | ours/libcups (time) | libcups MB/s "
          "| ours MB/s | libcups instr/byte | ours instr/byte | ours/libcups (instr) "
          "| libcups peak MB | ours peak MB |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for path in files:
        name = label(path, out_dir)
        size = os.path.getsize(path)
        cups, ours = seconds.get(("libcups", name)), seconds.get(("ours", name))
        ir_c, rss_c = counts.get((path, "libcups"), (0, 0))
        ir_o, rss_o = counts.get((path, "ours"), (0, 0))
        _, rss_n = counts.get((path, "none"), (0, 0))

        def mbs(s):
            return f"{size / s / 1e6:.0f}" if s else "n/a"

        def sec(s):
            return f"{s:.6f}" if s else "n/a"

        ratio = f"{ours / cups:.2f}" if cups and ours else "n/a"
        ipb_c = f"{ir_c / size:.0f}" if ir_c else "n/a"
        ipb_o = f"{ir_o / size:.0f}" if ir_o else "n/a"
        iratio = f"{ir_o / ir_c:.2f}" if ir_c and ir_o else "n/a"
        # Peak resident size above the same driver reading nothing.
        peak_c = f"{(rss_c - rss_n) / 1024:.1f}" if rss_c else "n/a"
        peak_o = f"{(rss_o - rss_n) / 1024:.1f}" if rss_o else "n/a"
        print(f"| {name} | {size / 1e6:.2f} MB | {sec(cups)} | {sec(ours)} | {ratio} | {mbs(cups)} "
              f"| {mbs(ours)} | {ipb_c} | {ipb_o} | {iratio} | {peak_c} | {peak_o} |")

    with open(os.path.join(out_dir, "constraints.json")) as f:
        c = [b for b in json.load(f)["benchmarks"] if "ConstraintSweepDocument" in b["name"]]
    print()
    if c and "ours_s_per_sweep" in c[0]:
        b = c[0]
        print("| constraint check, generated PPD | ours (IsKVConstrained) "
              "| libcups (ppdMarkOption + ppdConflicts + restore) | libcups/ours |")
        print("|---|---|---|---|")
        print(f"| every choice of every pop-up ({b['choices']:.0f} / {b['libcups_choices']:.0f}), "
              f"s per sweep | {b['ours_s_per_sweep']:.6f} | {b['libcups_s_per_sweep']:.3f} "
              f"| {b['libcups_over_ours']:.0f}x |")
        print(f"| per choice, µs | {b['ours_us_per_choice']:.3f} | {b['libcups_us_per_choice']:.1f} | |")
        print(f"| choices found constrained | {b['ours_constrained']:.0f} "
              f"| {b['libcups_conflicted']:.0f} | |")
    else:
        print("constraint sweep: no result")
    print()
    print("Peak MB: peak resident size of tavro_parse_once after one parse, minus the same "
          "driver reading nothing. Instructions: callgrind, the parse call only.")


if __name__ == "__main__":
    main()
