// The demo's own WinMain on the web backend, natively: the browser's side is
// tests/support/fake_browser.cpp, and what the browser does while the program
// sleeps (time passing, the tab hidden, the still played, keys) is scripted
// in its waits.
#include <gtest/gtest.h>

#include "fake_browser.h"
#include "platform/core/layer_windows.h"
#include "platform/platform.h"
#include "platform/web/browser.h"
#include "platform/web/web_backend.h"
#include "scene/wave_demo.h"

namespace {

const double kFrameMs = 16;

class PageRun : public ::testing::Test {
 protected:
  void SetUp() override {
    core::ResetForTests();
    fake_browser::Reset();
    sceneTime = 0.0;
    // Far from 0, so that a clock read from the page's start shows.
    browser.nowMs = 100000;
  }
  void TearDown() override {
    web::UseFixedStep(0, 0);
    core::ResetForTests();
  }

  int Run() { return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL); }

  void PressEscape() {
    browser.events.push_back(fake_browser::Event{web::kKeyDown, "Escape"});
    browser.events.push_back(fake_browser::Event{web::kKeyUp, "Escape"});
  }

  fake_browser::Browser& browser = fake_browser::Get();
  char commandLine[1] = "";
};

TEST_F(PageRun, TheStillIsTheDemosFrameAtNineSecondsAndPlaysOnFromThere) {
  web::UseStill(9);
  int presentsAtHold = -1;
  double sceneAtHold = -1;
  double clockAtHold = -1;
  int waitAtHold = -1;
  double sceneAtEscape = -1;
  int framesPlayed = 0;
  browser.duringWait = [&](int mode) {
    browser.nowMs += kFrameMs;
    if (browser.held && presentsAtHold < 0) {
      presentsAtHold = browser.presents;
      sceneAtHold = sceneTime;
      clockAtHold = browser.clockSeconds;
      waitAtHold = mode;
      browser.events.push_back(fake_browser::Event{web::kPlay, ""});
    } else if (presentsAtHold >= 0 && ++framesPlayed == 30) {
      sceneAtEscape = sceneTime;
      PressEscape();
    }
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sceneAtHold, 9.0) << "the still is not the frame at 9.0 s";
  EXPECT_EQ(clockAtHold, 9.0) << "the page was told another time";
  EXPECT_EQ(presentsAtHold, 1) << "frames on the way to the still were shown";
  EXPECT_EQ(waitAtHold, web::kUntilInput) << "the still does not wait for input";
  // Played, it moves on from 9 s at the browser's pace.
  EXPECT_GT(sceneAtEscape, 9.0 + 28 * kFrameMs / 1000);
  EXPECT_LT(sceneAtEscape, 9.0 + 31 * kFrameMs / 1000);
  EXPECT_GE(browser.presents, presentsAtHold + 29);
}

TEST_F(PageRun, AFixedStepRunHoldsOnItsLastFrameAndTellsThePageItsTime) {
  web::UseFixedStep(61, 60);
  fake_browser::Browser atHold;
  double sceneAtHold = -1;
  browser.duringWait = [&](int mode) {
    if (!browser.held) {
      EXPECT_EQ(mode, web::kSoon) << "a fixed-step run waits for the display";
    } else if (sceneAtHold < 0) {
      sceneAtHold = sceneTime;
      atHold = browser;
      PressEscape();
    }
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sceneAtHold, 1.0);
  EXPECT_EQ(atHold.framesPresented, 61);
  EXPECT_EQ(atHold.clockSeconds, 1.0) << "the page was told the time of another frame";
}

TEST_F(PageRun, AHiddenPageDrawsNothingAndItsSceneResumesWhereItWas) {
  web::UseStill(0);  // real time
  int passes = 0;
  int hiddenWaits = 0;
  int presentsAtHide = -1;
  int glWorkAtHide = -1;
  double sceneAtHide = -1;
  double sceneAfterShow = -1;
  browser.duringWait = [&](int mode) {
    if (browser.hidden) {
      ++hiddenWaits;
      EXPECT_EQ(mode, web::kUntilInput) << "a hidden page's program does not wait for it to show";
      EXPECT_EQ(browser.presents, presentsAtHide) << "presented while hidden";
      EXPECT_EQ(browser.glWork, glWorkAtHide) << "drew while hidden";
      browser.nowMs += 60000;  // a minute in the background
      fake_browser::SetHidden(false);
      return;
    }
    browser.nowMs += kFrameMs;
    ++passes;
    if (passes == 20) {
      sceneAtHide = sceneTime;
      presentsAtHide = browser.presents;
      glWorkAtHide = browser.glWork;
      fake_browser::SetHidden(true);
    } else if (passes == 21) {
      sceneAfterShow = sceneTime;
    } else if (passes == 30) {
      PressEscape();
    }
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(hiddenWaits, 1) << "the hidden page's program woke without reason";
  EXPECT_GT(sceneAtHide, 0.0);
  EXPECT_GT(sceneAfterShow, sceneAtHide);
  EXPECT_LT(sceneAfterShow - sceneAtHide, 2 * kFrameMs / 1000)
      << "the scene jumped by the time the page was hidden";
  EXPECT_GE(browser.presents, presentsAtHide + 10) << "a shown page presents again";
}

TEST_F(PageRun, InputToAHiddenPageReachesTheProgramWhichPresentsNothing) {
  web::UseStill(0);
  int passes = 0;
  int presentsAtHide = -1;
  browser.duringWait = [&](int) {
    browser.nowMs += kFrameMs;
    if (++passes == 10) {
      presentsAtHide = browser.presents;
      fake_browser::SetHidden(true);
    } else if (browser.hidden) {
      PressEscape();  // a key while hidden: the page stays hidden
    }
  };
  EXPECT_EQ(Run(), 0) << "Escape did not end the hidden page's program";
  EXPECT_TRUE(browser.hidden);
  EXPECT_EQ(browser.presents, presentsAtHide);
}

}  // namespace
