// The guard, the long form and the existence tests against the platform's
// own redirection, with nothing staged in between. The 32-bit build runs
// under WOW64: a path into the system folder reaches the 32-bit folder until
// the guard is entered. The 64-bit build sees the native folder throughout,
// and there the guard changes nothing. The test's fixture puts one file and
// one folder into the native system folder only, and one file into the
// 32-bit folder only.
#include <gtest/gtest.h>

#include "names/NameForms.h"
#include "names/Wow64.h"

namespace tovanel {
namespace {

constexpr bool kUnderWow64 = sizeof(void*) == 4;  // tested on 64-bit systems only

Text WindowsFolder() {
  wchar_t buffer[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  return FromW(buffer, n);
}

// The system folder as a 32-bit program names it (redirected under WOW64),
// and the 32-bit folder by its own name (never redirected).
const Text kSystem = WindowsFolder() + u"\\system32";
const Text kWow = WindowsFolder() + u"\\syswow64";

// As a user might type them; the fixture stores them in mixed case.
const Text kNativeFile = kSystem + u"\\tovanelnativeonly.txt";
const Text kNativeFolder = kSystem + u"\\tovanelnativeonly folder";
const Text kWowFile = kSystem + u"\\TovanelWowOnly.txt";

bool Seen(const Text& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

Text LastComponent(const Text& path) { return GetFileNamePart(path); }

class RealRedirection : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWow64();
    InitWow64();
    ASSERT_TRUE(Seen(kWow + u"\\TovanelWowOnly.txt")) << "run through ctest: its fixture stages the entries";
  }
};

TEST_F(RealRedirection, StartUpFindsWow64AndBothSwitches) {
  EXPECT_EQ(Wow64Active(), kUnderWow64);
  EXPECT_EQ(IsWow64(), kUnderWow64);
  // Without the guard the program sees its own view of the system folder...
  EXPECT_EQ(Seen(kNativeFile), !kUnderWow64);
  EXPECT_EQ(Seen(kWowFile), kUnderWow64);
  // ...inside it the native one (the disable switch was resolved)...
  DisableRedirection();
  EXPECT_TRUE(Seen(kNativeFile));
  EXPECT_FALSE(Seen(kWowFile));
  RevertRedirection();
  // ...and after it its own again (so was the revert switch).
  EXPECT_EQ(Seen(kNativeFile), !kUnderWow64);
  EXPECT_EQ(Seen(kWowFile), kUnderWow64);
}

TEST_F(RealRedirection, LongFormFindsTheNativeFileOnlyInsideTheGuard) {
  {
    RedirectionGuard guard;
    EXPECT_EQ(LastComponent(GetLongName(kNativeFile)), u"TovanelNativeOnly.txt");
    EXPECT_EQ(LastComponent(GetLongName(kNativeFolder)), u"TovanelNativeOnly Folder");
    EXPECT_NE(GetShortName(kNativeFile), u"");
  }
  // Outside, the lookup of the last component finds nothing: it stays as given.
  EXPECT_EQ(LastComponent(GetLongName(kNativeFile)), kUnderWow64 ? u"tovanelnativeonly.txt" : u"TovanelNativeOnly.txt");
  EXPECT_EQ(GetShortName(kNativeFile) == u"", kUnderWow64);
}

TEST_F(RealRedirection, ExistenceTestsEnterTheirOwnGuard) {
  EXPECT_TRUE(FileThere(kNativeFile));
  EXPECT_FALSE(DirectoryThere(kNativeFile));
  EXPECT_TRUE(DirectoryThere(kNativeFolder));
  EXPECT_FALSE(FileThere(kNativeFolder));
  // What only the 32-bit folder holds is not in the native system folder.
  EXPECT_FALSE(FileThere(kWowFile));
  // And each test leaves redirection as it found it.
  EXPECT_EQ(Seen(kNativeFile), !kUnderWow64);
  EXPECT_EQ(Seen(kWowFile), kUnderWow64);
}

TEST_F(RealRedirection, NestedGuardsSwitchBackOnlyWhenTheOutermostIsLeft) {
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    DisableRedirection();
    {
      RedirectionGuard inner;
      EXPECT_TRUE(Seen(kNativeFile));
    }
    EXPECT_TRUE(Seen(kNativeFile)) << "leaving an inner guard switched redirection back on";
    // The existence tests nest a guard of their own.
    EXPECT_TRUE(FileThere(kNativeFile));
    EXPECT_TRUE(DirectoryThere(kNativeFolder));
    EXPECT_TRUE(Seen(kNativeFile));
    EXPECT_FALSE(Seen(kWowFile));
    RevertRedirection();
    EXPECT_EQ(Seen(kNativeFile), !kUnderWow64);
    EXPECT_EQ(Seen(kWowFile), kUnderWow64);
  }
}

}  // namespace
}  // namespace tovanel
