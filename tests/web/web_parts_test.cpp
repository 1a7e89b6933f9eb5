// The web backend's platform-free parts: key codes and the baked font data.
#include <gtest/gtest.h>

#include "platform/web/fonts/baked_font.h"
#include "platform/web/virtual_keys.h"

namespace {

TEST(VirtualKeys, BrowserKeyCodesBecomeWin32VirtualKeys) {
  EXPECT_EQ(web::VirtualKeyFromCode("Escape"), 0x1Bu);  // VK_ESCAPE
  EXPECT_EQ(web::VirtualKeyFromCode("KeyA"), 'A');
  EXPECT_EQ(web::VirtualKeyFromCode("KeyZ"), 'Z');
  EXPECT_EQ(web::VirtualKeyFromCode("Digit7"), '7');
  EXPECT_EQ(web::VirtualKeyFromCode("Numpad3"), 0x63u);
  EXPECT_EQ(web::VirtualKeyFromCode("F1"), 0x70u);
  EXPECT_EQ(web::VirtualKeyFromCode("F10"), 0x79u);
  EXPECT_EQ(web::VirtualKeyFromCode("F24"), 0x87u);
  EXPECT_EQ(web::VirtualKeyFromCode("ArrowUp"), 0x26u);
  EXPECT_EQ(web::VirtualKeyFromCode("ShiftRight"), 0x10u);
  EXPECT_EQ(web::VirtualKeyFromCode("Slash"), 0xBFu);
  for (const char* unknown : {"", "F25", "F0", "Key", "KeyAB", "Keya", "Digit", "Fn", "Lang1"})
    EXPECT_EQ(web::VirtualKeyFromCode(unknown), 0u) << unknown;
}

web::fonts::Face SmallFace() {
  web::fonts::Face face;
  face.name = "Arial";
  face.height = -48;
  face.weight = 700;
  face.widths['A'] = 35;
  face.glyphOf['A'] = 1;
  face.bitmaps.resize(2);
  face.outlines.resize(2);
  web::fonts::BitmapGlyph& bitmap = face.bitmaps[1];
  bitmap.width = 33;  // two words a row
  bitmap.height = 2;
  bitmap.originX = -1;
  bitmap.originY = 5;
  bitmap.advance = 35;
  bitmap.bits.assign(16, 0xA5);
  web::fonts::OutlineGlyph& outline = face.outlines[1];
  outline.metrics.gmfCellIncX = 0.72f;
  outline.advance = 0.72f;
  outline.points = {0, 0, 1, 0, 0.5f, 1};
  outline.contourEnds = {3};
  outline.primitives.push_back({GL_TRIANGLE_FAN, {0, 1, 2}});
  return face;
}

TEST(BakedFont, WhatIsWrittenReadsBackTheSame) {
  const std::vector<uint8_t> bytes = web::fonts::Write({SmallFace()});
  std::vector<web::fonts::Face> faces;
  ASSERT_TRUE(web::fonts::Read(bytes.data(), bytes.size(), &faces));
  ASSERT_EQ(faces.size(), 1u);
  const web::fonts::Face& face = faces[0];
  EXPECT_EQ(face.name, "Arial");
  EXPECT_EQ(face.height, -48);
  EXPECT_EQ(face.weight, 700);
  EXPECT_EQ(face.widths['A'], 35);
  const web::fonts::BitmapGlyph& bitmap = face.bitmaps[face.glyphOf['A']];
  EXPECT_EQ(bitmap.width, 33);
  EXPECT_EQ(bitmap.originX, -1);
  EXPECT_EQ(bitmap.bits, std::vector<uint8_t>(16, 0xA5));
  const web::fonts::OutlineGlyph& outline = face.outlines[1];
  EXPECT_EQ(outline.points, (std::vector<float>{0, 0, 1, 0, 0.5f, 1}));
  EXPECT_EQ(outline.metrics.gmfCellIncX, 0.72f);
  ASSERT_EQ(outline.primitives.size(), 1u);
  EXPECT_EQ(outline.primitives[0].mode, static_cast<GLenum>(GL_TRIANGLE_FAN));
  EXPECT_EQ(outline.primitives[0].indices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST(BakedFont, DamagedDataIsRefused) {
  const std::vector<uint8_t> bytes = web::fonts::Write({SmallFace()});
  std::vector<web::fonts::Face> faces;
  for (size_t cut : {size_t{0}, size_t{3}, bytes.size() / 2, bytes.size() - 1})
    EXPECT_FALSE(web::fonts::Read(bytes.data(), cut, &faces)) << cut;
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(web::fonts::Read(longer.data(), longer.size(), &faces));

  // An index past the glyph's points, or a code pointing past the glyphs.
  web::fonts::Face face = SmallFace();
  face.outlines[1].primitives[0].indices[2] = 3;
  std::vector<uint8_t> bad = web::fonts::Write({face});
  EXPECT_FALSE(web::fonts::Read(bad.data(), bad.size(), &faces));
  face = SmallFace();
  face.glyphOf['B'] = 2;
  bad = web::fonts::Write({face});
  EXPECT_FALSE(web::fonts::Read(bad.data(), bad.size(), &faces));
}

}  // namespace
