// opengl32 and glu32 in the web page: the GL 1.1 and GLU entry points of the
// subset (listed in ../CMakeLists.txt), each handed to the current context.
// Without a current context a call does nothing, as in GL. Every other GL 1.1
// entry point is in outside_subset.cpp, which the build writes.
#include "platform/web/gl/gl_context.h"

using web::gl::Current;
using web::gl::Matrix;

// Calls `method(args)` on the current context, if there is one.
#define PLUMO_ON_CONTEXT(call) \
  do {                         \
    if (auto* c = Current()) { \
      c->call;                 \
    }                          \
  } while (0)

void GLAPIENTRY glClear(GLbitfield mask) {
  PLUMO_ON_CONTEXT(Clear(mask));
}
void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  PLUMO_ON_CONTEXT(ClearColor(r, g, b, a));
}
void GLAPIENTRY glClearDepth(GLclampd depth) {
  PLUMO_ON_CONTEXT(ClearDepth(depth));
}
void GLAPIENTRY glEnable(GLenum cap) {
  PLUMO_ON_CONTEXT(Enable(cap));
}
void GLAPIENTRY glDisable(GLenum cap) {
  PLUMO_ON_CONTEXT(Disable(cap));
}
GLboolean GLAPIENTRY glIsEnabled(GLenum cap) {
  return Current() ? Current()->IsEnabled(cap) : GL_FALSE;
}
void GLAPIENTRY glDepthFunc(GLenum func) {
  PLUMO_ON_CONTEXT(DepthFunc(func));
}
void GLAPIENTRY glCullFace(GLenum mode) {
  PLUMO_ON_CONTEXT(CullFace(mode));
}
void GLAPIENTRY glFrontFace(GLenum mode) {
  PLUMO_ON_CONTEXT(FrontFace(mode));
}
void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  PLUMO_ON_CONTEXT(Viewport(x, y, width, height));
}

// ---------------------------------------------------------------- matrices

void GLAPIENTRY glMatrixMode(GLenum mode) {
  PLUMO_ON_CONTEXT(MatrixMode(mode));
}
void GLAPIENTRY glLoadIdentity(void) {
  PLUMO_ON_CONTEXT(LoadIdentity());
}
void GLAPIENTRY glLoadMatrixf(const GLfloat* m) {
  PLUMO_ON_CONTEXT(LoadMatrix(Matrix::FromColumns(m)));
}
void GLAPIENTRY glLoadMatrixd(const GLdouble* m) {
  PLUMO_ON_CONTEXT(LoadMatrix(Matrix::FromColumns(m)));
}
void GLAPIENTRY glMultMatrixf(const GLfloat* m) {
  PLUMO_ON_CONTEXT(MultMatrix(Matrix::FromColumns(m)));
}
void GLAPIENTRY glMultMatrixd(const GLdouble* m) {
  PLUMO_ON_CONTEXT(MultMatrix(Matrix::FromColumns(m)));
}
void GLAPIENTRY glPushMatrix(void) {
  PLUMO_ON_CONTEXT(PushMatrix());
}
void GLAPIENTRY glPopMatrix(void) {
  PLUMO_ON_CONTEXT(PopMatrix());
}
void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  PLUMO_ON_CONTEXT(Translate(x, y, z));
}
void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  PLUMO_ON_CONTEXT(Translate(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
}
void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  PLUMO_ON_CONTEXT(Rotate(angle, x, y, z));
}
void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
  PLUMO_ON_CONTEXT(Scale(x, y, z));
}
void GLAPIENTRY glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  PLUMO_ON_CONTEXT(Frustum(l, r, b, t, n, f));
}
void GLAPIENTRY glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  PLUMO_ON_CONTEXT(Ortho(l, r, b, t, n, f));
}

// ---------------------------------------------------------------- immediate mode

void GLAPIENTRY glBegin(GLenum mode) {
  PLUMO_ON_CONTEXT(Begin(mode));
}
void GLAPIENTRY glEnd(void) {
  PLUMO_ON_CONTEXT(End());
}
void GLAPIENTRY glVertex2f(GLfloat x, GLfloat y) {
  PLUMO_ON_CONTEXT(Vertex(x, y, 0, 1));
}
void GLAPIENTRY glVertex2i(GLint x, GLint y) {
  PLUMO_ON_CONTEXT(Vertex(static_cast<float>(x), static_cast<float>(y), 0, 1));
}
void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  PLUMO_ON_CONTEXT(Vertex(x, y, z, 1));
}
void GLAPIENTRY glVertex3fv(const GLfloat* v) {
  PLUMO_ON_CONTEXT(Vertex(v[0], v[1], v[2], 1));
}
void GLAPIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  PLUMO_ON_CONTEXT(Vertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1));
}
void GLAPIENTRY glVertex3dv(const GLdouble* v) {
  PLUMO_ON_CONTEXT(
      Vertex(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]), 1));
}
void GLAPIENTRY glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
  PLUMO_ON_CONTEXT(Vertex(x, y, z, w));
}
void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) {
  PLUMO_ON_CONTEXT(Color(r, g, b, 1));
}
void GLAPIENTRY glColor3fv(const GLfloat* v) {
  PLUMO_ON_CONTEXT(Color(v[0], v[1], v[2], 1));
}
void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  PLUMO_ON_CONTEXT(Color(r, g, b, a));
}
void GLAPIENTRY glColor4fv(const GLfloat* v) {
  PLUMO_ON_CONTEXT(Color(v[0], v[1], v[2], v[3]));
}
void GLAPIENTRY glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
  PLUMO_ON_CONTEXT(Color(r / 255.0f, g / 255.0f, b / 255.0f, 1));
}
void GLAPIENTRY glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
  PLUMO_ON_CONTEXT(Color(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f));
}
void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  PLUMO_ON_CONTEXT(Normal(x, y, z));
}
void GLAPIENTRY glNormal3d(GLdouble x, GLdouble y, GLdouble z) {
  PLUMO_ON_CONTEXT(Normal(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
}

// ---------------------------------------------------------------- raster position, bitmaps

void GLAPIENTRY glRasterPos2f(GLfloat x, GLfloat y) {
  PLUMO_ON_CONTEXT(RasterPos(x, y, 0, 1));
}
void GLAPIENTRY glRasterPos2i(GLint x, GLint y) {
  PLUMO_ON_CONTEXT(RasterPos(static_cast<float>(x), static_cast<float>(y), 0, 1));
}
void GLAPIENTRY glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) {
  PLUMO_ON_CONTEXT(RasterPos(x, y, z, 1));
}
void GLAPIENTRY glRasterPos4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
  PLUMO_ON_CONTEXT(RasterPos(x, y, z, w));
}
void GLAPIENTRY glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                         GLfloat ymove, const GLubyte* bitmap) {
  PLUMO_ON_CONTEXT(Bitmap(width, height, xorig, yorig, xmove, ymove, bitmap));
}
void GLAPIENTRY glPixelStorei(GLenum name, GLint value) {
  PLUMO_ON_CONTEXT(PixelStore(name, value));
}

// ---------------------------------------------------------------- display lists

GLuint GLAPIENTRY glGenLists(GLsizei range) {
  return Current() ? Current()->GenLists(range) : 0;
}
void GLAPIENTRY glDeleteLists(GLuint list, GLsizei range) {
  PLUMO_ON_CONTEXT(DeleteLists(list, range));
}
GLboolean GLAPIENTRY glIsList(GLuint list) {
  return Current() ? Current()->IsList(list) : GL_FALSE;
}
void GLAPIENTRY glNewList(GLuint list, GLenum mode) {
  PLUMO_ON_CONTEXT(NewList(list, mode));
}
void GLAPIENTRY glEndList(void) {
  PLUMO_ON_CONTEXT(EndList());
}
void GLAPIENTRY glCallList(GLuint list) {
  PLUMO_ON_CONTEXT(CallList(list));
}
void GLAPIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  PLUMO_ON_CONTEXT(CallLists(n, type, lists));
}
void GLAPIENTRY glListBase(GLuint base) {
  PLUMO_ON_CONTEXT(ListBase(base));
}

// ---------------------------------------------------------------- attributes, queries

void GLAPIENTRY glPushAttrib(GLbitfield mask) {
  PLUMO_ON_CONTEXT(PushAttrib(mask));
}
void GLAPIENTRY glPopAttrib(void) {
  PLUMO_ON_CONTEXT(PopAttrib());
}
GLenum GLAPIENTRY glGetError(void) {
  return Current() ? Current()->GetError() : GL_NO_ERROR;
}
void GLAPIENTRY glGetIntegerv(GLenum name, GLint* values) {
  PLUMO_ON_CONTEXT(GetIntegerv(name, values));
}
void GLAPIENTRY glGetFloatv(GLenum name, GLfloat* values) {
  PLUMO_ON_CONTEXT(GetFloatv(name, values));
}
void GLAPIENTRY glGetBooleanv(GLenum name, GLboolean* values) {
  PLUMO_ON_CONTEXT(GetBooleanv(name, values));
}
const GLubyte* GLAPIENTRY glGetString(GLenum name) {
  return Current() ? Current()->GetString(name) : nullptr;
}
void GLAPIENTRY glFlush(void) {
  PLUMO_ON_CONTEXT(Finish());
}
void GLAPIENTRY glFinish(void) {
  PLUMO_ON_CONTEXT(Finish());
}

// ---------------------------------------------------------------- GLU

void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  Matrix matrix;
  if (web::gl::Perspective(fovy, aspect, zNear, zFar, &matrix))
    PLUMO_ON_CONTEXT(MultMatrix(matrix));
}
void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
  PLUMO_ON_CONTEXT(
      MultMatrix(web::gl::LookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ)));
}
void GLAPIENTRY gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
  PLUMO_ON_CONTEXT(Ortho(left, right, bottom, top, -1, 1));
}
