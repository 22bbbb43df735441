#include "names/PathParts.h"

#include <utility>
#include <vector>

namespace tovanel {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u':'; }

// Position of the last backslash or colon, or 0.
std::size_t LastSeparatorPos(TextView s) {
  for (std::size_t i = s.size(); i > 0; --i)
    if (IsSeparator(s[i - 1])) return i;
  return 0;
}

}  // namespace

std::size_t LastCharPos(char16_t ch, TextView s) {
  for (std::size_t i = s.size(); i > 0; --i)
    if (s[i - 1] == ch) return i;
  return 0;
}

Text GetFileNamePart(const Text& path) { return path.substr(LastSeparatorPos(path)); }

Text GetFolderPart(const Text& path) {
  const std::size_t p = LastSeparatorPos(path);
  if (p == 0) return Text();
  if (path[p - 1] == u'\\' && p > 1 && !IsSeparator(path[p - 2])) return path.substr(0, p - 1);
  return path.substr(0, p);
}

Text GetBareName(const Text& path) {
  Text name = GetFileNamePart(path);
  if (const std::size_t i = LastCharPos(u'.', name); i > 0) name.resize(i - 1);
  return name;
}

Text WalkLongName(const Text& fullPath, const NameLookup& lookup) {
  Text p = fullPath;
  // Each step's separator and component, last component first.
  std::vector<std::pair<char16_t, Text>> parts;
  // A last backslash at 1 or 2 belongs to the "\\server" head; none at all
  // leaves a drive head such as "C:".
  while (LastCharPos(u'\\', p) >= 3) {
    const std::size_t sep = LastSeparatorPos(p);
    std::optional<Text> stored = lookup(p);
    parts.emplace_back(p[sep - 1], stored ? std::move(*stored) : p.substr(sep));
    // Keep the separator that was there: a colon after the head (a stream
    // name, or the drive of "\\?\C:\...") must not turn into a backslash.
    p.resize(sep - 1);
  }
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    p += it->first;
    p += it->second;
  }
  return p;
}

std::optional<Text> SelectNameForm(const Text& path, std::int32_t index, const NameProducer& longName,
                                   const NameProducer& shortName) {
  if (index < 0 || index > 7) return std::nullopt;
  const Text base = (index % 2 == 1) ? shortName(path) : longName(path);
  switch (index / 2) {
    case 0: return base;
    case 1: return GetFolderPart(base);
    case 2: return GetFileNamePart(base);
    default: return GetBareName(base);
  }
}

Text AskForText(const TextQuery& query) {
  // No path is longer than this; a larger result is no size to allocate.
  constexpr std::uint32_t kLongestPath = 32768;
  Text buffer(kPathFirstTry, u'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const std::uint32_t n = query(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    if (n == 0 || n > kLongestPath) return Text();
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(n, u'\0');
  }
  return Text();
}

namespace {

constexpr TextView kExtendedPrefix = u"\\\\?\\", kExtendedUnc = u"\\\\?\\UNC\\";

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// "X:\" at the start of s.
bool StartsWithDriveRoot(TextView s) { return s.size() >= 3 && IsDriveLetter(s[0]) && s[1] == u':' && s[2] == u'\\'; }

}  // namespace

Text ExtendedLengthForm(const Text& fullPath) {
  const TextView p = fullPath;
  if (StartsWithDriveRoot(p)) return Text(kExtendedPrefix) + fullPath;
  // "\\server\...", but not a device form ("\\?\", "\\.\") nor "\\" with no server.
  const bool device = p.size() > 3 && (p[2] == u'?' || p[2] == u'.') && p[3] == u'\\';
  if (p.size() > 2 && p.substr(0, 2) == u"\\\\" && p[2] != u'\\' && !device)
    return Text(kExtendedUnc) + fullPath.substr(2);
  return Text();
}

Text WithoutExtendedPrefix(const Text& path) {
  const TextView p = path;
  if (p.substr(0, kExtendedUnc.size()) == kExtendedUnc) return u"\\\\" + path.substr(kExtendedUnc.size());
  if (p.substr(0, kExtendedPrefix.size()) == kExtendedPrefix && StartsWithDriveRoot(p.substr(kExtendedPrefix.size())))
    return path.substr(kExtendedPrefix.size());
  return path;
}

Text AskForPathText(const Text& path, const PathTextQuery& query, const NameProducer& extended) {
  const auto ask = [&query](const Text& p) {
    return AskForText([&](char16_t* buffer, std::uint32_t size) { return query(p, buffer, size); });
  };
  const Text text = ask(path);
  if (!text.empty() || path.size() < kPathFirstTry) return text;
  const Text form = extended(path);
  return form.empty() ? text : WithoutExtendedPrefix(ask(form));
}

}  // namespace tovanel
