// gdi32's font side: which face a request resolves to, selection into device
// contexts, advance widths, private font files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "freetype_reference.h"

namespace fonts_test {
namespace {

HDC Dc(uintptr_t value) {
  return reinterpret_cast<HDC>(value);
}

TEST(FontResolution, ArialBoldFindsABoldMetricCompatibleFace) {
  HFONT font = MakeFont("Arial", -48, FW_BOLD);
  ASSERT_NE(font, nullptr);
  const native::fonts::FontDescription found = Describe(font);
  EXPECT_TRUE(found.family == "Liberation Sans" || found.family == "Arimo") << found.family;
  EXPECT_EQ(found.emPixels, 48);
  EXPECT_FALSE(found.embolden) << "a real bold face exists";
  Reference face(found, 48);
  ASSERT_NE(face.Face(), nullptr) << found.file;
  EXPECT_TRUE(face.Face()->style_flags & FT_STYLE_FLAG_BOLD) << found.style;
  DeleteObject(font);
}

TEST(FontResolution, WeightAndSlantChooseTheFace) {
  HFONT regular = MakeFont("Arial", -48, FW_NORMAL), italic = MakeFont("Arial", -48, 0, TRUE);
  Reference upright(Describe(regular), 48), slanted(Describe(italic), 48);
  ASSERT_TRUE(upright.Face() && slanted.Face());
  EXPECT_EQ(upright.Face()->style_flags, 0) << "neither bold nor italic";
  EXPECT_EQ(slanted.Face()->style_flags, FT_STYLE_FLAG_ITALIC);
  DeleteObject(regular);
  DeleteObject(italic);
}

TEST(FontResolution, PositiveHeightIsTheCellHeight) {
  HFONT font = MakeFont("Arial", 48, FW_BOLD);
  const native::fonts::FontDescription found = Describe(font);
  Reference face(found, found.emPixels);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.Face(), FT_SFNT_OS2));
  ASSERT_NE(os2, nullptr);
  EXPECT_NEAR((os2->usWinAscent + os2->usWinDescent) * found.emPixels /
                  static_cast<double>(face.Face()->units_per_EM),
              48.0, 0.5);
  DeleteObject(font);
}

TEST(FontResolution, NoFontsAtAllGivesNullAndSaysWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: fontconfig not yet loaded
  char config[] = "/tmp/plumo-no-fonts-XXXXXX";
  const int fd = mkstemp(config);
  ASSERT_GE(fd, 0);
  const char empty[] = "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  ASSERT_EQ(write(fd, empty, sizeof empty - 1), static_cast<ssize_t>(sizeof empty - 1));
  close(fd);
  EXPECT_EXIT(
      {
        setenv("FONTCONFIG_FILE", config, 1);
        std::exit(MakeFont("Arial", -48, FW_BOLD) == nullptr ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "plumo: CreateFontA: no font matches \"Arial\": ");
  unlink(config);
}

// Widths of codes 0-255 of Arial bold at 48 pixels, as the demo asks for them.
struct Widths {
  HFONT font = MakeFont("Arial", -48, FW_BOLD);
  HGDIOBJ previous = SelectObject(Dc(0x3d7), font);
  int widths[256] = {};
  bool ok = GetCharWidthA(Dc(0x3d7), 0, 255, widths);
  ~Widths() {
    SelectObject(Dc(0x3d7), previous);
    DeleteObject(font);
  }
};

TEST(CharWidths, AsciiEqualsTheDesignAdvancesAt48PixelsRoundedUp) {
  Widths got;
  ASSERT_TRUE(got.ok);
  Reference face(Describe(got.font), 48);
  for (unsigned code = 32; code <= 126; ++code) {
    EXPECT_GT(got.widths[code], 0) << code;
    EXPECT_EQ(got.widths[code], face.Advance(face.GlyphOf(code))) << "code " << code;
  }
}

TEST(CharWidths, UpperCodesAreWindows1252) {
  Widths got;
  ASSERT_TRUE(got.ok);
  Reference face(Describe(got.font), 48);
  const std::pair<unsigned, char32_t> table[] = {{0x80, 0x20AC}, {0x85, 0x2026}, {0x92, 0x2019},
                                                 {0x99, 0x2122}, {0x9F, 0x0178}, {0xE9, 0x00E9}};
  for (const auto& [code, unicode] : table) {
    ASSERT_NE(face.GlyphOf(unicode), 0u) << "the face lacks U+" << std::hex << unicode;
    EXPECT_EQ(got.widths[code], face.Advance(face.GlyphOf(unicode))) << "code " << code;
  }
}

TEST(FontFiles, MissingOrNonFontFilesAddNothing) {
  EXPECT_EQ(AddFontResourceA("/nonexistent/plumo.ttf"), 0);
  EXPECT_FALSE(RemoveFontResourceA("/nonexistent/plumo.ttf"));
  char text[] = "/tmp/plumo-not-a-font-XXXXXX";
  const int fd = mkstemp(text);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "hello", 5), 5);
  close(fd);
  EXPECT_EQ(AddFontResourceA(text), 0);
  unlink(text);
}

TEST(FontFiles, AFileIsRemovedAsOftenAsItWasAdded) {
  HFONT font = MakeFont("Liberation Mono", -20, FW_NORMAL);
  const std::string file = Describe(font).file;
  EXPECT_EQ(AddFontResourceA(file.c_str()), 1);
  EXPECT_EQ(AddFontResourceA(file.c_str()), 1);
  EXPECT_TRUE(RemoveFontResourceA(file.c_str()));
  EXPECT_TRUE(RemoveFontResourceA(file.c_str()));
  EXPECT_FALSE(RemoveFontResourceA(file.c_str()));
  DeleteObject(font);
}

}  // namespace
}  // namespace fonts_test
