#include "scene_reference.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace render_test {

namespace {

using Vec4 = std::array<double, 4>;

Vec4 Transform(const Matrix& m, double x, double y, double z) {
  Vec4 out{};
  for (int r = 0; r < 4; ++r) out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
  return out;
}

void Normalize(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

double SignedArea(const std::vector<std::array<double, 3>>& corners) {
  double twice = 0;
  for (size_t i = 0; i < corners.size(); ++i) {
    const auto& a = corners[i];
    const auto& b = corners[(i + 1) % corners.size()];
    twice += a[0] * b[1] - b[0] * a[1];
  }
  return twice / 2;
}

// One pixel's possible owner: how far inside its edges the pixel centre is
// (negative outside) and its depth there.
struct Candidate {
  uint32_t pixel;
  int polygon;
  float margin;
  double depth;
};

}  // namespace

Box CaptionBox(int width, int height) {
  const int textLeft = static_cast<int>(std::lround(0.35 * width));
  const int baseline = height / 2;
  return Box{textLeft - 4, baseline - 50, width, baseline + 16};
}

double SceneTimeOfFrame(int64_t frame, int fps) {
  const int64_t cycle = static_cast<int64_t>(kCycleSeconds) * fps;
  if (frame == 0) return 0;
  const int64_t inCycle = frame % cycle;
  if (inCycle == 0) return kCycleSeconds;  // the frame that ends the cycle
  return static_cast<double>(inCycle) / fps;
}

std::array<double, 3> CellColor(double t, int col) {
  const float red = 0.2f;
  const float green = static_cast<float>(0.3 * std::sin(t));
  const float blue = static_cast<float>(0.025 * col);
  auto clamp = [](float c) { return std::clamp(static_cast<double>(c), 0.0, 1.0); };
  return {clamp(red), clamp(green), clamp(blue)};
}

Matrix Perspective(double fovDegrees, double aspect, double zNear, double zFar) {
  const double half = fovDegrees / 2 * M_PI / 180;
  const double cotangent = std::cos(half) / std::sin(half);
  Matrix m{};
  m[0] = cotangent / aspect;
  m[5] = cotangent;
  m[10] = -(zFar + zNear) / (zFar - zNear);
  m[11] = -1;
  m[14] = -2 * zNear * zFar / (zFar - zNear);
  return m;
}

Matrix LookAt(const double eye[3], const double center[3], const double up[3]) {
  double forward[3] = {center[0] - eye[0], center[1] - eye[1], center[2] - eye[2]};
  Normalize(forward);
  double side[3];
  Cross(forward, up, side);
  Normalize(side);
  double trueUp[3];
  Cross(side, forward, trueUp);
  Matrix m{};
  for (int i = 0; i < 3; ++i) {
    m[4 * i + 0] = side[i];
    m[4 * i + 1] = trueUp[i];
    m[4 * i + 2] = -forward[i];
  }
  m[15] = 1;
  for (int r = 0; r < 3; ++r) m[12 + r] = -(m[r] * eye[0] + m[4 + r] * eye[1] + m[8 + r] * eye[2]);
  return m;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix out{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) out[4 * c + r] += a[4 * k + r] * b[4 * c + k];
  return out;
}

Matrix SceneMatrix(int width, int height) {
  // The camera's numbers as floats, widened, as the demo passes them to GLU.
  const double aspect = static_cast<double>(static_cast<float>(width)) / height;
  const Matrix projection = Perspective(static_cast<float>(kFovDegrees), aspect,
                                        static_cast<float>(kNear), static_cast<float>(kFar));
  return Multiply(projection, LookAt(kEye, kCenter, kUp));
}

std::vector<GridTriangle> GridTriangles(double t) {
  std::vector<GridTriangle> triangles;
  triangles.reserve(kGridSize * kGridSize * 2);
  for (int row = 0; row < kGridSize; ++row) {
    for (int col = 0; col < kGridSize; ++col) {
      const float x = static_cast<float>(col);
      const float y = static_cast<float>(row);
      // The lifts: P0 sin(row t), P1 cos(row t), P2 sin(col t), P3 cos(row t).
      const float z0 = static_cast<float>(0.0f + std::sin(row * t));
      const float z1 = static_cast<float>(0.0f + std::cos(row * t));
      const float z2 = static_cast<float>(0.0f + std::sin(col * t));
      const float z3 = z1;
      const std::array<float, 3> p0{x, y, z0};
      const std::array<float, 3> p1{x + 1, y, z1};
      const std::array<float, 3> p2{x, y + 1, z2};
      const std::array<float, 3> p3{x + 1, y + 1, z3};
      triangles.push_back(GridTriangle{row, col, false, {p0, p1, p2}});
      triangles.push_back(GridTriangle{row, col, true, {p2, p3, p0}});
    }
  }
  return triangles;
}

ScreenPolygon Project(const GridTriangle& triangle, const Matrix& mvp, int width, int height) {
  std::vector<Vec4> clip;
  for (const auto& corner : triangle.corners)
    clip.push_back(Transform(mvp, corner[0], corner[1], corner[2]));
  // Clip to the near plane (z >= -w); the other planes only cut what falls
  // outside the window, which is never sampled.
  std::vector<Vec4> kept;
  for (size_t i = 0; i < clip.size(); ++i) {
    const Vec4& a = clip[i];
    const Vec4& b = clip[(i + 1) % clip.size()];
    const double da = a[2] + a[3];
    const double db = b[2] + b[3];
    if (da >= 0) kept.push_back(a);
    if ((da >= 0) != (db >= 0)) {
      const double s = da / (da - db);
      Vec4 cut{};
      for (int k = 0; k < 4; ++k) cut[k] = a[k] + s * (b[k] - a[k]);
      kept.push_back(cut);
    }
  }
  ScreenPolygon polygon;
  for (const Vec4& v : kept) {
    const double x = v[0] / v[3];
    const double y = v[1] / v[3];
    const double z = v[2] / v[3];
    polygon.corners.push_back({(x + 1) * width / 2, (y + 1) * height / 2, (z + 1) / 2});
  }
  if (polygon.corners.size() >= 3) polygon.area = SignedArea(polygon.corners);
  polygon.front = polygon.area > 0;
  return polygon;
}

std::vector<std::pair<int, int>> PixelsInside(const ScreenPolygon& polygon, int width, int height,
                                              double margin) {
  std::vector<std::pair<int, int>> pixels;
  if (polygon.corners.size() < 3 || polygon.area == 0) return pixels;
  std::vector<std::array<double, 3>> corners = polygon.corners;
  if (polygon.area < 0) std::reverse(corners.begin(), corners.end());
  double left = width, right = 0, bottom = height, top = 0;
  for (const auto& c : corners) {
    left = std::min(left, c[0]);
    right = std::max(right, c[0]);
    bottom = std::min(bottom, c[1]);
    top = std::max(top, c[1]);
  }
  const int x0 = std::max(0, static_cast<int>(std::floor(left)));
  const int x1 = std::min(width - 1, static_cast<int>(std::ceil(right)));
  const int y0 = std::max(0, static_cast<int>(std::floor(bottom)));
  const int y1 = std::min(height - 1, static_cast<int>(std::ceil(top)));
  for (int wy = y0; wy <= y1; ++wy) {
    for (int wx = x0; wx <= x1; ++wx) {
      bool inside = true;
      for (size_t k = 0; k < corners.size() && inside; ++k) {
        const auto& p = corners[k];
        const auto& q = corners[(k + 1) % corners.size()];
        const double ex = q[0] - p[0];
        const double ey = q[1] - p[1];
        const double distance =
            (ex * (wy + 0.5 - p[1]) - ey * (wx + 0.5 - p[0])) / std::hypot(ex, ey);
        inside = distance >= margin;
      }
      if (inside) pixels.emplace_back(wx, height - 1 - wy);
    }
  }
  return pixels;
}

ReferenceFrame::ReferenceFrame(double tArg, int widthArg, int heightArg,
                               const ReferenceOptions& options)
    : t(tArg), width(widthArg), height(heightArg), triangles(GridTriangles(tArg)) {
  const Matrix mvp = SceneMatrix(width, height);
  const double margin = options.edgeMargin;
  const double depthSlack = std::ldexp(4.0, -options.depthBits) + 1e-6;

  std::vector<Candidate> candidates;
  for (size_t i = 0; i < triangles.size(); ++i) {
    polygons.push_back(Project(triangles[i], mvp, width, height));
    const ScreenPolygon& polygon = polygons.back();
    if (std::abs(polygon.area) < 1e-6) continue;  // edge-on or behind the eye
    if (options.cullBackFaces && !polygon.front) continue;

    // Corners counter-clockwise, so inside is left of every edge.
    std::vector<std::array<double, 3>> corners = polygon.corners;
    if (polygon.area < 0) std::reverse(corners.begin(), corners.end());
    const size_t n = corners.size();
    double left = width, right = 0, bottom = height, top = 0;
    for (const auto& c : corners) {
      left = std::min(left, c[0]);
      right = std::max(right, c[0]);
      bottom = std::min(bottom, c[1]);
      top = std::max(top, c[1]);
    }
    // Depth is affine in window x and y: the plane through the widest fan triangle.
    size_t best = 1;
    double bestArea = 0;
    for (size_t k = 1; k + 1 < n; ++k) {
      const double a =
          std::abs((corners[k][0] - corners[0][0]) * (corners[k + 1][1] - corners[0][1]) -
                   (corners[k + 1][0] - corners[0][0]) * (corners[k][1] - corners[0][1]));
      if (a > bestArea) {
        bestArea = a;
        best = k;
      }
    }
    const auto& a = corners[0];
    const auto& b = corners[best];
    const auto& c = corners[best + 1];
    const double det = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
    const double dzdx = ((b[2] - a[2]) * (c[1] - a[1]) - (c[2] - a[2]) * (b[1] - a[1])) / det;
    const double dzdy = ((c[2] - a[2]) * (b[0] - a[0]) - (b[2] - a[2]) * (c[0] - a[0])) / det;

    const int x0 = std::max(0, static_cast<int>(std::floor(left - margin)));
    const int x1 = std::min(width - 1, static_cast<int>(std::ceil(right + margin)));
    const int y0 = std::max(0, static_cast<int>(std::floor(bottom - margin)));
    const int y1 = std::min(height - 1, static_cast<int>(std::ceil(top + margin)));
    for (int wy = y0; wy <= y1; ++wy) {
      const double cy = wy + 0.5;
      for (int wx = x0; wx <= x1; ++wx) {
        const double cx = wx + 0.5;
        double inside = std::numeric_limits<double>::max();
        for (size_t k = 0; k < n; ++k) {
          const auto& p = corners[k];
          const auto& q = corners[(k + 1) % n];
          const double ex = q[0] - p[0];
          const double ey = q[1] - p[1];
          const double length = std::hypot(ex, ey);
          if (length == 0) continue;
          inside = std::min(inside, (ex * (cy - p[1]) - ey * (cx - p[0])) / length);
        }
        if (inside <= -margin) continue;
        const double depth = a[2] + dzdx * (cx - a[0]) + dzdy * (cy - a[1]);
        // Window row wy counts from the bottom; pictures count from the top.
        const uint32_t pixel = static_cast<uint32_t>((height - 1 - wy) * width + wx);
        candidates.push_back(
            Candidate{pixel, static_cast<int>(i), static_cast<float>(inside), depth});
      }
    }
  }

  std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
    return x.pixel != y.pixel ? x.pixel < y.pixel : x.polygon < y.polygon;
  });
  columns.assign(static_cast<size_t>(width) * height, kBackground);
  owners.assign(static_cast<size_t>(width) * height, -1);
  for (size_t begin = 0; begin < candidates.size();) {
    size_t end = begin;
    while (end < candidates.size() && candidates[end].pixel == candidates[begin].pixel) ++end;
    double nearestSure = std::numeric_limits<double>::infinity();
    for (size_t k = begin; k < end; ++k)
      if (candidates[k].margin >= margin) nearestSure = std::min(nearestSure, candidates[k].depth);
    // Black stays possible unless some triangle surely covers the pixel.
    int column = std::isinf(nearestSure) ? kBackground : kUncertain;
    bool certain = true;
    int owner = -1;
    double ownerDepth = std::numeric_limits<double>::infinity();
    for (size_t k = begin; k < end; ++k) {
      const Candidate& candidate = candidates[k];
      if (candidate.depth > nearestSure + depthSlack) continue;  // surely hidden
      const int col = triangles[candidate.polygon].col;
      if (column == kUncertain) column = col;
      if (col != column) certain = false;
      if (candidate.margin >= 0 && candidate.depth < ownerDepth) {
        ownerDepth = candidate.depth;
        owner = candidate.polygon;
      }
    }
    columns[candidates[begin].pixel] = certain ? column : kUncertain;
    owners[candidates[begin].pixel] = owner;
    begin = end;
  }
}

int LevelOf(double c, int bits) {
  return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * ((1 << bits) - 1)));
}

int LevelOfByte(int value, int bits) {
  return static_cast<int>(std::lround(value * ((1 << bits) - 1) / 255.0));
}

std::string Describe(const GridTriangle& triangle) {
  return "cell (row " + std::to_string(triangle.row) + ", col " + std::to_string(triangle.col) +
         ") triangle " + (triangle.second ? "(P2, P3, P0)" : "(P0, P1, P2)");
}

}  // namespace render_test
