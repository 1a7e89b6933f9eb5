#include "platform/native/window_system/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "capture/png_writer.h"
#include "platform/core/report.h"
#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {

std::string PictureFolder() {
  const char* pictures = std::getenv("XDG_PICTURES_DIR");
  struct stat info {};
  if (pictures && *pictures && stat(pictures, &info) == 0 && S_ISDIR(info.st_mode)) return pictures;
  return ".";
}

std::string PictureFileName(const std::tm& localTime) {
  char name[64];
  std::strftime(name, sizeof name, "plumo-%Y%m%d-%H%M%S.png", &localTime);
  return name;
}

bool SavePicture(const native::window_system::Picture& picture, const std::string& folder,
                 std::time_t now, std::string* path, std::string* error) {
  std::tm local{};
  localtime_r(&now, &local);
  const std::string name = PictureFileName(local);
  const std::string stem = folder + "/" + name.substr(0, name.size() - 4);
  int fd = -1;
  for (int copy = 1; fd < 0 && copy < 100; ++copy) {
    *path = stem + (copy == 1 ? "" : "-" + std::to_string(copy)) + ".png";
    fd = open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  std::FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
  if (!file) {
    *error = std::string("cannot create ") + *path + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  const capture::png::SignificantBits bits{picture.redBits, picture.greenBits, picture.blueBits};
  const bool written =
      capture::png::WriteRgb(file, picture.width, picture.height, picture.rgb.data(), bits,
                             {{"Software", "plumo"}}, error);
  if (std::fclose(file) != 0 && written)
    *error = std::string("cannot write: ") + std::strerror(errno);
  if (!written || !error->empty()) {
    std::remove(path->c_str());
    *error = *path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace native::window_system

namespace native::window_system {

void SavePictureOf(Surface* surface) {
  Picture picture;
  if (!ReadPicture(surface, /*shown=*/true, &picture)) {
    core::Report("F12", "there is no picture to save yet");
    return;
  }
  std::string path;
  std::string error;
  if (native::window_system::SavePicture(picture, native::window_system::PictureFolder(),
                                         std::time(nullptr), &path, &error)) {
    core::Report("F12", "saved the picture as %s", path.c_str());
  } else {
    core::Report("F12", "cannot save the picture: %s", error.c_str());
  }
}

}  // namespace native::window_system
