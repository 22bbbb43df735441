#include "names/NameForms.h"

#include <windows.h>

#include <vector>

#include "base/Handles.h"

namespace tovanel {

namespace {

constexpr DWORD kFirstTry = MAX_PATH;

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The stored name of the entry that path names. A wildcard pattern lists "."
// and ".." first on most file systems; those are no entry that a user means.
std::optional<Text> LookUpStoredName(const Text& path) {
  WIN32_FIND_DATAW data;
  // The basic lookup: the short name, which is not wanted here, costs a
  // second query on some file systems.
  const TFindHandle find(FindFirstFileExW(W(path), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
  if (!find) return std::nullopt;
  do {
    if (!IsDotEntry(data.cFileName)) return FromW(data.cFileName);
  } while (FindNextFileW(find.Get(), &data));
  return std::nullopt;
}

}  // namespace

Text GetFullPath(const Text& path) {
  std::vector<wchar_t> buffer(kFirstTry);
  // A second answer that still does not fit means the current folder changed
  // in between; ask again rather than hand back an unwritten buffer.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = GetFullPathNameW(W(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return Text();
    if (n < buffer.size()) return FromW(buffer.data(), n);
    buffer.resize(n);
  }
  return Text();
}

Text GetLongName(const Text& path) { return WalkLongName(GetFullPath(path), LookUpStoredName); }

Text GetShortName(const Text& path) {
  const DWORD needed = GetShortPathNameW(W(path), nullptr, 0);
  if (needed == 0) return Text();
  std::vector<wchar_t> buffer(needed);
  const DWORD n = GetShortPathNameW(W(path), buffer.data(), needed);
  if (n == 0 || n >= needed) return Text();
  return FromW(buffer.data(), n);
}

std::optional<Text> GetNameForm(const Text& path, std::int32_t index) {
  return SelectNameForm(path, index, GetLongName, GetShortName);
}

}  // namespace tovanel
