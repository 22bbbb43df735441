#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "kit/Files.h"
#include "kit/Scoped.h"
#include "names/NameForms.h"

namespace tovanel {
namespace {

// Lower case below the drive head, which the long form keeps as written.
Text Lower(Text t) {
  for (std::size_t i = 2; i < t.size(); ++i)
    if (t[i] >= u'A' && t[i] <= u'Z') t[i] = static_cast<char16_t>(t[i] - u'A' + u'a');
  return t;
}

// The short form as the platform makes it: 8.3 components where the volume
// keeps short names, the long names where it does not (8.3 creation off).
Text PlatformShort(const Text& path) {
  static wchar_t buffer[32768];
  return FromW(buffer, GetShortPathNameW(W(path), buffer, 32768));
}

// A volume without short names, staged: the path comes back as given.
DWORD NoShortNames(const wchar_t* path, wchar_t* buffer, DWORD size) {
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return 0;
  const DWORD length = static_cast<DWORD>(wcslen(path));
  if (length >= size) return length + 1;
  wcscpy(buffer, path);
  return length;
}

class NameForms : public ::testing::Test {
 protected:
  void SetUp() override {
    root = GetLongName(temp.Path());
    ASSERT_FALSE(root.empty());
    temp.Folder(u"MixedCase Dir");
    file = temp.File(u"MixedCase Dir\\Data File.TXT");
    longFile = root + u"\\MixedCase Dir\\Data File.TXT";
  }
  test::TTempFolder temp;
  Text root, file, longFile;
};

TEST_F(NameForms, LongFormWritesStoredNamesAndKeepsWhatIsMissing) {
  struct Case { Text in, out; };
  const Case cases[] = {
      {Lower(longFile), longFile},
      {root + u"\\MIXEDCASE DIR\\", root + u"\\MixedCase Dir\\"},
      {root + u"\\mixedcase dir\\NoSuch\\file.txt", root + u"\\MixedCase Dir\\NoSuch\\file.txt"},
      {root + u"\\mixedcase dir\\.\\x\\..\\data file.txt", longFile},
      {u"C:\\", u"C:\\"},
      {u"c:\\", u"c:\\"},  // the drive head stays as written
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ToUtf8(GetLongName(c.in)), ToUtf8(c.out)) << ToUtf8(c.in);
}

TEST_F(NameForms, ShortComponentsComeBackLong) {
  const Text shortName = GetShortName(longFile);
  EXPECT_EQ(ToUtf8(shortName), ToUtf8(PlatformShort(longFile)));
  EXPECT_EQ(ToUtf8(GetLongName(shortName)), ToUtf8(longFile));
}

TEST_F(NameForms, RelativeNameResolvesAgainstCurrentFolder) {
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(W(root + u"\\MixedCase Dir")));
  const Text got = GetLongName(u"data file.txt");
  const Text gotShort = GetShortName(u"data file.txt");
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(ToUtf8(got), ToUtf8(longFile));
  EXPECT_EQ(ToUtf8(gotShort), ToUtf8(GetFileNamePart(GetShortName(longFile))));  // stays relative
}

TEST_F(NameForms, WildcardInLastComponentBecomesAMatchingEntry) {
  temp.Folder(u"Only");
  temp.File(u"Only\\Single Entry.dat");
  const Text entry = root + u"\\Only\\Single Entry.dat";
  for (const Text& pattern : {Text(u"*"), Text(u"?ingle*"), Text(u"*.DAT")})
    EXPECT_EQ(ToUtf8(GetLongName(root + u"\\only\\" + pattern)), ToUtf8(entry)) << ToUtf8(pattern);
  EXPECT_EQ(ToUtf8(GetLongName(root + u"\\only\\x*")), ToUtf8(root + u"\\Only\\x*"));  // no match: unchanged
}

TEST_F(NameForms, PathLongerThan260ComesBackWhole) {
  Text relative;
  for (int i = 0; i < 6; ++i) {
    relative += (i ? u"\\" : u"") + Text(50, u'a' + i) + u"Z";
    temp.Folder(relative);
  }
  const Text deep = temp.File(relative + u"\\Deep File.txt");
  const Text expected = root + u"\\" + relative + u"\\Deep File.txt";
  ASSERT_GT(expected.size(), 300u);
  EXPECT_EQ(ToUtf8(GetFullPath(deep)), ToUtf8(deep));
  EXPECT_EQ(ToUtf8(GetLongName(Lower(deep))), ToUtf8(expected));
  EXPECT_EQ(GetNameForm(deep, 4), std::optional<Text>(u"Deep File.txt"));
}

TEST_F(NameForms, TheEightFormsOfAFile) {
  const Text longForms[4] = {longFile, root + u"\\MixedCase Dir", u"Data File.TXT", u"Data File"};
  for (const bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "volume with short names" : "volume without short names");
    test::TStaged<NameFormPlatform> staged;
    if (!shortNames) staged->getShortPathName = NoShortNames;
    const Text s = shortNames ? PlatformShort(file) : file;
    const std::size_t cut = s.rfind(u'\\');
    const Text shortForms[4] = {s, s.substr(0, cut), s.substr(cut + 1), s.substr(cut + 1, s.rfind(u'.') - cut - 1)};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(GetNameForm(Lower(file), 2 * i), std::optional<Text>(longForms[i])) << 2 * i;
      EXPECT_EQ(GetNameForm(file, 2 * i + 1), std::optional<Text>(shortForms[i])) << 2 * i + 1;
    }
  }
}

TEST_F(NameForms, MissingPathHasEmptyShortFormsAndBadIndexNoForm) {
  const Text missing = root + u"\\NoSuch\\file.txt";
  EXPECT_EQ(GetShortName(missing), Text());
  for (std::int32_t i : {1, 3, 5, 7}) EXPECT_EQ(GetNameForm(missing, i), std::optional<Text>(Text())) << i;
  for (std::int32_t i : {-1, 8, INT32_MIN}) EXPECT_FALSE(GetNameForm(file, i)) << i;
  EXPECT_EQ(GetNameForm(u"C:\\", 2), std::optional<Text>(u"C:\\"));
  EXPECT_EQ(GetNameForm(u"C:\\", 6), std::optional<Text>(Text()));
}

}  // namespace
}  // namespace tovanel
