#pragma once
// Settings-file test helpers: folder and temporary-file checks and the
// platform's text for an error code.
#include <windows.h>

#include <string>

#include "base/Text.h"
#include "tests/common/TempFolder.h"

namespace tovanel::test {

inline bool IsFolder(const Text& path) {
  DWORD a = GetFileAttributesW(W(path));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool AnyTemporaryFile(const Text& folder) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(W(folder + u"\\*.tmp"), &found);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return h != INVALID_HANDLE_VALUE;
}

inline Text SystemText(DWORD code) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer, 1024,
                           nullptr);
  Text text = FromW(buffer, n);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  return text;
}

}  // namespace tovanel::test
