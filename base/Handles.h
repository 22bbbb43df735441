#pragma once
// Owners: whatever must be released (a handle closed, a state put back)
// is released by its owner's destructor, on every way out of a scope,
// exceptions included. Every owner is move-only; an empty or moved-from one
// releases nothing.
//
//   TUnique<Traits>   a handle and how it is released. The Windows owners
//                     below are made of it, and so is an owner of a handle
//                     that a staged platform call made (see names/Wow64.cpp).
//   TScopeExit        any step to be undone: runs it once, at the end.
//
// Windows; each is empty when the call that should have made it failed:
//   TFont, TBrush, TPen, TBitmap  a GDI object (CreateFontIndirectW, ...):
//                                 DeleteObject
//   TMemoryDC                     CreateCompatibleDC: DeleteDC
//   TWindowDC                     GetDC(window): ReleaseDC(window, dc)
//   TSelection                    SelectObject(dc, object): the object it
//                                 replaced is selected again
//   TFindHandle                   FindFirstFileW, FindFirstFileExW: FindClose
//   TFileHandle                   CreateFileW: CloseHandle
//   TProcessHandle                OpenProcess, CreateProcessW's process and
//                                 thread: CloseHandle
//   TWindow                       CreateWindowExW, for a window that no
//                                 toolkit object holds: DestroyWindow
#include <cstdint>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovanel {

// Traits name the handle type, the value that means "none" and the release
// (THandleTraits below writes them in one line):
//   struct TFileTraits {
//     using Handle = HANDLE;
//     static Handle None() { return INVALID_HANDLE_VALUE; }
//     static void Close(Handle h) { CloseHandle(h); }
//   };
// Traits may also count what their owners hold: Took(h) when an owner comes
// to hold h, Gave(h) when it no longer does (released, or handed over).
template <class Traits>
class TUnique {
 public:
  using Handle = typename Traits::Handle;

  TUnique() noexcept = default;
  explicit TUnique(Handle h) noexcept : h_(h) { Took(h_); }
  TUnique(TUnique&& other) noexcept : h_(std::exchange(other.h_, Traits::None())) {}
  TUnique& operator=(TUnique&& other) noexcept {
    if (this != &other) {
      Free();
      h_ = std::exchange(other.h_, Traits::None());
    }
    return *this;
  }
  ~TUnique() { Free(); }

  Handle Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::None(); }
  // Hands the handle over without releasing it; the owner is empty then.
  [[nodiscard]] Handle Release() noexcept {
    Gave(h_);
    return std::exchange(h_, Traits::None());
  }
  // Releases what is held and holds h instead.
  void Reset(Handle h = Traits::None()) noexcept {
    Free();
    h_ = h;
    Took(h_);
  }

 private:
  static void Took(Handle h) noexcept {
    if constexpr (requires { Traits::Took(h); })
      if (h != Traits::None()) Traits::Took(h);
  }
  static void Gave(Handle h) noexcept {
    if constexpr (requires { Traits::Gave(h); })
      if (h != Traits::None()) Traits::Gave(h);
  }
  void Free() noexcept {
    if (h_ == Traits::None()) return;
    Gave(h_);
    Traits::Close(std::exchange(h_, Traits::None()));
  }

  Handle h_ = Traits::None();
};

// The traits of a handle that Release closes and that is "none" when it
// holds the bits of NoneValue (0, null, for most; -1 for a file's).
//   using TFileHandle = TUnique<THandleTraits<HANDLE, CloseHandle, -1>>;
template <class H, auto Release, std::intptr_t NoneValue = 0>
struct THandleTraits {
  using Handle = H;
  static Handle None() { return reinterpret_cast<Handle>(NoneValue); }
  static void Close(Handle h) { Release(h); }
};

// How many drawing resources (GDI objects, image lists) the owners hold now.
// Nothing may make it grow with use: a window moved between monitors again
// and again, a long day's work. The platform's own count (GetGuiResources)
// is not supported everywhere; this one is.
inline long HeldDrawingResources = 0;

// The counting of a drawing resource's traits, shared by all of them.
struct TCountedDrawing {
  template <class H>
  static void Took(H) { ++HeldDrawingResources; }
  template <class H>
  static void Gave(H) { --HeldDrawingResources; }
};

// Runs `step` when it goes, unless dismissed; the step must not throw.
//   SendMessageW(list, WM_SETREDRAW, FALSE, 0);
//   TScopeExit redraw([list] { SendMessageW(list, WM_SETREDRAW, TRUE, 0); });
template <class Step>
class TScopeExit {
 public:
  explicit TScopeExit(Step step) : step_(std::move(step)) {}
  TScopeExit(TScopeExit&& other) noexcept : step_(std::move(other.step_)), armed_(std::exchange(other.armed_, false)) {}
  TScopeExit& operator=(TScopeExit&&) = delete;
  ~TScopeExit() {
    if (armed_) step_();
  }
  void Dismiss() noexcept { armed_ = false; }

 private:
  Step step_;
  bool armed_ = true;
};

#ifdef _WIN32

template <class H>
struct TGdiTraits : TCountedDrawing, THandleTraits<H, DeleteObject> {};
using TFont = TUnique<TGdiTraits<HFONT>>;
using TBrush = TUnique<TGdiTraits<HBRUSH>>;
using TPen = TUnique<TGdiTraits<HPEN>>;
using TBitmap = TUnique<TGdiTraits<HBITMAP>>;

using TMemoryDC = TUnique<THandleTraits<HDC, DeleteDC>>;
using TFindHandle = TUnique<THandleTraits<HANDLE, FindClose, -1>>;
using TFileHandle = TUnique<THandleTraits<HANDLE, CloseHandle, -1>>;
// Unlike a file's, a process's or thread's handle is null when there is none.
using TProcessHandle = TUnique<THandleTraits<HANDLE, CloseHandle>>;
using TWindow = TUnique<THandleTraits<HWND, DestroyWindow>>;

// A window's drawing surface (the screen's for no window).
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  TWindowDC(TWindowDC&& other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  TWindowDC& operator=(TWindowDC&& other) noexcept {
    if (this != &other) {
      Close();
      window_ = other.window_;
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  ~TWindowDC() { Close(); }

  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  void Close() noexcept {
    if (dc_) ReleaseDC(window_, std::exchange(dc_, nullptr));
  }
  HWND window_;
  HDC dc_;
};

// An object selected into a surface while the owner lives. Nothing is
// selected when there is no surface or no object. Declared after the owner
// of the object, so that the object is deselected before it is deleted.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  TSelection(TSelection&& other) noexcept : dc_(other.dc_), old_(std::exchange(other.old_, nullptr)) {}
  TSelection& operator=(TSelection&&) = delete;
  ~TSelection() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

#endif  // _WIN32

}  // namespace tovanel
