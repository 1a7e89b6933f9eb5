#include "scene/wave_demo.h"

#include <cmath>
#include <new>

double sceneTime = 0.0;

WaveDemo::WaveDemo() : window(new (std::nothrow) GlWindow("Plumo")) {}

WaveDemo::~WaveDemo() {
  // The window, and with it the GL context, goes before the content.
  delete window;
  delete[] mesh;
}

bool WaveDemo::Init(int /*attempt*/) {
  currentWindow = window;
  // A failed creation shows up as the window's closed flag staying set.
  if (window) window->Create(640, 480, 16, 8, 0, true, true);
  return true;
}

void WaveDemo::Load() {
  mesh = new (std::nothrow) float[kGridSize * kGridSize * kFloatsPerCell];
  if (mesh) {
    float* corner = mesh;
    for (int row = 0; row < kGridSize; ++row) {
      for (int col = 0; col < kGridSize; ++col) {
        const float x = static_cast<float>(col);
        const float y = static_cast<float>(row);
        const float cell[kFloatsPerCell] = {x, y, 0, x + 1, y, 0, x, y + 1, 0, x + 1, y + 1, 0};
        for (float value : cell) *corner++ = value;
      }
    }
  }
  font.Load(nullptr, "Arial", 48, 1, 0.0f);
  // Last, so the first frame counts from here and not from Init.
  timer.Start();
}

void WaveDemo::Render() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);

  camera.enabled = true;
  camera.SetWindow(window);
  camera.SetEye(Vector3(10, 10, 10));
  camera.SetCenter(Vector3(15, 15, 0));

  sceneTime += timer.Elapsed();
  const double t = sceneTime;
  if (mesh) DrawGrid(t);

  if (const char* caption = CaptionAt(t)) {
    font.Print(Vector3(-0.3f, 0, 0), Color(1, 1, 1, 1), caption);
  } else {
    // The end of the cycle, however far a long frame carried the clock.
    sceneTime = 0.0;
  }
}

void WaveDemo::DrawGrid(double t) {
  glBegin(GL_TRIANGLES);
  for (int row = 0; row < kGridSize; ++row) {
    for (int col = 0; col < kGridSize; ++col) {
      const float* p = mesh + (row * kGridSize + col) * kFloatsPerCell;
      const float* p0 = p;
      const float* p1 = p + 3;
      const float* p2 = p + 6;
      const float* p3 = p + 9;
      const double rowSin = std::sin(row * t);
      const double rowCos = std::cos(row * t);
      const double colSin = std::sin(col * t);

      glColor3f(0.2f, static_cast<float>(0.3 * std::sin(t)), static_cast<float>(0.025 * col));
      // (P0, P1, P2) faces the camera; (P2, P3, P0) is wound the other way.
      glVertex3f(p0[0], p0[1], static_cast<float>(p0[2] + rowSin));
      glVertex3f(p1[0], p1[1], static_cast<float>(p1[2] + rowCos));
      glVertex3f(p2[0], p2[1], static_cast<float>(p2[2] + colSin));
      glVertex3f(p2[0], p2[1], static_cast<float>(p2[2] + colSin));
      glVertex3f(p3[0], p3[1], static_cast<float>(p3[2] + rowCos));
      glVertex3f(p0[0], p0[1], static_cast<float>(p0[2] + rowSin));
    }
  }
  glEnd();
}
