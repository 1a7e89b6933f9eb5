#include "platform/core/fonts.h"
#include "platform/core/layer_windows.h"

namespace core {

void ResetForTests() {
  ResetContexts();
  Windows().Reset();
  ResetFonts();
  User() = UserState{};
}

}  // namespace core
