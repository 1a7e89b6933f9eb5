// The real program on the test's X server. With --switch-mode it switches to
// 640x480, and Escape, the close button or a signal end it with status 0 and
// the desktop mode back.
#include <gtest/gtest.h>
#include <signal.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "x_session.h"

namespace {

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    child = xtest::Spawn(PLUMO_PROGRAM, {"--switch-mode"}, true, /*captureStderr=*/true);
    ASSERT_GT(child.pid, 0);
    // Generous: a sanitizer build on a busy machine takes many seconds to show it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      window = xtest::Current().FindWindow("Plumo");
      if (window.viewable && xtest::Current().ModeWidth() == 640) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(window.viewable) << "no window titled Plumo";
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(xtest::Current().ModeWidth(), 640);
    EXPECT_EQ(xtest::Current().ModeHeight(), 480);
  }
  void TearDown() override { xtest::WaitForExit(child, 0); }  // kills what is left

  void ExpectCleanEnd() {
    EXPECT_EQ(xtest::WaitForExit(child, 15000), 0);
    EXPECT_EQ(xtest::Current().ModeWidth(), 1024);
    EXPECT_EQ(xtest::Current().ModeHeight(), 768);
  }

  xtest::Child child;
  xtest::WindowInfo window;
};

TEST_F(Program, EscapeEndsIt) {
  ASSERT_EQ(xtest::Xdotool("key Escape"), 0);
  ExpectCleanEnd();
}

TEST_F(Program, CloseButtonEndsIt) {
  xtest::Current().RequestClose(window.id);
  ExpectCleanEnd();
}

struct SignalCase {
  int signal;
  int times;
};

class ProgramSignal : public Program, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(ProgramSignal, EndsItLikeClosingTheWindow) {
  for (int i = 0; i < GetParam().times; ++i) kill(child.pid, GetParam().signal);
  ExpectCleanEnd();
}

// Stops this process's X server for good: like every layer test, it runs in a
// process of its own under CTest (gtest_discover_tests).
TEST_F(Program, LosingTheDisplayEndsItWithAMessage) {
  xtest::Current().Stop();
  EXPECT_EQ(xtest::WaitForExit(child, 10000), 1) << "hung or crashed";
  // Named after the call that was talking to the server when it went.
  const std::string said = xtest::ReadStderr(child);
  EXPECT_TRUE(std::regex_match(
      said, std::regex("plumo: [A-Za-z]+: the connection to the display was lost\n")))
      << said;
}

// A fontconfig that knows no fonts at all, for the program started next.
class ProgramWithoutFonts : public Program {
 protected:
  void SetUp() override {
    config = ::testing::TempDir() + "plumo-no-fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                          << "<fontconfig><cachedir>" << ::testing::TempDir()
                          << "plumo-no-fonts-cache</cachedir></fontconfig>\n";
    setenv("FONTCONFIG_FILE", config.c_str(), 1);
    Program::SetUp();
    unsetenv("FONTCONFIG_FILE");
  }
  void TearDown() override {
    Program::TearDown();
    std::remove(config.c_str());
  }
  std::string config;
};

TEST_F(ProgramWithoutFonts, RunsWithoutCaptionsAndSaysSoOnce) {
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ASSERT_EQ(xtest::Xdotool("key Escape"), 0);
  ExpectCleanEnd();
  EXPECT_EQ(xtest::ReadStderr(child),
            "plumo: CreateFontA: no font matches \"Arial\": fontconfig knows no fonts\n");
}

// Without --switch-mode the program covers the screen at the screen's own
// mode, which stays as it was, through the run and after it.
TEST(ProgramDefault, CoversTheScreenWithoutChangingItsMode) {
  xtest::Child child = xtest::Spawn(PLUMO_PROGRAM, {}, true, /*captureStderr=*/true);
  ASSERT_GT(child.pid, 0);
  xtest::WindowInfo window;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    window = xtest::Current().FindWindow("Plumo");
    if (window.viewable && window.width == 1024) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(window.viewable);
  EXPECT_EQ(window.x, 0);
  EXPECT_EQ(window.y, 0);
  EXPECT_EQ(window.width, 1024);
  EXPECT_EQ(window.height, 768);
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024);
  ASSERT_EQ(xtest::Xdotool("key Escape"), 0);
  EXPECT_EQ(xtest::WaitForExit(child, 15000), 0);
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024);
  EXPECT_EQ(xtest::ReadStderr(child), "");
}

struct BadOption {
  std::vector<std::string> arguments;
  std::string named;
};

class ProgramOptions : public ::testing::TestWithParam<BadOption> {};

// One line naming the option, then the usage; status 2; no window.
TEST_P(ProgramOptions, ABadOneIsNamedAndEndsItWithStatusTwo) {
  xtest::Child child = xtest::Spawn(PLUMO_PROGRAM, GetParam().arguments, true, true);
  EXPECT_EQ(xtest::WaitForExit(child, 15000), 2);
  const std::string text = xtest::ReadStderr(child);
  const std::string first = text.substr(0, text.find('\n'));
  EXPECT_EQ(first.rfind("plumo: ", 0), 0u) << text;
  EXPECT_NE(first.find(GetParam().named), std::string::npos) << first;
  EXPECT_NE(text.find("Usage: plumo"), std::string::npos) << text;
  EXPECT_NE(text.find("--switch-mode"), std::string::npos) << "the usage lists the options";
  EXPECT_FALSE(xtest::Current().FindWindow("Plumo").found);
}

INSTANTIATE_TEST_SUITE_P(Layer, ProgramOptions,
                         ::testing::Values(BadOption{{"--scale", "huge"}, "--scale"},
                                           BadOption{{"--filter", "cubic"}, "--filter"},
                                           BadOption{{"--display", "x"}, "--display"},
                                           BadOption{{"--scale"}, "--scale"},
                                           BadOption{{"--colour"}, "--colour"},
                                           BadOption{{"fullscreen"}, "fullscreen"}),
                         [](const auto& param) {
                           std::string name = std::to_string(param.index) + "_";
                           for (char c : param.param.named)
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           return name;
                         });

TEST(ProgramVersion, IsTheProjectsVersionOnStandardOutput) {
  FILE* pipe = popen(PLUMO_PROGRAM " --version", "r");
  ASSERT_NE(pipe, nullptr);
  char line[64] = "";
  ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(std::string(line), std::string("plumo ") + PLUMO_VERSION + "\n");
}

INSTANTIATE_TEST_SUITE_P(Layer, ProgramSignal,
                         ::testing::Values(SignalCase{SIGINT, 1}, SignalCase{SIGTERM, 1},
                                           SignalCase{SIGHUP, 1}, SignalCase{SIGTERM, 2}),
                         [](const auto& param) {
                           return std::string(sigabbrev_np(param.param.signal)) + "_x" +
                                  std::to_string(param.param.times);
                         });

}  // namespace
