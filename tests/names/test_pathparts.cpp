#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "names/PathParts.h"

namespace tovanel {
namespace {

TEST(PathParts, LastCharPosIsExactAndCountsFromOne) {
  struct Case { char16_t ch; Text s; std::size_t pos; };
  const Case cases[] = {
      {u'\\', u"", 0},        {u'\\', u"abc", 0},     {u'\\', u"\\", 1},
      {u'\\', u"a\\b\\c", 4}, {u'.', u"a.b.", 4},     {u'a', u"Aa", 2},
      {u'A', u"aa", 0},       {u'\uFF3C', u"\\", 0},  // full-width backslash is another character
  };
  for (const Case& c : cases) EXPECT_EQ(LastCharPos(c.ch, c.s), c.pos) << ToUtf8(c.s);
}

TEST(PathParts, FileNameAndFolderParts) {
  struct Case { Text path, fileName, folder; };
  const Case cases[] = {
      {u"C:\\Windows\\System32", u"System32", u"C:\\Windows"},
      {u"C:\\Windows", u"Windows", u"C:\\"},
      {u"C:\\", u"", u"C:\\"},
      {u"C:\\Windows\\", u"", u"C:\\Windows"},
      {u"C:\\a\\b.txt", u"b.txt", u"C:\\a"},
      {u"C:foo", u"foo", u"C:"},
      {u"\\\\server\\share\\a.txt", u"a.txt", u"\\\\server\\share"},
      {u"\\\\server\\share", u"share", u"\\\\server"},
      {u"\\\\server", u"server", u"\\\\"},
      {u"\\foo", u"foo", u"\\"},
      {u"foo", u"foo", u""},
      {u"", u"", u""},
      {u"C:", u"", u"C:"},
      {u"a:b\\c", u"c", u"a:b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetFileNamePart(c.path), c.fileName) << ToUtf8(c.path);
    EXPECT_EQ(GetFolderPart(c.path), c.folder) << ToUtf8(c.path);
  }
}

TEST(PathParts, BareName) {
  struct Case { Text path, bare; };
  const Case cases[] = {
      {u"archive.tar.gz", u"archive.tar"}, {u"name.", u"name"},   {u".profile", u""},
      {u"README", u"README"},              {u"C:\\my.folder\\README", u"README"},
      {u"C:\\dir\\a.b.c", u"a.b"},         {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetBareName(c.path), c.bare) << ToUtf8(c.path);
}

// A file system that stores some names, found whatever the letter case or
// short name of the path asked for; it records every lookup.
class StagedLookup {
 public:
  explicit StagedLookup(std::map<Text, Text> stored) : stored_(std::move(stored)) {}
  std::optional<Text> operator()(const Text& path) {
    calls.push_back(path);
    Text key = path;
    for (char16_t& c : key)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    auto it = stored_.find(key);
    return it == stored_.end() ? std::nullopt : std::optional<Text>(it->second);
  }
  std::vector<Text> calls;

 private:
  std::map<Text, Text> stored_;  // lower-case path -> stored name
};

TEST(PathParts, WalkWritesStoredNamesAndLooksUpEachPrefixLastFirst) {
  const std::map<Text, Text> disk = {
      {u"c:\\windows", u"Windows"},
      {u"c:\\windows\\system32", u"System32"},
      {u"c:\\windows\\system32\\notepad.exe", u"notepad.exe"},
      {u"c:\\progra~1", u"Program Files"},
      {u"c:\\progra~1\\common~1", u"Common Files"},
      {u"c:\\temp", u"Temp"},
      {u"\\\\server\\share\\dir", u"Dir"},
      {u"\\\\server\\share\\dir\\a.txt", u"A.txt"},
      {u"c:\\dir\\file.txt", u"File.txt"},
      {u"\\\\?\\c:\\windows", u"Windows"},
  };
  struct Case { Text in, out; std::vector<Text> lookups; };
  const Case cases[] = {
      {u"c:\\WINDOWS\\system32\\NOTEPAD.EXE", u"c:\\Windows\\System32\\notepad.exe",
       {u"c:\\WINDOWS\\system32\\NOTEPAD.EXE", u"c:\\WINDOWS\\system32", u"c:\\WINDOWS"}},
      {u"C:\\PROGRA~1\\COMMON~1", u"C:\\Program Files\\Common Files",
       {u"C:\\PROGRA~1\\COMMON~1", u"C:\\PROGRA~1"}},
      {u"C:\\TEMP\\NoSuch\\file.txt", u"C:\\Temp\\NoSuch\\file.txt",
       {u"C:\\TEMP\\NoSuch\\file.txt", u"C:\\TEMP\\NoSuch", u"C:\\TEMP"}},
      {u"C:\\windows\\", u"C:\\Windows\\", {u"C:\\windows\\", u"C:\\windows"}},
      {u"C:\\", u"C:\\", {u"C:\\"}},
      {u"C:", u"C:", {}},
      {u"C:foo", u"C:foo", {}},
      {u"", u"", {}},
      {u"\\\\server\\share\\dir\\a.txt", u"\\\\server\\share\\Dir\\A.txt",
       {u"\\\\server\\share\\dir\\a.txt", u"\\\\server\\share\\dir", u"\\\\server\\share"}},
      {u"\\\\server", u"\\\\server", {}},
      // A colon after the head keeps its place rather than becoming a backslash.
      {u"C:\\dir\\file.txt:stream", u"C:\\dir\\File.txt:stream",
       {u"C:\\dir\\file.txt:stream", u"C:\\dir\\file.txt", u"C:\\dir"}},
      {u"\\\\?\\C:\\windows", u"\\\\?\\C:\\Windows", {u"\\\\?\\C:\\windows", u"\\\\?\\C:", u"\\\\?\\C"}},
  };
  for (const Case& c : cases) {
    StagedLookup lookup(disk);
    EXPECT_EQ(ToUtf8(WalkLongName(c.in, std::ref(lookup))), ToUtf8(c.out)) << ToUtf8(c.in);
    std::vector<std::string> got, want;
    for (const Text& t : lookup.calls) got.push_back(ToUtf8(t));
    for (const Text& t : c.lookups) want.push_back(ToUtf8(t));
    EXPECT_EQ(got, want) << ToUtf8(c.in);
  }
}

TEST(PathParts, NameFormTakesLongOrShortBaseByIndex) {
  int longCalls = 0, shortCalls = 0;
  const NameProducer longName = [&](const Text&) { ++longCalls; return Text(u"C:\\Long Dir\\Long Name.txt"); };
  const NameProducer shortName = [&](const Text&) { ++shortCalls; return Text(u"C:\\LONGDI~1\\LONGNA~1.TXT"); };
  const Text expected[8] = {u"C:\\Long Dir\\Long Name.txt", u"C:\\LONGDI~1\\LONGNA~1.TXT",
                            u"C:\\Long Dir", u"C:\\LONGDI~1", u"Long Name.txt", u"LONGNA~1.TXT",
                            u"Long Name", u"LONGNA~1"};
  for (std::int32_t i = 0; i < 8; ++i) {
    longCalls = shortCalls = 0;
    EXPECT_EQ(SelectNameForm(u"x", i, longName, shortName), std::optional<Text>(expected[i])) << i;
    EXPECT_EQ(longCalls, i % 2 == 0 ? 1 : 0) << i;
    EXPECT_EQ(shortCalls, i % 2 == 1 ? 1 : 0) << i;
  }
  longCalls = shortCalls = 0;
  for (std::int32_t i : {-1, 8, INT32_MIN, INT32_MAX}) EXPECT_FALSE(SelectNameForm(u"x", i, longName, shortName)) << i;
  EXPECT_EQ(longCalls + shortCalls, 0);
  // A base the platform could not give makes an empty form, which is still a form.
  const NameProducer none = [](const Text&) { return Text(); };
  for (std::int32_t i = 0; i < 8; ++i) EXPECT_EQ(SelectNameForm(u"C:\\x", i, none, none), std::optional<Text>(Text())) << i;
}

// A path service as the platform behaves: the text it would write has
// lengths[k] units at its k-th call (the last one for any later call); a
// buffer too small gets the size needed, terminator included.
struct StagedQuery {
  std::vector<std::size_t> lengths;
  bool fails = false;
  std::vector<std::uint32_t> asked;

  static Text TextOf(std::size_t n) {
    Text t;
    for (std::size_t i = 0; i < n; ++i) t += static_cast<char16_t>(u'a' + i % 26);
    return t;
  }
  std::uint32_t operator()(char16_t* buffer, std::uint32_t size) {
    asked.push_back(size);
    if (fails) return 0;
    const std::size_t n = lengths[std::min(asked.size(), lengths.size()) - 1];
    if (n + 1 > size) return static_cast<std::uint32_t>(n + 1);
    const Text t = TextOf(n);
    std::copy(t.begin(), t.end(), buffer);
    buffer[n] = u'\0';
    return static_cast<std::uint32_t>(n);
  }
};

TEST(PathParts, AskForTextAsksAgainOnlyWhenTheFirstBufferIsTooSmall) {
  struct Case { const char* name; std::vector<std::size_t> lengths; bool fails; std::vector<std::uint32_t> asked; bool empty; };
  const Case cases[] = {
      {"short", {12}, false, {260}, false},
      {"just fits", {259}, false, {260}, false},
      {"one over", {260}, false, {260, 261}, false},
      {"two over", {261}, false, {260, 262}, false},
      {"long", {1000}, false, {260, 1001}, false},
      {"no text at all", {0}, true, {260}, true},
      {"grew in between", {300, 400}, false, {260, 301, 401}, false},
      {"keeps growing", {300, 400, 500, 600, 700}, false, {260, 301, 401, 501}, true},
      {"an impossible size", {100000}, false, {260}, true},
  };
  for (const Case& c : cases) {
    StagedQuery q{c.lengths, c.fails, {}};
    const Text got = AskForText(std::ref(q));
    EXPECT_EQ(q.asked, c.asked) << c.name;
    EXPECT_EQ(got, c.empty ? Text() : StagedQuery::TextOf(c.lengths.back())) << c.name;
  }
}

TEST(PathParts, ExtendedLengthFormOfAFullPath) {
  for (const auto& [path, form] : {std::pair<Text, Text>{u"C:\\a", u"\\\\?\\C:\\a"}, {u"\\\\s\\h", u"\\\\?\\UNC\\s\\h"},
                                   {u"\\\\?\\C:\\a", u""}, {u"\\\\.\\pipe", u""}, {u"\\a", u""}, {u"a\\b", u""}})
    EXPECT_EQ(ToUtf8(ExtendedLengthForm(path)), ToUtf8(form)) << ToUtf8(path);
}

}  // namespace
}  // namespace tovanel
