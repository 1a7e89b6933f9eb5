#include "fake_platform.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

#include "platform/core/window_manager.h"

namespace fake {
namespace {}  // namespace

Arg Int(long long value) {
  return {static_cast<double>(value), std::to_string(value)};
}

Arg Hex(unsigned long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", value);
  return {static_cast<double>(value), buffer};
}

Arg Float(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9g", value);
  return {value, buffer};
}

Arg Handle(const void* handle) {
  if (!handle) return {0, "NULL"};
  return Hex(reinterpret_cast<uintptr_t>(handle));
}

Arg Str(const char* text) {
  if (!text) return {0, "NULL"};
  // Integer resources (MAKEINTRESOURCE) are small values, not strings.
  const auto value = reinterpret_cast<uintptr_t>(text);
  if (value < 0x10000) return {static_cast<double>(value), "#" + std::to_string(value)};
  return {static_cast<double>(value), "\"" + std::string(text) + "\""};
}

Arg Bool(long long value) {
  return {static_cast<double>(value), value ? "TRUE" : "FALSE"};
}

Arg GlEnum(unsigned value) {
  return {static_cast<double>(value), GlEnumName(value)};
}

Arg Message(unsigned message) {
  return {static_cast<double>(message), MessageName(message)};
}

Platform& Platform::Get() {
  static Platform instance;
  return instance;
}

void Platform::Reset() {
  Platform fresh;
  // Keep the object's identity: tests hold references to it.
  *this = fresh;
  wincore::WindowManager::Get().Reset();
  wincore::WindowManager::Get().onDeliver = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Platform& platform = Platform::Get();
    if (!platform.recordDeliveries) return;
    Call call;
    call.name = "-> " + MessageName(msg);
    call.args = {static_cast<double>(reinterpret_cast<uintptr_t>(hwnd)), static_cast<double>(msg),
                 static_cast<double>(wParam), static_cast<double>(lParam)};
    call.text = call.name + "(" + Handle(hwnd).text + ", " + Hex(wParam).text + ", " +
                Hex(static_cast<unsigned long long>(lParam)).text + ")";
    platform.calls.push_back(call);
  };
}

size_t Platform::Count(const std::string& name) const {
  size_t count = 0;
  for (const Call& call : calls) count += call.name == name;
  return count;
}

std::vector<std::string> Platform::Texts(size_t from) const {
  std::vector<std::string> texts;
  for (size_t i = from; i < calls.size(); ++i) texts.push_back(calls[i].text);
  return texts;
}

std::vector<Call> Platform::Named(const std::string& name) const {
  std::vector<Call> result;
  for (const Call& call : calls)
    if (call.name == name) result.push_back(call);
  return result;
}

size_t Platform::IndexOf(const std::string& name, size_t from) const {
  for (size_t i = from; i < calls.size(); ++i)
    if (calls[i].name == name) return i;
  return std::string::npos;
}

std::string Platform::Dump(size_t from, size_t to) const {
  std::ostringstream out;
  for (size_t i = from; i < calls.size() && i < to; ++i)
    out << "  [" << i << "] " << calls[i].text << "\n";
  return out.str();
}

void Platform::Fail(const std::string& name, int nth) {
  failures_[name].push_back(nth);
}

bool Platform::Record(const char* name, std::initializer_list<Arg> args) {
  Call call;
  call.name = name;
  call.text = name;
  call.text += "(";
  bool first = true;
  for (const Arg& arg : args) {
    call.args.push_back(arg.value);
    if (!first) call.text += ", ";
    call.text += arg.text;
    first = false;
  }
  call.text += ")";

  bool fail = false;
  auto it = failures_.find(name);
  if (it != failures_.end()) {
    for (auto countdown = it->second.begin(); countdown != it->second.end();) {
      if (--*countdown == 0) {
        fail = true;
        countdown = it->second.erase(countdown);
      } else {
        ++countdown;
      }
    }
  }
  if (fail) call.text += " -> injected failure";
  calls.push_back(call);
  if (onCall) onCall(calls.back());
  return fail;
}

int64_t Platform::ReadCounter() {
  if (!counterScript.empty()) {
    const int64_t value = counterScript.front();
    counterScript.pop_front();
    return value;
  }
  const int64_t value = counter;
  counter += counterStep;
  return value;
}

int FakeCharWidth(unsigned code) {
  return 10 + static_cast<int>(code % 23);
}

}  // namespace fake
