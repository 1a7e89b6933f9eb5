// Random message sequences, mixed with injected platform failures, through
// the whole program on the fake: the queue, the window procedure, default
// processing and the main loop. Beside the demo's window, the input makes
// windows of a class whose procedure destroys its window on whichever message
// the input names, at its first, second or third hearing: during creation
// (WM_NCCREATE, WM_CREATE, the first WM_SIZE and WM_MOVE), show, hide, move,
// resize, a posted message or its own destruction. It shows, hides, moves,
// resizes, posts to and destroys them between the demo's passes.
//
// Invariants:
//  - nothing crashes (the sanitizers watch memory and undefined behaviour);
//  - the window's closed flag is only ever set by a WM_CLOSE reaching it;
//  - once a WM_CLOSE has been dispatched, the loop ends in that same pass;
//  - no message reaches a window after its WM_NCDESTROY;
//  - CreateWindowExA answers NULL exactly when the window was refused or
//    destroyed before its creation messages were over, as Windows does;
//  - at the end no window is left and each class can be unregistered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "fake_platform.h"
#include "platform/core/layer_windows.h"
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

// ---- windows that destroy themselves

const char kDoomedClass[] = "Fuzz Doomed";

// The messages a doomed window may die on.
const UINT kFatal[] = {WM_NCCREATE,   WM_CREATE, WM_SIZE, WM_MOVE,
                       WM_SHOWWINDOW, WM_CLOSE,  WM_USER, WM_DESTROY};

struct Plan {
  UINT fatal = 0;
  int hearings = 0;  // it dies when this reaches 0
};

struct Doomed {
  Plan next;                   // for the window being created
  std::map<HWND, Plan> plans;  // by window, from its WM_NCCREATE
  std::vector<HWND> handles;   // every window CreateWindowExA gave
  std::set<HWND> gone;         // every window that heard WM_NCDESTROY
  std::set<HWND> shown;        // every window that heard WM_SHOWWINDOW(TRUE)
  HWND creating = nullptr;     // the window the current CreateWindowExA made
};

Doomed* doomed = nullptr;

LRESULT CALLBACK DoomedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) doomed->plans[hwnd] = doomed->next;
  Plan& plan = doomed->plans[hwnd];
  if (msg == plan.fatal && plan.hearings > 0 && --plan.hearings == 0) DestroyWindow(hwnd);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND Pick(Input& input) {
  if (doomed->handles.empty()) return nullptr;
  return doomed->handles[input.Take<uint8_t>() % doomed->handles.size()];
}

void CreateDoomed(Input& input) {
  const uint8_t shape = input.Take<uint8_t>();
  DWORD style = (shape & 1) ? WS_OVERLAPPEDWINDOW : WS_POPUP;
  if (shape & 2) style |= WS_VISIBLE;
  doomed->next.fatal = kFatal[input.Take<uint8_t>() % (sizeof kFatal / sizeof *kFatal)];
  doomed->next.hearings = 1 + (shape >> 2) % 3;
  doomed->creating = nullptr;
  HWND hwnd = CreateWindowExA(0, kDoomedClass, "", style, 0, 0, 1 + input.Take<uint8_t>(),
                              1 + input.Take<uint8_t>(), nullptr, nullptr, nullptr, nullptr);
  HWND made = doomed->creating;
  if (!made) {
    Check(!hwnd);  // the call itself was made to fail
    return;
  }
  // Dead before its show: NULL. Dead while shown, or alive: its handle.
  const bool diedInCreation = doomed->gone.count(made) && !doomed->shown.count(made);
  Check(hwnd == (diedInCreation ? nullptr : made));
  if (hwnd) doomed->handles.push_back(hwnd);
}

// One thing done to the doomed windows between two passes of the demo.
void ActOnDoomed(Input& input) {
  switch (input.Take<uint8_t>() % 8) {
    case 0:
      CreateDoomed(input);
      break;
    case 1:
      ShowWindow(Pick(input), input.Take<uint8_t>() % 2 ? SW_SHOWNORMAL : SW_HIDE);
      break;
    case 2: {
      HWND hwnd = Pick(input);
      const int x = input.Take<int8_t>();
      const int y = input.Take<int8_t>();
      const UINT flags = input.Take<uint8_t>() & (SWP_NOMOVE | SWP_NOSIZE);
      SetWindowPos(hwnd, nullptr, x, y, x + 300, y + 200, SWP_NOZORDER | flags);
      break;
    }
    case 3:
      DestroyWindow(Pick(input));
      break;
    case 4:
      PostMessageA(Pick(input), kFatal[input.Take<uint8_t>() % (sizeof kFatal / sizeof *kFatal)], 0,
                   0);
      break;
    default:
      break;  // nothing this time
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake::Platform& platform = fake::Get();
  platform.Reset();
  platform.recordVertices = false;
  platform.counterStep = 16000;
  currentWindow = nullptr;
  sceneTime = 0.0;

  Input input(data, size);
  Doomed doomedWindows;
  doomed = &doomedWindows;
  WNDCLASSA doomedClass{};
  doomedClass.lpfnWndProc = DoomedProc;
  doomedClass.lpszClassName = kDoomedClass;
  Check(RegisterClassA(&doomedClass) != 0);
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
  core::WindowManager& windows = core::Windows();
  auto recordDelivery = windows.onDeliver;
  windows.onDeliver = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Check(!doomedWindows.gone.count(hwnd));  // nothing after WM_NCDESTROY
    // Sent by DestroyWindow, not merely posted by the input.
    if (msg == WM_NCDESTROY && windows.Find(hwnd)->destroying) doomedWindows.gone.insert(hwnd);
    if (msg == WM_NCCREATE) doomedWindows.creating = hwnd;
    if (msg == WM_SHOWWINDOW && wParam) doomedWindows.shown.insert(hwnd);
    if (msg == WM_CLOSE && currentWindow && hwnd == currentWindow->hwnd) run.closeDelivered = true;
    if (recordDelivery) recordDelivery(hwnd, msg, wParam, lParam);
  };

  platform.onCall = [&](const fake::Call& call) {
    if (call.name == "DispatchMessageA" && call.args[0] == WM_CLOSE && currentWindow &&
        currentWindow->hwnd && call.args[1] == fake::Handle(currentWindow->hwnd).value &&
        windows.Find(currentWindow->hwnd))
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
    if (!input.Empty()) ActOnDoomed(input);
    // Once the input is spent, the user presses Escape until the demo ends.
    if (input.Empty() && currentWindow->hwnd) {
      windows.Post(currentWindow->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    Check(run.pass < 100000);
  };

  const int status = WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
  Check(status == 0 || status == 1);
  for (HWND hwnd : doomedWindows.handles) DestroyWindow(hwnd);
  Check(UnregisterClassA(kDoomedClass, nullptr));
  doomed = nullptr;
  // Whatever happened, the display is back and nothing is left open.
  Check(!platform.ModeSwitched());
  Check(windows.WindowCount() == 0);
  Check(platform.liveContexts == 0);
  return 0;
}
