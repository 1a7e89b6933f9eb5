// A still of the demo, for setting the layer's presentations side by side:
// the scene drawn once, then the same picture presented again and again, by
// whichever presentation standard input names last.
//
//   plumo_present_still [the program's options: --window, --scale, --filter]
//
// Standard input, one word a line: "gl" (the GL blit), "shm" (the picture
// scaled on the CPU and put by the window system) or "auto" (the layer's own
// choice, as the program makes it), each answered on standard
// output by the same word once a few frames have been presented that way;
// "quit" ends it with status 0, as does closing the window. Standard error
// has the layer's lines (a present without GL that could not be had says so).
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/core/options.h"
#include "platform/native/command_line.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"
#include "scene/wave_demo.h"

namespace {

// A scene time with a caption (the fifth) and every colour of the grid.
const double kStillTime = 9.0;
// Presents after a switch before it is answered: the previous way's last
// picture is gone from the screen by then.
const int kSettleFrames = 5;

// The next line of standard input, if one is waiting; "quit" at its end.
bool NextCommand(std::string* line) {
  static std::string pending;
  pollfd in{STDIN_FILENO, POLLIN, 0};
  while (poll(&in, 1, 0) > 0) {
    char buffer[64];
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
      pending += "\nquit\n";
      break;
    }
    pending.append(buffer, static_cast<size_t>(got));
  }
  const size_t end = pending.find('\n');
  if (end == std::string::npos) return false;
  *line = pending.substr(0, end);
  pending.erase(0, end + 1);
  return !line->empty() || NextCommand(line);
}

}  // namespace

int main(int argc, char** argv) {
  core::Options& options = core::LayerOptions();
  native::ReadEnvironment(&options);
  native::Settings noFile;  // the command line alone
  const int status = native::ParseCommandLine(argc, argv, &options, &noFile);
  if (status >= 0) return status;
  native::window_system::PrepareEnvironment();
  native::window_system::StartGlWarmUp();
  native::fonts::WarmUpFonts();

  auto* scene = new WaveDemo;
  scene->Init(0);
  if (!scene->window || scene->window->IsClosed()) {
    std::fprintf(stderr, "present_still: the demo's window could not be made\n");
    return 1;
  }
  scene->Load();
  sceneTime = kStillTime;
  scene->Render();

  std::string answer;
  int toAnswer = 0;
  bool quit = false;
  while (!quit && !scene->window->IsClosed()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    std::string command;
    while (NextCommand(&command)) {
      if (command == "gl" || command == "shm" || command == "auto") {
        options.presentation = command == "gl"    ? core::Presentation::kGl
                               : command == "shm" ? core::Presentation::kShared
                                                  : core::Presentation::kAuto;
        answer = command;
        toAnswer = kSettleFrames;
      } else if (command == "quit") {
        quit = true;
      }
    }
    if (scene->window->IsClosed()) break;
    scene->window->Swap();
    if (toAnswer > 0 && --toAnswer == 0) {
      std::printf("%s\n", answer.c_str());
      std::fflush(stdout);
    }
    Sleep(10);
  }
  scene->Shutdown();
  scene->Shutdown();
  Demo* base = scene;
  delete base;
  return 0;
}
