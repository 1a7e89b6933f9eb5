#include "capture/progress.h"

#include <cstdio>

namespace capture {

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

Progress::Progress(bool enabledArg, bool terminalArg, int64_t totalArg)
    : enabled(enabledArg), terminal(terminalArg), total(totalArg) {}

void Progress::Update(int64_t done) {
  if (!enabled) return;
  if (!started) {
    started = true;
    startDone = done;
    start = lastPrint = Clock::now();
    return;
  }
  const double since = Seconds(Clock::now() - lastPrint);
  if (since < (terminal ? 0.2 : 1.0)) return;
  Print(done, false, std::string());
}

void Progress::Finish(int64_t done, const std::string& note) {
  if (!enabled) return;
  Print(done, true, note);
}

void Progress::Print(int64_t done, bool last, const std::string& note) {
  const Clock::time_point now = Clock::now();
  if (!started) start = now;
  lastPrint = now;
  const double elapsed = Seconds(now - start);
  const double rate = elapsed > 0 ? (done - startDone) / elapsed : 0;
  char line[160];
  if (last) {
    std::snprintf(line, sizeof line, "frame %lld/%lld  %.1f frames/s  %.1f s",
                  static_cast<long long>(done), static_cast<long long>(total), rate, elapsed);
  } else {
    const double left = rate > 0 ? (total - done) / rate : 0;
    const long long leftSeconds = static_cast<long long>(left + 0.5);
    std::snprintf(line, sizeof line, "frame %lld/%lld  %.1f frames/s  %lld:%02lld left",
                  static_cast<long long>(done), static_cast<long long>(total), rate,
                  leftSeconds / 60, leftSeconds % 60);
  }
  if (terminal) {
    std::fprintf(stderr, "\r\033[Kplumo-capture: %s%s%s", line, note.c_str(), last ? "\n" : "");
  } else {
    std::fprintf(stderr, "plumo-capture: %s%s\n", line, note.c_str());
  }
  std::fflush(stderr);
}

}  // namespace capture
