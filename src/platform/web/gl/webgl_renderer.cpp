#include "platform/web/gl/webgl_renderer.h"

#include "platform/web/browser.h"

namespace web::gl {

static_assert(sizeof(Vertex) == 10 * sizeof(float), "the page reads ten floats a vertex");

void WebGlRenderer::Clear(GLbitfield mask, const float color[4], float depth) {
  plumo_gl_clear(mask, color[0], color[1], color[2], color[3], depth);
}

void WebGlRenderer::Draw(Shape shape, const DrawState& state, const Vertex* vertices,
                         size_t count) {
  const int packed[10] = {state.depthTest,
                          static_cast<int>(state.depthFunc),
                          state.cullFace,
                          static_cast<int>(state.cullMode),
                          static_cast<int>(state.frontFace),
                          state.dither,
                          state.viewport[0],
                          state.viewport[1],
                          state.viewport[2],
                          state.viewport[3]};
  plumo_gl_draw(static_cast<int>(shape), packed, &vertices->x, static_cast<int>(count));
}

void WebGlRenderer::PutGlyphs(int x, int y, int width, int height, const uint8_t* texels) {
  plumo_gl_put_glyphs(x, y, width, height, texels);
}

}  // namespace web::gl
