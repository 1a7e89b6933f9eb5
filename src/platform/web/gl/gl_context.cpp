#include "platform/web/gl/gl_context.h"

#include "platform/core/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace web::gl {

// ------------------------------------------------------------- reporting

namespace {

GlContext* current = nullptr;

// glDisable of these is what GL starts with, so it is accepted; enabling
// them asks for what this subset does not draw.
bool OffByDefault(GLenum cap) {
  switch (cap) {
    case GL_LIGHTING:
    case GL_TEXTURE_2D:
    case GL_BLEND:
    case GL_FOG:
    case GL_ALPHA_TEST:
    case GL_STENCIL_TEST:
    case GL_SCISSOR_TEST:
    case GL_NORMALIZE:
    case GL_COLOR_MATERIAL:
      return true;
    default:
      return false;
  }
}

// "glEnable(0x0B50)": a call with the argument that puts it outside the subset.
std::string Call(const char* name, GLenum argument) {
  char text[64];
  std::snprintf(text, sizeof text, "%s(0x%04X)", name, argument);
  return text;
}

std::set<std::string>& Reported() {
  static std::set<std::string> reported;
  return reported;
}

}  // namespace

void ReportOutsideSubset(const std::string& what) {
  if (!Reported().insert(what).second) return;
  core::Report(what.c_str(), "outside the GL 1.1 subset of the web page");
}

void ForgetReports() {
  Reported().clear();
}

GlContext* Current() {
  return current;
}

void MakeCurrent(GlContext* context) {
  if (current && current != context) current->Flush();
  current = context;
}

bool DrawState::operator==(const DrawState& o) const {
  return depthTest == o.depthTest && depthFunc == o.depthFunc && cullFace == o.cullFace &&
         cullMode == o.cullMode && frontFace == o.frontFace && dither == o.dither &&
         std::equal(viewport, viewport + 4, o.viewport);
}

// ------------------------------------------------------------- plumbing

GlContext::GlContext(Renderer* renderer) : renderer_(renderer) {}

void GlContext::SetDrawableSize(int width, int height) {
  if (drawableWidth_ == 0 && drawableHeight_ == 0) {
    const int viewport[4] = {0, 0, width, height};
    std::copy(viewport, viewport + 4, state_.draw.viewport);
  }
  drawableWidth_ = width;
  drawableHeight_ = height;
}

void GlContext::SetError(GLenum error) {
  // The first error is kept until glGetError reads it.
  if (error_ == GL_NO_ERROR) error_ = error;
}

void GlContext::Outside(const std::string& what) {
  ReportOutsideSubset(what);
  SetError(GL_INVALID_OPERATION);
}

bool GlContext::InsideBegin() {
  if (inBegin_) SetError(GL_INVALID_OPERATION);
  return inBegin_;
}

bool GlContext::Record(Command command) {
  if (!compilingList_ || listDepth_ > 0) return true;
  compiling_.push_back(std::move(command));
  return compileMode_ == GL_COMPILE_AND_EXECUTE;
}

void GlContext::Flush() {
  if (!batch_.empty()) renderer_->Draw(batchShape_, batchState_, batch_.data(), batch_.size());
  batch_.clear();
}

void GlContext::Emit(Shape shape, const DrawState& state, const web::gl::Vertex* vertices,
                     size_t count) {
  // Glyph pixels carry their atlas texel (u >= 0) and are drawn with another
  // shader, chosen by a batch's first vertex: they never share a batch with
  // geometry, whatever the state.
  const bool glyphs = count > 0 && vertices[0].u >= 0;
  if (!batch_.empty() && (shape != batchShape_ || state != batchState_ || glyphs != batchGlyphs_))
    Flush();
  batchShape_ = shape;
  batchState_ = state;
  batchGlyphs_ = glyphs;
  batch_.insert(batch_.end(), vertices, vertices + count);
}

// ------------------------------------------------------------- buffers, enables

void GlContext::Clear(GLbitfield mask) {
  if (!Record([=](GlContext& c) { c.Clear(mask); }) || InsideBegin()) return;
  if (mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) {
    Outside("glClear(stencil or accumulation buffer)");
    return;
  }
  Flush();
  renderer_->Clear(mask, state_.clearColor, state_.clearDepth);
}

void GlContext::ClearColor(float r, float g, float b, float a) {
  if (!Record([=](GlContext& c) { c.ClearColor(r, g, b, a); }) || InsideBegin()) return;
  const float color[4] = {Clamp01(r), Clamp01(g), Clamp01(b), Clamp01(a)};
  std::copy(color, color + 4, state_.clearColor);
}

void GlContext::ClearDepth(double depth) {
  if (!Record([=](GlContext& c) { c.ClearDepth(depth); }) || InsideBegin()) return;
  state_.clearDepth = Clamp01(static_cast<float>(depth));
}

void GlContext::Enable(GLenum cap) {
  if (!Record([=](GlContext& c) { c.Enable(cap); }) || InsideBegin()) return;
  switch (cap) {
    case GL_DEPTH_TEST:
      state_.draw.depthTest = true;
      break;
    case GL_CULL_FACE:
      state_.draw.cullFace = true;
      break;
    case GL_DITHER:
      state_.draw.dither = true;
      break;
    default:
      Outside(Call("glEnable", cap));
  }
}

void GlContext::Disable(GLenum cap) {
  if (!Record([=](GlContext& c) { c.Disable(cap); }) || InsideBegin()) return;
  switch (cap) {
    case GL_DEPTH_TEST:
      state_.draw.depthTest = false;
      break;
    case GL_CULL_FACE:
      state_.draw.cullFace = false;
      break;
    case GL_DITHER:
      state_.draw.dither = false;
      break;
    default:
      if (!OffByDefault(cap)) Outside(Call("glDisable", cap));
  }
}

GLboolean GlContext::IsEnabled(GLenum cap) {
  if (InsideBegin()) return GL_FALSE;
  switch (cap) {
    case GL_DEPTH_TEST:
      return state_.draw.depthTest;
    case GL_CULL_FACE:
      return state_.draw.cullFace;
    case GL_DITHER:
      return state_.draw.dither;
    default:
      if (!OffByDefault(cap)) Outside("glIsEnabled");
      return GL_FALSE;
  }
}

void GlContext::DepthFunc(GLenum func) {
  if (!Record([=](GlContext& c) { c.DepthFunc(func); }) || InsideBegin()) return;
  if (func < GL_NEVER || func > GL_ALWAYS) return SetError(GL_INVALID_ENUM);
  state_.draw.depthFunc = func;
}

void GlContext::CullFace(GLenum mode) {
  if (!Record([=](GlContext& c) { c.CullFace(mode); }) || InsideBegin()) return;
  if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK)
    return SetError(GL_INVALID_ENUM);
  state_.draw.cullMode = mode;
}

void GlContext::FrontFace(GLenum mode) {
  if (!Record([=](GlContext& c) { c.FrontFace(mode); }) || InsideBegin()) return;
  if (mode != GL_CW && mode != GL_CCW) return SetError(GL_INVALID_ENUM);
  state_.draw.frontFace = mode;
}

void GlContext::Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (!Record([=](GlContext& c) { c.Viewport(x, y, width, height); }) || InsideBegin()) return;
  if (width < 0 || height < 0) return SetError(GL_INVALID_VALUE);
  const int viewport[4] = {x, y, width, height};
  std::copy(viewport, viewport + 4, state_.draw.viewport);
}

// ------------------------------------------------------------- matrices

std::vector<Matrix>& GlContext::Stack() {
  return state_.matrixMode == GL_PROJECTION ? projection_ : modelview_;
}

void GlContext::MatrixMode(GLenum mode) {
  if (!Record([=](GlContext& c) { c.MatrixMode(mode); }) || InsideBegin()) return;
  if (mode == GL_TEXTURE) return Outside("glMatrixMode(GL_TEXTURE)");
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION) return SetError(GL_INVALID_ENUM);
  state_.matrixMode = mode;
}

void GlContext::LoadIdentity() {
  if (!Record([](GlContext& c) { c.LoadIdentity(); }) || InsideBegin()) return;
  Top() = Matrix();
}

void GlContext::LoadMatrix(const Matrix& matrix) {
  if (!Record([=](GlContext& c) { c.LoadMatrix(matrix); }) || InsideBegin()) return;
  Top() = matrix;
}

void GlContext::MultMatrix(const Matrix& matrix) {
  if (!Record([=](GlContext& c) { c.MultMatrix(matrix); }) || InsideBegin()) return;
  Top() = Top() * matrix;
}

void GlContext::PushMatrix() {
  if (!Record([](GlContext& c) { c.PushMatrix(); }) || InsideBegin()) return;
  const size_t limit = state_.matrixMode == GL_PROJECTION ? kProjectionDepth : kModelviewDepth;
  if (Stack().size() >= limit) return SetError(GL_STACK_OVERFLOW);
  Stack().push_back(Top());
}

void GlContext::PopMatrix() {
  if (!Record([](GlContext& c) { c.PopMatrix(); }) || InsideBegin()) return;
  if (Stack().size() <= 1) return SetError(GL_STACK_UNDERFLOW);
  Stack().pop_back();
}

void GlContext::Translate(float x, float y, float z) {
  MultMatrix(Translation(x, y, z));
}

void GlContext::Rotate(float degrees, float x, float y, float z) {
  MultMatrix(Rotation(degrees, x, y, z));
}

void GlContext::Scale(float x, float y, float z) {
  MultMatrix(Scaling(x, y, z));
}

void GlContext::Frustum(double l, double r, double b, double t, double n, double f) {
  Matrix matrix;
  if (!web::gl::Frustum(l, r, b, t, n, f, &matrix)) {
    if (Record([=](GlContext& c) { c.Frustum(l, r, b, t, n, f); }) && !InsideBegin())
      SetError(GL_INVALID_VALUE);
    return;
  }
  MultMatrix(matrix);
}

void GlContext::Ortho(double l, double r, double b, double t, double n, double f) {
  Matrix matrix;
  if (!web::gl::Ortho(l, r, b, t, n, f, &matrix)) {
    if (Record([=](GlContext& c) { c.Ortho(l, r, b, t, n, f); }) && !InsideBegin())
      SetError(GL_INVALID_VALUE);
    return;
  }
  MultMatrix(matrix);
}

// ------------------------------------------------------------- immediate mode

void GlContext::Begin(GLenum mode) {
  if (!Record([=](GlContext& c) { c.Begin(mode); }) || InsideBegin()) return;
  if (mode > GL_POLYGON) return SetError(GL_INVALID_ENUM);
  primitive_ = mode;
  inBegin_ = true;
  corners_.clear();
  // The matrices cannot change before glEnd.
  clipFromObject_ = projection_.back() * modelview_.back();
}

void GlContext::Vertex(float x, float y, float z, float w) {
  if (!Record([=](GlContext& c) { c.Vertex(x, y, z, w); })) return;
  // Outside glBegin/glEnd a vertex does nothing.
  if (!inBegin_) return;
  const Vec4 clip = clipFromObject_ * Vec4{x, y, z, w};
  const float* color = state_.color;
  corners_.push_back({clip.x, clip.y, clip.z, clip.w, Clamp01(color[0]), Clamp01(color[1]),
                      Clamp01(color[2]), Clamp01(color[3]), -1.0f, -1.0f});
}

void GlContext::Color(float r, float g, float b, float a) {
  if (!Record([=](GlContext& c) { c.Color(r, g, b, a); })) return;
  const float color[4] = {r, g, b, a};
  std::copy(color, color + 4, state_.color);
}

void GlContext::Normal(float x, float y, float z) {
  // Kept for glGet and glPushAttrib; without lighting it changes nothing drawn.
  if (!Record([=](GlContext& c) { c.Normal(x, y, z); })) return;
  const float normal[3] = {x, y, z};
  std::copy(normal, normal + 3, state_.normal);
}

void GlContext::End() {
  if (!Record([](GlContext& c) { c.End(); })) return;
  if (!inBegin_) return SetError(GL_INVALID_OPERATION);
  inBegin_ = false;
  AssemblePrimitive();
  corners_.clear();
}

// Primitives become the triangles, lines and points the renderer draws,
// keeping each triangle's winding as GL defines it for strips and fans.
void GlContext::AssemblePrimitive() {
  const std::vector<web::gl::Vertex>& v = corners_;
  const size_t n = v.size();
  std::vector<web::gl::Vertex> out;
  auto triangle = [&](size_t a, size_t b, size_t c) { out.insert(out.end(), {v[a], v[b], v[c]}); };
  auto line = [&](size_t a, size_t b) { out.insert(out.end(), {v[a], v[b]}); };
  Shape shape = Shape::kTriangles;
  switch (primitive_) {
    case GL_POINTS:
      shape = Shape::kPoints;
      out = v;
      break;
    case GL_LINES:
      shape = Shape::kLines;
      for (size_t i = 0; i + 1 < n; i += 2) line(i, i + 1);
      break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      shape = Shape::kLines;
      for (size_t i = 0; i + 1 < n; ++i) line(i, i + 1);
      if (primitive_ == GL_LINE_LOOP && n > 2) line(n - 1, 0);
      break;
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3) triangle(i, i + 1, i + 2);
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i) {
        if (i % 2 == 0)
          triangle(i, i + 1, i + 2);
        else
          triangle(i + 1, i, i + 2);
      }
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (size_t i = 1; i + 1 < n; ++i) triangle(0, i, i + 1);
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) {
        triangle(i, i + 1, i + 2);
        triangle(i, i + 2, i + 3);
      }
      break;
    case GL_QUAD_STRIP:
      for (size_t i = 0; i + 3 < n; i += 2) {
        triangle(i, i + 1, i + 3);
        triangle(i, i + 3, i + 2);
      }
      break;
  }
  if (!out.empty()) Emit(shape, state_.draw, out.data(), out.size());
}

// ------------------------------------------------------------- attributes

void GlContext::PushAttrib(GLbitfield mask) {
  if (!Record([=](GlContext& c) { c.PushAttrib(mask); }) || InsideBegin()) return;
  if (attribStack_.size() >= kAttribDepth) return SetError(GL_STACK_OVERFLOW);
  attribStack_.push_back({mask, state_});
}

void GlContext::PopAttrib() {
  if (!Record([](GlContext& c) { c.PopAttrib(); }) || InsideBegin()) return;
  if (attribStack_.empty()) return SetError(GL_STACK_UNDERFLOW);
  Restore(attribStack_.back());
  attribStack_.pop_back();
}

void GlContext::Restore(const SavedAttributes& saved) {
  const GLbitfield mask = saved.mask;
  const Attributes& from = saved.state;
  Attributes& to = state_;
  if (mask & GL_CURRENT_BIT) {
    std::copy(from.color, from.color + 4, to.color);
    std::copy(from.normal, from.normal + 3, to.normal);
    to.rasterValid = from.rasterValid;
    std::copy(from.raster, from.raster + 4, to.raster);
    std::copy(from.rasterColor, from.rasterColor + 4, to.rasterColor);
  }
  if (mask & (GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT)) to.draw.depthTest = from.draw.depthTest;
  if (mask & (GL_ENABLE_BIT | GL_POLYGON_BIT)) to.draw.cullFace = from.draw.cullFace;
  if (mask & (GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT)) to.draw.dither = from.draw.dither;
  if (mask & GL_DEPTH_BUFFER_BIT) {
    to.draw.depthFunc = from.draw.depthFunc;
    to.clearDepth = from.clearDepth;
  }
  if (mask & GL_POLYGON_BIT) {
    to.draw.cullMode = from.draw.cullMode;
    to.draw.frontFace = from.draw.frontFace;
  }
  if (mask & GL_COLOR_BUFFER_BIT) std::copy(from.clearColor, from.clearColor + 4, to.clearColor);
  if (mask & GL_VIEWPORT_BIT)
    std::copy(from.draw.viewport, from.draw.viewport + 4, to.draw.viewport);
  if (mask & GL_TRANSFORM_BIT) to.matrixMode = from.matrixMode;
  if (mask & GL_LIST_BIT) to.listBase = from.listBase;
}

}  // namespace web::gl
