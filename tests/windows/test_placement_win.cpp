#include <gtest/gtest.h>

#include "windows/Ombrik.h"

using namespace tovanel;

namespace {

HWND Make(int x, int y, DWORD style = 0) {
  return CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW | style, x, y, 300, 200, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

RECT RectOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TEST(PlacementWin, AWindowFarOffEveryMonitorIsCentredKeepingItsSize) {
  HWND w = Make(5000, 5000);
  ASSERT_TRUE(w && IsOffScreen(5000, 5000, 300, 200));
  RECT work{}, tb{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const int edge = GetTaskbarEdge(tb);
  const Rect area = ReferenceArea(ToRect(work), edge, ToRect(tb));

  KeepWindowOnScreen(w);
  int x = 0, y = 0, cx = 0, cy = 0;
  ASSERT_TRUE(GetWindowBounds(w, x, y, cx, cy));
  EXPECT_EQ(x, (area.Right - 300) / 2);
  EXPECT_EQ(y, (area.Bottom - 200) / 2);
  EXPECT_EQ(cx, 300);
  EXPECT_EQ(cy, 200);
  EXPECT_FALSE(IsOffScreen(x, y, cx, cy));
  DestroyWindow(w);
}

// Shown windows are left to the process's end: under Wine without a window
// manager, hiding one (also to destroy it) waits two seconds for the X server.
TEST(PlacementWin, MaximisedAndMinimisedWindowsStayPut) {
  HWND maxed = Make(100, 100, WS_MAXIMIZE);  // hidden, yet maximised
  SetWindowPos(maxed, nullptr, 5000, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND minned = Make(100, 100);
  ShowWindow(minned, SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsZoomed(maxed) && RectOf(maxed).left == 5000 && IsIconic(minned));

  for (HWND w : {maxed, minned}) {
    const RECT before = RectOf(w);
    KeepWindowOnScreen(w);
    const RECT after = RectOf(w);
    EXPECT_TRUE(EqualRect(&before, &after)) << (w == maxed ? "maximised" : "minimised");
  }
  int x = -1, y = -1, cx = -1, cy = -1;
  EXPECT_FALSE(GetWindowBounds(minned, x, y, cx, cy));
  EXPECT_TRUE(x == -1 && y == -1 && cx == -1 && cy == -1);
  DestroyWindow(maxed);
}

}  // namespace
