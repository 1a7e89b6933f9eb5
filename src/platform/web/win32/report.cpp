#include <cstdio>

#include "platform/web/win32/web_layer.h"

namespace web {

void Report(const char* call, const char* reason) {
  std::fprintf(stderr, "plumo: %s: %s\n", call, reason);
}

}  // namespace web
