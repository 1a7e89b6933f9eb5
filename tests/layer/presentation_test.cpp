// The presentation on a real X server: the picture scaled into the window
// with the demo's GL state left alone, virtual display modes that never
// touch the screen's, the pointer in client coordinates, and the layer's own
// keys (Alt+Enter, F12).
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "layer_fixture.h"
#include "platform/core/options.h"
#include "x_session.h"

namespace {

class Presentation : public GlWindowTest {
 protected:
  // A shown 320x240 popup of the demo's pixel format, its context current.
  HWND Open(const char* title) {
    hwnd = CreateWithFormat(16, 8, 0, &hdc, title);
    if (!hwnd) return nullptr;
    hglrc = wglCreateContext(hdc);
    if (!wglMakeCurrent(hdc, hglrc)) return nullptr;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    return hwnd;
  }

  // Clears the picture to a colour (no scissor) and presents it.
  void Show(float red, float green, float blue) {
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(SwapBuffers(hdc));
  }

  // Until the X server shows `colour` at (x, y) of the window.
  bool Shows(const char* title, int x, int y, unsigned long colour) {
    return PumpUntil([&] {
      const xtest::WindowInfo window = xtest::Current().FindWindow(title);
      Show(0.0f, 1.0f, 0.0f);
      return window.found && xtest::Current().Pixel(window.id, x, y) == colour;
    });
  }
};

// Every piece of GL state the present touches, and some it must not.
std::vector<double> GlState() {
  std::vector<double> state;
  auto integers = [&](GLenum name, int count) {
    GLint values[4] = {};
    glGetIntegerv(name, values);
    state.insert(state.end(), values, values + count);
  };
  auto floats = [&](GLenum name, int count) {
    GLfloat values[4] = {};
    glGetFloatv(name, values);
    state.insert(state.end(), values, values + count);
  };
  integers(GL_VIEWPORT, 4);
  integers(GL_SCISSOR_BOX, 4);
  integers(GL_COLOR_WRITEMASK, 4);
  floats(GL_COLOR_CLEAR_VALUE, 4);
  integers(GL_DRAW_FRAMEBUFFER_BINDING, 1);
  integers(GL_READ_FRAMEBUFFER_BINDING, 1);
  integers(GL_RENDERBUFFER_BINDING, 1);
  integers(GL_DRAW_BUFFER, 1);
  integers(GL_READ_BUFFER, 1);
  integers(GL_PACK_ALIGNMENT, 1);
  integers(GL_MATRIX_MODE, 1);
  floats(GL_CURRENT_COLOR, 4);
  for (GLenum capability : {GL_SCISSOR_TEST, GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_DITHER})
    state.push_back(glIsEnabled(capability));
  return state;
}

TEST_F(Presentation, ThePictureIsFittedWithBarsAndTheDemosGlStateLeftAlone) {
  core::LayerOptions().window = true;  // a window the test can resize
  ASSERT_NE(Open("Layer Present"), nullptr);
  DEVMODEA mode = Mode(640, 480, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Layer Present").width == 640; }));
  const unsigned long id = xtest::Current().FindWindow("Layer Present").id;
  xtest::Current().Resize(id, 1000, 600);
  // All of it on the screen, where the X server can read it back.
  ASSERT_EQ(xtest::Xdotool("windowmove " + std::to_string(id) + " 0 0"), 0);
  // 640x480 fitted into 1000x600 is 800x600, from x = 100.
  ASSERT_TRUE(Shows("Layer Present", 500, 300, 0x00FF00ul));
  // A frame presented before the layer heard of the resize is still the
  // old size's (the present without GL reaches the screen on a connection of
  // its own, a little later): the next ones have the bars.
  ASSERT_TRUE(Shows("Layer Present", 98, 300, 0x000000ul));
  const xtest::WindowInfo window = xtest::Current().FindWindow("Layer Present");
  EXPECT_EQ(window.width, 1000);
  EXPECT_EQ(window.height, 600);
  EXPECT_EQ(xtest::Current().Pixel(window.id, 101, 5), 0x00FF00ul);
  EXPECT_EQ(xtest::Current().Pixel(window.id, 98, 300), 0x000000ul) << "the bar";
  EXPECT_EQ(xtest::Current().Pixel(window.id, 901, 300), 0x000000ul);

  // The demo's state, all of it unlike what the present sets.
  glViewport(10, 20, 30, 40);
  glScissor(1, 2, 3, 4);
  glEnable(GL_SCISSOR_TEST);
  glClearColor(0.25f, 0.5f, 0.75f, 0.5f);
  glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glPixelStorei(GL_PACK_ALIGNMENT, 2);
  glMatrixMode(GL_TEXTURE);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  const std::vector<double> before = GlState();
  ASSERT_TRUE(SwapBuffers(hdc));
  EXPECT_EQ(GlState(), before);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Drawn as the demo draws its grid, through its viewport and projection.
// (The picture may be stored either way up; it must come out upright. The
// captions' bitmap lists are checked frame by frame in tests/render.)
TEST_F(Presentation, ThePictureComesOutUpright) {
  ASSERT_NE(Open("Layer Upright"), nullptr);
  glViewport(0, 0, 320, 240);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 0, 0);
  glBegin(GL_QUADS);  // the upper half, in the default projection
  glVertex2f(-1, 0);
  glVertex2f(1, 0);
  glVertex2f(1, 1);
  glVertex2f(-1, 1);
  glEnd();
  ASSERT_TRUE(SwapBuffers(hdc));
  const unsigned long window = xtest::Current().FindWindow("Layer Upright").id;
  EXPECT_TRUE(PumpUntil([&] { return xtest::Current().Pixel(window, 160, 10) == 0xFF0000ul; }));
  EXPECT_EQ(xtest::Current().Pixel(window, 160, 230), 0x0000FFul);
}

// Before its first frame a window shows black, not what lies beneath it (a
// window manager's frame, white under openbox).
TEST_F(Presentation, AWindowNotYetPresentedIsBlack) {
  const unsigned long beneath = xtest::Current().MapWhiteWindow(400, 300);
  ShowWindow(CreatePopup(320, 240, "Layer Unpainted"), SW_SHOWNORMAL);
  const unsigned long window = xtest::Current().FindWindow("Layer Unpainted").id;
  EXPECT_TRUE(PumpUntil([&] { return xtest::Current().Pixel(window, 160, 120) == 0x000000ul; }));
  xtest::Current().DestroyOwnWindow(beneath);
}

TEST_F(Presentation, AVirtualModeGivesTheWindowTheModesSizeAndLeavesTheScreenAlone) {
  ASSERT_NE(Open("Layer Virtual"), nullptr);
  const size_t mark = deliveries.size();
  DEVMODEA mode = Mode(800, 600, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(LastLParam(hwnd, WM_SIZE, mark), MAKELPARAM(800, 600));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  RECT client{};
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  DEVMODEA current{};
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
  EXPECT_EQ(current.dmPelsWidth, 800u);
  EXPECT_EQ(current.dmBitsPerPel, 16u);
  EXPECT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Layer Virtual").width == 1024; }))
      << "the window covers the screen";
  PumpFor(200);
  EXPECT_EQ(LastLParam(hwnd, WM_SIZE, mark), MAKELPARAM(800, 600))
      << "the covering reached WM_SIZE";
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024) << "the real mode changed";
  EXPECT_EQ(xtest::Current().ModeHeight(), 768);

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(LastLParam(hwnd, WM_SIZE), MAKELPARAM(320, 240));
  EXPECT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Layer Virtual").width == 320; }));
}

TEST_F(Presentation, AnUnlistedModeIsRefusedInOneLine) {
  ASSERT_NE(Open("Layer Refused"), nullptr);
  DEVMODEA mode = Mode(720, 400, 16);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  const std::string text = testing::internal::GetCapturedStderr();
  EXPECT_EQ(text, "plumo: ChangeDisplaySettingsA: no display mode 720x400 at 16 bits per pixel\n");
  mode = Mode(640, 480, 24);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(Presentation, EnumDisplaySettingsListsTheVirtualModes) {
  std::vector<std::string> modes;
  DEVMODEA mode{};
  for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
    EXPECT_EQ(mode.dmSize, sizeof mode);
    EXPECT_EQ(mode.dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL),
              static_cast<DWORD>(DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL));
    modes.push_back(std::to_string(mode.dmPelsWidth) + "x" + std::to_string(mode.dmPelsHeight) +
                    "x" + std::to_string(mode.dmBitsPerPel));
  }
  // The desktop is 1024x768, one of the classic sizes.
  EXPECT_EQ(modes, (std::vector<std::string>{"640x480x16", "800x600x16", "1024x768x16",
                                             "640x480x32", "800x600x32", "1024x768x32"}));
}

TEST_F(Presentation, PointerPositionsArriveInClientCoordinatesClampedToThePicture) {
  ASSERT_NE(Open("Layer Pointer"), nullptr);
  core::LayerOptions().scale = core::Scale::kInteger;  // 640x480 at (192, 144)
  DEVMODEA mode = Mode(640, 480, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_TRUE(
      PumpUntil([&] { return xtest::Current().FindWindow("Layer Pointer").width == 1024; }));
  PumpFor(100);
  auto lastAt = [&](UINT message) { return LastLParam(hwnd, message); };
  ASSERT_EQ(xtest::Xdotool("mousemove 831 623 click 1"), 0);  // the picture's last pixel
  ASSERT_TRUE(PumpUntil([&] { return lastAt(WM_LBUTTONUP) != -1; }));
  EXPECT_EQ(lastAt(WM_LBUTTONDOWN), MAKELPARAM(639, 479));
  EXPECT_TRUE(Retrieved(hwnd, WM_LBUTTONDOWN, MK_LBUTTON));
  EXPECT_TRUE(Retrieved(hwnd, WM_LBUTTONUP, 0));
  ASSERT_EQ(xtest::Xdotool("mousemove 1000 20"), 0);  // on the bar to the top right
  ASSERT_TRUE(PumpUntil([&] { return lastAt(WM_MOUSEMOVE) == MAKELPARAM(639, 0); }));
  ASSERT_EQ(xtest::Xdotool("mousemove 192 144 click 3"), 0);
  ASSERT_TRUE(PumpUntil([&] { return lastAt(WM_RBUTTONUP) == MAKELPARAM(0, 0); }));
}

std::vector<std::string> Pictures(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (std::string(entry->d_name).rfind("plumo-", 0) == 0) names.push_back(entry->d_name);
    closedir(dir);
  }
  return names;
}

TEST_F(Presentation, F12SavesThePictureAndAltEnterTogglesTheWindowNeitherReachingTheDemo) {
  const std::string folder = ::testing::TempDir() + "plumo-pictures-" + std::to_string(getpid());
  ASSERT_EQ(system(("mkdir -p " + folder).c_str()), 0);
  setenv("XDG_PICTURES_DIR", folder.c_str(), 1);
  core::LayerOptions().window = true;
  ASSERT_NE(Open("Layer Keys"), nullptr);
  DEVMODEA mode = Mode(640, 480, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Layer Keys").width == 640; }));
  Show(1.0f, 0.0f, 0.0f);

  testing::internal::CaptureStderr();
  ASSERT_EQ(xtest::Xdotool("key F12"), 0);
  const bool saved = PumpUntil([&] { return !Pictures(folder).empty(); });
  const std::string text = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(saved) << text;
  const std::vector<std::string> names = Pictures(folder);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].size(), std::string("plumo-20260101-120000.png").size()) << names[0];
  EXPECT_EQ(text, "plumo: F12: saved the picture as " + folder + "/" + names[0] + "\n");
  // The PNG's header: 640x480, 8-bit RGB, whatever the window's size.
  std::ifstream png(folder + "/" + names[0], std::ios::binary);
  unsigned char header[26] = {};
  png.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19], 640);
  EXPECT_EQ((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23], 480);
  EXPECT_EQ(header[24], 8);
  EXPECT_EQ(header[25], 2);

  ASSERT_EQ(xtest::Xdotool("key alt+Return"), 0);
  EXPECT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Layer Keys").width == 1024; }));
  ASSERT_EQ(xtest::Xdotool("key alt+Return"), 0);
  EXPECT_TRUE(PumpUntil([&] { return xtest::Current().FindWindow("Layer Keys").width == 640; }));
  ASSERT_EQ(xtest::Xdotool("key a"), 0);
  ASSERT_TRUE(PumpUntil([&] { return Retrieved(hwnd, WM_KEYUP, 'A'); }));
  for (const MSG& msg : retrieved) {
    EXPECT_NE(msg.wParam, static_cast<WPARAM>(0x7B)) << "F12 reached the window: " << msg.message;
    EXPECT_NE(msg.wParam, static_cast<WPARAM>(VK_RETURN)) << "Return reached the window";
  }
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640) << "toggling is not a mode change";
  unsetenv("XDG_PICTURES_DIR");
  system(("rm -rf " + folder).c_str());
}

}  // namespace
