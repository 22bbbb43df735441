#pragma once
// Windows test helpers: a private folder removed afterwards, whole-file reads
// and writes, and the platform's text for an error code.
#include <windows.h>

#include <string>

#include "text/Text.h"

namespace tovanel::test {

inline Text Number(unsigned long n) {
  std::string s = std::to_string(n);
  return Text(s.begin(), s.end());
}

inline void RemoveTree(const Text& path) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(W(path + u"\\*"), &found);
  for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found)) {
    Text name = FromW(found.cFileName);
    if (name == u"." || name == u"..") continue;
    Text child = path + u"\\" + name;
    SetFileAttributesW(W(child), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
    DeleteFileW(W(child));
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  RemoveDirectoryW(W(path));
}

class TTempFolder {
 public:
  TTempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    static int count = 0;
    path_ = FromW(buffer, GetTempPathW(MAX_PATH + 1, buffer)) + u"tovanel-" + Number(GetCurrentProcessId()) + u"-" +
            Number(++count);
    CreateDirectoryW(W(path_), nullptr);
  }
  ~TTempFolder() { RemoveTree(path_); }
  const Text& Path() const { return path_; }
  Text operator/(const Text& name) const { return path_ + u"\\" + name; }

 private:
  Text path_;
};

inline bool WriteBytes(const Text& path, const std::string& bytes) {
  HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD wrote = 0;
  bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return ok && wrote == bytes.size();
}

inline std::string ReadBytes(const Text& path) {
  HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(h);
  return out;
}

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
