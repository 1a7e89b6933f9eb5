// What the page's entry point tells the web backend before WinMain.
#pragma once

namespace web {

// With frames > 0 the demo runs on the capture tool's fixed-step clock
// (frame k at k / fps seconds) as fast as the browser lets it, and holds
// still after `frames` frames until input comes.
void UseFixedStep(int frames, int fps);
// With seconds > 0 the demo shows its frame at that second of the fixed step
// (one frame a second, the frames before it drawn but not shown) and holds
// still until the page's control plays it on in real time.
void UseStill(int seconds);

}  // namespace web
