#pragma once
// The test kit's files: a private folder under %TEMP% removed with its
// content afterwards, whole-file reads and writes, the checks the settings
// tests make, and a drive that is not there.
#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "base/Text.h"

namespace tovanel::test {

inline Text Number(unsigned long n) {
  std::string s = std::to_string(n);
  return Text(s.begin(), s.end());
}

inline void RemoveTree(const Text& path) {
  WIN32_FIND_DATAW found;
  // Closed before the folder itself goes, which an open search would keep.
  if (const TFindHandle find(FindFirstFileW(W(path + u"\\*"), &found)); find) {
    do {
      Text name = FromW(found.cFileName);
      if (name == u"." || name == u"..") continue;
      Text child = path + u"\\" + name;
      SetFileAttributesW(W(child), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
      DeleteFileW(W(child));
    } while (FindNextFileW(find.Get(), &found));
  }
  RemoveDirectoryW(W(path));
}

class TTempFolder {
 public:
  TTempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    static int count = 0;
    // Long form, as shown: Windows may report %TEMP% with short components.
    GetTempPathW(MAX_PATH + 1, buffer);
    path_ = FromW(buffer, GetLongPathNameW(buffer, buffer, MAX_PATH + 1)) + u"tovanel-" +
            Number(GetCurrentProcessId()) + u"-" + Number(++count);
    CreateDirectoryW(W(path_), nullptr);
  }
  ~TTempFolder() { RemoveTree(path_); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const Text& Path() const { return path_; }
  Text operator/(const Text& name) const { return path_ + u"\\" + name; }
  // Makes a folder, or an empty file, inside; returns its path.
  Text Folder(const Text& relative) const {
    const Text p = *this / relative;
    CreateDirectoryW(W(p), nullptr);
    return p;
  }
  Text File(const Text& relative) const {
    const Text p = *this / relative;
    const TFileHandle made(CreateFileW(W(p), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return p;
  }

 private:
  Text path_;
};

inline bool WriteBytes(const Text& path, const std::string& bytes) {
  const TFileHandle file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD wrote = 0;
  return file && WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
}

inline std::string ReadBytes(const Text& path) {
  const TFileHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

// Holds a file open without sharing, as another program might, until it goes.
inline TFileHandle HoldFile(const Text& path) {
  return TFileHandle(CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
}

inline bool AnyTemporaryFile(const Text& folder) {
  WIN32_FIND_DATAW found;
  return static_cast<bool>(TFindHandle(FindFirstFileW(W(folder + u"\\*.tmp"), &found)));
}

// A drive letter that names no drive now: Windows machines map letters such
// as H: or Q: to home folders and shares. Upper case; 0 when every letter is taken.
inline char16_t UnmappedDrive() {
  const DWORD mapped = GetLogicalDrives();
  for (char16_t letter = u'D'; letter <= u'Z'; ++letter)
    if (!(mapped & (1u << (letter - u'A')))) return letter;
  return 0;
}

// The platform's text for an error code, as the settings file's errors
// quote it.
inline Text SystemText(DWORD code) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer, 1024,
                           nullptr);
  Text text = FromW(buffer, n);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  return text;
}

}  // namespace tovanel::test
