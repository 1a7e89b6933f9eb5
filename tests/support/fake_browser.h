// The browser's side of the web backend (platform/web/browser.h), natively:
// a canvas of a size the test sets, events it queues (keys, the page hidden
// and shown, the still played), a clock it moves, waits it scripts, and a
// record of what the page was asked to show.
#pragma once

#include <deque>
#include <functional>
#include <string>

namespace fake_browser {

struct Event {
  int kind;          // web::EventKind
  std::string code;  // keys: KeyboardEvent.code
  bool repeat = false;
  bool alt = false;
};

struct Browser {
  int canvasWidth = 800;
  int canvasHeight = 600;
  bool cursorShown = true;
  bool glOpen = false;
  bool glAvailable = true;  // false: the browser gives no WebGL 2 context
  std::deque<Event> events;
  bool hidden = false;  // document.hidden
  double nowMs = 0;
  int presents = 0;
  int glWork = 0;  // clears, draws and glyph uploads
  int waits = 0;
  // What happens while the program waits, as the browser's event loop runs
  // meanwhile: called with the wait's web::WaitMode, after `waits` counted it.
  std::function<void(int mode)> duringWait;
  // As the page was last told:
  int framesPresented = 0;
  bool held = false;
  double clockSeconds = 0;
  int lastPresent[4] = {0, 0, 0, 0};  // x, y, width, height, from the bottom left
};

Browser& Get();
void Reset();
// The tab goes to the background or comes back, as the page's
// visibilitychange handler tells it.
void SetHidden(bool hidden);

}  // namespace fake_browser
