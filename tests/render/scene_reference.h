// What the demo should show, computed from the scene's own numbers with this
// file's projection math: the camera (eye (10,10,10), centre (15,15,0), up
// (0,1,0), 45 degrees vertical field of view, near 0.1, far 10000, aspect of
// the window), the 20x20 grid lifted by sines and cosines of the scene time,
// its colours, back-face culling and a depth test, rasterised here into a
// reference picture.
//
// The reference says, per pixel, which colour is certain there: a pixel
// counts only where every triangle that might own it (its edges widened by a
// margin, depths within a few depth-buffer steps) gives the same colour, so
// rounding differences between this math and the GL's cannot decide a check.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace render_test {

// The scene's numbers, as the demo hands them to the GL.
const int kGridSize = 20;
const double kEye[3] = {10, 10, 10};
const double kCenter[3] = {15, 15, 0};
const double kUp[3] = {0, 1, 0};
const double kFovDegrees = 45;
const double kNear = 0.1;
const double kFar = 10000;
const double kCycleSeconds = 24;

// The caption: text from 35% of the width at half the height; Arial bold 48 px
// reaches about 35 px above the baseline and under 15 px below it.
struct Box {
  int left, top, right, bottom;  // right and bottom exclusive, rows from the top
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
Box CaptionBox(int width, int height);

// The scene time frame k of a recording at `fps` is drawn at: k / fps, where
// the frame that reaches 24 s ends the cycle (drawn at 24 s) and the next
// frames count again from 0.
double SceneTimeOfFrame(int64_t frame, int fps);

// The colour the scene gives every cell of column `col` at time t, as the
// floats handed to glColor3f, clamped as the GL clamps them.
std::array<double, 3> CellColor(double t, int col);

// Column-major 4x4, as the GL keeps matrices.
using Matrix = std::array<double, 16>;
Matrix Perspective(double fovDegrees, double aspect, double zNear, double zFar);
Matrix LookAt(const double eye[3], const double center[3], const double up[3]);
Matrix Multiply(const Matrix& a, const Matrix& b);

// One grid triangle: cell (row, col), `second` for (P2, P3, P0).
struct GridTriangle {
  int row = 0;
  int col = 0;
  bool second = false;
  std::array<std::array<float, 3>, 3> corners;  // object space, as passed to glVertex3f
};
// The 800 triangles at scene time t, in the order the demo draws them.
std::vector<GridTriangle> GridTriangles(double t);

// A triangle in window coordinates (y up, as the GL's), clipped to the near
// plane: a convex polygon of up to 4 corners, and whether it faces the camera
// (counter-clockwise).
struct ScreenPolygon {
  std::vector<std::array<double, 3>> corners;  // x, y in pixels; z in [0, 1]
  bool front = false;
  double area = 0;  // signed, in square pixels
};
ScreenPolygon Project(const GridTriangle& triangle, const Matrix& mvp, int width, int height);

// The pixels (rows from the top) whose centres lie at least `margin` pixels
// inside the polygon.
std::vector<std::pair<int, int>> PixelsInside(const ScreenPolygon& polygon, int width, int height,
                                              double margin);

// The window's view of the grid: the camera's projection times its view.
Matrix SceneMatrix(int width, int height);

struct ReferenceOptions {
  double edgeMargin = 1.5;    // pixels a decisive triangle must reach past the pixel centre
  int depthBits = 16;         // of the surface, for the depth tolerance
  bool cullBackFaces = true;  // false: what the picture would be without culling
};

class ReferenceFrame {
 public:
  static constexpr int kBackground = -1;
  static constexpr int kUncertain = -2;

  ReferenceFrame(double t, int width, int height, const ReferenceOptions& options);

  int Width() const { return width; }
  int Height() const { return height; }
  double Time() const { return t; }
  // Rows from the top, as in the captured pictures. The column whose colour
  // is certain there, kBackground for certain black, kUncertain otherwise.
  int ColumnAt(int x, int y) const { return columns[static_cast<size_t>(y) * width + x]; }
  // The triangle that owns the pixel in this reference (one of possibly
  // several of the same colour), or -1: an index into Triangles().
  int OwnerAt(int x, int y) const { return owners[static_cast<size_t>(y) * width + x]; }
  const std::vector<GridTriangle>& Triangles() const { return triangles; }
  const std::vector<ScreenPolygon>& Polygons() const { return polygons; }

 private:
  double t;
  int width;
  int height;
  std::vector<GridTriangle> triangles;
  std::vector<ScreenPolygon> polygons;
  std::vector<int> columns;
  std::vector<int> owners;
};

// Channel levels of a surface with `bits` bits: what a GL colour component c
// becomes, and what an 8-bit read-back value stands for.
int LevelOf(double c, int bits);
int LevelOfByte(int value, int bits);

std::string Describe(const GridTriangle& triangle);

}  // namespace render_test
