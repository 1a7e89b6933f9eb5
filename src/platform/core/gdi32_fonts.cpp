// gdi32's font objects and the device contexts they are selected into:
// CreateFontA, SelectObject, DeleteObject, GetCharWidthA, LPtoDP and the
// private font files. Faces are the backend's; this file keeps GDI's
// bookkeeping.
#include "platform/core/fonts.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/core/entry.h"
#include "platform/core/layer_windows.h"

namespace core {
namespace {

// Font handles are tagged small numbers rather than addresses, so that a
// stale or foreign handle is recognised and refused instead of dereferenced.
const uintptr_t kFontHandleTag = 0x46000000;

// The stock font a fresh DC has selected: GDI's system font is a bold face
// 16 pixels high.
const int kStockCellHeight = 16;

struct FontObject {
  FontRequest request;
  Face* face = nullptr;        // resolved when first needed
  int selections = 0;          // device contexts it is selected into
  bool deletePending = false;  // DeleteObject came while it was selected

  FontObject() = default;
  FontObject(const FontObject&) = delete;
  FontObject& operator=(const FontObject&) = delete;
  ~FontObject() {
    if (face) TheBackend().Fonts().CloseFace(face);
  }
};

struct GdiFonts {
  std::map<HGDIOBJ, std::unique_ptr<FontObject>> objects;
  std::unordered_map<HDC, HGDIOBJ> selected;  // DCs that hold a non-stock choice
  uintptr_t nextId = 1;
};

std::unique_ptr<FontObject> StockFontObject() {
  auto stock = std::make_unique<FontObject>();
  stock->request.faceName = "sans-serif";
  stock->request.height = kStockCellHeight;
  stock->request.weight = FW_BOLD;
  return stock;
}

GdiFonts& State() {
  // Never destroyed: a face may belong to a library the backend keeps for the
  // whole process, and freeing it at exit would depend on destructor order.
  static GdiFonts* state = [] {
    auto fresh = std::make_unique<GdiFonts>();
    fresh->objects.emplace(kStockFont, StockFontObject());
    return fresh.release();
  }();
  return *state;
}

FontObject* Find(HGDIOBJ handle) {
  auto found = State().objects.find(handle);
  return found == State().objects.end() ? nullptr : found->second.get();
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
  if (object->face) return true;
  std::string why;
  object->face = TheBackend().Fonts().OpenFace(object->request, &why);
  if (!object->face) {
    Report(call, "no font matches \"%s\": %s", object->request.faceName.c_str(), why.c_str());
    return false;
  }
  return true;
}

}  // namespace

const HGDIOBJ kStockFont = reinterpret_cast<HGDIOBJ>(kFontHandleTag);

HGDIOBJ SelectedObject(HDC hdc) {
  auto found = State().selected.find(hdc);
  return found == State().selected.end() ? kStockFont : found->second;
}

Face* SelectedFace(HDC hdc, const char* call) {
  if (!hdc) return nullptr;
  FontObject* object = Find(SelectedObject(hdc));
  if (!object || !Resolve(object, call)) return nullptr;
  return object->face;
}

Face* FaceOf(HGDIOBJ font) {
  const FontObject* object = Find(font);
  return object ? object->face : nullptr;
}

size_t LiveFontObjects() {
  return State().objects.size() - 1;
}

void ForgetDeviceContext(HDC hdc) {
  auto found = State().selected.find(hdc);
  if (found == State().selected.end()) return;
  const HGDIOBJ handle = found->second;
  State().selected.erase(found);
  Deselect(handle);
}

void ResetFonts() {
  GdiFonts& state = State();
  state.selected.clear();
  state.objects.clear();
  state.objects.emplace(kStockFont, StockFontObject());
  state.nextId = 1;
}

}  // namespace core

using core::Args;
using core::Handle;
using core::Int;
using core::Text;

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outputPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR faceName) try {
  const core::Call call(__func__, [&] {
    return Args{Int(height),         Int(width),           Int(escapement),    Int(orientation),
                Int(weight),         Int(italic),          Int(underline),     Int(strikeOut),
                Int(charSet),        Int(outputPrecision), Int(clipPrecision), Int(quality),
                Int(pitchAndFamily), Text(faceName)};
  });
  if (call.Fails()) return nullptr;
  // Underline and strikeout are drawn by GDI's text output, which the demo
  // does not use; glyph outlines and bitmaps never carry them.
  auto object = std::make_unique<core::FontObject>();
  object->request.faceName = faceName ? faceName : "";
  object->request.height = height;
  object->request.weight = weight;
  object->request.italic = italic != 0;
  if (!core::Resolve(object.get(), __func__)) return nullptr;
  core::GdiFonts& state = core::State();
  const HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(core::kFontHandleTag | state.nextId++);
  state.objects.emplace(handle, std::move(object));
  return static_cast<HFONT>(handle);
} catch (...) {
  return core::Failed(__func__, HFONT{});
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) try {
  const core::Call call(__func__, [&] { return Args{Handle(hdc), Handle(object)}; });
  core::FontObject* font = core::Find(object);
  if (call.Fails() || !hdc || !font || font->deletePending) return nullptr;
  const HGDIOBJ previous = core::SelectedObject(hdc);
  // The choice is recorded before any count changes: recording may fail.
  if (object == core::kStockFont)
    core::State().selected.erase(hdc);
  else
    core::State().selected[hdc] = object;
  core::Hold(object);
  core::Deselect(previous);
  return previous;
} catch (...) {
  return core::Failed(__func__, HGDIOBJ{});
}

BOOL WINAPI DeleteObject(HGDIOBJ object) try {
  const core::Call call(__func__, [&] { return Args{Handle(object)}; });
  core::FontObject* font = core::Find(object);
  if (call.Fails() || !font) return FALSE;
  // Stock objects may be "deleted" harmlessly, as on Windows.
  if (object == core::kStockFont) return TRUE;
  if (font->selections > 0)
    font->deletePending = true;
  else
    core::Destroy(object);
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI GetCharWidthA(HDC hdc, UINT firstChar, UINT lastChar, int* widths) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hdc), Int(firstChar), Int(lastChar), Handle(widths)};
  });
  if (call.Fails() || !widths || firstChar > lastChar) return FALSE;
  core::Face* face = core::SelectedFace(hdc, __func__);
  if (!face) return FALSE;
  return core::TheBackend().Fonts().CharWidths(face, firstChar, lastChar, widths) ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT points, int count) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hdc), Int(count > 0 && points ? points[0].x : 0), Int(count)};
  });
  if (call.Fails()) return FALSE;
  // MM_TEXT, the only mapping mode the layer has: logical units are pixels.
  return hdc ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

int WINAPI AddFontResourceA(LPCSTR fileName) try {
  const core::Call call(__func__, [&] { return Args{Text(fileName)}; });
  if (call.Fails()) return 0;
  std::string why;
  const int faces = fileName ? core::TheBackend().Fonts().AddFontFile(fileName, &why) : 0;
  if (faces == 0)
    core::Report(__func__, "\"%s\" %s", fileName ? fileName : "(null)",
                 why.empty() ? "is not a font file that can be read" : why.c_str());
  return faces;
} catch (...) {
  return core::Failed(__func__, 0);
}

BOOL WINAPI RemoveFontResourceA(LPCSTR fileName) try {
  const core::Call call(__func__, [&] { return Args{Text(fileName)}; });
  if (call.Fails()) return FALSE;
  return fileName && core::TheBackend().Fonts().RemoveFontFile(fileName) ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}
