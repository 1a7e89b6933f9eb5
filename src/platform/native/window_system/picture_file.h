// F12's file: the demo's picture as plumo-YYYYMMDD-HHMMSS.png in the user's
// pictures folder ($XDG_PICTURES_DIR when it names a folder), else in the
// current one.
#pragma once

#include <ctime>
#include <string>

#include "platform/native/window_system/framebuffer.h"

namespace native::window_system {

std::string PictureFolder();
std::string PictureFileName(const std::tm& localTime);

// Writes the picture to a new file in the folder, named for `now`; a second
// picture in the same second gets "-2", "-3", ... before ".png". The path
// written, or false with the reason.
bool SavePicture(const native::window_system::Picture& picture, const std::string& folder,
                 std::time_t now, std::string* path, std::string* error);

}  // namespace native::window_system
