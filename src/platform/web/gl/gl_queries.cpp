// GlContext: glGetError and the values glGet* can read.
#include "platform/web/gl/gl_context.h"

#include <algorithm>

namespace web::gl {

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
    case GL_CURRENT_NORMAL:
      std::copy(state_.normal, state_.normal + 3, values);
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
      GLint integers[4] = {0, 0, 0, 0};  // GL_VIEWPORT has four
      const GLenum before = error_;
      GetIntegerv(name, integers);
      if (error_ != before) return;
      for (int i = 0; i < (name == GL_VIEWPORT ? 4 : 1); ++i)
        values[i] = integers[i] ? GL_TRUE : GL_FALSE;
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

}  // namespace web::gl
