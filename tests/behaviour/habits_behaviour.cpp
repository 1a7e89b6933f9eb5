// The desktop's habits the layer keeps for a program: what losing the focus
// does to its clock (--pause-on-focus-loss), and a gamepad's buttons.
#include "behaviour_fixture.h"
#include "platform/core/backend.h"
#include "platform/core/focus_pause.h"
#include "platform/core/options.h"
#include "platform/core/scene_clock.h"

namespace {

using core::FocusLoss;

int64_t Counter() {
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

int64_t Frequency() {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

bool Paused() {
  return core::TheSceneClock().Held(core::SceneClock::kPaused);
}

class FocusLossBehaviour : public Behaviour {
 protected:
  static constexpr const char* kTitle = "Behaviour Focus";

  // A shown window with the focus; false where the backend has no focus to lose.
  bool Start(FocusLoss policy) {
    core::LayerOptions().pauseOnFocusLoss = policy;
    HDC hdc = nullptr;
    hwnd = CreateShownWithFormat(&hdc, kTitle);
    if (!hwnd) return false;
    return harness::FocusBack(hwnd, kTitle) && PumpUntil(core::ProgramHasFocus);
  }
  bool Lose() {
    return harness::FocusElsewhere(hwnd) && PumpUntil([] { return !core::ProgramHasFocus(); });
  }
  bool Regain() { return harness::FocusBack(hwnd, kTitle) && PumpUntil(core::ProgramHasFocus); }
  // Whether the counter stood still while a tenth of a second passed.
  bool Stands() {
    const int64_t before = Counter();
    harness::Advance(Frequency() / 10);
    return Counter() == before;
  }
  void PressPause() {
    harness::Key(VK_PAUSE, true);
    harness::Key(VK_PAUSE, false);
    const bool wasPaused = Paused();
    PumpUntil([&] { return Paused() != wasPaused; });
  }

  HWND hwnd = nullptr;
};

TEST_F(FocusLossBehaviour, NeverIsTheDefaultAndLetsTheClockRun) {
  EXPECT_EQ(core::Options{}.pauseOnFocusLoss, FocusLoss::kNever);
  if (!Start(FocusLoss::kNever)) GTEST_SKIP() << harness::Name() << " has no focus to lose";
  ASSERT_TRUE(Lose());
  EXPECT_FALSE(Stands()) << "the clock stopped without the focus";
  EXPECT_FALSE(Paused());
}

TEST_F(FocusLossBehaviour, ResumeHoldsTheClockUntilTheFocusIsBackAndCountsNoneOfThatTime) {
  if (!Start(FocusLoss::kResume)) GTEST_SKIP() << harness::Name() << " has no focus to lose";
  const int64_t frequency = Frequency();
  ASSERT_TRUE(Lose());
  const int64_t lost = Counter();
  EXPECT_TRUE(Stands());
  harness::Advance(frequency / 2);
  ASSERT_TRUE(Regain());
  EXPECT_FALSE(Paused());
  harness::Advance(frequency / 10);
  const int64_t resumed = Counter();
  EXPECT_GT(resumed, lost) << "the clock did not resume with the focus";
  EXPECT_LT(resumed - lost, frequency / 2) << "the time without the focus was counted";
}

TEST_F(FocusLossBehaviour, StayHoldsTheClockUntilTheUserResumesIt) {
  if (!Start(FocusLoss::kStay)) GTEST_SKIP() << harness::Name() << " has no focus to lose";
  ASSERT_TRUE(Lose());
  EXPECT_TRUE(Stands());
  ASSERT_TRUE(Regain());
  EXPECT_TRUE(Stands()) << "the focus alone resumed it";
  PressPause();
  EXPECT_FALSE(Paused());
  EXPECT_FALSE(Stands());
}

TEST_F(FocusLossBehaviour, ResumeLeavesAPauseTheUserMadeBeforeTheLoss) {
  if (!Start(FocusLoss::kResume)) GTEST_SKIP() << harness::Name() << " has no focus to lose";
  PressPause();
  ASSERT_TRUE(Paused());
  ASSERT_TRUE(Lose());
  ASSERT_TRUE(Regain());
  EXPECT_TRUE(Paused()) << "regaining the focus lifted the user's own pause";
  EXPECT_TRUE(Stands());
}

// A window whose procedure ends its run on Escape, as the demo's does.
LRESULT CALLBACK EndsOnEscape(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class GamepadBehaviour : public Behaviour {
 protected:
  static constexpr const char* kPadClass = "Behaviour Pad";

  void SetUp() override {
    Behaviour::SetUp();
    WNDCLASSA wndClass{};
    wndClass.style = CS_OWNDC;
    wndClass.lpfnWndProc = EndsOnEscape;
    wndClass.lpszClassName = kPadClass;
    ASSERT_NE(RegisterClassA(&wndClass), 0);
    hwnd = CreateWindowExA(WS_EX_APPWINDOW, kPadClass, "Behaviour Pad", WS_POPUP, 0, 0, 320, 240,
                           nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    HDC hdc = GetDC(hwnd);
    const PIXELFORMATDESCRIPTOR pfd = Descriptor(16, 8);
    ASSERT_TRUE(SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
  }
  void TearDown() override {
    DestroyWindow(hwnd);
    UnregisterClassA(kPadClass, nullptr);
    Behaviour::TearDown();
  }

  // A button pressed and let go; false where the backend has no gamepads.
  bool Press(int button) {
    return harness::GamepadButton(button, true) && harness::GamepadButton(button, false);
  }
  bool Ended() {
    for (UINT message : MessagesTo(hwnd))
      if (message == WM_DESTROY) return true;
    return false;
  }
  // The key messages PeekMessageA returned for the window, as "down 27".
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const MSG& msg : RetrievedFor(hwnd)) {
      if (msg.message == WM_KEYDOWN) keys.push_back("down " + std::to_string(msg.wParam));
      if (msg.message == WM_KEYUP) keys.push_back("up " + std::to_string(msg.wParam));
    }
    return keys;
  }

  HWND hwnd = nullptr;
};

const std::string kEscapeDown = "down " + std::to_string(VK_ESCAPE);
const std::string kEscapeUp = "up " + std::to_string(VK_ESCAPE);

TEST_F(GamepadBehaviour, BackEndsTheRunAsEscapeDoes) {
  if (!Press(core::kPadBack)) GTEST_SKIP() << harness::Name() << " has no gamepads";
  ASSERT_TRUE(PumpUntil([&] { return Ended(); })) << "Back did not end the window's run";
  EXPECT_EQ(Keys(), (std::vector<std::string>{kEscapeDown, kEscapeUp}));
}

TEST_F(GamepadBehaviour, TheEastButtonIsEscapeToo) {
  if (!Press(core::kPadEast)) GTEST_SKIP() << harness::Name() << " has no gamepads";
  ASSERT_TRUE(PumpUntil([&] { return Ended(); })) << "East did not end the window's run";
  EXPECT_EQ(Keys(), (std::vector<std::string>{kEscapeDown, kEscapeUp}));
}

TEST_F(GamepadBehaviour, StartHoldsTheCounterAndOtherButtonsReachNothing) {
  if (!Press(core::kPadSouth)) GTEST_SKIP() << harness::Name() << " has no gamepads";
  ASSERT_TRUE(Press(core::kPadStart));
  ASSERT_TRUE(PumpUntil(Paused)) << "Start did not pause";
  const int64_t paused = Counter();
  harness::Advance(Frequency() / 10);
  EXPECT_EQ(Counter(), paused) << "the counter ran while paused";
  ASSERT_TRUE(Press(core::kPadStart));
  ASSERT_TRUE(PumpUntil([] { return !Paused(); })) << "Start did not resume";
  harness::Advance(Frequency() / 10);
  EXPECT_GT(Counter(), paused);
  EXPECT_TRUE(Keys().empty()) << "a gamepad's South or Start reached the program as a key";
  EXPECT_FALSE(Ended());
}

TEST_F(GamepadBehaviour, APadUnpluggedAndPluggedBackStillWorks) {
  if (!Press(core::kPadStart)) GTEST_SKIP() << harness::Name() << " has no gamepads";
  ASSERT_TRUE(PumpUntil(Paused));
  ASSERT_TRUE(harness::ReplugGamepad()) << "the unplugged pad was not let go";
  ASSERT_TRUE(Press(core::kPadStart));
  EXPECT_TRUE(PumpUntil([] { return !Paused(); })) << "Start after plugging back did nothing";
  ASSERT_TRUE(Press(core::kPadBack));
  EXPECT_TRUE(PumpUntil([&] { return Ended(); })) << "Back after plugging back did nothing";
}

}  // namespace
