#pragma once
// The test kit's placement: where a window counts as centred, and a taskbar
// staged on the primary monitor through the placement calls.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "kit/Scoped.h"
#include "kit/Screen.h"
#include "windows/Placement.h"

namespace tovanel::test {

// The work area grown back over the taskbar, as the placement calls in force
// report both now: Windows takes the taskbar off the work area, Wine does not.
inline RECT CentringArea() {
  const PlacementPlatform& platform = Calls<PlacementPlatform>();
  Rect area, bar;
  platform.workArea(area);
  const int edge = platform.taskbar(bar);
  if (edge == kEdgeTop) area.Top = bar.Top;
  if (edge == kEdgeBottom) area.Bottom = bar.Bottom;
  if (edge == kEdgeLeft) area.Left = bar.Left;
  if (edge == kEdgeRight) area.Right = bar.Right;
  return RECT{area.Left, area.Top, area.Right, area.Bottom};
}

// Within a pixel or two of the middle of that area.
inline bool Centred(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  const RECT a = CentringArea();
  return std::abs((r.left - a.left) - (a.right - r.right)) <= 2 &&
         std::abs((r.top - a.top) - (a.bottom - r.bottom)) <= 2;
}

// A taskbar `thickness` pixels wide along one edge (ABE_*) of the primary
// monitor, and the work area it leaves, while this lives.
class TStagedTaskbar : public TStaged<PlacementPlatform> {
 public:
  TStagedTaskbar(UINT abe, int thickness) {
    Rect bar, work;
    (*this)->primaryMonitor(bar);
    work = bar;
    const int edge = EdgeFromAppBar(abe);
    if (edge == kEdgeTop) work.Top = bar.Bottom = bar.Top + thickness;
    if (edge == kEdgeBottom) work.Bottom = bar.Top = bar.Bottom - thickness;
    if (edge == kEdgeLeft) work.Left = bar.Right = bar.Left + thickness;
    if (edge == kEdgeRight) work.Right = bar.Left = bar.Right - thickness;
    (*this)->workArea = [work](Rect& r) { return r = work, true; };
    (*this)->taskbar = [bar, edge](Rect& r) { return r = bar, edge; };
  }
};

}  // namespace tovanel::test
