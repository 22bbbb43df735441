#pragma once
// The settings file "Tovanel.ini" in the data folder. Each user opens it, reads
// or writes the keys it needs and lets it go within one event handler, so
// every writer starts from the file's current content.
#include "app/IniFile.h"
#include "base/Text.h"

namespace tovanel {

// DataFolder + "Tovanel.ini".
Text SettingsFilePath();

// The system's ANSI code page (CP_ACP) for files without a byte-order mark.
TAnsiCodec SystemAnsiCodec();

class TSettingsFile {
 public:
  // The program's settings file.
  TSettingsFile();
  // Reads the whole file; a missing file (or a folder in its place) starts
  // empty. Throws Error "ファイル %s は開けません。 %s " when the file exists
  // but cannot be read.
  explicit TSettingsFile(Text path);

  const Text& FileName() const { return path_; }

  int ReadInteger(TextView section, TextView key, int def) const { return ini_.ReadInteger(section, key, def); }
  void WriteInteger(TextView section, TextView key, int value) { ini_.WriteInteger(section, key, value); }

  // Writes the whole content back through a temporary file in the same folder,
  // so a failed write leaves the old file as it was. Throws Error
  // "ファイル "%s" を作成できません。%s" when that fails.
  void UpdateFile();

 private:
  Text path_;
  TIniFile ini_;
};

}  // namespace tovanel
