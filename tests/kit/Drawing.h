#pragma once
// The test kit's count of drawing resources: every GDI object, device
// context, image list and icon this program makes and releases through its
// own import table, owner or no owner. Windows counts them for the process
// (GetGuiResources); Wine returns 0 there, and this count holds on both.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <tuple>
#include <vector>

#include "kit/Imports.h"

namespace tovanel::test {

class TDrawingCalls {
 public:
  TDrawingCalls() {
    live_.clear();
    Patch<Made<CreateFontIndirectW>>("gdi32.dll", "CreateFontIndirectW");
    Patch<Made<CreateSolidBrush>>("gdi32.dll", "CreateSolidBrush");
    Patch<Made<CreatePen>>("gdi32.dll", "CreatePen");
    Patch<Made<CreateCompatibleBitmap>>("gdi32.dll", "CreateCompatibleBitmap");
    Patch<Made<CreateBitmap>>("gdi32.dll", "CreateBitmap");
    Patch<Made<CreateDIBSection>>("gdi32.dll", "CreateDIBSection");
    Patch<Made<CreateCompatibleDC>>("gdi32.dll", "CreateCompatibleDC");
    Patch<Made<GetDC>>("user32.dll", "GetDC");
    Patch<Made<ImageList_Create>>("comctl32.dll", "ImageList_Create");
    Patch<Made<CreateIconIndirect>>("user32.dll", "CreateIconIndirect");
    Patch<Given<DeleteObject, 0>>("gdi32.dll", "DeleteObject");
    Patch<Given<DeleteDC, 0>>("gdi32.dll", "DeleteDC");
    Patch<Given<ReleaseDC, 1>>("user32.dll", "ReleaseDC");
    Patch<Given<ImageList_Destroy, 0>>("comctl32.dll", "ImageList_Destroy");
    Patch<Given<DestroyIcon, 0>>("user32.dll", "DestroyIcon");
  }
  ~TDrawingCalls() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) ReplaceImport(it->dll, it->function, it->original);
  }
  TDrawingCalls(const TDrawingCalls&) = delete;
  TDrawingCalls& operator=(const TDrawingCalls&) = delete;

  // Made since this began and not released yet.
  std::size_t Live() const { return live_.size(); }
  // How many of the calls this program imports are counted.
  std::size_t Counted() const { return undo_.size(); }

 private:
  template <auto& Fn, class F = decltype(&Fn)>
  struct Made;
  template <auto& Fn, class R, class... A>
  struct Made<Fn, R(WINAPI*)(A...)> {
    static inline R(WINAPI* original)(A...) = nullptr;
    static R WINAPI Call(A... a) {
      const R made = original(a...);
      if (made) live_.insert(made);
      return made;
    }
  };
  // The handle released is argument Arg; it counts when the call succeeds.
  template <auto& Fn, std::size_t Arg, class F = decltype(&Fn)>
  struct Given;
  template <auto& Fn, std::size_t Arg, class R, class... A>
  struct Given<Fn, Arg, R(WINAPI*)(A...)> {
    static inline R(WINAPI* original)(A...) = nullptr;
    static R WINAPI Call(A... a) {
      const R done = original(a...);
      if (done) live_.erase(std::get<Arg>(std::tie(a...)));
      return done;
    }
  };

  template <class Counter>
  void Patch(const char* dll, const char* function) {
    void* original = ReplaceImport(dll, function, reinterpret_cast<void*>(&Counter::Call));
    if (!original) return;  // not imported: nothing here makes or gives it
    Counter::original = reinterpret_cast<decltype(Counter::original)>(original);
    undo_.push_back({dll, function, original});
  }

  struct Undo {
    const char* dll;
    const char* function;
    void* original;
  };
  std::vector<Undo> undo_;
  static inline std::set<const void*> live_;
};

}  // namespace tovanel::test
