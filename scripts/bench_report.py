#!/usr/bin/env python3
"""Prints the speed goals against one benchmark run (Google Benchmark JSON output).

Each row: what is measured, our figure, the peer's figure from the same run (pixman,
libmypaint) where the goal is a ratio, the ratio, the goal, and whether it holds. The exit
status is 0 even when a goal fails: the table is the report.
"""
import json
import sys

MODE_NAMES = [
    "multiply", "add", "subtract", "normal", "screen", "overlay", "hard light", "soft light",
    "difference", "exclusion", "darken", "lighten", "burn", "dodge", "hue", "saturation",
    "colour", "luminosity", "subtract negative", "linear light", "vivid light", "pin light",
]

# pixman's nearest operator for each mode, by pixman's operator number. pixman has no
# subtracting operators: the three arithmetic modes are set against its saturating ADD.
PIXMAN_OVER, PIXMAN_ADD = 0x03, 0x0C
PIXMAN_NEAREST = {
    0: (0x30, "MULTIPLY"), 1: (PIXMAN_ADD, "ADD"), 2: (PIXMAN_ADD, "ADD"),
    3: (PIXMAN_OVER, "OVER"), 4: (0x31, "SCREEN"), 5: (0x32, "OVERLAY"),
    6: (0x37, "HARD_LIGHT"), 7: (0x38, "SOFT_LIGHT"), 8: (0x39, "DIFFERENCE"),
    9: (0x3A, "EXCLUSION"), 10: (0x33, "DARKEN"), 11: (0x34, "LIGHTEN"),
    12: (0x36, "COLOR_BURN"), 13: (0x35, "COLOR_DODGE"), 14: (0x3B, "HSL_HUE"),
    15: (0x3C, "HSL_SATURATION"), 16: (0x3D, "HSL_COLOR"), 17: (0x3E, "HSL_LUMINOSITY"),
    18: (PIXMAN_ADD, "ADD"), 19: (0x37, "HARD_LIGHT"), 20: (0x35, "COLOR_DODGE"),
    21: (0x37, "HARD_LIGHT"),
}

# Our brush kinds against libmypaint's default brush at the same radius; the second number
# of the peer's name is its dab spacing in pixels, matched to ours.
BRUSHES = [
    ("pen", 0, 10, "10/2", 2.0), ("pen", 0, 50, "50/9", 2.0),
    ("airbrush", 5, 10, "10/2", 2.0), ("airbrush", 5, 50, "50/9", 2.0),
    ("watercolour", 1, 10, "10/4", 1.0), ("watercolour", 1, 50, "50/15", 1.0),
]

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    # With repetitions, the median of each benchmark; otherwise its one run.
    runs, medians = {}, {}
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            continue
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                medians[b["run_name"]] = b
        else:
            runs[b["name"]] = b
    return medians or runs


def find(runs, name):
    """The run of that name, also when Google Benchmark appended /iterations:N."""
    if name in runs:
        return runs[name]
    for key, run in runs.items():
        if key.startswith(name + "/iterations:"):
            return run
    return None


def ms(run):
    return run["real_time"] * TO_MS[run.get("time_unit", "ns")]


class Table:
    def __init__(self):
        self.rows = []

    def add(self, what, ours, peer, ratio, goal, holds):
        self.rows.append((what, ours, peer, ratio, goal, "holds" if holds else "NOT HELD"))

    def missing(self, what, goal):
        self.rows.append((what, "not run", "", "", goal, "NOT HELD"))

    def print(self):
        head = ("Measured", "Ours", "Peer", "Ratio", "Goal", "")
        widths = [max(len(str(r[i])) for r in self.rows + [head]) for i in range(6)]
        line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
        print(line(head))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for r in self.rows:
            print(line(r))
        failed = sum(1 for r in self.rows if r[5] != "holds")
        print(f"\n{len(self.rows) - failed} of {len(self.rows)} goals hold.")


def view_rows(table, runs):
    for prefix, limit in (("BM_ViewSmooth/", 4.0), ("BM_ViewPlain/", 1.0)):
        names = sorted(n for n in runs if n.startswith(prefix))
        if not names:
            table.missing(prefix[3:] + "*", f"< {limit:g} ms")
        for name in names:
            t = ms(runs[name])
            table.add(f"{name[3:]} (1920×1080)", f"{t:.3f} ms", "", "", f"< {limit:g} ms",
                      t < limit)


def file_rows(table, runs):
    save, load_ = find(runs, "BM_SavePaperFile"), find(runs, "BM_LoadPaperFile")
    rates = {}
    for label, run in (("save", save), ("load", load_)):
        if not run:
            table.missing(f".qmp {label}, 10 × 4096²", "≥ 1000 MB/s")
            continue
        rates[label] = run["layer_MB_per_s"]
        table.add(f".qmp {label}, 10 × 4096² layers", f"{rates[label]:.0f} MB/s", "", "",
                  "≥ 1000 MB/s", rates[label] >= 1000)
    if len(rates) == 2:
        r = rates["load"] / rates["save"]
        table.add(".qmp load against save", f"{rates['load']:.0f} MB/s",
                  f"{rates['save']:.0f} MB/s (save)", f"{r:.2f}×", "≥ 1×", r >= 1.0)


def composite_rows(table, runs):
    for mode, name in enumerate(MODE_NAMES):
        op, op_name = PIXMAN_NEAREST[mode]
        goal = 1.5 if mode == 3 else 5.0
        ours, peer = runs.get(f"BM_CompositeRows/{mode}"), runs.get(f"BM_Pixman/{op}")
        what = f"composite {name} (4096²)"
        if not ours or not peer:
            table.missing(what, f"≥ {goal:g}× {op_name}")
            continue
        a, b = ours["Mpix/s"], peer["Mpix/s"]
        table.add(what, f"{a:.0f} Mpix/s", f"{b:.0f} Mpix/s {op_name}", f"{a / b:.2f}×",
                  f"≥ {goal:g}×", a / b >= goal)
    refresh = runs.get("BM_RefreshDirtyBox20Layers/108")
    if refresh:
        t = ms(refresh)
        table.add("refresh 20 layers, radius-50 segment box", f"{t * 1000:.1f} µs", "", "",
                  "< 100 µs", t < 0.1)
    else:
        table.missing("refresh 20 layers, radius-50 segment box", "< 100 µs")


def brush_rows(table, runs):
    for kind_name, kind, radius, peer_args, goal in BRUSHES:
        ours = runs.get(f"BM_BrushDabs/kind:{kind}/radius:{radius}")
        peer = runs.get(f"BM_MyPaintDefaultBrush/{peer_args}")
        what = f"{kind_name} dabs, radius {radius}"
        if not ours or not peer:
            table.missing(what, f"≥ {goal:g}× libmypaint")
            continue
        a, b = ours["dabs_per_s"], peer["dabs_per_s"]
        table.add(what, f"{a / 1000:.0f}k/s", f"{b / 1000:.0f}k/s libmypaint", f"{a / b:.2f}×",
                  f"≥ {goal:g}×", a / b >= goal)


def replay_rows(table, runs):
    run = find(runs, "BM_ReplayLongRecording")
    if not run:
        table.missing("replay of the bench recording", "≥ 100k points/s")
        return
    rate = run["points_per_s"]
    table.add("replay of the bench recording", f"{rate / 1000:.1f}k points/s", "", "",
              "≥ 100k points/s", rate >= 100000)


def main(argv):
    if len(argv) != 2:
        print("usage: bench_report.py RESULTS.json", file=sys.stderr)
        return 2
    runs = load(argv[1])
    table = Table()
    view_rows(table, runs)
    file_rows(table, runs)
    composite_rows(table, runs)
    brush_rows(table, runs)
    replay_rows(table, runs)
    table.print()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
