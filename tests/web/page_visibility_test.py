#!/usr/bin/env python3
"""The page in real time in headless Chromium: the Pause key, and the tab
hidden behind another.

    page_visibility_test.py --page-dir DIR --work-dir DIR

- Pause holds the picture: two screenshots a second apart are the same, and
  the performance counter the program reads stands still, while the page
  keeps presenting; the key is the page's (its default action prevented).
  A second Pause moves it on again.
- A tab opened in front of the page's hides it, as headless Chromium really
  does (document.hidden, no animation frames): the program then presents
  nothing and does not spin (it waits at most once), and once the tab is in
  front again its counter goes on from where it stopped, not jumped by the
  time it was hidden.
- A page opened in a background tab presents nothing until it is brought
  to the front."""

import argparse
import base64
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "services"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "web"))
from chromium import Chromium  # noqa: E402
from serve_page import PageServer  # noqa: E402

VIEWPORT = (800, 600)
HIDDEN_SECONDS = 3
# What a frame or two and the DevTools round trips may add to a reading.
SLACK_SECONDS = 1.0


def check(condition, message):
    if not condition:
        raise AssertionError(message)
    print(f"ok: {message}")


def state(browser):
    return browser.evaluate("Module.plumo.state")


def after_frames(browser, count):
    """Waits until the page has presented `count` more frames."""
    frames = state(browser)["frames"]
    browser.wait_for(f"Module.plumo.state.frames >= {frames + count}", 60)
    return state(browser)


def screenshot(browser, work_dir, name):
    data = base64.b64decode(browser.page("Page.captureScreenshot", format="png")["data"])
    with open(os.path.join(work_dir, name), "wb") as file:
        file.write(data)
    return data


def check_pause(browser, work_dir):
    # Registered after the page's own listener, so it sees what that did.
    browser.evaluate("window.addEventListener('keydown', e => window.lastKey ="
                     " [e.code, e.defaultPrevented])")
    browser.press("Pause", "Pause", 0x13)
    paused = after_frames(browser, 3)
    first = screenshot(browser, work_dir, "paused-1.png")
    time.sleep(1)
    later = after_frames(browser, 3)
    check(later["clock"] == paused["clock"],
          f"paused, the counter stands at {paused['clock']:.3f} s over "
          f"{later['frames'] - paused['frames']} frames")
    check(screenshot(browser, work_dir, "paused-2.png") == first,
          "paused, two screenshots a second apart are the same")
    check(browser.evaluate("window.lastKey") == ["Pause", True] and
          browser.evaluate("location.pathname").endswith("/plumo.html"),
          "the Pause key is the page's: its default action prevented")

    browser.press("Pause", "Pause", 0x13)
    after_frames(browser, 3)
    time.sleep(0.3)
    resumed = after_frames(browser, 3)
    check(resumed["clock"] > later["clock"], f"a second Pause resumes: {resumed['clock']:.3f} s")
    check(screenshot(browser, work_dir, "resumed.png") != first, "and the picture moves again")


def check_hidden(browser):
    me = browser.page("Target.getTargetInfo")["targetInfo"]["targetId"]
    after_frames(browser, 3)
    other = browser.call("Target.createTarget", url="about:blank", newWindow=False,
                         background=False)["targetId"]
    browser.wait_for("document.hidden", 10)
    hidden = state(browser)
    time.sleep(HIDDEN_SECONDS)
    still_hidden = state(browser)
    check(browser.evaluate("document.hidden"), "a tab in front hides the page")
    check(still_hidden["frames"] == hidden["frames"],
          f"hidden, the page presents nothing: {hidden['frames']} frames, "
          f"{HIDDEN_SECONDS} s later {still_hidden['frames']}")
    check(still_hidden["waits"] - hidden["waits"] <= 1,
          f"hidden, the program waits instead of spinning: "
          f"{still_hidden['waits'] - hidden['waits']} waits in {HIDDEN_SECONDS} s")
    check(still_hidden["clock"] == hidden["clock"], "hidden, the counter stands still")

    browser.call("Target.activateTarget", targetId=me)
    shown_at = time.monotonic()
    browser.wait_for("!document.hidden", 10)
    shown = after_frames(browser, 10)
    visible = time.monotonic() - shown_at
    ran = shown["clock"] - hidden["clock"]
    check(0 < ran <= visible + SLACK_SECONDS,
          f"shown again, the counter goes on from where it stopped: {ran:.2f} s on, "
          f"in {visible:.2f} s in front, after {HIDDEN_SECONDS} s hidden")
    browser.call("Target.closeTarget", targetId=other)


def check_opened_behind(browser, url):
    other = browser.call("Target.createTarget", url=url, newWindow=False,
                         background=True)["targetId"]
    session = browser.call("Target.attachToTarget", targetId=other, flatten=True)["sessionId"]

    def behind(expression):
        result = browser.call("Runtime.evaluate", session=session, expression=expression,
                              returnByValue=True, awaitPromise=True)
        return result["result"].get("value")

    def wait_behind(expression, what):
        deadline = time.monotonic() + 60
        while not behind(expression):
            if time.monotonic() > deadline:
                raise AssertionError(f"{what}: still false after 60 s: {expression}")
            time.sleep(0.1)

    wait_behind("window.Module && Module.plumo && Module.plumo.state.waits > 0",
                "the page opened behind starts its program")
    time.sleep(1)
    waiting = behind("[document.hidden, Module.plumo.state.frames, Module.plumo.state.waits]")
    check(waiting[0] and waiting[1] == 0 and waiting[2] <= 2,
          f"opened behind, the page presents nothing and waits: {waiting[1]} frames, "
          f"{waiting[2]} waits")
    browser.call("Target.activateTarget", targetId=other)
    wait_behind("Module.plumo.state.frames >= 10", "brought to the front, it presents")
    print("ok: brought to the front, it presents")
    browser.call("Target.closeTarget", targetId=other)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--page-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--chromium", default="chromium")
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)

    with PageServer(args.page_dir) as server, \
            Chromium(args.chromium, os.path.join(args.work_dir, "chromium.log")) as browser:
        browser.open(f"{server.address}plumo.html", *VIEWPORT)
        browser.wait_for("window.Module && Module.plumo && Module.plumo.state.frames >= 10", 120)
        check_pause(browser, args.work_dir)
        check_hidden(browser)
        check_opened_behind(browser, f"{server.address}plumo.html")
        check(state(browser)["running"] and not [
            line for line in browser.console() if line.startswith("plumo: ")],
            "the demo still runs, with no error lines on the console")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except AssertionError as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
