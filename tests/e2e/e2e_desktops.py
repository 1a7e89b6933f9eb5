"""Desktops for the end-to-end cases, each started on the case's private Xvfb
(tests/services/private_xvfb.py) and stopped with its `with` block:

  Openbox  a stacking window manager;
  Xfwm4    Xfce's window manager with its compositor on; it reads its settings
           through xfconf over D-Bus, so it gets a private session bus;
  Weston   a Wayland compositor running as an X11 client that covers the
           Xvfb, so its output can be photographed and keys sent through X.

Every desktop keeps its settings, caches and logs in the case's work
directory, so nothing of the user's own desktop is read or written, and
reports a `program_env` for the program under test."""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time

from e2e_services import base_env

READY_TIMEOUT = 30.0


def wait_until(check, timeout, interval=0.05):
    """check()'s first true value within `timeout` seconds, else None."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value or time.monotonic() >= deadline:
            return value or None
        time.sleep(interval)


def root_property(env, name):
    result = subprocess.run(["xprop", "-root", name], env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=30)
    text = result.stdout.decode(errors="replace")
    return text if "#" in text or "=" in text else None


def selection_owner(display, selection):
    """The window that owns an X selection, 0 for none. No command-line tool
    reads selection owners, so this asks Xlib directly."""
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XGetSelectionOwner.restype = ctypes.c_ulong
    xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = xlib.XOpenDisplay(display.encode())
    if not connection:
        return 0
    try:
        return xlib.XGetSelectionOwner(connection,
                                       xlib.XInternAtom(connection, selection.encode(), 0))
    finally:
        xlib.XCloseDisplay(connection)


class Service:
    """A process of the desktop in a process group of its own, its output in
    a log; stopped with SIGTERM to the group (SIGKILL after 10 s)."""

    def __init__(self, command, env, log_path, pass_fds=()):
        self.name = os.path.basename(command[0])
        self.log_path = log_path
        with open(log_path, "wb") as log:
            self.process = subprocess.Popen(command, env=env, stdout=log, stderr=log,
                                            stdin=subprocess.DEVNULL, pass_fds=pass_fds,
                                            start_new_session=True)

    def running(self):
        return self.process.poll() is None

    def stop(self):
        for sig, wait in ((signal.SIGTERM, 10), (signal.SIGKILL, 30)):
            try:
                os.killpg(self.process.pid, sig)
            except ProcessLookupError:
                break
            try:
                self.process.wait(wait)
                break
            except subprocess.TimeoutExpired:
                continue

    def failed(self, what):
        with open(self.log_path, "rb") as log:
            tail = log.read().decode(errors="replace")[-1500:]
        status = self.process.poll()
        return RuntimeError(f"{self.name} {what} (status {status}); its log "
                            f"{self.log_path} ends:\n{tail}")


class Desktop:
    """Base of the desktops: a work directory of their own as HOME and XDG
    directories, the services they started, stopped in reverse order."""

    name = "none"

    def __init__(self, display, work_dir, size):
        self.display = display
        self.size = size
        self.work = os.path.join(work_dir, "desktop")
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.env = base_env(display)
        for variable in ("DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "XDG_RUNTIME_DIR"):
            self.env.pop(variable, None)
        self.env.update(HOME=self.work, XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                        XDG_CACHE_HOME=os.path.join(self.work, "cache"),
                        XDG_DATA_HOME=os.path.join(self.work, "data"),
                        NO_AT_BRIDGE="1")  # no accessibility bus for GTK
        self.program_env = base_env(display)
        self.services = []

    def start(self, command, log_name, env=None, pass_fds=()):
        service = Service(command, env or self.env, os.path.join(self.work, log_name), pass_fds)
        self.services.append(service)
        return service

    def __enter__(self):
        try:
            self.launch()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        while self.services:
            self.services.pop().stop()

    def ended(self):
        """The services that have ended: none while the desktop is whole."""
        return [s.name for s in self.services if not s.running()]

    def launch(self):
        pass


class WindowManager(Desktop):
    def wait_for_manager(self, service):
        def ready():
            if not service.running():
                raise service.failed("ended before managing the screen")
            return root_property(self.env, "_NET_SUPPORTING_WM_CHECK")

        if not wait_until(ready, READY_TIMEOUT):
            raise service.failed(f"did not manage the screen within {READY_TIMEOUT:.0f} s")


class Openbox(WindowManager):
    name = "openbox"

    def launch(self):
        self.wait_for_manager(self.start(["openbox", "--sm-disable"], "openbox.log"))


class Xfwm4(WindowManager):
    """xfwm4 with its compositor on. It reads its settings from xfconfd, which
    its private session bus starts on demand; the bus's own services are in
    the bus's process group and go with it."""

    name = "xfwm4"

    def launch(self):
        read_end, write_end = os.pipe()
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                          f"--print-address={write_end}"], "dbus.log", pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            address = pipe.readline().decode().strip()
        if not address:
            raise bus.failed("gave no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # The demo on an Xfce desktop has the session's bus too.
        self.program_env["DBUS_SESSION_BUS_ADDRESS"] = address
        wm = self.start(["xfwm4", "--compositor=on", "--sm-client-disable"], "xfwm4.log")
        self.wait_for_manager(wm)
        if not wait_until(self.compositing, READY_TIMEOUT):
            raise wm.failed("did not start compositing")

    def compositing(self):
        """Whether a compositing manager owns the screen's CM selection."""
        return selection_owner(self.display, "_NET_WM_CM_S0") != 0


class Weston(Desktop):
    """weston's X11 backend on the Xvfb, kiosk shell, no idle blanking; the
    program gets WAYLAND_DISPLAY and SDL's wayland driver, and no DISPLAY."""

    name = "weston"

    window = None  # weston's own X11 window, where keys for the program go

    def launch(self):
        # A private runtime directory: weston wants it 0700, and a socket path
        # must stay short, so it is not under the (deep) work directory.
        self.runtime = tempfile.mkdtemp(prefix="plumo-e2e-")
        socket = f"plumo-{os.getpid()}"
        self.env["XDG_RUNTIME_DIR"] = self.runtime
        weston = self.start(["weston", "--backend=x11-backend.so", "--use-pixman",
                             f"--width={self.size[0]}", f"--height={self.size[1]}",
                             "--shell=kiosk-shell.so", f"--socket={socket}", "--idle-time=0"],
                            "weston.log")

        def ready():
            if not weston.running():
                raise weston.failed("ended before showing its output")
            if not os.path.exists(os.path.join(self.runtime, socket)):
                return None
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class",
                                    "^Weston Compositor$"], env=self.env, timeout=30,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            return found.stdout.decode().split()

        windows = wait_until(ready, READY_TIMEOUT)
        if not windows:
            raise weston.failed(f"showed no output window within {READY_TIMEOUT:.0f} s")
        self.window = windows[0]
        # Keys for the program go to weston's window, which takes the X focus
        # now, long before they come: weston's X11 backend holds a FocusIn
        # back until the KeymapNotify behind it, and a focus change right
        # before a key (FocusOut, then FocusIn) now and then left its seat
        # without keyboard focus, so the key reached no client.
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], env=self.env,
                       check=True, timeout=30, stdout=subprocess.DEVNULL)
        self.program_env = dict(os.environ)
        for variable in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            self.program_env.pop(variable, None)
        self.program_env.update(WAYLAND_DISPLAY=socket, XDG_RUNTIME_DIR=self.runtime,
                                SDL_VIDEODRIVER="wayland")

    def __exit__(self, *exc):
        super().__exit__(*exc)
        if getattr(self, "runtime", None):
            shutil.rmtree(self.runtime, ignore_errors=True)


DESKTOPS = {"none": Desktop, "openbox": Openbox, "xfwm4": Xfwm4, "weston": Weston}
