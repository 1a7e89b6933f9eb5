// Where the settings file is, the geometry line, and writing it: the rest of
// the file kept, its folder made when missing, a folder that refuses said
// once, and a writer killed at any moment leaving a whole file.
#include "platform/native/config_file.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config_folder.h"
#include "platform/native/command_line.h"

namespace {

using core::WindowPlace;

// Sets an environment variable for one scope, as it was afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(DefaultConfigPath, FollowsTheBaseDirectoryRules) {
  ScopedVariable home("HOME", "/home/someone");
  {
    ScopedVariable config("XDG_CONFIG_HOME", "/tmp/elsewhere");
    EXPECT_EQ(native::DefaultConfigPath(), "/tmp/elsewhere/plumo/plumo.ini");
  }
  {
    ScopedVariable config("XDG_CONFIG_HOME", "relative/config");  // ignored, as the rules say
    EXPECT_EQ(native::DefaultConfigPath(), "/home/someone/.config/plumo/plumo.ini");
  }
  ScopedVariable config("XDG_CONFIG_HOME", "");
  EXPECT_EQ(native::DefaultConfigPath(), "/home/someone/.config/plumo/plumo.ini");
  ScopedVariable noHome("HOME", nullptr);
  EXPECT_EQ(native::DefaultConfigPath(), "");
}

TEST(Geometry, ReadsWhatItWrites) {
  for (const WindowPlace& place :
       {WindowPlace{0, 0, 640, 480, false}, WindowPlace{100, 50, 800, 600, true},
        WindowPlace{-1280, -4, 1, 1, true}, WindowPlace{0, 0, 3840, 2160, true}}) {
    const std::string text = native::FormatGeometry(place);
    WindowPlace read;
    ASSERT_TRUE(native::ParseGeometry(text, &read)) << text;
    EXPECT_EQ(read.x, place.x) << text;
    EXPECT_EQ(read.y, place.y) << text;
    EXPECT_EQ(read.width, place.width) << text;
    EXPECT_EQ(read.height, place.height) << text;
    EXPECT_EQ(read.positioned, place.positioned) << text;
  }
  EXPECT_EQ(native::FormatGeometry(WindowPlace{-10, 20, 800, 600, true}), "800x600-10+20");
}

TEST(Geometry, RefusesAnythingElse) {
  WindowPlace place;
  for (const char* bad :
       {"", "800", "800x", "x600", "0x480", "640x0", "-640x480", "640x480+1", "640x480+1+",
        "640x480 +1+2", "640x480+1+2+3", "640X480", "1234567x1", "640x480+a+b"})
    EXPECT_FALSE(native::ParseGeometry(bad, &place)) << '"' << bad << '"';
}

TEST(WithGeometry, SetsTheTopLevelLineAndKeepsEveryOtherAsItWas) {
  EXPECT_EQ(native::WithGeometry("", "1x2"), "geometry = 1x2\n");
  EXPECT_EQ(native::WithGeometry("# mine\nscale = integer", "1x2"),
            "# mine\nscale = integer\ngeometry = 1x2\n");
  EXPECT_EQ(native::WithGeometry(
                "scale=integer\n  geometry=5x5\nfilter = nearest\ngeometry = 6x6\n", "1x2"),
            "scale=integer\ngeometry = 1x2\nfilter = nearest\n")
      << "in the place of the first, the others gone";
  EXPECT_EQ(native::WithGeometry("scale = fit\n[notes]\ngeometry = mine\n", "1x2"),
            "scale = fit\ngeometry = 1x2\n[notes]\ngeometry = mine\n")
      << "a section's lines are not the program's";
  EXPECT_EQ(native::WithGeometry("; geometry = 5x5\ngeometries = 3\n", "1x2"),
            "; geometry = 5x5\ngeometries = 3\ngeometry = 1x2\n");
}

// The options the program reads back from a settings file.
core::Options ReadBack(const std::string& path, std::string* said) {
  std::string program = "plumo";
  char* argv[] = {&program[0]};
  core::Options options;
  native::Settings settings{path};
  ::testing::internal::CaptureStderr();
  native::ParseCommandLine(1, argv, &options, &settings);
  *said = ::testing::internal::GetCapturedStderr();
  return options;
}

TEST(RememberGeometry, MakesTheMissingFoldersAndKeepsTheUsersLines) {
  ConfigFolder folder;
  const std::string path = folder.path + "/config/plumo/plumo.ini";
  ASSERT_TRUE(native::RememberGeometry(path, WindowPlace{7, 8, 900, 700, true}));
  struct stat info {};
  ASSERT_EQ(stat((folder.path + "/config/plumo").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u) << "a new folder is private";

  std::ofstream(path, std::ios::app) << "# my own\nscale = integer\n";
  ASSERT_TRUE(native::RememberGeometry(path, WindowPlace{0, 0, 1000, 500, false}));
  std::string said;
  const core::Options options = ReadBack(path, &said);
  EXPECT_EQ(said, "");
  EXPECT_EQ(options.windowPlace.width, 1000);
  EXPECT_FALSE(options.windowPlace.positioned);
  EXPECT_EQ(options.scale, core::Scale::kInteger);
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), "geometry = 1000x500\n# my own\nscale = integer\n");
}

TEST(RememberGeometry, ALinkedFileStaysALink) {
  ConfigFolder folder;
  folder.Write("filter = nearest\n", "real.ini");
  const std::string link = folder.File("plumo.ini");
  ASSERT_EQ(symlink(folder.File("real.ini").c_str(), link.c_str()), 0);
  ASSERT_TRUE(native::RememberGeometry(link, WindowPlace{0, 0, 320, 240, false}));
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(folder.Read("real.ini"), "filter = nearest\ngeometry = 320x240\n");
}

// Runs `body` in a child process (with its own once-said lines), as a user
// who may not write where root could when `unprivileged`, and returns its
// exit status and what it said.
int InChild(const std::function<int()>& body, std::string* said, bool unprivileged) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    close(pipeFds[0]);
    if (unprivileged && geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(99);
    }
    _exit(body());
  }
  close(pipeFds[1]);
  char buffer[512];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    said->append(buffer, static_cast<size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RememberGeometry, AFolderThatRefusesIsSaidOnceAndTheFileLeftAlone) {
  ConfigFolder folder;
  folder.Write("scale = integer\n");
  ASSERT_EQ(chmod(folder.path.c_str(), 0555), 0);
  const std::string path = folder.File();
  std::string said;
  const int status = InChild(
      [&] {
        const bool first = native::RememberGeometry(path, WindowPlace{0, 0, 640, 480, false});
        const bool second = native::RememberGeometry(path, WindowPlace{0, 0, 800, 600, false});
        return first || second ? 1 : 0;
      },
      &said, /*unprivileged=*/true);
  ASSERT_NE(status, 99) << "cannot become nobody";
  EXPECT_EQ(status, 0) << "written into a read-only folder";
  EXPECT_EQ(said.rfind("plumo: " + path + ": cannot remember the window's place: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said more than once:\n" << said;
  EXPECT_EQ(folder.Read(), "scale = integer\n");
}

TEST(RememberGeometry, AFileWhereTheFolderShouldBeIsSaid) {
  ConfigFolder folder;
  folder.Write("", "plumo");
  std::string said;
  const std::string path = folder.path + "/plumo/plumo.ini";
  const int status = InChild(
      [&] {
        return native::RememberGeometry(path, WindowPlace{0, 0, 640, 480, false}) ? 1 : 0;
      },
      &said, /*unprivileged=*/false);
  EXPECT_EQ(status, 0);
  EXPECT_NE(said.find("Not a directory"), std::string::npos) << said;
}

// A writer killed at any moment of writing: the file it leaves is whole, the
// old one or the new one, never a part. The user's lines make the file large
// enough that a write takes a while.
TEST(RememberGeometry, AWriterKilledMidWriteLeavesAWholeFile) {
  ConfigFolder folder;
  std::string userLines;
  for (int i = 0; i < 3000; ++i)
    userLines += "# a note of the user's, line " + std::to_string(i) + "\n";
  userLines += "scale = integer\n";
  folder.Write(userLines);
  const std::string path = folder.File();
  for (int round = 0; round < 20; ++round) {
    const pid_t writer = fork();
    if (writer == 0) {
      for (int i = 1;; ++i)
        native::RememberGeometry(path, WindowPlace{i, i, 100 + i, 100 + i, true});
    }
    // Killed somewhere in its writes: each round a little later.
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + 1500 * round));
    kill(writer, SIGKILL);
    int status = 0;
    waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::string said;
    const core::Options options = ReadBack(path, &said);
    ASSERT_EQ(said, "") << "round " << round;
    const WindowPlace& place = options.windowPlace;
    if (!place.Known()) {
      ASSERT_EQ(folder.Read(), userLines) << "round " << round << ": neither old nor new";
      continue;
    }
    ASSERT_TRUE(place.x == place.y && place.width == 100 + place.x && place.height == place.width)
        << "round " << round << ": a geometry no write wrote";
    ASSERT_EQ(folder.Read(), native::WithGeometry(userLines, native::FormatGeometry(place)))
        << "round " << round;
  }
}

}  // namespace
