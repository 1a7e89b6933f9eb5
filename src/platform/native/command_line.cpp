// The native program's command line, through CLI11.
#include "platform/native/command_line.h"

#include <CLI/CLI.hpp>

#include "platform/core/report.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>

#ifndef PLUMO_VERSION
#error "PLUMO_VERSION must be the project's version"
#endif

namespace native {

using core::Options;
using core::Scale;

namespace {

const char kWindowIdForms[] = "decimal, or hexadecimal after 0x";

// An X window id as xwininfo prints it and screensaver daemons pass it:
// decimal, or hexadecimal after 0x. X resource ids have 29 bits; 0 is none.
bool ParseWindowId(const std::string& text, uint64_t* id) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of(allowed) != std::string::npos) {
    return false;
  }
  const uint64_t value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  if (value == 0 || value > 0x1FFFFFFF) return false;
  *id = value;
  return true;
}

// Screensaver mode's two options, which exclude the ones about a window or a
// display of the program's own.
class ScreensaverOptions {
 public:
  void Add(CLI::App& app, std::initializer_list<CLI::Option*> excluded) {
    const CLI::Validator windowIdCheck(
        [](const std::string& text) {
          uint64_t id = 0;
          return ParseWindowId(text, &id)
                     ? std::string()
                     : "not an X window id (" + std::string(kWindowIdForms) + "): " + text;
        },
        "ID");
    windowId_ = app.add_option("--window-id", windowIdText_,
                               "Screensaver mode: draw into the X window with this id")
                    ->check(windowIdCheck)
                    ->option_text("ID");
    root_ = app.add_flag("--root", rootGiven_,
                         "Screensaver mode: draw into the window in $XSCREENSAVER_WINDOW (as X "
                         "screensaver daemons run their hacks), else the root window");
    root_->excludes(windowId_);
    for (CLI::Option* option : excluded) {
      windowId_->excludes(option);
      root_->excludes(option);
    }
  }

  // The host window they name. False after saying why XSCREENSAVER_WINDOW,
  // read with --root, is no window id.
  bool Apply(core::HostWindow* host) const {
    if (*windowId_) {
      host->given = true;
      return ParseWindowId(windowIdText_, &host->id);
    }
    if (!rootGiven_) return true;
    host->given = true;
    host->id = 0;
    const char* daemonWindow = std::getenv("XSCREENSAVER_WINDOW");
    if (!daemonWindow || !*daemonWindow || ParseWindowId(daemonWindow, &host->id)) return true;
    core::ReportLine("XSCREENSAVER_WINDOW: not an X window id (%s): %s", kWindowIdForms,
                     daemonWindow);
    return false;
  }

 private:
  std::string windowIdText_;
  bool rootGiven_ = false;
  CLI::Option* windowId_ = nullptr;
  CLI::Option* root_ = nullptr;
};

}  // namespace

void ReadEnvironment(Options* options) {
  const char* presentation = std::getenv("PLUMO_PRESENTATION");
  options->direct = presentation && std::strcmp(presentation, "direct") == 0;
}

int ParseCommandLine(int argc, char** argv, Options* options) {
  CLI::App app{
      "Plumo: a rippling grid and its captions, fullscreen at 640x480x16, scaled onto "
      "whatever screen there is without changing its mode.\n\nKeys: Escape ends it, "
      "Alt+Enter switches between fullscreen and a window, F12 saves the picture. As an X "
      "screensaver hack (--root, --window-id) it draws into the window it is given.",
      "plumo"};
  const std::map<std::string, Scale> scales{
      {"fit", Scale::kFit}, {"integer", Scale::kInteger}, {"stretch", Scale::kStretch}};
  std::string scale;
  std::string filter;
  bool version = false;
  bool noVsync = false;
  ScreensaverOptions screensaver;
  CLI::Option* window =
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
  CLI::Option* switchMode =
      app.add_flag("--switch-mode", options->switchMode,
                   "Really switch the display to 640x480 while running, restoring it at exit");
  CLI::Option* display =
      app.add_option("--display", options->display, "The monitor to use, 0 being the primary")
          ->check(CLI::Range(0, 15))
          ->option_text("N");
  app.add_flag("--no-vsync", noVsync,
               "Present as fast as the demo draws, not at the display's pace");
  app.add_option("--max-fps", options->maxFps,
                 "Present at most N frames a second (0, the default: no cap beyond the "
                 "display's pace)")
      ->check(CLI::Range(0, 1000))
      ->option_text("N");
  app.add_flag("--allow-screensaver", options->allowScreensaver,
               "Let the system's screensaver and display sleep run while the demo plays");
  screensaver.Add(app, {window, switchMode, display});
  app.add_flag("--version", version, "Print the version and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    core::ReportLine("%s", error.what());
    std::fputs(app.help().c_str(), stderr);
    return 2;
  }
  if (version) {
    std::printf("plumo %s\n", PLUMO_VERSION);
    return 0;
  }
  if (!screensaver.Apply(&options->host)) return 2;
  if (!scale.empty()) options->scale = scales.at(scale);
  if (!filter.empty()) options->linear = filter == "linear";
  options->vsync = !noVsync;
  return -1;
}

}  // namespace native
