#include "platform/core/window_place.h"

#include "platform/core/layer_windows.h"

namespace core {
namespace {

struct PlaceState {
  bool rememberedUsed = false;  // the options' place opens one window only
  WindowPlace last;
};

PlaceState& State() {
  static PlaceState state;
  return state;
}

}  // namespace

void ShowModeInWindow(Window& window, int width, int height) {
  PlaceState& state = State();
  const WindowPlace& remembered = LayerOptions().windowPlace;
  window.view = Window::View::kWindowed;
  if (!state.rememberedUsed && remembered.Known()) {
    state.rememberedUsed = true;
    window.viewWindowSize = POINT{remembered.width, remembered.height};
    if (remembered.positioned) {
      TheBackend().ShowInWindowAt(window.surface, remembered.x, remembered.y, remembered.width,
                                  remembered.height);
    } else {
      TheBackend().ShowInWindow(window.surface, remembered.width, remembered.height);
    }
    return;
  }
  state.rememberedUsed = true;
  window.viewWindowSize = POINT{width, height};
  TheBackend().ShowInWindow(window.surface, width, height);
}

void KeepWindowPlace(const Window& window) {
  if (window.view != Window::View::kWindowed || !window.surface) return;
  WindowPlace place;
  TheBackend().WindowSize(window.surface, &place.width, &place.height);
  if (!place.Known()) return;
  place.positioned = TheBackend().WindowPosition(window.surface, &place.x, &place.y);
  State().last = place;
}

bool LastWindowPlace(WindowPlace* place) {
  *place = State().last;
  return place->Known();
}

void ResetWindowPlace() {
  State() = PlaceState{};
}

}  // namespace core
