// The recording is the demo's own 16-bit picture wherever it is made: the
// same frames recorded headless (SDL's offscreen driver) and on an X server
// at 640x480x16 are the same bytes, and on a 24-bit X server too, since the
// demo draws into the layer's 5/6/5 framebuffer whatever the visual.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "capture_process.h"
#include "png_read.h"

namespace render_test {
namespace {

// Frames 0-129: the first two captions, the change between them at 120.
const std::vector<std::string> kArgs = {"--frames", "130", "--fps", "60"};

std::vector<std::string> Record(const TempFolder& folder, int depth) {
  RunOptions options;
  std::unique_ptr<Xvfb> server;
  if (depth > 0) {
    server = std::make_unique<Xvfb>(640, 480, depth);
    if (!server->Running()) return {"no X server: " + server->Error()};
    options.environment["DISPLAY"] = server->Display();
  }
  std::vector<std::string> args = kArgs;
  args.insert(args.end(), {"--out", folder.Path()});
  const RunResult run = RunCapture(args, options);
  if (run.status != 0) return {"plumo-capture failed: " + run.err};
  std::vector<std::string> files;
  for (const std::string& name : ListFolder(folder.Path()))
    files.push_back(ReadFile(folder / name));
  return files;
}

TEST(SamePicture, HeadlessAnd16And24BitScreensRecordTheSameBytes) {
  TempFolder headless;
  TempFolder sixteen;
  TempFolder twentyFour;
  const std::vector<std::string> reference = Record(headless, 0);
  ASSERT_EQ(reference.size(), 130u) << (reference.empty() ? "" : reference[0]);
  for (const auto& [depth, folder] :
       {std::pair<int, TempFolder*>{16, &sixteen}, {24, &twentyFour}}) {
    const std::vector<std::string> frames = Record(*folder, depth);
    ASSERT_EQ(frames.size(), reference.size())
        << depth << ": " << (frames.empty() ? "" : frames[0]);
    int different = 0;
    for (size_t k = 0; k < frames.size(); ++k) different += frames[k] != reference[k];
    EXPECT_EQ(different, 0) << "frames that differ from the headless recording at " << depth
                            << " bits";
  }
  // The recording is the 5/6/5 picture.
  PngFrame first;
  std::string error;
  ASSERT_TRUE(ReadPng(headless / "frame-000000.png", &first, &error)) << error;
  EXPECT_EQ(first.text["Surface"].rfind("R5 G6 B5", 0), 0u) << first.text["Surface"];
}

}  // namespace
}  // namespace render_test
