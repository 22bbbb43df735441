// Saving the settings file apart from the platform: the waits for a busy
// file, and which names count as a save's temporary file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SettingsSave.h"

using namespace tovanel;

namespace tovanel {
void PrintTo(const TSaveFileOf& f, std::ostream* os) {
  *os << (f.kind == TSaveFile::NewContent ? "new content of " : "old file of ") << f.owner.processId;
}
}  // namespace tovanel

namespace {

struct RetryCase {
  const char* name;
  std::vector<std::uint32_t> codes;  // what the attempts return, in turn
  int attempts;                      // how many of them are made
  friend void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.name; }
};

class Retry : public testing::TestWithParam<RetryCase> {};

}  // namespace

TEST_P(Retry, WaitsOnlyWhileTheFileIsBusyAndAtMostTwoHundredMilliseconds) {
  const RetryCase& c = GetParam();
  std::vector<std::string> calls;
  std::size_t next = 0;
  const std::uint32_t code = RetryWhileBusy(
      [&] {
        calls.push_back("attempt");
        return next < c.codes.size() ? c.codes[next++] : 0u;
      },
      [&](unsigned ms) { calls.push_back("pause " + std::to_string(ms)); }, kOpenPauses);

  std::vector<std::string> expected;
  for (int i = 0; i < c.attempts; ++i) {
    if (i) expected.push_back("pause 50");
    expected.push_back("attempt");
  }
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(code, c.attempts <= int(c.codes.size()) ? c.codes[c.attempts - 1] : 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, Retry,
                         testing::Values(RetryCase{"Free", {0}, 1}, RetryCase{"SharingViolationTwice", {32, 32, 0}, 3},
                                         RetryCase{"EachBusyKindIsWaitedFor", {5, 33, 1175, 1176, 0}, 5},
                                         RetryCase{"BusyThroughout", {32, 32, 32, 32, 32, 32, 32}, 5},
                                         RetryCase{"MissingFolderIsNotWaitedFor", {3}, 1},
                                         RetryCase{"DiskFullIsNotWaitedFor", {112}, 1},
                                         RetryCase{"BusyThenLasting", {5, 2, 0}, 2}),
                         [](const testing::TestParamInfo<RetryCase>& info) { return std::string(info.param.name); });

TEST(SaveFileNames, OnlyTheNamesASaveOfThisFileMakesCarryAnOwner) {
  constexpr auto kNew = TSaveFile::NewContent, kOld = TSaveFile::OldFile;
  EXPECT_EQ(SaveFileName(u"Tovanel.ini", {1234, 5}, kNew), u"Tovanel.ini.1234-5.tmp");
  EXPECT_EQ(SaveFileName(u"Tovanel.ini", {1234, {}}, kOld), u"Tovanel.ini.1234.bak");  // as older versions named it
  for (std::uint32_t id : {0u, 4u, 1234u, 4294967295u}) {
    for (TSaveOwner owner : {TSaveOwner{id, {}}, {id, 0}, {id, ~std::uint64_t{0}}})
      for (TSaveFile kind : {kNew, kOld})
        EXPECT_EQ(SaveFileOf(u"Tovanel.ini", SaveFileName(u"Tovanel.ini", owner, kind)), (TSaveFileOf{owner, kind}));
  }
  EXPECT_EQ(SaveFileOf(u"Tovanel.ini", u"TOVANEL.INI.88-9.TMP"),
            (TSaveFileOf{{88, 9}, kNew}));  // as the file system may spell it

  for (const char16_t* other :
       {u"Tovanel.ini", u"Tovanel.ini.tmp", u"Tovanel.ini..tmp", u"Tovanel.ini.12a.tmp", u"Tovanel.ini.+12.tmp",
        u"Tovanel.ini.-12.bak", u"Tovanel.ini.012.tmp", u"Tovanel.ini.4294967296.tmp",
        u"Tovanel.ini.99999999999999999999.tmp", u"Tovanel.ini.12.tmp.bak", u"Tovanel.ini.12.tmpx",
        u"Tovanel.ini.12.13.tmp", u"Tovanel.ini_12.tmp", u"XTovanel.ini.12.tmp", u"Other.ini.12.tmp",
        u"Tovanel.ini.12.txt", u"rf1a2b.tmp", u"Tovanel.ini.12-.tmp", u"Tovanel.ini.12-03.tmp", u"Tovanel.ini.12-3-4.tmp",
        u"Tovanel.ini.12-18446744073709551616.bak"})
    EXPECT_EQ(SaveFileOf(u"Tovanel.ini", other), std::nullopt) << ToUtf8(other);
}
