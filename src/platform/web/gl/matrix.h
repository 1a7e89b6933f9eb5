// 4 x 4 matrices as GL keeps them: single precision, column-major (element
// [column * 4 + row]), and the products GL and GLU form with them.
#pragma once

namespace web::gl {

struct Vec4 {
  float x = 0, y = 0, z = 0, w = 1;
};

struct Matrix {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  static Matrix FromColumns(const float* values);
  static Matrix FromColumns(const double* values);

  // this × other, as glMultMatrix applies `other` to the current matrix.
  Matrix operator*(const Matrix& other) const;
  Vec4 operator*(const Vec4& v) const;
};

Matrix Translation(float x, float y, float z);
Matrix Scaling(float x, float y, float z);
// Degrees about an axis of any length, as glRotate; the identity for a zero axis.
Matrix Rotation(float degrees, float x, float y, float z);
// glFrustum and glOrtho; false for the arguments GL refuses with GL_INVALID_VALUE.
bool Frustum(double left, double right, double bottom, double top, double zNear, double zFar,
             Matrix* out);
bool Ortho(double left, double right, double bottom, double top, double zNear, double zFar,
           Matrix* out);
// gluPerspective and gluLookAt; Perspective is false where GLU does nothing
// (no depth range, a zero angle or aspect).
bool Perspective(double fovyDegrees, double aspect, double zNear, double zFar, Matrix* out);
Matrix LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
              double upX, double upY, double upZ);

}  // namespace web::gl
