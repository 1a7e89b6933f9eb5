// The present without GL (PLUMO_PRESENTATION=shm: scaled on the CPU, put by
// the X server) against the GL blit it stands in for, on this X server and
// Mesa: the same window, bars and all, within one level per channel with
// linear filtering and identical with nearest; and the GL state left as the
// GL present leaves it.
#define GL_GLEXT_PROTOTYPES 1

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "layer_fixture.h"
#include "platform/core/options.h"
#include "x_session.h"

namespace {

using core::Presentation;
using core::Scale;

class PresentPaths : public GlWindowTest {
 protected:
  // The demo's window in the virtual 640x480x16 mode: covering the 1024x768
  // screen, or (`windowed`) in a window of its own.
  void Open(const char* title, bool windowed) {
    title_ = title;
    core::LayerOptions().window = windowed;
    hwnd = CreateWithFormat(16, 8, 0, &hdc, title);
    ASSERT_NE(hwnd, nullptr);
    hglrc = wglCreateContext(hdc);
    ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    DEVMODEA mode = Mode(640, 480, 16);
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    const int covered = windowed ? 640 : 1024;
    ASSERT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow(title).width == covered; }));
    DrawNoise();
  }

  // Every pixel unlike its neighbours: the hardest picture to scale alike.
  // (At a window position: the layer may draw with the origin at the top.)
  void DrawNoise() {
    std::vector<uint16_t> noise(640 * 480);
    std::mt19937 random(12345);
    for (uint16_t& pixel : noise) pixel = static_cast<uint16_t>(random());
    glWindowPos2i(0, 0);
    glDrawPixels(640, 480, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, noise.data());
  }

  // The window as shown once presents of the same picture have reached the
  // screen (two reads alike), presented the way `presentation` says.
  std::vector<uint32_t> Shown(Presentation presentation) {
    core::LayerOptions().presentation = presentation;
    const xtest::WindowInfo window = xtest::Current().FindWindow(title_);
    width = window.width;
    height = window.height;
    std::vector<uint32_t> last;
    for (int attempt = 0; attempt < 50; ++attempt) {
      EXPECT_TRUE(SwapBuffers(hdc));
      PumpFor(40);
      std::vector<uint32_t> now = xtest::Current().Pixels(window.id, width, height);
      if (!now.empty() && now == last) return now;
      last = std::move(now);
    }
    ADD_FAILURE() << "the window never settled";
    return last;
  }

  // Both ways; `filter` names the case in failures.
  void ExpectAlike(Scale scale, bool linear, const std::string& what) {
    core::LayerOptions().scale = scale;
    core::LayerOptions().linear = linear;
    const std::vector<uint32_t> gl = Shown(Presentation::kGl);
    testing::internal::CaptureStderr();
    const std::vector<uint32_t> shared = Shown(Presentation::kShared);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << what << ": not presented without GL";
    ASSERT_EQ(gl.size(), shared.size()) << what;
    int largest = 0;
    size_t differing = 0;
    size_t lit = 0;
    for (size_t i = 0; i < gl.size(); ++i) {
      int most = 0;
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((gl[i] >> shift) & 0xFF);
        const int b = static_cast<int>((shared[i] >> shift) & 0xFF);
        most = std::max(most, std::abs(a - b));
      }
      largest = std::max(largest, most);
      differing += most != 0;
      lit += gl[i] != 0;
    }
    EXPECT_GT(lit, gl.size() / 4) << what << ": the GL present showed no picture";
    EXPECT_LE(largest, linear ? 1 : 0)
        << what << " in " << width << "x" << height << ": " << differing << " pixels differ";
  }

  int width = 0;
  int height = 0;

 private:
  std::string title_;
};

TEST_F(PresentPaths, CoveringTheScreenBothShowTheSamePicture) {
  Open("Paths Covering", false);
  // 1024x768: fit and stretch scale by 1.6, integer is 640x480 between bars.
  ExpectAlike(Scale::kFit, true, "fit, linear");
  ExpectAlike(Scale::kFit, false, "fit, nearest");
  ExpectAlike(Scale::kStretch, true, "stretch, linear");
  ExpectAlike(Scale::kInteger, false, "integer");
}

TEST_F(PresentPaths, InAResizedWindowBothShowTheSamePictureAndBars) {
  Open("Paths Window", true);
  const unsigned long id = xtest::Current().FindWindow("Paths Window").id;
  ASSERT_EQ(xtest::Xdotool("windowmove " + std::to_string(id) + " 0 0"), 0);  // all on the screen
  xtest::Current().Resize(id, 1000, 600);
  ASSERT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Paths Window").width == 1000; }));
  // Fit is 800x600 between bars left and right; integer 640x480 in the middle.
  ExpectAlike(Scale::kFit, true, "fit, linear");
  ExpectAlike(Scale::kStretch, true, "stretch, linear");
  ExpectAlike(Scale::kInteger, false, "integer");
  // Taller: what was picture at the top is a bar now, on both paths.
  xtest::Current().Resize(id, 1000, 700);
  ASSERT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Paths Window").height == 700; }));
  ExpectAlike(Scale::kFit, true, "fit, linear, after a resize");
  ExpectAlike(Scale::kInteger, false, "integer, after a resize");
}

// 640 columns shown as 800: the centre of column 2 is at 2.5 * 0.8 = 2.0,
// between picture columns 1 and 2, where llvmpipe takes either as its float
// rounding falls.
TEST_F(PresentPaths, NearestWithCentresOnPictureBoundariesIsLeftToGl) {
  Open("Paths Boundary", true);
  const unsigned long id = xtest::Current().FindWindow("Paths Boundary").id;
  ASSERT_EQ(xtest::Xdotool("windowmove " + std::to_string(id) + " 0 0"), 0);  // all on the screen
  xtest::Current().Resize(id, 1000, 600);
  ASSERT_TRUE(
      PumpUntil([&] { return xtest::Current().FindWindow("Paths Boundary").width == 1000; }));
  core::LayerOptions().linear = false;
  testing::internal::CaptureStderr();
  Shown(Presentation::kShared);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "plumo: SwapBuffers: nearest scaling to this size is left to GL; presenting with GL\n");
}

// As Presentation.ThePictureIsFittedWithBarsAndTheDemosGlStateLeftAlone does
// for the GL present: the read-back touches the pack state and bindings.
TEST_F(PresentPaths, PresentingWithoutGlLeavesTheDemosGlStateAlone) {
  Open("Paths State", false);
  core::LayerOptions().presentation = Presentation::kShared;
  auto packState = [] {
    std::vector<GLint> state;
    for (GLenum name : {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS,
                        GL_PACK_SKIP_PIXELS, GL_PACK_SWAP_BYTES, GL_READ_FRAMEBUFFER_BINDING,
                        GL_DRAW_FRAMEBUFFER_BINDING, GL_PIXEL_PACK_BUFFER_BINDING}) {
      GLint value = -1;
      glGetIntegerv(name, &value);
      state.push_back(value);
    }
    return state;
  };
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  glPixelStorei(GL_PACK_ROW_LENGTH, 700);
  glPixelStorei(GL_PACK_SKIP_ROWS, 3);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 5);
  glPixelStorei(GL_PACK_SWAP_BYTES, GL_TRUE);
  const std::vector<GLint> before = packState();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(SwapBuffers(hdc));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "not presented without GL";
  EXPECT_EQ(packState(), before);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // And a pending error of the demo's stays the demo's.
  glEnable(0xFFFF);
  ASSERT_TRUE(SwapBuffers(hdc));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
}

}  // namespace
