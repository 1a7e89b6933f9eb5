#include "platform/web/fonts/baked_font.h"

#include <cstring>

namespace web::fonts {
namespace {

const char kMagic[4] = {'P', 'L', 'F', '1'};

// Little-endian fields, strings with a 16-bit length.
class Writer {
 public:
  void Bytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
  }
  void U16(uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
  }
  void I32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    U16(bits & 0xFFFF);
    U16(bits >> 16);
  }
  void F32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    I32(static_cast<int32_t>(bits));
  }
  void String(const std::string& text) {
    U16(static_cast<uint32_t>(text.size()));
    Bytes(text.data(), text.size());
  }

  std::vector<uint8_t> out;
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : at(data), end(data + size) {}

  bool Bytes(void* to, size_t size) {
    if (static_cast<size_t>(end - at) < size) return ok = false;
    if (size) std::memcpy(to, at, size);
    at += size;
    return true;
  }
  uint16_t U16() {
    uint8_t bytes[2] = {0, 0};
    Bytes(bytes, 2);
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
  }
  int32_t I32() {
    const uint32_t low = U16();
    const uint32_t high = U16();
    return static_cast<int32_t>(low | high << 16);
  }
  float F32() {
    const auto bits = static_cast<uint32_t>(I32());
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  std::string String() {
    std::string text(U16(), '\0');
    Bytes(text.data(), text.size());
    return text;
  }
  template <typename T>
  void U16s(std::vector<T>* values) {
    values->resize(U16());
    for (T& value : *values) value = static_cast<T>(U16());
  }
  bool AtEnd() const { return ok && at == end; }

  const uint8_t* at;
  const uint8_t* end;
  bool ok = true;
};

size_t BitmapBytes(int width, int height) {
  return static_cast<size_t>((width + 31) / 32 * 4) * static_cast<size_t>(height);
}

void WriteBitmap(Writer& w, const BitmapGlyph& glyph) {
  w.U16(static_cast<uint32_t>(glyph.width));
  w.U16(static_cast<uint32_t>(glyph.height));
  w.I32(glyph.originX);
  w.I32(glyph.originY);
  w.I32(glyph.advance);
  w.Bytes(glyph.bits.data(), glyph.bits.size());
}

void ReadBitmap(Reader& r, BitmapGlyph* glyph) {
  glyph->width = r.U16();
  glyph->height = r.U16();
  glyph->originX = r.I32();
  glyph->originY = r.I32();
  glyph->advance = r.I32();
  glyph->bits.resize(BitmapBytes(glyph->width, glyph->height));
  r.Bytes(glyph->bits.data(), glyph->bits.size());
}

void WriteOutline(Writer& w, const OutlineGlyph& glyph) {
  const GLYPHMETRICSFLOAT& m = glyph.metrics;
  for (float value : {m.gmfBlackBoxX, m.gmfBlackBoxY, m.gmfptGlyphOrigin.x, m.gmfptGlyphOrigin.y,
                      m.gmfCellIncX, m.gmfCellIncY, glyph.advance})
    w.F32(value);
  w.U16(static_cast<uint32_t>(glyph.points.size()));
  for (float value : glyph.points) w.F32(value);
  w.U16(static_cast<uint32_t>(glyph.contourEnds.size()));
  for (uint16_t end : glyph.contourEnds) w.U16(end);
  w.U16(static_cast<uint32_t>(glyph.primitives.size()));
  for (const OutlineGlyph::Primitive& primitive : glyph.primitives) {
    w.U16(primitive.mode);
    w.U16(static_cast<uint32_t>(primitive.indices.size()));
    for (uint16_t index : primitive.indices) w.U16(index);
  }
}

bool ReadOutline(Reader& r, OutlineGlyph* glyph) {
  GLYPHMETRICSFLOAT& m = glyph->metrics;
  for (float* value : {&m.gmfBlackBoxX, &m.gmfBlackBoxY, &m.gmfptGlyphOrigin.x,
                       &m.gmfptGlyphOrigin.y, &m.gmfCellIncX, &m.gmfCellIncY, &glyph->advance})
    *value = r.F32();
  glyph->points.resize(r.U16());
  for (float& value : glyph->points) value = r.F32();
  r.U16s(&glyph->contourEnds);
  glyph->primitives.resize(r.U16());
  const size_t pointCount = glyph->points.size() / 2;
  for (OutlineGlyph::Primitive& primitive : glyph->primitives) {
    primitive.mode = r.U16();
    r.U16s(&primitive.indices);
    for (uint16_t index : primitive.indices)
      if (index >= pointCount) return false;
  }
  for (uint16_t end : glyph->contourEnds)
    if (end > pointCount) return false;
  return r.ok;
}

}  // namespace

std::vector<uint8_t> Write(const std::vector<Face>& faces) {
  Writer w;
  w.Bytes(kMagic, sizeof kMagic);
  w.U16(static_cast<uint32_t>(faces.size()));
  for (const Face& face : faces) {
    w.String(face.name);
    w.I32(face.height);
    w.I32(face.weight);
    w.U16(face.italic ? 1 : 0);
    for (int width : face.widths) w.I32(width);
    for (uint16_t glyph : face.glyphOf) w.U16(glyph);
    w.U16(static_cast<uint32_t>(face.bitmaps.size()));
    for (size_t i = 0; i < face.bitmaps.size(); ++i) {
      WriteBitmap(w, face.bitmaps[i]);
      WriteOutline(w, face.outlines[i]);
    }
  }
  return w.out;
}

bool Read(const uint8_t* data, size_t size, std::vector<Face>* faces) {
  Reader r(data, size);
  char magic[4] = {};
  if (!r.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0) return false;
  faces->resize(r.U16());
  for (Face& face : *faces) {
    face.name = r.String();
    face.height = r.I32();
    face.weight = r.I32();
    face.italic = r.U16() != 0;
    for (int& width : face.widths) width = r.I32();
    for (uint16_t& glyph : face.glyphOf) glyph = r.U16();
    const size_t glyphs = r.U16();
    face.bitmaps.resize(glyphs);
    face.outlines.resize(glyphs);
    for (size_t i = 0; i < glyphs && r.ok; ++i) {
      ReadBitmap(r, &face.bitmaps[i]);
      if (!ReadOutline(r, &face.outlines[i])) return false;
    }
    for (uint16_t glyph : face.glyphOf)
      if (glyph >= glyphs) return false;
  }
  return r.AtEnd();
}

}  // namespace web::fonts
