#include "x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace xtest {
namespace {

Display* X(void* connection) {
  return static_cast<Display*>(connection);
}

// The program under test creates and destroys windows on its own connection
// while the test looks at them on this one; a window gone in between is
// simply not found.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

class QuietErrors {
 public:
  explicit QuietErrors(Display* display)
      : display_(display), saved_(XSetErrorHandler(IgnoreErrors)) {}
  ~QuietErrors() {
    XSync(display_, False);
    XSetErrorHandler(saved_);
  }

 private:
  Display* display_;
  XErrorHandler saved_;
};

}  // namespace

bool Session::Start(int width, int height, int depth) {
  xvfb_ = std::make_unique<testsupport::PrivateXvfb>(width, height, depth);
  if (!xvfb_->Running()) return false;
  setenv("DISPLAY", xvfb_->Display().c_str(), 1);
  connection_ = XOpenDisplay(nullptr);
  return connection_ != nullptr;
}

void Session::Stop() {
  if (connection_) XCloseDisplay(X(connection_));
  connection_ = nullptr;
  xvfb_.reset();
}

bool Session::AddMode(int width, int height) {
  Display* display = X(connection_);
  const Window root = DefaultRootWindow(display);
  XRRScreenResources* resources = XRRGetScreenResources(display, root);
  std::string name = std::to_string(width) + "x" + std::to_string(height);
  XRRModeInfo mode{};
  mode.width = static_cast<unsigned>(width);
  mode.height = static_cast<unsigned>(height);
  mode.hTotal = mode.width + 160;  // a 60 Hz timing; Xvfb looks at the size only
  mode.vTotal = mode.height + 45;
  mode.dotClock = 60ul * mode.hTotal * mode.vTotal;
  mode.name = name.data();
  mode.nameLength = static_cast<unsigned>(name.size());
  const RRMode id = XRRCreateMode(display, root, &mode);
  XRRAddOutputMode(display, resources->outputs[0], id);
  XRRFreeScreenResources(resources);
  XSync(display, False);
  return id != 0;
}

int Session::Mode(bool width) {
  Display* display = X(connection_);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[0]);
  XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc);
  const int size = crtc ? static_cast<int>(width ? crtc->width : crtc->height) : 0;
  if (crtc) XRRFreeCrtcInfo(crtc);
  XRRFreeOutputInfo(output);
  XRRFreeScreenResources(resources);
  return size;
}

WindowInfo Session::FindWindow(const std::string& title) {
  Display* display = X(connection_);
  QuietErrors quiet(display);
  WindowInfo info;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  for (unsigned i = 0; i < count && !info.found; ++i) {
    char* name = nullptr;
    XWindowAttributes a;
    if (XFetchName(display, children[i], &name) && name && title == name &&
        XGetWindowAttributes(display, children[i], &a)) {
      info = {true, a.map_state == IsViewable, a.x, a.y, a.width, a.height, children[i]};
    }
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return info;
}

unsigned long Session::Pixel(unsigned long window, int x, int y) {
  QuietErrors quiet(X(connection_));
  XImage* image = XGetImage(X(connection_), window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return ~0ul;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

std::vector<uint32_t> Session::Pixels(unsigned long window, int width, int height) {
  QuietErrors quiet(X(connection_));
  XImage* image = XGetImage(X(connection_), window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  std::vector<uint32_t> pixels;
  if (!image) return pixels;
  pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
  XDestroyImage(image);
  return pixels;
}

void Session::RequestClose(unsigned long window) {
  Display* display = X(connection_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

void Session::Resize(unsigned long window, int width, int height) {
  XResizeWindow(X(connection_), window, static_cast<unsigned>(width),
                static_cast<unsigned>(height));
  XFlush(X(connection_));
}

unsigned long Session::MapWhiteWindow(int width, int height) {
  Display* display = X(connection_);
  const Window window = XCreateSimpleWindow(
      display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
      static_cast<unsigned>(height), 0, 0, WhitePixel(display, DefaultScreen(display)));
  XMapWindow(display, window);
  XSync(display, False);
  return window;
}

void Session::DestroyOwnWindow(unsigned long window) {
  XDestroyWindow(X(connection_), window);
  XSync(X(connection_), False);
}

void Session::Focus(unsigned long window) {
  QuietErrors quiet(X(connection_));
  XSetInputFocus(X(connection_), window, RevertToPointerRoot, CurrentTime);
}

Session& Current() {
  static Session session;
  return session;
}

int Xdotool(const std::string& arguments) {
  const int status = std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

std::string& ConfigHome() {
  static std::string folder;
  return folder;
}

void RemoveConfigHome() {
  std::system(("rm -rf '" + ConfigHome() + "'").c_str());
}

// A settings folder of the test process's own, for children that are given
// none; gone when the process ends.
const std::string& EmptyConfigHome() {
  if (ConfigHome().empty()) {
    std::string pattern = "/tmp/plumo-test-config-XXXXXX";
    if (!mkdtemp(&pattern[0])) pattern = "/tmp/plumo-test-config-unmade";
    ConfigHome() = pattern;
    std::atexit(RemoveConfigHome);
  }
  return ConfigHome();
}

bool Named(const char* entry, const std::string& name) {
  return std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=';
}

}  // namespace

Child Spawn(const std::string& program, const std::vector<std::string>& arguments, bool withDisplay,
            bool captureStderr, const std::vector<std::string>& environment) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> given{"XDG_CONFIG_HOME=" + EmptyConfigHome()};
  for (const std::string& entry : environment) {
    const std::string name = entry.substr(0, entry.find('='));
    given.erase(std::remove_if(given.begin(), given.end(),
                               [&](const std::string& old) { return Named(old.c_str(), name); }),
                given.end());
    given.push_back(entry);
  }
  std::vector<char*> env;
  for (char** entry = environ; *entry; ++entry) {
    if (!withDisplay && std::strncmp(*entry, "DISPLAY=", 8) == 0) continue;
    if (std::strncmp(*entry, "ASAN_OPTIONS=", 13) == 0) continue;
    bool replaced = false;
    for (const std::string& entryGiven : given)
      replaced = replaced || Named(*entry, entryGiven.substr(0, entryGiven.find('=')));
    if (!replaced) env.push_back(*entry);
  }
  for (std::string& entry : given) env.push_back(&entry[0]);
  // A whole program's leaks are valgrind's to judge (tests/memcheck): by the
  // time LeakSanitizer looks, Mesa's driver is unloaded and its blocks can no
  // longer be told from ours. The tests' own process is still leak-checked.
  static char sanitizerOptions[] = "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1";
  env.push_back(sanitizerOptions);
  env.push_back(nullptr);

  Child child;
  int fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (captureStderr && pipe(fds) == 0) {
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data()) == 0)
    child.pid = pid;
  posix_spawn_file_actions_destroy(&actions);
  if (fds[1] >= 0) close(fds[1]);
  child.stderrFd = fds[0];
  return child;
}

bool Running(Child& child) {
  if (child.pid <= 0) return false;
  siginfo_t info{};
  // Looked at, not reaped: WaitForExit still gets its status.
  if (waitid(P_PID, static_cast<id_t>(child.pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
    return false;
  return info.si_pid == 0;
}

int WaitForExit(Child& child, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int status = 0;
  while (child.pid > 0 && waitpid(child.pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child.pid, SIGKILL);
      waitpid(child.pid, &status, 0);
      child.pid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  child.pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadStderr(Child& child) {
  std::string text;
  char buffer[512];
  ssize_t count = 0;
  while (child.stderrFd >= 0 && (count = read(child.stderrFd, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(count));
  return text;
}

std::string SelfPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return std::string(path, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace xtest
