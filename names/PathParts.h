#pragma once
// Path-part rules and the long-form walk, free of the platform so that they
// can be tested and fuzzed anywhere. Positions count from 1; 0 means none.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/Text.h"

namespace tovanel {

// Position of the last unit of s equal to ch (exact, case-sensitive), or 0.
std::size_t LastCharPos(char16_t ch, TextView s);

// The text after the last backslash or colon; all of path when it has none.
Text GetFileNamePart(const Text& path);

// The drive-and-folder part: up to the last backslash or colon. A backslash
// that only separates two components is dropped; a root's ("C:\", "\\", "\")
// or a colon stays.
Text GetFolderPart(const Text& path);

// The file-name part without its extension (the text from its last dot on).
Text GetBareName(const Text& path);

// Returns the name that the file system stores for the entry that pathSoFar
// names, or nothing when it finds none.
using NameLookup = std::function<std::optional<Text>(const Text& pathSoFar)>;

// Long form of an already expanded full path: every component below the head
// (the drive "C:" or the "\\server" of a network path) is looked up with the
// whole path up to it, last to first; a component that is not found stays as
// written, and so does the head.
Text WalkLongName(const Text& fullPath, const NameLookup& lookup);

using NameProducer = std::function<Text(const Text& path)>;

// Name form `index` (0-7) of path, built from its long form (even index) or
// its short form (odd index); nothing for any other index. Only the producer
// that the index needs is called.
std::optional<Text> SelectNameForm(const Text& path, std::int32_t index, const NameProducer& longName,
                                   const NameProducer& shortName);

// A platform call that writes a text into a buffer of `size` units: it
// returns the text's length when it fits (terminator excluded), the size it
// needs when it does not (terminator included), or 0 when it fails.
using TextQuery = std::function<std::uint32_t(char16_t* buffer, std::uint32_t size)>;

// Room for a whole path of the classic limit, which nearly every path fits.
inline constexpr std::uint32_t kPathFirstTry = 260;

// The text that query writes, asked once with kPathFirstTry units and again
// only with the size it says it needs; a size that grows in between (the
// file system changed) is asked again, a few times at most. The empty Text
// when the query fails, or keeps needing more.
Text AskForText(const TextQuery& query);

// Where long paths are not enabled, the platform's path calls refuse a path
// of kPathFirstTry units or more; the extended-length form of the same full
// path passes them. That form of an absolute full path ("\\?\C:\...",
// "\\?\UNC\server\share\..."), or the empty Text when it has none: a
// relative path, or one already in a device form ("\\?\", "\\.\").
Text ExtendedLengthForm(const Text& fullPath);

// The path as the user writes it, without the prefix that
// ExtendedLengthForm adds; any other path unchanged.
Text WithoutExtendedPrefix(const Text& path);

// call(path); when that returns `failure` for a path of kPathFirstTry units
// or more, call once more with extended(path), unless that is empty.
template <typename Result, typename Call>
Result RetryLongPath(const Text& path, Result failure, const Call& call, const NameProducer& extended) {
  Result result = call(path);
  if (!(result == failure) || path.size() < kPathFirstTry) return result;
  const Text form = extended(path);
  return form.empty() ? result : call(form);
}

// AskForText of a query about path, retried as RetryLongPath does; what the
// retry writes comes back without the prefix, so that no shown text
// carries it.
using PathTextQuery = std::function<std::uint32_t(const Text& path, char16_t* buffer, std::uint32_t size)>;
Text AskForPathText(const Text& path, const PathTextQuery& query, const NameProducer& extended);

}  // namespace tovanel
