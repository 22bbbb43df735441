#include "windows/Ombrik.h"

#include <shellapi.h>

#include "base/Platform.h"
#include "base/Resolve.h"

namespace tovanel {

// The size field announces the record's layout to the shell: 36 bytes in a
// 32-bit build.
static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36);

namespace {

WindowHandle ToHandle(HWND h) { return reinterpret_cast<WindowHandle>(h); }
HWND ToHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

PlatformVersion ReadVersion() {
  // GetVersionExW reports what the manifest claims to support, not with
  // the running system; the kernel's own call does not.
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
  const auto fn = Resolve<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (fn && fn(&info) == 0) return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
  if (GetVersionExW(&info)) return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
  // Every system this program starts on has the foreground lock.
  return {kFamilyNT, 10, 0};
}

}  // namespace

PlacementPlatform PlacementPlatform::Real() {
  PlacementPlatform p;
  p.workArea = [](Rect& area) {
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return false;
    area = ToRect(r);
    return true;
  };
  p.primaryMonitor = [](Rect& area) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return false;
    area = ToRect(info.rcMonitor);
    return true;
  };
  p.taskbar = [](Rect& taskbar) {
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &data)) {
      taskbar = Rect{};
      return kEdgeNone;
    }
    taskbar = ToRect(data.rc);
    return EdgeFromAppBar(data.uEdge);
  };
  p.windowRect = [](WindowHandle w, Rect& r) {
    RECT rc{};
    if (!::GetWindowRect(ToHwnd(w), &rc)) return false;
    r = ToRect(rc);
    return true;
  };
  p.isMaximised = [](WindowHandle w) { return ::IsZoomed(ToHwnd(w)) != FALSE; };
  p.onMonitor = [](std::int32_t x, std::int32_t y) {
    return MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) != nullptr;
  };
  p.move = [](WindowHandle w, const Bounds& b) { ::MoveWindow(ToHwnd(w), b.X, b.Y, b.W, b.H, TRUE); };
  return p;
}

ForegroundPlatform ForegroundPlatform::Real() {
  ForegroundPlatform p;
  p.getForegroundWindow = [] { return ToHandle(::GetForegroundWindow()); };
  p.threadOf = [](WindowHandle w) { return std::uint32_t{::GetWindowThreadProcessId(ToHwnd(w), nullptr)}; };
  p.isHungAppWindow = [](WindowHandle w) { return ::IsHungAppWindow(ToHwnd(w)) != FALSE; };
  p.attachThreadInput = [](std::uint32_t from, std::uint32_t to, bool attach) {
    return ::AttachThreadInput(from, to, attach) != FALSE;
  };
  p.bringWindowToTop = [](WindowHandle w) { ::BringWindowToTop(ToHwnd(w)); };
  p.setForegroundWindow = [](WindowHandle w) { ::SetForegroundWindow(ToHwnd(w)); };
  p.getLockTimeout = [](std::uint32_t& ms) {
    DWORD value = 0;
    if (!SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &value, 0)) return false;
    ms = value;
    return true;
  };
  p.setLockTimeout = [](std::uint32_t ms, std::uint32_t flags) {
    // This action takes the value itself in place of the pointer.
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(static_cast<UINT_PTR>(ms)),
                          flags);
  };
  p.version = [] {
    static const PlatformVersion version = ReadVersion();
    return version;
  };
  return p;
}

bool ForceForegroundWindow(HWND hwnd) { return ForceForegroundWindow(ToHandle(hwnd), Calls<ForegroundPlatform>()); }

void MoveWindowTo(HWND hwnd, unsigned mode) { MoveWindowTo(Calls<PlacementPlatform>(), ToHandle(hwnd), mode); }

void KeepWindowOnScreen(HWND hwnd) { KeepWindowOnScreen(Calls<PlacementPlatform>(), ToHandle(hwnd)); }

bool IsOffScreen(int X, int Y, int W, int H) { return IsOffScreen(Bounds{X, Y, W, H}, Calls<PlacementPlatform>().onMonitor); }

}  // namespace tovanel
