// Symbolic names for the values that appear in traces.
#include <cstdio>
#include <string>

#include "fake_platform.h"

namespace fake {
namespace {

struct Named {
  unsigned long value;
  const char* name;
};

std::string HexText(unsigned long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%lx", value);
  return buffer;
}

template <size_t N>
std::string Lookup(const Named (&table)[N], unsigned long value) {
  for (const Named& entry : table)
    if (entry.value == value) return entry.name;
  return HexText(value);
}

// Flags as NAME|NAME, with any bits left over in hex; "0" when none are set.
template <size_t N>
std::string Flags(const Named (&table)[N], unsigned long value) {
  std::string text;
  unsigned long rest = value;
  for (const Named& entry : table) {
    if (entry.value && (rest & entry.value) == entry.value) {
      text += (text.empty() ? "" : "|") + std::string(entry.name);
      rest &= ~entry.value;
    }
  }
  if (rest) text += (text.empty() ? "" : "|") + HexText(rest);
  return text.empty() ? "0" : text;
}

const Named kMessages[] = {
    {WM_NULL, "WM_NULL"},
    {WM_CREATE, "WM_CREATE"},
    {WM_DESTROY, "WM_DESTROY"},
    {WM_MOVE, "WM_MOVE"},
    {WM_SIZE, "WM_SIZE"},
    {WM_ACTIVATE, "WM_ACTIVATE"},
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_KILLFOCUS, "WM_KILLFOCUS"},
    {WM_CLOSE, "WM_CLOSE"},
    {WM_QUIT, "WM_QUIT"},
    {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
    {WM_DISPLAYCHANGE, "WM_DISPLAYCHANGE"},
    {WM_NCCREATE, "WM_NCCREATE"},
    {WM_NCDESTROY, "WM_NCDESTROY"},
    {WM_KEYDOWN, "WM_KEYDOWN"},
    {WM_KEYUP, "WM_KEYUP"},
    {WM_CHAR, "WM_CHAR"},
    {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
    {WM_SYSKEYUP, "WM_SYSKEYUP"},
    {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
};

// Composite styles first, so they win over their parts.
const Named kStyles[] = {
    {WS_OVERLAPPEDWINDOW, "WS_OVERLAPPEDWINDOW"},
    {WS_POPUP, "WS_POPUP"},
    {WS_CHILD, "WS_CHILD"},
    {WS_VISIBLE, "WS_VISIBLE"},
    {WS_CLIPSIBLINGS, "WS_CLIPSIBLINGS"},
    {WS_CLIPCHILDREN, "WS_CLIPCHILDREN"},
    {WS_CAPTION, "WS_CAPTION"},
    {WS_BORDER, "WS_BORDER"},
    {WS_SYSMENU, "WS_SYSMENU"},
    {WS_THICKFRAME, "WS_THICKFRAME"},
    {WS_MINIMIZEBOX, "WS_MINIMIZEBOX"},
    {WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX"},
};

const Named kExStyles[] = {
    {WS_EX_APPWINDOW, "WS_EX_APPWINDOW"},
    {WS_EX_WINDOWEDGE, "WS_EX_WINDOWEDGE"},
};

const Named kGlEnums[] = {
    {GL_POINTS, "GL_POINTS"},
    {GL_LINES, "GL_LINES"},
    {GL_LINE_LOOP, "GL_LINE_LOOP"},
    {GL_TRIANGLES, "GL_TRIANGLES"},
    {GL_NEVER, "GL_NEVER"},
    {GL_LESS, "GL_LESS"},
    {GL_EQUAL, "GL_EQUAL"},
    {GL_LEQUAL, "GL_LEQUAL"},
    {GL_FRONT, "GL_FRONT"},
    {GL_BACK, "GL_BACK"},
    {GL_FRONT_AND_BACK, "GL_FRONT_AND_BACK"},
    {GL_CULL_FACE, "GL_CULL_FACE"},
    {GL_LIGHTING, "GL_LIGHTING"},
    {GL_DEPTH_TEST, "GL_DEPTH_TEST"},
    {GL_BLEND, "GL_BLEND"},
    {GL_TEXTURE_2D, "GL_TEXTURE_2D"},
    {GL_UNPACK_ALIGNMENT, "GL_UNPACK_ALIGNMENT"},
    {GL_UNSIGNED_BYTE, "GL_UNSIGNED_BYTE"},
    {GL_MODELVIEW, "GL_MODELVIEW"},
    {GL_PROJECTION, "GL_PROJECTION"},
    {GL_COMPILE, "GL_COMPILE"},
};

const Named kGlBits[] = {
    {GL_COLOR_BUFFER_BIT, "GL_COLOR_BUFFER_BIT"},
    {GL_DEPTH_BUFFER_BIT, "GL_DEPTH_BUFFER_BIT"},
    {GL_STENCIL_BUFFER_BIT, "GL_STENCIL_BUFFER_BIT"},
    {GL_LIST_BIT, "GL_LIST_BIT"},
    {GL_ENABLE_BIT, "GL_ENABLE_BIT"},
};

}  // namespace

std::string MessageName(unsigned message) {
  return Lookup(kMessages, message);
}

std::string GlEnumName(unsigned value) {
  return Lookup(kGlEnums, value);
}

Arg GlBits(unsigned value) {
  return {static_cast<double>(value), Flags(kGlBits, value)};
}

Arg WindowStyle(unsigned long style) {
  return {static_cast<double>(style), Flags(kStyles, style)};
}

Arg ExStyle(unsigned long style) {
  return {static_cast<double>(style), Flags(kExStyles, style)};
}

}  // namespace fake
