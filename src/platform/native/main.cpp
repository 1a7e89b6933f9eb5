// The program's entry on Linux: what the C runtime's start-up does on Windows
// before it calls WinMain.
#include <string>

#include "platform/native/fonts/native_fonts.h"
#include "platform/native/win32/native_signals.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"

namespace {

// The command line as Windows hands it to WinMain: the arguments after the
// program's name.
std::string CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread starts, and before any Xlib call.
  backend::PrepareEnvironment();
  native::StartGlWarmUp();
  native::InstallCloseSignals();
  native::WarmUpFonts();
  std::string commandLine = CommandLine(argc, argv);
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
