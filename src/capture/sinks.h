// Where recorded frames go: numbered PNG files, an animated GIF preview, a
// video through ffmpeg. Each sink writes to temporary names and puts its files
// in place through the ledger only when they are complete.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "capture/gif_writer.h"
#include "capture/image.h"
#include "capture/output_files.h"

namespace capture {

class Sink {
 public:
  virtual ~Sink() = default;
  // Checks what can be checked before the demo starts (folders, programs).
  virtual bool Prepare(OutputLedger* ledger, std::string* error) = 0;
  // Frame `frame` of the recording; `index` counts the written frames from 0.
  virtual bool Take(int64_t frame, int64_t index, const Image& image, const SurfaceBits& bits,
                    std::string* error) = 0;
  virtual bool Finish(OutputLedger* ledger, std::string* error) = 0;
  // Gives up: removes the sink's temporary files.
  virtual void Abandon() = 0;
};

// DIR/frame-000123.png for frame 123.
std::string FramePath(const std::string& folder, int64_t frame);

class PngFolderSink : public Sink {
 public:
  PngFolderSink(std::string folderArg, int fpsArg) : folder(std::move(folderArg)), fps(fpsArg) {}
  bool Prepare(OutputLedger* ledger, std::string* error) override;
  bool Take(int64_t frame, int64_t index, const Image& image, const SurfaceBits& bits,
            std::string* error) override;
  bool Finish(OutputLedger* /*ledger*/, std::string* /*error*/) override { return true; }
  void Abandon() override {}

 private:
  std::string folder;
  int fps;
  OutputLedger* ledger = nullptr;
};

// Chooses the frames of a lower rate: preview frame j shows the recording's
// frame ceil(j * fps / previewFps), from j / previewFps seconds on.
class PreviewTimeline {
 public:
  PreviewTimeline(int fpsArg, int previewFpsArg) : fps(fpsArg), previewFps(previewFpsArg) {}
  // Whether the written frame `index` is a preview frame, and which.
  bool Shows(int64_t index, int64_t* previewFrame) const;
  // How long preview frame j stays, in GIF's hundredths of a second.
  int DelayCentiseconds(int64_t previewFrame) const;

 private:
  int fps;
  int previewFps;
};

class GifPreviewSink : public Sink {
 public:
  GifPreviewSink(std::string pathArg, int widthArg, int heightArg, int fps, int previewFps)
      : path(std::move(pathArg)), width(widthArg), height(heightArg), timeline(fps, previewFps) {}
  ~GifPreviewSink() override { Abandon(); }
  bool Prepare(OutputLedger* ledger, std::string* error) override;
  bool Take(int64_t frame, int64_t index, const Image& image, const SurfaceBits& bits,
            std::string* error) override;
  bool Finish(OutputLedger* ledger, std::string* error) override;
  void Abandon() override;

 private:
  std::string path;
  std::string temporary;
  int width;
  int height;
  PreviewTimeline timeline;
  std::FILE* file = nullptr;
  GifWriter gif;
};

// Raw RGB frames into ffmpeg's standard input.
class VideoSink : public Sink {
 public:
  VideoSink(std::string pathArg, int fpsArg) : path(std::move(pathArg)), fps(fpsArg) {}
  ~VideoSink() override { Abandon(); }
  bool Prepare(OutputLedger* ledger, std::string* error) override;
  bool Take(int64_t frame, int64_t index, const Image& image, const SurfaceBits& bits,
            std::string* error) override;
  bool Finish(OutputLedger* ledger, std::string* error) override;
  void Abandon() override;

 private:
  bool Start(const Image& image, std::string* error);
  bool Wait(std::string* error);

  std::string path;
  std::string temporary;
  std::string ffmpeg;
  int fps;
  pid_t child = -1;
  int pipe = -1;
  int width = 0;
  int height = 0;
};

// Searches PATH for an executable; empty when there is none.
std::string FindProgram(const std::string& name);

}  // namespace capture
