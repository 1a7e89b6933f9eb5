// The behaviour suite on the native backend: a private Xvfb (1024x768x24,
// started once per process), keys typed with xdotool, the close button as a
// window manager sends it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "harness.h"
#include "platform/core/layer_windows.h"
#include "platform/core/options.h"
#include "platform/native/window_system/test_gamepad.h"
#include "x_session.h"

namespace harness {
namespace {

unsigned long elsewhere = 0;  // the window that takes the focus from the program's

void StopSession() {
  xtest::Current().Stop();
}

// X11's names for the keys the suite presses.
std::string KeySym(int virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return std::string(1, char(virtualKey - 'A' + 'a'));
  if (virtualKey >= VK_F1 && virtualKey < VK_F1 + 12)
    return "F" + std::to_string(virtualKey - VK_F1 + 1);
  switch (virtualKey) {
    case VK_ESCAPE:
      return "Escape";
    case VK_RETURN:
      return "Return";
    case VK_SPACE:
      return "space";
    case VK_PAUSE:
      return "Pause";
    default:
      return "";
  }
}

}  // namespace

const char* Name() {
  return "native";
}

void SetUp() {
  static const bool started = [] {
    if (!xtest::Current().Start(1024, 768, 24)) return false;
    // Registered before the layer opens the display, so it runs after the
    // layer's own exit hook has let go of the server.
    std::atexit(StopSession);
    return true;
  }();
  ASSERT_TRUE(started) << "cannot start Xvfb";
  // F12's pictures go where the test can forget them.
  setenv("XDG_PICTURES_DIR", ::testing::TempDir().c_str(), 1);
  core::LayerOptions() = core::Options{};
  core::ResetForTests();
}

void TearDown() {
  native::window_system::UnplugTestGamepad();
  if (elsewhere) xtest::Current().DestroyOwnWindow(elsewhere);
  elsewhere = 0;
  core::ResetForTests();
}

bool Settle(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void Linger(const std::function<void()>& pump) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  while (std::chrono::steady_clock::now() < until) {
    pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void Advance(long long ticks) {
  std::this_thread::sleep_for(std::chrono::nanoseconds(ticks));
}

void Key(int virtualKey, bool down, bool alt) {
  const std::string action = down ? "keydown " : "keyup ";
  std::string keys = action + KeySym(virtualKey);
  if (alt) keys = down ? "keydown alt " + keys : keys + " keyup alt";
  ASSERT_EQ(xtest::Xdotool(keys), 0) << keys;
}

// The native backend does not yet tell the core when its window cannot be seen.
bool SetProgramVisible(bool /*visible*/) {
  return false;
}

// Not counted: the cases that need it cannot hide the program here.
int Presents() {
  return 0;
}

bool CloseFromOutside(HWND /*hwnd*/, const char* title) {
  xtest::WindowInfo window;
  Settle([&] { return (window = xtest::Current().FindWindow(title)).found; });
  if (!window.found) return false;
  xtest::Current().RequestClose(window.id);
  return true;
}

}  // namespace harness

namespace harness {
namespace {

// Reads the window system's events into the core until `done` holds; the
// messages they become wait in the queue for the test.
bool PumpUntil(const std::function<bool()>& done) {
  return Settle([&] {
    core::PumpEvents();
    return done();
  });
}

}  // namespace

bool FocusElsewhere(HWND /*hwnd*/) {
  if (!elsewhere) elsewhere = xtest::Current().MapWhiteWindow(8, 8);
  xtest::Current().Focus(elsewhere);
  return true;
}

bool FocusBack(HWND /*hwnd*/, const char* title) {
  xtest::WindowInfo window;
  if (!Settle([&] { return (window = xtest::Current().FindWindow(title)).viewable; })) return false;
  xtest::Current().Focus(window.id);
  return true;
}

bool GamepadButton(int button, bool down) {
  EXPECT_TRUE(native::window_system::PlugTestGamepad());
  // SDL drops a pad's events until the layer has it open and a window has the focus.
  EXPECT_TRUE(PumpUntil(native::window_system::TestGamepadReady))
      << "the virtual gamepad never came into use";
  native::window_system::PressTestGamepad(static_cast<core::GamepadButton>(button), down);
  return true;
}

bool ReplugGamepad() {
  native::window_system::UnplugTestGamepad();
  if (!PumpUntil([] { return native::window_system::OpenGamepadCount() == 0; })) return false;
  return native::window_system::PlugTestGamepad() &&
         PumpUntil(native::window_system::TestGamepadReady);
}

}  // namespace harness
