#include "recorded_cycle.h"

#include <memory>

#include "capture/sinks.h"

namespace render_test {

std::string SurfaceName(Surface surface) {
  return surface == Surface::kHeadless ? "Headless" : "Xvfb16";
}

void PrintTo(Surface surface, std::ostream* out) {
  *out << SurfaceName(surface);
}

RecordedCycle& RecordedCycle::On(Surface surface) {
  static std::map<Surface, std::unique_ptr<RecordedCycle>> recordings;
  std::unique_ptr<RecordedCycle>& recording = recordings[surface];
  if (!recording) recording.reset(new RecordedCycle(surface));
  return *recording;
}

RecordedCycle::RecordedCycle(Surface surface) {
  RunOptions options;
  std::unique_ptr<Xvfb> server;
  if (surface == Surface::kXvfb16) {
    server = std::make_unique<Xvfb>(640, 480, 16);
    if (!server->Running()) {
      unavailable = true;
      problem = "no X server for the check: " + server->Error();
      return;
    }
    options.environment["DISPLAY"] = server->Display();
  }
  const RunResult run = RunCapture({"--frames", std::to_string(kRecordedFrames), "--fps",
                                    std::to_string(kFps), "--out", folder.Path()},
                                   options);
  if (run.status != 0)
    problem = "plumo-capture failed with status " + std::to_string(run.status) + ": " + run.err;
}

const PngFrame& RecordedCycle::Frame(int64_t k) {
  auto found = frames.find(k);
  if (found != frames.end()) return found->second;
  PngFrame& frame = frames[k];
  std::string error;
  if (!ReadPng(capture::FramePath(folder.Path(), k), &frame, &error)) frame = PngFrame{};
  return frame;
}

}  // namespace render_test
