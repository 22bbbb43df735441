#pragma once
// Window placement and activation without <windows.h>: the reference area, the
// placement modes, the off-screen test and the foreground procedure. They take
// the platform as two groups of calls (base/Platform.h) so that every path
// runs anywhere; Ombrik.cpp gives the real calls.
#include <cstdint>
#include <functional>
#include <optional>

namespace tovanel {

// Screen pixels; Right and Bottom lie one past the last pixel.
struct Rect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Bounds {
  std::int32_t X = 0, Y = 0, W = 0, H = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

// Where the taskbar lies (what PlacementPlatform::taskbar returns).
inline constexpr int kEdgeNone = -1;
inline constexpr int kEdgeTop = 0;
inline constexpr int kEdgeBottom = 1;
inline constexpr int kEdgeLeft = 2;
inline constexpr int kEdgeRight = 3;

// Modes 0-14 place a window in the reference area (see PlaceBounds); the
// windows themselves only ever centre.
inline constexpr unsigned kModeCentre = 10;

// What GetWindowRect returns for a minimised window.
inline constexpr std::int32_t kMinimisedCoord = -32000;

// 32-bit sums and differences that wrap instead of overflowing.
std::int32_t Add32(std::int32_t a, std::int32_t b);
std::int32_t Sub32(std::int32_t a, std::int32_t b);

bool IsMinimisedMarker(const Rect& r);
Bounds BoundsOf(const Rect& r);

// ABE_LEFT/TOP/RIGHT/BOTTOM (0-3) to an edge code.
int EdgeFromAppBar(std::uint32_t abe);

// The work area grown back over the taskbar on its edge.
Rect ReferenceArea(Rect work, int edge, const Rect& taskbar);

// Mode 0-14 applied to b within area; any other mode returns b.
Bounds PlaceBounds(const Bounds& b, const Rect& area, unsigned mode);

// True when none of the five test points (top left, bottom right, top right,
// bottom left, centre) is on a monitor; stops asking at the first that is.
bool IsOffScreen(const Bounds& b, const std::function<bool(std::int32_t x, std::int32_t y)>& onMonitor);

using WindowHandle = std::uintptr_t;

// What placing a window needs of the platform. The reads return false when
// the platform could not say.
struct PlacementPlatform {
  std::function<bool(Rect& area)> workArea;
  std::function<bool(Rect& area)> primaryMonitor;
  std::function<int(Rect& taskbar)> taskbar;  // edge code; kEdgeNone when unknown
  std::function<bool(WindowHandle w, Rect& r)> windowRect;
  std::function<bool(WindowHandle w)> isMaximised;
  std::function<bool(std::int32_t x, std::int32_t y)> onMonitor;
  std::function<void(WindowHandle w, const Bounds& b)> move;  // repaints

  static PlacementPlatform Real();
};

// Read afresh each time: the taskbar and the work area can change at any time.
// Falls back to the primary monitor when the work area cannot be read; empty
// when neither can.
std::optional<Rect> ReferenceArea(const PlacementPlatform& p);
std::optional<Bounds> ReadBounds(const PlacementPlatform& p, WindowHandle w);
void MoveWindowTo(const PlacementPlatform& p, WindowHandle w, unsigned mode);
void KeepWindowOnScreen(const PlacementPlatform& p, WindowHandle w);

// Platform families as the version record reports them.
inline constexpr unsigned kFamilyConsumer = 1;
inline constexpr unsigned kFamilyNT = 2;

struct PlatformVersion {
  unsigned Family = 0, Major = 0, Minor = 0;
};

// Platforms with a foreground lock, where only the attach and timeout
// methods get past it.
bool UsesAttachMethod(const PlatformVersion& v);

inline constexpr std::uint32_t kSendChange = 2;  // SPIF_SENDCHANGE

// What bringing a window forward needs of the platform.
struct ForegroundPlatform {
  std::function<WindowHandle()> getForegroundWindow;
  std::function<std::uint32_t(WindowHandle w)> threadOf;
  // True when the window's thread has not taken its messages for a while.
  std::function<bool(WindowHandle w)> isHungAppWindow;
  std::function<bool(std::uint32_t from, std::uint32_t to, bool attach)> attachThreadInput;
  std::function<void(WindowHandle w)> bringWindowToTop;
  std::function<void(WindowHandle w)> setForegroundWindow;
  std::function<bool(std::uint32_t& ms)> getLockTimeout;
  std::function<void(std::uint32_t ms, std::uint32_t flags)> setLockTimeout;
  std::function<PlatformVersion()> version;

  static ForegroundPlatform Real();
};

// True when w is the foreground window at the end.
bool ForceForegroundWindow(WindowHandle w, const ForegroundPlatform& p);

}  // namespace tovanel
