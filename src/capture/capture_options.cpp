#include "capture/capture_options.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace capture {

namespace {

bool ParseInteger(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return false;
  *value = parsed;
  return true;
}

// Values are checked here before CLI11 converts them, so that an error quotes
// what was given; whole numbers are handed on in plain decimal, since CLI11
// would read "010" as octal.
CLI::Validator WholeNumber(const std::string& what, int64_t low, int64_t high) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        int64_t value = 0;
        if (!ParseInteger(text, &value) || value < low || value > high)
          return "'" + text + "' is not " + what;
        text = std::to_string(value);
        return "";
      },
      "");
}

CLI::Validator FiniteNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        errno = 0;
        char* end = nullptr;
        const double value = text.empty() ? 0 : std::strtod(text.c_str(), &end);
        if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(value))
          return "'" + text + "' is not a number";
        return "";
      },
      "");
}

CLI::Validator NotEmpty(const std::string& what) {
  return CLI::Validator(
      [=](std::string& text) { return text.empty() ? "needs " + what : std::string(); }, "");
}

CLI::Validator Size() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        const size_t x = text.find('x');
        int64_t w = 0;
        int64_t h = 0;
        if (x == std::string::npos || !ParseInteger(text.substr(0, x), &w) ||
            !ParseInteger(text.substr(x + 1), &h) || w < 1 || h < 1 || w > 65535 || h > 65535)
          return "'" + text + "' is not a size such as 320x240";
        return "";
      },
      "");
}

// What the command line gave, before the rules that join options are checked.
struct Given {
  double seconds = 0;
  int64_t frames = 0;
  std::string size;
  CLI::Option* secondsOption = nullptr;
  CLI::Option* framesOption = nullptr;
  CLI::Option* sizeOption = nullptr;
  CLI::Option* previewFpsOption = nullptr;
  CLI::Option* helpOption = nullptr;
};

void Describe(CLI::App* app, Options* parsed, Given* given) {
  app->description(
      "Runs the Plumo demo on a fixed-step clock and records every frame it\n"
      "presents: frame k is drawn at scene time k / fps.");
  app->footer(
      "Without DISPLAY or WAYLAND_DISPLAY the demo renders offscreen\n"
      "(SDL_VIDEODRIVER=offscreen), so no display server is needed.\n"
      "Files appear only when complete; a failed run removes what it wrote.");
  app->set_help_flag();
  given->helpOption = app->add_flag("-h,--help", "this text");

  const std::string length = "Length (one of --seconds and --frames; frames counted from --first)";
  given->secondsOption =
      app->add_option("--seconds", given->seconds, "S seconds of frames (S x fps, rounded)")
          ->type_name("S")
          ->check(FiniteNumber())
          ->group(length);
  given->framesOption = app->add_option("--frames", given->frames, "N frames")
                            ->type_name("N")
                            ->check(WholeNumber("a whole number", INT64_MIN, INT64_MAX))
                            ->group(length);
  app->add_option("--fps", parsed->fps, "frames per second of scene time (default 60)")
      ->type_name("N")
      ->check(WholeNumber("a whole number from 1 to 1000", 1, 1000))
      ->group(length);
  app->add_option("--first", parsed->first,
                  "first frame to write (default 0); earlier frames are rendered but not written")
      ->type_name("N")
      ->check(WholeNumber("a frame number (0 or more)", 0, INT64_MAX))
      ->group(length);

  const std::string output = "Output (at least one)";
  app->add_option("--out", parsed->outFolder, "numbered PNG files DIR/frame-000000.png ...")
      ->type_name("DIR")
      ->check(NotEmpty("a folder name"))
      ->group(output);
  app->add_option("--preview", parsed->preview, "an animated GIF, scaled down and at a lower rate")
      ->type_name("FILE")
      ->check(NotEmpty("a file name"))
      ->group(output);
  given->sizeOption = app->add_option("--preview-size", given->size, "its size (default 320x240)")
                          ->type_name("WxH")
                          ->check(Size())
                          ->group(output);
  given->previewFpsOption = app->add_option("--preview-fps", parsed->previewFps,
                                            "its frames per second (default 15, at most --fps)")
                                ->type_name("N")
                                ->check(WholeNumber("a whole number from 1 to 100", 1, 100))
                                ->group(output);
  app->add_option("--video", parsed->video, "a video through ffmpeg (where ffmpeg is installed)")
      ->type_name("FILE")
      ->check(NotEmpty("a file name"))
      ->group(output);
  app->add_flag("--null", parsed->null, "render and read back, write nothing (soak tests)")
      ->group(output);

  app->add_flag("--progress", parsed->progress,
                "show progress on stderr even when it is not a terminal");
  app->add_flag("--report-cycles", parsed->reportCycles,
                "one line on stderr each time the scene starts over: the frame, the scene time "
                "it had reached, resident memory");
}

// The rules between options, once each has its value.
bool CheckTogether(const Given& given, Options* parsed, std::string* error) {
  const bool haveSeconds = given.secondsOption->count() > 0;
  const bool haveFrames = given.framesOption->count() > 0;
  if (haveSeconds && haveFrames) {
    *error = "--seconds and --frames both give the length; give one";
    return false;
  }
  if (!haveSeconds && !haveFrames) {
    *error = "no length: give --seconds S or --frames N";
    return false;
  }
  if (haveSeconds) {
    if (given.seconds <= 0) {
      *error = "--seconds must be more than 0";
      return false;
    }
    if (given.seconds > kMaxSeconds) {
      *error = "--seconds: at most " + std::to_string(kMaxSeconds) + " seconds";
      return false;
    }
    parsed->frames = std::llround(given.seconds * parsed->fps);
    if (parsed->frames < 1) {
      *error = "--seconds " + given.secondsOption->as<std::string>() + " is less than one frame";
      return false;
    }
  } else if (given.frames <= 0) {
    *error = "--frames must be more than 0";
    return false;
  } else {
    parsed->frames = given.frames;
  }
  if (parsed->first > kMaxSeconds * parsed->fps ||
      parsed->frames > kMaxSeconds * parsed->fps - parsed->first) {
    *error =
        "the recording would run past " + std::to_string(kMaxSeconds) + " seconds of scene time";
    return false;
  }

  const bool writes =
      !parsed->outFolder.empty() || !parsed->preview.empty() || !parsed->video.empty();
  if (parsed->null && writes) {
    *error = "--null writes nothing; it cannot go with --out, --preview or --video";
    return false;
  }
  if (!parsed->null && !writes) {
    *error = "nothing to write: give --out, --preview, --video or --null";
    return false;
  }
  const bool haveSize = given.sizeOption->count() > 0;
  const bool havePreviewFps = given.previewFpsOption->count() > 0;
  if ((haveSize || havePreviewFps) && parsed->preview.empty()) {
    *error = std::string(haveSize ? "--preview-size" : "--preview-fps") + " needs --preview";
    return false;
  }
  if (haveSize) {
    const size_t x = given.size.find('x');
    parsed->previewWidth = std::stoi(given.size.substr(0, x));
    parsed->previewHeight = std::stoi(given.size.substr(x + 1));
  }
  // The default rate is at most the recording's own.
  if (!havePreviewFps && parsed->previewFps > parsed->fps) parsed->previewFps = parsed->fps;
  if (parsed->previewFps > parsed->fps) {
    *error = "--preview-fps " + std::to_string(parsed->previewFps) + " is more than --fps " +
             std::to_string(parsed->fps);
    return false;
  }
  if (!parsed->preview.empty() && parsed->preview == parsed->video) {
    *error = "--preview and --video name the same file";
    return false;
  }
  return true;
}

}  // namespace

std::string UsageText() {
  CLI::App app("", "plumo-capture");
  Options options;
  Given given;
  Describe(&app, &options, &given);
  return app.help() + "\n";
}

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
  CLI::App app("", "plumo-capture");
  Options parsed;
  Given given;
  Describe(&app, &parsed, &given);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& failure) {
    *error = failure.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&failure)) *error += " (--help lists the options)";
    return false;
  }
  parsed.help = given.helpOption->count() > 0;
  if (!parsed.help && !CheckTogether(given, &parsed, error)) return false;
  *options = parsed;
  return true;
}

}  // namespace capture
