// What the page's entry point tells the web backend before WinMain.
#pragma once

namespace web {

// With frames > 0 the demo runs on the capture tool's fixed-step clock
// (frame k at k / fps seconds) as fast as the browser lets it, and holds
// still after `frames` frames until input comes.
void UseFixedStep(int frames, int fps);

}  // namespace web
