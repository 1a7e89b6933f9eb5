// A Renderer that keeps what the GL emulation hands it, for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/web/gl/renderer.h"

struct Drawn {
  web::gl::Shape shape;
  web::gl::DrawState state;
  std::vector<web::gl::Vertex> vertices;
};

class RecordingRenderer : public web::gl::Renderer {
 public:
  void Clear(GLbitfield, const float*, float) override { ++clears; }
  void Draw(web::gl::Shape shape, const web::gl::DrawState& state, const web::gl::Vertex* vertices,
            size_t count) override {
    draws.push_back({shape, state, std::vector<web::gl::Vertex>(vertices, vertices + count)});
  }
  void PutGlyphs(int x, int y, int width, int height, const uint8_t* texels) override {
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col)
        atlas[(y + row) * web::gl::kAtlasSize + x + col] = texels[row * width + col];
  }

  int clears = 0;
  std::vector<Drawn> draws;
  std::vector<uint8_t> atlas = std::vector<uint8_t>(web::gl::kAtlasSize * web::gl::kAtlasSize);
};
