// A Renderer that keeps what the GL emulation hands it, for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/web/gl/renderer.h"

struct Drawn {
  webgl::Shape shape;
  webgl::DrawState state;
  std::vector<webgl::Vertex> vertices;
};

class RecordingRenderer : public webgl::Renderer {
 public:
  void Clear(GLbitfield, const float*, float) override { ++clears; }
  void Draw(webgl::Shape shape, const webgl::DrawState& state, const webgl::Vertex* vertices,
            size_t count) override {
    draws.push_back({shape, state, std::vector<webgl::Vertex>(vertices, vertices + count)});
  }
  void PutGlyphs(int x, int y, int width, int height, const uint8_t* texels) override {
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col)
        atlas[(y + row) * webgl::kAtlasSize + x + col] = texels[row * width + col];
  }

  int clears = 0;
  std::vector<Drawn> draws;
  std::vector<uint8_t> atlas = std::vector<uint8_t>(webgl::kAtlasSize * webgl::kAtlasSize);
};
