// What each way of putting a 640x480 5/6/5 picture onto a large X window
// costs on a software GL (llvmpipe): the candidates weighed for the native
// layer's present without GL (docs/performance.md has the figures). The
// picture is noise in a framebuffer object; each frame presents it once.
//
//   present_candidates MODE [--frames N] [--server-pid PID] [--nearest]
//
// MODE: blit (glBlitFramebuffer, the GL present), blit-clear (clearing the
// bars every frame too), quad565 (a textured quad from a 5/6/5 texture the
// picture is drawn into), quad8888 (a quad from an 8/8/8/8 copy), pixman
// (read back as BGRA, pixman bilinear into MIT-SHM, XShmPutImage),
// pixman-565 (read back as 5/6/5, pixman from that), xrender (read back into
// a shared pixmap, the X server scales with XRender), scaler (read back as
// 5/6/5, the layer's own scaler into MIT-SHM, XShmPutImage). Prints
//
//   MODE frames N cpu_s C server_cpu_s S wall_s W
//
// with the X server's CPU time when its process id is given.

// Before Xlib's headers, whose macros (Success, None) CLI11's names would meet.
#include <CLI/CLI.hpp>

#include <SDL.h>
#include <SDL_opengl.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <pixman.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "cpu_time.h"
#include "platform/native/window_system/present_scaler.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;

double WallSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename T>
T Entry(const char* name) {
  return reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

struct Rect {
  int x, y, width, height;
};

// A shared-memory image the server can put, and whether it is still reading it.
struct SharedImage {
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  bool busy = false;
};

struct Candidates {
  std::string mode;
  bool linear = true;
  SDL_Window* window = nullptr;
  Display* display = nullptr;  // SDL's
  Window xwindow = 0;
  Visual* visual = nullptr;
  GC gc = nullptr;
  int completion = 0;
  int drawableHeight = 0;
  Rect target{};
  GLuint framebuffer = 0;
  GLuint texture = 0;
  SharedImage images[2];
  int next = 0;
  std::vector<uint32_t> bgra = std::vector<uint32_t>(kWidth * kHeight);
  std::vector<uint16_t> rgb565 = std::vector<uint16_t>(kWidth * kHeight);
  pixman_image_t* source = nullptr;
  pixman_image_t* destinations[2] = {nullptr, nullptr};
  Picture windowPicture = 0;
  Picture pixmapPicture = 0;
  XShmSegmentInfo pixmapSegment{};
  native::window_system::PictureScaler scaler;

  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;  // looked up once the context exists
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

  void MakeImages() {
    for (SharedImage& shared : images) {
      shared.image = XShmCreateImage(display, visual, 24, ZPixmap, nullptr, &shared.segment,
                                     static_cast<unsigned>(target.width),
                                     static_cast<unsigned>(target.height));
      shared.segment.shmid =
          shmget(IPC_PRIVATE, static_cast<size_t>(shared.image->bytes_per_line) * target.height,
                 IPC_CREAT | 0600);
      shared.segment.shmaddr = shared.image->data =
          static_cast<char*>(shmat(shared.segment.shmid, nullptr, 0));
      shared.segment.readOnly = False;
      XShmAttach(display, &shared.segment);
      shmctl(shared.segment.shmid, IPC_RMID, nullptr);
    }
    XSync(display, False);
  }

  void Wait(SharedImage& shared) {
    while (shared.busy) {
      XEvent event;
      XIfEvent(
          display, &event,
          [](Display*, XEvent* e, XPointer type) -> Bool {
            return e->type == *reinterpret_cast<int*>(type);
          },
          reinterpret_cast<XPointer>(&completion));
      const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
      for (SharedImage& each : images)
        if (each.segment.shmseg == done.shmseg) each.busy = false;
    }
  }

  void SetPixmanTransform(pixman_image_t* image) const {
    pixman_transform_t transform;
    pixman_transform_init_scale(
        &transform, pixman_double_to_fixed(static_cast<double>(kWidth) / target.width),
        pixman_double_to_fixed(static_cast<double>(kHeight) / target.height));
    pixman_image_set_transform(image, &transform);
    pixman_image_set_filter(image, linear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr,
                            0);
    pixman_image_set_repeat(image, PIXMAN_REPEAT_PAD);
  }

  void Setup() {
    if (mode == "quad565" || mode == "quad8888") {
      glGenTextures(1, &texture);
      glBindTexture(GL_TEXTURE_2D, texture);
      const GLenum filter = linear ? GL_LINEAR : GL_NEAREST;
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      if (mode == "quad565") {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, kWidth, kHeight, 0, GL_RGB,
                     GL_UNSIGNED_SHORT_5_6_5, nullptr);
        Entry<PFNGLFRAMEBUFFERTEXTURE2DPROC>("glFramebufferTexture2D")(
            GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
      } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     nullptr);
      }
    }
    if (mode == "pixman" || mode == "pixman-565" || mode == "scaler") MakeImages();
    if (mode == "pixman" || mode == "pixman-565") {
      source =
          mode == "pixman"
              ? pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, bgra.data(), kWidth * 4)
              : pixman_image_create_bits(PIXMAN_r5g6b5, kWidth, kHeight,
                                         reinterpret_cast<uint32_t*>(rgb565.data()), kWidth * 2);
      SetPixmanTransform(source);
      for (int i = 0; i < 2; ++i)
        destinations[i] = pixman_image_create_bits(
            PIXMAN_x8r8g8b8, target.width, target.height,
            reinterpret_cast<uint32_t*>(images[i].image->data), images[i].image->bytes_per_line);
    }
    if (mode == "xrender") {
      pixmapSegment.shmid = shmget(IPC_PRIVATE, kWidth * kHeight * 4, IPC_CREAT | 0600);
      pixmapSegment.shmaddr = static_cast<char*>(shmat(pixmapSegment.shmid, nullptr, 0));
      pixmapSegment.readOnly = False;
      XShmAttach(display, &pixmapSegment);
      shmctl(pixmapSegment.shmid, IPC_RMID, nullptr);
      const Pixmap pixmap = XShmCreatePixmap(display, xwindow, pixmapSegment.shmaddr,
                                             &pixmapSegment, kWidth, kHeight, 24);
      windowPicture = XRenderCreatePicture(display, xwindow,
                                           XRenderFindVisualFormat(display, visual), 0, nullptr);
      XRenderPictureAttributes attributes{};
      attributes.repeat = RepeatPad;
      pixmapPicture = XRenderCreatePicture(display, pixmap,
                                           XRenderFindStandardFormat(display, PictStandardRGB24),
                                           CPRepeat, &attributes);
      XTransform transform{};
      transform.matrix[0][0] = XDoubleToFixed(static_cast<double>(kWidth) / target.width);
      transform.matrix[1][1] = XDoubleToFixed(static_cast<double>(kHeight) / target.height);
      transform.matrix[2][2] = XDoubleToFixed(1);
      XRenderSetPictureTransform(display, pixmapPicture, &transform);
      XRenderSetPictureFilter(display, pixmapPicture, linear ? FilterBilinear : FilterNearest,
                              nullptr, 0);
      XSync(display, False);
    }
  }

  void Quad() {
    bindFramebuffer(GL_FRAMEBUFFER, 0);
    if (mode == "quad8888") {
      bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
      glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, kWidth, kHeight);
      bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    }
    glViewport(target.x, drawableHeight - target.y - target.height, target.width, target.height);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& corner : corners) {
      glTexCoord2f(corner[0], corner[1]);
      glVertex2f(corner[0] * 2 - 1, corner[1] * 2 - 1);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    SDL_GL_SwapWindow(window);
  }

  void Frame() {
    if (mode == "blit" || mode == "blit-clear") {
      bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
      bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
      if (mode == "blit-clear") glClear(GL_COLOR_BUFFER_BIT);
      const int bottom = drawableHeight - target.y - target.height;
      blitFramebuffer(0, 0, kWidth, kHeight, target.x, bottom, target.x + target.width,
                      bottom + target.height, GL_COLOR_BUFFER_BIT, linear ? GL_LINEAR : GL_NEAREST);
      SDL_GL_SwapWindow(window);
    } else if (mode == "quad565" || mode == "quad8888") {
      Quad();
    } else if (mode == "xrender") {
      bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
      XSync(display, False);  // the server may still be reading the last picture
      glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, pixmapSegment.shmaddr);
      XRenderComposite(display, PictOpSrc, pixmapPicture, None, windowPicture, 0, 0, 0, 0, target.x,
                       target.y, static_cast<unsigned>(target.width),
                       static_cast<unsigned>(target.height));
      XFlush(display);
    } else {
      bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
      const bool wide = mode == "pixman";
      glReadPixels(0, 0, kWidth, kHeight, wide ? GL_BGRA : GL_RGB,
                   wide ? GL_UNSIGNED_BYTE : GL_UNSIGNED_SHORT_5_6_5,
                   wide ? static_cast<void*>(bgra.data()) : static_cast<void*>(rgb565.data()));
      SharedImage& shared = images[next];
      Wait(shared);
      if (mode == "scaler") {
        scaler.Prepare(kWidth, kHeight, target.width, target.height, linear);
        scaler.Scale(rgb565.data(), reinterpret_cast<uint32_t*>(shared.image->data),
                     static_cast<size_t>(shared.image->bytes_per_line) / 4);
      } else {
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, destinations[next], 0, 0, 0, 0, 0,
                                 0, target.width, target.height);
      }
      XShmPutImage(display, xwindow, gc, shared.image, 0, 0, target.x, target.y,
                   static_cast<unsigned>(target.width), static_cast<unsigned>(target.height), True);
      shared.busy = true;
      next = 1 - next;
      XFlush(display);
    }
  }

  void Finish() {
    glFinish();
    XSync(display, False);
    for (SharedImage& shared : images) Wait(shared);
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::string mode;
  int frames = 100;
  int serverPid = 0;
  bool nearest = false;
  CLI::App app{"present_candidates"};
  app.add_option("mode", mode)
      ->required()
      ->check(CLI::IsMember({"blit", "blit-clear", "quad565", "quad8888", "pixman", "pixman-565",
                             "xrender", "scaler"}));
  app.add_option("--frames", frames)->check(CLI::PositiveNumber);
  app.add_option("--server-pid", serverPid);
  app.add_flag("--nearest", nearest);
  CLI11_PARSE(app, argc, argv);

  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "present_candidates: SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_DisplayMode desktop{};
  SDL_GetDesktopDisplayMode(0, &desktop);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  Candidates c;
  c.mode = mode;
  c.linear = !nearest;
  c.window = SDL_CreateWindow("candidates", 0, 0, desktop.w, desktop.h,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
  SDL_GLContext context = c.window ? SDL_GL_CreateContext(c.window) : nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!context || !SDL_GetWindowWMInfo(c.window, &info) || info.subsystem != SDL_SYSWM_X11) {
    std::fprintf(stderr, "present_candidates: needs a GL window on X11: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(0);
  c.bindFramebuffer = Entry<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
  c.blitFramebuffer = Entry<PFNGLBLITFRAMEBUFFERPROC>("glBlitFramebuffer");
  c.display = info.info.x11.display;
  c.xwindow = info.info.x11.window;
  XWindowAttributes attributes;
  XGetWindowAttributes(c.display, c.xwindow, &attributes);
  c.visual = attributes.visual;
  c.gc = XCreateGC(c.display, c.xwindow, 0, nullptr);
  c.completion = XShmGetEventBase(c.display) + ShmCompletion;
  int drawableWidth = 0;
  SDL_GL_GetDrawableSize(c.window, &drawableWidth, &c.drawableHeight);
  const double scale = std::min(static_cast<double>(drawableWidth) / kWidth,
                                static_cast<double>(c.drawableHeight) / kHeight);
  const int width = static_cast<int>(kWidth * scale + 0.5);
  const int height = static_cast<int>(kHeight * scale + 0.5);
  c.target = {(drawableWidth - width) / 2, (c.drawableHeight - height) / 2, width, height};

  // The picture: noise, drawn into a 5/6/5 framebuffer object.
  Entry<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers")(1, &c.framebuffer);
  c.bindFramebuffer(GL_FRAMEBUFFER, c.framebuffer);
  c.Setup();
  if (mode != "quad565") {
    GLuint colour = 0;
    Entry<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers")(1, &colour);
    Entry<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer")(GL_RENDERBUFFER, colour);
    Entry<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage")(GL_RENDERBUFFER, GL_RGB565, kWidth,
                                                                 kHeight);
    Entry<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer")(
        GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  }
  std::vector<uint16_t> noise(kWidth * kHeight);
  std::mt19937 random(7);
  for (uint16_t& pixel : noise) pixel = static_cast<uint16_t>(random());
  glViewport(0, 0, kWidth, kHeight);
  glRasterPos2f(-1, -1);
  glDrawPixels(kWidth, kHeight, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, noise.data());
  // The bars, once.
  c.bindFramebuffer(GL_FRAMEBUFFER, 0);
  glClearColor(0, 0, 0, 1);
  for (int i = 0; i < 2; ++i) {
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(c.window);
  }

  for (int i = 0; i < 20; ++i) c.Frame();
  c.Finish();
  const double server0 = serverPid ? ProcessCpuSecondsOf(serverPid) : -1.0;
  const double cpu0 = ProcessCpuSeconds();
  const double wall0 = WallSeconds();
  for (int i = 0; i < frames; ++i) c.Frame();
  c.Finish();
  const double wall1 = WallSeconds();
  const double cpu1 = ProcessCpuSeconds();
  const double server1 = serverPid ? ProcessCpuSecondsOf(serverPid) : -1.0;
  std::printf("%s frames %d cpu_s %.6f server_cpu_s %.6f wall_s %.6f\n", mode.c_str(), frames,
              cpu1 - cpu0, server0 >= 0 ? server1 - server0 : -1.0, wall1 - wall0);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(c.window);
  SDL_Quit();
  return 0;
}
