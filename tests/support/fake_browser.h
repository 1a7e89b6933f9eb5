// The browser's side of the web backend (platform/web/browser.h), natively:
// a canvas of a size the test sets, key events it queues, a clock it moves,
// and a record of what the page was asked to show.
#pragma once

#include <deque>
#include <string>

namespace fake_browser {

struct Key {
  int kind;  // web::kKeyDown or web::kKeyUp
  std::string code;
  bool repeat = false;
  bool alt = false;
};

struct Browser {
  int canvasWidth = 800;
  int canvasHeight = 600;
  bool cursorShown = true;
  bool glOpen = false;
  bool glAvailable = true;  // false: the browser gives no WebGL 2 context
  std::deque<Key> keys;
  double nowMs = 0;
  int presents = 0;
  int framesPresented = 0;  // as the page was last told
  int waits = 0;
  int lastPresent[4] = {0, 0, 0, 0};  // x, y, width, height, from the bottom left
};

Browser& Get();
void Reset();

}  // namespace fake_browser
