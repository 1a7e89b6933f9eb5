// Display lists made from a face, for wglUseFontBitmapsA and
// wglUseFontOutlinesA. The glyphs themselves come from glyph_builder; this
// file walks the codes, spreads the glyph work over spare cores and keeps the
// caller's GL state intact.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/core/report.h"
#include "platform/native/fonts/font_resolver.h"
#include "platform/native/fonts/glyph_builder.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/fonts/ordered_work.h"
#include "platform/native/window_system/sdl_backend.h"

namespace native::fonts {
namespace {

// Reading and tessellating glyphs is most of a build and needs no context, so
// it is spread over spare cores. More than a few helpers gain nothing: the
// calling thread compiling the lists is then the bottleneck.
const size_t kMaxHelpers = 3;

// One tessellator per thread that prepares glyphs, kept from call to call.
struct Tessellators {
  std::vector<std::unique_ptr<GlyphTessellator>> perWorker;
  bool reported = false;
};

Tessellators& TessellatorState() {
  static Tessellators state;
  return state;
}

bool MakeTessellators(size_t workers) {
  Tessellators& state = TessellatorState();
  while (state.perWorker.size() < workers) {
    auto tessellator = std::make_unique<GlyphTessellator>();
    if (!tessellator->Usable()) {
      if (!state.reported) core::Report("wglUseFontOutlinesA", "GLU cannot make a tessellator");
      state.reported = true;
      return false;
    }
    state.perWorker.push_back(std::move(tessellator));
  }
  return true;
}

// The lists go into whatever context is current, whoever made it. GL itself
// knows whether there is one: without a context its entry points are no-ops
// and glGetString answers null.
bool HasCurrentContext() {
  return glGetString(GL_VERSION) != nullptr;
}

// The client pixel-store state that glBitmap reads while a list is compiled.
struct UnpackState {
  GLint alignment, rowLength, skipRows, skipPixels, lsbFirst, swapBytes;
};

UnpackState SaveUnpack() {
  UnpackState saved{};
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved.alignment);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &saved.rowLength);
  glGetIntegerv(GL_UNPACK_SKIP_ROWS, &saved.skipRows);
  glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &saved.skipPixels);
  glGetIntegerv(GL_UNPACK_LSB_FIRST, &saved.lsbFirst);
  glGetIntegerv(GL_UNPACK_SWAP_BYTES, &saved.swapBytes);
  return saved;
}

void SetUnpack(const UnpackState& state) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, state.alignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, state.rowLength);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, state.skipRows);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, state.skipPixels);
  glPixelStorei(GL_UNPACK_LSB_FIRST, state.lsbFirst);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, state.swapBytes);
}

// Tightly packed rows padded to 4 bytes, most significant bit first: the
// layout RenderBitmapGlyph writes, whatever the caller had set.
const UnpackState kGlyphUnpack{4, 0, 0, 0, GL_FALSE, GL_FALSE};

// Save and set now, restore however the build ends.
class ScopedUnpack {
 public:
  explicit ScopedUnpack(const UnpackState& state) : saved_(SaveUnpack()) { SetUnpack(state); }
  ~ScopedUnpack() { SetUnpack(saved_); }
  ScopedUnpack(const ScopedUnpack&) = delete;
  ScopedUnpack& operator=(const ScopedUnpack&) = delete;

 private:
  const UnpackState saved_;
};

// Glyphs are prepared a batch at a time, so that a call for many codes never
// holds more than a batch of them.
const DWORD kBatch = 256;

template <typename BuildBatch>
bool InBatches(DWORD first, DWORD count, DWORD listBase, const BuildBatch& build) {
  for (DWORD done = 0; done < count;) {
    const DWORD size = std::min(kBatch, count - done);
    if (!build(first + done, size, listBase + done)) return false;
    done += size;
  }
  return true;
}

// Copies of the font for the helper threads, so that each reads glyphs from a
// face of its own; closed when the batch is done.
class FontCopies {
 public:
  FontCopies(const SizedFont& font, size_t wanted) : font_(font) {
    copies_.reserve(wanted);  // an open copy is never lost to a failed push_back
    for (size_t i = 0; i < wanted; ++i) {
      SizedFont copy;
      if (!OpenFontCopy(font, &copy)) break;
      copies_.push_back(copy);
    }
  }
  ~FontCopies() {
    for (SizedFont& copy : copies_) CloseFontCopy(&copy);
  }
  FontCopies(const FontCopies&) = delete;
  FontCopies& operator=(const FontCopies&) = delete;

  size_t Helpers() const { return copies_.size(); }
  const SizedFont& For(size_t worker) const { return worker == 0 ? font_ : copies_[worker - 1]; }

 private:
  const SizedFont& font_;
  std::vector<SizedFont> copies_;
};

bool BuildBitmapBatch(const SizedFont& font, DWORD first, DWORD count, DWORD listBase) {
  const FontCopies fonts(font, SpareCores(kMaxHelpers));
  std::vector<BitmapGlyph> glyphs(count);
  const bool topDown = native::window_system::CurrentDrawsTopDown();
  auto render = [&](size_t i, size_t worker) {
    const SizedFont& mine = fonts.For(worker);
    return RenderBitmapGlyph(mine, GlyphForAnsiCode(mine, first + i), &glyphs[i]);
  };
  auto compile = [&](size_t i) {
    CompileBitmapList(glyphs[i], listBase + i, topDown);
    glyphs[i] = BitmapGlyph();
    return true;
  };
  return RunInOrder(count, fonts.Helpers(), render, compile);
}

bool BuildOutlineBatch(const SizedFont& font, DWORD first, DWORD count, DWORD listBase,
                       const OutlineStyle& style, GLYPHMETRICSFLOAT* metrics) {
  const FontCopies fonts(font, SpareCores(kMaxHelpers));
  if (style.polygons && !MakeTessellators(1 + fonts.Helpers())) return false;
  std::vector<OutlineGlyph> glyphs(count);
  auto prepare = [&](size_t i, size_t worker) {
    const SizedFont& mine = fonts.For(worker);
    if (!ShapeOutlineGlyph(mine, GlyphForAnsiCode(mine, first + i), style, &glyphs[i]))
      return false;
    return !style.polygons || TessellatorState().perWorker[worker]->Tessellate(&glyphs[i]);
  };
  auto compile = [&](size_t i) {
    CompileOutlineList(glyphs[i], style, listBase + i);
    if (metrics) metrics[i] = glyphs[i].metrics;
    glyphs[i] = OutlineGlyph();
    return true;
  };
  return RunInOrder(count, fonts.Helpers(), prepare, compile);
}

}  // namespace

bool BuildBitmapLists(const SizedFont& font, DWORD first, DWORD count, DWORD listBase) {
  if (!HasCurrentContext()) return false;
  const ScopedUnpack unpack(kGlyphUnpack);
  return InBatches(first, count, listBase, [&](DWORD from, DWORD n, DWORD base) {
    return BuildBitmapBatch(font, from, n, base);
  });
}

bool BuildOutlineLists(const SizedFont& font, DWORD first, DWORD count, DWORD listBase,
                       bool polygons, float deviation, float extrusion,
                       GLYPHMETRICSFLOAT* metrics) {
  if (!HasCurrentContext()) return false;
  OutlineStyle style;
  style.polygons = polygons;
  style.deviation = deviation;
  style.extrusion = extrusion;
  return InBatches(first, count, listBase, [&](DWORD from, DWORD n, DWORD base) {
    return BuildOutlineBatch(font, from, n, base, style,
                             metrics ? metrics + (base - listBase) : nullptr);
  });
}

}  // namespace native::fonts
