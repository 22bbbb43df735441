#include "windows/Ombrik.h"

#include <shellapi.h>

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
  // GetVersionExW answers with what the manifest claims to support, not with
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

class SystemPlatform final : public PlacementPlatform, public ForegroundPlatform {
 public:
  bool WorkArea(Rect& area) override {
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return false;
    area = ToRect(r);
    return true;
  }
  bool PrimaryMonitor(Rect& area) override {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return false;
    area = ToRect(info.rcMonitor);
    return true;
  }
  int Taskbar(Rect& taskbar) override {
    RECT r{};
    const int edge = GetTaskbarEdge(r);
    taskbar = ToRect(r);
    return edge;
  }
  bool WindowRect(WindowHandle w, Rect& r) override {
    RECT rc{};
    if (!::GetWindowRect(ToHwnd(w), &rc)) return false;
    r = ToRect(rc);
    return true;
  }
  bool IsMaximised(WindowHandle w) override { return ::IsZoomed(ToHwnd(w)); }
  bool OnMonitor(std::int32_t x, std::int32_t y) override {
    return MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) != nullptr;
  }
  void Move(WindowHandle w, const Bounds& b) override { ::MoveWindow(ToHwnd(w), b.X, b.Y, b.W, b.H, TRUE); }

  WindowHandle GetForegroundWindow() override { return ToHandle(::GetForegroundWindow()); }
  std::uint32_t ThreadOf(WindowHandle w) override { return ::GetWindowThreadProcessId(ToHwnd(w), nullptr); }
  bool IsHungAppWindow(WindowHandle w) override { return ::IsHungAppWindow(ToHwnd(w)); }
  bool AttachThreadInput(std::uint32_t from, std::uint32_t to, bool attach) override {
    return ::AttachThreadInput(from, to, attach);
  }
  void BringWindowToTop(WindowHandle w) override { ::BringWindowToTop(ToHwnd(w)); }
  void SetForegroundWindow(WindowHandle w) override { ::SetForegroundWindow(ToHwnd(w)); }
  bool GetLockTimeout(std::uint32_t& ms) override {
    DWORD value = 0;
    if (!SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &value, 0)) return false;
    ms = value;
    return true;
  }
  void SetLockTimeout(std::uint32_t ms, std::uint32_t flags) override {
    // This action takes the value itself in place of the pointer.
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(static_cast<UINT_PTR>(ms)),
                          flags);
  }
  PlatformVersion Version() override {
    static const PlatformVersion version = ReadVersion();
    return version;
  }
};

}  // namespace

bool ForceForegroundWindow(HWND hwnd) {
  SystemPlatform p;
  return ForceForegroundWindow(ToHandle(hwnd), p);
}

int GetTaskbarEdge(RECT& rect) {
  APPBARDATA data{};
  data.cbSize = sizeof(data);
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &data)) {
    rect = RECT{};
    return kEdgeNone;
  }
  rect = data.rc;
  return EdgeFromAppBar(data.uEdge);
}

void MoveWindowTo(HWND hwnd, unsigned mode) {
  SystemPlatform p;
  MoveWindowTo(p, ToHandle(hwnd), mode);
}

void KeepWindowOnScreen(HWND hwnd) {
  SystemPlatform p;
  KeepWindowOnScreen(p, ToHandle(hwnd));
}

bool IsOffScreen(int X, int Y, int W, int H) {
  SystemPlatform p;
  return IsOffScreen(Bounds{X, Y, W, H}, [&p](std::int32_t x, std::int32_t y) { return p.OnMonitor(x, y); });
}

}  // namespace tovanel
