// Runs an action when a scope ends, however it ends: a window procedure may
// throw, or an allocation fail, and the books must still come out right.
#pragma once

#include <utility>

namespace core {

template <typename Action>
class OnScopeExit {
 public:
  explicit OnScopeExit(Action action) : action_(std::move(action)) {}
  ~OnScopeExit() { action_(); }
  OnScopeExit(const OnScopeExit&) = delete;
  OnScopeExit& operator=(const OnScopeExit&) = delete;

 private:
  Action action_;
};

}  // namespace core
