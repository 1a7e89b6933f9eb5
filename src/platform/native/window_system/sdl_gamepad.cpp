// Gamepads through SDL's game controller support: each controller is opened
// as it comes (those present at start come as well) and closed as it goes;
// its buttons become core events named by where they sit. What a button
// does is the core's (core/gamepad_input.cpp).
//
// SDL leaves out a pad's events while none of the program's windows has the
// keyboard focus, so a pad pressed while the user works elsewhere does
// nothing here.
#include <map>

#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {
namespace {

struct Gamepads {
  bool initialised = false;
  std::map<SDL_JoystickID, SDL_GameController*> open;
};

Gamepads& State() {
  static Gamepads gamepads;
  return gamepads;
}

void Add(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) return;  // gone again, or no longer a controller
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  auto [place, added] = State().open.emplace(id, controller);
  if (!added) SDL_GameControllerClose(controller);  // one handle per pad
}

void Remove(SDL_JoystickID id) {
  auto found = State().open.find(id);
  if (found == State().open.end()) return;
  SDL_GameControllerClose(found->second);
  State().open.erase(found);
}

// SDL's buttons and the core's, which name the same places.
const std::pair<SDL_GameControllerButton, core::GamepadButton> kButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, core::kPadSouth},
    {SDL_CONTROLLER_BUTTON_B, core::kPadEast},
    {SDL_CONTROLLER_BUTTON_X, core::kPadWest},
    {SDL_CONTROLLER_BUTTON_Y, core::kPadNorth},
    {SDL_CONTROLLER_BUTTON_BACK, core::kPadBack},
    {SDL_CONTROLLER_BUTTON_GUIDE, core::kPadGuide},
    {SDL_CONTROLLER_BUTTON_START, core::kPadStart},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, core::kPadLeftStick},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, core::kPadRightStick},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, core::kPadLeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, core::kPadRightShoulder},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, core::kPadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, core::kPadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, core::kPadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, core::kPadRight},
};

bool ButtonOf(Uint8 sdlButton, int* button) {
  for (const auto& [sdl, ours] : kButtons) {
    if (sdl != sdlButton) continue;
    *button = ours;
    return true;
  }
  return false;
}

}  // namespace

void OpenGamepadSupport() {
  Gamepads& state = State();
  if (state.initialised) return;
  state.initialised = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  // The program runs on without them.
  if (!state.initialised) ReportSdl("no gamepads");
}

bool TranslateGamepad(const SDL_Event& event, Event* out) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Add(event.cdevice.which);
      return false;
    case SDL_CONTROLLERDEVICEREMOVED:
      Remove(event.cdevice.which);
      return false;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (!ButtonOf(event.cbutton.button, &out->button)) return false;
      out->kind = event.type == SDL_CONTROLLERBUTTONDOWN ? Event::kGamepadButtonDown
                                                         : Event::kGamepadButtonUp;
      return true;
    default:
      return false;
  }
}

SDL_GameControllerButton SdlButton(core::GamepadButton button) {
  for (const auto& [sdl, ours] : kButtons)
    if (ours == button) return sdl;
  return SDL_CONTROLLER_BUTTON_INVALID;
}

int OpenGamepadCount() {
  return static_cast<int>(State().open.size());
}

bool GamepadOpen(SDL_JoystickID id) {
  return State().open.count(id) != 0;
}

void CloseGamepads() {
  for (const auto& [id, controller] : State().open) SDL_GameControllerClose(controller);
  State() = Gamepads{};
}

}  // namespace native::window_system
