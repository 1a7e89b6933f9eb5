#include "gl_session.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "private_xvfb.h"

namespace fonts_test {
namespace {

struct Session {
  std::unique_ptr<testsupport::PrivateXvfb> xvfb;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool tried = false;
};

Session& State() {
  static Session session;
  return session;
}

bool StartSession(Session* session) {
  session->tried = true;
  session->xvfb = std::make_unique<testsupport::PrivateXvfb>(640, 480, 24);
  if (!session->xvfb->Running()) return false;
  setenv("DISPLAY", session->xvfb->Display().c_str(), 1);
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
    session = Session{};
  }
};

}  // namespace

bool UseGl() {
  Session& session = State();
  if (!session.tried && !StartSession(&session))
    ADD_FAILURE() << "no GL context on Xvfb: "
                  << (session.xvfb->Running() ? SDL_GetError() : session.xvfb->Error().c_str());
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
