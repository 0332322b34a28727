#!/usr/bin/python3
"""The README's picture of a report page: `korvex report` of the LAPD
sample opened in headless Chromium, its first call chosen (the ladder shown,
the frames narrowed to the call's) and its SETUP frame opened.

    python3 scripts/report_picture.py KORVEX [OUT.png]    (default docs/report.png)
"""

import subprocess
import sys
import tempfile
from pathlib import Path

import svg_browser

ROOT = Path(__file__).resolve().parent.parent


def main(korvex, png):
    with tempfile.TemporaryDirectory() as folder:
        page = Path(folder) / "report-lapd.html"
        subprocess.run([str(Path(korvex).resolve()), "report", "samples/lapd.txt", "-o", str(page)], check=True, cwd=ROOT)
        with svg_browser.browser(1200, 1400) as driver:
            driver.get(page.as_uri())
            svg_browser.wait_for(driver, "#call-table tbody tr")
            driver.find_element("css selector", "#call-table tbody tr td").click()
            driver.execute_script("document.getElementById('call-wrap').scrollLeft = 0; window.scrollTo(0, 0)")
            svg_browser.wait_for(driver, "#ladder-svg svg")
            driver.find_element("css selector", "#list-rows .row[data-frame='5']").click()
            svg_browser.wait_for(driver, "#detail:not([hidden])")
            driver.execute_script("window.scrollTo(0, 0)")
            height = driver.execute_script("return document.documentElement.scrollHeight")
            driver.set_window_size(1200, min(height + 140, 4000))
            png.parent.mkdir(parents=True, exist_ok=True)
            driver.save_screenshot(str(png))
    print("wrote", png)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], Path(sys.argv[2]) if len(sys.argv) == 3 else ROOT / "docs" / "report.png")
