// Under LeakSanitizer, keeps Mesa's software driver and its dispatch library
// loaded until the process ends. LeakSanitizer looks for leaks after
// everything else has run at exit, by which time libGLX has unloaded them;
// their own process-lifetime blocks could then no longer be named, and so no
// longer be told from the project's (tests/lsan.supp names them).
#include <dlfcn.h>

#include <initializer_list>

// Weak: present only in a sanitizer build.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace {

bool PinDriver() {
  if (!__lsan_do_leak_check) return false;
  for (const char* library : {"libglapi.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
    dlopen(library, RTLD_LAZY | RTLD_NODELETE);
  return true;
}

const bool pinned = PinDriver();

}  // namespace
