#include "platform/native/window_system/test_gamepad.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "platform/core/report.h"
#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {
namespace {

struct TestPad {
  SDL_Joystick* joystick = nullptr;  // ours, to set its buttons
  SDL_JoystickID id = -1;
  // The hook's FIFO and the commands read from it, one a line.
  int fifo = -1;
  std::string partial;
  std::deque<std::string> commands;
};

TestPad& Pad() {
  static TestPad pad;
  return pad;
}

int DeviceIndexOf(SDL_JoystickID id) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
  return -1;
}

bool ButtonNamed(const std::string& name, core::GamepadButton* button) {
  static const std::pair<const char*, core::GamepadButton> kNames[] = {{"back", core::kPadBack},
                                                                       {"start", core::kPadStart},
                                                                       {"east", core::kPadEast},
                                                                       {"south", core::kPadSouth}};
  for (const auto& [known, value] : kNames) {
    if (name != known) continue;
    *button = value;
    return true;
  }
  return false;
}

void ReadCommands(TestPad& pad) {
  char buffer[256];
  ssize_t got = 0;
  while ((got = read(pad.fifo, buffer, sizeof buffer)) > 0) {
    pad.partial.append(buffer, static_cast<size_t>(got));
    for (size_t end; (end = pad.partial.find('\n')) != std::string::npos;) {
      pad.commands.push_back(pad.partial.substr(0, end));
      pad.partial.erase(0, end + 1);
    }
  }
}

// Runs the next command; false when it must wait.
bool RunCommand(const std::string& command) {
  if (command == "plug") {
    PlugTestGamepad();
    return true;
  }
  if (command == "unplug") {
    UnplugTestGamepad();
    return true;
  }
  core::GamepadButton button;
  if (!ButtonNamed(command, &button)) {
    core::ReportLine("PLUMO_TEST_GAMEPAD: no button \"%s\"", command.c_str());
    return true;
  }
  if (!TestGamepadReady()) return false;
  PressTestGamepad(button, true);
  PressTestGamepad(button, false);
  return true;
}

}  // namespace

bool PlugTestGamepad() {
  TestPad& pad = Pad();
  if (pad.joystick) return true;
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Plumo test gamepad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index >= 0) pad.joystick = SDL_JoystickOpen(index);
  if (!pad.joystick) {
    ReportSdl("no virtual gamepad");
    return false;
  }
  pad.id = SDL_JoystickInstanceID(pad.joystick);
  return true;
}

void UnplugTestGamepad() {
  TestPad& pad = Pad();
  if (!pad.joystick) return;
  SDL_JoystickClose(pad.joystick);
  pad.joystick = nullptr;
  const int index = DeviceIndexOf(pad.id);
  if (index >= 0) SDL_JoystickDetachVirtual(index);
  pad.id = -1;
}

bool TestGamepadReady() {
  return Pad().joystick && GamepadOpen(Pad().id) && SDL_GetKeyboardFocus() != nullptr;
}

void PressTestGamepad(core::GamepadButton button, bool down) {
  if (!Pad().joystick) return;
  SDL_JoystickSetVirtualButton(Pad().joystick, SdlButton(button), down ? 1 : 0);
  // The change becomes an event now, so a press and its release are two.
  SDL_JoystickUpdate();
}

void StartTestGamepadHook() {
  const char* path = std::getenv("PLUMO_TEST_GAMEPAD");
  if (!path || !*path || Pad().fifo >= 0) return;
  Pad().fifo = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (Pad().fifo < 0) {
    core::ReportLine("PLUMO_TEST_GAMEPAD: %s: %s", path, std::strerror(errno));
    return;
  }
  PlugTestGamepad();
}

void RunTestGamepadHook() {
  TestPad& pad = Pad();
  if (pad.fifo < 0) return;
  ReadCommands(pad);
  while (!pad.commands.empty() && RunCommand(pad.commands.front())) pad.commands.pop_front();
}

}  // namespace native::window_system
