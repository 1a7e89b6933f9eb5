// The program's entry in the web page: what the C runtime's start-up does on
// Windows before it calls WinMain. The page calls plumo_run once the module
// is loaded, through Asyncify, so WinMain's loop can return to the browser
// at every Sleep and resume.
#include <emscripten/emscripten.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/web/web_backend.h"

// `frames` > 0: the fixed-step run of the page's ?frames=N&fps=F; else
// `stillSeconds` > 0: the still picture, for a reader who asks for reduced motion.
extern "C" EMSCRIPTEN_KEEPALIVE int plumo_run(int frames, int fps, int stillSeconds) {
  if (frames > 0)
    web::UseFixedStep(frames, fps);
  else
    web::UseStill(stillSeconds);
  char commandLine[] = "";
  const int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  std::printf("WinMain returned %d\n", status);
  return status;
}
