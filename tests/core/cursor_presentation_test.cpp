// The cursor over a display mode: hidden where it covers the screen, as the
// program asked with ShowCursor(FALSE); in a window of its own shown, and
// hidden after 2 s without movement. The test backend's counter is scripted,
// so no test waits.
#include "platform/core/cursor_presentation.h"

#include "mode_window_fixture.h"

namespace {

using core::CursorShown;

const int64_t kSecond = 1000000;  // the test backend's counter frequency

TEST(CursorShown, TheCounterRulesExceptOverAModeInAWindowUntilItIdles) {
  EXPECT_TRUE(CursorShown(0, false, 0, kSecond));
  EXPECT_TRUE(CursorShown(3, true, 100 * kSecond, kSecond)) << "shown by the program: never idles";
  EXPECT_FALSE(CursorShown(-1, false, 0, kSecond)) << "hidden by the program, covering the screen";
  EXPECT_TRUE(CursorShown(-1, true, 0, kSecond));
  EXPECT_TRUE(CursorShown(-1, true, 2 * kSecond - 1, kSecond));
  EXPECT_FALSE(CursorShown(-1, true, 2 * kSecond, kSecond));
  EXPECT_TRUE(CursorShown(-2, true, 2 * kSecond, 0)) << "no clock: never idles";
}

class CursorPresentation : public ModeWindow {
 protected:
  // Lets this much of the backend's clock pass, then pumps.
  void After(int64_t ticks) {
    fake::Get().counter += ticks;
    Pump();
  }
};

TEST_F(CursorPresentation, CoveringTheScreenTheProgramsHiddenCursorStaysHidden) {
  ShowMode(/*inWindow=*/false);
  ShowCursor(FALSE);
  EXPECT_FALSE(fake::Get().cursorShown);
  Queue(core::Event::kPointerMove);
  After(kSecond);
  EXPECT_FALSE(fake::Get().cursorShown) << "a pointer movement showed it over the covered screen";
}

TEST_F(CursorPresentation, InAWindowItShowsAndHidesAfterTwoSecondsWithoutMovement) {
  ShowMode(/*inWindow=*/true);
  ShowCursor(FALSE);
  EXPECT_TRUE(fake::Get().cursorShown) << "hidden in a window the user must reach";
  After(2 * kSecond - 1);
  EXPECT_TRUE(fake::Get().cursorShown) << "hidden before its 2 s";
  After(1);
  EXPECT_FALSE(fake::Get().cursorShown) << "still shown after 2 s without movement";

  Queue(core::Event::kPointerMove);
  After(0);
  EXPECT_TRUE(fake::Get().cursorShown) << "a movement did not bring it back";
  After(kSecond);
  Queue(core::Event::kPointerMove);  // a second movement starts the 2 s again
  After(0);
  After(kSecond + kSecond / 2);
  EXPECT_TRUE(fake::Get().cursorShown);
  After(kSecond / 2);
  EXPECT_FALSE(fake::Get().cursorShown);
  EXPECT_EQ(ShowCursor(TRUE), 0) << "the program's counter is its own";
  EXPECT_TRUE(fake::Get().cursorShown);
}

TEST_F(CursorPresentation, AltEnterHidesItOverTheScreenAndShowsItInTheWindowAgain) {
  ShowMode(/*inWindow=*/false);
  ShowCursor(FALSE);
  AltEnter();
  EXPECT_TRUE(fake::Get().cursorShown) << "not shown in the window after Alt+Enter";
  AltEnter();
  EXPECT_FALSE(fake::Get().cursorShown) << "shown over the covered screen after Alt+Enter";
  AltEnter();
  EXPECT_TRUE(fake::Get().cursorShown);
  After(2 * kSecond);
  EXPECT_FALSE(fake::Get().cursorShown);
  // Leaving the mode, the program's counter rules again (-1: hidden).
  ChangeDisplaySettingsA(nullptr, 0);
  EXPECT_FALSE(fake::Get().cursorShown);
}

// A program that never shows a mode in a window must be able to script its
// counter readings exactly: the cursor's timer reads none of them.
TEST_F(CursorPresentation, ReadsNoCounterUnlessAModeShowsInAWindow) {
  ShowMode(/*inWindow=*/false);
  ShowCursor(FALSE);
  fake::Get().counterScript = {10, 20, 30};
  Queue(core::Event::kPointerMove);
  Pump();
  Pump();
  EXPECT_EQ(fake::Get().counterScript.size(), 3u);
}

}  // namespace
