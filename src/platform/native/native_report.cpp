#include "platform/native/native_report.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>

namespace native {

// No allocation and a single write: the line must come out whole even when
// memory has run out, or from Xlib's handler for a lost display.
void Report(const char* call, const char* reasonFormat, ...) {
  char line[512];
  const int prefix = std::snprintf(line, sizeof line, "plumo: %s: ", call);
  size_t length = prefix > 0 ? static_cast<size_t>(prefix) : 0;
  if (length < sizeof line) {
    va_list reason;
    va_start(reason, reasonFormat);
    const int written = std::vsnprintf(line + length, sizeof line - length, reasonFormat, reason);
    va_end(reason);
    if (written > 0) length += static_cast<size_t>(written);
  }
  if (length > sizeof line - 2) length = sizeof line - 2;  // a cut reason still ends its line
  line[length++] = '\n';
  if (write(STDERR_FILENO, line, length) < 0) {
    // Nothing more can be said.
  }
}

}  // namespace native
