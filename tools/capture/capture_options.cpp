#include "capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace capture {

namespace {

const char kUsage[] =
    "usage: plumo-capture [options]\n"
    "Runs the Plumo demo on a fixed-step clock and records every frame it\n"
    "presents: frame k is drawn at scene time k / fps.\n"
    "\n"
    "length (one of them; frames counted from --first):\n"
    "  --seconds S          S seconds of frames (S x fps, rounded)\n"
    "  --frames N           N frames\n"
    "  --fps N              frames per second of scene time (default 60)\n"
    "  --first N            first frame to write (default 0); earlier frames\n"
    "                       are rendered but not written\n"
    "\n"
    "output (at least one):\n"
    "  --out DIR            numbered PNG files DIR/frame-000000.png ...\n"
    "  --preview FILE       an animated GIF, scaled down and at a lower rate\n"
    "  --preview-size WxH   its size (default 320x240)\n"
    "  --preview-fps N      its frames per second (default 15, at most --fps)\n"
    "  --video FILE         a video through ffmpeg (where ffmpeg is installed)\n"
    "  --null               render and read back, write nothing (soak tests)\n"
    "\n"
    "  --progress           show progress on stderr even when it is not a terminal\n"
    "  --report-cycles      one line on stderr each time the scene starts over: the\n"
    "                       frame, the scene time it had reached, resident memory\n"
    "  --help               this text\n"
    "\n"
    "Without DISPLAY or WAYLAND_DISPLAY the demo renders offscreen\n"
    "(SDL_VIDEODRIVER=offscreen), so no display server is needed.\n"
    "Files appear only when complete; a failed run removes what it wrote.\n";

bool ParseInteger(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return false;
  *value = parsed;
  return true;
}

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(*value);
}

bool ParseSize(const std::string& text, int* width, int* height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int64_t w = 0;
  int64_t h = 0;
  if (!ParseInteger(text.substr(0, x), &w) || !ParseInteger(text.substr(x + 1), &h)) return false;
  if (w < 1 || h < 1 || w > 65535 || h > 65535) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

}  // namespace

const char* UsageText() {
  return kUsage;
}

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
  Options parsed;
  bool haveSeconds = false;
  bool haveFrames = false;
  bool havePreviewSize = false;
  bool havePreviewFps = false;
  double seconds = 0;
  std::string secondsText;
  int64_t frames = 0;
  int64_t fps = parsed.fps;
  int64_t previewFps = parsed.previewFps;

  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::string value;
    bool inlineValue = false;
    // --name=value as well as --name value.
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      inlineValue = true;
    }
    auto takeValue = [&](const char* what) {
      if (inlineValue) return true;
      if (i + 1 >= argc) {
        *error = name + " needs " + what;
        return false;
      }
      value = argv[++i];
      return true;
    };
    auto flag = [&]() {
      if (!inlineValue) return true;
      *error = name + " takes no value";
      return false;
    };

    if (name == "--help" || name == "-h") {
      if (!flag()) return false;
      parsed.help = true;
    } else if (name == "--progress") {
      if (!flag()) return false;
      parsed.progress = true;
    } else if (name == "--report-cycles") {
      if (!flag()) return false;
      parsed.reportCycles = true;
    } else if (name == "--null") {
      if (!flag()) return false;
      parsed.null = true;
    } else if (name == "--seconds") {
      if (!takeValue("a number of seconds")) return false;
      if (!ParseNumber(value, &seconds)) {
        *error = "--seconds: '" + value + "' is not a number";
        return false;
      }
      haveSeconds = true;
      secondsText = value;
    } else if (name == "--frames") {
      if (!takeValue("a number of frames")) return false;
      if (!ParseInteger(value, &frames)) {
        *error = "--frames: '" + value + "' is not a whole number";
        return false;
      }
      haveFrames = true;
    } else if (name == "--fps") {
      if (!takeValue("a number of frames per second")) return false;
      if (!ParseInteger(value, &fps) || fps < 1 || fps > 1000) {
        *error = "--fps: '" + value + "' is not a whole number from 1 to 1000";
        return false;
      }
    } else if (name == "--first") {
      if (!takeValue("a frame number")) return false;
      if (!ParseInteger(value, &parsed.first) || parsed.first < 0) {
        *error = "--first: '" + value + "' is not a frame number (0 or more)";
        return false;
      }
    } else if (name == "--out") {
      if (!takeValue("a folder")) return false;
      if (value.empty()) {
        *error = "--out needs a folder name";
        return false;
      }
      parsed.outFolder = value;
    } else if (name == "--preview") {
      if (!takeValue("a file name")) return false;
      if (value.empty()) {
        *error = "--preview needs a file name";
        return false;
      }
      parsed.preview = value;
    } else if (name == "--preview-size") {
      if (!takeValue("a size WxH")) return false;
      if (!ParseSize(value, &parsed.previewWidth, &parsed.previewHeight)) {
        *error = "--preview-size: '" + value + "' is not a size such as 320x240";
        return false;
      }
      havePreviewSize = true;
    } else if (name == "--preview-fps") {
      if (!takeValue("a number of frames per second")) return false;
      if (!ParseInteger(value, &previewFps) || previewFps < 1 || previewFps > 100) {
        *error = "--preview-fps: '" + value + "' is not a whole number from 1 to 100";
        return false;
      }
      havePreviewFps = true;
    } else if (name == "--video") {
      if (!takeValue("a file name")) return false;
      if (value.empty()) {
        *error = "--video needs a file name";
        return false;
      }
      parsed.video = value;
    } else {
      *error = "unknown option '" + std::string(argv[i]) + "' (--help lists the options)";
      return false;
    }
  }

  if (parsed.help) {
    *options = parsed;
    return true;
  }
  parsed.fps = static_cast<int>(fps);
  parsed.previewFps = static_cast<int>(previewFps);

  if (haveSeconds && haveFrames) {
    *error = "--seconds and --frames both give the length; give one";
    return false;
  }
  if (!haveSeconds && !haveFrames) {
    *error = "no length: give --seconds S or --frames N";
    return false;
  }
  if (haveSeconds) {
    if (seconds <= 0) {
      *error = "--seconds must be more than 0";
      return false;
    }
    if (seconds > kMaxSeconds) {
      *error = "--seconds: at most " + std::to_string(kMaxSeconds) + " seconds";
      return false;
    }
    frames = std::llround(seconds * parsed.fps);
    if (frames < 1) {
      *error = "--seconds " + secondsText + " is less than one frame";
      return false;
    }
  } else if (frames <= 0) {
    *error = "--frames must be more than 0";
    return false;
  }
  parsed.frames = frames;
  if (parsed.first > kMaxSeconds * parsed.fps ||
      parsed.frames > kMaxSeconds * parsed.fps - parsed.first) {
    *error =
        "the recording would run past " + std::to_string(kMaxSeconds) + " seconds of scene time";
    return false;
  }

  const bool writes = !parsed.outFolder.empty() || !parsed.preview.empty() || !parsed.video.empty();
  if (parsed.null && writes) {
    *error = "--null writes nothing; it cannot go with --out, --preview or --video";
    return false;
  }
  if (!parsed.null && !writes) {
    *error = "nothing to write: give --out, --preview, --video or --null";
    return false;
  }
  if ((havePreviewSize || havePreviewFps) && parsed.preview.empty()) {
    *error = std::string(havePreviewSize ? "--preview-size" : "--preview-fps") + " needs --preview";
    return false;
  }
  // The default rate is at most the recording's own.
  if (!havePreviewFps && parsed.previewFps > parsed.fps) parsed.previewFps = parsed.fps;
  if (parsed.previewFps > parsed.fps) {
    *error = "--preview-fps " + std::to_string(parsed.previewFps) + " is more than --fps " +
             std::to_string(parsed.fps);
    return false;
  }
  if (!parsed.preview.empty() && !parsed.video.empty() && parsed.preview == parsed.video) {
    *error = "--preview and --video name the same file";
    return false;
  }
  *options = parsed;
  return true;
}

}  // namespace capture
