#pragma once
// Counts the path calls that this program makes, by putting counting
// stand-ins into its own import table while a TCallCount lives. Only for
// untimed passes: the stand-ins cost a little on every call. The product's
// units are linked into the program, so their calls are counted too.
#include <windows.h>

#include <string>

#include "kit/Imports.h"

namespace bench {

using tovanel::test::ReplaceImport;

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
