#pragma once

// An RGBA colour. The four components are contiguous, so &r can be handed to
// glColor4fv.
class Color {
 public:
  Color(float red, float green, float blue, float alpha) : r(red), g(green), b(blue), a(alpha) {}
  Color(const Color&) = default;
  Color& operator=(const Color&) = default;
  virtual ~Color();

  float r;
  float g;
  float b;
  float a;
};
