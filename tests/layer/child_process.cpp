#include "child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace xtest {
namespace {

std::vector<char*> Environment(bool withDisplay) {
  std::vector<char*> result;
  for (char** entry = environ; *entry; ++entry) {
    if (!withDisplay && (std::strncmp(*entry, "DISPLAY=", 8) == 0 ||
                         std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) == 0))
      continue;
    result.push_back(*entry);
  }
  result.push_back(nullptr);
  return result;
}

}  // namespace

Child Spawn(const std::string& program, const std::vector<std::string>& arguments,
            bool withDisplay, bool captureStderr) {
  Child child;
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> env = Environment(withDisplay);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int fds[2] = {-1, -1};
  if (captureStderr && pipe(fds) == 0) {
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data()) == 0)
    child.pid = pid;
  posix_spawn_file_actions_destroy(&actions);
  if (fds[1] >= 0) close(fds[1]);
  child.stderrFd = fds[0];
  return child;
}

int WaitForExit(Child& child, int milliseconds) {
  if (child.pid <= 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int status = 0;
  while (waitpid(child.pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child.pid, SIGKILL);
      waitpid(child.pid, &status, 0);
      child.pid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  child.pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadStderr(Child& child) {
  std::string text;
  if (child.stderrFd < 0) return text;
  char buffer[512];
  ssize_t count;
  while ((count = read(child.stderrFd, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(count));
  close(child.stderrFd);
  child.stderrFd = -1;
  return text;
}

std::string SelfPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

}  // namespace xtest
