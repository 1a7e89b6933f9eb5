// The font calls running out of memory: each allocation a call makes fails
// in turn, and the call gives its Win32 failure value, never an exception,
// and leaves the selection, the caller's GL state and the private font files
// as they were. (Under the sanitizers, what a failed call leaks is reported
// at exit.)
#include "failing_allocation.h"
#include "freetype_reference.h"
#include "platform/core/fonts.h"

namespace fonts_test {
namespace {

using failing_allocation::FailEachAllocation;

TEST(OutOfMemory, CreateFontAAndSelectObject) {
  EXPECT_GT(FailEachAllocation<HFONT>(
                "CreateFontA", nullptr, [] { return MakeFont("Arial", -30, FW_BOLD); }, nullptr,
                [](HFONT font) { DeleteObject(font); }),
            0);

  const HDC dc = reinterpret_cast<HDC>(0x0de);
  HFONT font = MakeFont("Arial", -30, FW_BOLD);
  const HGDIOBJ stock = core::SelectedObject(dc);
  EXPECT_GT(FailEachAllocation<HGDIOBJ>(
                "SelectObject", nullptr, [&] { return SelectObject(dc, font); },
                [&] { return core::SelectedObject(dc) == stock; },
                [&](HGDIOBJ previous) { SelectObject(dc, previous); }),
            0);
  // The failed selections were never counted: the font goes at once.
  ASSERT_TRUE(DeleteObject(font));
  native::fonts::FontDescription gone;
  EXPECT_FALSE(native::fonts::DescribeFont(font, &gone));
}

TEST(OutOfMemory, GlyphListsKeepTheCallersUnpackState) {
  ASSERT_TRUE(UseGl());
  const HDC dc = reinterpret_cast<HDC>(0x1de);
  HFONT font = MakeFont("Arial", -30, FW_BOLD);
  const HGDIOBJ previous = SelectObject(dc, font);
  const GLuint base = glGenLists(3);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);
  auto unpackAsSet = [] {
    GLint alignment = 0;
    GLint rowLength = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    return alignment == 1 && rowLength == 7;
  };
  EXPECT_GT(FailEachAllocation<BOOL>(
                "wglUseFontBitmapsA", FALSE, [&] { return wglUseFontBitmapsA(dc, 'A', 3, base); },
                unpackAsSet, [](BOOL) {}),
            0);
  EXPECT_TRUE(unpackAsSet());

  GLYPHMETRICSFLOAT metrics[3];
  FailEachAllocation<BOOL>(
      "wglUseFontOutlinesA", FALSE,
      [&] { return wglUseFontOutlinesA(dc, 'A', 3, base, 0, 0.2f, WGL_FONT_POLYGONS, metrics); },
      nullptr, [](BOOL) {});
  int widths[3];
  FailEachAllocation<BOOL>(
      "GetCharWidthA", FALSE, [&] { return GetCharWidthA(dc, 'A', 'C', widths); }, nullptr,
      [](BOOL) {});

  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glDeleteLists(base, 3);
  SelectObject(dc, previous);
  DeleteObject(font);
}

TEST(OutOfMemory, AddFontResourceA) {
  HFONT font = MakeFont("Liberation Mono", -20, FW_NORMAL);
  const std::string file = Describe(font).file;
  DeleteObject(font);
  EXPECT_GT(FailEachAllocation<int>(
                "AddFontResourceA", 0, [&] { return AddFontResourceA(file.c_str()); },
                [&] { return !RemoveFontResourceA(file.c_str()); },
                [&](int) { RemoveFontResourceA(file.c_str()); }),
            0);
}

}  // namespace
}  // namespace fonts_test
