#include <gtest/gtest.h>

#include <windows.h>

#include "app/DataFolder.h"
#include "app/Settings.h"
#include "base/Error.h"
#include "kit/Files.h"
#include "kit/Scoped.h"
#include "names/Wow64.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

// The Error that a handler would let escape: its message ("none" when there
// is none) and the platform's code it carries.
struct Raised {
  Text message;
  std::uint32_t code;
  friend bool operator==(const Raised&, const Raised&) = default;
  friend void PrintTo(const Raised& r, std::ostream* os) { *os << ToUtf8(r.message) << " (code " << r.code << ")"; }
};
template <typename F>
Raised ErrorOf(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return {e.Message(), e.Code()};
  }
  return {u"none", 0};
}

}  // namespace

TEST(Settings, FirstRunThenRepeatedClosesKeepOneCopyOfEachSection) {
  TTempFolder dir;
  const TScoped<Text> folder(DataFolder, dir.Path() + u"\\");
  {  // the main window closes, then the list window
    TSettingsFile ini;
    EXPECT_EQ(ini.ReadInteger(u"Main", u"Top", 100), 100);
    ini.WriteInteger(u"Main", u"Top", 100);
    ini.WriteInteger(u"Main", u"Left", 100);
    ini.WriteInteger(u"Select", u"Item", 0);
    ini.UpdateFile();
  }
  for (int left : {708, -1200, -1300}) {
    TSettingsFile ini;
    ini.WriteInteger(u"List", u"Top", 400);
    ini.WriteInteger(u"List", u"Left", left);
    ini.WriteInteger(u"List", u"Height", 300);
    ini.WriteInteger(u"List", u"Width", 300);
    ini.UpdateFile();
  }
  EXPECT_EQ(ReadBytes(dir / u"Tovanel.ini"),
            "[Main]\r\nTop=100\r\nLeft=100\r\n\r\n[Select]\r\nItem=0\r\n\r\n"
            "[List]\r\nTop=400\r\nLeft=-1300\r\nHeight=300\r\nWidth=300\r\n\r\n");
  EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
}

TEST(Settings, StartupSnapshotServesOpeningsUntilASave) {
  TTempFolder dir;
  const TScoped<Text> folder(DataFolder, dir.Path() + u"\\");
  const Text path = dir / u"Tovanel.ini";
  ASSERT_TRUE(WriteBytes(path, "[Main]\r\nTop=1\r\n"));
  const TSettingsSnapshot snapshot;
  ASSERT_TRUE(WriteBytes(path, "[Main]\r\nTop=2\r\n"));
  EXPECT_EQ(TSettingsFile().ReadInteger(u"Main", u"Top", 0), 1);
  TSettingsFile ini;
  ini.WriteInteger(u"Main", u"Left", 5);
  ini.UpdateFile();
  // After a save every opening reads the file again.
  ASSERT_TRUE(WriteBytes(path, "[Main]\r\nTop=3\r\n"));
  EXPECT_EQ(TSettingsFile().ReadInteger(u"Main", u"Top", 0), 3);
}

TEST(Settings, FileWithoutByteOrderMarkUsesTheAnsiCodePage) {
  const Text text = u"[設定]\r\nTop=0x20\r\n";
  char bytes[64];
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, 0, W(text), int(text.size()), bytes, sizeof bytes, nullptr, &lossy);
  if (n <= 0 || lossy) GTEST_SKIP() << "the ANSI code page " << GetACP() << " has no kanji";

  TTempFolder dir;
  const Text path = dir / u"Tovanel.ini";
  ASSERT_TRUE(WriteBytes(path, std::string(bytes, n)));
  TSettingsFile ini(path);
  EXPECT_EQ(ini.ReadInteger(u"設定", u"Top", 100), 32);
  ini.WriteInteger(u"設定", u"Top", 33);
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(path), std::string(bytes, n - 6) + "33\r\n\r\n");  // "[設定]\r\nTop=" as it was
}

TEST(Settings, FileHeldOpenCannotBeRead) {
  TTempFolder dir;
  const Text path = dir / u"Tovanel.ini";
  ASSERT_TRUE(WriteBytes(path, "[Main]\r\nTop=1\r\n"));
  {
    const TFileHandle held = HoldFile(path);
    ASSERT_TRUE(held);
    const Text reason = SystemText(ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(ErrorOf([&] { TSettingsFile ini(path); }),
              (Raised{u"ファイル " + path + u" は開けません。 " + reason + u" ", ERROR_SHARING_VIOLATION}));
  }
  EXPECT_EQ(TSettingsFile(path).ReadInteger(u"Main", u"Top", 0), 1);
}

TEST(Settings, FileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  TTempFolder dir;
  ASSERT_TRUE(CreateDirectoryW(W(dir / u"folder.ini"), nullptr));  // a folder in the file's place
  ASSERT_TRUE(WriteBytes(dir / u"folder.ini\\inside", "x"));
  ASSERT_TRUE(WriteBytes(dir / u"readonly.ini", "[Main]\r\nTop=5\r\n"));
  ASSERT_TRUE(SetFileAttributesW(W(dir / u"readonly.ini"), FILE_ATTRIBUTE_READONLY));
  struct Case {
    Text path;
    DWORD error;
  };
  for (const auto& c : {Case{dir / u"missing\\Tovanel.ini", ERROR_PATH_NOT_FOUND},
                        Case{dir / u"folder.ini", ERROR_ACCESS_DENIED}, Case{dir / u"readonly.ini", ERROR_ACCESS_DENIED}}) {
    const std::string before = ReadBytes(c.path);
    TSettingsFile ini(c.path);  // reads as no file, or as the file it is
    ini.WriteInteger(u"Main", u"Top", 6);
    EXPECT_EQ(ErrorOf([&] { ini.UpdateFile(); }),
              (Raised{u"ファイル \"" + c.path + u"\" を作成できません。" + SystemText(c.error), c.error}));
    EXPECT_EQ(ReadBytes(c.path), before);
  }
  EXPECT_TRUE(IsFolder(dir / u"folder.ini"));
  EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
}

TEST(Settings, LargeFileReadAndWrittenWhole) {
  TTempFolder dir;
  const Text path = dir / u"Tovanel.ini";
  std::string big = "\xEF\xBB\xBF[Big]\r\n";
  for (int i = 0; big.size() < (6u << 20); ++i) big += "Key" + std::to_string(i) + "=" + std::string(60, 'v') + "\r\n";
  ASSERT_TRUE(WriteBytes(path, big + "[Main]\r\nTop=-3\r\n\r\n"));
  TSettingsFile ini(path);
  EXPECT_EQ(ini.ReadInteger(u"Main", u"Top", 0), -3);
  ini.WriteInteger(u"Main", u"Top", -4);
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(path), big + "\r\n[Main]\r\nTop=-4\r\n\r\n");
}
