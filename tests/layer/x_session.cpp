#include "x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace xtest {
namespace {

Display* Connection(void* connection) { return static_cast<Display*>(connection); }

// Reads the display number Xvfb writes once it accepts connections.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  pollfd waitFor{fd, POLLIN, 0};
  while (poll(&waitFor, 1, 10000) > 0) {
    char c = 0;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  return number;
}

RRCrtc OutputCrtc(Display* display, XRRScreenResources* resources) {
  XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[0]);
  const RRCrtc crtc = output ? output->crtc : 0;
  if (output) XRRFreeOutputInfo(output);
  return crtc;
}

}  // namespace

bool Session::Start(int width, int height, int depth) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const std::string screen =
      std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  const std::string fd = std::to_string(fds[1]);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a crashed test
    close(fds[0]);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  const std::string number = pid_ > 0 ? ReadDisplayNumber(fds[0]) : std::string();
  close(fds[0]);
  if (number.empty()) {
    Stop();
    return false;
  }
  display_ = ":" + number;
  setenv("DISPLAY", display_.c_str(), 1);
  connection_ = XOpenDisplay(display_.c_str());
  return connection_ != nullptr;
}

void Session::Stop() {
  if (connection_) XCloseDisplay(Connection(connection_));
  connection_ = nullptr;
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

bool Session::AddMode(int width, int height) {
  Display* display = Connection(connection_);
  const Window root = DefaultRootWindow(display);
  XRRScreenResources* resources = XRRGetScreenResources(display, root);
  if (!resources || resources->noutput < 1) return false;
  std::string name = std::to_string(width) + "x" + std::to_string(height);
  XRRModeInfo mode{};
  mode.width = static_cast<unsigned>(width);
  mode.height = static_cast<unsigned>(height);
  // A plausible 60 Hz timing; Xvfb only looks at the size.
  mode.hTotal = static_cast<unsigned>(width) + 160;
  mode.vTotal = static_cast<unsigned>(height) + 45;
  mode.dotClock = static_cast<unsigned long>(mode.hTotal) * mode.vTotal * 60;
  mode.name = name.data();
  mode.nameLength = static_cast<unsigned>(name.size());
  const RRMode id = XRRCreateMode(display, root, &mode);
  XRRAddOutputMode(display, resources->outputs[0], id);
  XRRFreeScreenResources(resources);
  XSync(display, False);
  return id != 0;
}

ScreenMode Session::CurrentMode() {
  Display* display = Connection(connection_);
  XRRScreenResources* resources =
      XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  ScreenMode result;
  if (!resources) return result;
  if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, OutputCrtc(display, resources))) {
    result.width = static_cast<int>(crtc->width);
    result.height = static_cast<int>(crtc->height);
    XRRFreeCrtcInfo(crtc);
  }
  XRRFreeScreenResources(resources);
  return result;
}

WindowInfo Session::FindWindow(const std::string& title) {
  Display* display = Connection(connection_);
  WindowInfo info;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    return info;
  for (unsigned i = 0; i < count && !info.found; ++i) {
    char* name = nullptr;
    if (!XFetchName(display, children[i], &name) || !name) continue;
    XWindowAttributes attributes;
    if (title == name && XGetWindowAttributes(display, children[i], &attributes)) {
      info = WindowInfo{true,          attributes.map_state == IsViewable,
                        attributes.x,  attributes.y,
                        attributes.width, attributes.height,
                        children[i]};
    }
    XFree(name);
  }
  if (children) XFree(children);
  return info;
}

unsigned long Session::Pixel(unsigned long window, int x, int y) {
  Display* display = Connection(connection_);
  XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return ~0ul;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

void Session::RequestClose(unsigned long window) {
  Display* display = Connection(connection_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

void Session::Resize(unsigned long window, int width, int height) {
  Display* display = Connection(connection_);
  XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFlush(display);
}

Session& Current() {
  static Session session;
  return session;
}

int Xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace xtest
