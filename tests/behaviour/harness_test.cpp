// The behaviour suite on the test backend: events go straight into its queue.
#include "harness.h"
#include "fake_platform.h"

namespace harness {

const char* Name() {
  return "test";
}

void SetUp() {
  fake::Get().Reset();
}

void TearDown() {}

bool Settle(const std::function<bool()>& done) {
  return done();
}

void Linger(const std::function<void()>& pump) {
  pump();
}

void Advance(long long ticks) {
  fake::Get().counter += ticks;
}

void Key(int virtualKey, bool down, bool alt) {
  core::Event event;
  event.kind = down ? core::Event::kKeyDown : core::Event::kKeyUp;
  event.virtualKey = virtualKey;
  event.alt = alt;
  fake::Get().events.push_back(event);
}

bool SetProgramVisible(bool visible) {
  core::Event event;
  event.kind = visible ? core::Event::kShown : core::Event::kHidden;
  fake::Get().events.push_back(event);
  return true;
}

int Presents() {
  return fake::Get().swaps;
}

bool CloseFromOutside(HWND hwnd, const char* /*title*/) {
  core::Event event;
  event.kind = core::Event::kCloseRequest;
  event.surface = fake::Get().SurfaceOf(hwnd);
  fake::Get().events.push_back(event);
  return true;
}

}  // namespace harness

namespace harness {
namespace {

void QueueFor(HWND hwnd, core::Event::Kind kind) {
  core::Event event;
  event.kind = kind;
  event.surface = fake::Get().SurfaceOf(hwnd);
  fake::Get().events.push_back(event);
}

}  // namespace

bool FocusElsewhere(HWND hwnd) {
  QueueFor(hwnd, core::Event::kFocusLost);
  return true;
}

bool FocusBack(HWND hwnd, const char* /*title*/) {
  QueueFor(hwnd, core::Event::kFocusGained);
  return true;
}

bool GamepadButton(int button, bool down) {
  core::Event event;
  event.kind = down ? core::Event::kGamepadButtonDown : core::Event::kGamepadButtonUp;
  event.button = button;
  fake::Get().events.push_back(event);
  return true;
}

// The test backend has no devices to lose.
bool ReplugGamepad() {
  return true;
}

}  // namespace harness
