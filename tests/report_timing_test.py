#!/usr/bin/python3
"""How fast the page of `korvex report` opens for a 100,000-frame trace in
headless Chromium: from the start of the navigation to the first rows of the
frame list being in the document, watched from outside the page's own script
(an observer added before the page loads). Fails above 2 seconds.

    report_timing_test.py KORVEX OUT_DIR [FRAMES]

The trace is the benchmark's LAPD trace (scripts/make_bench_traces.py):
I frames carrying Q.931 SETUP messages, so the page holds one call per
frame as well. Exits 77 (skipped) when Chromium is not installed.
"""

import subprocess
import sys
import time
from pathlib import Path

SCRIPTS = Path(__file__).resolve().parent.parent / "scripts"
sys.path.insert(0, str(SCRIPTS))
import svg_browser  # noqa: E402

LIMIT_MS = 2000

# Records performance.now() when the first rows of the list appear.
WATCH = """
new MutationObserver((changes, observer) => {
    const rows = document.querySelectorAll('#list-rows .row');
    if (rows.length >= 10 && window.firstRowsAt === undefined) {
        window.firstRowsAt = performance.now();
        observer.disconnect();
    }
}).observe(document, {childList: true, subtree: true});
"""


def main(korvex, out, frames):
    out.mkdir(parents=True, exist_ok=True)
    trace = out / ("bench-lapd-%d.txt" % frames)
    if not trace.exists():
        subprocess.run([sys.executable, str(SCRIPTS / "make_bench_traces.py"), "--frames", str(frames),
                        "--kind", "lapd", str(out)], check=True)
    page = out / ("report-%d.html" % frames)
    started = time.monotonic()
    made = subprocess.run([korvex, "report", str(trace), "-o", str(page)], capture_output=True, text=True)
    written = time.monotonic() - started
    if made.returncode != 0:
        print("FAIL  korvex report: " + made.stderr)
        return 1
    print("korvex report wrote %s (%.1f MB) in %.1f s" % (page.name, page.stat().st_size / 1e6, written))

    failed = False
    with svg_browser.browser(1200, 900) as driver:
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})
        for attempt in (1, 2):
            driver.get(page.resolve().as_uri())
            first = driver.execute_script("return window.firstRowsAt")
            load = driver.execute_script(
                "const n = performance.getEntriesByType('navigation')[0]; return n.loadEventEnd - n.startTime")
            rows = driver.execute_script("return document.querySelectorAll('#list-rows .row').length")
            numbers = driver.execute_script(
                "return [...document.querySelectorAll('#list-rows .row')].slice(0, 3).map(r => r.dataset.frame)")
            print("open %d: first rows after %s ms (page loaded after %.0f ms), %d rows drawn, first frames %s"
                  % (attempt, "%.0f" % first if first is not None else "never", load, rows, numbers))
            if first is None or first >= LIMIT_MS or numbers != ["1", "2", "3"]:
                failed = True
        listed = driver.execute_script("return document.getElementById('list-space').offsetHeight / 20")
        print("the list is %d rows long" % listed)
        failed = failed or listed != frames
    print("FAIL" if failed else "ok", "first rows within %d ms" % LIMIT_MS)
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    if not Path(svg_browser.CHROMIUM).exists():
        print("skipped: no " + svg_browser.CHROMIUM)
        sys.exit(77)
    sys.exit(main(sys.argv[1], Path(sys.argv[2]), int(sys.argv[3]) if len(sys.argv) == 4 else 100000))
