// The progress line on stderr: frames rendered of the total, the rate, the
// time left. On a terminal it rewrites one line; elsewhere (--progress into a
// file or a pipe) it writes a line a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace capture {

class Progress {
 public:
  Progress(bool enabled, bool terminal, int64_t total);
  void Update(int64_t done);
  // The last line, ended, with `note` after it.
  void Finish(int64_t done, const std::string& note);

 private:
  void Print(int64_t done, bool last, const std::string& note);

  bool enabled;
  bool terminal;
  int64_t total;
  // The rate counts from the first frame, not from the demo's start-up.
  bool started = false;
  int64_t startDone = 0;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastPrint;
};

}  // namespace capture
