#pragma once

#include "shell/demo.h"
#include "toolkit/camera.h"
#include "toolkit/font.h"
#include "toolkit/frame_timer.h"
#include "window/gl_window.h"

// The scene clock in seconds: advanced by every frame, set back to 0 at the
// end of the caption timeline.
extern double sceneTime;

// The rippling 20 x 20 grid with its caption timeline.
class WaveDemo : public virtual Demo {
 public:
  static const int kGridSize = 20;
  static const int kFloatsPerCell = 12;  // four corners of x, y, z

  WaveDemo();
  ~WaveDemo() override;

  WaveDemo(const WaveDemo&) = delete;
  WaveDemo& operator=(const WaveDemo&) = delete;

  bool Init(int attempt);
  void Load();
  void Render();
  void Shutdown() {}

  Font font;
  FrameTimer timer;
  Camera camera;
  float* mesh = nullptr;  // 400 cells, row by row, corners P0 P1 P2 P3
  GlWindow* window;

 private:
  void DrawGrid(double t);
};

// The caption the timeline shows at scene time `t`, or null once the cycle
// is over.
const char* CaptionAt(double t);
