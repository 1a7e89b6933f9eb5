// One GL 1.1 rendering context, emulated: the state GL keeps (matrix stacks,
// current colour and raster position, enables, display lists, the attribute
// stack, the error flag) and the fixed-function work (vertex transform,
// primitive assembly, glBitmap), handing batches of clip-space vertices to a
// Renderer. The GL entry points in opengl32.cpp call the current context's
// methods of the same names.
//
// Display lists record calls as closures that call these same methods again
// when the list runs; while a list runs nothing is recorded.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/web/gl/matrix.h"
#include "platform/web/gl/renderer.h"

namespace web::gl {

// GL's clamping of colours to [0, 1].
inline float Clamp01(float value) {
  return std::min(1.0f, std::max(0.0f, value));
}

// Says on the console, once per distinct `what`, that a call is outside the
// emulated subset: "plumo: glAccum: outside the GL 1.1 subset of the web page".
void ReportOutsideSubset(const std::string& what);
// Lets every call be reported once more (tests start from nothing).
void ForgetReports();

class GlContext {
 public:
  // Mesa's limits, which the native build runs on.
  static constexpr int kModelviewDepth = 32;
  static constexpr int kProjectionDepth = 32;
  static constexpr int kAttribDepth = 16;
  static constexpr int kListNesting = 64;

  explicit GlContext(Renderer* renderer);

  // The framebuffer the context draws to. The first size also sets the
  // viewport, as the first wglMakeCurrent does.
  void SetDrawableSize(int width, int height);
  int DrawableWidth() const { return drawableWidth_; }
  int DrawableHeight() const { return drawableHeight_; }
  // Hands the pending batch to the renderer.
  void Flush();

  // Sets GL_INVALID_OPERATION for a call outside the subset, and says so.
  void Outside(const std::string& what);

  // The GL entry points, by their names without "gl".
  void Clear(GLbitfield mask);
  void ClearColor(float r, float g, float b, float a);
  void ClearDepth(double depth);
  void Enable(GLenum cap);
  void Disable(GLenum cap);
  GLboolean IsEnabled(GLenum cap);
  void DepthFunc(GLenum func);
  void CullFace(GLenum mode);
  void FrontFace(GLenum mode);
  void Viewport(GLint x, GLint y, GLsizei width, GLsizei height);

  void MatrixMode(GLenum mode);
  void LoadIdentity();
  void LoadMatrix(const Matrix& matrix);
  void MultMatrix(const Matrix& matrix);
  void PushMatrix();
  void PopMatrix();
  void Translate(float x, float y, float z);
  void Rotate(float degrees, float x, float y, float z);
  void Scale(float x, float y, float z);
  void Frustum(double l, double r, double b, double t, double n, double f);
  void Ortho(double l, double r, double b, double t, double n, double f);

  void Begin(GLenum mode);
  void End();
  void Vertex(float x, float y, float z, float w);
  void Color(float r, float g, float b, float a);
  void Normal(float x, float y, float z);

  void RasterPos(float x, float y, float z, float w);
  void Bitmap(GLsizei width, GLsizei height, float xorig, float yorig, float xmove, float ymove,
              const GLubyte* bitmap);
  void PixelStore(GLenum name, GLint value);

  GLuint GenLists(GLsizei range);
  void DeleteLists(GLuint list, GLsizei range);
  GLboolean IsList(GLuint list);
  void NewList(GLuint list, GLenum mode);
  void EndList();
  void CallList(GLuint list);
  void CallLists(GLsizei n, GLenum type, const void* lists);
  void ListBase(GLuint base);

  void PushAttrib(GLbitfield mask);
  void PopAttrib();

  GLenum GetError();
  void GetIntegerv(GLenum name, GLint* values);
  void GetFloatv(GLenum name, GLfloat* values);
  void GetBooleanv(GLenum name, GLboolean* values);
  const GLubyte* GetString(GLenum name);
  void Finish();

 private:
  // The state glPushAttrib can save (all of it, for any mask: the rest of
  // GL's state cannot be changed in this subset).
  struct Attributes {
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    bool rasterValid = true;
    float raster[4] = {0, 0, 0, 1};  // window coordinates and clip w
    float rasterColor[4] = {1, 1, 1, 1};
    DrawState draw;
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1.0f;
    GLenum matrixMode = GL_MODELVIEW;
    GLuint listBase = 0;
  };
  struct SavedAttributes {
    GLbitfield mask;
    Attributes state;
  };
  struct GlyphPlace {
    int x, y;
  };
  using Command = std::function<void(GlContext&)>;

  void SetError(GLenum error);
  bool InsideBegin();  // sets GL_INVALID_OPERATION when it is
  // Compiles a call into the open list; true when it must also run now.
  bool Record(Command command);
  std::vector<Matrix>& Stack();
  Matrix& Top() { return Stack().back(); }
  void Emit(Shape shape, const DrawState& state, const web::gl::Vertex* vertices, size_t count);
  void AssemblePrimitive();
  bool PlaceGlyph(GLsizei width, GLsizei height, const GLubyte* bitmap, GlyphPlace* place);
  void DrawGlyph(GLsizei width, GLsizei height, const GlyphPlace& place, float xorig, float yorig,
                 float xmove, float ymove);
  void RunList(GLuint list);
  void Restore(const SavedAttributes& saved);

  Renderer* renderer_;
  int drawableWidth_ = 0, drawableHeight_ = 0;
  GLenum error_ = GL_NO_ERROR;
  Attributes state_;
  std::vector<Matrix> modelview_{Matrix()};
  std::vector<Matrix> projection_{Matrix()};
  std::vector<SavedAttributes> attribStack_;
  GLint unpackAlignment_ = 4;

  // Between glBegin and glEnd.
  GLenum primitive_ = 0;
  bool inBegin_ = false;
  Matrix clipFromObject_;
  std::vector<web::gl::Vertex> corners_;

  // The batch not yet drawn.
  Shape batchShape_ = Shape::kTriangles;
  DrawState batchState_;
  bool batchGlyphs_ = false;  // glyph pixels, which the renderer draws with their own shader
  std::vector<web::gl::Vertex> batch_;

  // Display lists.
  std::map<GLuint, std::vector<Command>> lists_;
  GLuint compilingList_ = 0;
  GLenum compileMode_ = 0;
  std::vector<Command> compiling_;
  int listDepth_ = 0;  // lists running, one inside another

  // Glyph atlas: shelves filled left to right, each bitmap stored once.
  std::unordered_map<std::string, GlyphPlace> glyphPlaces_;
  int shelfX_ = 0, shelfY_ = 0, shelfHeight_ = 0;
};

// The context wglMakeCurrent made current; null when none is.
GlContext* Current();
void MakeCurrent(GlContext* context);

}  // namespace web::gl
