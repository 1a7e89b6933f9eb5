#include "private_xvfb.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#ifndef PLUMO_PRIVATE_XVFB
#error "the build names tests/services/private_xvfb.py and the Python that runs it"
#endif

extern char** environ;

namespace testsupport {

PrivateXvfb::PrivateXvfb(int width, int height, int depth) {
  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return;
  }
  const std::string screen =
      std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  std::vector<std::string> args{PLUMO_PYTHON, PLUMO_PRIVATE_XVFB, "--screen", screen};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const int spawned = posix_spawn(&helper, PLUMO_PYTHON, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  input = in[1];
  if (spawned != 0) {
    helper = -1;
    error = std::string(PLUMO_PYTHON) + ": " + std::strerror(spawned);
    close(out[0]);
    return;
  }
  // One line once the server accepts clients, or the end of the output when
  // the helper gave up (it waits for the server at most 30 s).
  for (;;) {
    char c = 0;
    const ssize_t n = read(out[0], &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n != 1 || c == '\n') break;
    display += c;
  }
  close(out[0]);
  if (display.rfind(':', 0) != 0) {
    error = "Xvfb did not start (tests/services/private_xvfb.py printed '" + display + "')";
    display.clear();
  }
}

void PrivateXvfb::Stop() {
  if (input >= 0) close(input);
  input = -1;
  if (helper > 0) {
    while (waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  helper = -1;
  display.clear();
}

}  // namespace testsupport
