#include "capture/recording.h"

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/core/layer_windows.h"
#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"
#include "scene/wave_demo.h"
#include "window/gl_window.h"

namespace capture {

Recording::Recording(const Options& optionsArg, std::vector<std::unique_ptr<Sink>> sinksArg,
                     bool terminal)
    : options(optionsArg),
      sinks(std::move(sinksArg)),
      clock(optionsArg.fps),
      progress(optionsArg.progress || terminal, terminal, optionsArg.first + optionsArg.frames) {}

void Recording::Fail(const std::string& message) {
  if (error.empty()) error = message;
  EndDemo();
}

void Recording::EndDemo() {
  if (ended) return;
  ended = true;
  GlWindow* window = GetCurrentWindow();
  if (window && window->hwnd) PostMessageA(window->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
}

namespace {

// Resident memory of this process in KiB, from the kernel's own account.
long ResidentKiB() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::atol(line + 6);
  }
  std::fclose(status);
  return kib;
}

// Bytes the program holds from malloc, in every arena and in mapped blocks:
// unlike resident memory, this does not move with what the allocator keeps
// cached or hands back to the kernel, which depends on the timing of the GL
// driver's threads, so it shows a leak of a few KiB a cycle. The driver's own
// working memory comes and goes with the frames its threads are drawing
// (llvmpipe's scene blocks, some hundreds of KiB), so a cycle reports the
// least it saw at any frame: a leak raises that, a frame in flight does not.
long HeapInUseKiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

}  // namespace

// The scene sets its clock back to 0 in the frame that ends a cycle, so a
// clock that went down since the last frame marks one; the time that frame
// drew at is the last time plus one frame step.
void Recording::ReportCycle(int64_t frame) {
  const double now = sceneTime;
  // The first second still builds what the rest of the run keeps (shader
  // variants, the caption's first glyphs on screen).
  if (frame >= options.fps) {
    const long heap = HeapInUseKiB();
    if (leastHeap < 0 || heap < leastHeap) leastHeap = heap;
  }
  if (now < lastSceneTime) {
    ++cycles;
    std::fprintf(
        stderr,
        "plumo-capture: cycle %d ended at frame %lld, scene time %.9f s, resident %ld KiB, "
        "heap %ld KiB\n",
        cycles, static_cast<long long>(frame), lastSceneTime + 1.0 / options.fps, ResidentKiB(),
        leastHeap);
    leastHeap = -1;
  }
  lastSceneTime = now;
}

bool Recording::ReadBack(Image* out) {
  GlWindow* window = GetCurrentWindow();
  if (!window || !window->hdc) return false;
  // The demo's own picture, before the swap: the layer's framebuffer of its
  // pixel format, whatever the screen's visual.
  core::Surface* surface = core::SurfaceOf(core::WindowFromDC(window->hdc));
  native::window_system::Picture picture;
  if (!surface || !native::window_system::ReadPicture(surface, /*shown=*/false, &picture))
    return false;
  if (!bitsKnown) {
    bits.red = picture.redBits;
    bits.green = picture.greenBits;
    bits.blue = picture.blueBits;
    bits.depth = picture.depthBits;
    bitsKnown = true;
  }
  out->width = picture.width;
  out->height = picture.height;
  out->rgb = std::move(picture.rgb);
  return true;
}

void Recording::BeforePresent() {
  int64_t frame = 0;
  if (clock.Present(&frame) != FrameClock::Swap::kFrame) return;
  if (ended) {
    // Frames presented between Escape and the window closing (one: the demo
    // handles a message a pass) are not the recording's. Should Escape not
    // close the window, the close request a window manager sends will.
    if (++framesSinceEnd == kCloseAfter) {
      GlWindow* window = GetCurrentWindow();
      if (window && window->hwnd) PostMessageA(window->hwnd, WM_CLOSE, 0, 0);
    }
    return;
  }
  if (clock.OutOfStep()) {
    Fail("the demo read its clock other than once in a frame; the frame clock no longer fits it");
    return;
  }
  if (options.reportCycles) ReportCycle(frame);
  const int64_t end = options.first + options.frames;
  if (frame >= options.first) {
    if (!ReadBack(&image)) {
      Fail("cannot read back frame " + std::to_string(frame));
      return;
    }
    for (const std::unique_ptr<Sink>& sink : sinks) {
      std::string sinkError;
      if (!sink->Take(frame, frame - options.first, image, bits, &sinkError)) {
        Fail(sinkError);
        return;
      }
    }
    ++written;
  }
  progress.Update(frame + 1);
  if (frame + 1 >= end) EndDemo();
}

int Recording::Finish(int status, OutputLedger* ledger) {
  if (error.empty() && written < options.frames) {
    if (!bitsKnown && status != 0) {
      error = "the demo could not open its window (see above)";
    } else {
      error = "the demo ended after " + std::to_string(written) + " of " +
              std::to_string(options.frames) + " frames";
    }
  }
  if (error.empty()) {
    for (const std::unique_ptr<Sink>& sink : sinks) {
      std::string sinkError;
      if (!sink->Finish(ledger, &sinkError)) {
        error = sinkError;
        break;
      }
    }
  }
  if (error.empty()) {
    // Which surface the pixels came from: the checks of a recording depend on it.
    progress.Finish(options.first + options.frames,
                    "  surface R" + std::to_string(bits.red) + " G" + std::to_string(bits.green) +
                        " B" + std::to_string(bits.blue) + ", depth " + std::to_string(bits.depth));
    return 0;
  }
  progress.Finish(clock.FramesPresented(), std::string());

  for (const std::unique_ptr<Sink>& sink : sinks) sink->Abandon();
  std::vector<std::string> left;
  const int removed = ledger->RemoveAll(&left);
  std::string outcome;
  if (!left.empty()) {
    outcome = "; could not remove " + std::to_string(left.size()) + " files it wrote, first " +
              left.front();
  } else if (removed > 0) {
    outcome = "; removed the " + std::to_string(removed) + " files it had written";
  } else {
    outcome = "; nothing written";
  }
  std::fprintf(stderr, "plumo-capture: %s%s\n", error.c_str(), outcome.c_str());
  return 1;
}

}  // namespace capture
