// gdi32 on the fake: device contexts, pixel formats and fonts as bookkeeping.
#include "fake_platform.h"

using fake::Get;
using fake::Handle;
using fake::Hex;
using fake::Int;
using fake::Str;

namespace {

// What a fresh device context has selected: the stock system font.
const HGDIOBJ kStockFont = reinterpret_cast<HGDIOBJ>(0x4ffff);

bool IsLiveDC(HDC hdc) {
  return Get().deviceContexts.count(hdc) != 0;
}

}  // namespace

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) {
  if (Get().Record("ChoosePixelFormat",
                   {Handle(hdc), Int(pfd->nSize), Int(pfd->nVersion), Hex(pfd->dwFlags),
                    Int(pfd->iPixelType), Int(pfd->cColorBits), Int(pfd->cDepthBits),
                    Int(pfd->cStencilBits)}) ||
      !IsLiveDC(hdc))
    return 0;
  Get().chosenFormat = *pfd;
  return 1;
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* pfd) {
  if (Get().Record("SetPixelFormat", {Handle(hdc), Int(format), Handle(pfd)}) || !IsLiveDC(hdc))
    return FALSE;
  // A window's pixel format can be set once only.
  if (Get().pixelFormats.count(hdc)) return FALSE;
  Get().pixelFormats[hdc] = format;
  return TRUE;
}

BOOL WINAPI SwapBuffers(HDC hdc) {
  if (Get().Record("SwapBuffers", {Handle(hdc)}) || !IsLiveDC(hdc)) return FALSE;
  Get().swaps++;
  return TRUE;
}

int WINAPI AddFontResourceA(LPCSTR fileName) {
  if (Get().Record("AddFontResourceA", {Str(fileName)})) return 0;
  Get().fontResources.insert(fileName);
  return 1;
}

BOOL WINAPI RemoveFontResourceA(LPCSTR fileName) {
  if (Get().Record("RemoveFontResourceA", {Str(fileName)})) return FALSE;
  return Get().fontResources.erase(fileName) != 0;
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outputPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR faceName) {
  if (Get().Record("CreateFontA",
                   {Int(height), Int(width), Int(escapement), Int(orientation), Int(weight),
                    Int(italic), Int(underline), Int(strikeOut), Int(charSet), Int(outputPrecision),
                    Int(clipPrecision), Int(quality), Int(pitchAndFamily), Str(faceName)}))
    return nullptr;
  HFONT font = reinterpret_cast<HFONT>(0x40000 + ++Get().nextHandle);
  Get().fonts.insert(font);
  return font;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
  if (Get().Record("SelectObject", {Handle(hdc), Handle(object)}) || !IsLiveDC(hdc)) return nullptr;
  auto [it, fresh] = Get().selectedFont.emplace(hdc, kStockFont);
  (void)fresh;
  HGDIOBJ previous = it->second;
  it->second = object;
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  if (Get().Record("DeleteObject", {Handle(object)})) return FALSE;
  return Get().fonts.erase(static_cast<HFONT>(object)) != 0;
}

BOOL WINAPI GetCharWidthA(HDC hdc, UINT firstChar, UINT lastChar, int* widths) {
  if (Get().Record("GetCharWidthA", {Handle(hdc), Int(firstChar), Int(lastChar), Handle(widths)}) ||
      !IsLiveDC(hdc))
    return FALSE;
  for (UINT code = firstChar; code <= lastChar; ++code)
    widths[code - firstChar] = fake::FakeCharWidth(code);
  return TRUE;
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT points, int count) {
  if (Get().Record("LPtoDP", {Handle(hdc), Int(count ? points[0].x : 0), Int(count)}) ||
      !IsLiveDC(hdc))
    return FALSE;
  return TRUE;  // MM_TEXT: logical units are device units
}
