// Programs the layer tests run beside themselves: the demo, and this test
// program again for scenarios that must end their process.
#pragma once

#include <string>
#include <vector>

namespace xtest {

struct Child {
  int pid = -1;
  int stderrFd = -1;  // read end of the child's stderr, when captured
};

// Starts `program` with `arguments`; DISPLAY is left out of its environment
// when `withDisplay` is false.
Child Spawn(const std::string& program, const std::vector<std::string>& arguments,
            bool withDisplay = true, bool captureStderr = false);

// Waits up to `milliseconds` for the child to end; its exit status, or -1 if
// it did not end in time (it is then killed) or died of a signal.
int WaitForExit(Child& child, int milliseconds);

// Everything the child wrote to stderr (after it ended).
std::string ReadStderr(Child& child);

// The path of the running test program, for scenarios run as a child.
std::string SelfPath();

}  // namespace xtest
