#include "gl_session.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fonts_test {
namespace {

struct Session {
  pid_t xvfb = 0;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool tried = false;
};

Session& State() {
  static Session session;
  return session;
}

// Xvfb writes its display number to the descriptor once it accepts clients.
pid_t StartXvfb(std::string* display) {
  int ready[2];
  if (pipe(ready) != 0) return 0;
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a crashed test
    close(ready[0]);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    const std::string fd = std::to_string(ready[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ready[1]);
  FILE* in = fdopen(ready[0], "r");
  int number = -1;
  if (!in || std::fscanf(in, "%d", &number) != 1) number = -1;
  if (in) std::fclose(in);
  if (number < 0 && pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  *display = ":" + std::to_string(number);
  return number < 0 ? 0 : pid;
}

bool StartSession(Session* session) {
  session->tried = true;
  std::string display;
  session->xvfb = StartXvfb(&display);
  if (!session->xvfb) return false;
  setenv("DISPLAY", display.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  session->window = SDL_CreateWindow("plumo font tests", 0, 0, kWidth, kHeight,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (session->window) session->context = SDL_GL_CreateContext(session->window);
  return session->context != nullptr;
}

class SessionEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    Session& session = State();
    if (session.context) SDL_GL_DeleteContext(session.context);
    if (session.window) SDL_DestroyWindow(session.window);
    if (session.tried) SDL_Quit();
    if (session.xvfb > 0) {
      kill(session.xvfb, SIGTERM);
      waitpid(session.xvfb, nullptr, 0);
    }
    session = Session{};
  }
};

}  // namespace

bool UseGl() {
  Session& session = State();
  if (!session.tried && !StartSession(&session))
    ADD_FAILURE() << "no GL context on Xvfb: " << SDL_GetError();
  if (!session.context) return false;
  SDL_GL_MakeCurrent(session.window, session.context);
  return true;
}

void DropContext() {
  SDL_GL_MakeCurrent(State().window, nullptr);
}

void RestoreContext() {
  SDL_GL_MakeCurrent(State().window, State().context);
}

void PixelSpace() {
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kWidth, 0, kHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
}

std::vector<uint8_t> ReadBack() {
  std::vector<uint8_t> pixels(kWidth * kHeight);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_RED, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace fonts_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new fonts_test::SessionEnvironment);
  return RUN_ALL_TESTS();
}
