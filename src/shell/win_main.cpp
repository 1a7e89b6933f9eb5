// The entry point and the polling main loop: one message, one phase step and
// one presented frame per pass.
#include <new>

#include "platform/platform.h"
#include "scene/wave_demo.h"
#include "shell/main_loop.h"

bool quitRequested = false;

namespace {

enum Phase { kInit = 0, kLoad = 1, kRender = 2 };

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  WaveDemo* scene = new (std::nothrow) WaveDemo;
  if (!scene) return 1;

  quitRequested = false;
  Phase phase = kInit;
  int failedInits = 0;
  // The window counts as opened once the loop has seen it open; a run that
  // never got that far ends with status 1.
  bool windowOpened = false;

  do {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&msg);
      TranslateMessage(&msg);
    }

    switch (phase) {
      case kInit:
        if (scene->Init(failedInits)) {
          phase = kLoad;
        } else {
          failedInits++;
        }
        break;
      case kLoad:
        scene->Load();
        phase = kRender;
        break;
      case kRender:
        scene->Render();
        break;
    }

    if (!scene->window) {
      // Nothing could ever close a window that does not exist.
      quitRequested = true;
    } else if (scene->window->IsClosed()) {
      quitRequested = true;
    } else {
      windowOpened = true;
      scene->window->Swap();
    }

    Sleep(1);
  } while (!quitRequested);

  scene->Shutdown();
  scene->Shutdown();
  Demo* base = scene;
  delete base;
  return windowOpened ? 0 : 1;
}
