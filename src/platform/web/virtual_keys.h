#pragma once

#include <string>

namespace web {

// The Win32 virtual-key code of a key by its KeyboardEvent.code (the key's
// place on a US keyboard, as Windows names VK codes); 0 for a key Windows
// has no code for.
unsigned VirtualKeyFromCode(const std::string& code);

}  // namespace web
