#pragma once
// Counts the path calls that this program makes, by putting counting
// stand-ins into its own import table while a TCallCount lives. Only for
// untimed passes: the stand-ins cost a little on every call. The product's
// units are linked into the program, so their calls are counted too.
#include <windows.h>

#include <cstring>
#include <string>

namespace bench {

// Puts `replacement` in this program's import slot for dll!function;
// answers what stood there, or nullptr when there is no such import.
inline void* ReplaceImport(const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0 || !imp->OriginalFirstThunk) continue;
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

class TCallCount {
 public:
  TCallCount() {
    Reset();
    fullPath_ = Swap("GetFullPathNameW", &FullPath);
    shortPath_ = Swap("GetShortPathNameW", &ShortPath);
    findFirstEx_ = Swap("FindFirstFileExW", &FindFirstEx);
    findNext_ = Swap("FindNextFileW", &FindNext);
  }
  ~TCallCount() {
    Swap("GetFullPathNameW", fullPath_);
    Swap("GetShortPathNameW", shortPath_);
    Swap("FindFirstFileExW", findFirstEx_);
    Swap("FindNextFileW", findNext_);
  }
  TCallCount(const TCallCount&) = delete;
  TCallCount& operator=(const TCallCount&) = delete;

  static void Reset() { fullPaths = shortPaths = findFirsts = findNexts = 0; }
  // "2 GetFullPathNameW + 30 FindFirstFileExW": the calls made since Reset.
  static std::string Made() {
    std::string s;
    auto add = [&s](int n, const char* name) {
      if (n == 0) return;
      if (!s.empty()) s += " + ";
      s += std::to_string(n) + " " + name;
    };
    add(fullPaths, "GetFullPathNameW");
    add(shortPaths, "GetShortPathNameW");
    add(findFirsts, "FindFirstFileExW");
    add(findNexts, "FindNextFileW");
    return s.empty() ? "none" : s;
  }

  static inline int fullPaths = 0, shortPaths = 0, findFirsts = 0, findNexts = 0;

 private:
  template <class Fn>
  static Fn Swap(const char* name, Fn replacement) {
    if (!replacement) return nullptr;
    return reinterpret_cast<Fn>(ReplaceImport("kernel32.dll", name, reinterpret_cast<void*>(replacement)));
  }
  static DWORD WINAPI FullPath(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* part) {
    ++fullPaths;
    return fullPath_(path, size, buffer, part);
  }
  static DWORD WINAPI ShortPath(LPCWSTR path, LPWSTR buffer, DWORD size) {
    ++shortPaths;
    return shortPath_(path, buffer, size);
  }
  static HANDLE WINAPI FindFirstEx(LPCWSTR path, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS op,
                                   LPVOID filter, DWORD flags) {
    ++findFirsts;
    return findFirstEx_(path, level, data, op, filter, flags);
  }
  static BOOL WINAPI FindNext(HANDLE find, LPWIN32_FIND_DATAW data) {
    ++findNexts;
    return findNext_(find, data);
  }
  static inline DWORD(WINAPI* fullPath_)(LPCWSTR, DWORD, LPWSTR, LPWSTR*) = nullptr;
  static inline DWORD(WINAPI* shortPath_)(LPCWSTR, LPWSTR, DWORD) = nullptr;
  static inline HANDLE(WINAPI* findFirstEx_)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID,
                                             DWORD) = nullptr;
  static inline BOOL(WINAPI* findNext_)(HANDLE, LPWIN32_FIND_DATAW) = nullptr;
};

}  // namespace bench
