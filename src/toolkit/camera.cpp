#include "toolkit/camera.h"

#include "platform/platform.h"
#include "window/gl_window.h"

Camera::Camera() : window(GetCurrentWindow()) {}

Camera::~Camera() = default;

void Camera::Apply() {
  if (!window) window = GetCurrentWindow();
  if (!enabled) return;

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  double aspect = 1.0;
  if (window) {
    // A window of no height is taken as 1 pixel high, as its own resize does.
    const int height = window->GetHeight() == 0 ? 1 : window->GetHeight();
    aspect = static_cast<double>(static_cast<float>(window->GetWidth())) / height;
  }
  gluPerspective(fov, aspect, zNear, zFar);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye.x, eye.y, eye.z, center.x, center.y, center.z, up.x, up.y, up.z);
}

void Camera::SetView(const Vector3& eyeArg, const Vector3& centerArg, const Vector3& upArg) {
  eye = eyeArg;
  center = centerArg;
  up = upArg;
  Apply();
}

void Camera::SetView(const Vector3& eyeArg, const Vector3& centerArg) {
  SetView(eyeArg, centerArg, up);
}

void Camera::SetView(const Vector3& eyeArg) {
  SetView(eyeArg, center, up);
}

void Camera::SetEye(const Vector3& eyeArg) {
  SetView(eyeArg);
}

void Camera::SetCenter(const Vector3& centerArg) {
  SetView(eye, centerArg);
}

void Camera::SetWindow(GlWindow* windowArg) {
  window = windowArg;
}
