// The program's options from its command line and its settings file: the
// file fills what the command line leaves out, and a bad line in it is said
// with its file and line and costs only its own option.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_folder.h"
#include "platform/native/command_line.h"

namespace {

using core::FocusLoss;
using core::Options;
using core::Scale;

struct Parsed {
  int status = 0;
  Options options;
  native::Settings settings;
  std::string said;  // stderr
};

Parsed Parse(const std::vector<std::string>& arguments, const std::string& configPath) {
  std::vector<std::string> owned{"plumo"};
  owned.insert(owned.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : owned) argv.push_back(&argument[0]);
  Parsed run;
  run.settings.configPath = configPath;
  ::testing::internal::CaptureStderr();
  ::testing::internal::CaptureStdout();
  run.status = native::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &run.options,
                                        &run.settings);
  ::testing::internal::GetCapturedStdout();
  run.said = ::testing::internal::GetCapturedStderr();
  return run;
}

TEST(SettingsFile, SetsEveryOptionTheCommandLineHas) {
  ConfigFolder folder;
  folder.Write(
      "# Plumo as I like it\n"
      "window = true\n"
      "scale = integer\n"
      "filter=nearest\n"
      "switch-mode = true\n"
      "display = 1\n"
      "no-vsync = true\n"
      "pause-on-focus-loss = stay\n"
      "geometry = 800x600-10+20\n");
  const Parsed run = Parse({}, folder.File());
  ASSERT_EQ(run.status, -1) << run.said;
  EXPECT_EQ(run.said, "");
  EXPECT_TRUE(run.options.window);
  EXPECT_EQ(run.options.scale, Scale::kInteger);
  EXPECT_FALSE(run.options.linear);
  EXPECT_TRUE(run.options.switchMode);
  EXPECT_EQ(run.options.display, 1);
  EXPECT_FALSE(run.options.vsync);
  EXPECT_EQ(run.options.pauseOnFocusLoss, FocusLoss::kStay);
  const core::WindowPlace& place = run.options.windowPlace;
  EXPECT_TRUE(place.positioned);
  EXPECT_EQ(place.x, -10);
  EXPECT_EQ(place.y, 20);
  EXPECT_EQ(place.width, 800);
  EXPECT_EQ(place.height, 600);
  EXPECT_TRUE(run.settings.rememberPlace);
}

TEST(SettingsFile, TheCommandLineWins) {
  ConfigFolder folder;
  folder.Write("scale = integer\nfilter = nearest\npause-on-focus-loss = stay\n");
  const Parsed run = Parse({"--scale", "stretch", "--pause-on-focus-loss=resume"}, folder.File());
  ASSERT_EQ(run.status, -1) << run.said;
  EXPECT_EQ(run.options.scale, Scale::kStretch);
  EXPECT_EQ(run.options.pauseOnFocusLoss, FocusLoss::kResume);
  EXPECT_FALSE(run.options.linear) << "what the command line left out comes from the file";
}

TEST(SettingsFile, WithoutOneTheDefaultsHoldAndNothingIsSaid) {
  ConfigFolder folder;
  const Parsed run = Parse({}, folder.File("missing.ini"));
  ASSERT_EQ(run.status, -1);
  EXPECT_EQ(run.said, "");
  EXPECT_FALSE(run.options.window);
  EXPECT_EQ(run.options.scale, Scale::kFit);
  EXPECT_EQ(run.options.pauseOnFocusLoss, FocusLoss::kNever);
  EXPECT_FALSE(run.options.windowPlace.Known());
  EXPECT_EQ(Parse({}, "").status, -1) << "no path at all: no file";
}

TEST(SettingsFile, EachBadLineIsSaidWithItsNumberAndCostsOnlyItsOption) {
  ConfigFolder folder;
  folder.Write(
      "scale = huge\n"                // 1: not a scale
      "; a comment\n"                 // 2
      "filter = nearest\n"            // 3: fine
      "colour = red\n"                // 4: no such option
      "display = x\n"                 // 5: not a number
      "geometry = 800x0\n"            // 6: no height
      "version = true\n"              // 7: not for a file
      "pause-on-focus-loss = stay\n"  // 8: fine
      "[extra]\n"                     // 9
      "window = true\n");             // 10: options have no sections
  const Parsed run = Parse({}, folder.File());
  ASSERT_EQ(run.status, -1) << "a bad line ended the program";
  const std::string file = folder.File();
  const std::vector<std::string> expected{
      file + ":1: ", file + ":4: ", file + ":5: ", file + ":6: ", file + ":7: ", file + ":10: "};
  std::vector<std::string> lines;
  std::istringstream said(run.said);
  for (std::string line; std::getline(said, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), expected.size()) << run.said;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i].rfind("plumo: " + expected[i], 0), 0u) << lines[i];
  EXPECT_NE(lines[0].find("huge"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("no option \"colour\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[5].find("extra.window"), std::string::npos) << lines[5];
  // The bad lines' options keep their defaults, the good ones apply.
  EXPECT_EQ(run.options.scale, Scale::kFit);
  EXPECT_EQ(run.options.display, 0);
  EXPECT_FALSE(run.options.windowPlace.Known());
  EXPECT_FALSE(run.options.window);
  EXPECT_FALSE(run.options.linear);
  EXPECT_EQ(run.options.pauseOnFocusLoss, FocusLoss::kStay);
}

TEST(SettingsFile, AnOptionSetTwiceTakesItsLastLine) {
  ConfigFolder folder;
  folder.Write("scale = integer\nfilter = nearest\nscale = stretch\n");
  const Parsed run = Parse({}, folder.File());
  EXPECT_EQ(run.said, "");
  EXPECT_EQ(run.options.scale, Scale::kStretch);
}

TEST(CommandLine, ABadOptionStillEndsItWithStatusTwoWhateverTheFile) {
  ConfigFolder folder;
  folder.Write("scale = integer\n");
  const Parsed run = Parse({"--pause-on-focus-loss", "sometimes"}, folder.File());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.said.rfind("plumo: --pause-on-focus-loss", 0), 0u) << run.said;
  EXPECT_EQ(Parse({"--geometry", "big"}, folder.File()).status, 2);
}

}  // namespace
