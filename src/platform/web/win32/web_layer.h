// What the layer's files need of one another beyond the Win32 entry points.
#pragma once

#include "platform/platform.h"

namespace web {

// kernel32.cpp: the page's clock. With frames > 0 the demo runs on the
// capture tool's fixed-step clock (frame k at k / fps seconds) as fast as the
// browser lets it, and holds still after `frames` frames until input comes.
void UseFixedStep(int frames, int fps);
// Called by SwapBuffers after each presented frame.
void FramePresented();

// user32.cpp: the window a device context belongs to, and its client size.
HWND WindowFromDC(HDC hdc);
bool ClientSize(HWND hwnd, int* width, int* height);
int PixelFormatOf(HWND hwnd);
bool SetPixelFormatOf(HWND hwnd, int format);

// One line on the console for a failure the browser causes, in the native
// layer's shape: "plumo: <call>: <reason>".
void Report(const char* call, const char* reason);

}  // namespace web
