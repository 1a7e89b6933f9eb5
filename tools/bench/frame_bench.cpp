// What one frame of the demo costs: the scene's Render plus the buffer swap,
// the work the main loop does per pass apart from polling and Sleep(1).
//
//   frame_bench [--frames N] [--warmup N] [--profile-frames N] [--server-pid PID]
//
// Builds the scene from the demo's own objects, runs its Init and Load passes
// as the shell does (each presented), then times N x (Render + Swap) in
// process CPU time and wall time and prints
//
//   renderer <GL_RENDERER>
//   version <GL_VERSION>
//   buffers RrGgBbAa depth d stencil s
//   frames N cpu_s C wall_s W
//   server_cpu_s S          (with --server-pid: the X server's CPU time meanwhile)
//
// With --profile-frames N it instead marks, for callgrind, the Load pass, N
// Renders and N Renders with their swaps, each at the same scene time so that
// every run counts the same work.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "cpu_time.h"
#include "frame_options.h"
#include "platform/platform.h"
#include "profile_marks.h"
#include "scene/wave_demo.h"

// After the GL declarations it uses.
#include "gl_report.h"

namespace {

using Options = bench::FrameOptions;

double WallSeconds() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What the loop does between phase steps, kept out of the timed frames.
void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageA(&msg);
    TranslateMessage(&msg);
  }
}

// A scene time inside the first caption's slot, away from any slot's end.
const double kProfileSceneTime = 1.0;

// Marks N Renders, then N Renders with their swaps. Each sequence runs once
// unmarked first, so that whatever Mesa compiles for it, or loads from its
// shader cache, is not counted as the frame's work.
void Profile(WaveDemo* scene, int frames) {
  for (const bool marked : {false, true}) {
    if (marked) ProfileBegin();
    for (int i = 0; i < frames; ++i) {
      sceneTime = kProfileSceneTime;
      scene->Render();
    }
    if (marked) ProfileEnd("render");
    scene->window->Swap();
    if (marked) ProfileBegin();
    for (int i = 0; i < frames; ++i) {
      sceneTime = kProfileSceneTime;
      scene->Render();
      scene->window->Swap();
    }
    if (marked) ProfileEnd("frame");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!bench::ParseFrameOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: frame_bench [--frames N] [--warmup N] [--profile-frames N] "
                 "[--server-pid PID]\n");
    return 2;
  }
  WaveDemo* scene = new WaveDemo;
  scene->Init(0);
  if (!scene->window || scene->window->IsClosed()) {
    std::fprintf(stderr, "frame_bench: the demo's window could not be created\n");
    return 1;
  }
  scene->window->Swap();
  Pump();
  ProfileBegin();
  scene->Load();
  ProfileEnd("load");
  scene->window->Swap();
  bench::PrintGlReport();

  for (int i = 0; i < options.warmup; ++i) {
    Pump();
    scene->Render();
    scene->window->Swap();
  }
  Pump();

  if (options.profileFrames > 0) {
    Profile(scene, options.profileFrames);
  } else {
    const double server0 = options.serverPid ? ProcessCpuSecondsOf(options.serverPid) : -1.0;
    const double cpu0 = ProcessCpuSeconds();
    const double wall0 = WallSeconds();
    for (int i = 0; i < options.frames; ++i) {
      scene->Render();
      scene->window->Swap();
    }
    const double cpu1 = ProcessCpuSeconds();
    const double server1 = options.serverPid ? ProcessCpuSecondsOf(options.serverPid) : -1.0;
    const double wall1 = WallSeconds();
    std::printf("frames %d cpu_s %.6f wall_s %.6f\n", options.frames, cpu1 - cpu0, wall1 - wall0);
    if (server0 >= 0 && server1 >= 0) std::printf("server_cpu_s %.6f\n", server1 - server0);
  }
  std::fflush(stdout);

  // The shell's ending: Shutdown twice, then delete through the base.
  scene->Shutdown();
  scene->Shutdown();
  Demo* base = scene;
  delete base;
  return 0;
}
