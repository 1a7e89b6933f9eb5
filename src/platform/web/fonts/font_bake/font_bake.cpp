// Bakes the fonts the page ships, at build time, with the native layer's own
// fontconfig, FreeType and GLU code, so the page's glyphs are those the
// native build draws:
//
//   plumo-font-bake OUT.cpp NAME:HEIGHT:WEIGHT[:italic] ...
//
// writes a C++ source that defines the baked bytes (baked_font.h) as
// kBakedFonts and kBakedFontsSize.
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "platform/native/fonts/font_resolver.h"
#include "platform/native/fonts/glyph_builder.h"
#include "platform/web/fonts/baked_font.h"

namespace {

bool Fail(const std::string& message) {
  std::fprintf(stderr, "plumo-font-bake: %s\n", message.c_str());
  return false;
}

bool ParseRequest(const std::string& text, native::fonts::FontRequest* request) {
  // NAME:HEIGHT:WEIGHT[:italic]
  const size_t first = text.find(':');
  const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos) return false;
  const size_t third = text.find(':', second + 1);
  request->faceName = text.substr(0, first);
  request->height = std::atoi(text.substr(first + 1, second - first - 1).c_str());
  request->weight = std::atoi(text.substr(second + 1, third - second - 1).c_str());
  request->italic = third != std::string::npos && text.substr(third + 1) == "italic";
  return !request->faceName.empty() && request->height != 0;
}

// The tessellator's corners as indices into the contour points, adding the
// vertices it made itself.
bool IndexPrimitives(const native::fonts::OutlineGlyph& shaped, web::fonts::OutlineGlyph* out) {
  std::map<std::pair<double, double>, uint16_t> indexOf;
  for (size_t v = 0; v < shaped.front.size() / 3; ++v)
    indexOf.emplace(std::make_pair(shaped.front[3 * v], shaped.front[3 * v + 1]),
                    static_cast<uint16_t>(v));
  for (const auto& primitive : shaped.frontFace.primitives) {
    web::fonts::OutlineGlyph::Primitive baked;
    baked.mode = primitive.mode;
    for (size_t c = primitive.first; c < primitive.first + primitive.count; ++c) {
      const double x = shaped.frontFace.corners[3 * c];
      const double y = shaped.frontFace.corners[3 * c + 1];
      auto found = indexOf.find({x, y});
      if (found == indexOf.end()) {
        if (out->points.size() / 2 >= 0xFFFF) return false;
        found = indexOf.emplace(std::make_pair(x, y), out->points.size() / 2).first;
        out->points.push_back(static_cast<float>(x));
        out->points.push_back(static_cast<float>(y));
      }
      baked.indices.push_back(found->second);
    }
    out->primitives.push_back(std::move(baked));
  }
  return true;
}

bool BakeOutline(const native::fonts::SizedFont& font, FT_UInt glyph,
                 native::fonts::GlyphTessellator* tess, web::fonts::OutlineGlyph* out) {
  native::fonts::OutlineStyle style;  // polygons, deviation 0, extrusion 0: the demo's
  native::fonts::OutlineGlyph shaped;
  if (!native::fonts::ShapeOutlineGlyph(font, glyph, style, &shaped) || !tess->Tessellate(&shaped))
    return false;
  if (shaped.front.size() / 3 >= 0xFFFF) return false;
  out->metrics = shaped.metrics;
  out->advance = shaped.advance;
  for (size_t v = 0; v < shaped.front.size(); v += 3) {
    out->points.push_back(static_cast<float>(shaped.front[v]));
    out->points.push_back(static_cast<float>(shaped.front[v + 1]));
  }
  for (size_t end : shaped.contourEnds) out->contourEnds.push_back(static_cast<uint16_t>(end));
  return IndexPrimitives(shaped, out);
}

bool BakeFace(const native::fonts::FontRequest& request, web::fonts::Face* face) {
  native::fonts::SizedFont font;
  std::string why;
  if (!native::fonts::OpenFont(request, &font, &why))
    return Fail("no font matches \"" + request.faceName + "\": " + why);
  native::fonts::GlyphTessellator tess;
  if (!tess.Usable()) return Fail("GLU cannot make a tessellator");

  face->name = request.faceName;
  face->height = request.height;
  face->weight = request.weight;
  face->italic = request.italic;
  std::map<FT_UInt, uint16_t> slotOf;
  for (unsigned code = 0; code < 256; ++code) {
    const FT_UInt glyph = native::fonts::GlyphForAnsiCode(font, code);
    face->widths[code] = native::fonts::PixelAdvance(font, glyph);
    if (face->widths[code] < 0) return Fail("no advance for code " + std::to_string(code));
    auto found = slotOf.find(glyph);
    if (found == slotOf.end()) {
      native::fonts::BitmapGlyph bitmap;
      web::fonts::OutlineGlyph outline;
      if (!native::fonts::RenderBitmapGlyph(font, glyph, &bitmap) ||
          !BakeOutline(font, glyph, &tess, &outline))
        return Fail("cannot make the glyph of code " + std::to_string(code));
      web::fonts::BitmapGlyph stored;
      stored.width = bitmap.width;
      stored.height = bitmap.height;
      stored.originX = static_cast<int>(bitmap.originX);
      stored.originY = static_cast<int>(bitmap.originY);
      stored.advance = static_cast<int>(bitmap.advance);
      stored.bits = bitmap.bits;
      face->bitmaps.push_back(std::move(stored));
      face->outlines.push_back(std::move(outline));
      found = slotOf.emplace(glyph, static_cast<uint16_t>(face->bitmaps.size() - 1)).first;
    }
    face->glyphOf[code] = found->second;
  }
  native::fonts::CloseFont(&font);
  std::fprintf(stderr, "plumo-font-bake: \"%s\" %d, weight %d: %s %s, %zu glyphs\n",
               request.faceName.c_str(), request.height, request.weight, font.family.c_str(),
               font.style.c_str(), face->bitmaps.size());
  return true;
}

bool WriteSource(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return Fail("cannot write " + path);
  std::fprintf(file,
               "// Made by plumo-font-bake; see src/platform/web/fonts/baked_font.h.\n"
               "#include <cstddef>\n\n"
               "extern const unsigned char kBakedFonts[];\n"
               "extern const size_t kBakedFontsSize;\n"
               "const size_t kBakedFontsSize = %zu;\n"
               "alignas(4) const unsigned char kBakedFonts[] = {",
               bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    std::fprintf(file, "%s%u,", i % 24 == 0 ? "\n" : "", bytes[i]);
  std::fprintf(file, "\n};\n");
  return std::fclose(file) == 0 || Fail("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: plumo-font-bake OUT.cpp NAME:HEIGHT:WEIGHT[:italic] ...\n");
    return 2;
  }
  std::vector<web::fonts::Face> faces;
  for (int i = 2; i < argc; ++i) {
    native::fonts::FontRequest request;
    if (!ParseRequest(argv[i], &request)) {
      Fail(std::string("not NAME:HEIGHT:WEIGHT[:italic]: ") + argv[i]);
      return 2;
    }
    faces.emplace_back();
    if (!BakeFace(request, &faces.back())) return 1;
  }
  const std::vector<uint8_t> bytes = web::fonts::Write(faces);
  std::fprintf(stderr, "plumo-font-bake: %zu bytes\n", bytes.size());
  const bool written = WriteSource(argv[1], bytes);
  // Nothing reads fonts any more: fontconfig's configuration goes before the
  // program does, so that a sanitizer build of this step (it runs in the
  // asan preset's build) finds nothing left of it at exit.
  FcFini();
  return written ? 0 : 1;
}
