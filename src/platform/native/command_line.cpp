// The native program's command line and settings file, through CLI11 and its
// INI support.
#include "platform/native/command_line.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/report.h"
#include "platform/core/window_place.h"
#include "platform/native/config_file.h"

#ifndef PLUMO_VERSION
#error "PLUMO_VERSION must be the project's version"
#endif

namespace native {

using core::FocusLoss;
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
// display of the program's own. They are the screensaver daemon's to pass, on
// the command line only: from the settings file every run would be a hack's.
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
                    ->option_text("ID")
                    ->configurable(false);
    root_ = app.add_flag("--root", rootGiven_,
                         "Screensaver mode: draw into the window in $XSCREENSAVER_WINDOW (as X "
                         "screensaver daemons run their hacks), else the root window")
                ->configurable(false);
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

// What the options are parsed into, before they become core::Options.
struct Parsed {
  Options options;
  std::string scale;
  std::string filter;
  std::string focusLoss;
  std::string geometry;
  bool version = false;
  bool noVsync = false;
  ScreensaverOptions screensaver;
};

const char kDescription[] =
    "Plumo: a rippling grid and its captions, fullscreen at 640x480x16, scaled onto whatever "
    "screen there is without changing its mode.\n\n"
    "Keys: Escape ends it, Alt+Enter switches between fullscreen and a window, F12 saves the "
    "picture, Pause pauses and resumes. A gamepad's Back (or B) ends it, its Start pauses and "
    "resumes. As an X screensaver hack (--root, --window-id) it draws into the window it is "
    "given.\n\n"
    "Every option may also be set in $XDG_CONFIG_HOME/plumo/plumo.ini (~/.config/plumo/plumo.ini), "
    "one \"name = value\" a line (\"window = true\", \"scale = integer\"); the command line wins.";

void Define(CLI::App& app, Parsed& into) {
  CLI::Option* window =
      app.add_flag("--window", into.options.window,
                   "Start in a resizable window (640x480 at first) instead of fullscreen");
  app.add_option("--geometry", into.geometry,
                 "The window's client size and place on the desktop, WxH or WxH+X+Y; the "
                 "program remembers the last one in its settings file")
      ->check(CLI::Validator(
          [](std::string& text) {
            core::WindowPlace place;
            return ParseGeometry(text, &place) ? std::string() : "not WxH or WxH+X+Y: " + text;
          },
          "WxH[+X+Y]"))
      ->option_text("WxH[+X+Y]");
  app.add_option("--scale", into.scale,
                 "How the picture fills the screen: fit (aspect kept, black bars; the default), "
                 "integer (largest whole multiple) or stretch")
      ->check(CLI::IsMember({"fit", "integer", "stretch"}))
      ->option_text("fit|integer|stretch");
  app.add_option("--filter", into.filter,
                 "Filtering when scaling: linear (the default) or nearest; integer scaling is "
                 "always nearest")
      ->check(CLI::IsMember({"linear", "nearest"}))
      ->option_text("linear|nearest");
  CLI::Option* switchMode =
      app.add_flag("--switch-mode", into.options.switchMode,
                   "Really switch the display to 640x480 while running, restoring it at exit");
  CLI::Option* display =
      app.add_option("--display", into.options.display, "The monitor to use, 0 being the primary")
          ->check(CLI::Range(0, 15))
          ->option_text("N");
  app.add_flag("--no-vsync", into.noVsync,
               "Present as fast as the demo draws, not at the display's pace");
  app.add_option("--max-fps", into.options.maxFps,
                 "Present at most N frames a second (0, the default: no cap beyond the "
                 "display's pace)")
      ->check(CLI::Range(0, 1000))
      ->option_text("N");
  app.add_flag("--allow-screensaver", into.options.allowScreensaver,
               "Let the system's screensaver and display sleep run while the demo plays");
  into.screensaver.Add(app, {window, switchMode, display});
  app.add_option("--pause-on-focus-loss", into.focusLoss,
                 "Losing the focus pauses the scene: resume (until the focus is back), stay "
                 "(until Pause or Start resumes it) or never (the default)")
      ->check(CLI::IsMember({"resume", "stay", "never"}))
      ->option_text("resume|stay|never");
  app.add_flag("--version", into.version, "Print the version and exit")->configurable(false);
  app.get_help_ptr()->configurable(false);
  app.config_formatter(std::make_shared<CLI::ConfigINI>());
}

void Apply(const Parsed& parsed, Options* options) {
  const std::map<std::string, Scale> scales{
      {"fit", Scale::kFit}, {"integer", Scale::kInteger}, {"stretch", Scale::kStretch}};
  const std::map<std::string, FocusLoss> focusLosses{
      {"never", FocusLoss::kNever}, {"resume", FocusLoss::kResume}, {"stay", FocusLoss::kStay}};
  const core::Presentation presentation = options->presentation;  // the environment's
  *options = parsed.options;
  options->presentation = presentation;
  if (!parsed.scale.empty()) options->scale = scales.at(parsed.scale);
  if (!parsed.filter.empty()) options->linear = parsed.filter == "linear";
  if (!parsed.focusLoss.empty()) options->pauseOnFocusLoss = focusLosses.at(parsed.focusLoss);
  if (!parsed.geometry.empty()) ParseGeometry(parsed.geometry, &options->windowPlace);
  options->vsync = !parsed.noVsync;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string NameOf(const std::string& line) {
  return Trimmed(line.substr(0, line.find('=')));
}

// Why one line of the file cannot stand, as CLI11 reads it; empty when it can.
std::string Fault(const std::string& section, const std::string& line) {
  // The options have no sections.
  if (!section.empty()) return "no option \"" + section + "." + NameOf(line) + "\"";
  CLI::App app;
  Parsed scratch;
  Define(app, scratch);
  app.allow_config_extras(CLI::config_extras_mode::error);
  std::istringstream input(line + "\n");
  try {
    app.parse_from_stream(input);
  } catch (const CLI::ConfigError& error) {
    const std::string unknown = "INI was not able to parse ";
    const std::string what = error.what();
    if (what.rfind(unknown, 0) == 0) return "no option \"" + what.substr(unknown.size()) + "\"";
    return what;
  } catch (const CLI::Error& error) {
    return error.what();
  }
  return "";
}

// The file's lines that hold, each option's last; the others said on stderr.
std::string UsableLines(const std::string& path) {
  std::ifstream file(path);
  std::map<std::string, std::string> lastOfEach;  // name -> line
  std::vector<std::string> order;
  std::string section;
  int number = 0;
  for (std::string raw; std::getline(file, raw);) {
    ++number;
    const std::string line = Trimmed(raw);
    // Blank lines, comments and lines too short to mean anything, as CLI11 skips them.
    if (line.size() < 3 || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = Trimmed(line.substr(1, line.size() - 2));
      if (section == "default") section.clear();
      continue;
    }
    const std::string fault = Fault(section, line);
    if (!fault.empty()) {
      core::ReportLine("%s:%d: %s", path.c_str(), number, fault.c_str());
      continue;
    }
    const std::string name = NameOf(line);
    if (!lastOfEach.count(name)) order.push_back(name);
    lastOfEach[name] = line;
  }
  std::string usable;
  for (const std::string& name : order) usable += lastOfEach[name] + "\n";
  return usable;
}

}  // namespace

void ReadEnvironment(Options* options) {
  const std::map<std::string, core::Presentation> names{{"gl", core::Presentation::kGl},
                                                        {"shm", core::Presentation::kShared},
                                                        {"direct", core::Presentation::kDirect}};
  const char* presentation = std::getenv("PLUMO_PRESENTATION");
  const auto named = names.find(presentation ? presentation : "");
  if (named != names.end()) options->presentation = named->second;
}

int ParseCommandLine(int argc, char** argv, Options* options, Settings* settings) {
  CLI::App app{kDescription, "plumo"};
  Parsed parsed;
  Define(app, parsed);
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
  if (parsed.version) {
    std::printf("plumo %s\n", PLUMO_VERSION);
    return 0;
  }
  settings->rememberPlace = app.get_option("--geometry")->count() == 0;
  // The file's options go only where the command line left the default.
  if (!settings->configPath.empty()) {
    std::istringstream usable(UsableLines(settings->configPath));
    try {
      app.parse_from_stream(usable);
    } catch (const CLI::Error& error) {
      core::ReportLine("%s: %s", settings->configPath.c_str(), error.what());
    }
  }
  Apply(parsed, options);
  if (!parsed.screensaver.Apply(&options->host)) return 2;
  return -1;
}

void RememberWindowPlace(const Settings& settings, const Options& options) {
  core::WindowPlace place;
  if (settings.configPath.empty() || !settings.rememberPlace || !core::LastWindowPlace(&place))
    return;
  const core::WindowPlace& known = options.windowPlace;
  if (place.width == known.width && place.height == known.height &&
      place.positioned == known.positioned &&
      (!place.positioned || (place.x == known.x && place.y == known.y)))
    return;
  RememberGeometry(settings.configPath, place);
}

}  // namespace native
