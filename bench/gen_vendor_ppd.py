#!/usr/bin/env python3
"""Writes a large vendor PPD for the parse benchmarks.

400 flagged pick-one controls of 20 choices each, spread over property pages,
scroll panes and roll-downs, every choice with a multi-line PostScript value,
then 5,000 constraints between them. The output is deterministic (fixed seed),
about 2 MB, and in the form the feature document reads (the vendor lines as
in samples/TavroC750.ppd).

    python3 bench/gen_vendor_ppd.py OUT.ppd [--keys 400] [--choices 20] [--constraints 5000]
"""
import argparse
import random


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--keys", type=int, default=400)
    ap.add_argument("--choices", type=int, default=20)
    ap.add_argument("--constraints", type=int, default=5000)
    ap.add_argument("--seed", type=int, default=20240611)
    a = ap.parse_args()
    rng = random.Random(a.seed)
    pages = 4
    panes_per_page = 2
    rolls_per_pane = 5
    out = []
    w = out.append
    w('*PPD-Adobe: "4.3"\n')
    w("*% Generated for the parse benchmarks by bench/gen_vendor_ppd.py.\n")
    w('*FormatVersion: "4.3"\n*FileVersion: "1.0"\n*LanguageVersion: English\n')
    w('*LanguageEncoding: ISOLatin1\n*PCFileName: "BENCHV.PPD"\n*Manufacturer: "Tavro"\n')
    w('*Product: "(Tavro Bench)"\n*PSVersion: "(3010.106) 0"\n*ModelName: "Tavro Bench"\n')
    w('*ShortNickName: "Tavro Bench"\n*NickName: "Tavro Bench v1.0"\n')
    w('*%QZVersion: "1.0"\n*%QZFileVersion: 1.0.0\n')
    w('*ColorDevice: True\n*DefaultColorSpace: CMYK\n*LanguageLevel: "3"\n')
    w("*TTRasterizer: Type42\n*FileSystem: False\n*Throughput: \"50\"\n\n")
    rolls = []
    for p in range(pages):
        w(f"*%QZVPropPage PP{p}/Page {p}: True\n")
    for p in range(pages):
        for s in range(panes_per_page):
            w(f"*%QZVGroupName SP{p}_{s}/Pane {p}.{s}: True\n")
            for r in range(rolls_per_pane):
                name = f"FP{p}_{s}_{r}"
                w(f"*%QZVGroupName {name}/Roll-down {p}.{s}.{r}: True\n")
                rolls.append((name, f"SP{p}_{s}"))
    for p in range(pages):
        for s in range(panes_per_page):
            w(f"*%QZVParent SP{p}_{s}/PP{p}: True|Scrollpane\n")
    for name, pane in rolls:
        w(f"*%QZVParent {name}/{pane}: True|Rolldown\n")
    w("\n")
    for k in range(a.keys):
        key = f"QZKey{k:03d}"
        roll = rolls[k % len(rolls)][0]
        w(f'*%QZVFlags *{key}: "Quick"\n')
        w(f"*%QZVGroup *{key} {roll}:\n")
        w(f"*OpenUI *{key}/Benchmark Key {k}: PickOne\n")
        w(f"*OrderDependency: {10 + k % 50} AnySetup *{key}\n")
        w(f"*Default{key}: Opt00\n")
        for o in range(a.choices):
            w(f'*{key} Opt{o:02d}/Choice {o} of key {k}: "\n')
            w(f"  << /{key} {o} /QZBenchValue ({key}-{o:02d}) >> setpagedevice\n")
            w(f"  currentpagedevice /{key} known {{ /QZBenchSeen true def }} if\n")
            w(f"  userdict /QZBench{k} {o} put\"\n*End\n")
        w(f"*CloseUI: *{key}\n\n")
    seen = set()
    while len(seen) < a.constraints:
        k1 = rng.randrange(a.keys)
        k2 = rng.randrange(a.keys)
        if k1 == k2:
            continue
        o1 = rng.randrange(a.choices)
        o2 = 0 if rng.randrange(2) else rng.randrange(a.choices)
        if o1 == 0 and o2 == 0:
            continue
        t = (k1, o1, k2, o2)
        if t in seen:
            continue
        seen.add(t)
        w(f"*UIConstraints: *QZKey{k1:03d} Opt{o1:02d} *QZKey{k2:03d} Opt{o2:02d}\n")
    w("*% End of generated PPD\n")
    with open(a.out, "w", encoding="latin-1", newline="\n") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
