#include "names/NameForms.h"

#include "base/Handles.h"
#include "base/Platform.h"

namespace tovanel {

namespace {

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The stored name of the entry that path names. A wildcard pattern lists "."
// and ".." first on most file systems; those are no entry that a user means.
std::optional<Text> LookUpStoredName(const Text& path) {
  WIN32_FIND_DATAW data;
  // The basic lookup: the short name, which is not wanted here, costs a
  // second query on some file systems.
  const TFindHandle find(RetryLongPath(
      path, INVALID_HANDLE_VALUE,
      [&data](const Text& p) {
        return Calls<NameFormPlatform>().findFirstFileEx(W(p), FindExInfoBasic, &data, FindExSearchNameMatch,
                                                          nullptr, 0);
      },
      ExtendedLengthPath));
  if (!find) return std::nullopt;
  do {
    if (!IsDotEntry(data.cFileName)) return FromW(data.cFileName);
  } while (FindNextFileW(find.Get(), &data));
  return std::nullopt;
}

}  // namespace

// Each call goes through the import table when it is made, where the
// benchmark counts it.
NameFormPlatform NameFormPlatform::Real() {
  return {[](auto... a) { return GetFullPathNameW(a...); }, [](auto... a) { return GetShortPathNameW(a...); },
          [](auto... a) { return FindFirstFileExW(a...); }};
}

static_assert(kPathFirstTry == MAX_PATH);

Text GetFullPath(const Text& path) {
  // Only an absolute path has an extended-length form without a full path.
  return AskForPathText(
      path,
      [](const Text& p, char16_t* buffer, std::uint32_t size) {
        return Calls<NameFormPlatform>().getFullPathName(W(p), size, reinterpret_cast<wchar_t*>(buffer), nullptr);
      },
      ExtendedLengthForm);
}

Text ExtendedLengthPath(const Text& path) {
  // The refused call's error stays for its caller to read.
  const DWORD error = GetLastError();
  const Text form = ExtendedLengthForm(GetFullPath(path));
  SetLastError(error);
  return form;
}

Text GetLongName(const Text& path) { return WalkLongName(GetFullPath(path), LookUpStoredName); }

// Each call walks the whole path, so the first is made with room enough for
// nearly every short form rather than only to learn its size.
Text GetShortName(const Text& path) {
  return AskForPathText(
      path,
      [](const Text& p, char16_t* buffer, std::uint32_t size) {
        return Calls<NameFormPlatform>().getShortPathName(W(p), reinterpret_cast<wchar_t*>(buffer), size);
      },
      ExtendedLengthPath);
}

std::optional<Text> GetNameForm(const Text& path, std::int32_t index) {
  return SelectNameForm(path, index, GetLongName, GetShortName);
}

}  // namespace tovanel
