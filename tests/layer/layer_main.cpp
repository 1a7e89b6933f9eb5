// The layer tests run against a private Xvfb: a 1024x768 screen at 24 bits
// that also offers a 640x480 mode, so a real switch and restore can be seen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "scenarios.h"
#include "x_session.h"

namespace {

void StopSession() { xtest::Current().Stop(); }

class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(xtest::Current().Start(1024, 768, 24)) << "cannot start Xvfb";
    // Registered before the layer opens the display, so it runs after the
    // layer's own exit hook has let go of the server.
    std::atexit(StopSession);
    ASSERT_TRUE(xtest::Current().AddMode(640, 480)) << "Xvfb refused an extra RandR mode";
  }
};

}  // namespace

int main(int argc, char** argv) {
  // A scenario runs in a child process on the parent's display.
  if (argc == 3 && std::strcmp(argv[1], "--scenario") == 0) return RunScenario(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);
  return RUN_ALL_TESTS();
}
