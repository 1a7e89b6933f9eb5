#include "fake_platform.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

#include "platform/core/layer_windows.h"

namespace fake {

void InstallTracer();  // fake_backend.cpp

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
  // The core first: giving back its contexts and surfaces touches this state.
  core::ResetForTests();
  Platform fresh;
  // Keep the object's identity: tests hold references to it.
  *this = fresh;
  InstallTracer();
  core::Windows().onDeliver = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
  return Record(name, std::vector<Arg>(args));
}

std::vector<Arg> Platform::Decode(const std::vector<core::TraceArg>& args) {
  std::vector<Arg> decoded;
  for (const core::TraceArg& arg : args) {
    switch (arg.kind) {
      case core::TraceArg::kInt:
        decoded.push_back(Int(arg.integer));
        break;
      case core::TraceArg::kHex:
        decoded.push_back(Hex(static_cast<unsigned long long>(arg.integer)));
        break;
      case core::TraceArg::kFloat:
        decoded.push_back(Float(arg.real));
        break;
      case core::TraceArg::kHandle:
        decoded.push_back(Handle(arg.pointer));
        break;
      case core::TraceArg::kText:
        decoded.push_back(Str(static_cast<const char*>(arg.pointer)));
        break;
      case core::TraceArg::kBool:
        decoded.push_back(Bool(arg.integer));
        break;
      case core::TraceArg::kMessage:
        decoded.push_back(Message(static_cast<unsigned>(arg.integer)));
        break;
      case core::TraceArg::kWindowStyle:
        decoded.push_back(WindowStyle(static_cast<unsigned long>(arg.integer)));
        break;
      case core::TraceArg::kExStyle:
        decoded.push_back(ExStyle(static_cast<unsigned long>(arg.integer)));
        break;
      case core::TraceArg::kSystemMetric:
        decoded.push_back({static_cast<double>(arg.integer),
                           arg.integer == SM_CXSCREEN   ? "SM_CXSCREEN"
                           : arg.integer == SM_CYSCREEN ? "SM_CYSCREEN"
                                                        : std::to_string(arg.integer)});
        break;
      case core::TraceArg::kShowCommand:
        decoded.push_back({static_cast<double>(arg.integer),
                           arg.integer == SW_SHOWNORMAL ? "SW_SHOWNORMAL"
                           : arg.integer == SW_HIDE     ? "SW_HIDE"
                                                        : std::to_string(arg.integer)});
        break;
      case core::TraceArg::kFontFormat:
        decoded.push_back({static_cast<double>(arg.integer), arg.integer == WGL_FONT_POLYGONS
                                                                 ? "WGL_FONT_POLYGONS"
                                                                 : "WGL_FONT_LINES"});
        break;
      case core::TraceArg::kPixelFormat: {
        const auto* pfd = static_cast<const PIXELFORMATDESCRIPTOR*>(arg.pointer);
        if (!pfd) {
          decoded.push_back(Handle(nullptr));
          break;
        }
        for (const Arg& field :
             {Int(pfd->nSize), Int(pfd->nVersion), Hex(pfd->dwFlags), Int(pfd->iPixelType),
              Int(pfd->cColorBits), Int(pfd->cDepthBits), Int(pfd->cStencilBits)})
          decoded.push_back(field);
        break;
      }
    }
  }
  return decoded;
}

bool Platform::Record(const char* name, const std::vector<Arg>& args) {
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
