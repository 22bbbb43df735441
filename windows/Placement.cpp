#include "windows/Placement.h"

namespace tovanel {

// Through unsigned: a saved position from a damaged settings file must not
// make the arithmetic undefined. The conversion back is modular in C++20.
std::int32_t Add32(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t Sub32(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

bool IsMinimisedMarker(const Rect& r) {
  return r.Left == kMinimisedCoord && r.Top == kMinimisedCoord;
}

Bounds BoundsOf(const Rect& r) {
  return {r.Left, r.Top, Sub32(r.Right, r.Left), Sub32(r.Bottom, r.Top)};
}

int EdgeFromAppBar(std::uint32_t abe) {
  switch (abe) {
    case 0: return kEdgeLeft;
    case 1: return kEdgeTop;
    case 2: return kEdgeRight;
    case 3: return kEdgeBottom;
    default: return kEdgeNone;
  }
}

// A top or left taskbar starts at the screen's edge, so its far edge is how
// far the work area was pushed in.
Rect ReferenceArea(Rect work, int edge, const Rect& tb) {
  switch (edge) {
    case kEdgeTop: work.Top = Sub32(work.Top, tb.Bottom); break;
    case kEdgeBottom: work.Bottom = Add32(work.Bottom, Sub32(tb.Bottom, tb.Top)); break;
    case kEdgeLeft: work.Left = Sub32(work.Left, tb.Right); break;
    case kEdgeRight: work.Right = Add32(work.Right, Sub32(tb.Right, tb.Left)); break;
    default: break;
  }
  return work;
}

// Modes 10-14 use R and B alone: the reference area is the primary monitor,
// which begins at the screen origin.
Bounds PlaceBounds(const Bounds& b, const Rect& a, unsigned mode) {
  const std::int32_t L = a.Left, T = a.Top, R = a.Right, B = a.Bottom;
  switch (mode) {
    case 0: return {b.X, T, b.W, Sub32(B, T)};
    case 1: return {L, b.Y, Sub32(R, L), b.H};
    case 2: return {b.X, T, b.W, b.H};
    case 3: return {b.X, Sub32(B, b.H), b.W, b.H};
    case 4: return {L, b.Y, b.W, b.H};
    case 5: return {Sub32(R, b.W), b.Y, b.W, b.H};
    case 6: return {L, T, b.W, b.H};
    case 7: return {Sub32(R, b.W), T, b.W, b.H};
    case 8: return {L, Sub32(B, b.H), b.W, b.H};
    case 9: return {Sub32(R, b.W), Sub32(B, b.H), b.W, b.H};
    case 10: return {Sub32(R, b.W) / 2, Sub32(B, b.H) / 2, b.W, b.H};
    case 11: return {L, T, R, B / 2};
    case 12: return {L, B / 2, R, B / 2};
    case 13: return {L, T, R / 2, Sub32(B, T)};
    case 14: return {R / 2, T, R / 2, Sub32(B, T)};
    default: return b;
  }
}

// The bottom right point lies one past the window; it counts all the same.
bool IsOffScreen(const Bounds& b, const std::function<bool(std::int32_t, std::int32_t)>& onMonitor) {
  const std::int32_t right = Add32(b.X, b.W), bottom = Add32(b.Y, b.H);
  const std::int32_t points[5][2] = {
      {b.X, b.Y}, {right, bottom}, {right, b.Y}, {b.X, bottom}, {Add32(b.X, b.W / 2), Add32(b.Y, b.H / 2)}};
  for (const auto& pt : points) {
    if (onMonitor(pt[0], pt[1])) return false;
  }
  return true;
}

std::optional<Rect> ReferenceArea(const PlacementPlatform& p) {
  Rect area;
  if (p.workArea(area)) {
    Rect tb;
    const int edge = p.taskbar(tb);
    return ReferenceArea(area, edge, tb);
  }
  // The grown work area stands for the primary monitor; take that directly,
  // without growing it over a taskbar that it already covers.
  if (p.primaryMonitor(area)) return area;
  return std::nullopt;
}

std::optional<Bounds> ReadBounds(const PlacementPlatform& p, WindowHandle w) {
  Rect r;
  if (!p.windowRect(w, r) || IsMinimisedMarker(r)) return std::nullopt;
  return BoundsOf(r);
}

void MoveWindowTo(const PlacementPlatform& p, WindowHandle w, unsigned mode) {
  const auto area = ReferenceArea(p);
  const auto b = ReadBounds(p, w);
  if (!area || !b) return;
  p.move(w, PlaceBounds(*b, *area, mode));
}

void KeepWindowOnScreen(const PlacementPlatform& p, WindowHandle w) {
  if (p.isMaximised(w)) return;
  const auto b = ReadBounds(p, w);
  if (!b || IsOffScreen(*b, p.onMonitor)) {
    MoveWindowTo(p, w, kModeCentre);
  }
}

bool UsesAttachMethod(const PlatformVersion& v) {
  if (v.Family == kFamilyNT) return v.Major > 4;
  if (v.Family == kFamilyConsumer) return v.Major > 4 || (v.Major == 4 && v.Minor > 0);
  return false;
}

namespace {

void Raise(const ForegroundPlatform& p, WindowHandle w) {
  p.bringWindowToTop(w);
  p.setForegroundWindow(w);
}

}  // namespace

bool ForceForegroundWindow(WindowHandle w, const ForegroundPlatform& p) {
  // With no foreground window GetForegroundWindow returns 0 as well, so a
  // null handle would otherwise count as brought forward.
  if (w == 0) return false;
  if (p.getForegroundWindow() == w) return true;

  if (!UsesAttachMethod(p.version())) {
    Raise(p, w);
    return p.getForegroundWindow() == w;
  }

  // Sharing the foreground thread's input state lets us take the foreground
  // as if we were that thread. With the input joined, SetForegroundWindow
  // waits for that thread, so a window that has stopped responding would hold
  // us too: then only the timeout method is tried.
  const WindowHandle current = p.getForegroundWindow();
  bool ok = false;
  if (!p.isHungAppWindow(current)) {
    const std::uint32_t fg = p.threadOf(current);
    const std::uint32_t own = p.threadOf(w);
    if (p.attachThreadInput(own, fg, true)) {
      Raise(p, w);
      p.attachThreadInput(own, fg, false);
      ok = p.getForegroundWindow() == w;
    }
  }

  if (!ok) {
    // With the lock timeout at 0 the platform grants the foreground to anyone.
    // The setting is system-wide, so it is only touched when the value to put
    // back is known, and never written to the user's profile.
    std::uint32_t saved = 0;
    if (p.getLockTimeout(saved)) {
      p.setLockTimeout(0, kSendChange);
      Raise(p, w);
      p.setLockTimeout(saved, kSendChange);
    } else {
      Raise(p, w);
    }
  }
  return p.getForegroundWindow() == w;
}

}  // namespace tovanel
