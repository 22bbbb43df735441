// The list window driven through its controls: how it is made, how entries
// arrive, the keys and buttons that hand an entry on, drops on either
// window, and closing and showing it again.
#include "kit/Windows.h"

#include "names/NameForms.h"
#include "names/Wow64.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

class ListWindow : public WindowTest {
 protected:
  static HWND Box(TListForm* l) { return l->ListBox->Handle(); }
  static LRESULT Extent(TListForm* l) { return SendMessageW(Box(l), LB_GETHORIZONTALEXTENT, 0, 0); }
  Text MakeFile(const Text& name) {
    WriteBytes(data_ / name, "");
    return data_ / name;
  }
};

TEST_F(ListWindow, IsMadeHiddenEmptyAndDisabled) {
  TListForm* l = NewListForm();
  EXPECT_EQ(WindowText(l->Handle()), u"Tovanel - リスト");
  EXPECT_FALSE(l->Visible());
  EXPECT_EQ(GetWindow(l->Handle(), GW_OWNER), MainForm->Handle());
  EXPECT_TRUE(l->ListBox->Items().empty());
  EXPECT_FALSE(IsWindowEnabled(Box(l)));
  EXPECT_EQ(l->ListBox->Color, COLOR_BTNFACE);
  for (TToolButton* b : {l->TBClip, l->TBFile, l->TBChar}) EXPECT_FALSE(ToolEnabled(b)) << ToUtf8(b->Name());
}

TEST_F(ListWindow, TakesItsPlaceAndOuterSizeFromTheSettings) {
  struct Case {
    const char* ini;
    RECT expected;  // empty: centred, 300 x 300
  } const cases[] = {
      {nullptr, {708, 400, 1008, 700}},
      {"[List]\r\nTop=120\r\nLeft=30\r\nHeight=250\r\nWidth=0x190\r\n", {30, 120, 430, 370}},
      {"[List]\r\nTop=-4000\r\nLeft=9000\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini ? c.ini : "no settings file");
    WriteSettings(c.ini);
    HWND h = NewListForm()->Handle();
    RECT r = WindowRect(h);
    if (IsRectEmpty(&c.expected)) {
      EXPECT_TRUE(Centred(h));
      EXPECT_EQ(r.right - r.left, 300);
      EXPECT_EQ(r.bottom - r.top, 300);
    } else {
      EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
  }
}

// Another program holds the settings file: the creation handler stops
// there, so the window keeps its designed place and client size, with the
// list and its buttons enabled as designed until the first addition.
TEST_F(ListWindow, AHeldSettingsFileLeavesTheDesignedWindow) {
  WriteSettings("[List]\r\nTop=10\r\n");
  TListForm* l = nullptr;
  {
    const TFileHandle held = HoldFile(SettingsFilePath());
    ASSERT_TRUE(held);
    l = NewListForm();
  }
  ASSERT_EQ(errors.shown.size(), 1u);
  RECT r = WindowRect(l->Handle()), client{};
  GetClientRect(l->Handle(), &client);
  EXPECT_EQ(r.left, 708);
  EXPECT_EQ(r.top, 400);
  EXPECT_EQ(client.right, 288);
  EXPECT_EQ(client.bottom, 271);
  EXPECT_TRUE(IsWindowEnabled(Box(l)));
  for (TToolButton* b : {l->TBClip, l->TBFile, l->TBChar}) EXPECT_TRUE(ToolEnabled(b)) << ToUtf8(b->Name());
  // Over the empty list the buttons find nothing to hand on.
  l->TBFileClick(l->TBFile);
  l->TBCharClick(l->TBChar);
  l->ListBoxDblClick(l->TBClip);
  EXPECT_EQ(errors.shown.size(), 1u);
  l->Proc_AddList(u"first");
  EXPECT_TRUE(ToolEnabled(l->TBClip));
  EXPECT_FALSE(ToolEnabled(l->TBFile));
}

// Entries go on top, newest first, selected, duplicates and all; the window
// stays hidden.
TEST_F(ListWindow, AddsNewestFirstAndSelectsIt) {
  TListForm* l = NewListForm();
  for (const char16_t* s : {u"one", u"two", u"two", u""}) l->Proc_AddList(s);
  EXPECT_EQ(l->ListBox->Items(), (std::vector<Text>{u"", u"two", u"two", u"one"}));
  EXPECT_EQ(SendMessageW(Box(l), LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(Box(l), LB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowEnabled(Box(l)));
  EXPECT_EQ(l->ListBox->Color, COLOR_WINDOW);
  EXPECT_TRUE(ToolEnabled(l->TBClip));
  EXPECT_TRUE(ToolEnabled(l->TBChar));
  EXPECT_FALSE(l->Visible());
}

// Wide enough for the widest entry, and never narrower again.
// The list scrolls sideways twice as far as its widest entry measures in the
// list's own font: after every addition, measuring only the new entry, and
// after a move to a monitor of another resolution, which measures them all
// in the new font. It never shrinks, since entries are never removed.
TEST_F(ListWindow, HorizontalExtentIsTwiceTheWidestEntryAtEveryResolution) {
  TListForm* l = NewListForm();
  auto remeasured = [&] { return 2 * WidestEntry(Box(l)); };
  UINT dpi = 96;
  TStaged<DpiPlatform> monitor;
  monitor->getDpiForWindow = [&](HWND) { return dpi; };
  auto moveTo = [&](UINT to) {
    dpi = to;
    RECT r = WindowRect(l->Handle());
    SendMessageW(l->Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&r));
  };
  LRESULT before = 0;
  for (const Text& s : {Text(u"iii"), Text(60, u'W') + u"全角", Text(u"i"), Text(), Text(10, u'あ')}) {
    l->Proc_AddList(s);
    EXPECT_EQ(Extent(l), remeasured()) << ToUtf8(s);
    EXPECT_GE(Extent(l), before) << ToUtf8(s);
    before = Extent(l);
  }
  const LRESULT at96 = Extent(l);

  moveTo(144);
  EXPECT_EQ(Extent(l), remeasured());
  EXPECT_GT(Extent(l), at96) << "the extent kept the old resolution's pixels";
  l->Proc_AddList(Text(70, u'W'));
  EXPECT_EQ(Extent(l), remeasured());
  moveTo(96);
  EXPECT_EQ(Extent(l), remeasured());
  l->Proc_AddList(u"i");
  EXPECT_EQ(Extent(l), remeasured());
}

// TBFile is enabled for an entry that names something on disk, judged as it
// stands; a drive that does not exist fails without a dialog.
TEST_F(ListWindow, TBFileFollowsWhetherTheEntryIsThere) {
  TListForm* l = NewListForm();
  MakeFile(u"c-bare.txt");
  // Bare names are judged against the current folder; it is put back after.
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  const TScopeExit back([&previous] { SetCurrentDirectoryW(previous); });
  SetCurrentDirectoryW(W(data_.Path()));
  struct Case {
    Text entry;
    bool there;
  } const cases[] = {
      {MakeFile(u"file.txt"), true}, {data_.Path(), true},   {data_ / u"missing.txt", false},
      {u"c-bare.txt", true},         {u"nobare.txt", false}, {Text(1, UnmappedDrive()) + u":\\x", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    l->Proc_AddList(c.entry);
    EXPECT_EQ(ToolEnabled(l->TBFile), c.there) << ToUtf8(c.entry);
    EXPECT_TRUE(ToolEnabled(l->TBClip));
  }
}

TEST_F(ListWindow, ArrowKeysMoveTheSelectionAndRefreshTBFile) {
  TListForm* l = NewListForm();
  for (const Text& s : {MakeFile(u"file.txt"), data_ / u"gone.txt", data_.Path()}) l->Proc_AddList(s);
  struct Step {
    WPARAM key;
    int selected;
    bool fileButton;
  } const steps[] = {{VK_DOWN, 1, false}, {VK_DOWN, 2, true}, {VK_UP, 1, false}, {VK_HOME, 0, true}, {VK_END, 2, true}};
  for (const Step& s : steps) {
    SendMessageW(Box(l), WM_KEYDOWN, s.key, 1);
    EXPECT_EQ(l->ListBox->ItemIndex(), s.selected) << s.key;
    EXPECT_EQ(ToolEnabled(l->TBFile), s.fileButton) << s.key;
  }
}

// Only Enter sends; every character is consumed, so none searches the list.
TEST_F(ListWindow, OnlyEnterSendsTheSelectedEntry) {
  TListForm* l = NewListForm();
  for (const char16_t* s : {u"apple", u"banana", u"cherry"}) l->Proc_AddList(s);
  SendMessageW(Box(l), LB_SETCURSEL, 1, 0);
  for (char16_t key : {u'a', u'c', u' ', u'\x1B', u'\n', u'\b'}) {
    PutOnClipboard(u"before");
    SendMessageW(Box(l), WM_CHAR, key, 1);
    EXPECT_EQ(ClipboardText(), u"before") << int(key);
    EXPECT_EQ(l->ListBox->ItemIndex(), 1) << int(key);
  }
  SendMessageW(Box(l), WM_CHAR, u'\r', 1);
  EXPECT_EQ(ClipboardText(), u"banana");
}

TEST_F(ListWindow, ButtonsHandTheSelectedEntryOn) {
  TListForm* l = NewListForm();
  const Text file = MakeFile(u"Handed On.txt");
  l->Proc_AddList(file);
  PressTool(l->TBFile);
  EXPECT_EQ(MainForm->MNowFile, file);
  EXPECT_EQ(MainForm->EditFile->GetText(), file);
  EXPECT_TRUE(MainForm->Visible());
  EXPECT_EQ(l->ListBox->Items().size(), 1u);

  l->Proc_AddList(u"ｶﾀｶﾅ text");
  PressTool(l->TBChar);
  EXPECT_EQ(MainForm->EditChar->GetText(), u"ｶﾀｶﾅ text");
  EXPECT_TRUE(IsWindowEnabled(MainForm->BtnClipChar->Handle()));
  PressTool(l->TBClip);
  EXPECT_EQ(ClipboardText(), u"ｶﾀｶﾅ text");
}

// A drop on either window: the first path's long form becomes the current
// file, and all of them go to the list, the last on top. A drop without names
// changes nothing.
TEST_F(ListWindow, DropsMakeTheFirstCurrentAndListThemAll) {
  const Text a = MakeFile(u"Alpha File.txt"), b = MakeFile(u"Beta.TXT"), c = MakeFile(u"gamma.txt");
  const Text typedA = data_ / u"alpha file.txt", typedB = data_ / u"BETA.txt";
  MainForm->Show();
  for (TForm* target : {static_cast<TForm*>(MainForm), static_cast<TForm*>(ListForm)}) {
    SCOPED_TRACE(ToUtf8(target->Name()));
    ListForm->Proc_AddList(u"older");
    DropFiles(target->Handle(), {typedA, typedB, c});
    EXPECT_EQ(MainForm->MNowFile, a);
    EXPECT_EQ(GetForegroundWindow(), MainForm->Handle());
    EXPECT_FALSE(ListForm->Visible());
    const std::vector<Text>& items = ListForm->ListBox->Items();
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ(std::vector<Text>(items.begin(), items.begin() + 4), (std::vector<Text>{c, b, a, u"older"}));
    EXPECT_EQ(ListForm->ListBox->ItemIndex(), 0);

    MainForm->Proc_NewFile(u"C:\\");
    std::size_t count = items.size();
    DropFiles(target->Handle(), {});
    EXPECT_EQ(MainForm->MNowFile, u"C:\\");
    EXPECT_EQ(items.size(), count);
  }
  EXPECT_TRUE(errors.shown.empty());
}

// Windows without the long-path policy: these calls refuse a path of MAX_PATH
// units or more unless it comes in the extended-length form.
int refused = 0;
template <typename R, typename... A>
void Refuse(std::function<R(LPCWSTR, A...)>& call, std::type_identity_t<R> failure) {
  call = [real = call, failure](LPCWSTR p, A... a) {
    if (wcslen(p) < MAX_PATH || wcsncmp(p, L"\\\\?\\", 4) == 0) return real(p, a...);
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return ++refused, failure;
  };
}
struct TPathLimit {
  TStaged<NameFormPlatform> names;
  TStaged<Wow64Platform> files;
  TPathLimit() {
    refused = 0;
    Refuse(names->getFullPathName, 0), Refuse(names->getShortPathName, 0);
    Refuse(names->findFirstFileEx, INVALID_HANDLE_VALUE), Refuse(files->findFirstFile, INVALID_HANDLE_VALUE);
    Refuse(files->getFileAttributes, INVALID_FILE_ATTRIBUTES), Refuse(files->createFile, INVALID_HANDLE_VALUE);
  }
};

// Real paths refused in their plain form, from the command line and a drop to
// every name form, the clipboard and the file button, whole and unprefixed.
TEST_F(ListWindow, LongPathsTravelWholeWhereThePlatformRefusesThem) {
  const Text root = GetLongName(data_.Path());
  for (std::size_t units : {300, 1000, 3900}) {
    Text deep = root;  // folders made in the extended-length form; Wine holds up to about 4,050 units
    for (std::size_t left; (left = units - deep.size()) > 0;)  // never 1
      CreateDirectoryW(W(u"\\\\?\\" + (deep += u"\\D" + Text(left > 200 ? 150 : left - 2, u'd'))), nullptr);
    const Text shortForm = GetShortName(deep);
    Text typed = deep;  // the stored names in another case
    std::replace(typed.begin() + root.size(), typed.end(), u'D', u'd');
    ASSERT_FALSE(shortForm.empty()) << units;
    const TPathLimit limit;
    platform->commandLine = [typed] { return u"p \"" + typed + u"\""; };
    TMainForm* f = NewMainForm();
    NewListForm();
    f->Show();
    EXPECT_EQ(f->MNowFile, deep);
    for (int i : {0, 2, 3, 4, 5, 6, 7, 1}) {
      f->RadioGroup->SetItemIndex(i);
      const auto form = SelectNameForm(deep, i, [&](auto&) { return deep; }, [&](auto&) { return shortForm; });
      EXPECT_EQ(f->EditFile->GetText(), *form) << i;
    }
    Press(f->BtnClipFile);
    EXPECT_EQ(ClipboardText(), shortForm);
    DropFiles(ListForm->Handle(), {typed});
    EXPECT_EQ(ListForm->ListBox->Items().front(), deep);
    f->Proc_NewFile(u"C:\\");
    PressTool(ListForm->TBFile);
    EXPECT_EQ(f->MNowFile, deep);
    EXPECT_GT(refused, 0);
  }
}

// Last: the window is shown. Real keys move the selection and Enter sends the
// entry; closing writes the four keys and hides; showing again keeps it all.
TEST_F(ListWindow, ClosingSavesThePlaceAndShowingAgainKeepsTheEntries) {
  TListForm* l = NewListForm();
  for (const char16_t* s : {u"first", u"second", u"third"}) l->Proc_AddList(s);
  l->Show();
  SetWindowPos(l->Handle(), nullptr, 320, 140, 280, 330, SWP_NOZORDER);
  SetFocus(Box(l));
  PutOnClipboard(u"before");
  keybd_event(VK_DOWN, 0, 0, 0);
  keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_RETURN, 0, 0, 0);
  keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(PumpUntil([] { return ClipboardText() == u"second"; }));
  EXPECT_EQ(l->ListBox->ItemIndex(), 1);
  EXPECT_TRUE(l->Visible());

  SendMessageW(l->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(l->Visible());
  EXPECT_EQ(ReadBytes(SettingsFilePath()), "[List]\r\nTop=140\r\nLeft=320\r\nHeight=330\r\nWidth=280\r\n\r\n");
  l->Show();
  EXPECT_EQ(l->ListBox->Items(), (std::vector<Text>{u"third", u"second", u"first"}));
  EXPECT_EQ(l->ListBox->ItemIndex(), 1);
  EXPECT_TRUE(errors.shown.empty());
}

}  // namespace

namespace {

// Where a toolbar button sits in its bar, in pixels at 96 DPI.
RECT ButtonRect(TToolBar* bar, TToolButton* b) {
  RECT r{};
  SendMessageW(bar->Handle(), TB_GETRECT, static_cast<WPARAM>(b->CommandId()), reinterpret_cast<LPARAM>(&r));
  return r;
}

}  // namespace

// The separator after TBFile always ends the first row; beyond that the
// buttons wrap only where a row runs out of room, and the bar is as high as
// its rows, with the list right below it. (The gap below a row that a
// separator ends is the platform toolbar's own.)
TEST_F(ListWindow, ToolbarRowsKeepTheirBreakAtAnyWidth) {
  TListForm* l = NewListForm();
  struct Case {
    int clientWidth;
    bool fileWraps;  // TBFile starts a row of its own
  } const cases[] = {{288, false}, {600, false}, {200, true}, {288, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clientWidth);
    RECT w = WindowRect(l->Handle()), client;
    GetClientRect(l->Handle(), &client);
    SetWindowPos(l->Handle(), nullptr, 0, 0, (w.right - w.left) - client.right + c.clientWidth, w.bottom - w.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT clip = ButtonRect(l->ToolBar, l->TBClip), file = ButtonRect(l->ToolBar, l->TBFile),
               chr = ButtonRect(l->ToolBar, l->TBChar);
    EXPECT_EQ(clip.top, 0);
    EXPECT_EQ(clip.bottom, 18);
    if (c.fileWraps) {
      EXPECT_GE(file.top, clip.bottom);
      EXPECT_EQ(file.left, 0);
    } else {
      EXPECT_EQ(file.top, 0);
      EXPECT_EQ(file.left, 139);
    }
    EXPECT_EQ(chr.left, 0);
    EXPECT_GE(chr.top, file.bottom);
    // Both breaks then follow a separator and leave the same gap.
    if (c.fileWraps) {
      EXPECT_EQ(chr.top - file.bottom, file.top - clip.bottom);
    }
    RECT bar = WindowRect(l->ToolBar->Handle()), box = WindowRect(Box(l));
    EXPECT_EQ(bar.bottom - bar.top, chr.bottom);
    EXPECT_EQ(box.top, bar.bottom);
  }
}
