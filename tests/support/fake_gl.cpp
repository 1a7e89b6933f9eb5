// The recording GL and GLU: every call the demo makes, with decoded
// arguments, and enough state to check that pushes and pops balance and that
// nothing reaches GL without a current context.
#include <cstring>

#include "fake_platform.h"

using fake::Arg;
using fake::Float;
using fake::Get;
using fake::GlBits;
using fake::GlEnum;
using fake::Int;

namespace {

// Records a GL call; true when it must fail. A call made with no current
// context is flagged, since real GL would ignore it or crash.
bool Gl(const char* name, std::initializer_list<Arg> args) {
  fake::Platform& platform = Get();
  const bool fail = platform.Record(name, args);
  if (!platform.contextCurrent) {
    platform.glCallsWithoutContext++;
    platform.calls.back().text += " [no current context]";
  }
  return fail;
}

int& Depth() {
  return Get().matrixMode == GL_PROJECTION ? Get().projectionDepth : Get().modelviewDepth;
}

}  // namespace

void GLAPIENTRY glClear(GLbitfield mask) {
  Gl("glClear", {GlBits(mask)});
}
void GLAPIENTRY glEnable(GLenum cap) {
  Gl("glEnable", {GlEnum(cap)});
}
void GLAPIENTRY glDisable(GLenum cap) {
  Gl("glDisable", {GlEnum(cap)});
}
void GLAPIENTRY glDepthFunc(GLenum func) {
  Gl("glDepthFunc", {GlEnum(func)});
}
void GLAPIENTRY glCullFace(GLenum mode) {
  Gl("glCullFace", {GlEnum(mode)});
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  Gl("glViewport", {Int(x), Int(y), Int(width), Int(height)});
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
  Gl("glMatrixMode", {GlEnum(mode)});
  Get().matrixMode = mode;
}

void GLAPIENTRY glLoadIdentity(void) {
  Gl("glLoadIdentity", {});
}

void GLAPIENTRY glPushMatrix(void) {
  Gl("glPushMatrix", {});
  Depth()++;
}

void GLAPIENTRY glPopMatrix(void) {
  Gl("glPopMatrix", {});
  Depth()--;
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Gl("glTranslatef", {Float(x), Float(y), Float(z)});
}

void GLAPIENTRY glPushAttrib(GLbitfield mask) {
  Gl("glPushAttrib", {GlBits(mask)});
  Get().attribDepth++;
}

void GLAPIENTRY glPopAttrib(void) {
  Gl("glPopAttrib", {});
  Get().attribDepth--;
}

void GLAPIENTRY glColor4fv(const GLfloat* v) {
  Gl("glColor4fv", {Float(v[0]), Float(v[1]), Float(v[2]), Float(v[3])});
}

void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
  if (!Get().recordVertices) return;
  Gl("glColor3f", {Float(red), Float(green), Float(blue)});
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  if (!Get().recordVertices) return;
  Gl("glVertex3f", {Float(x), Float(y), Float(z)});
}

void GLAPIENTRY glBegin(GLenum mode) {
  Gl("glBegin", {GlEnum(mode)});
}
void GLAPIENTRY glEnd(void) {
  Gl("glEnd", {});
}

void GLAPIENTRY glRasterPos2f(GLfloat x, GLfloat y) {
  Gl("glRasterPos2f", {Float(x), Float(y)});
}
void GLAPIENTRY glListBase(GLuint base) {
  Gl("glListBase", {Int(base)});
}

void GLAPIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  // Byte lists are text: show them as such.
  Arg names{0, "NULL"};
  if (lists && type == GL_UNSIGNED_BYTE) {
    names.text = "\"" + std::string(static_cast<const char*>(lists), static_cast<size_t>(n)) + "\"";
  }
  Gl("glCallLists", {Int(n), GlEnum(type), names});
}

GLuint GLAPIENTRY glGenLists(GLsizei range) {
  if (Gl("glGenLists", {Int(range)}) || range <= 0 || !Get().contextCurrent) return 0;
  const GLuint first = Get().nextList;
  for (GLsizei i = 0; i < range; ++i) Get().lists.insert(first + static_cast<GLuint>(i));
  Get().nextList += static_cast<GLuint>(range);
  return first;
}

void GLAPIENTRY glDeleteLists(GLuint list, GLsizei range) {
  Gl("glDeleteLists", {Int(list), Int(range)});
  if (!Get().contextCurrent) return;
  for (GLsizei i = 0; i < range; ++i) Get().lists.erase(list + static_cast<GLuint>(i));
}

void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  Gl("gluPerspective", {Float(fovy), Float(aspect), Float(zNear), Float(zFar)});
}

void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
  Gl("gluLookAt", {Float(eyeX), Float(eyeY), Float(eyeZ), Float(centerX), Float(centerY),
                   Float(centerZ), Float(upX), Float(upY), Float(upZ)});
}
