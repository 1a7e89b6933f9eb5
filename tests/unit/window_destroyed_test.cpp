// A window procedure may destroy its window while hearing any message sent
// during the window's creation, show, hide, move or resize. The bookkeeping
// survives it as Windows does: CreateWindowExA answers NULL for a window
// destroyed before its creation messages are over, nothing more reaches the
// destroyed handle, and nothing of the window is left behind.
#include "fake_test.h"
#include "platform/core/layer_windows.h"

namespace {

const char kClass[] = "Self-destroying";

enum class Action { kCreate, kShow, kHide, kPlace };

struct Case {
  const char* name;
  Action action;
  DWORD style;
  UINT destroyOn;
  bool handleReturned;  // kCreate only: whether CreateWindowExA gives the handle
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
  return out << c.name;
}

// The procedure destroys its window the first time it hears `armedFor`. It
// asks for its DC first, so that the DC's bookkeeping must go with the window.
UINT armedFor = 0;
HWND destroyed = nullptr;

LRESULT CALLBACK SelfDestroyingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) GetDC(hwnd);
  if (armedFor && message == armedFor) {
    armedFor = 0;
    destroyed = hwnd;
    DestroyWindow(hwnd);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class WindowDestroyedTest : public FakeTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    armedFor = 0;
    destroyed = nullptr;
    WNDCLASSA wndClass{};
    wndClass.style = CS_OWNDC;
    wndClass.lpfnWndProc = SelfDestroyingProc;
    wndClass.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wndClass), 0);
  }

  HWND Create(DWORD style) {
    return CreateWindowExA(0, kClass, "", style, 0, 0, 320, 200, nullptr, nullptr, nullptr,
                           nullptr);
  }

  // Procedure calls for `hwnd` recorded after its WM_NCDESTROY.
  std::vector<std::string> HeardAfterDestruction(HWND hwnd) const {
    std::vector<std::string> late;
    bool gone = false;
    for (const fake::Call& call : platform.calls) {
      if (call.name.rfind("-> ", 0) != 0 || call.args[0] != fake::Handle(hwnd).value) continue;
      if (gone) late.push_back(call.text);
      gone = gone || call.name == "-> WM_NCDESTROY";
    }
    return late;
  }
};

TEST_P(WindowDestroyedTest, LeavesNothingBehindAndHearsNothingMore) {
  const Case c = GetParam();
  HWND hwnd = nullptr;
  if (c.action == Action::kCreate) {
    armedFor = c.destroyOn;
    hwnd = Create(c.style);
    EXPECT_EQ(hwnd != nullptr, c.handleReturned) << TRACE();
  } else {
    hwnd = Create(c.action == Action::kHide ? c.style | WS_VISIBLE : c.style);
    ASSERT_NE(hwnd, nullptr);
    armedFor = c.destroyOn;
    switch (c.action) {
      case Action::kShow:
        EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));  // it was hidden
        break;
      case Action::kHide:
        EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
        break;
      default:
        SetWindowPos(hwnd, nullptr, 10, 20, 400, 300, SWP_NOZORDER);
    }
  }

  ASSERT_NE(destroyed, nullptr) << "the procedure never heard " << fake::MessageName(c.destroyOn)
                                << "\n"
                                << TRACE();
  if (hwnd) {
    EXPECT_EQ(hwnd, destroyed);
  }
  EXPECT_EQ(platform.Count("-> WM_NCDESTROY"), 1u) << TRACE();
  EXPECT_THAT(HeardAfterDestruction(destroyed), ::testing::IsEmpty()) << TRACE();
  EXPECT_EQ(core::Windows().WindowCount(), 0u);
  EXPECT_TRUE(platform.LiveDeviceContexts() == 0) << "the window's DC outlived it";
  EXPECT_TRUE(UnregisterClassA(kClass, nullptr)) << "the class still counts the window";
  // Later calls on the handle fail.
  EXPECT_FALSE(ShowWindow(destroyed, SW_SHOWNORMAL));
  EXPECT_FALSE(SetWindowPos(destroyed, nullptr, 0, 0, 10, 10, SWP_NOZORDER));
}

const DWORD kPopup = WS_POPUP;
const DWORD kOverlapped = WS_OVERLAPPEDWINDOW;

INSTANTIATE_TEST_SUITE_P(
    AnyMessage, WindowDestroyedTest,
    ::testing::Values(
        // Destroyed before creation is over: NULL.
        Case{"PopupInNcCreate", Action::kCreate, kPopup, WM_NCCREATE, false},
        Case{"PopupInCreate", Action::kCreate, kPopup, WM_CREATE, false},
        Case{"PopupInCreationSize", Action::kCreate, kPopup, WM_SIZE, false},
        Case{"PopupInCreationMove", Action::kCreate, kPopup, WM_MOVE, false},
        Case{"OverlappedInCreate", Action::kCreate, kOverlapped, WM_CREATE, false},
        // Destroyed while a WS_VISIBLE window is shown: its handle, dead.
        Case{"VisiblePopupInShow", Action::kCreate, kPopup | WS_VISIBLE, WM_SHOWWINDOW, true},
        Case{"VisibleOverlappedInShow", Action::kCreate, kOverlapped | WS_VISIBLE, WM_SHOWWINDOW,
             true},
        Case{"VisibleOverlappedInFirstSize", Action::kCreate, kOverlapped | WS_VISIBLE, WM_SIZE,
             true},
        Case{"VisibleOverlappedInFirstMove", Action::kCreate, kOverlapped | WS_VISIBLE, WM_MOVE,
             true},
        // Destroyed by ShowWindow's and SetWindowPos's messages.
        Case{"InShowWindow", Action::kShow, kOverlapped, WM_SHOWWINDOW, true},
        Case{"InFirstShowSize", Action::kShow, kOverlapped, WM_SIZE, true},
        Case{"InFirstShowMove", Action::kShow, kOverlapped, WM_MOVE, true},
        Case{"InHide", Action::kHide, kPopup, WM_SHOWWINDOW, true},
        Case{"InPlaceMove", Action::kPlace, kPopup, WM_MOVE, true},
        Case{"InPlaceSize", Action::kPlace, kPopup, WM_SIZE, true}),
    [](const ::testing::TestParamInfo<Case>& tested) { return std::string(tested.param.name); });

}  // namespace
