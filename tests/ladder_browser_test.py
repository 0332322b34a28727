#!/usr/bin/python3
"""The ladder diagram of `korvex calls --svg` opened in headless Chromium:
one lifeline per side, one arrow per call control message (and per frame
with --layer2), one legend entry per call, every arrow drawn inside the
page; a screenshot of each is kept in the output folder.

    ladder_browser_test.py KORVEX SAMPLES_DIR OUT_DIR
"""

import json
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "scripts"))
import svg_browser  # noqa: E402

check = svg_browser.Checks()


def frames_of(trace: Path) -> int:
    """Frames of a hex trace: one length line each."""
    return sum(1 for line in trace.read_text().splitlines() if line.startswith("Length:"))


def main(korvex: str, samples: Path, out: Path) -> int:
    out.mkdir(parents=True, exist_ok=True)
    # (sample, extra options, messages of no call: the X.25 restart and its
    # confirmation on the LAPF link)
    runs = [("lapd.txt", [], 0), ("q922.txt", [], 2), ("lapd.txt", ["--layer2"], 0)]
    with svg_browser.browser() as driver:
        for sample, extra, outside_calls in runs:
            name = sample.replace(".txt", "") + ("-layer2" if extra else "")
            svg = out / (name + ".svg")
            result = subprocess.run([korvex, "calls", str(samples / sample), "--format", "json",
                                     "--svg", str(svg)] + extra, capture_output=True, text=True)
            check(result.returncode == 0, name + ": korvex calls succeeds " + result.stderr.strip())
            records = [json.loads(line) for line in result.stdout.splitlines()]
            messages = sum(r["messages"] for r in records)

            svg_browser.open_svg(driver, svg)
            count = lambda selector: driver.execute_script(  # noqa: E731
                "return document.querySelectorAll(arguments[0]).length", selector)
            lifelines = driver.execute_script(
                "return [...document.querySelectorAll('line.lifeline')]"
                ".map(l => { const r = l.getBoundingClientRect(); return [r.left, r.height]; })")
            check(len(lifelines) == 2, "%s: two lifelines (found %d)" % (name, len(lifelines)))
            check(all(height > 100 for _, height in lifelines), name + ": the lifelines are drawn down the page")
            check(len({round(left) for left, _ in lifelines}) == 2, name + ": the lifelines stand apart")
            sides = driver.execute_script(
                "return [...document.querySelectorAll('text.side')].map(t => t.textContent)")
            check(sides in (["User side", "Network side"], ["DTE", "DCE"]), "%s: sides named %s" % (name, sides))

            arrows = count("g.arrow:not(.layer2)")
            in_calls = count("g.arrow[data-call]")
            check(in_calls == messages, "%s: one arrow per message of a call (%d arrows, %d messages)"
                  % (name, in_calls, messages))
            check(arrows - in_calls == outside_calls, "%s: one black arrow per message of no call (%d)"
                  % (name, arrows - in_calls))
            grey = count("g.arrow.layer2")
            if extra:
                frames = frames_of(samples / sample)
                check(arrows + grey == frames, "%s: with --layer2 one arrow per frame (%d + %d, %d frames)"
                      % (name, arrows, grey, frames))
            else:
                check(grey == 0, name + ": no link-layer arrows without --layer2")
            check(count("g.legend-entry") == len(records), name + ": one legend entry per call")
            # Every arrow of a call in the colour of its legend entry.
            mismatched = driver.execute_script("""
                const colour = {};
                document.querySelectorAll('g.legend-entry').forEach(g =>
                    colour[g.dataset.call] = g.querySelector('rect').getAttribute('fill'));
                return [...document.querySelectorAll('g.arrow[data-call]')].filter(g =>
                    g.querySelector('line.shaft').getAttribute('stroke') !== colour[g.dataset.call]).length;""")
            check(mismatched == 0, name + ": arrows in their call's colour")
            outside = driver.execute_script("""
                const page = document.documentElement.getBoundingClientRect();
                return [...document.querySelectorAll('g.arrow')].filter(g => {
                    const r = g.getBoundingClientRect();
                    return r.width === 0 || r.left < page.left || r.right > page.right || r.bottom > page.bottom;
                }).length;""")
            check(outside == 0, name + ": every arrow drawn inside the page")
            png = out / (name + ".png")
            driver.save_screenshot(str(png))
            check(png.stat().st_size > 10000, "%s: screenshot kept as %s" % (name, png))
    return check.summary()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3])))
