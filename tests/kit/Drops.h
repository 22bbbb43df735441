#pragma once
// The test kit's file drops: drop handles built the way the shell builds
// them, and the shell calls this program makes, counted by replacing entries
// of its own import table.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "kit/Imports.h"
#include "kit/Toolkit.h"

namespace tovanel::test {

// An HDROP holding `names`, each NUL-terminated and the list ended by one
// more NUL, dropped at (12, 34). Whoever handles the drop frees it.
inline HDROP MakeDrop(const std::vector<Text>& names) {
  std::size_t units = 2;
  for (const Text& n : names) units += n.size() + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
  *drop = DROPFILES{sizeof(DROPFILES), {12, 34}, FALSE, TRUE};
  auto* p = reinterpret_cast<char16_t*>(drop + 1);
  for (const Text& n : names) p = std::copy(n.begin(), n.end(), p) + 1;
  GlobalUnlock(h);
  return static_cast<HDROP>(h);
}

// A drop of these names posted as the shell posts it, and handled before
// this returns.
inline void DropFiles(HWND target, const std::vector<Text>& names) {
  PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
  Pump();
}

inline void* ReplaceShellImport(const char* function, void* replacement) {
  return ReplaceImport("shell32.dll", function, replacement);
}

// Counts DragFinish, DragAcceptFiles and DragQueryFileW while it lives.
class TShellCalls {
 public:
  static inline std::vector<HDROP> finished;
  static inline std::vector<std::pair<HWND, BOOL>> accepts;
  static inline int queries = 0;

  TShellCalls() {
    Reset();
    finish_ = reinterpret_cast<decltype(finish_)>(ReplaceShellImport("DragFinish", reinterpret_cast<void*>(&Finish)));
    accept_ = reinterpret_cast<decltype(accept_)>(ReplaceShellImport("DragAcceptFiles", reinterpret_cast<void*>(&Accept)));
    query_ = reinterpret_cast<decltype(query_)>(ReplaceShellImport("DragQueryFileW", reinterpret_cast<void*>(&Query)));
  }
  ~TShellCalls() {
    ReplaceShellImport("DragFinish", reinterpret_cast<void*>(finish_));
    ReplaceShellImport("DragAcceptFiles", reinterpret_cast<void*>(accept_));
    ReplaceShellImport("DragQueryFileW", reinterpret_cast<void*>(query_));
  }
  TShellCalls(const TShellCalls&) = delete;
  TShellCalls& operator=(const TShellCalls&) = delete;
  bool Installed() const { return finish_ && accept_ && query_; }
  static void Reset() {
    finished.clear();
    accepts.clear();
    queries = 0;
  }

 private:
  static void WINAPI Finish(HDROP h) {
    finished.push_back(h);
    finish_(h);
  }
  static void WINAPI Accept(HWND w, BOOL a) {
    accepts.push_back({w, a});
    accept_(w, a);
  }
  static UINT WINAPI Query(HDROP h, UINT i, LPWSTR buf, UINT n) {
    ++queries;
    return query_(h, i, buf, n);
  }
  static inline void(WINAPI* finish_)(HDROP) = nullptr;
  static inline void(WINAPI* accept_)(HWND, BOOL) = nullptr;
  static inline UINT(WINAPI* query_)(HDROP, UINT, LPWSTR, UINT) = nullptr;
};

inline bool AcceptsFiles(HWND h) { return (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

}  // namespace tovanel::test
