#include "fake_browser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/web/browser.h"

namespace fake_browser {

Browser& Get() {
  static Browser browser;
  return browser;
}

void Reset() {
  Get() = Browser{};
}

void SetHidden(bool hidden) {
  Get().hidden = hidden;
  Get().events.push_back(Event{hidden ? web::kHidden : web::kShown, ""});
}

}  // namespace fake_browser

using fake_browser::Get;

extern "C" {

void plumo_canvas_size(int* width, int* height) {
  *width = Get().canvasWidth;
  *height = Get().canvasHeight;
}

void plumo_show_cursor(int show) {
  Get().cursorShown = show != 0;
}

int plumo_gl_open(int, int) {
  Get().glOpen = Get().glAvailable;
  return Get().glOpen;
}

void plumo_gl_close(void) {
  Get().glOpen = false;
}

void plumo_gl_clear(unsigned, float, float, float, float, float) {
  ++Get().glWork;
}
void plumo_gl_draw(int, const int*, const float*, int) {
  ++Get().glWork;
}
void plumo_gl_put_glyphs(int, int, int, int, const unsigned char*) {
  ++Get().glWork;
}

void plumo_gl_present(int x, int y, int width, int height, int) {
  ++Get().presents;
  const int place[4] = {x, y, width, height};
  std::memcpy(Get().lastPresent, place, sizeof place);
}

int plumo_next_event(char* code, int codeSize, int* repeat, int* alt) {
  if (Get().events.empty()) return 0;
  const fake_browser::Event event = Get().events.front();
  Get().events.pop_front();
  std::strncpy(code, event.code.c_str(), static_cast<size_t>(codeSize) - 1);
  code[codeSize - 1] = '\0';
  *repeat = event.repeat;
  *alt = event.alt;
  return event.kind;
}

int plumo_page_hidden(void) {
  return Get().hidden;
}

void plumo_frame_presented(int frames, int held, int, double clockSeconds) {
  Get().framesPresented = frames;
  Get().held = held != 0;
  Get().clockSeconds = clockSeconds;
}

double plumo_now_ms(void) {
  return Get().nowMs;
}

void plumo_wait(int mode, int) {
  ++Get().waits;
  if (Get().duringWait) Get().duringWait(mode);
  // A hidden page gets no animation frames: only an event could end this
  // wait, and none will come, so the browser would wait for ever.
  if (mode != web::kSoon && Get().hidden && Get().events.empty()) {
    std::fprintf(stderr, "fake browser: the program waits on a hidden page for ever\n");
    std::abort();
  }
}

}  // extern "C"
