// Random message sequences, mixed with injected platform failures, through
// the whole program on the fake: the queue, the window procedure, default
// processing and the main loop.
//
// Invariants:
//  - nothing crashes (the sanitizers watch memory and undefined behaviour);
//  - the window's closed flag is only ever set by a WM_CLOSE reaching it;
//  - once a WM_CLOSE has been dispatched, the loop ends in that same pass.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fake_platform.h"
#include "platform/core/window_manager.h"
#include "scene/wave_demo.h"
#include "shell/main_loop.h"
#include "window/gl_window.h"

namespace {

// Calls whose failure the program must survive.
const char* const kFallible[] = {
    "RegisterClassA",    "CreateWindowExA",        "GetDC",
    "ChoosePixelFormat", "SetPixelFormat",         "wglCreateContext",
    "wglMakeCurrent",    "ChangeDisplaySettingsA", "CreateFontA",
    "glGenLists",        "wglUseFontBitmapsA",     "wglUseFontOutlinesA",
    "GetCharWidthA",     "PeekMessageA",           "SwapBuffers",
    "SelectObject",
};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return offset_ >= size_; }
  template <typename T>
  T Take() {
    T value{};
    const size_t n = size_ - offset_ < sizeof value ? size_ - offset_ : sizeof value;
    std::memcpy(&value, data_ + offset_, n);
    offset_ += n;
    return value;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

struct Run {
  int pass = 0;
  int closeDispatchedInPass = -1;
  bool closeDelivered = false;
  bool opened = false;  // the window was seen open once
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake::Platform& platform = fake::Get();
  platform.Reset();
  platform.recordVertices = false;
  platform.counterStep = 16000;
  currentWindow = nullptr;
  sceneTime = 0.0;

  Input input(data, size);
  // Up to three injected failures first.
  const int failures = input.Take<uint8_t>() % 4;
  for (int i = 0; i < failures; ++i) {
    const char* call = kFallible[input.Take<uint8_t>() % (sizeof kFallible / sizeof *kFallible)];
    // Only the switch may fail: a failed restore is beyond what the program can mend.
    const int nth =
        std::strcmp(call, "ChangeDisplaySettingsA") == 0 ? 1 : 1 + input.Take<uint8_t>() % 8;
    platform.Fail(call, nth);
  }

  Run run;
  wincore::WindowManager& windows = wincore::WindowManager::Get();
  auto recordDelivery = windows.onDeliver;
  windows.onDeliver = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) run.closeDelivered = true;
    if (recordDelivery) recordDelivery(hwnd, msg, wParam, lParam);
  };

  platform.onCall = [&](const fake::Call& call) {
    if (call.name == "DispatchMessageA" && call.args[0] == WM_CLOSE && currentWindow &&
        currentWindow->hwnd && windows.Find(currentWindow->hwnd))
      run.closeDispatchedInPass = run.pass;
    if (call.name == "PeekMessageA") ++run.pass;
    if (call.name == "SwapBuffers") {
      // A pass that dispatched WM_CLOSE to the live window never presents.
      Check(run.closeDispatchedInPass != run.pass);
    }
    if (call.name != "Sleep" || !currentWindow) return;
    // Once open, the window is closed only by a WM_CLOSE reaching it.
    if (!currentWindow->closed) run.opened = true;
    if (run.opened && currentWindow->closed) Check(run.closeDelivered);

    // Between passes, the input posts a few messages.
    const int count = input.Empty() ? 0 : input.Take<uint8_t>() % 4;
    for (int i = 0; i < count; ++i) {
      const UINT message = input.Take<uint16_t>();
      const WPARAM wParam = input.Take<uint32_t>();
      const LPARAM lParam = static_cast<int32_t>(input.Take<uint32_t>());
      const bool toThread = (message & 1) && input.Take<uint8_t>() % 4 == 0;
      windows.Post(toThread ? nullptr : currentWindow->hwnd, message, wParam, lParam);
    }
    // Once the input is spent, the user presses Escape until the demo ends.
    if (input.Empty() && currentWindow->hwnd) {
      windows.Post(currentWindow->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    Check(run.pass < 100000);
  };

  const int status = WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
  Check(status == 0 || status == 1);
  // Whatever happened, the display is back and nothing is left open.
  Check(!platform.modeSwitched);
  Check(windows.WindowCount() == 0);
  Check(platform.contexts.empty());
  return 0;
}
