// plumo-capture as a user runs it: its options and their errors, which frames
// it writes, that two recordings are the same bytes, and that a run that
// fails leaves nothing half-written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "capture/sinks.h"
#include "capture_process.h"
#include "gif_read.h"
#include "png_read.h"

namespace {

using render_test::ListFolder;
using render_test::ReadFile;
using render_test::RunCapture;
using render_test::RunOptions;
using render_test::RunResult;
using render_test::TempFolder;

// A usage error: one line naming the tool, a non-zero status, and nothing
// written into the working folder.
void ExpectRefused(const std::vector<std::string>& args, const std::string& mentions) {
  TempFolder work;
  RunOptions options;
  options.workingFolder = work.Path();
  const RunResult run = RunCapture(args, options);
  std::string joined;
  for (const std::string& arg : args) joined += arg + " ";
  SCOPED_TRACE("plumo-capture " + joined);
  EXPECT_NE(run.status, 0);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_EQ(lines[0].rfind("plumo-capture: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(mentions), std::string::npos) << lines[0];
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_TRUE(ListFolder(work.Path()).empty());
}

std::vector<std::string> FrameFiles(const std::string& folder) {
  std::vector<std::string> frames;
  for (const std::string& name : ListFolder(folder))
    if (name.rfind("frame-", 0) == 0) frames.push_back(name);
  return frames;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(CaptureOptions, HelpListsTheOptionsOnStandardOutput) {
  const RunResult run = RunCapture({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--fps", "--seconds", "--frames", "--first", "--out", "--preview",
                             "--preview-size", "--preview-fps", "--video", "--null", "--progress"})
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(CaptureOptions, AnUnknownOptionIsRefused) {
  ExpectRefused({"--frames", "2", "--null", "--colour"}, "--colour");
  ExpectRefused({"frames"}, "frames");
}

TEST(CaptureOptions, AZeroOrNegativeLengthIsRefused) {
  ExpectRefused({"--frames", "0", "--out", "out"}, "--frames");
  ExpectRefused({"--frames", "-5", "--out", "out"}, "--frames");
  ExpectRefused({"--seconds", "0", "--out", "out"}, "--seconds");
  ExpectRefused({"--seconds", "-1.5", "--out", "out"}, "--seconds");
  ExpectRefused({"--seconds", "0.001", "--out", "out"}, "less than one frame");
  ExpectRefused({"--out", "out"}, "no length");
}

TEST(CaptureOptions, MalformedNumbersAreRefused) {
  ExpectRefused({"--frames", "ten", "--null"}, "'ten'");
  ExpectRefused({"--fps", "0", "--frames", "2", "--null"}, "--fps");
  ExpectRefused({"--first", "-1", "--frames", "2", "--null"}, "--first");
  ExpectRefused({"--frames", "2", "--preview", "p.gif", "--preview-size", "320by240"},
                "--preview-size");
  ExpectRefused({"--frames", "2", "--out"}, "--out: 1 required DIR missing");
}

TEST(CaptureOptions, ConflictingOptionsAreRefused) {
  ExpectRefused({"--seconds", "1", "--frames", "60", "--out", "out"}, "give one");
  ExpectRefused({"--frames", "2", "--null", "--out", "out"}, "--null");
  ExpectRefused({"--frames", "2", "--out", "out", "--preview-size", "64x48"}, "needs --preview");
  ExpectRefused({"--frames", "2"}, "nothing to write");
  ExpectRefused({"--frames", "2", "--fps", "10", "--preview", "p.gif", "--preview-fps", "30"},
                "more than --fps");
}

TEST(CaptureOptions, AnUnwritableOutputIsRefusedBeforeRendering) {
  TempFolder work;
  const std::string file = work / "a-file";
  std::ofstream(file) << "not a folder";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--frames", "2", "--out", file},
        std::vector<std::string>{"--frames", "2", "--out", file + "/frames"},
        std::vector<std::string>{"--frames", "2", "--preview", file + "/p.gif"},
        std::vector<std::string>{"--frames", "2", "--out", "/proc/plumo-frames"}}) {
    SCOPED_TRACE(args[3]);
    const RunResult run = RunCapture(args);
    EXPECT_NE(run.status, 0);
    const std::vector<std::string> lines = run.ErrorLines();
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_NE(lines[0].find(args[3].substr(0, args[3].find("/p.gif"))), std::string::npos)
        << lines[0];
  }
  EXPECT_EQ(ListFolder(work.Path()), std::vector<std::string>{"a-file"});
  EXPECT_EQ(ReadFile(file), "not a folder");
}

TEST(CaptureOptions, VideoNeedsFfmpegAndSaysSo) {
  TempFolder work;
  TempFolder emptyPath;
  RunOptions options;
  options.environment["PATH"] = emptyPath.Path();
  const RunResult run = RunCapture({"--frames", "2", "--video", work / "clip.mp4"}, options);
  EXPECT_NE(run.status, 0);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_NE(lines[0].find("ffmpeg"), std::string::npos) << lines[0];
  EXPECT_TRUE(ListFolder(work.Path()).empty());
}

TEST(CaptureRecording, ADemoThatCannotOpenItsWindowFailsTheRun) {
  TempFolder work;
  RunOptions options;
  // A display nobody serves: the demo's window cannot be made.
  options.environment["DISPLAY"] = ":4242";
  const RunResult run = RunCapture({"--frames", "3", "--out", work / "frames"}, options);
  EXPECT_NE(run.status, 0);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_NE(lines[0].find("could not open its window"), std::string::npos) << lines[0];
  EXPECT_TRUE(ListFolder(work.Path()).empty()) << "the folder it made is gone too";
}

TEST(CaptureRecording, AVideoGoesThroughFfmpegWhereItIsInstalled) {
  if (capture::FindProgram("ffmpeg").empty()) GTEST_SKIP() << "no ffmpeg on PATH";
  TempFolder work;
  const RunResult run = RunCapture({"--frames", "30", "--video", work / "clip.mp4"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ListFolder(work.Path()), std::vector<std::string>{"clip.mp4"});
  const std::string bytes = ReadFile(work / "clip.mp4");
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(4, 4), "ftyp") << "an MP4 container";
}

TEST(CaptureRecording, AFailingFfmpegLeavesNoVideoBehind) {
  if (capture::FindProgram("ffmpeg").empty()) GTEST_SKIP() << "no ffmpeg on PATH";
  TempFolder work;
  // ffmpeg knows no container by this name and stops at once.
  const RunResult run = RunCapture({"--frames", "30", "--video", work / "clip.plumo"});
  EXPECT_NE(run.status, 0);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("plumo-capture: ", 0), 0u) << lines.back();
  EXPECT_NE(lines.back().find("clip.plumo"), std::string::npos) << lines.back();
  EXPECT_TRUE(ListFolder(work.Path()).empty());
}

TEST(CaptureRecording, FirstAndFramesSelectExactlyThoseFrames) {
  TempFolder all;
  TempFolder some;
  ASSERT_EQ(RunCapture({"--frames", "8", "--out", all.Path()}).status, 0);
  const RunResult run = RunCapture({"--first", "5", "--frames", "3", "--out", some.Path()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ListFolder(some.Path()),
            (std::vector<std::string>{"frame-000005.png", "frame-000006.png", "frame-000007.png"}));
  EXPECT_EQ(FrameFiles(all.Path()).size(), 8u);
  // Frames before --first are still rendered, so the later ones are the same.
  for (const std::string& name : ListFolder(some.Path()))
    EXPECT_EQ(ReadFile(some / name), ReadFile(all / name)) << name;
  render_test::PngFrame frame;
  std::string error;
  ASSERT_TRUE(render_test::ReadPng(some / "frame-000006.png", &frame, &error)) << error;
  EXPECT_EQ(frame.text["Frame"], "6");
  EXPECT_EQ(frame.image.width, 640);
  EXPECT_EQ(frame.image.height, 480);
}

TEST(CaptureRecording, SecondsCountFramesAtTheFrameRate) {
  TempFolder out;
  const RunResult run = RunCapture({"--seconds", "0.5", "--fps", "12", "--out", out.Path()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(FrameFiles(out.Path()).size(), 6u);
}

TEST(CaptureRecording, TwoRecordingsAreTheSameBytes) {
  TempFolder first;
  TempFolder second;
  const std::vector<std::string> common{"--frames",      "12", "--preview-size", "80x60",
                                        "--preview-fps", "30"};
  std::vector<std::string> a = common;
  a.insert(a.end(), {"--out", first / "frames", "--preview", first / "p.gif"});
  std::vector<std::string> b = common;
  b.insert(b.end(), {"--out", second / "frames", "--preview", second / "p.gif"});
  ASSERT_EQ(RunCapture(a).status, 0);
  ASSERT_EQ(RunCapture(b).status, 0);
  const std::vector<std::string> names = ListFolder(first / "frames");
  ASSERT_EQ(names.size(), 12u);
  EXPECT_EQ(ListFolder(second / "frames"), names);
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(first / "frames/" + name), ReadFile(second / "frames/" + name)) << name;
  EXPECT_EQ(ReadFile(first / "p.gif"), ReadFile(second / "p.gif"));
  EXPECT_FALSE(ReadFile(first / "p.gif").empty());
}

TEST(CaptureRecording, ThePreviewShowsTheFramesScaledDownAtItsRate) {
  TempFolder work;
  const RunResult run =
      RunCapture({"--frames", "60", "--out", work / "frames", "--preview", work / "p.gif",
                  "--preview-size", "160x120", "--preview-fps", "15"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string bytes = ReadFile(work / "p.gif");
  render_test::GifAnimation animation;
  std::string error;
  ASSERT_TRUE(
      render_test::ReadGif(std::vector<uint8_t>(bytes.begin(), bytes.end()), &animation, &error))
      << error;
  EXPECT_EQ(animation.width, 160);
  EXPECT_EQ(animation.height, 120);
  EXPECT_EQ(animation.loopCount, 0);
  ASSERT_EQ(animation.frames.size(), 15u) << "one second at 15 frames a second";
  int total = 0;
  for (const render_test::GifFrame& frame : animation.frames) total += frame.delayCentiseconds;
  EXPECT_EQ(total, 100);
  // Preview frame j is recording frame 4j, each pixel the mean of a 4x4 block.
  for (size_t j = 0; j < animation.frames.size(); j += 7) {
    render_test::PngFrame source;
    ASSERT_TRUE(render_test::ReadPng(
        capture::FramePath(work / "frames", static_cast<int64_t>(4 * j)), &source, &error))
        << error;
    double sumError = 0;
    int worst = 0;
    for (int y = 0; y < 120; ++y) {
      for (int x = 0; x < 160; ++x) {
        for (int c = 0; c < 3; ++c) {
          int sum = 0;
          for (int dy = 0; dy < 4; ++dy)
            for (int dx = 0; dx < 4; ++dx) sum += source.image.Pixel(4 * x + dx, 4 * y + dy)[c];
          const int mean = (sum + 8) / 16;
          const int shown = animation.frames[j].shown.Pixel(x, y)[c];
          worst = std::max(worst, std::abs(shown - mean));
          sumError += std::abs(shown - mean);
        }
      }
    }
    EXPECT_LT(sumError / (160 * 120 * 3), 1.5) << "preview frame " << j;
    EXPECT_LE(worst, 48) << "preview frame " << j;
  }
}

TEST(CaptureRecording, NullRendersAndWritesNothing) {
  TempFolder work;
  RunOptions options;
  options.workingFolder = work.Path();
  const RunResult run = RunCapture({"--frames", "90", "--null"}, options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ListFolder(work.Path()).empty());
  EXPECT_TRUE(run.ErrorLines().empty()) << "no progress when stderr is no terminal: " << run.err;
}

TEST(CaptureRecording, ProgressGoesToStandardErrorWhenAsked) {
  const RunResult run = RunCapture({"--frames", "30", "--null", "--progress"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("frame 30/30"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
}

TEST(CaptureRecording, AFailureHalfWayRemovesWhatTheRunWrote) {
  TempFolder work;
  const std::string frames = work / "frames";
  ASSERT_EQ(mkdir(frames.c_str(), 0755), 0);
  std::ofstream(frames + "/keep.txt") << "someone else's";
  // Each PNG fits under the limit; the preview grows past it after some frames.
  RunOptions options;
  options.fileSizeLimit = 120 * 1024;
  const RunResult run = RunCapture({"--frames", "40", "--out", frames, "--preview", work / "p.gif",
                                    "--preview-size", "640x480", "--preview-fps", "60"},
                                   options);
  EXPECT_NE(run.status, 0);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_NE(lines[0].find("p.gif"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("removed the"), std::string::npos)
      << "frames were written, then taken back: " << lines[0];
  EXPECT_EQ(ListFolder(frames), std::vector<std::string>{"keep.txt"});
  EXPECT_EQ(ListFolder(work.Path()), std::vector<std::string>{"frames"});
}

TEST(CaptureRecording, FoldersItMadeGoWithAFailedRun) {
  TempFolder work;
  RunOptions options;
  options.fileSizeLimit = 120 * 1024;
  const RunResult run =
      RunCapture({"--frames", "40", "--out", work / "new/frames", "--preview", work / "p.gif",
                  "--preview-size", "640x480", "--preview-fps", "60"},
                 options);
  EXPECT_NE(run.status, 0);
  EXPECT_TRUE(ListFolder(work.Path()).empty()) << "left: " << ListFolder(work.Path()).size();
  EXPECT_FALSE(IsFolder(work / "new"));
}

}  // namespace
