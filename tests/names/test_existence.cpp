// The existence tests and the drive test on the real file system.
#include <gtest/gtest.h>

#include "kit/Files.h"
#include "names/Wow64.h"

namespace tovanel {
namespace {

// Unix symbolic links made in the prefix by the test's fixture: Wine shows a
// link to a folder as a reparse point, and cannot make links itself.
const Text kLinks = u"C:\\tovanel-names-links";

class Existence : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWow64();
    InitWow64();
    callerMode = SEM_NOOPENFILEERRORBOX;
    previousMode = SetErrorMode(callerMode);
  }
  void TearDown() override { SetErrorMode(previousMode); }

  void Expect(const Text& path, bool file, bool folder) {
    EXPECT_EQ(FileThere(path), file) << ToUtf8(path);
    EXPECT_EQ(GetErrorMode(), callerMode) << ToUtf8(path);
    EXPECT_EQ(DirectoryThere(path), folder) << ToUtf8(path);
    EXPECT_EQ(GetErrorMode(), callerMode) << ToUtf8(path);
  }
  test::TTempFolder temp;
  UINT callerMode = 0, previousMode = 0;
};

TEST_F(Existence, FilesFoldersAndWhatIsNeither) {
  const char16_t none = test::UnmappedDrive();
  ASSERT_TRUE(none);
  const Text file = temp.File(u"a file.txt");
  const Text folder = temp.Folder(u"a folder");
  struct Case { Text path; bool file, folder; };
  const Case cases[] = {
      {file, true, false},
      {folder, false, true},
      {folder + u"\\", false, true},
      {temp.Path() + u"\\missing.txt", false, false},
      {temp.Path() + u"\\missing\\a.txt", false, false},
      {temp.Path() + u"\\a*b?<>|.txt", false, false},
      {u"", false, false},
      {u"1abc", false, false},
      {Text(1, static_cast<char16_t>(none - u'A' + u'a')) + u"ello", false, false},  // no such drive; no dialog
      {Text(1, none) + u":\\readme.txt", false, false},
      {u"\\\\server\\share\\x", false, false},
  };
  for (const Case& c : cases) Expect(c.path, c.file, c.folder);
}

TEST_F(Existence, FileHeldOpenWithoutSharing) {
  const Text file = temp.Path() + u"\\held.txt";
  const TFileHandle held = test::HoldFile(file);
  ASSERT_TRUE(held);
  Expect(file, true, false);
}

TEST_F(Existence, LinksAreFollowed) {
  if (GetFileAttributesW(W(kLinks)) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no links staged";
  Expect(kLinks + u"\\dir-link", false, true);
  Expect(kLinks + u"\\file-link", true, false);
  Expect(kLinks + u"\\dangling-link", false, false);
}

TEST_F(Existence, DriveTest) {
  EXPECT_TRUE(IsDriveReady(u'C'));
  EXPECT_TRUE(IsDriveReady(u'c'));
  const char16_t none = test::UnmappedDrive();
  ASSERT_TRUE(none);
  EXPECT_FALSE(IsDriveReady(none));
  EXPECT_EQ(GetErrorMode(), callerMode);
}

TEST_F(Existence, GuardFollowsThePlatformsAnswer) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  EXPECT_EQ(Wow64Active(), wow64 != FALSE);
}

}  // namespace
}  // namespace tovanel
