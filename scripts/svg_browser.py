#!/usr/bin/python3
"""Open an SVG file in headless Chromium (Debian's chromium and
chromium-driver, driven through python3-selenium), run checks on its
document, and keep a screenshot of it.

    python3 scripts/svg_browser.py IN.svg OUT.png    screenshot only

The browser runs with a fresh profile in a temporary folder, without the
sandbox, the GPU or any network traffic of its own.
"""

import shutil
import sys
import tempfile
from contextlib import contextmanager
from pathlib import Path
from typing import Iterator

CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run"]


@contextmanager
def browser(width: int = 1100, height: int = 900) -> Iterator["object"]:
    """A headless Chromium session with a fresh profile."""
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    profile = tempfile.mkdtemp(prefix="korvex-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in FLAGS + ["--user-data-dir=" + profile, "--window-size=%d,%d" % (width, height)]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def open_svg(driver: "object", svg: Path) -> None:
    """Loads the SVG and sizes the window to the whole drawing."""
    driver.get(svg.resolve().as_uri())
    width = int(driver.execute_script("return document.documentElement.width.baseVal.value"))
    height = int(driver.execute_script("return document.documentElement.height.baseVal.value"))
    driver.set_window_size(width + 20, min(height, 16000) + 140)
    # The window's inner size differs from its outer size: fit the view.
    inner = driver.execute_script("return [window.innerWidth, window.innerHeight]")
    driver.set_window_size(width + 20 + (width - inner[0]), min(height, 16000) + 140 + (height - inner[1]))


def wait_for(driver: "object", selector: str) -> None:
    """Waits (up to the driver's script timeout) until an element matches selector."""
    driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const wait = () => document.querySelector(arguments[0]) ? done() : setTimeout(wait, 20);
        wait();""", selector)


def screenshot(svg: Path, png: Path) -> None:
    with browser() as driver:
        open_svg(driver, svg)
        png.parent.mkdir(parents=True, exist_ok=True)
        driver.save_screenshot(str(png))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    screenshot(Path(sys.argv[1]), Path(sys.argv[2]))


class Checks:
    """Counted checks of a browser test: each prints ok or FAIL with what it
    checked; summary() prints the counts and gives the exit status."""

    def __init__(self) -> None:
        self.passes: list[str] = []
        self.failures: list[str] = []

    def __call__(self, holds: bool, what: str) -> None:
        print(("ok    " if holds else "FAIL  ") + what)
        (self.passes if holds else self.failures).append(what)

    def summary(self) -> int:
        print("%d passed, %d failed" % (len(self.passes), len(self.failures)))
        return 1 if self.failures else 0
