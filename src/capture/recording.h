// One recording: the fixed-step clock the demo runs on, the read-back of each
// Render frame, and the sinks the frames go to. The link-time wrappers of the
// demo's performance counter, Sleep and SwapBuffers call into it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_options.h"
#include "capture/frame_clock.h"
#include "capture/image.h"
#include "capture/progress.h"
#include "capture/sinks.h"

namespace capture {

class Recording {
 public:
  Recording(const Options& options, std::vector<std::unique_ptr<Sink>> sinks, bool terminal);

  int64_t Frequency() const { return clock.Frequency(); }
  int64_t Counter() { return clock.Read(); }
  // Every buffer swap, before the real one: a Render frame is read back and
  // handed on, and after the last one (or a failure) the demo is asked to
  // close, with Escape as a user would.
  void BeforePresent();

  // After WinMain has returned with `status`: puts the files in place, or on
  // any failure takes back what this run wrote. Returns the process status.
  int Finish(int status, OutputLedger* ledger);

 private:
  bool ReadBack(Image* image);
  void Fail(const std::string& message);
  void EndDemo();
  void ReportCycle(int64_t frame);

  Options options;
  std::vector<std::unique_ptr<Sink>> sinks;
  FrameClock clock;
  Progress progress;
  SurfaceBits bits;
  bool bitsKnown = false;
  int64_t written = 0;
  bool ended = false;  // Escape has been posted
  static const int kCloseAfter = 60;
  int framesSinceEnd = 0;
  std::string error;
  Image image;
  double lastSceneTime = 0.0;
  int cycles = 0;
  long leastHeap = -1;  // KiB: the least heap in use at any frame of this cycle
};

}  // namespace capture
