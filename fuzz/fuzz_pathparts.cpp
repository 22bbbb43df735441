// Path-part rules and the long-form walk on arbitrary UTF-16 text: no crash,
// no endless walk, and the parts always cut the input where they should.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "names/PathParts.h"

namespace {

using tovanel::Text;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool StartsWith(const Text& s, const Text& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool EndsWith(const Text& s, const Text& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

Text Folded(Text s) {
  for (char16_t& c : s) c = Fold(c);
  return s;
}

void CheckParts(const Text& path) {
  const Text name = tovanel::GetFileNamePart(path);
  const Text folder = tovanel::GetFolderPart(path);
  Check(EndsWith(path, name));
  Check(name.find_first_of(u"\\:") == Text::npos);
  Check(StartsWith(path, folder));
  // The two parts cover the path, less at most the one backslash between them.
  Check(folder.size() + name.size() == path.size() || folder.size() + name.size() + 1 == path.size());

  const Text bare = tovanel::GetBareName(path);
  Check(StartsWith(name, bare));
  const std::size_t dot = tovanel::LastCharPos(u'.', name);
  Check(dot == 0 ? bare == name : bare.size() == dot - 1);
  if (dot > 0) Check(name[dot - 1] == u'.' && name.find(u'.', dot) == Text::npos);
}

void CheckWalk(const Text& path) {
  // Nothing found: the path comes back exactly.
  Check(tovanel::WalkLongName(path, [](const Text&) { return std::nullopt; }) == path);

  // A file system that stores some components in upper case: only letter
  // case may change, and only below the head, which is never looked up.
  std::size_t calls = 0;
  Text last = path;
  const Text walked = tovanel::WalkLongName(path, [&](const Text& p) -> std::optional<Text> {
    Check(++calls <= path.size());
    Check(p.size() < last.size() + (calls == 1) && StartsWith(path, p));
    Check(tovanel::LastCharPos(u'\\', p) >= 3);
    last = p;
    if (p.size() % 3 == 0) return std::nullopt;
    return Folded(tovanel::GetFileNamePart(p));
  });
  Check(walked.size() == path.size() && Folded(walked) == Folded(path));
  const std::size_t headEnd = calls == 0 ? path.size() : last.find_last_of(u"\\:");
  Check(walked.compare(0, headEnd, path, 0, headEnd) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  std::int32_t index;
  std::memcpy(&index, data, sizeof index);
  Text path;
  if (data[4] & 1) {
    // Dense paths: one byte a unit, mostly separators, dots and letters.
    static const char16_t alphabet[] = u"\\\\\\::..aB*? \u3042";
    // The walk's checks are quadratic in separators; keep dense inputs short.
    const size_t end = size < 1024 ? size : 1024;
    for (size_t i = 5; i < end; ++i) path += alphabet[data[i] % (sizeof alphabet / sizeof alphabet[0] - 1)];
  } else {
    path.assign((size - 5) / 2, u'\0');
    std::memcpy(path.data(), data + 5, path.size() * 2);
  }

  const char16_t ch = path.empty() ? u'\\' : path[0];
  const std::size_t pos = tovanel::LastCharPos(ch, path);
  Check(pos <= path.size() && (pos == 0 || path[pos - 1] == ch));
  Check(path.find(ch, pos) == Text::npos);

  CheckParts(path);
  CheckWalk(path);
  if (const Text form = tovanel::ExtendedLengthForm(path); !form.empty())
    Check(tovanel::WithoutExtendedPrefix(form) == path && tovanel::ExtendedLengthForm(form).empty());

  const tovanel::NameProducer same = [](const Text& p) { return p; };
  const auto form = tovanel::SelectNameForm(path, index, same, same);
  Check(form.has_value() == (index >= 0 && index <= 7));
  return 0;
}
