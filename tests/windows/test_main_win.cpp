// The main window driven through its controls: the state it is made in, how
// a new file is taken and shown, the enabling rules, the conversion and
// clipboard buttons, and the first show with a path on the command line.
#include <map>
#include <set>

#include "kit/Windows.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

const Text kPrompt = u"ファイルをドラッグ&ドロップしてください｡";

KeyLog AltDigit(int index) {
  auto k = static_cast<BYTE>(0x30 + index);
  return {{VK_MENU, 0}, {k, 0}, {k, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
}

// Counts the radio group's click handler where a selection runs it, and the
// texts that the file box passes through; the handlers still run.
class TEvents {
 public:
  explicit TEvents(TMainForm* f) : f_(f), click_(f->RadioGroup->OnClick), change_(f->EditFile->OnChange) {
    f->RadioGroup->OnClick = [this](TComponent* s) { ++Clicks, click_(s); };
    f->EditFile->OnChange = [this](TComponent* s) { FileTexts.push_back(f_->EditFile->GetText()), change_(s); };
  }
  ~TEvents() { f_->RadioGroup->OnClick = click_, f_->EditFile->OnChange = change_; }
  int Clicks = 0;
  std::vector<Text> FileTexts;

 private:
  TMainForm* f_;
  TNotifyEvent click_, change_;
};

std::vector<TWinControl*> FileGroup(TMainForm* f) {
  return {f->GroupBoxFile, f->RadioGroup, f->EditFile, f->BtnClipFile, f->BtnInput, f->BtnListName};
}
std::vector<TWinControl*> CharGroup(TMainForm* f) {
  return {f->BtnChar1, f->BtnChar2, f->BtnChar3, f->BtnChar4, f->BtnChar5, f->BtnChar6, f->BtnClipChar, f->BtnListChar};
}

void ExpectEnabled(const std::vector<TWinControl*>& controls, bool enabled) {
  for (TWinControl* c : controls) {
    EXPECT_EQ(c->Enabled(), enabled) << ToUtf8(c->Name());
    EXPECT_EQ(IsWindowEnabled(c->Handle()) != FALSE, enabled) << ToUtf8(c->Name());
  }
}

class MainWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    MakeFile(a_);
    MakeFile(b_);
  }
  static void MakeFile(const Text& path) { WriteBytes(path, ""); }
  Text a_ = data_ / u"First File.text", b_ = data_ / u"Second.txt";
};

TEST_F(MainWindow, IsMadeWithoutAFileAndWithBothGroupsDisabled) {
  TMainForm* f = NewMainForm();
  ExpectEnabled(FileGroup(f), false);
  ExpectEnabled(CharGroup(f), false);
  ExpectEnabled({f->GroupBoxChar, f->GroupBoxBtnChar, f->EditChar, f->ToolBar, f->StatusBar}, true);
  EXPECT_TRUE(ToolEnabled(f->TBList));
  EXPECT_TRUE(ToolEnabled(f->TBClose));
  for (int i = 0; i < 8; ++i) {
    EXPECT_FALSE(IsWindowEnabled(f->RadioGroup->ItemHandle(i))) << i;
    EXPECT_EQ(SendMessageW(f->RadioGroup->ItemHandle(i), BM_GETCHECK, 0, 0), BST_UNCHECKED) << i;
  }
  EXPECT_EQ(f->RadioGroup->ItemIndex(), -1);
  EXPECT_EQ(f->EditFile->GetText(), u"");
  EXPECT_EQ(f->EditChar->GetText(), u"");
  EXPECT_EQ(f->MNowFile, u"");
  EXPECT_EQ(f->StatusBar->SimpleText(), kPrompt);
  EXPECT_FALSE(f->Visible());
}

// Run as administrator, each window lets the drop, its data and copied data
// through from the ordinary Explorer, and so does every window made anew.
TEST_F(MainWindow, BothWindowsLetDropsFromALessPrivilegedExplorerThrough) {
  std::map<HWND, std::set<UINT>> allowed;
  TStaged<DropPlatform> filter;
  filter->changeWindowMessageFilterEx = [&](HWND h, UINT m, DWORD action, PCHANGEFILTERSTRUCT) {
    if (action == MSGFLT_ALLOW) allowed[h].insert(m);
    return TRUE;
  };
  const std::set<UINT> all{WM_DROPFILES, WM_COPYDATA, 0x0049 /* WM_COPYGLOBALDATA */};
  for (TForm* f : {static_cast<TForm*>(NewMainForm()), static_cast<TForm*>(NewListForm())}) {
    EXPECT_EQ(allowed[f->Handle()], all);
    f->RecreateWnd();
    EXPECT_EQ(allowed[f->Handle()], all) << "a window made anew";
  }
}

TEST_F(MainWindow, TakesItsPlaceFromTheSettings) {
  constexpr int kCentred = INT_MIN;
  struct Case {
    const char* ini;
    int left, top;
  } const cases[] = {
      {nullptr, 100, 100},
      {"[main]\r\ntop=-8\r\nleft=-12\r\n", -12, -8},
      {"[Main]\r\nTop=5000\r\nLeft=-9000\r\n", kCentred, kCentred},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini ? c.ini : "no settings file");
    WriteSettings(c.ini);
    HWND h = NewMainForm()->Handle();
    if (c.left == kCentred) {
      EXPECT_TRUE(Centred(h));
    } else {
      EXPECT_EQ(WindowRect(h).left, c.left);
      EXPECT_EQ(WindowRect(h).top, c.top);
    }
  }
}

// The first file of a run takes the stored form; the key strokes that follow
// carry that form's digit, unless another program kept the foreground.
TEST_F(MainWindow, FirstFileTakesTheStoredForm) {
  wchar_t buffer[MAX_PATH];
  const Text shortPath = FromW(buffer, GetShortPathNameW(W(a_), buffer, MAX_PATH));
  const Text shortName = shortPath.substr(shortPath.rfind(u'\\') + 1);
  struct Case {
    const char* ini;
    int selected, clicks;
    Text shown;
    bool refused = false;
  } const cases[] = {
      {nullptr, 0, 1, a_},
      {"[Select]\r\nItem=2\r\n", 2, 2, data_.Path()},
      {"[Select]\r\nItem=12\r\n", 7, 2, shortName.substr(0, shortName.rfind(u'.'))},
      {"[Select]\r\nItem=-5\r\n", -1, 1, a_},
      {"[Select]\r\nItem=4\r\n", 4, 2, u"First File.text", true},  // Windows may refuse it; Wine never does
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini ? c.ini : "no settings file");
    WriteSettings(c.ini);
    TStaged<MainPlatform> refusal;
    if (c.refused) refusal->foregroundWindow = GetDesktopWindow;
    TMainForm* f = NewMainForm();
    TEvents events(f);
    keys.strokes.clear();
    f->Proc_NewFile(a_);
    EXPECT_EQ(f->RadioGroup->ItemIndex(), c.selected);
    EXPECT_EQ(f->EditFile->GetText(), c.shown);
    EXPECT_EQ(f->MNowFile, a_);
    EXPECT_EQ(f->StatusBar->SimpleText(), a_);
    EXPECT_EQ(events.Clicks, c.clicks);
    EXPECT_EQ(keys.strokes, c.refused ? KeyLog{} : AltDigit(c.selected));
    ExpectEnabled(FileGroup(f), true);
  }
}

// A later file keeps the chosen form; on the way the box shows form 0.
TEST_F(MainWindow, LaterFilesKeepTheChosenForm) {
  TMainForm* f = NewMainForm();
  f->Proc_NewFile(a_);
  struct Case {
    int form;
    Text clicked, file, shown;
    int clicks;
    std::vector<Text> passedThrough;
  } const cases[] = {
      {0, a_, a_, a_, 0, {}},
      {0, a_, b_, b_, 0, {b_}},
      {4, u"Second.txt", b_, u"Second.txt", 2, {b_, u"Second.txt"}},
      {6, u"Second", a_, u"First File", 2, {a_, u"First File"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.file) + " in form " + std::to_string(c.form));
    SendMessageW(f->RadioGroup->ItemHandle(c.form), BM_CLICK, 0, 0);  // the user's choice
    ASSERT_EQ(f->EditFile->GetText(), c.clicked);
    TEvents events(f);
    keys.strokes.clear();
    f->Proc_NewFile(c.file);
    EXPECT_EQ(f->RadioGroup->ItemIndex(), c.form);
    EXPECT_EQ(f->EditFile->GetText(), c.shown);
    EXPECT_EQ(events.Clicks, c.clicks);
    EXPECT_EQ(events.FileTexts, c.passedThrough);
    EXPECT_EQ(keys.strokes, AltDigit(c.form));
  }
}

TEST_F(MainWindow, AnEmptyNameFormDisablesTheFileGroupUntilAFileHasOne) {
  TMainForm* f = NewMainForm();
  f->Proc_NewFile(a_);
  f->RadioGroup->SetItemIndex(4);
  DropFiles(f->Handle(), {u"C:\\"});
  EXPECT_EQ(f->MNowFile, u"C:\\");
  EXPECT_EQ(f->EditFile->GetText(), u"");
  EXPECT_EQ(f->RadioGroup->ItemIndex(), 4);
  ExpectEnabled(FileGroup(f), false);
  DropFiles(f->Handle(), {b_});
  EXPECT_EQ(f->EditFile->GetText(), u"Second.txt");
  ExpectEnabled(FileGroup(f), true);
}

TEST_F(MainWindow, TypingSetsTheConversionGroupAndStopsAtTheLimit) {
  TMainForm* f = NewMainForm();
  int changes = 0;
  auto change = f->EditChar->OnChange;
  f->EditChar->OnChange = [&](TComponent* s) { ++changes, change(s); };
  Type(f->EditChar, u"x");
  ExpectEnabled(CharGroup(f), true);
  Type(f->EditChar, u"\b");
  EXPECT_EQ(f->EditChar->GetText(), u"");
  ExpectEnabled(CharGroup(f), false);
  EXPECT_EQ(changes, 2);
  Type(f->EditChar, Text(300, u'w'));
  EXPECT_EQ(f->EditChar->GetText(), Text(256, u'w'));
  ExpectEnabled(CharGroup(f), true);
  f->EditChar->OnChange = change;
}

// Each button converts by its Tag; a conversion that changes nothing runs
// no change handler.
TEST_F(MainWindow, ConversionButtonsConvertTheBoxByTheirTag) {
  TMainForm* f = NewMainForm();
  int changes = 0;
  auto change = f->EditChar->OnChange;
  f->EditChar->OnChange = [&](TComponent* s) { ++changes, change(s); };
  struct Case {
    int tag;
    Text before, after;
  } const cases[] = {
      {1, u"ABCｶﾞ", u"abcｶﾞ"}, {2, u"abc", u"ABC"},           {3, u"ＡＢＣ", u"ABC"},        {4, u"ABC", u"ＡＢＣ"},
      {5, u"ひらがな", u"ヒラガナ"}, {6, u"カタカナ", u"かたかな"}, {1, u"lower", u"lower"}, {2, u"ＵＰ", u"ＵＰ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.before) + " by button " + std::to_string(c.tag));
    f->EditChar->SetText(c.before);
    changes = 0;
    TButton* byTag[] = {nullptr, f->BtnChar1, f->BtnChar2, f->BtnChar3, f->BtnChar4, f->BtnChar5, f->BtnChar6};
    Press(byTag[c.tag]);
    EXPECT_EQ(f->EditChar->GetText(), c.after);
    EXPECT_EQ(changes, c.before == c.after ? 0 : 1);
  }
  f->EditChar->OnChange = change;
}

// A path past the boxes' limit is shown, copied, sent and listed whole.
TEST_F(MainWindow, ALongPathTravelsWhole) {
  TMainForm* f = NewMainForm();
  const Text path = u"C:\\" + Text(300, u'd') + u"\\file.txt";
  f->Proc_NewFile(path);
  EXPECT_EQ(f->EditFile->GetText(), path);
  Press(f->BtnInput);
  EXPECT_EQ(f->EditChar->GetText(), path);
  ExpectEnabled(CharGroup(f), true);
  Press(f->BtnClipFile);
  EXPECT_EQ(ClipboardText(), path);
  f->EditChar->SetText(u"変換の箱");
  Press(f->BtnClipChar);
  EXPECT_EQ(ClipboardText(), u"変換の箱");

  Press(f->BtnListName);
  Press(f->BtnListChar);
  const std::vector<Text>& items = ListForm->ListBox->Items();
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items[0], u"変換の箱");
  EXPECT_EQ(items[1], path);
  EXPECT_TRUE(ListForm->Visible());
}

TEST_F(MainWindow, TabVisitsTheControlsInOrderFromTheSelectedItem) {
  TMainForm* f = NewMainForm();
  f->Proc_NewFile(a_);
  f->RadioGroup->SetItemIndex(5);
  f->EditChar->SetText(u"x");
  const HWND order[] = {f->RadioGroup->ItemHandle(5), f->EditFile->Handle(), f->BtnInput->Handle(),
                        f->BtnClipFile->Handle(),      f->BtnListName->Handle(), f->BtnChar1->Handle(),
                        f->BtnChar2->Handle(),         f->BtnChar3->Handle(),  f->BtnChar4->Handle(),
                        f->BtnChar5->Handle(),         f->BtnChar6->Handle(),  f->EditChar->Handle(),
                        f->BtnClipChar->Handle(),      f->BtnListChar->Handle(), f->RadioGroup->ItemHandle(5)};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i)
    EXPECT_EQ(GetNextDlgTabItem(f->Handle(), order[i], FALSE), order[i + 1]) << "after stop " << i;
}

// Another program holds the settings file: the error is shown and the
// creation handler stops there, so the window comes up at its designed place
// with every control enabled but the conversion buttons; the first file is
// then shown in form 0 and goes no further.
TEST_F(MainWindow, AHeldSettingsFileStopsTheHandlerThatReadsIt) {
  WriteSettings("[Main]\r\nTop=50\r\n");
  const TFileHandle held = HoldFile(SettingsFilePath());
  ASSERT_TRUE(held);
  TMainForm* f = NewMainForm();
  const Text cannotOpen = u"ファイル " + SettingsFilePath() + u" は開けません。 ";
  ASSERT_EQ(errors.shown.size(), 1u);
  EXPECT_EQ(errors.shown[0].Message.substr(0, cannotOpen.size()), cannotOpen);
  EXPECT_EQ(WindowRect(f->Handle()).left, 330);
  EXPECT_EQ(WindowRect(f->Handle()).top, 165);
  ExpectEnabled(FileGroup(f), true);
  ExpectEnabled({f->BtnChar1, f->BtnChar2, f->BtnChar3, f->BtnChar4, f->BtnChar5, f->BtnChar6}, false);
  ExpectEnabled({f->BtnClipChar, f->BtnListChar, f->EditChar}, true);
  EXPECT_EQ(f->RadioGroup->ItemIndex(), -1);

  TListForm* list = NewListForm();
  const std::size_t listed = list->ListBox->Items().size();
  errors.shown.clear();
  keys.strokes.clear();
  DropFiles(f->Handle(), {a_, b_});
  EXPECT_EQ(errors.shown.size(), 1u);
  EXPECT_EQ(f->MNowFile, a_);
  EXPECT_EQ(f->EditFile->GetText(), a_);
  EXPECT_EQ(list->ListBox->Items().size(), listed);
  EXPECT_TRUE(keys.strokes.empty());
}

// Last: the window is shown for good. The path's long form becomes the
// current file and the list's only entry, and the real key strokes give the
// stored form's item the keyboard focus.
TEST_F(MainWindow, FirstShowTakesTheCommandLinePath) {
  WriteSettings("[Select]\r\nItem=6\r\n");
  const Text file = data_ / u"Command Line File.txt", typed = data_ / u"command line file.TXT";
  MakeFile(file);
  platform->commandLine = [typed] { return u"\"prog\" \"" + typed + u"\" ignored.txt"; };
  platform->sendKey = MainPlatform::Real().sendKey;
  TMainForm* f = NewMainForm();
  TListForm* list = NewListForm();
  f->Show();
  EXPECT_EQ(f->MNowFile, file);
  EXPECT_EQ(f->EditFile->GetText(), u"Command Line File");
  EXPECT_EQ(list->ListBox->Items(), std::vector<Text>{file});
  EXPECT_FALSE(list->Visible());
  // The key strokes, not the first show, move the focus to the item.
  Pump();
  SetFocus(f->EditChar->Handle());
  f->Proc_NewFile(a_);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == f->RadioGroup->ItemHandle(6); }));
  EXPECT_EQ(f->RadioGroup->ItemIndex(), 6);
}

}  // namespace

// Each control stands where the window's description puts it, relative to
// its parent's client area at 96 DPI, whether placed by its alignment or by
// its own position.
TEST_F(MainWindow, ControlsStandAtTheirDesignedPlaces) {
  TMainForm* f = NewMainForm();
  struct Place {
    TWinControl* c;
    int left, top, width, height;
  } const places[] = {
      {f->ToolBar, 0, 0, 624, 38},          {f->GroupBoxFile, 0, 38, 624, 155},   {f->RadioGroup, 2, 14, 620, 90},
      {f->EditFile, 2, 104, 620, 20},       {f->BtnInput, 2, 124, 190, 29},       {f->BtnListName, 192, 124, 180, 29},
      {f->BtnClipFile, 372, 124, 250, 29},  {f->GroupBoxChar, 0, 197, 624, 145},  {f->GroupBoxBtnChar, 2, 14, 620, 80},
      {f->BtnChar1, 5, 14, 200, 25},        {f->BtnChar3, 210, 15, 200, 25},      {f->BtnChar6, 415, 45, 200, 25},
      {f->EditChar, 2, 94, 620, 20},        {f->BtnListChar, 222, 114, 150, 29},  {f->BtnClipChar, 372, 114, 250, 29},
      {f->StatusBar, 0, 342, 624, 19},
  };
  RECT client;
  GetClientRect(f->Handle(), &client);
  EXPECT_EQ(client.right, 624);
  EXPECT_EQ(client.bottom, 361);
  for (const Place& p : places) {
    SCOPED_TRACE(ToUtf8(p.c->Name()));
    const RECT r = RectInParent(p.c->Handle());
    EXPECT_EQ(r.left, p.left);
    EXPECT_EQ(r.top, p.top);
    EXPECT_EQ(r.right - r.left, p.width);
    EXPECT_EQ(r.bottom - r.top, p.height);
  }
}
