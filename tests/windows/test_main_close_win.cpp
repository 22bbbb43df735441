// Closing the main window: what it writes to the settings file, what it does
// when the file cannot be written, and the end of the run.
#include "kit/Windows.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

class MainClose : public WindowTest {
 protected:
  static void CloseBox(TForm* f) { SendMessageW(f->Handle(), WM_CLOSE, 0, 0); }
  static std::string Lines(int top, int left, int item) {
    return "[Main]\r\nTop=" + std::to_string(top) + "\r\nLeft=" + std::to_string(left) + "\r\n\r\n[Select]\r\nItem=" +
           std::to_string(item) + "\r\n\r\n";
  }
};

// The form written is the selected one, 0 when none is, whatever was stored.
TEST_F(MainClose, WritesThePlaceAndTheSelectedForm) {
  struct Case {
    const char* name;
    const char* ini;
    std::function<void(TMainForm*)> run;
    int item;
  } const cases[] = {
      {"no file this run", "[Select]\r\nItem=5\r\n", [](TMainForm*) {}, 0},
      {"stored form out of range", "[Select]\r\nItem=-5\r\n", [&](TMainForm* f) { f->Proc_NewFile(data_.Path()); }, 0},
      {"form 4 with a drive root", nullptr,
       [](TMainForm* f) {
         f->Proc_NewFile(u"C:\\Windows");
         f->RadioGroup->SetItemIndex(4);
         f->Proc_NewFile(u"C:\\");
       },
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettings(c.ini);
    TMainForm* f = NewMainForm();
    NewListForm();
    c.run(f);
    f->SetLeft(150);
    f->SetTop(-20);
    CloseBox(f);
    const std::string ini = ReadBytes(SettingsFilePath());
    EXPECT_NE(ini.find("[Main]\r\nTop=-20\r\nLeft=150\r\n\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Select]\r\nItem=" + std::to_string(c.item) + "\r\n\r\n"), std::string::npos) << ini;
    EXPECT_EQ(f->RadioGroup->ItemIndex(), c.item);
    EXPECT_TRUE(errors.shown.empty());
  }
}

// The settings cannot be written: the error is shown, the window stays open
// and the list window is not asked to close.
TEST_F(MainClose, ASettingsFileThatCannotBeWrittenKeepsTheWindowOpen) {
  TMainForm* f = NewMainForm();
  TListForm* list = NewListForm();
  f->Show();
  list->Show();
  CreateDirectoryW(W(data_ / u"Tovanel.ini"), nullptr);
  const Text folders[] = {data_ / u"missing\\", data_.Path() + u"\\"};
  for (const Text& folder : folders) {
    SCOPED_TRACE(ToUtf8(folder));
    DataFolder = folder;
    errors.shown.clear();
    CloseBox(f);
    ASSERT_EQ(errors.shown.size(), 1u);
    const Text expected = u"ファイル \"" + folder + u"Tovanel.ini\" を作成できません。";
    EXPECT_EQ(errors.shown[0].Message.substr(0, expected.size()), expected);
    EXPECT_TRUE(f->Visible());
    EXPECT_TRUE(list->Visible());
    EXPECT_FALSE(Application().Terminated());
  }
}

// A minimised window writes the place it has when restored.
TEST_F(MainClose, AMinimisedWindowWritesItsRestoredPlace) {
  TMainForm* f = NewMainForm();
  NewListForm();
  f->Show();
  SetWindowPos(f->Handle(), nullptr, 210, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(f->Handle(), SW_MINIMIZE);
  Pump();
  ASSERT_TRUE(IsIconic(f->Handle()));
  CloseBox(f);
  EXPECT_EQ(ReadBytes(SettingsFilePath()).substr(0, Lines(130, 210, 0).size()), Lines(130, 210, 0));
}

// Last: the application's own main window, on a first run. The list window
// writes its keys after the main window's, and the run ends.
TEST_F(MainClose, AFirstRunWritesThirteenLinesAndEndsTheRun) {
  TMainForm* f = NewMainForm();
  TListForm* list = NewListForm();
  Application().MainForm = f;
  const RECT m = WindowRect(f->Handle()), l = WindowRect(list->Handle());
  CloseBox(f);
  EXPECT_EQ(ReadBytes(SettingsFilePath()),
            Lines(m.top, m.left, 0) + "[List]\r\nTop=" + std::to_string(l.top) + "\r\nLeft=" + std::to_string(l.left) +
                "\r\nHeight=300\r\nWidth=300\r\n\r\n");
  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(f->Visible());
}

}  // namespace
