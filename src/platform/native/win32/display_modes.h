// The display modes the layer offers a program without touching the real
// one: the desktop's own size and 640x480, 800x600, 1024x768, each at 16 and
// 32 bits per pixel, at the desktop's refresh rate.
#pragma once

#include <vector>

#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"

namespace native {

// Ordered as EnumDisplaySettingsA lists them: by depth, then by size.
std::vector<backend::DisplayMode> VirtualModes(const backend::DisplayMode& desktop);

// What a DEVMODEA asks for, the fields it leaves out taken from `current`.
backend::DisplayMode RequestedMode(const DEVMODEA& request, const backend::DisplayMode& current);

bool Lists(const std::vector<backend::DisplayMode>& modes, const backend::DisplayMode& mode);

// The record EnumDisplaySettingsA fills for a mode.
void Describe(const backend::DisplayMode& mode, DEVMODEA* record);

}  // namespace native
