// The presentation floor: the least a GL program does per frame to show a
// 640x480 picture of 16-bit colour on a larger screen. A 640x480 RGB565
// framebuffer object, filled once, is blitted with glBlitFramebuffer and
// linear filtering into the largest rectangle of its aspect ratio centred in
// a window the size of the screen (on 1920x1080: 1440x1080 at 240,0; the bars
// beside it are cleared once, before the timed frames), then the swap.
// Nothing else happens in a frame.
//
//   floor_blit [--frames N] [--warmup N] [--profile-frames N] [--server-pid PID]
//
// prints, like floor_frame,
//
//   renderer <GL_RENDERER>
//   version <GL_VERSION>
//   buffers RrGgBbAa depth d stencil s
//   output WxH picture WxH at X,Y
//   frames N cpu_s C wall_s W
//   server_cpu_s S          (with --server-pid: the X server's CPU time meanwhile)
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "cpu_time.h"
#include "frame_options.h"
#include "gl_report.h"
#include "profile_marks.h"

namespace {

const int kPictureWidth = 640;
const int kPictureHeight = 480;

double WallSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The framebuffer-object calls of GL 3.0, looked up at run time.
struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

  bool Load() {
    genFramebuffers = Get<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
    bindFramebuffer = Get<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    genRenderbuffers = Get<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
    bindRenderbuffer = Get<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
    renderbufferStorage = Get<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
    framebufferRenderbuffer = Get<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
    checkFramebufferStatus = Get<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
    blitFramebuffer = Get<PFNGLBLITFRAMEBUFFERPROC>("glBlitFramebuffer");
    return genFramebuffers && bindFramebuffer && genRenderbuffers && bindRenderbuffer &&
           renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus &&
           blitFramebuffer;
  }

  template <typename T>
  static T Get(const char* name) {
    return reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
  }
};

struct Rectangle {
  int x, y, width, height;
};

// The largest rectangle of the picture's aspect ratio inside the output.
Rectangle Fitted(int width, int height) {
  const double scale = std::min(static_cast<double>(width) / kPictureWidth,
                                static_cast<double>(height) / kPictureHeight);
  const int w = static_cast<int>(kPictureWidth * scale + 0.5);
  const int h = static_cast<int>(kPictureHeight * scale + 0.5);
  return {(width - w) / 2, (height - h) / 2, w, h};
}

}  // namespace

int main(int argc, char** argv) {
  bench::FrameOptions options;
  if (!bench::ParseFrameOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: floor_blit [--frames N] [--warmup N] [--profile-frames N] "
                 "[--server-pid PID]\n");
    return 2;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "floor_blit: SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
    std::fprintf(stderr, "floor_blit: SDL_GetDesktopDisplayMode: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // only colour is ever drawn
  SDL_Window* window = SDL_CreateWindow("floor", 0, 0, desktop.w, desktop.h,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  FramebufferCalls gl;
  if (!context || !gl.Load()) {
    std::fprintf(stderr, "floor_blit: no window, GL context or framebuffer objects: %s\n",
                 SDL_GetError());
    SDL_Quit();
    return 1;
  }
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(window, &width, &height);
  const Rectangle target = Fitted(width, height);

  GLuint framebuffer = 0;
  GLuint colour = 0;
  gl.genFramebuffers(1, &framebuffer);
  gl.genRenderbuffers(1, &colour);
  gl.bindRenderbuffer(GL_RENDERBUFFER, colour);
  gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGB565, kPictureWidth, kPictureHeight);
  gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    std::fprintf(stderr, "floor_blit: the RGB565 framebuffer is incomplete\n");
    SDL_Quit();
    return 1;
  }
  // The picture: one colour, filled once (the blit costs the same whatever
  // it holds). The window's two buffers start black.
  glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
  bench::PrintGlReport();  // the window's buffers
  std::printf("output %dx%d picture %dx%d at %d,%d\n", width, height, target.width, target.height,
              target.x, target.y);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  for (int i = 0; i < 2; ++i) {
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
  }
  gl.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);

  auto frame = [&] {
    gl.blitFramebuffer(0, 0, kPictureWidth, kPictureHeight, target.x, target.y,
                       target.x + target.width, target.y + target.height, GL_COLOR_BUFFER_BIT,
                       GL_LINEAR);
    SDL_GL_SwapWindow(window);
  };
  for (int i = 0; i < options.warmup; ++i) {
    SDL_PumpEvents();
    frame();
  }
  SDL_PumpEvents();

  if (options.profileFrames > 0) {
    for (const bool marked : {false, true}) {
      if (marked) ProfileBegin();
      for (int i = 0; i < options.profileFrames; ++i) frame();
      if (marked) ProfileEnd("frame");
    }
  } else {
    const double server0 = options.serverPid ? ProcessCpuSecondsOf(options.serverPid) : -1.0;
    const double cpu0 = ProcessCpuSeconds();
    const double wall0 = WallSeconds();
    for (int i = 0; i < options.frames; ++i) frame();
    const double cpu1 = ProcessCpuSeconds();
    const double server1 = options.serverPid ? ProcessCpuSecondsOf(options.serverPid) : -1.0;
    const double wall1 = WallSeconds();
    std::printf("frames %d cpu_s %.6f wall_s %.6f\n", options.frames, cpu1 - cpu0, wall1 - wall0);
    if (server0 >= 0 && server1 >= 0) std::printf("server_cpu_s %.6f\n", server1 - server0);
  }
  std::fflush(stdout);

  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
