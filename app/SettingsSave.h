#pragma once
// Saving the settings file, apart from the platform: how long a file that
// another program has open for a moment is waited for (typically a second
// copy of Tovanel saving at the same time), and the names of the files a save
// puts beside it for a moment.
#include <cstdint>
#include <functional>
#include <optional>

#include "base/Text.h"

namespace tovanel {

// Platform error codes (winerror.h) that say the file is busy, not unusable:
// another handle's sharing mode or lock excludes ours, or a rename over a file
// that is open elsewhere is refused.
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorLockViolation = 33;
inline constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;
inline constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
inline constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;

bool IsBusyFileError(std::uint32_t code);

// Another copy holds the file for a few milliseconds; 200 ms in all is short
// enough to pass unnoticed when the file stays busy and the error is shown.
inline constexpr int kSettingsAttempts = 5;
inline constexpr unsigned kSettingsPauseMs = 50;

// Runs `attempt` (it answers 0 when it succeeded, else the platform's error
// code) until it succeeds or fails other than busy, at most kSettingsAttempts
// times, with a pause between two attempts and none after the last. Answers
// the last attempt's code.
std::uint32_t RetryWhileBusy(const std::function<std::uint32_t()>& attempt,
                             const std::function<void(unsigned milliseconds)>& pause);

// What a save puts beside the settings file for a moment, named after the
// saving process so that two running copies never share one: the new content
// before it takes the file's place ("<name>.<process id>.tmp"), and the old
// file while it is being replaced ("<name>.<process id>.bak").
enum class TSaveFile { NewContent, OldFile };

Text SaveFileName(TextView settingsName, std::uint32_t processId, TSaveFile kind);

struct TSaveFileOf {
  std::uint32_t processId;
  TSaveFile kind;
  friend bool operator==(const TSaveFileOf&, const TSaveFileOf&) = default;
};

// Whose and which save file a name is, when SaveFileName made it for this
// settings file (letter case aside); nothing for any other name.
std::optional<TSaveFileOf> SaveFileOf(TextView settingsName, TextView name);

}  // namespace tovanel
