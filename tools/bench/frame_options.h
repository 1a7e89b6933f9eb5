// The command line the frame benchmarks share: --frames N, --warmup N,
// --profile-frames N, --server-pid PID (the X server, whose CPU time over the
// timed frames is printed beside the program's own).
#pragma once

#include <CLI/CLI.hpp>
#include <cstdio>
#include <limits>

namespace bench {

struct FrameOptions {
  int frames = 1000;
  int warmup = 30;
  int profileFrames = 0;
  int serverPid = 0;
};

// False, after one line on stderr saying why, for a command line it cannot take.
inline bool ParseFrameOptions(int argc, char** argv, FrameOptions* options) {
  const CLI::Range count(0, std::numeric_limits<int>::max());
  CLI::App app;
  app.set_help_flag();
  app.add_option("--frames", options->frames)->check(count);
  app.add_option("--warmup", options->warmup)->check(count);
  app.add_option("--profile-frames", options->profileFrames)->check(count);
  app.add_option("--server-pid", options->serverPid)->check(count);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return false;
  }
  return true;
}

}  // namespace bench
