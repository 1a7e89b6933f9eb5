// A fresh folder for a test's settings file, removed with everything in it
// when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

class ConfigFolder {
 public:
  ConfigFolder() {
    std::string pattern = ::testing::TempDir() + "plumo-config-XXXXXX";
    path = mkdtemp(&pattern[0]) ? pattern : "";
  }
  ~ConfigFolder() {
    if (!path.empty())
      std::system(("chmod -R u+rwx '" + path + "'; rm -rf '" + path + "'").c_str());
  }
  ConfigFolder(const ConfigFolder&) = delete;
  ConfigFolder& operator=(const ConfigFolder&) = delete;

  std::string File(const std::string& name = "plumo.ini") const { return path + "/" + name; }
  void Write(const std::string& text, const std::string& name = "plumo.ini") const {
    std::ofstream(File(name)) << text;
  }
  std::string Read(const std::string& name = "plumo.ini") const {
    std::ifstream file(File(name));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::string path;
};
