#include "platform/native/window_system/framebuffer.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>

namespace native::window_system {
namespace {

// GL 3.0's framebuffer entry points, loaded once: with libglvnd and Mesa
// they are the same for every context of the process.
struct Entries {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
  PFNGLCLIPCONTROLPROC clipControl = nullptr;  // GL 4.5 or ARB_clip_control; may be missing
  PFNGLBINDBUFFERPROC bindBuffer = nullptr;    // GL 1.5; for the pixel pack buffer
  bool loaded = false;
};

Entries& Gl() {
  static Entries entries;
  return entries;
}

template <typename T>
bool Load(T* entry, const char* name) {
  *entry = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
  return *entry != nullptr;
}

GLenum ColourStorage(const PixelFormat& format) {
  if (format.alphaBits > 0) return GL_RGBA8;
  return Framebuffer::ColourIs565(format) ? GL_RGB565 : GL_RGB8;
}

GLenum DepthStorage(const PixelFormat& format) {
  if (format.stencilBits > 0)
    return format.depthBits > 24 ? GL_DEPTH32F_STENCIL8 : GL_DEPTH24_STENCIL8;
  if (format.depthBits > 24) return GL_DEPTH_COMPONENT32;
  return format.depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
}

GLint Integer(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

// glReadPixels into top-down 8-bit RGB, the pack state left as found. GL
// reads rows bottom up unless they are stored top down already.
void ReadRgb(int width, int height, bool storedTopDown, Picture* picture) {
  const GLint alignment = Integer(GL_PACK_ALIGNMENT);
  std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  picture->width = width;
  picture->height = height;
  picture->rgb.resize(bottomUp.size());
  const size_t row = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y)
    std::copy_n(&bottomUp[static_cast<size_t>(storedTopDown ? y : height - 1 - y) * row], row,
                &picture->rgb[static_cast<size_t>(y) * row]);
}

void ClearErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}

}  // namespace

bool Framebuffer::Supported() {
  Entries& gl = Gl();
  if (gl.loaded) return true;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const bool core = version && version[0] >= '3' && version[0] <= '9' && version[1] == '.';
  if (!core && !SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object")) return false;
  gl.loaded = Load(&gl.genFramebuffers, "glGenFramebuffers") &&
              Load(&gl.deleteFramebuffers, "glDeleteFramebuffers") &&
              Load(&gl.bindFramebuffer, "glBindFramebuffer") &&
              Load(&gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
              Load(&gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
              Load(&gl.genRenderbuffers, "glGenRenderbuffers") &&
              Load(&gl.deleteRenderbuffers, "glDeleteRenderbuffers") &&
              Load(&gl.bindRenderbuffer, "glBindRenderbuffer") &&
              Load(&gl.renderbufferStorage, "glRenderbufferStorage") &&
              Load(&gl.blitFramebuffer, "glBlitFramebuffer");
  const bool clipControl =
      SDL_GL_ExtensionSupported("GL_ARB_clip_control") ||
      (version && (version[0] > '4' || (version[0] == '4' && version[2] >= '5')));
  if (gl.loaded && clipControl) Load(&gl.clipControl, "glClipControl");
  if (gl.loaded) Load(&gl.bindBuffer, "glBindBuffer");
  return gl.loaded;
}

bool Framebuffer::Make(const PixelFormat& format, int width, int height) {
  Release();
  const Entries& gl = Gl();
  width = std::max(width, 1);
  height = std::max(height, 1);
  // Save, set, restore: the renderbuffer binding is the demo's.
  const GLint renderbuffer = Integer(GL_RENDERBUFFER_BINDING);
  gl.genRenderbuffers(1, &colour_);
  gl.bindRenderbuffer(GL_RENDERBUFFER, colour_);
  gl.renderbufferStorage(GL_RENDERBUFFER, ColourStorage(format), width, height);
  if (format.depthBits > 0 || format.stencilBits > 0) {
    gl.genRenderbuffers(1, &depth_);
    gl.bindRenderbuffer(GL_RENDERBUFFER, depth_);
    gl.renderbufferStorage(GL_RENDERBUFFER, DepthStorage(format), width, height);
  }
  gl.bindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));

  gl.genFramebuffers(1, &framebuffer_);
  gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  if (depth_) {
    const GLenum attachment =
        format.stencilBits > 0 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depth_);
  }
  if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    Release();
    return false;
  }
  format_ = format;
  width_ = width;
  height_ = height;
  // Drawn with the window origin at the top, the picture is stored top row
  // first, as window buffers are, so the present copies it: llvmpipe turns
  // any blit that flips rows into a full-screen draw, which cost as much as
  // the demo's frame. The demo sees no difference: its viewport is always
  // its whole client area, it reads nothing back, and the layer's bitmap
  // glyphs are built for this origin (see TopDown()).
  topDown_ = gl.clipControl != nullptr;
  if (topDown_) gl.clipControl(GL_UPPER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
  // A new framebuffer starts black, as a new window does.
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glPopAttrib();
  return true;
}

void Framebuffer::Release() {
  const Entries& gl = Gl();
  if (framebuffer_) {
    // Deleting a bound framebuffer binds framebuffer 0 in its place.
    gl.deleteFramebuffers(1, &framebuffer_);
  }
  if (colour_) gl.deleteRenderbuffers(1, &colour_);
  if (depth_) gl.deleteRenderbuffers(1, &depth_);
  framebuffer_ = colour_ = depth_ = 0;
  width_ = height_ = 0;
  if (topDown_) gl.clipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
  topDown_ = false;
}

bool Framebuffer::Fits(const PixelFormat& format, int width, int height) const {
  return Ready() && std::max(width, 1) == width_ && std::max(height, 1) == height_ &&
         format.redBits == format_.redBits && format.greenBits == format_.greenBits &&
         format.blueBits == format_.blueBits && format.alphaBits == format_.alphaBits &&
         format.depthBits == format_.depthBits && format.stencilBits == format_.stencilBits;
}

void Framebuffer::Bind() const {
  Gl().bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void Framebuffer::PresentInto(int drawableWidth, int drawableHeight, const core::Rect& target,
                              bool linear) const {
  const Entries& gl = Gl();
  // Save.
  const GLint draw = Integer(GL_DRAW_FRAMEBUFFER_BINDING);
  const GLint read = Integer(GL_READ_FRAMEBUFFER_BINDING);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  const bool covers = target.x <= 0 && target.y <= 0 && target.x + target.width >= drawableWidth &&
                      target.y + target.height >= drawableHeight;
  // Set: the blit obeys the scissor test, the clear the colour mask too.
  if (scissor) glDisable(GL_SCISSOR_TEST);
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  if (!covers) {
    GLfloat clear[4];
    GLboolean mask[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
  }
  // GL counts rows from the bottom. One to one, nearest is the same picture,
  // and lets the driver copy instead of running a shader.
  const int bottom = drawableHeight - target.y - target.height;
  const bool scaled = target.width != width_ || target.height != height_;
  const int top = topDown_ ? height_ : 0;  // rows stored top first come out upright
  gl.blitFramebuffer(0, top, width_, height_ - top, target.x, bottom, target.x + target.width,
                     bottom + target.height, GL_COLOR_BUFFER_BIT,
                     linear && scaled ? GL_LINEAR : GL_NEAREST);
  // Restore.
  gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

bool Framebuffer::Read(Picture* picture) const {
  if (!Ready()) return false;
  const Entries& gl = Gl();
  ClearErrors();  // an error the demo left pending is not the read's
  const GLint read = Integer(GL_READ_FRAMEBUFFER_BINDING);
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  ReadRgb(width_, height_, topDown_, picture);
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  picture->redBits = format_.redBits;
  picture->greenBits = format_.greenBits;
  picture->blueBits = format_.blueBits;
  picture->depthBits = format_.depthBits;
  return glGetError() == GL_NO_ERROR;
}

bool Framebuffer::ColourIs565(const PixelFormat& format) {
  return format.alphaBits == 0 && format.redBits <= 5;
}

void Framebuffer::ReadPixels565(uint16_t* pixels) const {
  const Entries& gl = Gl();
  // Save.
  const GLint read = Integer(GL_READ_FRAMEBUFFER_BINDING);
  const GLint packBuffer = gl.bindBuffer ? Integer(GL_PIXEL_PACK_BUFFER_BINDING) : 0;
  const GLenum packNames[] = {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS,
                              GL_PACK_SKIP_PIXELS, GL_PACK_SWAP_BYTES};
  GLint pack[5];
  for (int i = 0; i < 5; ++i) pack[i] = Integer(packNames[i]);
  // Set: the defaults, but rows packed.
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  if (packBuffer) gl.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  const GLint packed[5] = {1, 0, 0, 0, GL_FALSE};
  for (int i = 0; i < 5; ++i)
    if (pack[i] != packed[i]) glPixelStorei(packNames[i], packed[i]);
  // In the buffer's own format a read is a copy.
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, pixels);
  if (!topDown_) {
    const size_t row = static_cast<size_t>(width_);
    for (int y = 0; y < height_ / 2; ++y)
      std::swap_ranges(pixels + static_cast<size_t>(y) * row,
                       pixels + static_cast<size_t>(y + 1) * row,
                       pixels + static_cast<size_t>(height_ - 1 - y) * row);
  }
  // Restore.
  for (int i = 0; i < 5; ++i)
    if (pack[i] != packed[i]) glPixelStorei(packNames[i], pack[i]);
  if (packBuffer) gl.bindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
}

bool ReadWindowBuffer(bool front, int width, int height, Picture* picture) {
  if (width <= 0 || height <= 0) return false;
  ClearErrors();
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  const GLint buffer = Integer(GL_READ_BUFFER);
  // A single-buffered surface (an EGL pbuffer may be one) has only the front.
  glReadBuffer(front || !doubleBuffered ? GL_FRONT : GL_BACK);
  ReadRgb(width, height, false, picture);
  glReadBuffer(static_cast<GLenum>(buffer));
  picture->redBits = Integer(GL_RED_BITS);
  picture->greenBits = Integer(GL_GREEN_BITS);
  picture->blueBits = Integer(GL_BLUE_BITS);
  picture->depthBits = Integer(GL_DEPTH_BITS);
  return glGetError() == GL_NO_ERROR;
}

}  // namespace native::window_system
