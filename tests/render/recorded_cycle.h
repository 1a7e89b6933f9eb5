// One whole cycle of the demo and the frame after it (frames 0 to 1441 at
// 60 fps), recorded by plumo-capture on one kind of surface: headless (SDL's
// offscreen driver), or a private Xvfb at 16 bits, whose 5/6/5 visual the
// demo's 16-bit request gets on X.
//
// Recorded once per test process; or, where PLUMO_RENDER_CYCLES names a
// folder, once for every process that reads it: CTest's fixture cases
// render.record.* make each surface's cycle there afresh, and the cases that
// check the frames read what they made.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "capture_process.h"
#include "png_read.h"

namespace render_test {

const int kFps = 60;
const int64_t kCycleFrames = 24 * kFps;  // frame 1440 ends the cycle
const int64_t kRecordedFrames = kCycleFrames + 2;

enum class Surface { kHeadless, kXvfb16 };
std::string SurfaceName(Surface surface);
// How test output names a surface.
void PrintTo(Surface surface, std::ostream* out);

class RecordedCycle {
 public:
  // Records on first use, or finds the shared recording; later calls return
  // the same recording.
  static RecordedCycle& On(Surface surface);
  // Records afresh, into the shared folder where there is one.
  static RecordedCycle& Remake(Surface surface);

  // Empty when the recording worked; otherwise why not.
  const std::string& Problem() const { return problem; }
  bool Unavailable() const { return unavailable; }  // e.g. no Xvfb on this machine
  // Frame k, read from its file once and kept.
  const PngFrame& Frame(int64_t k);
  // Frame k's file.
  std::string FramePath(int64_t k) const;

 private:
  RecordedCycle(Surface surface, bool afresh);
  void Record(Surface surface);

  std::unique_ptr<TempFolder> ownFolder;  // without a shared folder
  std::string folder;
  std::string problem;
  bool unavailable = false;
  std::map<int64_t, PngFrame> frames;
};

}  // namespace render_test
