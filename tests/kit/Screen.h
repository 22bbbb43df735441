#pragma once
// The test kit's screen: where a window counts as centred, and a taskbar
// staged on the primary monitor by replacing this program's imports of the
// two calls that report it.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "kit/Imports.h"

namespace tovanel::test {

inline RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// The work area grown back over the taskbar, as the platform reports both
// now: Windows takes the taskbar off the work area, Wine does not.
inline RECT CentringArea() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  APPBARDATA bar{};
  bar.cbSize = sizeof bar;
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return area;
  if (bar.uEdge == ABE_TOP) area.top = bar.rc.top;
  if (bar.uEdge == ABE_BOTTOM) area.bottom = bar.rc.bottom;
  if (bar.uEdge == ABE_LEFT) area.left = bar.rc.left;
  if (bar.uEdge == ABE_RIGHT) area.right = bar.rc.right;
  return area;
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
class TStagedTaskbar {
 public:
  TStagedTaskbar(UINT edge, int thickness) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    bar_ = work_ = info.rcMonitor;
    edge_ = edge;
    if (edge == ABE_TOP) work_.top = bar_.bottom = bar_.top + thickness;
    if (edge == ABE_BOTTOM) work_.bottom = bar_.top = bar_.bottom - thickness;
    if (edge == ABE_LEFT) work_.left = bar_.right = bar_.left + thickness;
    if (edge == ABE_RIGHT) work_.right = bar_.left = bar_.right - thickness;
    parameters_ = reinterpret_cast<decltype(parameters_)>(
        ReplaceImport("user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&Parameters)));
    appBar_ = reinterpret_cast<decltype(appBar_)>(
        ReplaceImport("shell32.dll", "SHAppBarMessage", reinterpret_cast<void*>(&AppBar)));
  }
  ~TStagedTaskbar() {
    ReplaceImport("user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(parameters_));
    ReplaceImport("shell32.dll", "SHAppBarMessage", reinterpret_cast<void*>(appBar_));
  }
  TStagedTaskbar(const TStagedTaskbar&) = delete;
  TStagedTaskbar& operator=(const TStagedTaskbar&) = delete;
  bool Installed() const { return parameters_ && appBar_; }

 private:
  static BOOL WINAPI Parameters(UINT action, UINT param, void* value, UINT flags) {
    if (action != SPI_GETWORKAREA) return parameters_(action, param, value, flags);
    *static_cast<RECT*>(value) = work_;
    return TRUE;
  }
  static UINT_PTR WINAPI AppBar(DWORD message, APPBARDATA* data) {
    if (message != ABM_GETTASKBARPOS) return appBar_(message, data);
    data->rc = bar_;
    data->uEdge = edge_;
    return TRUE;
  }
  static inline RECT bar_{}, work_{};
  static inline UINT edge_ = ABE_BOTTOM;
  static inline BOOL(WINAPI* parameters_)(UINT, UINT, void*, UINT) = nullptr;
  static inline UINT_PTR(WINAPI* appBar_)(DWORD, APPBARDATA*) = nullptr;
};

}  // namespace tovanel::test
