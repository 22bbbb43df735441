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

// Answers the name that the file system stores for the entry that pathSoFar
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
// answers the text's length when it fits (terminator excluded), the size it
// needs when it does not (terminator included), or 0 when it fails.
using TextQuery = std::function<std::uint32_t(char16_t* buffer, std::uint32_t size)>;

// Room for a whole path of the classic limit, which nearly every path fits.
inline constexpr std::uint32_t kPathFirstTry = 260;

// The text that query writes, asked once with kPathFirstTry units and again
// only with the size it says it needs; an answer that grows in between (the
// file system changed) is asked again, a few times at most. The empty Text
// when the query fails, or keeps needing more.
Text AskForText(const TextQuery& query);

}  // namespace tovanel
