// The GLX visuals of a display's default screen, and the one Windows'
// ChoosePixelFormat would take for a request. GLX's own choice prefers the
// largest depth buffer there is; Windows takes the closest one at least as
// large as asked for, so the demo's 8-bit request gets 16 bits, not 32.
#pragma once

#include <vector>

struct _XDisplay;

namespace native {

struct GlxVisual {
  unsigned long id = 0;
  bool fitsScreen = false;  // TrueColor at the screen's own depth
  bool doubleBuffer = false;
  int colorBits = 0;  // red + green + blue
  int alphaBits = 0;
  int depthBits = 0;
  int stencilBits = 0;
};

// The single-sampled, non-stereo RGBA visuals of the main plane.
std::vector<GlxVisual> ReadGlxVisuals(_XDisplay* display);

struct VisualRequest {
  int colorBits = 0;    // a preference: the closest at or above, else the largest
  int depthBits = 0;    // a requirement: at least this many; the fewest that meet it
  int stencilBits = 0;  // the same
  bool doubleBuffer = true;
};

// The closest fit among the visuals that suit the screen, in the order of
// importance ChoosePixelFormat gives them: colour, alpha (none is best),
// depth, stencil. 0 when none meets the requirements.
unsigned long ChooseVisual(const std::vector<GlxVisual>& visuals, const VisualRequest& request);

}  // namespace native
