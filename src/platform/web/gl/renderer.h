// What the GL emulation draws through: a framebuffer of the drawable's size
// with colour and depth, a glyph atlas, and batches of transformed vertices.
// The page implements it on WebGL 2 (webgl_renderer.cpp); tests record it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace web::gl {

// A vertex in clip coordinates with its colour. Glyph pixels carry the atlas
// texel they show (u, v in texels); every other vertex has u < 0.
struct Vertex {
  float x, y, z, w;
  float r, g, b, a;
  float u, v;
};

enum class Shape { kTriangles, kLines, kPoints };

// The fixed-function state a batch is drawn with.
struct DrawState {
  bool depthTest = false;
  GLenum depthFunc = GL_LESS;
  bool cullFace = false;
  GLenum cullMode = GL_BACK;
  GLenum frontFace = GL_CCW;
  bool dither = true;
  int viewport[4] = {0, 0, 0, 0};

  bool operator==(const DrawState& other) const;
  bool operator!=(const DrawState& other) const { return !(*this == other); }
};

class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual void Clear(GLbitfield mask, const float color[4], float depth) = 0;
  virtual void Draw(Shape shape, const DrawState& state, const Vertex* vertices, size_t count) = 0;
  // One byte a texel, non-zero where a glyph has ink, rows bottom-up.
  virtual void PutGlyphs(int x, int y, int width, int height, const uint8_t* texels) = 0;
};

// The glyph atlas's size in texels.
const int kAtlasSize = 1024;

}  // namespace web::gl
