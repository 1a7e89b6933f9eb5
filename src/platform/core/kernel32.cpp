// kernel32: the performance counter (the scene clock, scene_clock.h), Sleep
// and the module handle.
#include "platform/core/entry.h"
#include "platform/core/layer_windows.h"
#include "platform/core/scene_clock.h"

using core::Args;
using core::Int;

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  const core::Call call(__func__, [] { return Args{}; });
  // Without a high-resolution counter Windows reports 0 and fails.
  frequency->QuadPart = call.Fails() ? 0 : core::TheBackend().CounterFrequency();
  return frequency->QuadPart != 0;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  count->QuadPart = core::TheSceneClock().Read(core::TheBackend().ProgramCounterNow());
  const core::Call call(__func__, [&] { return Args{Int(count->QuadPart)}; });
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  const core::Call call(__func__, [&] { return Args{Int(milliseconds)}; });
  if (!call.Fails()) core::TheBackend().Sleep(milliseconds);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  const core::Call call(__func__, [&] { return Args{core::Text(moduleName)}; });
  // Only the program's own module is known.
  if (call.Fails() || moduleName) return nullptr;
  return core::TheBackend().ModuleHandle();
}
