#!/usr/bin/env python3
"""Parsing and summaries for bench/run.sh.

  report.py record  --results FILE --log LOG --msg MSG --time TIMEV --floor LINE
                    [--sim-time TIMEV] key=value ...
      Reads one run: the lap times of the study's log, the peak memory and wall
      time of `/usr/bin/time -v`, the I/O floor line of io_floor (and sim_text's
      `/usr/bin/time -v` output), appends one JSON record to FILE and prints a
      one-line digest of the run.

  report.py summary --results FILE --config NAME
      Minimum, median and maximum of every figure over the runs of one
      workload, and the ratios of the minimums.

  report.py table   --results FILE
      One line per workload with the minimum figures.

  report.py targets --results FILE
      Every target of the workloads in FILE: its figure and whether it holds.

Noise on a shared machine only ever adds time, so the figures compared are
the minimums over the runs of one sitting (one FILE): a ratio is the minimum
of one time over the minimum of the other. Peak memory is taken from the run
that used the most. The study's time against the I/O floor is the sum of its
log's laps; against sim_text it is its wall time, like sim_text's.
"""

import argparse
import json
import re
import statistics
import sys

# Lap entries of the log, in order: (message key, short name).
STEPS = [
    ("log_files_loaded", "load"),
    ("log_files_preprocessed", "pre"),
    ("log_extracted_chunks", "extract"),
    ("log_vocabularies_compared", "compare"),
    ("log_study_saved", "save"),
]
LAP_LINE = re.compile(
    r"^\(\d+\) \d{4}-\d\d-\d\d \d\d:\d\d:\d\d: (.*) \[(\d+):(\d\d):(\d\d)\.(\d+)\]$")


def read_messages(path):
    texts = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("//") or "=" not in line:
                continue
            key, _, value = line.partition("=")
            texts[key.strip()] = value
    return texts


def read_laps(log_path, msg_path):
    texts = read_messages(msg_path)
    by_text = {texts.get(key, key): name for key, name in STEPS}
    laps = {}
    with open(log_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = LAP_LINE.match(line.rstrip("\n"))
            if not m or m.group(1) not in by_text:
                continue
            h, mi, s, frac = m.group(2), m.group(3), m.group(4), m.group(5)
            seconds = int(h) * 3600 + int(mi) * 60 + int(s) + int(frac) / 10 ** len(frac)
            laps[by_text[m.group(1)]] = seconds
    return laps


def read_time_v(path):
    """Wall seconds, CPU seconds (user + system), peak RSS in MiB and exit
    status from `/usr/bin/time -v`."""
    wall = rss = status = None
    cpu = 0.0
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.strip()
            if line.startswith("User time (seconds):") or line.startswith("System time (seconds):"):
                cpu += float(line.rsplit(" ", 1)[1])
            elif line.startswith("Elapsed (wall clock) time"):
                value = line.rsplit(" ", 1)[1]
                parts = [float(p) for p in value.split(":")]
                wall = 0.0
                for p in parts:
                    wall = wall * 60 + p
            elif line.startswith("Maximum resident set size (kbytes):"):
                rss = int(line.rsplit(" ", 1)[1]) / 1024
            elif line.startswith("Exit status:"):
                status = int(line.rsplit(" ", 1)[1])
    return wall, cpu, rss, status


def parse_floor(line):
    if line == "none":  # run.sh --no-floor
        return {key: None for key in ("read_s", "write_s", "floor_cpu", "in_files", "in_bytes",
                                      "out_files", "out_bytes")}
    values = dict(item.split("=", 1) for item in line.split())
    return {
        "read_s": float(values["read_s"]),
        "write_s": float(values["write_s"]),
        "floor_cpu": float(values["read_cpu_s"]) + float(values["write_cpu_s"]),
        "in_files": int(values["read_files"]),
        "in_bytes": int(values["read_bytes"]),
        "out_files": int(values["write_files"]),
        "out_bytes": int(values["write_bytes"]),
    }


def fmt_s(x):
    if x is None:
        return "-"
    return f"{x:.2f}" if x < 100 else f"{x:.0f}"


def fmt_ratio(x):
    if x is None:
        return "-"
    if x < 10:
        return f"{x:.2f}"
    return f"{x:.1f}" if x < 100 else f"{x:.0f}"


def record(args):
    meta = {}
    for item in args.meta:
        key, _, value = item.partition("=")
        try:
            meta[key] = int(value)
        except ValueError:
            meta[key] = value
    laps = read_laps(args.log, args.msg)
    wall, cpu, rss, status = read_time_v(args.time)
    rec = dict(meta)
    rec.update({name: laps.get(name) for _, name in STEPS})
    missing = [name for _, name in STEPS if laps.get(name) is None]
    if meta.get("mode") == 1 and missing == ["compare"]:
        rec["compare"] = 0.0
        missing = []
    rec["study"] = sum(laps.values()) if not missing else None
    rec["wall"] = wall
    rec["cpu"] = cpu
    rec["rss_mib"] = rss
    rec["exit"] = status
    rec.update(parse_floor(args.floor))
    measured = rec["read_s"] is not None
    rec["floor"] = rec["read_s"] + rec["write_s"] if measured else None
    study = rec["study"] if rec["study"] is not None else wall
    rec["ratio"] = over(study, rec["floor"])
    rec["cpu_ratio"] = over(cpu, rec["floor_cpu"])
    pairs = rec.get("pairs") or 0
    # Laps have a resolution of 10 ms: a zero lap gives no per-pair figure.
    rec["us_per_pair"] = rec["compare"] * 1e6 / pairs if pairs and rec["compare"] else None
    rec["sim_wall"] = rec["sim_rss_mib"] = rec["sim_ratio"] = rec["vs_sim"] = None
    if args.sim_time:
        sim_wall, _, sim_rss, _ = read_time_v(args.sim_time)
        rec["sim_wall"] = sim_wall
        rec["sim_rss_mib"] = sim_rss
        rec["sim_ratio"] = over(sim_wall, rec["floor"])
        rec["vs_sim"] = wall / sim_wall if sim_wall and wall is not None else None
    with open(args.results, "a", encoding="utf-8") as f:
        f.write(json.dumps(rec) + "\n")

    steps = " + ".join(f"{name} {fmt_s(rec[name])}" for _, name in STEPS)
    line = f"  run {rec.get('run', '?')}: study {fmt_s(rec['study'])} s (wall {fmt_s(wall)}) = {steps}"
    if measured:
        line += (f" | floor {rec['floor']:.3f} s (read {rec['read_s']:.4f} + write {rec['write_s']:.3f})"
                 f" | study/floor {fmt_ratio(rec['ratio'])} (CPU {fmt_ratio(rec['cpu_ratio'])})")
    else:
        line += " | floor not measured"
    line += f" | peak {rss:.0f} MiB"
    if rec["us_per_pair"] is not None:
        line += f" | compare {rec['us_per_pair']:.1f} us/pair" if rec["us_per_pair"] < 100 \
            else f" | compare {rec['us_per_pair']:.0f} us/pair"
    if rec["sim_wall"] is not None:
        line += (f" | sim_text {fmt_s(rec['sim_wall'])} s, {rec['sim_rss_mib']:.0f} MiB,"
                 f" study/sim_text {fmt_ratio(rec['vs_sim'])}")
    if missing:
        line += f" | lap entries missing: {', '.join(missing)}"
    print(line)


def load(path, config=None):
    records = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip():
                rec = json.loads(line)
                if config is None or rec.get("config") == config:
                    records.append(rec)
    return records


SUMMARY_ROWS = [
    ("study", "study time, s (sum of laps)", fmt_s),
    ("wall", "wall time, s", fmt_s),
    ("floor", "I/O floor, s", lambda x: f"{x:.3f}"),
    ("read_s", "  read inputs, s", lambda x: f"{x:.4f}"),
    ("write_s", "  write outputs, s", lambda x: f"{x:.3f}"),
    ("ratio", "study / floor, per run", fmt_ratio),
    ("cpu", "study CPU (user+sys), s", fmt_s),
    ("floor_cpu", "floor CPU (user+sys), s", lambda x: f"{x:.3f}"),
    ("cpu_ratio", "study CPU / floor CPU", fmt_ratio),
    ("load", "step load, s", fmt_s),
    ("pre", "step pre-process, s", fmt_s),
    ("extract", "step extract, s", fmt_s),
    ("compare", "step compare, s", fmt_s),
    ("save", "step save, s", fmt_s),
    ("us_per_pair", "compare per pair, us", lambda x: f"{x:.1f}" if x < 100 else f"{x:.0f}"),
    ("rss_mib", "peak memory, MiB", lambda x: f"{x:.0f}"),
    ("sim_wall", "sim_text -p wall, s", fmt_s),
    ("sim_rss_mib", "sim_text peak memory, MiB", lambda x: f"{x:.0f}"),
    ("sim_ratio", "sim_text / floor", fmt_ratio),
    ("vs_sim", "study wall / sim_text, per run", fmt_ratio),
]


def values_of(records, key):
    return [r[key] for r in records if r.get(key) is not None]


def lowest(records, key):
    vals = values_of(records, key)
    return min(vals) if vals else None


def highest(records, key):
    vals = values_of(records, key)
    return max(vals) if vals else None


def study_time(rec):
    return rec["study"] if rec.get("study") is not None else rec.get("wall")


def over(a, b):
    return a / b if a is not None and b else None


def figures(records):
    """The figures of one workload that its targets and the table compare."""
    study = min((study_time(r) for r in records if study_time(r) is not None), default=None)
    pairs = records[0].get("pairs") or 0
    compare = lowest(records, "compare")
    return {
        "study": study,
        "floor": lowest(records, "floor"),
        "ratio": over(study, lowest(records, "floor")),
        "cpu_ratio": over(lowest(records, "cpu"), lowest(records, "floor_cpu")),
        "wall": lowest(records, "wall"),
        "sim_wall": lowest(records, "sim_wall"),
        "vs_sim": over(lowest(records, "wall"), lowest(records, "sim_wall")),
        "us_per_pair": compare * 1e6 / pairs if pairs and compare else None,
        "rss_mib": highest(records, "rss_mib"),
    }


def summary(args):
    records = load(args.results, args.config)
    if not records:
        print("  (no runs recorded)")
        return
    first = records[0]
    print(f"  {args.config}: {first['docs']} docs x {first['words']} words, mode {first['mode']}, "
          f"{first['pairs']} pairs, {len(records)} run(s)" +
          (f"; input {first['in_bytes'] / 2**20:.1f} MiB, "
           f"output {first['out_files']} files, {first['out_bytes'] / 2**20:.1f} MiB"
           if first.get("in_bytes") is not None else "; I/O floor not measured"))
    print(f"  {'':32} {'min':>9} {'median':>9} {'max':>9}")
    for key, label, fmt in SUMMARY_ROWS:
        vals = values_of(records, key)
        if not vals:
            continue
        print(f"  {label:32} {fmt(min(vals)):>9} {fmt(statistics.median(vals)):>9} {fmt(max(vals)):>9}")
    f = figures(records)
    print(f"  {'study / floor, of minimums':32} {fmt_ratio(f['ratio']):>9}")
    print(f"  {'study CPU / floor CPU, of mins':32} {fmt_ratio(f['cpu_ratio']):>9}")
    if f["vs_sim"] is not None:
        print(f"  {'study wall / sim_text, of mins':32} {fmt_ratio(f['vs_sim']):>9}")


def table(args):
    records = load(args.results)
    configs = []
    for r in records:
        if r["config"] not in configs:
            configs.append(r["config"])
    cols = [("workload", 10), ("docs", 5), ("words", 8), ("mode", 4), ("pairs", 7), ("runs", 4),
            ("study s", 8), ("floor s", 8), ("ratio", 6), ("cpu rat", 7), ("load", 6), ("pre", 6),
            ("extract", 7), ("compare", 7), ("save", 6), ("us/pair", 7), ("MiB", 6),
            ("sim_text s", 10), ("study/sim", 9)]
    print(" ".join(f"{name:>{w}}" if i else f"{name:<{w}}" for i, (name, w) in enumerate(cols)))

    def show(x, fmt):
        return fmt(x) if x is not None else "-"

    for config in configs:
        rs = [r for r in records if r["config"] == config]
        first = rs[0]
        f = figures(rs)
        cells = [config, str(first["docs"]), str(first["words"]), str(first["mode"]),
                 str(first["pairs"]), str(len(rs)),
                 show(f["study"], fmt_s), show(f["floor"], lambda x: f"{x:.3f}"),
                 show(f["ratio"], fmt_ratio), show(f["cpu_ratio"], fmt_ratio),
                 show(lowest(rs, "load"), fmt_s), show(lowest(rs, "pre"), fmt_s),
                 show(lowest(rs, "extract"), fmt_s), show(lowest(rs, "compare"), fmt_s),
                 show(lowest(rs, "save"), fmt_s),
                 show(f["us_per_pair"], lambda x: f"{x:.1f}" if x < 100 else f"{x:.0f}"),
                 show(f["rss_mib"], lambda x: f"{x:.0f}"),
                 show(f["sim_wall"], fmt_s), show(f["vs_sim"], fmt_ratio)]
        print(" ".join(f"{c:>{w}}" if i else f"{c:<{w}}" for i, (c, (_, w)) in enumerate(zip(cells, cols))))


# The targets: (workload, what, figure of the workload's figures, limit, unit).
# A figure of the scale workload reads the figures of all its sizes.
TARGETS = [
    ("W1", "study time / I/O floor", lambda f: f["W1"]["ratio"], 1.0, ""),
    ("W1", "peak memory", lambda f: f["W1"]["rss_mib"], 160, " MiB"),
    ("W2", "study time / I/O floor", lambda f: f["W2"]["ratio"], 5.0, ""),
    ("W3", "study time / sim_text -p time", lambda f: f["W3"]["vs_sim"], 1.0, ""),
    ("W3", "peak memory", lambda f: f["W3"]["rss_mib"], 400, " MiB"),
    ("scale", "compare per pair, N=2000 / N=250",
     lambda f: over(f["N=2000"]["us_per_pair"], f["N=250"]["us_per_pair"]), 1.5, ""),
    ("scale", "peak memory at N=2000", lambda f: f["N=2000"]["rss_mib"], 1024, " MiB"),
    ("W1R", "study time / sim_text -p time", lambda f: f["W1R"]["vs_sim"], 1.0, ""),
]
SCALE_SIZES = ["N=250", "N=500", "N=1000", "N=2000"]


def targets(args):
    records = load(args.results)
    by_config = {}
    for r in records:
        by_config.setdefault(r["config"], []).append(r)
    figs = {config: figures(rs) for config, rs in by_config.items()}
    present = set(figs)
    if any(size in present for size in SCALE_SIZES):
        present.add("scale")
    shown = 0
    for workload, what, figure, limit, unit in TARGETS:
        if workload not in present:
            continue
        shown += 1
        try:
            value = figure(figs)
        except KeyError:
            value = None
        bound = f"at most {limit:g}{unit}" if unit else f"at most {limit:.1f}"
        if value is None:
            verdict = "not measured"
            if "sim_text" in what:
                verdict += " (sim_text not timed)"
            elif workload == "scale":
                verdict += " (needs N=250 and N=2000)"
            shown_value = "-"
        else:
            verdict = "holds" if value <= limit else "MISSED"
            shown_value = f"{value:.0f}{unit}" if unit else fmt_ratio(value)
        print(f"  {workload:6} {what:34} {shown_value:>9}  {bound:18} {verdict}")
    if not shown:
        print("  (no target for the workloads run)")


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = p.add_subparsers(dest="command", required=True)
    r = sub.add_parser("record")
    r.add_argument("--results", required=True)
    r.add_argument("--log", required=True)
    r.add_argument("--msg", required=True)
    r.add_argument("--time", required=True)
    r.add_argument("--floor", required=True)
    r.add_argument("--sim-time")
    r.add_argument("meta", nargs="*")
    m = sub.add_parser("summary")
    m.add_argument("--results", required=True)
    m.add_argument("--config", required=True)
    t = sub.add_parser("table")
    t.add_argument("--results", required=True)
    g = sub.add_parser("targets")
    g.add_argument("--results", required=True)
    args = p.parse_args(argv)
    {"record": record, "summary": summary, "table": table, "targets": targets}[args.command](args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
