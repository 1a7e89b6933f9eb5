// The fixture every unit test starts from: a fresh fake platform and fresh
// process-wide state, as in a new process.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failing_new.h"
#include "fake_platform.h"
#include "scene/wave_demo.h"
#include "shell/main_loop.h"
#include "window/gl_window.h"

class FakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.Reset();
    fake::ResetAllocationFailures();
    currentWindow = nullptr;
    sceneTime = 0.0;
    quitRequested = false;
  }

  // The names of the calls recorded from `from` on.
  std::vector<std::string> Names(size_t from = 0) const {
    std::vector<std::string> names;
    for (size_t i = from; i < platform.calls.size(); ++i) names.push_back(platform.calls[i].name);
    return names;
  }

  // The calls recorded from `from` on whose names are in `wanted`, as text.
  std::vector<std::string> Only(std::initializer_list<const char*> wanted, size_t from = 0) const {
    std::vector<std::string> texts;
    for (size_t i = from; i < platform.calls.size(); ++i)
      for (const char* name : wanted)
        if (platform.calls[i].name == name) texts.push_back(platform.calls[i].text);
    return texts;
  }

  fake::Platform& platform = fake::Get();
};

// The trace, for assertion messages.
#define TRACE() "trace:\n" << fake::Get().Dump()
