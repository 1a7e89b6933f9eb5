#include "fake_browser.h"

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

void plumo_gl_clear(unsigned, float, float, float, float, float) {}
void plumo_gl_draw(int, const int*, const float*, int) {}
void plumo_gl_put_glyphs(int, int, int, int, const unsigned char*) {}

void plumo_gl_present(int x, int y, int width, int height, int) {
  ++Get().presents;
  const int place[4] = {x, y, width, height};
  std::memcpy(Get().lastPresent, place, sizeof place);
}

int plumo_next_event(char* code, int codeSize, int* repeat, int* alt) {
  if (Get().keys.empty()) return 0;
  const fake_browser::Key key = Get().keys.front();
  Get().keys.pop_front();
  std::strncpy(code, key.code.c_str(), static_cast<size_t>(codeSize) - 1);
  code[codeSize - 1] = '\0';
  *repeat = key.repeat;
  *alt = key.alt;
  return key.kind;
}

void plumo_frame_presented(int frames, int, int) {
  Get().framesPresented = frames;
}

double plumo_now_ms(void) {
  return Get().nowMs;
}

void plumo_wait(int, int) {
  ++Get().waits;
}

}  // extern "C"
