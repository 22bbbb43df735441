#pragma once
// Functions that only newer systems export, looked up by name and typed in
// one place: null where the system lacks them, so the caller falls back.
//   using ForWindowFn = UINT(WINAPI*)(HWND);
//   static const auto forWindow = Resolve<ForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
#include <windows.h>

namespace tovanel {

// A looked-up address as the function type it has; the cast through void*
// keeps the compiler from warning about unrelated function types.
template <class Fn>
Fn FunctionAs(FARPROC f) noexcept {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(f));
}

template <class Fn>
Fn Resolve(HMODULE module, const char* name) noexcept {
  return module ? FunctionAs<Fn>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace tovanel
