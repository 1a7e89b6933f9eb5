// The recording is the demo's own 16-bit picture wherever it is made: the
// same frames recorded headless (SDL's offscreen driver) and on an X server
// at 640x480x16 are the same bytes, and on a 24-bit X server too, since the
// demo draws into the layer's 5/6/5 framebuffer whatever the visual. The
// headless and 16-bit frames are those of the recorded cycles the pixel
// checks read; the 24-bit ones are recorded here.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "capture/sinks.h"
#include "capture_process.h"
#include "png_read.h"
#include "recorded_cycle.h"

namespace render_test {
namespace {

// Frames 0-129: the first two captions, the change between them at 120.
const int64_t kCompared = 130;

TEST(SamePicture, HeadlessAnd16And24BitScreensRecordTheSameBytes) {
  RecordedCycle& headless = RecordedCycle::On(Surface::kHeadless);
  ASSERT_TRUE(headless.Problem().empty()) << headless.Problem();
  RecordedCycle& sixteen = RecordedCycle::On(Surface::kXvfb16);
  ASSERT_TRUE(sixteen.Problem().empty()) << "16 bits: " << sixteen.Problem();

  TempFolder twentyFour;
  Xvfb server(640, 480, 24);
  ASSERT_TRUE(server.Running()) << "no X server: " << server.Error();
  RunOptions options;
  options.environment["DISPLAY"] = server.Display();
  const RunResult run = RunCapture({"--frames", std::to_string(kCompared), "--fps",
                                    std::to_string(kFps), "--out", twentyFour.Path()},
                                   options);
  ASSERT_EQ(run.status, 0) << "plumo-capture failed at 24 bits: " << run.err;
  ASSERT_EQ(ListFolder(twentyFour.Path()).size(), static_cast<size_t>(kCompared));

  int differentAt16 = 0;
  int differentAt24 = 0;
  for (int64_t k = 0; k < kCompared; ++k) {
    const std::string reference = ReadFile(headless.FramePath(k));
    ASSERT_FALSE(reference.empty()) << "headless frame " << k;
    differentAt16 += ReadFile(sixteen.FramePath(k)) != reference;
    differentAt24 += ReadFile(capture::FramePath(twentyFour.Path(), k)) != reference;
  }
  EXPECT_EQ(differentAt16, 0) << "frames that differ from the headless recording at 16 bits";
  EXPECT_EQ(differentAt24, 0) << "frames that differ from the headless recording at 24 bits";

  // The recording is the 5/6/5 picture.
  PngFrame first;
  std::string error;
  ASSERT_TRUE(ReadPng(headless.FramePath(0), &first, &error)) << error;
  EXPECT_EQ(first.text["Surface"].rfind("R5 G6 B5", 0), 0u) << first.text["Surface"];
}

}  // namespace
}  // namespace render_test
