// gdi32's font objects and the device contexts they are selected into:
// CreateFontA, SelectObject, DeleteObject, GetCharWidthA, LPtoDP and the
// private font files. Faces come from font_resolver; this file only keeps
// GDI's bookkeeping.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/native/entry_guard.h"
#include "platform/native/fonts/font_resolver.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/native_report.h"

namespace native {
namespace {

// Font handles are tagged small numbers rather than addresses, so that a
// stale or foreign handle is recognised and refused instead of dereferenced.
const uintptr_t kFontHandleTag = 0x46000000;
const HGDIOBJ kStockFont = reinterpret_cast<HGDIOBJ>(kFontHandleTag);

// The stock font a fresh DC has selected: GDI's system font is a bold face
// 16 pixels high.
const int kStockCellHeight = 16;

struct FontObject {
  FontRequest request;
  SizedFont font;
  bool resolved = false;
  int selections = 0;          // device contexts it is selected into
  bool deletePending = false;  // DeleteObject came while it was selected

  // Also when a CreateFontA that had sized the font fails after all.
  ~FontObject() { CloseFont(&font); }
};

struct GdiFonts {
  std::map<HGDIOBJ, std::unique_ptr<FontObject>> objects;
  std::unordered_map<HDC, HGDIOBJ> selected;  // DCs that hold a non-stock choice
  uintptr_t nextId = 1;
};

GdiFonts& State() {
  // Never destroyed, like the resolver's FreeType library that its fonts'
  // sizes belong to: freeing them at exit would depend on destructor order.
  static GdiFonts* state = [] {
    auto fresh = std::make_unique<GdiFonts>();
    auto stock = std::make_unique<FontObject>();
    stock->request.faceName = "sans-serif";
    stock->request.height = kStockCellHeight;
    stock->request.weight = FW_BOLD;
    fresh->objects.emplace(kStockFont, std::move(stock));
    return fresh.release();
  }();
  return *state;
}

FontObject* Find(HGDIOBJ handle) {
  auto found = State().objects.find(handle);
  return found == State().objects.end() ? nullptr : found->second.get();
}

HGDIOBJ SelectedObject(HDC hdc) {
  auto found = State().selected.find(hdc);
  return found == State().selected.end() ? kStockFont : found->second;
}

void Destroy(HGDIOBJ handle) {
  State().objects.erase(handle);
}

// Only created fonts are counted: the stock font is never destroyed.
void Hold(HGDIOBJ handle) {
  if (handle != kStockFont) ++Find(handle)->selections;
}

// A font deleted while selected goes when its last DC lets go of it.
void Deselect(HGDIOBJ handle) {
  FontObject* object = Find(handle);
  if (!object || handle == kStockFont) return;
  --object->selections;
  if (object->deletePending && object->selections == 0) Destroy(handle);
}

bool Resolve(FontObject* object, const char* call) {
  if (object->resolved) return true;
  std::string why;
  if (!OpenFont(object->request, &object->font, &why)) {
    Report(call, "no font matches \"%s\": %s", object->request.faceName.c_str(), why.c_str());
    return false;
  }
  object->resolved = true;
  return true;
}

}  // namespace

const SizedFont* SelectedFont(HDC hdc, const char* call) {
  if (!hdc) return nullptr;
  FontObject* object = Find(SelectedObject(hdc));
  if (!object || !Resolve(object, call)) return nullptr;
  return &object->font;
}

void ForgetDeviceContext(HDC hdc) {
  auto found = State().selected.find(hdc);
  if (found == State().selected.end()) return;
  const HGDIOBJ handle = found->second;
  State().selected.erase(found);
  Deselect(handle);
}

bool DescribeFont(HGDIOBJ handle, FontDescription* description) {
  FontObject* object = Find(handle);
  if (!object || !object->resolved) return false;
  const SizedFont& font = object->font;
  *description = FontDescription{font.family,   font.style,    font.file, font.faceIndex,
                                 font.emPixels, font.embolden, font.slant};
  return true;
}

}  // namespace native

using native::State;

HFONT WINAPI CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                         int weight, DWORD italic, DWORD /*underline*/, DWORD /*strikeOut*/,
                         DWORD /*charSet*/, DWORD /*outputPrecision*/, DWORD /*clipPrecision*/,
                         DWORD /*quality*/, DWORD /*pitchAndFamily*/, LPCSTR faceName) try {
  const native::EntryPoint entry(__func__);
  // Underline and strikeout are drawn by GDI's text output, which the demo
  // does not use; glyph outlines and bitmaps never carry them.
  auto object = std::make_unique<native::FontObject>();
  object->request.faceName = faceName ? faceName : "";
  object->request.height = height;
  object->request.weight = weight;
  object->request.italic = italic != 0;
  if (!native::Resolve(object.get(), "CreateFontA")) return nullptr;

  const HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(native::kFontHandleTag | State().nextId++);
  State().objects.emplace(handle, std::move(object));
  return static_cast<HFONT>(handle);
} catch (...) {
  return native::Failed(__func__, HFONT{});
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) try {
  const native::EntryPoint entry(__func__);
  native::FontObject* font = native::Find(object);
  if (!hdc || !font || font->deletePending) return nullptr;
  const HGDIOBJ previous = native::SelectedObject(hdc);
  // The choice is recorded before any count changes: recording may fail.
  if (object == native::kStockFont)
    State().selected.erase(hdc);
  else
    State().selected[hdc] = object;
  native::Hold(object);
  native::Deselect(previous);
  return previous;
} catch (...) {
  return native::Failed(__func__, HGDIOBJ{});
}

BOOL WINAPI DeleteObject(HGDIOBJ object) try {
  const native::EntryPoint entry(__func__);
  native::FontObject* font = native::Find(object);
  if (!font) return FALSE;
  // Stock objects may be "deleted" harmlessly, as on Windows.
  if (object == native::kStockFont) return TRUE;
  if (font->selections > 0)
    font->deletePending = true;
  else
    native::Destroy(object);
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI GetCharWidthA(HDC hdc, UINT firstChar, UINT lastChar, int* widths) try {
  const native::EntryPoint entry(__func__);
  if (!widths || firstChar > lastChar) return FALSE;
  const native::SizedFont* font = native::SelectedFont(hdc, "GetCharWidthA");
  if (!font) return FALSE;
  for (UINT code = firstChar; code <= lastChar; ++code) {
    const int advance = native::PixelAdvance(*font, native::GlyphForAnsiCode(*font, code));
    if (advance < 0) return FALSE;
    widths[code - firstChar] = advance;
  }
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT /*points*/, int /*count*/) try {
  const native::EntryPoint entry(__func__);
  // MM_TEXT, the only mapping mode the layer has: logical units are pixels.
  return hdc ? TRUE : FALSE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

int WINAPI AddFontResourceA(LPCSTR fileName) try {
  const native::EntryPoint entry(__func__);
  const int faces = native::AddFontFile(fileName);
  if (faces == 0)
    native::Report(__func__, "\"%s\" is not a font file that can be read",
                   fileName ? fileName : "(null)");
  return faces;
} catch (...) {
  return native::Failed(__func__, 0);
}

BOOL WINAPI RemoveFontResourceA(LPCSTR fileName) try {
  const native::EntryPoint entry(__func__);
  return native::RemoveFontFile(fileName) ? TRUE : FALSE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}
