// The program's entry on Linux: what the C runtime's start-up does on Windows
// before it calls WinMain, after the layer's own options are read.
#include "platform/core/options.h"
#include "platform/native/close_signals.h"
#include "platform/native/command_line.h"
#include "platform/native/config_file.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  core::Options& options = core::LayerOptions();
  native::ReadEnvironment(&options);
  native::Settings settings{native::DefaultConfigPath()};
  const int status = native::ParseCommandLine(argc, argv, &options, &settings);
  if (status >= 0) return status;
  // Before any thread starts, and before any Xlib call.
  native::window_system::PrepareEnvironment();
  native::window_system::StartGlWarmUp();
  native::InstallCloseSignals();
  native::fonts::WarmUpFonts();
  // The options are the layer's; the demo reads no command line.
  char commandLine[] = "";
  const int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  native::RememberWindowPlace(settings, options);
  return result;
}
