#include "capture/sinks.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/png_file.h"

extern char** environ;

namespace capture {

namespace {

bool PrepareFolderFor(const std::string& folder, OutputLedger* ledger, std::string* error) {
  std::vector<std::string> created;
  const bool ok = PrepareFolder(folder, &created, error);
  ledger->AddCreatedFolders(created);
  return ok;
}

std::string SurfaceText(const SurfaceBits& bits) {
  return "R" + std::to_string(bits.red) + " G" + std::to_string(bits.green) + " B" +
         std::to_string(bits.blue) + ", depth " + std::to_string(bits.depth);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string FramePath(const std::string& folder, int64_t frame) {
  char name[64];
  std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
  return folder + "/" + name;
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return "";
  std::string list = path;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    const std::string folder = end > start ? list.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return "";
}

// PNG folder.

bool PngFolderSink::Prepare(OutputLedger* ledgerArg, std::string* error) {
  ledger = ledgerArg;
  return PrepareFolderFor(folder, ledger, error);
}

bool PngFolderSink::Take(int64_t frame, int64_t /*index*/, const Image& image,
                         const SurfaceBits& bits, std::string* error) {
  const std::string path = FramePath(folder, frame);
  const std::string temporary = TemporaryPathFor(path);
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    *error = temporary + ": " + std::strerror(errno);
    return false;
  }
  const PngText text = {{"Software", "plumo-capture"},
                        {"Frame", std::to_string(frame)},
                        {"Frames per second", std::to_string(fps)},
                        {"Surface", SurfaceText(bits)}};
  std::string pngError;
  bool ok = WritePng(file, image, bits, text, &pngError);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    pngError = std::string("cannot write: ") + std::strerror(errno);
  }
  if (!ok) {
    std::remove(temporary.c_str());
    *error = path + ": " + pngError;
    return false;
  }
  return ledger->Commit(temporary, path, error);
}

// GIF preview.

bool PreviewTimeline::Shows(int64_t index, int64_t* previewFrame) const {
  const int64_t j = index * previewFps / fps;
  if ((j * fps + previewFps - 1) / previewFps != index) return false;
  *previewFrame = j;
  return true;
}

int PreviewTimeline::DelayCentiseconds(int64_t previewFrame) const {
  // From the rounded start of this frame to the rounded start of the next, so
  // the rounding never adds up over a long animation.
  auto start = [this](int64_t j) { return (j * 100 + previewFps / 2) / previewFps; };
  return static_cast<int>(start(previewFrame + 1) - start(previewFrame));
}

bool GifPreviewSink::Prepare(OutputLedger* ledger, std::string* error) {
  if (!PrepareFolderFor(FolderOf(path), ledger, error)) return false;
  temporary = TemporaryPathFor(path);
  file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    *error = temporary + ": " + std::strerror(errno);
    return false;
  }
  if (!gif.Open(file, width, height, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool GifPreviewSink::Take(int64_t /*frame*/, int64_t index, const Image& image,
                          const SurfaceBits& /*bits*/, std::string* error) {
  int64_t previewFrame = 0;
  if (!timeline.Shows(index, &previewFrame)) return true;
  if (!gif.AddFrame(Downscale(image, width, height), timeline.DelayCentiseconds(previewFrame),
                    error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool GifPreviewSink::Finish(OutputLedger* ledger, std::string* error) {
  bool ok = gif.Finish(error);
  if (!ok) *error = path + ": " + *error;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    *error = path + ": cannot write: " + std::strerror(errno);
  }
  file = nullptr;
  if (!ok) {
    Abandon();
    return false;
  }
  const std::string done = temporary;
  temporary.clear();
  return ledger->Commit(done, path, error);
}

void GifPreviewSink::Abandon() {
  gif.Discard();
  if (file) std::fclose(file);
  file = nullptr;
  if (!temporary.empty()) std::remove(temporary.c_str());
  temporary.clear();
}

// Video.

bool VideoSink::Prepare(OutputLedger* ledger, std::string* error) {
  ffmpeg = FindProgram("ffmpeg");
  if (ffmpeg.empty()) {
    *error = "--video needs ffmpeg, and there is none on PATH (install ffmpeg, or use --out)";
    return false;
  }
  if (!PrepareFolderFor(FolderOf(path), ledger, error)) return false;
  temporary = TemporaryPathFor(path);
  return true;
}

bool VideoSink::Start(const Image& image, std::string* error) {
  width = image.width;
  height = image.height;
  int fds[2];
  if (::pipe(fds) != 0) {
    *error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string rate = std::to_string(fps);
  std::vector<std::string> args = {
      ffmpeg,  "-hide_banner", "-loglevel", "error",      "-y", "-f", "rawvideo", "-pix_fmt",
      "rgb24", "-s",           size,        "-framerate", rate, "-i", "pipe:0",   "-an"};
  // Players expect 4:2:0 from the common containers; ffmpeg would keep 4:4:4.
  const std::string name = Lowercase(path);
  for (const char* extension : {".mp4", ".mkv", ".mov", ".webm", ".avi"}) {
    const size_t n = std::strlen(extension);
    if (name.size() > n && name.compare(name.size() - n, n, extension) == 0 && width % 2 == 0 &&
        height % 2 == 0) {
      args.insert(args.end(), {"-pix_fmt", "yuv420p"});
    }
  }
  args.push_back(temporary);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  const int spawned = posix_spawn(&child, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (spawned != 0) {
    close(fds[1]);
    child = -1;
    *error = ffmpeg + ": " + std::strerror(spawned);
    return false;
  }
  pipe = fds[1];
  return true;
}

bool VideoSink::Take(int64_t /*frame*/, int64_t index, const Image& image,
                     const SurfaceBits& /*bits*/, std::string* error) {
  if (index == 0 && !Start(image, error)) return false;
  if (image.width != width || image.height != height) {
    *error = path + ": the frame size changed during the recording";
    return false;
  }
  if (!WriteAll(pipe, image.rgb.data(), image.rgb.size())) {
    *error = path + ": ffmpeg stopped taking frames: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool VideoSink::Wait(std::string* error) {
  if (pipe >= 0) close(pipe);
  pipe = -1;
  if (child < 0) return true;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  child = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  *error = path + ": ffmpeg failed (" +
           (WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status))
                              : "signal " + std::to_string(WTERMSIG(status))) +
           ")";
  return false;
}

bool VideoSink::Finish(OutputLedger* ledger, std::string* error) {
  if (!Wait(error)) {
    Abandon();
    return false;
  }
  const std::string done = temporary;
  temporary.clear();
  return ledger->Commit(done, path, error);
}

void VideoSink::Abandon() {
  std::string ignored;
  Wait(&ignored);
  if (!temporary.empty()) std::remove(temporary.c_str());
  temporary.clear();
}

}  // namespace capture
