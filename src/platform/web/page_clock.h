// The clock the page's program reads, and which of its frames the page shows:
//
//   real time   performance.now(), in microseconds; every frame is shown.
//   fixed step  the capture tool's FrameClock (?frames=N&fps=F): frame k at
//               k / F seconds, each pass as soon as the browser lets it, and
//               the run holds still after N frames until input comes.
//   still       for a reader who asks for reduced motion: the same fixed step
//               at one frame a second up to the still's second, whose frame
//               alone is shown, held there; played, it goes on in real time
//               from that second.
//
// The frequency never changes within a run (the demo reads it once), so the
// still counts microseconds like real time: at one frame a second the fixed
// step's readings are whole seconds, exact in either unit.
#pragma once

#include <cstdint>
#include <optional>

#include "capture/frame_clock.h"

namespace web {

class PageClock {
 public:
  // A run from the start, in real time; with frames > 0 on a fixed step.
  void UseRealTime();
  void UseFixedStep(int frames, int fps);
  void UseStill(int seconds);
  // The still goes on in real time from `nowMs`, from where it stands.
  void Play(double nowMs);

  int64_t Frequency() const;
  // The counter as the program reads it at the browser's time `nowMs`; a
  // fixed step counts the read, which is how it tells the frames apart.
  int64_t Read(double nowMs);
  // The same without counting a read, for the page's report.
  int64_t Peek(double nowMs) const;

  struct Frame {
    bool shown = true;    // the picture goes onto the canvas
    bool counted = true;  // a frame of the run (not Init's or Load's pass)
    int64_t frames = 0;   // frames of the run so far
    bool held = false;    // the run now holds still
    bool fixedStep = false;
  };
  // A pass of the program presents its picture.
  Frame Present();

  // The run holds still: the program has nothing new to show until input comes.
  bool Held() const { return held_; }
  // The frames follow one another as fast as they can, not at the display's pace.
  bool Unpaced() const { return fixed_.has_value(); }

 private:
  bool Still() const { return fixed_ && still_ > 0; }
  // A fixed step's reading as the program sees it.
  int64_t FromFixedStep(int64_t reading) const;

  std::optional<capture::FrameClock> fixed_;  // the fixed step, or the still not yet played
  int64_t holdAfter_ = 0;                     // fixed step: frames before it holds
  int64_t still_ = 0;                         // the still's second
  bool held_ = false;
  int64_t realFrom_ = 0;  // real time: the reading at the browser's time `realSince_`
  double realSince_ = 0;
  int64_t presented_ = 0;  // real time: frames presented, the still's included
};

}  // namespace web
