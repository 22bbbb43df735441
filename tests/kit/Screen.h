#pragma once
// The test kit's screen: where a window lies.
#include <windows.h>

namespace tovanel::test {

inline RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

}  // namespace tovanel::test
