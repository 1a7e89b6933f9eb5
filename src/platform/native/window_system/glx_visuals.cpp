#include "platform/native/window_system/glx_visuals.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <tuple>

namespace native {

std::vector<GlxVisual> ReadGlxVisuals(Display* display) {
  std::vector<GlxVisual> visuals;
  XVisualInfo pattern{};
  pattern.screen = DefaultScreen(display);
  int count = 0;
  XVisualInfo* infos = XGetVisualInfo(display, VisualScreenMask, &pattern, &count);
  if (!infos) return visuals;
  const int screenDepth = DefaultDepth(display, pattern.screen);
  for (int i = 0; i < count; ++i) {
    XVisualInfo* info = &infos[i];
    auto get = [&](int attribute) {
      int value = 0;
      return glXGetConfig(display, info, attribute, &value) == 0 ? value : -1;
    };
    if (get(GLX_USE_GL) != 1 || get(GLX_RGBA) != 1 || get(GLX_LEVEL) != 0 || get(GLX_STEREO) != 0 ||
        get(GLX_SAMPLES) > 0)
      continue;
    GlxVisual visual;
    visual.id = info->visualid;
    visual.fitsScreen = info->depth == screenDepth && info->c_class == TrueColor;
    visual.doubleBuffer = get(GLX_DOUBLEBUFFER) == 1;
    visual.colorBits = get(GLX_RED_SIZE) + get(GLX_GREEN_SIZE) + get(GLX_BLUE_SIZE);
    visual.alphaBits = get(GLX_ALPHA_SIZE);
    visual.depthBits = get(GLX_DEPTH_SIZE);
    visual.stencilBits = get(GLX_STENCIL_SIZE);
    visuals.push_back(visual);
  }
  XFree(infos);
  return visuals;
}

unsigned long ChooseVisual(const std::vector<GlxVisual>& visuals, const VisualRequest& request) {
  // Smaller keys are better: at or above the asked-for colour beats below it,
  // and then the closer the better.
  auto key = [&](const GlxVisual& visual) {
    const bool enoughColor = visual.colorBits >= request.colorBits;
    return std::make_tuple(!enoughColor, enoughColor ? visual.colorBits : -visual.colorBits,
                           visual.alphaBits, visual.depthBits, visual.stencilBits, visual.id);
  };
  const GlxVisual* best = nullptr;
  for (const GlxVisual& visual : visuals) {
    if (!visual.fitsScreen || visual.doubleBuffer != request.doubleBuffer ||
        visual.depthBits < request.depthBits || visual.stencilBits < request.stencilBits)
      continue;
    if (!best || key(visual) < key(*best)) best = &visual;
  }
  return best ? best->id : 0;
}

}  // namespace native
