// The command line the two frame benchmarks share: --frames N, --warmup N,
// --profile-frames N.
#pragma once

#include <cstdlib>
#include <cstring>

namespace bench {

struct FrameOptions {
  int frames = 1000;
  int warmup = 30;
  int profileFrames = 0;
};

inline bool ParseFrameOptions(int argc, char** argv, FrameOptions* options) {
  for (int i = 1; i < argc; ++i) {
    int* target = nullptr;
    if (std::strcmp(argv[i], "--frames") == 0) target = &options->frames;
    if (std::strcmp(argv[i], "--warmup") == 0) target = &options->warmup;
    if (std::strcmp(argv[i], "--profile-frames") == 0) target = &options->profileFrames;
    if (!target || i + 1 >= argc) return false;
    *target = std::atoi(argv[++i]);
  }
  return options->frames >= 0 && options->warmup >= 0 && options->profileFrames >= 0;
}

}  // namespace bench
