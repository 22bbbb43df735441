#include <gtest/gtest.h>

#include <optional>

#include "kit/Placement.h"
#include "windows/Ombrik.h"

using namespace tovanel;

namespace {

HWND PlainWindow(int x, int y, DWORD style = 0) {
  return CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW | style, x, y, 300, 200, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Under each taskbar the window is centred in the monitor, not in the work
// area the taskbar leaves.
TEST(PlacementWin, AWindowFarOffEveryMonitorIsCentredKeepingItsSize) {
  struct Case { UINT edge; int thickness; } const cases[] = {
      {ABE_BOTTOM, 0}, {ABE_BOTTOM, 40}, {ABE_TOP, 40}, {ABE_LEFT, 60}, {ABE_RIGHT, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "edge " << c.edge << ", " << c.thickness << " pixels");
    std::optional<test::TStagedTaskbar> taskbar;
    if (c.thickness) taskbar.emplace(c.edge, c.thickness);
    HWND w = PlainWindow(5000, 5000);
    ASSERT_TRUE(w && IsOffScreen(5000, 5000, 300, 200));
    KeepWindowOnScreen(w);
    EXPECT_TRUE(test::Centred(w));
    const RECT r = test::WindowRect(w);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    DestroyWindow(w);
  }
}

// Shown windows are left to the process's end: under Wine without a window
// manager, hiding one (also to destroy it) waits two seconds for the X server.
TEST(PlacementWin, MaximisedAndMinimisedWindowsStayPut) {
  HWND maxed = PlainWindow(100, 100, WS_MAXIMIZE);  // hidden, yet maximised
  SetWindowPos(maxed, nullptr, 5000, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND minned = PlainWindow(100, 100);
  ShowWindow(minned, SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsZoomed(maxed) && test::WindowRect(maxed).left == 5000 && IsIconic(minned));

  for (HWND w : {maxed, minned}) {
    const RECT before = test::WindowRect(w);
    KeepWindowOnScreen(w);
    const RECT after = test::WindowRect(w);
    EXPECT_TRUE(EqualRect(&before, &after)) << (w == maxed ? "maximised" : "minimised");
  }
  DestroyWindow(maxed);
}

}  // namespace
