// Screensaver mode: the window another program gave the layer to draw in.
// One window of the program draws into it, the first to get a surface; any
// other gets a native window of its own as usual.
#include "platform/core/layer_windows.h"
#include "platform/core/options.h"

namespace core {

const HostWindow* HostFor(HWND hwnd) {
  const HostWindow& host = LayerOptions().host;
  if (!host.given) return nullptr;
  const HWND holder = User().hostHolder;
  return !Alive(holder) || holder == hwnd ? &host : nullptr;
}

void TakeHost(HWND hwnd) {
  User().hostHolder = hwnd;
}

bool OwnsNativeWindow(HWND hwnd) {
  return !hwnd || hwnd != User().hostHolder;
}

}  // namespace core
