#include "capture_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef PLUMO_CAPTURE_PROGRAM
#error "the build names the capture program"
#endif

extern char** environ;

namespace render_test {

namespace {

std::string TempRoot() {
  const char* root = std::getenv("PLUMO_RENDER_TMP");
  if (root && *root) return root;
  return std::filesystem::temp_directory_path().string();
}

std::vector<std::string> ChildEnvironment(const RunOptions& options) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  // Headless unless the test gives a display.
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) variables.erase(name);
  // Under the sanitizers the child's exit runs through the system's GL stack
  // (Mesa's drivers, fontconfig), whose allocations at exit are not ours and
  // cannot be told apart once the driver is unloaded. The tool's own parts are
  // leak-checked in this process, which links them.
  auto asan = variables.find("ASAN_OPTIONS");
  if (asan != variables.end()) asan->second += ":detect_leaks=0";
  for (const auto& [name, value] : options.environment) variables[name] = value;
  std::vector<std::string> out;
  for (const auto& [name, value] : variables) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>* strings) {
  std::vector<char*> pointers;
  for (std::string& s : *strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string CaptureProgram() {
  return PLUMO_CAPTURE_PROGRAM;
}

std::vector<std::string> RunResult::ErrorLines() const {
  std::vector<std::string> lines;
  std::istringstream in(err);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("plumo: ", 0) != 0) lines.push_back(line);
  return lines;
}

RunResult RunCapture(const std::vector<std::string>& args, const RunOptions& options) {
  TempFolder streams;
  const std::string outPath = streams / "stdout";
  const std::string errPath = streams / "stderr";
  std::vector<std::string> argv{CaptureProgram()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = ChildEnvironment(options);
  std::vector<char*> argvPointers = Pointers(&argv);
  std::vector<char*> envPointers = Pointers(&env);

  RunResult result;
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) _exit(126);
    if (options.fileSizeLimit > 0) {
      // A write past the limit then fails with EFBIG instead of killing.
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                   static_cast<rlim_t>(options.fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    execve(argvPointers[0], argvPointers.data(), envPointers.data());
    _exit(127);
  }
  if (child < 0) {
    result.err = std::string("fork: ") + std::strerror(errno);
    return result;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

TempFolder::TempFolder() {
  std::string pattern = TempRoot() + "/plumo-render-XXXXXX";
  if (mkdtemp(pattern.data())) path = pattern;
}

TempFolder::~TempFolder() {
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace render_test
