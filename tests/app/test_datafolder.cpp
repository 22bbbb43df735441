#include <gtest/gtest.h>

#include <windows.h>

#include "app/DataFolder.h"
#include "kit/Files.h"
#include "kit/Scoped.h"
#include "names/Wow64.h"

using namespace tovanel;
using namespace tovanel::test;

TEST(DataFolder, SpecialFolders) {
  for (std::uint8_t index : {1, 3}) {
    Text path = GetSpecialFolderPath(index);
    EXPECT_TRUE(IsFolder(path) && path.back() != u'\\') << ToUtf8(path);
  }
  EXPECT_EQ(GetSpecialFolderPath(6), u"");
  EXPECT_EQ(GetSpecialFolderPath(255), u"");
}

TEST(DataFolder, CreatesBothLevelsPerUserOrPerMachine) {
  const TScoped<Text> data(DataFolder), common(CommonDataFolder, Text());
  TTempFolder base;
  for (int run = 0; run < 2; ++run) {  // creating, then finding it there
    ASSERT_TRUE(InitDataFolderAt(base.Path(), u"Tovanel", false));
    EXPECT_EQ(DataFolder, base / u"Orvendel\\Tovanel\\");
    EXPECT_TRUE(IsFolder(DataFolder));
  }
  EXPECT_EQ(CommonDataFolder, u"");
  EXPECT_TRUE(InitDataFolderAt(base.Path(), u"Other", true));
  EXPECT_EQ(CommonDataFolder, base / u"Orvendel\\Other\\");
  EXPECT_EQ(DataFolder, base / u"Orvendel\\Tovanel\\");
}

TEST(DataFolder, FailsWhenAFileStandsInTheWay) {
  const TScoped<Text> data(DataFolder);
  TTempFolder base;
  ASSERT_TRUE(WriteBytes(base / u"Orvendel", ""));
  EXPECT_FALSE(InitDataFolderAt(base.Path(), u"Tovanel", false));
  for (auto folder : {u"Other", u"Other\\Orvendel"}) ASSERT_TRUE(CreateDirectoryW(W(base / folder), nullptr));
  ASSERT_TRUE(WriteBytes(base / u"Other\\Orvendel\\Tovanel", ""));  // in the second level's place
  EXPECT_FALSE(InitDataFolderAt(base / u"Other", u"Tovanel", false));
  // No shell folder: nothing is created below the current folder or drive.
  EXPECT_FALSE(InitDataFolderAt(u"", u"Tovanel", false));
  EXPECT_EQ(DataFolder, u"");
}

TEST(DataFolder, RealApplicationData) {
  const TScoped<Text> data(DataFolder);
  // A name of its own, so that the program's real data folder is left alone.
  const Text name = u"TovanelTest" + Number(GetCurrentProcessId());
  const Text orvendel = GetSpecialFolderPath(1) + u"\\Orvendel";
  const bool hadOrvendel = IsFolder(orvendel);
  ASSERT_TRUE(InitDataFolder(name, false));
  EXPECT_EQ(DataFolder, orvendel + u"\\" + name + u"\\");
  EXPECT_TRUE(IsFolder(DataFolder));
  RemoveDirectoryW(W(orvendel + u"\\" + name));
  if (!hadOrvendel) RemoveDirectoryW(W(orvendel));
}
