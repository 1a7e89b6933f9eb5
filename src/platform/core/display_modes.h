// The display modes the layer offers a program without touching the real
// one: the desktop's own size and 640x480, 800x600, 1024x768, each at 16 and
// 32 bits per pixel, at the desktop's refresh rate; and what a DEVMODEA asks.
#pragma once

#include <vector>

#include "platform/core/backend.h"
#include "platform/platform.h"

namespace core {

// Ordered as EnumDisplaySettingsA lists them: by depth, then by size.
std::vector<DisplayMode> VirtualModes(const DisplayMode& desktop);

// What a DEVMODEA asks for, the fields it leaves out taken from `current`.
DisplayMode RequestedMode(const DEVMODEA& request, const DisplayMode& current);

bool Lists(const std::vector<DisplayMode>& modes, const DisplayMode& mode);

// The record EnumDisplaySettingsA fills for a mode.
void Describe(const DisplayMode& mode, DEVMODEA* record);

}  // namespace core
