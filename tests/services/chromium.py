"""Headless Chromium driven over the DevTools protocol, for the web page's
tests and benchmark.

The protocol runs over a pair of pipes (--remote-debugging-pipe: Chromium
reads commands from its fd 3 and writes answers to fd 4, each message JSON
ending in a NUL byte), so no port is opened and no websocket client is
needed: the standard library is enough."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time

# Nothing that reaches beyond the machine.
FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run",
    "--no-default-browser-check", "--disable-extensions",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
]
# Where WebGL draws: SwiftShader, Chromium's own CPU renderer (the tests'),
# or Mesa's llvmpipe through ANGLE on GL ES, the renderer plumo-capture uses.
RENDERERS = {
    "swiftshader": ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"],
    "llvmpipe": ["--use-gl=angle", "--use-angle=gl-egl", "--ignore-gpu-blocklist",
                 "--enable-gpu"],
}


class ChromiumError(RuntimeError):
    pass


class Chromium:
    """One browser with one page, for the `with` block. `log_path` gets the
    browser's own output; its profile is a fresh folder, removed at the end."""

    def __init__(self, binary, log_path, renderer="swiftshader"):
        self.binary = binary
        self.log_path = log_path
        self.extra_flags = RENDERERS[renderer]
        self.process = None
        self.profile = None
        self._next_id = 0
        self._answers = {}
        self._events = []
        self._cond = threading.Condition()
        self._closed = False
        self.session = None

    def __enter__(self):
        self.profile = tempfile.mkdtemp(prefix="plumo-chromium-")
        to_browser_r, to_browser_w = os.pipe()
        from_browser_r, from_browser_w = os.pipe()
        # The shell puts the pipe ends where Chromium looks for them.
        script = f'exec "$0" "$@" 3<&{to_browser_r} 4>&{from_browser_w}'
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                ["sh", "-c", script, self.binary, *FLAGS, *self.extra_flags,
                 f"--user-data-dir={self.profile}", "--remote-debugging-pipe", "about:blank"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                pass_fds=(to_browser_r, from_browser_w), start_new_session=True)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._out = os.fdopen(to_browser_w, "wb")
        self._in = os.fdopen(from_browser_r, "rb")
        threading.Thread(target=self._read, daemon=True).start()
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.page("Runtime.enable")
        self.page("Page.enable")
        return self

    def __exit__(self, *exc):
        try:
            if self.process.poll() is None:
                self.call("Browser.close", timeout=10)
                self.process.wait(10)
        except (ChromiumError, subprocess.TimeoutExpired, OSError):
            pass
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        self._out.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def _read(self):
        buffer = b""
        while True:
            chunk = self._in.read1(1 << 16)
            if not chunk:
                break
            buffer += chunk
            *messages, buffer = buffer.split(b"\0")
            with self._cond:
                for raw in messages:
                    message = json.loads(raw)
                    if "id" in message:
                        self._answers[message["id"]] = message
                    else:
                        self._events.append(message)
                self._cond.notify_all()
        with self._cond:
            self._closed = True
            self._cond.notify_all()

    def call(self, method, session=None, timeout=60, **params):
        """Sends a command and waits for its answer; raises on an error."""
        with self._cond:
            self._next_id += 1
            ident = self._next_id
        message = {"id": ident, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        self._out.write(json.dumps(message).encode() + b"\0")
        self._out.flush()
        with self._cond:
            if not self._cond.wait_for(lambda: ident in self._answers or self._closed, timeout):
                raise ChromiumError(f"{method}: no answer in {timeout} s")
            if ident not in self._answers:
                raise ChromiumError(f"{method}: the browser went away (see {self.log_path})")
            answer = self._answers.pop(ident)
        if "error" in answer:
            raise ChromiumError(f"{method}: {answer['error'].get('message')}")
        return answer.get("result", {})

    def page(self, method, timeout=60, **params):
        return self.call(method, session=self.session, timeout=timeout, **params)

    def evaluate(self, expression, timeout=60):
        """The value of a JavaScript expression in the page (promises awaited)."""
        result = self.page("Runtime.evaluate", timeout=timeout, expression=expression,
                           returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise ChromiumError(f"{expression}: {result['exceptionDetails'].get('text')}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout):
        """Waits until a JavaScript expression is truthy in the page, and
        returns its value; polls, as the page offers no event for it. While
        the page (re)loads there may be no context to evaluate in: that
        counts as not yet."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                value = self.evaluate(expression)
                error = None
            except ChromiumError as failure:
                value, error = None, failure
            if value:
                return value
            if time.monotonic() > deadline:
                raise ChromiumError(f"still false after {timeout} s: {expression}"
                                    + (f" ({error})" if error else ""))
            time.sleep(0.1)

    def console(self):
        """The page's console lines so far, as text."""
        with self._cond:
            events = list(self._events)
        lines = []
        for event in events:
            if event.get("method") == "Runtime.consoleAPICalled":
                args = event["params"].get("args", [])
                lines.append(" ".join(str(a.get("value", a.get("description", ""))) for a in args))
        return lines

    def wait_for_console(self, text, timeout):
        """Waits for a console line holding `text`."""
        deadline = time.monotonic() + timeout
        with self._cond:
            while not any(text in line for line in self.console()):
                left = deadline - time.monotonic()
                if left <= 0 or self._closed:
                    raise ChromiumError(f"no console line with {text!r} in {timeout} s")
                self._cond.wait(left)

    def press(self, code, key, virtual_key):
        """A key pressed and released, as a user's keyboard sends it."""
        for kind in ("keyDown", "keyUp"):
            self.page("Input.dispatchKeyEvent", type=kind, code=code, key=key,
                      windowsVirtualKeyCode=virtual_key)

    def open(self, url, width, height):
        """Loads `url` in a viewport of width x height CSS pixels at scale 1."""
        self.page("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=False)
        self.page("Page.navigate", url=url)
