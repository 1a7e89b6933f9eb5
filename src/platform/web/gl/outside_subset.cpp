// Made by tools/web/make_outside_subset.py: the GL 1.1 entry points outside
// the page's subset. Each sets GL_INVALID_OPERATION on the current context
// and says once on the console that it was called.
#include "platform/web/gl/gl_context.h"

// One entry point a line, as the script writes them.
// clang-format off

namespace {

void Outside(const char* name) {
  if (web::gl::GlContext* context = web::gl::Current())
    context->Outside(name);
  else
    web::gl::ReportOutsideSubset(name);
}

}  // namespace

void GLAPIENTRY glClearIndex(GLfloat) { Outside("glClearIndex"); }
void GLAPIENTRY glIndexMask(GLuint) { Outside("glIndexMask"); }
void GLAPIENTRY glColorMask(GLboolean, GLboolean, GLboolean, GLboolean) { Outside("glColorMask"); }
void GLAPIENTRY glAlphaFunc(GLenum, GLclampf) { Outside("glAlphaFunc"); }
void GLAPIENTRY glBlendFunc(GLenum, GLenum) { Outside("glBlendFunc"); }
void GLAPIENTRY glLogicOp(GLenum) { Outside("glLogicOp"); }
void GLAPIENTRY glPointSize(GLfloat) { Outside("glPointSize"); }
void GLAPIENTRY glLineWidth(GLfloat) { Outside("glLineWidth"); }
void GLAPIENTRY glLineStipple(GLint, GLushort) { Outside("glLineStipple"); }
void GLAPIENTRY glPolygonMode(GLenum, GLenum) { Outside("glPolygonMode"); }
void GLAPIENTRY glPolygonOffset(GLfloat, GLfloat) { Outside("glPolygonOffset"); }
void GLAPIENTRY glPolygonStipple(const GLubyte*) { Outside("glPolygonStipple"); }
void GLAPIENTRY glGetPolygonStipple(GLubyte*) { Outside("glGetPolygonStipple"); }
void GLAPIENTRY glEdgeFlag(GLboolean) { Outside("glEdgeFlag"); }
void GLAPIENTRY glEdgeFlagv(const GLboolean*) { Outside("glEdgeFlagv"); }
void GLAPIENTRY glScissor(GLint, GLint, GLsizei, GLsizei) { Outside("glScissor"); }
void GLAPIENTRY glClipPlane(GLenum, const GLdouble*) { Outside("glClipPlane"); }
void GLAPIENTRY glGetClipPlane(GLenum, GLdouble*) { Outside("glGetClipPlane"); }
void GLAPIENTRY glDrawBuffer(GLenum) { Outside("glDrawBuffer"); }
void GLAPIENTRY glReadBuffer(GLenum) { Outside("glReadBuffer"); }
void GLAPIENTRY glEnableClientState(GLenum) { Outside("glEnableClientState"); }
void GLAPIENTRY glDisableClientState(GLenum) { Outside("glDisableClientState"); }
void GLAPIENTRY glGetDoublev(GLenum, GLdouble*) { Outside("glGetDoublev"); }
void GLAPIENTRY glPushClientAttrib(GLbitfield) { Outside("glPushClientAttrib"); }
void GLAPIENTRY glPopClientAttrib(void) { Outside("glPopClientAttrib"); }
GLint GLAPIENTRY glRenderMode(GLenum) { Outside("glRenderMode"); return {}; }
void GLAPIENTRY glHint(GLenum, GLenum) { Outside("glHint"); }
void GLAPIENTRY glDepthMask(GLboolean) { Outside("glDepthMask"); }
void GLAPIENTRY glDepthRange(GLclampd, GLclampd) { Outside("glDepthRange"); }
void GLAPIENTRY glClearAccum(GLfloat, GLfloat, GLfloat, GLfloat) { Outside("glClearAccum"); }
void GLAPIENTRY glAccum(GLenum, GLfloat) { Outside("glAccum"); }
void GLAPIENTRY glRotated(GLdouble, GLdouble, GLdouble, GLdouble) { Outside("glRotated"); }
void GLAPIENTRY glScaled(GLdouble, GLdouble, GLdouble) { Outside("glScaled"); }
void GLAPIENTRY glVertex2d(GLdouble, GLdouble) { Outside("glVertex2d"); }
void GLAPIENTRY glVertex2s(GLshort, GLshort) { Outside("glVertex2s"); }
void GLAPIENTRY glVertex3i(GLint, GLint, GLint) { Outside("glVertex3i"); }
void GLAPIENTRY glVertex3s(GLshort, GLshort, GLshort) { Outside("glVertex3s"); }
void GLAPIENTRY glVertex4d(GLdouble, GLdouble, GLdouble, GLdouble) { Outside("glVertex4d"); }
void GLAPIENTRY glVertex4i(GLint, GLint, GLint, GLint) { Outside("glVertex4i"); }
void GLAPIENTRY glVertex4s(GLshort, GLshort, GLshort, GLshort) { Outside("glVertex4s"); }
void GLAPIENTRY glVertex2dv(const GLdouble*) { Outside("glVertex2dv"); }
void GLAPIENTRY glVertex2fv(const GLfloat*) { Outside("glVertex2fv"); }
void GLAPIENTRY glVertex2iv(const GLint*) { Outside("glVertex2iv"); }
void GLAPIENTRY glVertex2sv(const GLshort*) { Outside("glVertex2sv"); }
void GLAPIENTRY glVertex3iv(const GLint*) { Outside("glVertex3iv"); }
void GLAPIENTRY glVertex3sv(const GLshort*) { Outside("glVertex3sv"); }
void GLAPIENTRY glVertex4dv(const GLdouble*) { Outside("glVertex4dv"); }
void GLAPIENTRY glVertex4fv(const GLfloat*) { Outside("glVertex4fv"); }
void GLAPIENTRY glVertex4iv(const GLint*) { Outside("glVertex4iv"); }
void GLAPIENTRY glVertex4sv(const GLshort*) { Outside("glVertex4sv"); }
void GLAPIENTRY glNormal3b(GLbyte, GLbyte, GLbyte) { Outside("glNormal3b"); }
void GLAPIENTRY glNormal3i(GLint, GLint, GLint) { Outside("glNormal3i"); }
void GLAPIENTRY glNormal3s(GLshort, GLshort, GLshort) { Outside("glNormal3s"); }
void GLAPIENTRY glNormal3bv(const GLbyte*) { Outside("glNormal3bv"); }
void GLAPIENTRY glNormal3dv(const GLdouble*) { Outside("glNormal3dv"); }
void GLAPIENTRY glNormal3fv(const GLfloat*) { Outside("glNormal3fv"); }
void GLAPIENTRY glNormal3iv(const GLint*) { Outside("glNormal3iv"); }
void GLAPIENTRY glNormal3sv(const GLshort*) { Outside("glNormal3sv"); }
void GLAPIENTRY glIndexd(GLdouble) { Outside("glIndexd"); }
void GLAPIENTRY glIndexf(GLfloat) { Outside("glIndexf"); }
void GLAPIENTRY glIndexi(GLint) { Outside("glIndexi"); }
void GLAPIENTRY glIndexs(GLshort) { Outside("glIndexs"); }
void GLAPIENTRY glIndexub(GLubyte) { Outside("glIndexub"); }
void GLAPIENTRY glIndexdv(const GLdouble*) { Outside("glIndexdv"); }
void GLAPIENTRY glIndexfv(const GLfloat*) { Outside("glIndexfv"); }
void GLAPIENTRY glIndexiv(const GLint*) { Outside("glIndexiv"); }
void GLAPIENTRY glIndexsv(const GLshort*) { Outside("glIndexsv"); }
void GLAPIENTRY glIndexubv(const GLubyte*) { Outside("glIndexubv"); }
void GLAPIENTRY glColor3b(GLbyte, GLbyte, GLbyte) { Outside("glColor3b"); }
void GLAPIENTRY glColor3d(GLdouble, GLdouble, GLdouble) { Outside("glColor3d"); }
void GLAPIENTRY glColor3i(GLint, GLint, GLint) { Outside("glColor3i"); }
void GLAPIENTRY glColor3s(GLshort, GLshort, GLshort) { Outside("glColor3s"); }
void GLAPIENTRY glColor3ui(GLuint, GLuint, GLuint) { Outside("glColor3ui"); }
void GLAPIENTRY glColor3us(GLushort, GLushort, GLushort) { Outside("glColor3us"); }
void GLAPIENTRY glColor4b(GLbyte, GLbyte, GLbyte, GLbyte) { Outside("glColor4b"); }
void GLAPIENTRY glColor4d(GLdouble, GLdouble, GLdouble, GLdouble) { Outside("glColor4d"); }
void GLAPIENTRY glColor4i(GLint, GLint, GLint, GLint) { Outside("glColor4i"); }
void GLAPIENTRY glColor4s(GLshort, GLshort, GLshort, GLshort) { Outside("glColor4s"); }
void GLAPIENTRY glColor4ui(GLuint, GLuint, GLuint, GLuint) { Outside("glColor4ui"); }
void GLAPIENTRY glColor4us(GLushort, GLushort, GLushort, GLushort) { Outside("glColor4us"); }
void GLAPIENTRY glColor3bv(const GLbyte*) { Outside("glColor3bv"); }
void GLAPIENTRY glColor3dv(const GLdouble*) { Outside("glColor3dv"); }
void GLAPIENTRY glColor3iv(const GLint*) { Outside("glColor3iv"); }
void GLAPIENTRY glColor3sv(const GLshort*) { Outside("glColor3sv"); }
void GLAPIENTRY glColor3ubv(const GLubyte*) { Outside("glColor3ubv"); }
void GLAPIENTRY glColor3uiv(const GLuint*) { Outside("glColor3uiv"); }
void GLAPIENTRY glColor3usv(const GLushort*) { Outside("glColor3usv"); }
void GLAPIENTRY glColor4bv(const GLbyte*) { Outside("glColor4bv"); }
void GLAPIENTRY glColor4dv(const GLdouble*) { Outside("glColor4dv"); }
void GLAPIENTRY glColor4iv(const GLint*) { Outside("glColor4iv"); }
void GLAPIENTRY glColor4sv(const GLshort*) { Outside("glColor4sv"); }
void GLAPIENTRY glColor4ubv(const GLubyte*) { Outside("glColor4ubv"); }
void GLAPIENTRY glColor4uiv(const GLuint*) { Outside("glColor4uiv"); }
void GLAPIENTRY glColor4usv(const GLushort*) { Outside("glColor4usv"); }
void GLAPIENTRY glTexCoord1d(GLdouble) { Outside("glTexCoord1d"); }
void GLAPIENTRY glTexCoord1f(GLfloat) { Outside("glTexCoord1f"); }
void GLAPIENTRY glTexCoord1i(GLint) { Outside("glTexCoord1i"); }
void GLAPIENTRY glTexCoord1s(GLshort) { Outside("glTexCoord1s"); }
void GLAPIENTRY glTexCoord2d(GLdouble, GLdouble) { Outside("glTexCoord2d"); }
void GLAPIENTRY glTexCoord2f(GLfloat, GLfloat) { Outside("glTexCoord2f"); }
void GLAPIENTRY glTexCoord2i(GLint, GLint) { Outside("glTexCoord2i"); }
void GLAPIENTRY glTexCoord2s(GLshort, GLshort) { Outside("glTexCoord2s"); }
void GLAPIENTRY glTexCoord3d(GLdouble, GLdouble, GLdouble) { Outside("glTexCoord3d"); }
void GLAPIENTRY glTexCoord3f(GLfloat, GLfloat, GLfloat) { Outside("glTexCoord3f"); }
void GLAPIENTRY glTexCoord3i(GLint, GLint, GLint) { Outside("glTexCoord3i"); }
void GLAPIENTRY glTexCoord3s(GLshort, GLshort, GLshort) { Outside("glTexCoord3s"); }
void GLAPIENTRY glTexCoord4d(GLdouble, GLdouble, GLdouble, GLdouble) { Outside("glTexCoord4d"); }
void GLAPIENTRY glTexCoord4f(GLfloat, GLfloat, GLfloat, GLfloat) { Outside("glTexCoord4f"); }
void GLAPIENTRY glTexCoord4i(GLint, GLint, GLint, GLint) { Outside("glTexCoord4i"); }
void GLAPIENTRY glTexCoord4s(GLshort, GLshort, GLshort, GLshort) { Outside("glTexCoord4s"); }
void GLAPIENTRY glTexCoord1dv(const GLdouble*) { Outside("glTexCoord1dv"); }
void GLAPIENTRY glTexCoord1fv(const GLfloat*) { Outside("glTexCoord1fv"); }
void GLAPIENTRY glTexCoord1iv(const GLint*) { Outside("glTexCoord1iv"); }
void GLAPIENTRY glTexCoord1sv(const GLshort*) { Outside("glTexCoord1sv"); }
void GLAPIENTRY glTexCoord2dv(const GLdouble*) { Outside("glTexCoord2dv"); }
void GLAPIENTRY glTexCoord2fv(const GLfloat*) { Outside("glTexCoord2fv"); }
void GLAPIENTRY glTexCoord2iv(const GLint*) { Outside("glTexCoord2iv"); }
void GLAPIENTRY glTexCoord2sv(const GLshort*) { Outside("glTexCoord2sv"); }
void GLAPIENTRY glTexCoord3dv(const GLdouble*) { Outside("glTexCoord3dv"); }
void GLAPIENTRY glTexCoord3fv(const GLfloat*) { Outside("glTexCoord3fv"); }
void GLAPIENTRY glTexCoord3iv(const GLint*) { Outside("glTexCoord3iv"); }
void GLAPIENTRY glTexCoord3sv(const GLshort*) { Outside("glTexCoord3sv"); }
void GLAPIENTRY glTexCoord4dv(const GLdouble*) { Outside("glTexCoord4dv"); }
void GLAPIENTRY glTexCoord4fv(const GLfloat*) { Outside("glTexCoord4fv"); }
void GLAPIENTRY glTexCoord4iv(const GLint*) { Outside("glTexCoord4iv"); }
void GLAPIENTRY glTexCoord4sv(const GLshort*) { Outside("glTexCoord4sv"); }
void GLAPIENTRY glRasterPos2d(GLdouble, GLdouble) { Outside("glRasterPos2d"); }
void GLAPIENTRY glRasterPos2s(GLshort, GLshort) { Outside("glRasterPos2s"); }
void GLAPIENTRY glRasterPos3d(GLdouble, GLdouble, GLdouble) { Outside("glRasterPos3d"); }
void GLAPIENTRY glRasterPos3i(GLint, GLint, GLint) { Outside("glRasterPos3i"); }
void GLAPIENTRY glRasterPos3s(GLshort, GLshort, GLshort) { Outside("glRasterPos3s"); }
void GLAPIENTRY glRasterPos4d(GLdouble, GLdouble, GLdouble, GLdouble) { Outside("glRasterPos4d"); }
void GLAPIENTRY glRasterPos4i(GLint, GLint, GLint, GLint) { Outside("glRasterPos4i"); }
void GLAPIENTRY glRasterPos4s(GLshort, GLshort, GLshort, GLshort) { Outside("glRasterPos4s"); }
void GLAPIENTRY glRasterPos2dv(const GLdouble*) { Outside("glRasterPos2dv"); }
void GLAPIENTRY glRasterPos2fv(const GLfloat*) { Outside("glRasterPos2fv"); }
void GLAPIENTRY glRasterPos2iv(const GLint*) { Outside("glRasterPos2iv"); }
void GLAPIENTRY glRasterPos2sv(const GLshort*) { Outside("glRasterPos2sv"); }
void GLAPIENTRY glRasterPos3dv(const GLdouble*) { Outside("glRasterPos3dv"); }
void GLAPIENTRY glRasterPos3fv(const GLfloat*) { Outside("glRasterPos3fv"); }
void GLAPIENTRY glRasterPos3iv(const GLint*) { Outside("glRasterPos3iv"); }
void GLAPIENTRY glRasterPos3sv(const GLshort*) { Outside("glRasterPos3sv"); }
void GLAPIENTRY glRasterPos4dv(const GLdouble*) { Outside("glRasterPos4dv"); }
void GLAPIENTRY glRasterPos4fv(const GLfloat*) { Outside("glRasterPos4fv"); }
void GLAPIENTRY glRasterPos4iv(const GLint*) { Outside("glRasterPos4iv"); }
void GLAPIENTRY glRasterPos4sv(const GLshort*) { Outside("glRasterPos4sv"); }
void GLAPIENTRY glRectd(GLdouble, GLdouble, GLdouble, GLdouble) { Outside("glRectd"); }
void GLAPIENTRY glRectf(GLfloat, GLfloat, GLfloat, GLfloat) { Outside("glRectf"); }
void GLAPIENTRY glRecti(GLint, GLint, GLint, GLint) { Outside("glRecti"); }
void GLAPIENTRY glRects(GLshort, GLshort, GLshort, GLshort) { Outside("glRects"); }
void GLAPIENTRY glRectdv(const GLdouble*, const GLdouble*) { Outside("glRectdv"); }
void GLAPIENTRY glRectfv(const GLfloat*, const GLfloat*) { Outside("glRectfv"); }
void GLAPIENTRY glRectiv(const GLint*, const GLint*) { Outside("glRectiv"); }
void GLAPIENTRY glRectsv(const GLshort*, const GLshort*) { Outside("glRectsv"); }
void GLAPIENTRY glVertexPointer(GLint, GLenum, GLsizei, const GLvoid*) { Outside("glVertexPointer"); }
void GLAPIENTRY glNormalPointer(GLenum, GLsizei, const GLvoid*) { Outside("glNormalPointer"); }
void GLAPIENTRY glColorPointer(GLint, GLenum, GLsizei, const GLvoid*) { Outside("glColorPointer"); }
void GLAPIENTRY glIndexPointer(GLenum, GLsizei, const GLvoid*) { Outside("glIndexPointer"); }
void GLAPIENTRY glTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid*) { Outside("glTexCoordPointer"); }
void GLAPIENTRY glEdgeFlagPointer(GLsizei, const GLvoid*) { Outside("glEdgeFlagPointer"); }
void GLAPIENTRY glGetPointerv(GLenum, GLvoid**) { Outside("glGetPointerv"); }
void GLAPIENTRY glArrayElement(GLint) { Outside("glArrayElement"); }
void GLAPIENTRY glDrawArrays(GLenum, GLint, GLsizei) { Outside("glDrawArrays"); }
void GLAPIENTRY glDrawElements(GLenum, GLsizei, GLenum, const GLvoid*) { Outside("glDrawElements"); }
void GLAPIENTRY glInterleavedArrays(GLenum, GLsizei, const GLvoid*) { Outside("glInterleavedArrays"); }
void GLAPIENTRY glShadeModel(GLenum) { Outside("glShadeModel"); }
void GLAPIENTRY glLightf(GLenum, GLenum, GLfloat) { Outside("glLightf"); }
void GLAPIENTRY glLighti(GLenum, GLenum, GLint) { Outside("glLighti"); }
void GLAPIENTRY glLightfv(GLenum, GLenum, const GLfloat*) { Outside("glLightfv"); }
void GLAPIENTRY glLightiv(GLenum, GLenum, const GLint*) { Outside("glLightiv"); }
void GLAPIENTRY glGetLightfv(GLenum, GLenum, GLfloat*) { Outside("glGetLightfv"); }
void GLAPIENTRY glGetLightiv(GLenum, GLenum, GLint*) { Outside("glGetLightiv"); }
void GLAPIENTRY glLightModelf(GLenum, GLfloat) { Outside("glLightModelf"); }
void GLAPIENTRY glLightModeli(GLenum, GLint) { Outside("glLightModeli"); }
void GLAPIENTRY glLightModelfv(GLenum, const GLfloat*) { Outside("glLightModelfv"); }
void GLAPIENTRY glLightModeliv(GLenum, const GLint*) { Outside("glLightModeliv"); }
void GLAPIENTRY glMaterialf(GLenum, GLenum, GLfloat) { Outside("glMaterialf"); }
void GLAPIENTRY glMateriali(GLenum, GLenum, GLint) { Outside("glMateriali"); }
void GLAPIENTRY glMaterialfv(GLenum, GLenum, const GLfloat*) { Outside("glMaterialfv"); }
void GLAPIENTRY glMaterialiv(GLenum, GLenum, const GLint*) { Outside("glMaterialiv"); }
void GLAPIENTRY glGetMaterialfv(GLenum, GLenum, GLfloat*) { Outside("glGetMaterialfv"); }
void GLAPIENTRY glGetMaterialiv(GLenum, GLenum, GLint*) { Outside("glGetMaterialiv"); }
void GLAPIENTRY glColorMaterial(GLenum, GLenum) { Outside("glColorMaterial"); }
void GLAPIENTRY glPixelZoom(GLfloat, GLfloat) { Outside("glPixelZoom"); }
void GLAPIENTRY glPixelStoref(GLenum, GLfloat) { Outside("glPixelStoref"); }
void GLAPIENTRY glPixelTransferf(GLenum, GLfloat) { Outside("glPixelTransferf"); }
void GLAPIENTRY glPixelTransferi(GLenum, GLint) { Outside("glPixelTransferi"); }
void GLAPIENTRY glPixelMapfv(GLenum, GLsizei, const GLfloat*) { Outside("glPixelMapfv"); }
void GLAPIENTRY glPixelMapuiv(GLenum, GLsizei, const GLuint*) { Outside("glPixelMapuiv"); }
void GLAPIENTRY glPixelMapusv(GLenum, GLsizei, const GLushort*) { Outside("glPixelMapusv"); }
void GLAPIENTRY glGetPixelMapfv(GLenum, GLfloat*) { Outside("glGetPixelMapfv"); }
void GLAPIENTRY glGetPixelMapuiv(GLenum, GLuint*) { Outside("glGetPixelMapuiv"); }
void GLAPIENTRY glGetPixelMapusv(GLenum, GLushort*) { Outside("glGetPixelMapusv"); }
void GLAPIENTRY glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid*) { Outside("glReadPixels"); }
void GLAPIENTRY glDrawPixels(GLsizei, GLsizei, GLenum, GLenum, const GLvoid*) { Outside("glDrawPixels"); }
void GLAPIENTRY glCopyPixels(GLint, GLint, GLsizei, GLsizei, GLenum) { Outside("glCopyPixels"); }
void GLAPIENTRY glStencilFunc(GLenum, GLint, GLuint) { Outside("glStencilFunc"); }
void GLAPIENTRY glStencilMask(GLuint) { Outside("glStencilMask"); }
void GLAPIENTRY glStencilOp(GLenum, GLenum, GLenum) { Outside("glStencilOp"); }
void GLAPIENTRY glClearStencil(GLint) { Outside("glClearStencil"); }
void GLAPIENTRY glTexGend(GLenum, GLenum, GLdouble) { Outside("glTexGend"); }
void GLAPIENTRY glTexGenf(GLenum, GLenum, GLfloat) { Outside("glTexGenf"); }
void GLAPIENTRY glTexGeni(GLenum, GLenum, GLint) { Outside("glTexGeni"); }
void GLAPIENTRY glTexGendv(GLenum, GLenum, const GLdouble*) { Outside("glTexGendv"); }
void GLAPIENTRY glTexGenfv(GLenum, GLenum, const GLfloat*) { Outside("glTexGenfv"); }
void GLAPIENTRY glTexGeniv(GLenum, GLenum, const GLint*) { Outside("glTexGeniv"); }
void GLAPIENTRY glGetTexGendv(GLenum, GLenum, GLdouble*) { Outside("glGetTexGendv"); }
void GLAPIENTRY glGetTexGenfv(GLenum, GLenum, GLfloat*) { Outside("glGetTexGenfv"); }
void GLAPIENTRY glGetTexGeniv(GLenum, GLenum, GLint*) { Outside("glGetTexGeniv"); }
void GLAPIENTRY glTexEnvf(GLenum, GLenum, GLfloat) { Outside("glTexEnvf"); }
void GLAPIENTRY glTexEnvi(GLenum, GLenum, GLint) { Outside("glTexEnvi"); }
void GLAPIENTRY glTexEnvfv(GLenum, GLenum, const GLfloat*) { Outside("glTexEnvfv"); }
void GLAPIENTRY glTexEnviv(GLenum, GLenum, const GLint*) { Outside("glTexEnviv"); }
void GLAPIENTRY glGetTexEnvfv(GLenum, GLenum, GLfloat*) { Outside("glGetTexEnvfv"); }
void GLAPIENTRY glGetTexEnviv(GLenum, GLenum, GLint*) { Outside("glGetTexEnviv"); }
void GLAPIENTRY glTexParameterf(GLenum, GLenum, GLfloat) { Outside("glTexParameterf"); }
void GLAPIENTRY glTexParameteri(GLenum, GLenum, GLint) { Outside("glTexParameteri"); }
void GLAPIENTRY glTexParameterfv(GLenum, GLenum, const GLfloat*) { Outside("glTexParameterfv"); }
void GLAPIENTRY glTexParameteriv(GLenum, GLenum, const GLint*) { Outside("glTexParameteriv"); }
void GLAPIENTRY glGetTexParameterfv(GLenum, GLenum, GLfloat*) { Outside("glGetTexParameterfv"); }
void GLAPIENTRY glGetTexParameteriv(GLenum, GLenum, GLint*) { Outside("glGetTexParameteriv"); }
void GLAPIENTRY glGetTexLevelParameterfv(GLenum, GLint, GLenum, GLfloat*) { Outside("glGetTexLevelParameterfv"); }
void GLAPIENTRY glGetTexLevelParameteriv(GLenum, GLint, GLenum, GLint*) { Outside("glGetTexLevelParameteriv"); }
void GLAPIENTRY glTexImage1D(GLenum, GLint, GLint, GLsizei, GLint, GLenum, GLenum, const GLvoid*) { Outside("glTexImage1D"); }
void GLAPIENTRY glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*) { Outside("glTexImage2D"); }
void GLAPIENTRY glGetTexImage(GLenum, GLint, GLenum, GLenum, GLvoid*) { Outside("glGetTexImage"); }
void GLAPIENTRY glGenTextures(GLsizei, GLuint*) { Outside("glGenTextures"); }
void GLAPIENTRY glDeleteTextures(GLsizei, const GLuint*) { Outside("glDeleteTextures"); }
void GLAPIENTRY glBindTexture(GLenum, GLuint) { Outside("glBindTexture"); }
void GLAPIENTRY glPrioritizeTextures(GLsizei, const GLuint*, const GLclampf*) { Outside("glPrioritizeTextures"); }
GLboolean GLAPIENTRY glAreTexturesResident(GLsizei, const GLuint*, GLboolean*) { Outside("glAreTexturesResident"); return {}; }
GLboolean GLAPIENTRY glIsTexture(GLuint) { Outside("glIsTexture"); return {}; }
void GLAPIENTRY glTexSubImage1D(GLenum, GLint, GLint, GLsizei, GLenum, GLenum, const GLvoid*) { Outside("glTexSubImage1D"); }
void GLAPIENTRY glTexSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const GLvoid*) { Outside("glTexSubImage2D"); }
void GLAPIENTRY glCopyTexImage1D(GLenum, GLint, GLenum, GLint, GLint, GLsizei, GLint) { Outside("glCopyTexImage1D"); }
void GLAPIENTRY glCopyTexImage2D(GLenum, GLint, GLenum, GLint, GLint, GLsizei, GLsizei, GLint) { Outside("glCopyTexImage2D"); }
void GLAPIENTRY glCopyTexSubImage1D(GLenum, GLint, GLint, GLint, GLint, GLsizei) { Outside("glCopyTexSubImage1D"); }
void GLAPIENTRY glCopyTexSubImage2D(GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei) { Outside("glCopyTexSubImage2D"); }
void GLAPIENTRY glMap1d(GLenum, GLdouble, GLdouble, GLint, GLint, const GLdouble*) { Outside("glMap1d"); }
void GLAPIENTRY glMap1f(GLenum, GLfloat, GLfloat, GLint, GLint, const GLfloat*) { Outside("glMap1f"); }
void GLAPIENTRY glMap2d(GLenum, GLdouble, GLdouble, GLint, GLint, GLdouble, GLdouble, GLint, GLint, const GLdouble*) { Outside("glMap2d"); }
void GLAPIENTRY glMap2f(GLenum, GLfloat, GLfloat, GLint, GLint, GLfloat, GLfloat, GLint, GLint, const GLfloat*) { Outside("glMap2f"); }
void GLAPIENTRY glGetMapdv(GLenum, GLenum, GLdouble*) { Outside("glGetMapdv"); }
void GLAPIENTRY glGetMapfv(GLenum, GLenum, GLfloat*) { Outside("glGetMapfv"); }
void GLAPIENTRY glGetMapiv(GLenum, GLenum, GLint*) { Outside("glGetMapiv"); }
void GLAPIENTRY glEvalCoord1d(GLdouble) { Outside("glEvalCoord1d"); }
void GLAPIENTRY glEvalCoord1f(GLfloat) { Outside("glEvalCoord1f"); }
void GLAPIENTRY glEvalCoord1dv(const GLdouble*) { Outside("glEvalCoord1dv"); }
void GLAPIENTRY glEvalCoord1fv(const GLfloat*) { Outside("glEvalCoord1fv"); }
void GLAPIENTRY glEvalCoord2d(GLdouble, GLdouble) { Outside("glEvalCoord2d"); }
void GLAPIENTRY glEvalCoord2f(GLfloat, GLfloat) { Outside("glEvalCoord2f"); }
void GLAPIENTRY glEvalCoord2dv(const GLdouble*) { Outside("glEvalCoord2dv"); }
void GLAPIENTRY glEvalCoord2fv(const GLfloat*) { Outside("glEvalCoord2fv"); }
void GLAPIENTRY glMapGrid1d(GLint, GLdouble, GLdouble) { Outside("glMapGrid1d"); }
void GLAPIENTRY glMapGrid1f(GLint, GLfloat, GLfloat) { Outside("glMapGrid1f"); }
void GLAPIENTRY glMapGrid2d(GLint, GLdouble, GLdouble, GLint, GLdouble, GLdouble) { Outside("glMapGrid2d"); }
void GLAPIENTRY glMapGrid2f(GLint, GLfloat, GLfloat, GLint, GLfloat, GLfloat) { Outside("glMapGrid2f"); }
void GLAPIENTRY glEvalPoint1(GLint) { Outside("glEvalPoint1"); }
void GLAPIENTRY glEvalPoint2(GLint, GLint) { Outside("glEvalPoint2"); }
void GLAPIENTRY glEvalMesh1(GLenum, GLint, GLint) { Outside("glEvalMesh1"); }
void GLAPIENTRY glEvalMesh2(GLenum, GLint, GLint, GLint, GLint) { Outside("glEvalMesh2"); }
void GLAPIENTRY glFogf(GLenum, GLfloat) { Outside("glFogf"); }
void GLAPIENTRY glFogi(GLenum, GLint) { Outside("glFogi"); }
void GLAPIENTRY glFogfv(GLenum, const GLfloat*) { Outside("glFogfv"); }
void GLAPIENTRY glFogiv(GLenum, const GLint*) { Outside("glFogiv"); }
void GLAPIENTRY glFeedbackBuffer(GLsizei, GLenum, GLfloat*) { Outside("glFeedbackBuffer"); }
void GLAPIENTRY glPassThrough(GLfloat) { Outside("glPassThrough"); }
void GLAPIENTRY glSelectBuffer(GLsizei, GLuint*) { Outside("glSelectBuffer"); }
void GLAPIENTRY glInitNames(void) { Outside("glInitNames"); }
void GLAPIENTRY glLoadName(GLuint) { Outside("glLoadName"); }
void GLAPIENTRY glPushName(GLuint) { Outside("glPushName"); }
void GLAPIENTRY glPopName(void) { Outside("glPopName"); }
