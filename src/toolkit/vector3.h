#pragma once

// A point or direction in world units.
class Vector3 {
 public:
  Vector3() = default;
  Vector3(float xArg, float yArg, float zArg) : x(xArg), y(yArg), z(zArg) {}
  Vector3(const Vector3&) = default;
  Vector3& operator=(const Vector3&) = default;
  virtual ~Vector3();

  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};
