#pragma once
// The test kit's screen: where a window lies.
#include <windows.h>

namespace tovanel::test {

inline RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// Where a child window stands in its parent's client area.
inline RECT RectInParent(HWND h) {
  RECT r = WindowRect(h);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace tovanel::test
