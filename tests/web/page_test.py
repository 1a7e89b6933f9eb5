#!/usr/bin/env python3
"""The web page in a real browser: headless Chromium on SwiftShader, the page
served on 127.0.0.1 and driven over the DevTools protocol.

    page_test.py --page-dir DIR --capture PLUMO_CAPTURE --work-dir DIR

- At a fixed step (?frames=541&fps=60) the page holds still on frame 540,
  drawn at 9.0 s. Its framebuffer is compared with plumo-capture's frame 540
  (on a 640x480x16 Xvfb, so both are 5/6/5): the caption's pixels must be
  identical, and the grid's within the tolerance the page's own run on
  llvmpipe against SwiftShader gives (frame_compare.py says how).
- The presented canvas: the picture fitted with black bars around it, the
  line under it.
- Where the browser asks for reduced motion (emulated), the page holds still
  on the demo's frame at 9.0 s, the same bytes as the fixed-step run's, with
  a focused, labelled button that plays it, clicked or with Enter; the scene
  then moves on from 9.0 s.
- The demo stays inside the GL subset: no "outside the GL 1.1 subset" line.
- Escape ends the demo: "WinMain returned 0" on the console; a key then
  starts it again.

The work directory keeps the pictures and the browser's log."""

import argparse
import base64
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "services"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "web"))
from chromium import Chromium  # noqa: E402
from frame_compare import Frame, compare_frames, fit  # noqa: E402
from private_xvfb import Xvfb  # noqa: E402
from serve_page import PageServer  # noqa: E402

FPS = 60
FRAME = 540  # 9.0 s
VIEWPORT = (1000, 600)  # CSS pixels at scale 1: the picture is scaled, with bars left and right


def check(condition, message):
    if not condition:
        raise AssertionError(message)
    print(f"ok: {message}")


def capture_frame(capture, work_dir):
    """plumo-capture's frame FRAME on a private 640x480x16 Xvfb."""
    out_dir = os.path.join(work_dir, "capture")
    with Xvfb("640x480x16", os.path.join(work_dir, "xvfb.log")) as xvfb:
        result = subprocess.run(
            [capture, "--fps", str(FPS), "--first", str(FRAME), "--frames", "1", "--out", out_dir,
             "--progress"],
            env=dict(os.environ, DISPLAY=xvfb.display), capture_output=True, text=True, timeout=300)
    check(result.returncode == 0,
          f"plumo-capture recorded frame {FRAME}" + (result.stderr[-300:] if result.returncode else ""))
    check("surface R5 G6 B5" in result.stderr, "plumo-capture drew into a 5/6/5 surface")
    png = os.path.join(out_dir, f"frame-{FRAME:06d}.png")
    rgb = subprocess.run(["convert", png, "rgb:-"], capture_output=True, check=True).stdout
    return Frame(640, 480, rgb)


def page_frame(browser, work_dir, name="page-frame.png"):
    """The page's framebuffer as it holds on its last frame, top row first."""
    frame = browser.evaluate("Module.plumo.readFrame()")
    width, height = frame["width"], frame["height"]
    rgba = base64.b64decode(frame["rgba"])
    rows = [rgba[y * width * 4:(y + 1) * width * 4] for y in range(height)]
    rgb = bytearray()
    for row in reversed(rows):
        for x in range(width):
            rgb += row[4 * x:4 * x + 3]
    result = Frame(width, height, bytes(rgb))
    result.save(os.path.join(work_dir, name))
    return result


def check_presentation(browser, picture, work_dir):
    """The canvas shows the picture fitted, centred, with black bars."""
    box = browser.evaluate(
        "(() => { const r = Module.canvas.getBoundingClientRect();"
        " const l = document.getElementById('line').getBoundingClientRect();"
        " return [r.left, r.top, r.width, r.height, l.top, l.height,"
        " Module.canvas.width, Module.canvas.height]; })()")
    left, top, width, height, line_top, line_height, buffer_w, buffer_h = box
    check(line_top >= top + height and line_height > 0, "the line sits under the canvas")
    check((buffer_w, buffer_h) == (round(width), round(height)),
          f"the canvas draws at its own size: {buffer_w}x{buffer_h} for {width}x{height}")
    shot = browser.page("Page.captureScreenshot", format="png")["data"]
    path = os.path.join(work_dir, "page.png")
    with open(path, "wb") as file:
        file.write(base64.b64decode(shot))
    full = subprocess.run(["convert", path, "rgb:-"], capture_output=True, check=True).stdout
    canvas = Frame(VIEWPORT[0], VIEWPORT[1], full).crop(int(left), int(top), int(width),
                                                        int(height))
    x, y, w, h = fit(picture.width, picture.height, canvas.width, canvas.height)
    outside = [(px, py) for py in range(canvas.height) for px in range(canvas.width)
               if not (x <= px < x + w and y <= py < y + h) and canvas.pixel(px, py) != (0, 0, 0)]
    check(x > 0 and not outside, f"black bars around the {w}x{h} picture at ({x}, {y})")
    # The caption's white, scaled, lands where the fit puts the frame's.
    want = picture.bounds(lambda p: p == (255, 255, 255))
    got = canvas.bounds(lambda p: min(p) >= 250)
    scale = w / picture.width
    expected = [x + want[0] * scale, y + want[1] * scale, x + want[2] * scale, y + want[3] * scale]
    check(got and all(abs(g - e) <= 2 for g, e in zip(got, expected)),
          f"the caption is where the fit puts it: {got} against {[round(e) for e in expected]}")


def check_still(browser, url, fixed_frame, work_dir):
    """Reduced motion: the still, its control, and playing it. `fixed_frame`
    is the fixed-step run's frame at 9.0 s, checked against plumo-capture's."""
    browser.page("Emulation.setEmulatedMedia",
                 features=[{"name": "prefers-reduced-motion", "value": "reduce"}])
    browser.open(url, *VIEWPORT)
    browser.wait_for("window.Module && Module.plumo && Module.plumo.state.held", 120)
    state = browser.evaluate("Module.plumo.state")
    check(state["clock"] == 9.0, f"the still holds at 9.0 s of the scene: {state['clock']}")
    still = page_frame(browser, work_dir, "page-still.png")
    check(still.rgb == fixed_frame.rgb,
          "the still is, byte for byte, the fixed-step run's frame at 9.0 s")
    button = browser.evaluate(
        "(() => { const b = document.getElementById('play'), r = b.getBoundingClientRect();"
        " return {tag: b.tagName, label: b.textContent.trim(),"
        " focused: document.activeElement === b, tab: b.tabIndex,"
        " visible: !b.closest('[hidden]') && r.width > 0 && r.height > 0,"
        " x: r.left + r.width / 2, y: r.top + r.height / 2}; })()")
    check(button["tag"] == "BUTTON" and button["label"] and button["tab"] >= 0 and
          button["visible"] and button["focused"],
          f"a visible, focused, labelled button: {button['label']!r}")
    clicked_at = time.monotonic()
    for kind in ("mousePressed", "mouseReleased"):
        browser.page("Input.dispatchMouseEvent", type=kind, x=button["x"], y=button["y"],
                     button="left", clickCount=1)
    frames = state["frames"]
    browser.wait_for(f"Module.plumo.state.frames >= {frames + 30}", 60)
    played = browser.evaluate(
        "[Module.plumo.state.clock, Module.plumo.state.held,"
        " document.getElementById('still').hidden, document.activeElement === Module.canvas]")
    since = time.monotonic() - clicked_at
    check(9.0 < played[0] <= 9.0 + since + 0.5 and not played[1],
          f"played, the scene moves on from 9.0 s: at {played[0]:.2f} s, {since:.2f} s later")
    check(played[2] and played[3], "the button has gone and the canvas has the keys")
    before = browser.evaluate("Module.plumo.readFrame().rgba")
    time.sleep(0.3)
    check(browser.evaluate("Module.plumo.readFrame().rgba") != before, "the picture moves")

    # From the keyboard: the button has the focus, and Enter presses it.
    browser.open(url, *VIEWPORT)
    browser.wait_for("window.Module && Module.plumo && Module.plumo.state.held", 120)
    for kind, text in (("keyDown", "\r"), ("keyUp", "")):
        browser.page("Input.dispatchKeyEvent", type=kind, code="Enter", key="Enter",
                     windowsVirtualKeyCode=0x0D, text=text)
    browser.wait_for("!Module.plumo.state.held && Module.plumo.state.clock > 9.2", 60)
    print("ok: Enter on the button plays it too")
    browser.page("Emulation.setEmulatedMedia", features=[])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--page-dir", required=True)
    parser.add_argument("--capture", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--chromium", default="chromium")
    # llvmpipe: the page on plumo-capture's own renderer, which measures the
    # emulation alone (frame_compare.py).
    parser.add_argument("--renderer", choices=("swiftshader", "llvmpipe"), default="swiftshader")
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)

    reference = capture_frame(args.capture, args.work_dir)
    with PageServer(args.page_dir) as server, \
            Chromium(args.chromium, os.path.join(args.work_dir, "chromium.log"),
                     args.renderer) as browser:
        url = f"{server.address}plumo.html?frames={FRAME + 1}&fps={FPS}"
        browser.open(url, *VIEWPORT)
        browser.wait_for("window.Module && Module.plumo && Module.plumo.state.held", 300)
        check(browser.evaluate("Module.plumo.state.frames") == FRAME + 1,
              f"the fixed-step run holds after {FRAME + 1} frames")

        frame = page_frame(browser, args.work_dir)
        report = compare_frames(frame, reference)
        print(report.summary())
        check(report.caption_pixels > 1000 and report.caption_mismatches == 0,
              f"the caption's {report.caption_pixels} pixels are identical")
        check(report.within_tolerance(), "the grid's pixels are within the tolerance")
        check_presentation(browser, frame, args.work_dir)

        browser.press("Escape", "Escape", 0x1B)
        browser.wait_for_console("WinMain returned", 60)
        check(browser.evaluate("Module.plumo.state.status") == 0 and
              "WinMain returned 0" in browser.console(), "Escape ends the demo: WinMain returns 0")
        errors = [line for line in browser.console() if re.match(r"plumo: ", line)]
        check(not errors, f"no error lines on the console: {errors}")

        browser.evaluate("window.beforeRestart = true")
        browser.press("Space", " ", 0x20)
        browser.wait_for("!window.beforeRestart && window.Module && Module.plumo &&"
                         " Module.plumo.state.frames > 0", 120)
        check(browser.evaluate("Module.plumo.state.running"), "a key starts the demo again")

        # In real time the page keeps presenting new pictures.
        browser.open(f"{server.address}plumo.html", *VIEWPORT)
        first = browser.wait_for("window.Module && Module.plumo && Module.plumo.state.frames >= 10"
                                 " && Module.plumo.readFrame().rgba", 120)
        browser.wait_for("Module.plumo.state.frames >= 40", 120)
        check(browser.evaluate("Module.plumo.readFrame().rgba") != first and
              browser.evaluate("Module.plumo.state.running"), "in real time the picture moves")

        check_still(browser, f"{server.address}plumo.html", frame, args.work_dir)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except AssertionError as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
