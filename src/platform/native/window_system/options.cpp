// The native program's command line, through CLI11.
#include "platform/native/window_system/options.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#ifndef PLUMO_VERSION
#error "PLUMO_VERSION must be the project's version"
#endif

namespace native {

Options& LayerOptions() {
  static Options options = [] {
    Options defaults;
    const char* presentation = std::getenv("PLUMO_PRESENTATION");
    const std::map<std::string, Presentation> names{{"gl", Presentation::kGl},
                                                    {"shm", Presentation::kShared},
                                                    {"direct", Presentation::kDirect}};
    const auto named = names.find(presentation ? presentation : "");
    if (named != names.end()) defaults.presentation = named->second;
    return defaults;
  }();
  return options;
}

int ParseCommandLine(int argc, char** argv, Options* options) {
  CLI::App app{
      "Plumo: a rippling grid and its captions, fullscreen at 640x480x16, scaled onto "
      "whatever screen there is without changing its mode.\n\nKeys: Escape ends it, "
      "Alt+Enter switches between fullscreen and a window, F12 saves the picture.",
      "plumo"};
  const std::map<std::string, Scale> scales{
      {"fit", Scale::kFit}, {"integer", Scale::kInteger}, {"stretch", Scale::kStretch}};
  std::string scale;
  std::string filter;
  bool version = false;
  bool noVsync = false;
  app.add_flag("--window", options->window,
               "Start in a resizable window (640x480 at first) instead of fullscreen");
  app.add_option("--scale", scale,
                 "How the picture fills the screen: fit (aspect kept, black bars; the default), "
                 "integer (largest whole multiple) or stretch")
      ->check(CLI::IsMember({"fit", "integer", "stretch"}))
      ->option_text("fit|integer|stretch");
  app.add_option("--filter", filter,
                 "Filtering when scaling: linear (the default) or nearest; integer scaling is "
                 "always nearest")
      ->check(CLI::IsMember({"linear", "nearest"}))
      ->option_text("linear|nearest");
  app.add_flag("--switch-mode", options->switchMode,
               "Really switch the display to 640x480 while running, restoring it at exit");
  app.add_option("--display", options->display, "The monitor to use, 0 being the primary")
      ->check(CLI::Range(0, 15))
      ->option_text("N");
  app.add_flag("--no-vsync", noVsync, "Do not wait for the vertical blank when presenting");
  app.add_flag("--version", version, "Print the version and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "plumo: %s\n", error.what());
    std::fputs(app.help().c_str(), stderr);
    return 2;
  }
  if (version) {
    std::printf("plumo %s\n", PLUMO_VERSION);
    return 0;
  }
  if (!scale.empty()) options->scale = scales.at(scale);
  if (!filter.empty()) options->linear = filter == "linear";
  options->vsync = !noVsync;
  return -1;
}

}  // namespace native
