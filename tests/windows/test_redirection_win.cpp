// The two windows against the platform's own redirection. In the 32-bit
// build, under WOW64, the main window's drop handler and first show take
// long forms inside the guard, so a file that only the native system folder
// holds keeps its stored name; the list window's drop handler takes them
// outside it, so the last component stays as dropped. The list's file button
// asks through the existence tests, which guard themselves. The test's
// fixture stages the file; the 64-bit build has no redirection at all.
#include "kit/Windows.h"

#include "names/NameForms.h"
#include "names/Wow64.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

constexpr bool kUnderWow64 = sizeof(void*) == 4;

Text SystemFolder() {
  wchar_t buffer[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  return FromW(buffer, n) + u"\\system32";
}

const Text kTyped = SystemFolder() + u"\\tovanelnativeonly.txt";
const Text kStoredName = u"TovanelNativeOnly.txt";

// The stored long form of the system folder itself, seen natively.
Text NativeSystemFolder() {
  RedirectionGuard guard;
  return GetLongName(SystemFolder());
}

bool RedirectionOn() { return GetFileAttributesW(W(kTyped)) == INVALID_FILE_ATTRIBUTES; }

class Redirection : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ResetWow64();
    InitWow64();
    ASSERT_EQ(Wow64Active(), kUnderWow64);
    stored_ = NativeSystemFolder() + u"\\" + kStoredName;
    RedirectionGuard guard;
    ASSERT_FALSE(RedirectionOn()) << "run through ctest: its fixture stages the file";
  }
  Text stored_;
};

TEST_F(Redirection, MainWindowDropSeesTheNativeFileAndTheListDropDoesNot) {
  DropFiles(MainForm->Handle(), {kTyped});
  EXPECT_EQ(MainForm->MNowFile, stored_);
  EXPECT_EQ(MainForm->EditFile->GetText(), stored_);
  EXPECT_EQ(ListForm->ListBox->Items().front(), stored_);
  EXPECT_TRUE(ToolEnabled(ListForm->TBFile));
  EXPECT_EQ(RedirectionOn(), kUnderWow64) << "the drop handler left redirection off";

  DropFiles(ListForm->Handle(), {kTyped});
  const Text asDropped = kUnderWow64 ? u"tovanelnativeonly.txt" : kStoredName;
  EXPECT_EQ(GetFileNamePart(ListForm->ListBox->Items().front()), asDropped);
  EXPECT_EQ(GetFileNamePart(MainForm->MNowFile), asDropped);
  // The file button asks inside the existence tests' own guard.
  EXPECT_TRUE(ToolEnabled(ListForm->TBFile));
  EXPECT_EQ(RedirectionOn(), kUnderWow64);
  EXPECT_TRUE(errors.shown.empty());
}

TEST_F(Redirection, CommandLinePathComesUpWithItsStoredName) {
  platform->commandLine = [] { return u"\"prog\" \"" + kTyped + u"\""; };
  TMainForm* f = NewMainForm();
  TListForm* list = NewListForm();
  f->Show();
  EXPECT_EQ(f->MNowFile, stored_);
  EXPECT_EQ(list->ListBox->Items(), std::vector<Text>{stored_});
  EXPECT_EQ(RedirectionOn(), kUnderWow64);
}

}  // namespace
