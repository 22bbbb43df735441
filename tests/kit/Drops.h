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

// Puts `replacement` in this program's import slot for shell32!`function`;
// answers what stood there, or nullptr when there is no such import.
inline void* ReplaceShellImport(const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "shell32.dll") != 0 || !imp->OriginalFirstThunk) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
      void* before = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
      return before;
    }
  }
  return nullptr;
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
