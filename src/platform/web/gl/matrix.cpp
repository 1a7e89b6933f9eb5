#include "platform/web/gl/matrix.h"

#include <cmath>

namespace web::gl {
namespace {

const double kPi = 3.14159265358979323846;

void Normalize(float v[3]) {
  const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0f) return;
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

void Cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Matrix Matrix::FromColumns(const float* values) {
  Matrix result;
  for (int i = 0; i < 16; ++i) result.m[i] = values[i];
  return result;
}

Matrix Matrix::FromColumns(const double* values) {
  Matrix result;
  for (int i = 0; i < 16; ++i) result.m[i] = static_cast<float>(values[i]);
  return result;
}

Matrix Matrix::operator*(const Matrix& other) const {
  Matrix result;
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * other.m[column * 4 + k];
      result.m[column * 4 + row] = sum;
    }
  }
  return result;
}

Vec4 Matrix::operator*(const Vec4& v) const {
  Vec4 r;
  r.x = m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w;
  r.y = m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w;
  r.z = m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w;
  r.w = m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w;
  return r;
}

Matrix Translation(float x, float y, float z) {
  Matrix result;
  result.m[12] = x;
  result.m[13] = y;
  result.m[14] = z;
  return result;
}

Matrix Scaling(float x, float y, float z) {
  Matrix result;
  result.m[0] = x;
  result.m[5] = y;
  result.m[10] = z;
  return result;
}

Matrix Rotation(float degrees, float x, float y, float z) {
  Matrix result;
  const double length = std::sqrt(double{x} * x + double{y} * y + double{z} * z);
  if (length == 0.0) return result;
  const double radians = degrees * kPi / 180.0;
  const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
  const double ux = x / length, uy = y / length, uz = z / length;
  const double columns[16] = {t * ux * ux + c,
                              t * ux * uy + s * uz,
                              t * ux * uz - s * uy,
                              0,
                              t * ux * uy - s * uz,
                              t * uy * uy + c,
                              t * uy * uz + s * ux,
                              0,
                              t * ux * uz + s * uy,
                              t * uy * uz - s * ux,
                              t * uz * uz + c,
                              0,
                              0,
                              0,
                              0,
                              1};
  return Matrix::FromColumns(columns);
}

bool Frustum(double left, double right, double bottom, double top, double zNear, double zFar,
             Matrix* out) {
  if (zNear <= 0 || zFar <= 0 || left == right || bottom == top || zNear == zFar) return false;
  const double columns[16] = {2 * zNear / (right - left),
                              0,
                              0,
                              0,
                              0,
                              2 * zNear / (top - bottom),
                              0,
                              0,
                              (right + left) / (right - left),
                              (top + bottom) / (top - bottom),
                              -(zFar + zNear) / (zFar - zNear),
                              -1,
                              0,
                              0,
                              -2 * zFar * zNear / (zFar - zNear),
                              0};
  *out = Matrix::FromColumns(columns);
  return true;
}

bool Ortho(double left, double right, double bottom, double top, double zNear, double zFar,
           Matrix* out) {
  if (left == right || bottom == top || zNear == zFar) return false;
  const double columns[16] = {2 / (right - left),
                              0,
                              0,
                              0,
                              0,
                              2 / (top - bottom),
                              0,
                              0,
                              0,
                              0,
                              -2 / (zFar - zNear),
                              0,
                              -(right + left) / (right - left),
                              -(top + bottom) / (top - bottom),
                              -(zFar + zNear) / (zFar - zNear),
                              1};
  *out = Matrix::FromColumns(columns);
  return true;
}

bool Perspective(double fovyDegrees, double aspect, double zNear, double zFar, Matrix* out) {
  const double radians = fovyDegrees / 2 * kPi / 180;
  const double depth = zFar - zNear;
  const double sine = std::sin(radians);
  if (depth == 0 || sine == 0 || aspect == 0) return false;
  const double cotangent = std::cos(radians) / sine;
  const double columns[16] = {cotangent / aspect,
                              0,
                              0,
                              0,
                              0,
                              cotangent,
                              0,
                              0,
                              0,
                              0,
                              -(zFar + zNear) / depth,
                              -1,
                              0,
                              0,
                              -2 * zNear * zFar / depth,
                              0};
  *out = Matrix::FromColumns(columns);
  return true;
}

Matrix LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
              double upX, double upY, double upZ) {
  // In single precision, then the eye's translation, as GLU forms it.
  float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                      static_cast<float>(centerZ - eyeZ)};
  float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
  float side[3];
  Normalize(forward);
  Cross(forward, up, side);
  Normalize(side);
  Cross(side, forward, up);
  const float columns[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                             side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
  return Matrix::FromColumns(columns) * Translation(static_cast<float>(-eyeX),
                                                    static_cast<float>(-eyeY),
                                                    static_cast<float>(-eyeZ));
}

}  // namespace web::gl
