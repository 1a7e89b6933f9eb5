// The behaviour suite on the web backend, built natively: the browser's side
// is tests/support/fake_browser.cpp.
#include <string>

#include "fake_browser.h"
#include "harness.h"
#include "platform/core/layer_windows.h"
#include "platform/web/browser.h"

namespace harness {

const char* Name() {
  return "web";
}

void SetUp() {
  core::ResetForTests();
  fake_browser::Reset();
}

void TearDown() {
  core::ResetForTests();
}

bool Settle(const std::function<bool()>& done) {
  return done();
}

// KeyboardEvent.code for the keys the suite presses.
std::string CodeOf(int virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return std::string("Key") + char(virtualKey);
  if (virtualKey >= VK_F1 && virtualKey < VK_F1 + 12)
    return "F" + std::to_string(virtualKey - VK_F1 + 1);
  switch (virtualKey) {
    case VK_ESCAPE:
      return "Escape";
    case VK_RETURN:
      return "Enter";
    case VK_SPACE:
      return "Space";
    case VK_PAUSE:
      return "Pause";
    default:
      return "";
  }
}

void Linger(const std::function<void()>& pump) {
  pump();
}

void Advance(long long ticks) {
  fake_browser::Get().nowMs += static_cast<double>(ticks) / 1000.0;  // microsecond ticks
}

void Key(int virtualKey, bool down, bool alt) {
  fake_browser::Get().events.push_back(
      fake_browser::Event{down ? web::kKeyDown : web::kKeyUp, CodeOf(virtualKey), false, alt});
}

// The canvas has no close button.
bool CloseFromOutside(HWND /*hwnd*/, const char* /*title*/) {
  return false;
}

bool SetProgramVisible(bool visible) {
  fake_browser::SetHidden(!visible);
  return true;
}

int Presents() {
  return fake_browser::Get().presents;
}

// The page hears of neither the focus nor gamepads.
bool FocusElsewhere(HWND /*hwnd*/) {
  return false;
}

bool FocusBack(HWND /*hwnd*/, const char* /*title*/) {
  return false;
}

bool GamepadButton(int /*button*/, bool /*down*/) {
  return false;
}

bool ReplugGamepad() {
  return false;
}

}  // namespace harness
