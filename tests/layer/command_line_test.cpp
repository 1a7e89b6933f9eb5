// The native program's command line as the layer reads it: screensaver mode's
// window (--window-id, --root and XSCREENSAVER_WINDOW), what it excludes, and
// the screensaver held off or let run. No display is needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/options.h"
#include "platform/native/command_line.h"

namespace {

struct Parsed {
  int status = 0;
  core::Options options;
  std::string said;  // stderr
};

Parsed Parse(std::vector<std::string> arguments, const char* daemonWindow = nullptr) {
  if (daemonWindow) {
    setenv("XSCREENSAVER_WINDOW", daemonWindow, 1);
  } else {
    unsetenv("XSCREENSAVER_WINDOW");
  }
  arguments.insert(arguments.begin(), "plumo");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  Parsed parsed;
  native::Settings noFile;  // the command line alone
  ::testing::internal::CaptureStderr();
  parsed.status = native::ParseCommandLine(static_cast<int>(arguments.size()), argv.data(),
                                           &parsed.options, &noFile);
  parsed.said = ::testing::internal::GetCapturedStderr();
  unsetenv("XSCREENSAVER_WINDOW");
  return parsed;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

TEST(ScreensaverWindow, IsTakenInDecimalOrHexadecimal) {
  const struct {
    const char* given;
    uint64_t id;
  } forms[] = {{"0x1a00007", 0x1a00007},   {"0X1A00007", 0x1a00007},
               {"27262983", 27262983},     {"0x1", 1},
               {"0x1fffffff", 0x1fffffff}, {"007", 7}};
  for (const auto& form : forms) {
    const Parsed parsed = Parse({"--window-id", form.given});
    EXPECT_EQ(parsed.status, -1) << form.given << ": " << parsed.said;
    EXPECT_TRUE(parsed.options.host.given) << form.given;
    EXPECT_EQ(parsed.options.host.id, form.id) << form.given;
  }
}

TEST(ScreensaverWindow, RootTakesTheDaemonsWindowElseTheRootWindow) {
  Parsed parsed = Parse({"--root"}, "0x400008");
  EXPECT_EQ(parsed.status, -1) << parsed.said;
  EXPECT_TRUE(parsed.options.host.given);
  EXPECT_EQ(parsed.options.host.id, 0x400008u);

  parsed = Parse({"--root"}, "4194312");
  EXPECT_EQ(parsed.options.host.id, 4194312u);

  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    parsed = Parse({"--root"}, none);
    EXPECT_EQ(parsed.status, -1) << parsed.said;
    EXPECT_TRUE(parsed.options.host.given);
    EXPECT_EQ(parsed.options.host.id, 0u) << "0 stands for the root window";
  }
}

// Unlike an empty XSCREENSAVER_WINDOW, which names no window.
TEST(ScreensaverWindow, AnEmptyIdOnTheCommandLineIsRefused) {
  const Parsed parsed = Parse({"--window-id", ""});
  EXPECT_EQ(parsed.status, 2);
  EXPECT_NE(FirstLine(parsed.said).find("--window-id"), std::string::npos) << parsed.said;
}

TEST(ScreensaverWindow, TheDaemonsVariableAloneChangesNothing) {
  const Parsed parsed = Parse({}, "0x400008");
  EXPECT_EQ(parsed.status, -1);
  EXPECT_FALSE(parsed.options.host.given);
}

class BadWindowId : public ::testing::TestWithParam<const char*> {};

// One line naming the option and the value, then the usage; status 2.
TEST_P(BadWindowId, OnTheCommandLineIsNamedWithStatusTwo) {
  const Parsed parsed = Parse({"--window-id", GetParam()});
  EXPECT_EQ(parsed.status, 2);
  const std::string line = FirstLine(parsed.said);
  EXPECT_EQ(line.rfind("plumo: ", 0), 0u) << parsed.said;
  EXPECT_NE(line.find("--window-id"), std::string::npos) << line;
  EXPECT_NE(line.find("not an X window id"), std::string::npos) << line;
  EXPECT_NE(parsed.said.find("Usage: plumo"), std::string::npos) << parsed.said;
  EXPECT_FALSE(parsed.options.host.given);
}

// Only that line: the usage says nothing about the variable.
TEST_P(BadWindowId, InTheDaemonsVariableIsNamedWithStatusTwo) {
  const Parsed parsed = Parse({"--root"}, GetParam());
  EXPECT_EQ(parsed.status, 2);
  EXPECT_EQ(parsed.said, std::string("plumo: XSCREENSAVER_WINDOW: not an X window id (decimal, or "
                                     "hexadecimal after 0x): ") +
                             GetParam() + "\n");
}

INSTANTIATE_TEST_SUITE_P(Ids, BadWindowId,
                         ::testing::Values("0", "0x", "0x0", "-5", "+5", " 5", "12abc", "0x1g",
                                           "5.0", "0x20000000", "99999999999", "window"));

struct Conflict {
  std::vector<std::string> arguments;
  const char* named;
};

class ScreensaverModeExcludes : public ::testing::TestWithParam<Conflict> {};

// A window of the program's own, a real mode switch or a monitor make no
// sense with a window given; neither do two ways of giving it.
TEST_P(ScreensaverModeExcludes, OptionsOfAWindowOfItsOwn) {
  const Parsed parsed = Parse(GetParam().arguments, "0x400008");
  EXPECT_EQ(parsed.status, 2);
  const std::string line = FirstLine(parsed.said);
  EXPECT_NE(line.find("excludes"), std::string::npos) << line;
  EXPECT_NE(line.find(GetParam().named), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Options, ScreensaverModeExcludes,
    ::testing::Values(Conflict{{"--root", "--window"}, "--window"},
                      Conflict{{"--window-id", "5", "--switch-mode"}, "--switch-mode"},
                      Conflict{{"--display", "1", "--root"}, "--display"},
                      Conflict{{"--root", "--window-id", "5"}, "--window-id"}));

TEST(Screensaver, IsHeldOffUnlessAllowedOrTheProgramIsIt) {
  EXPECT_TRUE(core::HoldsOffScreensaver(Parse({}).options));
  EXPECT_TRUE(core::HoldsOffScreensaver(Parse({"--window"}).options));
  const Parsed allowed = Parse({"--allow-screensaver"});
  EXPECT_EQ(allowed.status, -1);
  EXPECT_TRUE(allowed.options.allowScreensaver);
  EXPECT_FALSE(allowed.options.host.given);
  EXPECT_FALSE(core::HoldsOffScreensaver(allowed.options));
  EXPECT_FALSE(core::HoldsOffScreensaver(Parse({"--root"}).options));
  EXPECT_FALSE(core::HoldsOffScreensaver(Parse({"--window-id", "0x5"}).options));
}

}  // namespace
