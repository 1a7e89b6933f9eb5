// Where a display mode shown in a window sits: the remembered place the
// first time, as the user left it when it stops showing there.
#include "platform/core/window_place.h"

#include "mode_window_fixture.h"

namespace {

using core::WindowPlace;

class WindowPlaceTest : public ModeWindow {
 protected:
  // The user moves and resizes the window.
  void UserPlaces(int x, int y, int width, int height) {
    fake::ShownWindow* window = fake::Get().WindowOf(hwnd);
    ASSERT_NE(window, nullptr);
    *window = fake::ShownWindow{x, y, width, height, true};
  }
  WindowPlace Last() {
    WindowPlace place;
    EXPECT_TRUE(core::LastWindowPlace(&place)) << "no place kept";
    return place;
  }
};

TEST_F(WindowPlaceTest, WithNoneRememberedTheWindowIsCentredAtTheModesSize) {
  ShowMode(/*inWindow=*/true);
  const fake::ShownWindow* window = fake::Get().WindowOf(hwnd);
  EXPECT_FALSE(window->positioned);
  EXPECT_EQ(window->width, 640);
  EXPECT_EQ(window->height, 480);
}

TEST_F(WindowPlaceTest, TheRememberedPlaceOpensTheFirstWindowOnly) {
  core::LayerOptions().windowPlace = WindowPlace{-20, 50, 800, 600, true};
  ShowMode(/*inWindow=*/true);
  const fake::ShownWindow* window = fake::Get().WindowOf(hwnd);
  EXPECT_TRUE(window->positioned);
  EXPECT_EQ(window->x, -20);
  EXPECT_EQ(window->y, 50);
  EXPECT_EQ(window->width, 800);
  EXPECT_EQ(window->height, 600);

  UserPlaces(300, 200, 1000, 700);
  AltEnter();  // covering the screen: the place is kept then
  const WindowPlace kept = Last();
  EXPECT_EQ(kept.x, 300);
  EXPECT_EQ(kept.y, 200);
  EXPECT_EQ(kept.width, 1000);
  EXPECT_EQ(kept.height, 700);
  EXPECT_TRUE(kept.positioned);

  AltEnter();  // back in a window: the size the user gave it, centred as before
  window = fake::Get().WindowOf(hwnd);
  EXPECT_FALSE(window->positioned) << "the remembered place was used twice";
  EXPECT_EQ(window->width, 1000);
  EXPECT_EQ(window->height, 700);
}

TEST_F(WindowPlaceTest, APlaceWithoutAPositionGivesTheSizeOnly) {
  core::LayerOptions().windowPlace = WindowPlace{0, 0, 720, 400, false};
  ShowMode(/*inWindow=*/true);
  const fake::ShownWindow* window = fake::Get().WindowOf(hwnd);
  EXPECT_FALSE(window->positioned);
  EXPECT_EQ(window->width, 720);
  EXPECT_EQ(window->height, 400);
}

TEST_F(WindowPlaceTest, ThePlaceIsKeptWhenTheProgramLeavesTheModeOrItsWindowGoes) {
  ShowMode(/*inWindow=*/true);
  UserPlaces(10, 20, 500, 400);
  ChangeDisplaySettingsA(nullptr, 0);
  EXPECT_EQ(Last().width, 500);

  // The demo's Escape: its window destroyed while the mode still shows.
  DestroyWindow(hwnd);
  hwnd = nullptr;
  ShowMode(/*inWindow=*/true);
  UserPlaces(30, 40, 660, 500);
  DestroyWindow(hwnd);
  hwnd = nullptr;
  const WindowPlace kept = Last();
  EXPECT_EQ(kept.x, 30);
  EXPECT_EQ(kept.y, 40);
  EXPECT_EQ(kept.width, 660);
  EXPECT_EQ(kept.height, 500);
}

TEST_F(WindowPlaceTest, AProgramThatNeverShowedAWindowHasNoPlaceToKeep) {
  core::LayerOptions().windowPlace = WindowPlace{5, 5, 800, 600, true};
  ShowMode(/*inWindow=*/false);
  ChangeDisplaySettingsA(nullptr, 0);
  WindowPlace place;
  EXPECT_FALSE(core::LastWindowPlace(&place));
}

}  // namespace
