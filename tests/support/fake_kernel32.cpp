// kernel32 on the fake: a scripted performance counter; Sleep returns at once.
#include "fake_platform.h"

using fake::Get;
using fake::Int;
using fake::Str;

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  const bool fail = Get().Record("QueryPerformanceFrequency", {});
  // Without a high-resolution counter Windows reports 0 and fails.
  frequency->QuadPart = fail ? 0 : Get().frequency;
  return !fail && Get().frequency != 0;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  count->QuadPart = Get().ReadCounter();
  Get().Record("QueryPerformanceCounter", {Int(count->QuadPart)});
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  Get().Record("Sleep", {Int(milliseconds)});
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (Get().Record("GetModuleHandleA", {Str(moduleName)})) return nullptr;
  // The usual image base of a Windows program.
  return reinterpret_cast<HMODULE>(0x400000);
}
