#pragma once
// Name forms of a path as the file system reports them at the moment of the
// call; nothing is cached. None of these enter the redirection guard: their
// callers do where they need the native view.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "base/Text.h"
#include "names/PathParts.h"

namespace tovanel {

// The path calls of the name forms, read through Calls<NameFormPlatform>()
// so that tests can stage a volume without short names, or a platform that
// refuses long paths. A group apart from Wow64Platform, which holds the
// guard's and the existence tests' calls: the name forms use neither.
struct NameFormPlatform {
  std::function<DWORD(LPCWSTR, DWORD, LPWSTR, LPWSTR*)> getFullPathName;
  std::function<DWORD(LPCWSTR, LPWSTR, DWORD)> getShortPathName;
  std::function<HANDLE(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD)> findFirstFileEx;

  static NameFormPlatform Real();
};

// Absolute form of path (relative to the current folder), of any length, or
// the empty Text when the platform cannot make one.
Text GetFullPath(const Text& path);

// The extended-length form of path's full path, in which the platform's path
// calls take a path of any length also where long paths are not enabled;
// the empty Text when it has none. Keeps the calling thread's last error.
Text ExtendedLengthPath(const Text& path);

// Full path with every component that the file system finds written as it
// stores it (letter case, long name). "*" and "?" in a component act as
// wildcards: the component becomes the name of a matching entry.
Text GetLongName(const Text& path);

// The platform's short (8.3) form of path, or the empty Text when it gives
// none (for example, for a missing path).
Text GetShortName(const Text& path);

// Name form `index` (0-7, see SelectNameForm) of path; nothing for any other
// index, in which case the caller leaves its display as it is.
std::optional<Text> GetNameForm(const Text& path, std::int32_t index);

}  // namespace tovanel
