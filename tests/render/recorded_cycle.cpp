#include "recorded_cycle.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "capture/sinks.h"

namespace render_test {

namespace {

// Written once a shared recording is whole; a recording without it is
// never read.
const char kComplete[] = "complete";

std::string SharedFolder(Surface surface) {
  const char* root = std::getenv("PLUMO_RENDER_CYCLES");
  if (!root || !*root) return {};
  return std::string(root) + "/" + SurfaceName(surface);
}

std::map<Surface, std::unique_ptr<RecordedCycle>>& Recordings() {
  static std::map<Surface, std::unique_ptr<RecordedCycle>> recordings;
  return recordings;
}

}  // namespace

std::string SurfaceName(Surface surface) {
  return surface == Surface::kHeadless ? "Headless" : "Xvfb16";
}

void PrintTo(Surface surface, std::ostream* out) {
  *out << SurfaceName(surface);
}

RecordedCycle& RecordedCycle::On(Surface surface) {
  std::unique_ptr<RecordedCycle>& recording = Recordings()[surface];
  if (!recording) recording.reset(new RecordedCycle(surface, false));
  return *recording;
}

RecordedCycle& RecordedCycle::Remake(Surface surface) {
  std::unique_ptr<RecordedCycle>& recording = Recordings()[surface];
  recording.reset(new RecordedCycle(surface, true));
  return *recording;
}

RecordedCycle::RecordedCycle(Surface surface, bool afresh) {
  folder = SharedFolder(surface);
  if (folder.empty()) {
    ownFolder = std::make_unique<TempFolder>();
    folder = ownFolder->Path();
    Record(surface);
    return;
  }
  const std::string stamp = folder + "/" + kComplete;
  if (!afresh && std::filesystem::exists(stamp)) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
  Record(surface);
  if (problem.empty()) std::ofstream(stamp) << kRecordedFrames << " frames\n";
}

void RecordedCycle::Record(Surface surface) {
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
  const RunResult run = RunCapture(
      {"--frames", std::to_string(kRecordedFrames), "--fps", std::to_string(kFps), "--out", folder},
      options);
  if (run.status != 0)
    problem = "plumo-capture failed with status " + std::to_string(run.status) + ": " + run.err;
}

const PngFrame& RecordedCycle::Frame(int64_t k) {
  auto found = frames.find(k);
  if (found != frames.end()) return found->second;
  PngFrame& frame = frames[k];
  std::string error;
  if (!ReadPng(FramePath(k), &frame, &error)) frame = PngFrame{};
  return frame;
}

std::string RecordedCycle::FramePath(int64_t k) const {
  return capture::FramePath(folder, k);
}

}  // namespace render_test
