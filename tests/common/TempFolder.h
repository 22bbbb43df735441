#pragma once
// Helpers shared by the Windows tests: a private folder under %TEMP% removed
// with its content afterwards, and whole-file reads and writes.
#include <windows.h>

#include <string>

#include "base/Text.h"

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
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const Text& Path() const { return path_; }
  Text operator/(const Text& name) const { return path_ + u"\\" + name; }
  // Makes a folder, or an empty file, inside; answers its path.
  Text Folder(const Text& relative) const {
    const Text p = *this / relative;
    CreateDirectoryW(W(p), nullptr);
    return p;
  }
  Text File(const Text& relative) const {
    const Text p = *this / relative;
    CloseHandle(CreateFileW(W(p), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return p;
  }

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

}  // namespace tovanel::test
