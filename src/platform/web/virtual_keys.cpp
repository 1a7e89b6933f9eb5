#include "platform/web/virtual_keys.h"

#include <cstdlib>
#include <map>

namespace web {

unsigned VirtualKeyFromCode(const std::string& code) {
  static const std::map<std::string, unsigned> kNamed = {
      {"Backspace", 0x08},
      {"Tab", 0x09},
      {"Enter", 0x0D},
      {"NumpadEnter", 0x0D},
      {"ShiftLeft", 0x10},
      {"ShiftRight", 0x10},
      {"ControlLeft", 0x11},
      {"ControlRight", 0x11},
      {"AltLeft", 0x12},
      {"AltRight", 0x12},
      {"Pause", 0x13},
      {"CapsLock", 0x14},
      {"Escape", 0x1B},
      {"Space", 0x20},
      {"PageUp", 0x21},
      {"PageDown", 0x22},
      {"End", 0x23},
      {"Home", 0x24},
      {"ArrowLeft", 0x25},
      {"ArrowUp", 0x26},
      {"ArrowRight", 0x27},
      {"ArrowDown", 0x28},
      {"PrintScreen", 0x2C},
      {"Insert", 0x2D},
      {"Delete", 0x2E},
      {"MetaLeft", 0x5B},
      {"MetaRight", 0x5C},
      {"ContextMenu", 0x5D},
      {"NumpadMultiply", 0x6A},
      {"NumpadAdd", 0x6B},
      {"NumpadSubtract", 0x6D},
      {"NumpadDecimal", 0x6E},
      {"NumpadDivide", 0x6F},
      {"NumLock", 0x90},
      {"ScrollLock", 0x91},
      {"Semicolon", 0xBA},
      {"Equal", 0xBB},
      {"Comma", 0xBC},
      {"Minus", 0xBD},
      {"Period", 0xBE},
      {"Slash", 0xBF},
      {"Backquote", 0xC0},
      {"BracketLeft", 0xDB},
      {"Backslash", 0xDC},
      {"BracketRight", 0xDD},
      {"Quote", 0xDE},
      {"IntlBackslash", 0xE2},
  };
  auto named = kNamed.find(code);
  if (named != kNamed.end()) return named->second;

  // "KeyA".."KeyZ", "Digit0".."Digit9", "Numpad0".."Numpad9", "F1".."F24".
  auto suffix = [&](const char* prefix) -> std::string {
    const std::string p(prefix);
    return code.compare(0, p.size(), p) == 0 ? code.substr(p.size()) : std::string();
  };
  const std::string letter = suffix("Key");
  if (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z') return letter[0];
  const std::string digit = suffix("Digit");
  if (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') return digit[0];
  const std::string pad = suffix("Numpad");
  if (pad.size() == 1 && pad[0] >= '0' && pad[0] <= '9') return 0x60 + (pad[0] - '0');
  const std::string function = suffix("F");
  if (!function.empty() && function.size() <= 2 &&
      function.find_first_not_of("0123456789") == std::string::npos) {
    const int number = std::atoi(function.c_str());
    if (number >= 1 && number <= 24) return 0x70 + static_cast<unsigned>(number - 1);
  }
  return 0;
}

}  // namespace web
