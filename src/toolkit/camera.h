#pragma once

#include "toolkit/vector3.h"

class GlWindow;

// A perspective look-at camera. Every change of eye, centre or up applies it
// at once; while `enabled` is false, applying makes no GL call.
class Camera {
 public:
  Camera();
  virtual ~Camera();

  void Apply();
  void SetView(const Vector3& eyeArg, const Vector3& centerArg, const Vector3& upArg);
  void SetView(const Vector3& eyeArg, const Vector3& centerArg);
  void SetView(const Vector3& eyeArg);
  void SetEye(const Vector3& eyeArg);
  void SetCenter(const Vector3& centerArg);
  void SetWindow(GlWindow* windowArg);

  float zFar = 10000.0f;
  float zNear = 0.1f;
  float fov = 45.0f;
  bool enabled = false;  // written directly by the camera's users
  Vector3 eye{0.0f, 0.0f, -10.0f};
  Vector3 center{0.0f, 0.0f, 0.0f};
  Vector3 up{0.0f, 1.0f, 0.0f};
  GlWindow* window;  // not owned; gives the aspect ratio
};
