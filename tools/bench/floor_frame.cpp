// The frame-cost floor: the demo's picture drawn with the least work an
// OpenGL 1.1 program can do per frame. The 800 triangles with their colours
// sit in one vertex and colour array, built once at a fixed scene time and
// drawn with one glDrawArrays; the caption is one glCallLists over bitmap
// glyph lists made once with FreeType from the face fontconfig gives for
// "Arial:bold". Then the swap.
//
//   floor_frame [--frames N] [--warmup N] [--profile-frames N]
//
// prints, like frame_bench,
//
//   renderer <GL_RENDERER>
//   version <GL_VERSION>
//   buffers RrGgBbAa depth d stencil s
//   frames N cpu_s C wall_s W
#include <SDL.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>
#include <vector>

#include "cpu_time.h"
#include "frame_options.h"
#include "gl_report.h"
#include "profile_marks.h"

const char* CaptionAt(double t);  // the demo's caption timeline

namespace {

const int kWidth = 640;
const int kHeight = 480;
const int kGrid = 20;
const double kSceneTime = 1.0;  // inside the first caption's slot, green well above 0
const int kPixelHeight = 48;

using Options = bench::FrameOptions;

double WallSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The grid as the demo emits it at scene time t: per cell one colour and the
// six lifted corners of its two triangles.
struct Mesh {
  std::vector<GLfloat> vertices;
  std::vector<GLfloat> colors;
};

Mesh BuildMesh(double t) {
  Mesh mesh;
  for (int row = 0; row < kGrid; ++row) {
    for (int col = 0; col < kGrid; ++col) {
      const double rowSin = std::sin(row * t);
      const double rowCos = std::cos(row * t);
      const double colSin = std::sin(col * t);
      const GLfloat x = static_cast<GLfloat>(col);
      const GLfloat y = static_cast<GLfloat>(row);
      const GLfloat corners[6][3] = {
          {x, y, static_cast<GLfloat>(rowSin)},         {x + 1, y, static_cast<GLfloat>(rowCos)},
          {x, y + 1, static_cast<GLfloat>(colSin)},     {x, y + 1, static_cast<GLfloat>(colSin)},
          {x + 1, y + 1, static_cast<GLfloat>(rowCos)}, {x, y, static_cast<GLfloat>(rowSin)},
      };
      for (const auto& corner : corners) {
        mesh.vertices.insert(mesh.vertices.end(), corner, corner + 3);
        mesh.colors.insert(mesh.colors.end(), {0.2f, static_cast<GLfloat>(0.3 * std::sin(t)),
                                               static_cast<GLfloat>(0.025 * col)});
      }
    }
  }
  return mesh;
}

std::string FontFile(int* index) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial:bold"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

// One bitmap list per byte of the caption, rows bottom-up and 4-byte aligned
// as glBitmap reads them. Other codes stay empty lists.
GLuint BuildGlyphLists(const char* text) {
  int index = 0;
  const std::string file = FontFile(&index);
  FT_Library library;
  FT_Face face;
  if (file.empty() || FT_Init_FreeType(&library) != 0 ||
      FT_New_Face(library, file.c_str(), index, &face) != 0 ||
      FT_Set_Pixel_Sizes(face, 0, kPixelHeight) != 0) {
    std::fprintf(stderr, "floor_frame: no face for Arial:bold\n");
    return 0;
  }
  const GLuint base = glGenLists(256);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  std::vector<GLubyte> bits;
  for (const char* c = text; *c; ++c) {
    const unsigned char code = static_cast<unsigned char>(*c);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const size_t stride = (bitmap.width + 31) / 32 * 4;
    bits.assign(stride * bitmap.rows + 4, 0);
    for (unsigned row = 0; row < bitmap.rows; ++row)
      std::memcpy(&bits[(bitmap.rows - 1 - row) * stride], bitmap.buffer + row * bitmap.pitch,
                  (bitmap.width + 7) / 8);
    glNewList(base + code, GL_COMPILE);
    glBitmap(static_cast<GLsizei>(bitmap.width), static_cast<GLsizei>(bitmap.rows),
             static_cast<GLfloat>(-slot->bitmap_left),
             static_cast<GLfloat>(static_cast<int>(bitmap.rows) - slot->bitmap_top),
             static_cast<GLfloat>((slot->advance.x + 63) / 64), 0.0f, bits.data());
    glEndList();
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return base;
}

struct Scene {
  Mesh mesh;
  GLfloat projection[16];
  GLfloat view[16];
  GLuint glyphs = 0;
  const char* caption = "";
  GLsizei captionLength = 0;
};

void Prepare(Scene* scene) {
  scene->mesh = BuildMesh(kSceneTime);
  scene->caption = CaptionAt(kSceneTime);
  scene->captionLength = static_cast<GLsizei>(std::strlen(scene->caption));
  scene->glyphs = BuildGlyphLists(scene->caption);

  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 0.1, 10000.0);
  glGetFloatv(GL_PROJECTION_MATRIX, scene->projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(10, 10, 10, 15, 15, 0, 0, 1, 0);
  glGetFloatv(GL_MODELVIEW_MATRIX, scene->view);

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, scene->mesh.vertices.data());
  glColorPointer(3, GL_FLOAT, 0, scene->mesh.colors.data());
  glListBase(scene->glyphs);
}

void Draw(const Scene& scene) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(scene.projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(scene.view);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(scene.mesh.vertices.size() / 3));
  // The caption on the near plane at (-0.3, 0) in normalised coordinates. The
  // colour array leaves the current colour undefined, so it is set again.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);
  glRasterPos3f(-0.3f, 0.0f, -1.0f);
  glCallLists(scene.captionLength, GL_UNSIGNED_BYTE, scene.caption);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!bench::ParseFrameOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: floor_frame [--frames N] [--warmup N] [--profile-frames N]\n");
    return 2;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "floor_frame: SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  // The demo's pixel format: 16 colour bits, 8 depth bits, double-buffered.
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window =
      SDL_CreateWindow("floor", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "floor_frame: no window or GL context: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  Scene scene;
  Prepare(&scene);
  if (!scene.glyphs) return 1;
  bench::PrintGlReport();

  for (int i = 0; i < options.warmup; ++i) {
    SDL_PumpEvents();
    Draw(scene);
    SDL_GL_SwapWindow(window);
  }
  SDL_PumpEvents();

  if (options.profileFrames > 0) {
    // As frame_bench: each sequence once unmarked, then marked.
    for (const bool marked : {false, true}) {
      if (marked) ProfileBegin();
      for (int i = 0; i < options.profileFrames; ++i) Draw(scene);
      if (marked) ProfileEnd("render");
      SDL_GL_SwapWindow(window);
      if (marked) ProfileBegin();
      for (int i = 0; i < options.profileFrames; ++i) {
        Draw(scene);
        SDL_GL_SwapWindow(window);
      }
      if (marked) ProfileEnd("frame");
    }
  } else {
    const double cpu0 = ProcessCpuSeconds();
    const double wall0 = WallSeconds();
    for (int i = 0; i < options.frames; ++i) {
      Draw(scene);
      SDL_GL_SwapWindow(window);
    }
    const double cpu1 = ProcessCpuSeconds();
    const double wall1 = WallSeconds();
    std::printf("frames %d cpu_s %.6f wall_s %.6f\n", options.frames, cpu1 - cpu0, wall1 - wall0);
  }
  std::fflush(stdout);

  glDeleteLists(scene.glyphs, 256);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
