#include "app/DataFolder.h"

#include "names/Wow64.h"

#include <windows.h>
#include <shlobj.h>

#include <iterator>

namespace tovanel {

Text DataFolder;
Text CommonDataFolder;

namespace {

constexpr int kSpecialFolders[] = {
    CSIDL_PERSONAL,        // 0x05
    CSIDL_APPDATA,         // 0x1A
    CSIDL_LOCAL_APPDATA,   // 0x1C
    CSIDL_COMMON_APPDATA,  // 0x23
    CSIDL_MYPICTURES,      // 0x27
    CSIDL_COMMON_DOCUMENTS // 0x2E
};

// One level; a failure shows in the final folder test.
void EnsureFolder(const Text& path) {
  if (!FolderFollowingLinks(path)) CreateDirectoryW(W(path), nullptr);
}

}  // namespace

Text GetSpecialFolderPath(std::uint8_t index) {
  if (index >= std::size(kSpecialFolders)) return {};
  wchar_t buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, kSpecialFolders[index], nullptr, 0, buffer))) return {};
  buffer[MAX_PATH] = L'\0';
  return FromW(buffer);
}

bool InitDataFolder(const Text& name, bool perMachine) {
  return InitDataFolderAt(GetSpecialFolderPath(perMachine ? 3 : 1), name, perMachine);
}

bool InitDataFolderAt(const Text& base, const Text& name, bool perMachine) {
  Text& stored = perMachine ? CommonDataFolder : DataFolder;
  // Without a base the folder would land below the current drive's root or
  // the working folder; the program then ends as for any other failure.
  if (base.empty()) {
    stored.clear();
    return false;
  }
  Text folder = base + u"\\Orvendel";
  EnsureFolder(folder);
  folder += u"\\" + name;
  EnsureFolder(folder);
  stored = folder + u"\\";
  return FolderFollowingLinks(folder);
}

}  // namespace tovanel
