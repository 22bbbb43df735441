#pragma once
// A fresh folder under %TEMP% for one test, removed with its content after.
#include <windows.h>

#include <filesystem>
#include <string>

#include "text/Text.h"

namespace tovanel {

class TempFolder {
 public:
  TempFolder() {
    static int serial = 0;
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    path_ = FromW(temp, n) + FromUtf8("tovanel-names-" + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount64()) + "-" + std::to_string(++serial));
    CreateDirectoryW(W(path_), nullptr);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(W(path_)), ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const Text& path() const { return path_; }

  // Creates a folder, or an empty file, below the temp folder; answers its path.
  Text Folder(const Text& relative) const {
    const Text p = path_ + u"\\" + relative;
    CreateDirectoryW(W(p), nullptr);
    return p;
  }
  Text File(const Text& relative) const {
    const Text p = path_ + u"\\" + relative;
    CloseHandle(CreateFileW(W(p), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return p;
  }

 private:
  Text path_;
};

}  // namespace tovanel
