#include "platform/native/fonts/font_resolver.h"

#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <thread>
#include <utility>

namespace native::fonts {
namespace {

// GDI's height for a request of 0: the cell height of the stock system font.
const int kDefaultCellHeight = 16;
const int kNormalWeight = 400;

struct PrivateFile {
  int references = 0;
  int faces = 0;
};

// Everything the font side of the layer keeps between calls. FreeType and
// fontconfig are set up on first use and live as long as the process: font
// objects may outlive any static destructor order we could arrange.
struct FontLibrary {
  FT_Library freetype = nullptr;
  bool ready = false;
  std::thread warmUp;  // reads fontconfig's configuration ahead of the first font
  std::map<std::pair<std::string, int>, FT_Face> faces;
  std::map<std::string, PrivateFile> privateFiles;
};

FontLibrary& Library() {
  static FontLibrary* library = new FontLibrary;
  return *library;
}

bool EnsureReady(std::string* why) {
  FontLibrary& library = Library();
  if (library.ready) return true;
  if (library.warmUp.joinable()) library.warmUp.join();
  if (!FcInit()) {
    *why = "fontconfig cannot load its configuration";
    return false;
  }
  if (FT_Init_FreeType(&library.freetype) != 0) {
    *why = "FreeType cannot be initialised";
    return false;
  }
  library.ready = true;
  return true;
}

}  // namespace

void WarmUpFonts() {
  FontLibrary& library = Library();
  if (library.ready || library.warmUp.joinable()) return;
  // Reading the configuration and the font cache is most of the first
  // CreateFontA; done while the window and context are being set up, it is
  // ready by the time the font is asked for.
  library.warmUp = std::thread([] { FcInit(); });
}

namespace {

// The fontconfig pattern for a request. fontconfig's own rules then supply
// metric-compatible substitutes ("Arial" -> Liberation Sans) and the
// synthetic bold and slant flags.
FcPattern* MatchRequest(const FontRequest& request) {
  FcPattern* pattern = FcPatternCreate();
  if (!request.faceName.empty())
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(request.faceName.c_str()));
  const int weight = std::clamp(request.weight ? request.weight : kNormalWeight, 1, 1000);
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  // The outline lists need outlines, and GDI's OUT_TT_PRECIS prefers them.
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  const int pixels = request.height ? std::abs(request.height) : kDefaultCellHeight;
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixels);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  return match;
}

std::string PatternString(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return std::string();
  return reinterpret_cast<const char*>(value);
}

// Copies what the match says about the face and its synthetic style.
void ReadMatch(FcPattern* match, SizedFont* font) {
  font->file = PatternString(match, FC_FILE);
  font->family = PatternString(match, FC_FAMILY);
  font->style = PatternString(match, FC_STYLE);
  FcPatternGetInteger(match, FC_INDEX, 0, &font->faceIndex);

  FcBool embolden = FcFalse;
  if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
    font->embolden = embolden == FcTrue;
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix->xy != 0.0) {
    font->slant = true;
    font->slantMatrix.xx = static_cast<FT_Fixed>(matrix->xx * 0x10000);
    font->slantMatrix.xy = static_cast<FT_Fixed>(matrix->xy * 0x10000);
    font->slantMatrix.yx = static_cast<FT_Fixed>(matrix->yx * 0x10000);
    font->slantMatrix.yy = static_cast<FT_Fixed>(matrix->yy * 0x10000);
  }
}

FT_Face OpenFace(const std::string& file, int index, std::string* why) {
  // The cache's entry first: once the face is open, nothing may fail.
  auto [entry, added] = Library().faces.emplace(std::make_pair(file, index), nullptr);
  if (!added) return entry->second;

  FT_Face face = nullptr;
  const bool opened = FT_New_Face(Library().freetype, file.c_str(), index, &face) == 0;
  if (opened && FT_IS_SCALABLE(face)) return entry->second = face;
  if (opened) FT_Done_Face(face);
  Library().faces.erase(entry);
  *why = opened ? file + " has no outlines" : "FreeType cannot open " + file;
  return nullptr;
}

// GDI's cell height is the face's Windows ascent plus descent; the em is
// scaled to make that many pixels.
int EmPixels(FT_Face face, int height) {
  if (height < 0) return -height;
  if (height == 0) height = kDefaultCellHeight;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  long cell = face->ascender - face->descender;
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) cell = os2->usWinAscent + os2->usWinDescent;
  if (cell <= 0) return height;
  const double em = static_cast<double>(height) * face->units_per_EM / static_cast<double>(cell);
  return std::max(1, static_cast<int>(std::lround(em)));
}

bool SizeFont(int height, SizedFont* font, std::string* why) {
  if (FT_New_Size(font->face, &font->size) != 0) {
    *why = "FreeType cannot size " + font->file;
    return false;
  }
  font->emPixels = EmPixels(font->face, height);
  FT_Activate_Size(font->size);
  if (FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(font->emPixels)) != 0) {
    FT_Done_Size(font->size);
    font->size = nullptr;
    *why = "FreeType cannot size " + font->file;
    return false;
  }
  return true;
}

// Windows-1252 where it differs from Latin-1. The five codes that 1252 leaves
// undefined map to the C1 controls of the same value, as Windows maps them.
const char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Synthetic bold widens strokes and advances by the strength FreeType gives
// a sized glyph: a 24th of the em.
FT_Pos EmboldenStrength(FT_Face face) {
  return face->units_per_EM / 24;
}

char32_t AnsiToUnicode(unsigned code) {
  if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
  return code;
}

}  // namespace

bool OpenFont(const FontRequest& request, SizedFont* font, std::string* why) {
  if (!EnsureReady(why)) return false;
  const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(MatchRequest(request),
                                                                      FcPatternDestroy);
  if (!match) {
    *why = "fontconfig knows no fonts";
    return false;
  }
  ReadMatch(match.get(), font);
  if (font->file.empty()) {
    *why = "fontconfig matched no font file";
    return false;
  }
  font->face = OpenFace(font->file, font->faceIndex, why);
  return font->face && SizeFont(request.height, font, why);
}

void CloseFont(SizedFont* font) {
  // The face stays in the cache for the next font of the same file.
  if (font->size) FT_Done_Size(font->size);
  font->size = nullptr;
}

bool OpenFontCopy(const SizedFont& font, SizedFont* copy) {
  *copy = font;
  copy->face = nullptr;
  copy->size = nullptr;
  if (FT_New_Face(Library().freetype, font.file.c_str(), font.faceIndex, &copy->face) != 0)
    return false;
  if (FT_Set_Pixel_Sizes(copy->face, 0, static_cast<FT_UInt>(font.emPixels)) != 0) {
    CloseFontCopy(copy);
    return false;
  }
  copy->size = copy->face->size;
  return true;
}

void CloseFontCopy(SizedFont* copy) {
  // The face's own size goes with it.
  if (copy->face) FT_Done_Face(copy->face);
  copy->face = nullptr;
  copy->size = nullptr;
}

FT_UInt GlyphForAnsiCode(const SizedFont& font, unsigned code) {
  return FT_Get_Char_Index(font.face, AnsiToUnicode(code));
}

FT_GlyphSlot LoadHintedGlyph(const SizedFont& font, FT_UInt glyph) {
  FT_Activate_Size(font.size);
  // Embedded bitmap strikes are skipped: the image must be that of the
  // outline the metrics describe.
  if (FT_Load_Glyph(font.face, glyph, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return nullptr;
  FT_GlyphSlot slot = font.face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
  if (font.embolden) FT_GlyphSlot_Embolden(slot);
  if (font.slant) FT_Outline_Transform(&slot->outline, &font.slantMatrix);
  return slot;
}

int PixelAdvance(const SizedFont& font, FT_UInt glyph) {
  FT_Fixed advance = 0;
  if (FT_Get_Advance(font.face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return -1;
  if (font.embolden) advance += EmboldenStrength(font.face);
  const long em = font.face->units_per_EM;
  return static_cast<int>((advance * font.emPixels + em - 1) / em);
}

FT_Outline* LoadDesignOutline(const SizedFont& font, FT_UInt glyph, FT_Pos* advance) {
  if (FT_Load_Glyph(font.face, glyph, FT_LOAD_NO_SCALE) != 0) return nullptr;
  FT_GlyphSlot slot = font.face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
  *advance = slot->metrics.horiAdvance;
  if (font.embolden) {
    const FT_Pos strength = EmboldenStrength(font.face);
    FT_Outline_Embolden(&slot->outline, strength);
    *advance += strength;
  }
  if (font.slant) FT_Outline_Transform(&slot->outline, &font.slantMatrix);
  return &slot->outline;
}

int AddFontFile(const char* path) {
  std::string why;
  if (!path || !*path || !EnsureReady(&why)) return 0;
  FontLibrary& library = Library();
  auto found = library.privateFiles.find(path);
  if (found != library.privateFiles.end()) {
    ++found->second.references;
    return found->second.faces;
  }

  // Face index -1 only asks FreeType how many faces the file holds.
  FT_Face probe = nullptr;
  if (FT_New_Face(library.freetype, path, -1, &probe) != 0) return 0;
  const int faces = static_cast<int>(probe->num_faces);
  FT_Done_Face(probe);
  if (faces <= 0) return 0;
  // The entry first, so that fontconfig never has a file the books lack.
  auto entry = library.privateFiles.emplace(path, PrivateFile{1, faces}).first;
  if (FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path))) return faces;
  library.privateFiles.erase(entry);
  return 0;
}

bool RemoveFontFile(const char* path) {
  if (!path) return false;
  FontLibrary& library = Library();
  auto found = library.privateFiles.find(path);
  if (found == library.privateFiles.end()) return false;
  if (--found->second.references > 0) return true;
  library.privateFiles.erase(found);

  // fontconfig can forget application fonts only all at once, so the files
  // still added go back in. Faces already opened stay usable, as GDI keeps a
  // removed font alive for the fonts created from it.
  FcConfigAppFontClear(nullptr);
  for (const auto& entry : library.privateFiles)
    FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(entry.first.c_str()));
  return true;
}

}  // namespace native::fonts
