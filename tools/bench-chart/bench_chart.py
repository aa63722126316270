#!/usr/bin/env python3
"""Draws the benchmark's figures (out/bench.json, as quillon_bench writes it)
as one PNG of three parts:

  saving      the reference's frame over the module's (direct / libgdiplus),
              one panel per view, by number of aircraft, a line per surface
              size and data block;
  breakdown   where a frame's time goes at 512 pixels, each part by the
              difference of two cases the bench measures: the frame without
              traffic (the backdrop's copy and the sweep), the targets (traffic
              without a selection, less that), the data block's texts
              and selection box (selected, less unselected) and the altitude tags (tags on, less
              plain);
  options     every pilots' option the figures hold, against the plain frame
              of the same view and traffic measured right before it (the
              plain case of the table where the figures lack that).

Cases it does not know (other options, other changes, other keys) are left
out of the first two parts and shown in the third where they are options, so
that new bench cases need no change here. Usage:

  bench_chart.py BENCH_JSON -o OUT_PNG [--note TEXT]

Exit status 0 with a picture written, 1 when the figures cannot be read,
77 when matplotlib is missing (install-deps.sh bench installs it).
"""
import argparse
import json
import math
import sys

BREAKDOWN_PIXELS = 512
PARTS = [
    ("backdrop copy and sweep", "#4c72b0"),
    ("targets", "#dd8452"),
    ("data block and selection box", "#55a868"),
    ("altitude tags", "#c44e52"),
]


def number(value):
    """A finite float, or None (the bench writes a case it filtered out as null)."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return None
    return float(value) if math.isfinite(value) else None


class Frames:
    """The frame cases, looked up by what they measure; unknown keys are ignored."""

    def __init__(self, figures):
        self.cases = [c for c in figures.get("frames", []) if isinstance(c, dict)]

    def find(self, view, block, aircraft, pixels, options="plain", selected=True):
        for c in self.cases:
            if (c.get("view") == view and c.get("block") == block and c.get("aircraft") == aircraft
                    and c.get("pixels") == pixels and c.get("options", "plain") == options
                    and c.get("changeBeforeEachFrame", "none") == "none"
                    and bool(c.get("selected", True)) == selected):
                return c
        return None

    def micros(self, *key, **more):
        found = self.find(*key, **more)
        return number(found.get("libgdiplus")) if found else None

    def values(self, key, **where):
        seen = []
        for c in self.cases:
            if all(c.get(k, d) == v for k, (v, d) in where.items()) and c.get(key) not in seen:
                seen.append(c.get(key))
        return [v for v in seen if v is not None]

    def plain(self):
        return {"options": ("plain", "plain"), "changeBeforeEachFrame": ("none", "none")}


def draw_savings(figure, frames, grid, ticker):
    views = frames.values("view", **frames.plain())
    if not views:
        return
    row = grid[0, :].subgridspec(1, len(views), wspace=0.3)
    for index, view in enumerate(views):
        axes = figure.add_subplot(row[0, index])
        traffic = sorted(frames.values("aircraft", view=(view, None), **frames.plain()))
        for block, style in (("compact", "-"), ("full", "--")):
            for pixels in sorted(frames.values("pixels", view=(view, None), **frames.plain())):
                points = []
                for place, aircraft in enumerate(traffic):
                    c = frames.find(view, block, aircraft, pixels)
                    ratio = number(c.get("directOverBackdrop")) if c else None
                    if ratio is not None and ratio > 0:
                        points.append((place, ratio))
                if points:
                    xs, ys = zip(*points)
                    axes.plot(xs, ys, style, marker="o", label=f"{pixels} px, {block}")
        axes.set_title(f"{view}: direct / with backdrop")
        axes.set_yscale("log")
        axes.yaxis.set_major_locator(ticker.FixedLocator([1, 2, 3, 5, 10, 20, 30, 50, 100, 200, 500]))
        axes.yaxis.set_major_formatter(ticker.FormatStrFormatter("%g"))
        axes.yaxis.set_minor_formatter(ticker.NullFormatter())
        axes.set_xticks(range(len(traffic)), [str(a) for a in traffic])
        axes.set_xlabel("aircraft")
        axes.axhline(1.0, color="grey", linewidth=0.8)
        axes.grid(True, which="both", alpha=0.3)
        if index == 0:
            axes.set_ylabel("times cheaper than the reference")
        axes.legend(fontsize=7)


def breakdown_bars(frames):
    """(label, [part values]) for every view, block and traffic with the cases it takes."""
    bars = []
    for view in frames.values("view", **frames.plain()):
        for block in ("compact", "full"):
            empty = frames.micros(view, block, 0, BREAKDOWN_PIXELS)
            for aircraft in sorted(frames.values("aircraft", view=(view, None), selected=(False, True))):
                unselected = frames.micros(view, block, aircraft, BREAKDOWN_PIXELS, selected=False)
                selected = frames.micros(view, block, aircraft, BREAKDOWN_PIXELS)
                if empty is None or unselected is None or selected is None:
                    continue
                tagged = frames.micros(view, block, aircraft, BREAKDOWN_PIXELS, options="tags")
                # Differences of medians on a shared machine can come out below nought.
                parts = [empty, max(unselected - empty, 0.0), max(selected - unselected, 0.0),
                         max(tagged - selected, 0.0) if tagged is not None else 0.0]
                bars.append((f"{view}, {block}, {aircraft}", parts))
    return bars


def draw_breakdown(axes, frames):
    bars = breakdown_bars(frames)
    axes.set_title(f"Where a frame's time goes, {BREAKDOWN_PIXELS} px (libgdiplus; tags where measured)")
    if not bars:
        axes.text(0.5, 0.5, "no cases without a selection in these figures", ha="center", transform=axes.transAxes)
        return
    labels = [label for label, _ in bars]
    left = [0.0] * len(bars)
    for part, (name, colour) in enumerate(PARTS):
        widths = [parts[part] for _, parts in bars]
        axes.barh(labels, widths, left=left, color=colour, label=name)
        left = [a + b for a, b in zip(left, widths)]
    axes.invert_yaxis()
    axes.set_xlabel("microseconds of CPU time per frame")
    axes.legend(fontsize=8, loc="upper center", bbox_to_anchor=(0.5, -0.12), ncol=len(PARTS))
    axes.grid(True, axis="x", alpha=0.3)


def draw_options(axes, frames):
    axes.set_title(f"Options against the plain frame before each, {BREAKDOWN_PIXELS} px")
    rows = []
    for c in frames.cases:
        option = c.get("options", "plain")
        if option == "plain" or c.get("changeBeforeEachFrame", "none") != "none" or c.get("pixels") != BREAKDOWN_PIXELS:
            continue
        # The plain frame measured right before the option, where the figures have it.
        plain = number((c.get("plainBefore") or {}).get("libgdiplus"))
        if plain is None:
            plain = frames.micros(c.get("view"), c.get("block"), c.get("aircraft"), BREAKDOWN_PIXELS)
        value = number(c.get("libgdiplus"))
        if plain and value is not None:
            order = (option, str(c.get("view")), str(c.get("block")), number(c.get("aircraft")) or 0)
            rows.append((order, f"{option}, {c.get('view')}, {c.get('block')}, {c.get('aircraft')}", value / plain))
    if not rows:
        axes.text(0.5, 0.5, "no options in these figures", ha="center", transform=axes.transAxes)
        return
    rows.sort()
    axes.barh([r[1] for r in rows], [r[2] for r in rows], color="#8172b3")
    axes.axvline(1.0, color="grey", linewidth=0.8)
    axes.invert_yaxis()
    axes.tick_params(axis="y", labelsize=7)
    axes.set_xlabel("frame time / plain frame time (libgdiplus)")
    axes.grid(True, axis="x", alpha=0.3)


def conditions(figures, note):
    machine = figures.get("machine") if isinstance(figures.get("machine"), dict) else {}
    parts = []
    if machine.get("processor"):
        parts.append(f"{machine['processor']}, {machine.get('processors', '?')} processors")
    if machine.get("started"):
        parts.append(f"{machine['started']} to {machine.get('finished', '?')}")
    if machine.get("loadAverageAtStart") or machine.get("loadAverageAtEnd"):
        parts.append(f"load average {machine.get('loadAverageAtStart', '?')} at the start, "
                     f"{machine.get('loadAverageAtEnd', '?')} at the end")
    if note:
        parts.append(note)
    return "; ".join(parts) or "machine and date not recorded"


def main():
    parser = argparse.ArgumentParser(description="Charts of quillon_bench's figures.")
    parser.add_argument("figures", help="the JSON file quillon_bench --json wrote")
    parser.add_argument("-o", "--output", required=True, help="the PNG to write")
    parser.add_argument("--note", default="", help="a line to add under the charts")
    arguments = parser.parse_args()
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as pyplot
        import matplotlib.ticker as ticker
    except ImportError:
        print("bench_chart: matplotlib is missing (scripts/install-deps.sh bench installs it)", file=sys.stderr)
        return 77
    try:
        with open(arguments.figures, encoding="utf-8") as file:
            figures = json.load(file)
        if not isinstance(figures, dict):
            raise ValueError("not an object of figures")
    except (OSError, ValueError) as error:
        print(f"bench_chart: cannot read {arguments.figures}: {error}", file=sys.stderr)
        return 1

    frames = Frames(figures)
    figure = pyplot.figure(figsize=(15, 11), dpi=100)
    grid = figure.add_gridspec(2, 3, height_ratios=[1, 1.3], hspace=0.3, wspace=0.45)
    draw_savings(figure, frames, grid, ticker)
    draw_breakdown(figure.add_subplot(grid[1, :2]), frames)
    draw_options(figure.add_subplot(grid[1, 2]), frames)
    figure.suptitle("Quillon's frame against the reference drawing every frame directly (make bench)")
    figure.text(0.5, 0.01, conditions(figures, arguments.note), ha="center", fontsize=9)
    figure.savefig(arguments.output, bbox_inches="tight")
    print(f"Charts written to {arguments.output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
