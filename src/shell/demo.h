#pragma once

// The base of every scene. It holds nothing; the main loop deletes the scene
// through it, so its destructor must be virtual.
class Demo {
 public:
  virtual ~Demo() = default;
};
