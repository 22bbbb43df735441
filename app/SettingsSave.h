#pragma once
// Saving the settings file, apart from the platform: how long a file that
// another program has open for a moment is waited for (a second copy of
// Tovanel saving at the same time, a virus scanner, the search indexer), and
// the names of the files a save puts beside it for a moment.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

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

// Pauses between two attempts, in order: as many attempts as pauses, plus one.
// Opening the file: another copy holds it for a few milliseconds, and 200 ms
// in all is short enough to pass unnoticed when it stays busy and the error
// is shown.
inline constexpr unsigned kOpenPauses[] = {50, 50, 50, 50};
// Saving: a virus scanner or the search indexer opens a file the moment it is
// written, without sharing, for up to some hundred milliseconds. Pauses that
// grow from short keep the common brief hold brief, and about a second in all
// still ends in the error soon when the file stays busy.
inline constexpr unsigned kSavePauses[] = {10, 20, 40, 80, 160, 320, 370};

// Runs `attempt` (it returns 0 when it succeeded, else the platform's error
// code) until it succeeds or fails other than busy, pausing as `pauses` says
// between two attempts and not after the last. Returns the last attempt's code.
std::uint32_t RetryWhileBusy(const std::function<std::uint32_t()>& attempt,
                             const std::function<void(unsigned milliseconds)>& pause, std::span<const unsigned> pauses);

// Who saves. A process id is given to another process once its own has
// ended; with the process's start time it names one process for good.
struct TSaveOwner {
  std::uint32_t processId = 0;
  // The process's creation time as the platform keeps it (100 ns units);
  // none in the names of older versions, which named a save by the id alone.
  std::optional<std::uint64_t> started;
  friend bool operator==(const TSaveOwner&, const TSaveOwner&) = default;
};

// What a save puts beside the settings file for a moment, named after the
// saving process so that two running copies never share one: the new content
// before it takes the file's place ("<name>.<process id>-<start>.tmp"), and
// the old file while it is being replaced ("<name>.<process id>-<start>.bak").
enum class TSaveFile { NewContent, OldFile };

Text SaveFileName(TextView settingsName, const TSaveOwner& owner, TSaveFile kind);

struct TSaveFileOf {
  TSaveOwner owner;
  TSaveFile kind;
  friend bool operator==(const TSaveFileOf&, const TSaveFileOf&) = default;
};

// Whose and which save file a name is, when SaveFileName made it for this
// settings file (letter case aside); nothing for any other name.
std::optional<TSaveFileOf> SaveFileOf(TextView settingsName, TextView name);

}  // namespace tovanel
