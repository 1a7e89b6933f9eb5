#include "platform/web/gl/gl_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace webgl {

// ------------------------------------------------------------- reporting

namespace {

void ToStderr(const char* line) {
  std::fprintf(stderr, "%s\n", line);
}

GlContext* current = nullptr;

float Clamp01(float value) {
  return std::min(1.0f, std::max(0.0f, value));
}

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

}  // namespace

void (*reportLine)(const char* line) = ToStderr;

void ReportOutsideSubset(const std::string& what) {
  static std::set<std::string> reported;
  if (!reported.insert(what).second) return;
  const std::string line = "plumo: " + what + ": outside the GL 1.1 subset of the web page";
  reportLine(line.c_str());
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

void GlContext::Emit(Shape shape, const DrawState& state, const webgl::Vertex* vertices,
                     size_t count) {
  if (!batch_.empty() && (shape != batchShape_ || state != batchState_)) Flush();
  batchShape_ = shape;
  batchState_ = state;
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
  if (!webgl::Frustum(l, r, b, t, n, f, &matrix)) {
    if (Record([=](GlContext& c) { c.Frustum(l, r, b, t, n, f); }) && !InsideBegin())
      SetError(GL_INVALID_VALUE);
    return;
  }
  MultMatrix(matrix);
}

void GlContext::Ortho(double l, double r, double b, double t, double n, double f) {
  Matrix matrix;
  if (!webgl::Ortho(l, r, b, t, n, f, &matrix)) {
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
  const std::vector<webgl::Vertex>& v = corners_;
  const size_t n = v.size();
  std::vector<webgl::Vertex> out;
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

// ------------------------------------------------------------- raster position, bitmaps

void GlContext::RasterPos(float x, float y, float z, float w) {
  if (!Record([=](GlContext& c) { c.RasterPos(x, y, z, w); }) || InsideBegin()) return;
  const Vec4 clip = projection_.back() * (modelview_.back() * Vec4{x, y, z, w});
  state_.rasterValid = std::fabs(clip.x) <= clip.w && std::fabs(clip.y) <= clip.w &&
                       std::fabs(clip.z) <= clip.w && clip.w > 0;
  if (!state_.rasterValid) return;
  const int* viewport = state_.draw.viewport;
  const float halfWidth = viewport[2] * 0.5f, halfHeight = viewport[3] * 0.5f;
  state_.raster[0] = clip.x / clip.w * halfWidth + (viewport[0] + halfWidth);
  state_.raster[1] = clip.y / clip.w * halfHeight + (viewport[1] + halfHeight);
  state_.raster[2] = clip.z / clip.w * 0.5f + 0.5f;
  state_.raster[3] = clip.w;
  for (int i = 0; i < 4; ++i) state_.rasterColor[i] = Clamp01(state_.color[i]);
}

void GlContext::PixelStore(GLenum name, GLint value) {
  // Client state: executed at once, never compiled.
  if (InsideBegin()) return;
  switch (name) {
    case GL_UNPACK_ALIGNMENT:
      if (value != 1 && value != 2 && value != 4 && value != 8) return SetError(GL_INVALID_VALUE);
      unpackAlignment_ = value;
      return;
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
    case GL_UNPACK_LSB_FIRST:
    case GL_UNPACK_SWAP_BYTES:
      // Their defaults are the only values this subset reads bitmaps with.
      if (value != 0) Outside("glPixelStorei(GL_UNPACK_* other than the alignment)");
      return;
    default:
      Outside("glPixelStorei");
  }
}

bool GlContext::PlaceGlyph(GLsizei width, GLsizei height, const GLubyte* bitmap,
                           GlyphPlace* place) {
  // One byte a texel from GL's unpacking: rows padded to the alignment,
  // most significant bit first.
  const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
  const size_t stride = (rowBytes + unpackAlignment_ - 1) / unpackAlignment_ * unpackAlignment_;
  std::string texels(static_cast<size_t>(width) * height, '\0');
  for (GLsizei row = 0; row < height; ++row)
    for (GLsizei col = 0; col < width; ++col)
      if (bitmap[row * stride + col / 8] & (0x80 >> (col % 8)))
        texels[static_cast<size_t>(row) * width + col] = '\xff';

  const std::string key = std::to_string(width) + "x" + std::to_string(height) + ":" + texels;
  auto found = glyphPlaces_.find(key);
  if (found != glyphPlaces_.end()) {
    *place = found->second;
    return true;
  }
  if (width > kAtlasSize || height > kAtlasSize) return false;
  if (shelfX_ + width > kAtlasSize) {
    shelfY_ += shelfHeight_;
    shelfX_ = shelfHeight_ = 0;
  }
  if (shelfY_ + height > kAtlasSize) return false;
  *place = GlyphPlace{shelfX_, shelfY_};
  renderer_->PutGlyphs(place->x, place->y, width, height,
                       reinterpret_cast<const uint8_t*>(texels.data()));
  shelfX_ += width;
  shelfHeight_ = std::max(shelfHeight_, static_cast<int>(height));
  glyphPlaces_.emplace(key, *place);
  return true;
}

void GlContext::Bitmap(GLsizei width, GLsizei height, float xorig, float yorig, float xmove,
                       float ymove, const GLubyte* bitmap) {
  if (InsideBegin()) return;
  if (width < 0 || height < 0) return SetError(GL_INVALID_VALUE);
  // The bits are unpacked once, when the call is made or compiled.
  GlyphPlace place{0, 0};
  if (width > 0 && height > 0 && bitmap && !PlaceGlyph(width, height, bitmap, &place))
    return SetError(GL_OUT_OF_MEMORY);
  if (!bitmap) width = height = 0;
  if (!Record([=](GlContext& c) { c.DrawGlyph(width, height, place, xorig, yorig, xmove, ymove); }))
    return;
  DrawGlyph(width, height, place, xorig, yorig, xmove, ymove);
}

void GlContext::DrawGlyph(GLsizei width, GLsizei height, const GlyphPlace& place, float xorig,
                          float yorig, float xmove, float ymove) {
  if (!state_.rasterValid) return;
  if (width > 0 && height > 0 && drawableWidth_ > 0 && drawableHeight_ > 0) {
    // The lower-left pixel is the raster position less the origin, rounded
    // down; a hair above the exact value counts as reaching the next pixel,
    // which is how GL's own glBitmap truncates.
    const float epsilon = 0.0001f;
    const float left = std::floor(state_.raster[0] + epsilon - xorig);
    const float bottom = std::floor(state_.raster[1] + epsilon - yorig);
    const float toClipX = 2.0f / drawableWidth_, toClipY = 2.0f / drawableHeight_;
    const float x0 = left * toClipX - 1, x1 = (left + width) * toClipX - 1;
    const float y0 = bottom * toClipY - 1, y1 = (bottom + height) * toClipY - 1;
    const float z = state_.raster[2] * 2 - 1;
    const float u0 = static_cast<float>(place.x), u1 = u0 + width;
    const float v0 = static_cast<float>(place.y), v1 = v0 + height;
    const float* c = state_.rasterColor;
    const webgl::Vertex quad[6] = {{x0, y0, z, 1, c[0], c[1], c[2], c[3], u0, v0},
                                   {x1, y0, z, 1, c[0], c[1], c[2], c[3], u1, v0},
                                   {x1, y1, z, 1, c[0], c[1], c[2], c[3], u1, v1},
                                   {x0, y0, z, 1, c[0], c[1], c[2], c[3], u0, v0},
                                   {x1, y1, z, 1, c[0], c[1], c[2], c[3], u1, v1},
                                   {x0, y1, z, 1, c[0], c[1], c[2], c[3], u0, v1}};
    // Bitmap fragments are window pixels: neither the viewport nor culling
    // applies to them.
    DrawState state = state_.draw;
    state.cullFace = false;
    const int whole[4] = {0, 0, drawableWidth_, drawableHeight_};
    std::copy(whole, whole + 4, state.viewport);
    Emit(Shape::kTriangles, state, quad, 6);
  }
  state_.raster[0] += xmove;
  state_.raster[1] += ymove;
}

// ------------------------------------------------------------- display lists

GLuint GlContext::GenLists(GLsizei range) {
  if (InsideBegin()) return 0;
  if (range < 0) {
    SetError(GL_INVALID_VALUE);
    return 0;
  }
  if (range == 0) return 0;
  // The lowest run of `range` unused names.
  GLuint first = 1;
  for (auto it = lists_.lower_bound(first); it != lists_.end() && it->first < first + range;
       it = lists_.lower_bound(first))
    first = it->first + 1;
  for (GLuint name = first; name < first + static_cast<GLuint>(range); ++name) lists_[name];
  return first;
}

void GlContext::DeleteLists(GLuint list, GLsizei range) {
  if (InsideBegin()) return;
  if (range < 0) return SetError(GL_INVALID_VALUE);
  lists_.erase(lists_.lower_bound(list), lists_.lower_bound(list + static_cast<GLuint>(range)));
}

GLboolean GlContext::IsList(GLuint list) {
  if (InsideBegin()) return GL_FALSE;
  return lists_.count(list) ? GL_TRUE : GL_FALSE;
}

void GlContext::NewList(GLuint list, GLenum mode) {
  if (InsideBegin()) return;
  if (list == 0) return SetError(GL_INVALID_VALUE);
  if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return SetError(GL_INVALID_ENUM);
  if (compilingList_) return SetError(GL_INVALID_OPERATION);
  compilingList_ = list;
  compileMode_ = mode;
  compiling_.clear();
}

void GlContext::EndList() {
  if (InsideBegin()) return;
  if (!compilingList_) return SetError(GL_INVALID_OPERATION);
  // The list takes its new contents only now, so a list may call its own
  // earlier self while it is compiled.
  lists_[compilingList_] = std::move(compiling_);
  compiling_.clear();
  compilingList_ = 0;
}

void GlContext::RunList(GLuint list) {
  if (listDepth_ >= kListNesting) return;
  auto found = lists_.find(list);
  if (found == lists_.end()) return;
  // A copy: a command may delete or replace the list that holds it.
  const std::vector<Command> commands = found->second;
  ++listDepth_;
  for (const Command& command : commands) command(*this);
  --listDepth_;
}

void GlContext::CallList(GLuint list) {
  if (!Record([=](GlContext& c) { c.CallList(list); })) return;
  RunList(list);
}

void GlContext::CallLists(GLsizei n, GLenum type, const void* lists) {
  if (n < 0) return SetError(GL_INVALID_VALUE);
  // The names are read from client memory now, compiled or not.
  std::vector<GLuint> names(static_cast<size_t>(n));
  for (GLsizei i = 0; i < n; ++i) {
    switch (type) {
      case GL_UNSIGNED_BYTE:
        names[i] = static_cast<const GLubyte*>(lists)[i];
        break;
      case GL_BYTE:
        names[i] = static_cast<GLuint>(static_cast<const GLbyte*>(lists)[i]);
        break;
      case GL_UNSIGNED_SHORT:
        names[i] = static_cast<const GLushort*>(lists)[i];
        break;
      case GL_SHORT:
        names[i] = static_cast<GLuint>(static_cast<const GLshort*>(lists)[i]);
        break;
      case GL_UNSIGNED_INT:
        names[i] = static_cast<const GLuint*>(lists)[i];
        break;
      case GL_INT:
        names[i] = static_cast<GLuint>(static_cast<const GLint*>(lists)[i]);
        break;
      default:
        return Outside("glCallLists(type other than an integer type)");
    }
  }
  if (!Record([names](GlContext& c) {
        c.CallLists(static_cast<GLsizei>(names.size()), GL_UNSIGNED_INT, names.data());
      }))
    return;
  for (GLuint name : names) RunList(state_.listBase + name);
}

void GlContext::ListBase(GLuint base) {
  if (!Record([=](GlContext& c) { c.ListBase(base); }) || InsideBegin()) return;
  state_.listBase = base;
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

// ------------------------------------------------------------- queries

GLenum GlContext::GetError() {
  if (InsideBegin()) return GL_NO_ERROR;
  const GLenum error = error_;
  error_ = GL_NO_ERROR;
  return error;
}

void GlContext::GetFloatv(GLenum name, GLfloat* values) {
  if (InsideBegin()) return;
  switch (name) {
    case GL_MODELVIEW_MATRIX:
      std::copy(modelview_.back().m, modelview_.back().m + 16, values);
      return;
    case GL_PROJECTION_MATRIX:
      std::copy(projection_.back().m, projection_.back().m + 16, values);
      return;
    case GL_CURRENT_COLOR:
      std::copy(state_.color, state_.color + 4, values);
      return;
    case GL_CURRENT_RASTER_POSITION:
      std::copy(state_.raster, state_.raster + 4, values);
      return;
    case GL_CURRENT_RASTER_COLOR:
      std::copy(state_.rasterColor, state_.rasterColor + 4, values);
      return;
    case GL_COLOR_CLEAR_VALUE:
      std::copy(state_.clearColor, state_.clearColor + 4, values);
      return;
    default: {
      GLint integers[4] = {0, 0, 0, 0};
      const GLenum before = error_;
      GetIntegerv(name, integers);
      if (error_ != before) return;
      for (int i = 0; i < (name == GL_VIEWPORT ? 4 : 1); ++i)
        values[i] = static_cast<GLfloat>(integers[i]);
    }
  }
}

void GlContext::GetIntegerv(GLenum name, GLint* values) {
  if (InsideBegin()) return;
  switch (name) {
    case GL_MATRIX_MODE:
      *values = static_cast<GLint>(state_.matrixMode);
      return;
    case GL_MODELVIEW_STACK_DEPTH:
      *values = static_cast<GLint>(modelview_.size());
      return;
    case GL_PROJECTION_STACK_DEPTH:
      *values = static_cast<GLint>(projection_.size());
      return;
    case GL_ATTRIB_STACK_DEPTH:
      *values = static_cast<GLint>(attribStack_.size());
      return;
    case GL_MAX_MODELVIEW_STACK_DEPTH:
      *values = kModelviewDepth;
      return;
    case GL_MAX_PROJECTION_STACK_DEPTH:
      *values = kProjectionDepth;
      return;
    case GL_MAX_ATTRIB_STACK_DEPTH:
      *values = kAttribDepth;
      return;
    case GL_MAX_LIST_NESTING:
      *values = kListNesting;
      return;
    case GL_LIST_BASE:
      *values = static_cast<GLint>(state_.listBase);
      return;
    case GL_LIST_INDEX:
      *values = static_cast<GLint>(compilingList_);
      return;
    case GL_LIST_MODE:
      *values = compilingList_ ? static_cast<GLint>(compileMode_) : 0;
      return;
    case GL_VIEWPORT:
      std::copy(state_.draw.viewport, state_.draw.viewport + 4, values);
      return;
    case GL_DEPTH_FUNC:
      *values = static_cast<GLint>(state_.draw.depthFunc);
      return;
    case GL_CULL_FACE_MODE:
      *values = static_cast<GLint>(state_.draw.cullMode);
      return;
    case GL_FRONT_FACE:
      *values = static_cast<GLint>(state_.draw.frontFace);
      return;
    case GL_UNPACK_ALIGNMENT:
      *values = unpackAlignment_;
      return;
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
    case GL_UNPACK_LSB_FIRST:
    case GL_UNPACK_SWAP_BYTES:
      *values = 0;
      return;
    // The framebuffer the demo draws into: 5/6/5 colour, 16-bit depth.
    case GL_RED_BITS:
    case GL_BLUE_BITS:
      *values = 5;
      return;
    case GL_GREEN_BITS:
      *values = 6;
      return;
    case GL_ALPHA_BITS:
    case GL_STENCIL_BITS:
      *values = 0;
      return;
    case GL_DEPTH_BITS:
      *values = 16;
      return;
    default:
      Outside("glGet of a value this subset does not keep");
  }
}

void GlContext::GetBooleanv(GLenum name, GLboolean* values) {
  if (InsideBegin()) return;
  switch (name) {
    case GL_CURRENT_RASTER_POSITION_VALID:
      *values = state_.rasterValid ? GL_TRUE : GL_FALSE;
      return;
    case GL_DOUBLEBUFFER:
      *values = GL_TRUE;
      return;
    case GL_DEPTH_TEST:
    case GL_CULL_FACE:
    case GL_DITHER:
      *values = IsEnabled(name);
      return;
    default: {
      GLint integer = 0;
      const GLenum before = error_;
      GetIntegerv(name, &integer);
      if (error_ == before) *values = integer ? GL_TRUE : GL_FALSE;
    }
  }
}

const GLubyte* GlContext::GetString(GLenum name) {
  if (InsideBegin()) return nullptr;
  const char* text = nullptr;
  switch (name) {
    case GL_VENDOR:
      text = "Plumo";
      break;
    case GL_RENDERER:
      text = "Plumo GL 1.1 subset on WebGL 2";
      break;
    case GL_VERSION:
      text = "1.1 Plumo";
      break;
    case GL_EXTENSIONS:
      text = "";
      break;
    default:
      SetError(GL_INVALID_ENUM);
      return nullptr;
  }
  return reinterpret_cast<const GLubyte*>(text);
}

void GlContext::Finish() {
  if (InsideBegin()) return;
  Flush();
}

}  // namespace webgl
