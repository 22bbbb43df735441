#pragma once
// The settings file "Tovanel.ini" in the data folder. Each user opens it, reads
// or writes the keys it needs and lets it go within one event handler, so
// every writer starts from the file's current content.
#include <windows.h>

#include <functional>

#include "app/IniFile.h"
#include "app/SettingsSave.h"
#include "base/Text.h"

namespace tovanel {

// The calls of reading and saving that tests stage, read through
// Calls<SettingsPlatform>(): the pause before another attempt at a busy
// file, and the replacing of the file by the new content.
struct SettingsPlatform {
  std::function<void(DWORD)> sleep;
  std::function<BOOL(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID)> replaceFile;

  static SettingsPlatform Real();
};

// DataFolder + "Tovanel.ini".
Text SettingsFilePath();

// The system's ANSI code page (CP_ACP) for files without a byte-order mark.
TAnsiCodec SystemAnsiCodec();

// Whom a process's saves are named after (see SaveFileName), given a handle
// with query rights: its id and start time, or the id alone when the time
// cannot be read.
TSaveOwner SaveOwnerOf(void* process);

class TSettingsFile {
 public:
  // The program's settings file.
  TSettingsFile();
  // Reads the whole file; a missing file (or a folder in its place) starts
  // empty. First finishes what saves of copies that died left beside it (see
  // UpdateFile). A file that another program holds is waited for briefly
  // (RetryWhileBusy). Throws Error "ファイル %s は開けません。 %s " when the
  // file exists but cannot be read.
  explicit TSettingsFile(Text path);

  const Text& FileName() const { return path_; }

  int ReadInteger(TextView section, TextView key, int def) const { return ini_.ReadInteger(section, key, def); }
  void WriteInteger(TextView section, TextView key, int value) { ini_.WriteInteger(section, key, value); }

  // Writes the whole content back through a file of its own in the same
  // folder that then replaces the file, keeping its attributes and security,
  // so a failed write leaves the old file as it was. A busy file is waited
  // for, about a second at most (kSavePauses). A save leaves nothing beside
  // the file: the files of saves whose copy died meanwhile are removed, and
  // the old file put back if one had moved it away. Throws Error "ファイル "%s" を作成できません。%s" when the
  // save fails, with the file as it was and nothing beside it.
  void UpdateFile();

 private:
  friend class TSettingsSnapshot;
  Text path_;
  TIniFile ini_;
};

// Start-up's one read of the settings file. While it lives, a settings file
// opened for reading starts from the content read here instead of reading
// the file again, so that the two windows' creation handlers read it once
// between them. A save drops the copy. When the file cannot be read here,
// every opening reads it for itself, and reports as it would.
class TSettingsSnapshot {
 public:
  TSettingsSnapshot();
  ~TSettingsSnapshot();
  TSettingsSnapshot(const TSettingsSnapshot&) = delete;
  TSettingsSnapshot& operator=(const TSettingsSnapshot&) = delete;
};

}  // namespace tovanel
