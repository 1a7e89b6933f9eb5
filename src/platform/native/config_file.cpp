#include "platform/native/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/core/report.h"

namespace native {
namespace {

const char kKey[] = "geometry";

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool IsGeometryLine(const std::string& line) {
  const size_t equals = line.find('=');
  return equals != std::string::npos && Trimmed(line.substr(0, equals)) == kKey;
}

// A whole number from `text` at `*at`, with an optional sign when `signedOk`.
bool ReadNumber(const std::string& text, size_t* at, bool signedOk, int* value) {
  const size_t start = *at;
  if (signedOk && *at < text.size() && (text[*at] == '+' || text[*at] == '-')) ++*at;
  const size_t digits = *at;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9') ++*at;
  if (*at == digits || *at - digits > 6) return false;
  *value = std::atoi(text.substr(start, *at - start).c_str());
  return true;
}

bool SaidOnce(const std::string& path, const char* what, int error) {
  static bool said = false;
  if (!said) {
    core::ReportLine("%s: cannot remember the window's place: %s: %s", path.c_str(), what,
                     std::strerror(error));
  }
  said = true;
  return false;
}

// mkdir -p, new folders private as the XDG base directories ask.
bool MakeFolders(const std::string& folder) {
  for (size_t slash = 1; slash <= folder.size(); ++slash) {
    if (slash < folder.size() && folder[slash] != '/') continue;
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

bool ReadWhole(const std::string& path, std::string* text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return errno == ENOENT;  // a missing file is an empty one
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, got);
  const bool read = !std::ferror(file);
  std::fclose(file);
  return read;
}

bool WriteWhole(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// A link to the file (a user's dotfiles) stays a link: its target is replaced.
std::string TargetOf(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

std::string DefaultConfigPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
  if (config && config[0] == '/') return std::string(config) + "/plumo/plumo.ini";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/plumo/plumo.ini";
  return "";
}

bool ParseGeometry(const std::string& text, core::WindowPlace* place) {
  core::WindowPlace parsed;
  size_t at = 0;
  if (!ReadNumber(text, &at, false, &parsed.width) || at >= text.size() || text[at++] != 'x' ||
      !ReadNumber(text, &at, false, &parsed.height) || !parsed.Known())
    return false;
  if (at < text.size()) {
    if (text[at] != '+' && text[at] != '-') return false;
    if (!ReadNumber(text, &at, true, &parsed.x) || at >= text.size() ||
        (text[at] != '+' && text[at] != '-') || !ReadNumber(text, &at, true, &parsed.y))
      return false;
    parsed.positioned = true;
  }
  if (at != text.size()) return false;
  *place = parsed;
  return true;
}

std::string FormatGeometry(const core::WindowPlace& place) {
  char text[64];
  if (place.positioned) {
    std::snprintf(text, sizeof text, "%dx%d%+d%+d", place.width, place.height, place.x, place.y);
  } else {
    std::snprintf(text, sizeof text, "%dx%d", place.width, place.height);
  }
  return text;
}

std::string WithGeometry(const std::string& text, const std::string& value) {
  const std::string setting = std::string(kKey) + " = " + value;
  std::istringstream lines(text);
  std::string result;
  bool set = false;
  bool topLevel = true;  // before the first section, where the options are
  for (std::string line; std::getline(lines, line);) {
    if (topLevel && Trimmed(line).rfind('[', 0) == 0) {
      if (!set) result += setting + "\n";
      set = true;
      topLevel = false;
    }
    if (topLevel && IsGeometryLine(line)) {
      if (!set) result += setting + "\n";  // in the place of the first; others go
      set = true;
      continue;
    }
    result += line + "\n";
  }
  if (!set) result += setting + "\n";
  return result;
}

bool RememberGeometry(const std::string& path, const core::WindowPlace& place) {
  const std::string target = TargetOf(path);
  const size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  if (!MakeFolders(folder)) return SaidOnce(path, "its folder", errno);
  std::string text;
  // A file that cannot be read is not replaced by one without its lines.
  if (!ReadWhole(target, &text)) return SaidOnce(path, "reading it", errno);
  text = WithGeometry(text, FormatGeometry(place));

  std::string temporary = folder + "/.plumo.ini.XXXXXX";
  const int fd = mkostemp(&temporary[0], O_CLOEXEC);
  if (fd < 0) return SaidOnce(path, "a new file beside it", errno);
  struct stat old {};
  const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
  bool written = WriteWhole(fd, text) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
    if (written) error = errno;
    unlink(temporary.c_str());
    return SaidOnce(path, "writing it", error);
  }
  // The rename itself lasts once the folder is on disk.
  const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    fsync(directory);
    close(directory);
  }
  return true;
}

}  // namespace native
