#include "BareCalls.h"

#include <cwchar>

#include "base/Handles.h"

namespace bench {

using tovanel::TFindHandle;
using tovanel::TScopeExit;

namespace {

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// 1-based position of the last unit of s[0, n) that is a backslash (or, with
// colons, a backslash or a colon); 0 for none.
std::size_t LastPos(const wchar_t* s, std::size_t n, bool colons) {
  for (; n > 0; --n)
    if (s[n - 1] == L'\\' || (colons && s[n - 1] == L':')) return n;
  return 0;
}

bool DriveReady(wchar_t ch) {
  if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
  if (ch < L'A' || ch > L'Z') return ch == L'\\';
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  const TScopeExit restore([previous] { SetErrorMode(previous); });
  const wchar_t root[] = {ch, L':', L'\\', 0};
  ULARGE_INTEGER available;
  return GetDiskFreeSpaceExW(root, &available, nullptr, nullptr) != FALSE;
}

DWORD AttributesOnReadyDrive(const wchar_t* path) {
  return path[0] && DriveReady(path[0]) ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::size_t BareLongName(const wchar_t* path, wchar_t* out) {
  static wchar_t full[kPathUnits];
  std::size_t len = GetFullPathNameW(path, kPathUnits, full, nullptr);
  if (len == 0 || len >= kPathUnits) return 0;
  // Built from the end of out backwards, as the components come.
  std::size_t start = kPathUnits - 1;
  out[start] = 0;
  auto prepend = [&](const wchar_t* s, std::size_t n) {
    if (n > start) return false;
    start -= n;
    std::wmemcpy(out + start, s, n);
    return true;
  };
  // A last backslash at 1 or 2 belongs to a "\\server" head; none, to "C:".
  while (LastPos(full, len, false) >= 3) {
    const std::size_t sep = LastPos(full, len, true);
    full[len] = 0;
    WIN32_FIND_DATAW data;
    const wchar_t* component = full + sep;
    std::size_t units = len - sep;
    if (const TFindHandle find(FindFirstFileExW(full, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
        find) {
      do {
        if (!IsDotEntry(data.cFileName)) {
          component = data.cFileName;
          units = std::wcslen(data.cFileName);
          break;
        }
      } while (FindNextFileW(find.Get(), &data));
    }
    if (!prepend(component, units) || !prepend(full + sep - 1, 1)) return 0;
    len = sep - 1;
  }
  if (!prepend(full, len)) return 0;
  const std::size_t n = kPathUnits - 1 - start;
  std::wmemmove(out, out + start, n + 1);
  return n;
}

std::size_t BareShortName(const wchar_t* path, wchar_t* out) {
  const DWORD n = GetShortPathNameW(path, out, kPathUnits);
  return n < kPathUnits ? n : 0;
}

bool BareFileThere(const wchar_t* path) {
  const DWORD attributes = AttributesOnReadyDrive(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool BareDirectoryThere(const wchar_t* path) {
  const DWORD attributes = AttributesOnReadyDrive(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool BareWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

TBareRedirectionOff::TBareRedirectionOff(bool wow64) {
  switched_ = wow64 && Wow64DisableWow64FsRedirection(&saved_);
}

TBareRedirectionOff::~TBareRedirectionOff() {
  if (switched_) Wow64RevertWow64FsRedirection(saved_);
}

bool BareDroppedName(HDROP drop, UINT index) {
  static wchar_t name[kPathUnits], longName[kPathUnits];
  return DragQueryFileW(drop, index, name, kPathUnits) != 0 && BareLongName(name, longName) != 0 &&
         (BareFileThere(longName) || BareDirectoryThere(longName));
}

}  // namespace bench
