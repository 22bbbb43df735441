#pragma once
// The per-user data folder that holds the settings file.
#include <cstdint>

#include "base/Text.h"

namespace tovanel {

// Full paths with a trailing backslash; set by InitDataFolder before any
// window exists and unchanged afterwards. CommonDataFolder stays empty unless
// the per-machine folder is asked for.
extern Text DataFolder;
extern Text CommonDataFolder;

// The shell folder of row `index`: 0 documents, 1 roaming application data,
// 2 local application data, 3 application data of all users, 4 pictures,
// 5 documents of all users. No trailing backslash; empty when the index is out
// of range or the shell cannot tell.
Text GetSpecialFolderPath(std::uint8_t index);

// Makes sure that <base>\Orvendel\<name> exists, where base is row 3 per
// machine and row 1 per user; stores it with a trailing backslash in
// CommonDataFolder or DataFolder and returns whether it is a folder now.
bool InitDataFolder(const Text& name, bool perMachine);

// The same below a given base folder (tests use a private one).
bool InitDataFolderAt(const Text& base, const Text& name, bool perMachine);

}  // namespace tovanel
