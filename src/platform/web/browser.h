// What the page's JavaScript (page/plumo_library.js) offers the C++ side:
// the canvas and its WebGL 2 context, the input events, the clock and the
// way back to the browser's event loop. Nothing else in the layer talks to
// the browser.
#pragma once

extern "C" {

// The canvas's drawing buffer in device pixels, first sized to the canvas's
// layout size times the device pixel ratio.
void plumo_canvas_size(int* width, int* height);
// Hides the mouse pointer over the canvas, or shows it again.
void plumo_show_cursor(int show);

// The WebGL 2 context on the canvas and the framebuffer the demo draws into,
// 5/6/5 colour with a 16-bit depth buffer; 0 when the browser has no WebGL 2.
int plumo_gl_open(int width, int height);
void plumo_gl_close(void);
void plumo_gl_clear(unsigned mask, float r, float g, float b, float a, float depth);
// `state` is a DrawState as ten ints (gl/webgl_renderer.cpp); `vertices` are Vertex
// records, ten floats each.
void plumo_gl_draw(int shape, const int* state, const float* vertices, int count);
void plumo_gl_put_glyphs(int x, int y, int width, int height, const unsigned char* texels);
// Draws the framebuffer into this rectangle of the canvas, black around it.
void plumo_gl_present(int x, int y, int width, int height, int linear);

// The next event, oldest first: 0 when there is none, else its kind
// (web::EventKind). For a key, `code` gets its KeyboardEvent.code.
int plumo_next_event(char* code, int codeSize, int* repeat, int* alt);
// document.hidden: the page cannot be seen (its tab in the background, its
// window minimised).
int plumo_page_hidden(void);
// Tells the page how many frames have been presented, whether the run now
// holds still, whether it is a fixed-step one, and the performance counter
// the program reads, in seconds.
void plumo_frame_presented(int frames, int held, int fixedStep, double clockSeconds);

// performance.now(): milliseconds on the browser's monotonic clock.
double plumo_now_ms(void);
// Returns to the browser's event loop and comes back (Asyncify): after the
// next animation frame and at least `milliseconds`, as soon as the browser
// can, or once input arrives. Whichever it is, the page hidden or shown
// brings it back at once.
void plumo_wait(int mode, int milliseconds);
}

namespace web {

// kHidden and kShown: the page's visibility changed; kPlay: the reader
// played the still picture (the page's control).
enum EventKind { kNoEvent = 0, kKeyDown = 1, kKeyUp = 2, kHidden = 3, kShown = 4, kPlay = 5 };
enum WaitMode { kNextFrame = 0, kSoon = 1, kUntilInput = 2 };

}  // namespace web
