// The native programs (plumo, plumo-capture, the benchmark's) allocate
// through mimalloc, the GL driver and the other libraries included: what they
// bind malloc to is the process's first definition, which must be mimalloc's
// and not libc's. The override is silently lost when the linker drops the
// library or links it after libc. This test is linked as those programs are.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string DefinedIn(const char* symbol) {
  void* address = dlsym(RTLD_DEFAULT, symbol);
  Dl_info info{};
  if (!address || !dladdr(address, &info) || !info.dli_fname) return "(nowhere)";
  return info.dli_fname;
}

TEST(Allocator, LibrariesAllocateThroughMimalloc) {
  if (!PLUMO_MIMALLOC) GTEST_SKIP() << "built without mimalloc (a sanitizer build)";
  for (const char* symbol : {"malloc", "free", "realloc", "calloc", "posix_memalign"})
    EXPECT_NE(DefinedIn(symbol).find("libmimalloc"), std::string::npos)
        << symbol << " is defined in " << DefinedIn(symbol);
}

}  // namespace
