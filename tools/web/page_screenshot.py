#!/usr/bin/env python3
"""A screenshot of the web page in headless Chromium, the demo held at 9.0 s.

    tools/web/page_screenshot.py PAGE_DIR OUT.png [--size 960x600]

The README's picture of the page is made with it."""

import argparse
import base64
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "services"))
from chromium import Chromium  # noqa: E402
from serve_page import PageServer  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page_dir")
    parser.add_argument("out")
    parser.add_argument("--size", default="960x600")
    args = parser.parse_args()
    width, height = (int(v) for v in args.size.split("x"))
    with tempfile.TemporaryDirectory(prefix="plumo-screenshot-") as work, \
            PageServer(args.page_dir) as server, \
            Chromium("chromium", os.path.join(work, "chromium.log")) as browser:
        browser.open(f"{server.address}plumo.html?frames=541&fps=60", width, height)
        browser.wait_for("window.Module && Module.plumo && Module.plumo.state.held", 300)
        shot = browser.page("Page.captureScreenshot", format="png")["data"]
    with open(args.out, "wb") as file:
        file.write(base64.b64decode(shot))


if __name__ == "__main__":
    main()
