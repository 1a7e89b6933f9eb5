#pragma once

#include "platform/web/gl/renderer.h"

namespace web::gl {

// The Renderer on the canvas's WebGL 2 context (page/plumo_library.js).
class WebGlRenderer : public Renderer {
 public:
  void Clear(GLbitfield mask, const float color[4], float depth) override;
  void Draw(Shape shape, const DrawState& state, const Vertex* vertices, size_t count) override;
  void PutGlyphs(int x, int y, int width, int height, const uint8_t* texels) override;
};

}  // namespace web::gl
