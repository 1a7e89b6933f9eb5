// The web backend's faces: the ones baked into the page at build time
// (baked_font.h). A font object is one of those faces; a request for any
// other face, size, weight or slant fails, as Windows fails for a font it
// cannot make, and the demo then runs without captions. The glyph lists are
// made through the page's own GL entry points, call for call as the native
// layer makes them.
#pragma once

#include <string>

#include "platform/core/backend.h"

namespace web::fonts {

core::Faces& TheFaces();

}  // namespace web::fonts
