// The real program's desktop habits on the test's X server (no window
// manager): its settings file (a bad line, the window's place remembered for
// the next run, a folder it cannot write) and a gamepad's Back ending it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "x_session.h"

namespace {

// A fresh XDG_CONFIG_HOME for the program, removed afterwards.
class ProgramSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "plumo-settings-XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    home = pattern;
    file = home + "/plumo/plumo.ini";
  }
  void TearDown() override {
    xtest::WaitForExit(child, 0);  // kills what is left
    std::system(("rm -rf '" + home + "'").c_str());
  }

  void Start(const std::vector<std::string>& arguments,
             const std::vector<std::string>& environment = {}) {
    std::vector<std::string> env{"XDG_CONFIG_HOME=" + home};
    env.insert(env.end(), environment.begin(), environment.end());
    child = xtest::Spawn(PLUMO_PROGRAM, arguments, true, /*captureStderr=*/true, env);
    ASSERT_GT(child.pid, 0);
  }
  // The program's window once it shows, and has the size wanted (0: any).
  xtest::WindowInfo WaitForWindow(int width = 0) {
    xtest::WindowInfo window;
    // Generous: a sanitizer build on a busy machine takes many seconds to show it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      window = xtest::Current().FindWindow("Plumo");
      if (window.viewable && (width == 0 || window.width == width)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(window.viewable) << "no window titled Plumo";
    return window;
  }
  int EndWithEscape() {
    EXPECT_EQ(xtest::Xdotool("key Escape"), 0);
    return xtest::WaitForExit(child, 15000);
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteSettings(const std::string& text) {
    mkdir((home + "/plumo").c_str(), 0700);
    std::ofstream(file) << text;
  }

  std::string home;
  std::string file;
  xtest::Child child;
};

TEST_F(ProgramSettings, ABadLineIsSaidWithItsPlaceAndTheProgramRunsOn) {
  WriteSettings("# mine\nscale = huge\nfilter = nearest\n");
  Start({});
  WaitForWindow();
  EXPECT_EQ(EndWithEscape(), 0);
  const std::string said = xtest::ReadStderr(child);
  EXPECT_EQ(said.rfind("plumo: " + file + ":2: --scale: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(Read(file), "# mine\nscale = huge\nfilter = nearest\n") << "a fullscreen run wrote";
}

TEST_F(ProgramSettings, TheWindowsLastPlaceOpensTheNextRun) {
  Start({"--window"});  // the folder does not exist yet
  xtest::WindowInfo window = WaitForWindow(640);
  ASSERT_EQ(xtest::Xdotool("windowsize " + std::to_string(window.id) + " 500 400"), 0);
  ASSERT_EQ(xtest::Xdotool("windowmove " + std::to_string(window.id) + " 100 80"), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    window = xtest::Current().FindWindow("Plumo");
    if (window.x == 100 && window.y == 80 && window.width == 500) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // Let the program hear of it before it ends.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_EQ(EndWithEscape(), 0);
  EXPECT_EQ(xtest::ReadStderr(child), "");
  EXPECT_EQ(Read(file), "geometry = 500x400+100+80\n");

  Start({"--window"});
  window = WaitForWindow(500);
  EXPECT_EQ(window.x, 100);
  EXPECT_EQ(window.y, 80);
  EXPECT_EQ(window.width, 500);
  EXPECT_EQ(window.height, 400);
  EXPECT_EQ(EndWithEscape(), 0);
  EXPECT_EQ(Read(file), "geometry = 500x400+100+80\n");
}

TEST_F(ProgramSettings, AGeometryOnTheCommandLineIsNotWrittenBack) {
  WriteSettings("geometry = 500x400+100+80\n");
  Start({"--window", "--geometry", "320x240+10+10"});
  const xtest::WindowInfo window = WaitForWindow(320);
  EXPECT_EQ(window.x, 10);
  EXPECT_EQ(EndWithEscape(), 0);
  EXPECT_EQ(Read(file), "geometry = 500x400+100+80\n");
}

TEST_F(ProgramSettings, AFolderItCannotWriteIsSaidOnceAndTheRunEndsWell) {
  std::ofstream(home + "/plumo") << "not a folder\n";
  Start({"--window"});
  WaitForWindow();
  EXPECT_EQ(EndWithEscape(), 0);
  const std::string said = xtest::ReadStderr(child);
  EXPECT_EQ(said.rfind("plumo: " + file + ": cannot remember the window's place: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

// The gamepad through PLUMO_TEST_GAMEPAD, the program's test-only hook: a
// virtual controller driven by lines written to a FIFO.
class ProgramGamepad : public ProgramSettings {
 protected:
  void SetUp() override {
    ProgramSettings::SetUp();
    fifo = home + "/gamepad";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  }
  void Send(const std::string& lines) {
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << "the program does not read its FIFO";
    ASSERT_EQ(write(fd, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    close(fd);
  }
  std::string fifo;
};

TEST_F(ProgramGamepad, BackEndsTheProgramWithStatusZero) {
  Start({}, {"PLUMO_TEST_GAMEPAD=" + fifo});
  WaitForWindow();
  Send("south\nstart\nstart\nunplug\nplug\n");
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ASSERT_TRUE(xtest::Running(child)) << "ended before Back";
  Send("back\n");
  EXPECT_EQ(xtest::WaitForExit(child, 15000), 0);
  EXPECT_EQ(xtest::ReadStderr(child), "");
}

}  // namespace
