#include "platform/core/display_modes.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace core {

std::vector<DisplayMode> VirtualModes(const DisplayMode& desktop) {
  std::vector<std::pair<int, int>> sizes = {{640, 480}, {800, 600}, {1024, 768}};
  sizes.emplace_back(desktop.width, desktop.height);
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  const int refresh = desktop.refreshRate > 0 ? desktop.refreshRate : 60;
  std::vector<DisplayMode> modes;
  for (int bits : {16, 32})
    for (const auto& [width, height] : sizes)
      modes.push_back(DisplayMode{width, height, bits, refresh});
  return modes;
}

DisplayMode RequestedMode(const DEVMODEA& request, const DisplayMode& current) {
  DisplayMode mode = current;
  if (request.dmFields & DM_PELSWIDTH) mode.width = static_cast<int>(request.dmPelsWidth);
  if (request.dmFields & DM_PELSHEIGHT) mode.height = static_cast<int>(request.dmPelsHeight);
  if (request.dmFields & DM_BITSPERPEL) mode.bitsPerPixel = static_cast<int>(request.dmBitsPerPel);
  if (request.dmFields & DM_DISPLAYFREQUENCY)
    mode.refreshRate = static_cast<int>(request.dmDisplayFrequency);
  return mode;
}

bool Lists(const std::vector<DisplayMode>& modes, const DisplayMode& mode) {
  // Any refresh rate will do: the picture is shown at the desktop's.
  return std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& listed) {
    return listed.width == mode.width && listed.height == mode.height &&
           listed.bitsPerPixel == mode.bitsPerPixel;
  });
}

void Describe(const DisplayMode& mode, DEVMODEA* record) {
  const WORD driverExtra = record->dmDriverExtra;
  std::memset(record, 0, sizeof *record);
  record->dmSize = sizeof *record;
  record->dmDriverExtra = driverExtra;
  record->dmSpecVersion = 0x0401;  // DM_SPECVERSION
  record->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  record->dmBitsPerPel = static_cast<DWORD>(mode.bitsPerPixel);
  record->dmPelsWidth = static_cast<DWORD>(mode.width);
  record->dmPelsHeight = static_cast<DWORD>(mode.height);
  record->dmDisplayFrequency = static_cast<DWORD>(mode.refreshRate);
}

}  // namespace core
