// Windowed controls: windows made on demand, parents first, and re-created
// windows that keep their state and their replaced message procedure.
#include <algorithm>
#include <map>

#include "kit/Toolkit.h"
#include "names/Wow64.h"
#include "toolkit/Accessible.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/StdCtrls.h"

#include <commctrl.h>
#include <oleacc.h>

using namespace tovanel;
using namespace tovanel::test;

namespace {

struct Controls : FormTest {
  std::vector<UINT> seenBy[2];  // what replaced procedures record
  ~Controls() override { forms.FreeAll(); }
};

TEST_F(Controls, WindowsAreMadeOnDemandParentsFirst) {
  auto* group = Make<TGroupBox>(form, form, u"Group", 8, 8, 200, 100);
  auto* edit = Make<TEdit>(form, group, u"Edit", 8, 20, 100, 21);
  auto* sibling = Make<TButton>(form, form, u"Btn", 8, 120, 80, 24);
  edit->SetText(u"abc");
  EXPECT_EQ(edit->GetText(), u"abc");
  EXPECT_FALSE(edit->HandleAllocated() || group->HandleAllocated() || form->HandleAllocated());

  HWND h = edit->Handle();
  EXPECT_EQ(GetParent(h), group->Handle());
  EXPECT_EQ(GetParent(group->Handle()), form->Handle());
  EXPECT_TRUE(sibling->HandleAllocated());  // the form brings all its controls
  EXPECT_EQ(TWinControl::FromHandle(h), edit);
  EXPECT_EQ(edit->Handle(), h);
}

// What the platform sends to each window of this thread, seen before any
// window procedure.
struct SentMessages {
  static inline std::vector<std::pair<HWND, UINT>> sent;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &Proc, nullptr, GetCurrentThreadId());
  SentMessages() { sent.clear(); }
  ~SentMessages() { UnhookWindowsHookEx(hook); }
  static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
    auto* c = reinterpret_cast<CWPSTRUCT*>(lp);
    if (code == HC_ACTION) sent.push_back({c->hwnd, c->message});
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static std::vector<UINT> To(HWND h) {
    std::vector<UINT> out;
    for (auto& [w, m] : sent)
      if (w == h) out.push_back(m);
    return out;
  }
};

TEST_F(Controls, ReplacedWindowProcSeesEveryMessageOfTheNewWindow) {
  auto* edit = Make<TEdit>(form, form, u"Edit", 8, 8, 100, 21);
  TWinControl* controls[2] = {form, edit};
  for (int i = 0; i < 2; ++i) {
    TWndMethod inner = controls[i]->WindowProc;
    controls[i]->WindowProc = [&seen = seenBy[i], inner](TMessage& m) {
      seen.push_back(m.Msg);
      inner(m);
    };
  }
  form->Handle();
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(ToUtf8(controls[i]->Name()));
    HWND old = controls[i]->Handle();
    SentMessages platform;
    seenBy[i].clear();
    controls[i]->RecreateWnd();
    HWND now = controls[i]->Handle();
    EXPECT_NE(now, old);
    EXPECT_FALSE(IsWindow(old));
    // From the old window's last message on, exactly what the platform sent
    // the new one, creation included.
    auto first = std::find(seenBy[i].begin(), seenBy[i].end(), static_cast<UINT>(WM_NCDESTROY));
    ASSERT_NE(first, seenBy[i].end());
    const std::vector<UINT> created(first + 1, seenBy[i].end());
    EXPECT_EQ(created, SentMessages::To(now));
    EXPECT_NE(std::find(created.begin(), created.end(), static_cast<UINT>(WM_NCCREATE)), created.end());
    EXPECT_NE(std::find(created.begin(), created.end(), static_cast<UINT>(WM_CREATE)), created.end());
    seenBy[i].clear();
    SendMessageW(now, WM_NULL, 0, 0);
    EXPECT_EQ(seenBy[i], std::vector<UINT>{WM_NULL});
  }
  EXPECT_EQ(GetParent(edit->Handle()), form->Handle());
}

TEST_F(Controls, StateSurvivesRecreationAndRunsNoHandler) {
  auto* edit = Make<TEdit>(form, form, u"Edit", 8, 8, 100, 21);
  auto* off = Make<TEdit>(form, form, u"Off", 8, 40, 100, 21);
  auto* list = Make<TListBox>(form, form, u"List", 120, 8, 100, 80);
  auto* radio = Make<TRadioGroup>(form, form, u"Radio", 8, 100, 200, 90);
  radio->Items = {u"&0", u"&1", u"&2", u"&3"};
  radio->Columns = 2;
  edit->OnChange = off->OnChange = [&](TComponent* s) { log.push_back(ToUtf8(s->Name()) + ".OnChange"); };
  list->OnClick = radio->OnClick = [&](TComponent* s) { log.push_back(ToUtf8(s->Name()) + ".OnClick"); };
  form->Handle();
  edit->SetText(u"C:\\Temp\\名前.txt");
  off->SetText(u"off");
  off->SetEnabled(false);
  for (const char16_t* s : {u"c", u"b", u"a"}) list->InsertItem(0, s);
  list->SetItemIndex(1);
  radio->SetItemIndex(2);
  radio->SetEnabled(false);
  log.clear();

  for (TWinControl* which : std::vector<TWinControl*>{form, edit, list, radio}) {
    SCOPED_TRACE(ToUtf8(which->Name()));
    which->RecreateWnd();
    EXPECT_EQ(edit->GetText(), u"C:\\Temp\\名前.txt");
    EXPECT_EQ(off->GetText(), u"off");
    EXPECT_FALSE(IsWindowEnabled(off->Handle()));
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(radio->ItemIndex(), 2);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(SendMessageW(radio->ItemHandle(i), BM_GETCHECK, 0, 0), i == 2 ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_FALSE(IsWindowEnabled(radio->ItemHandle(i)));
    }
    EXPECT_EQ(log, Log{});
  }
  // What the user typed last is what a new window shows.
  SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
  SendMessageW(edit->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
  form->RecreateWnd();
  EXPECT_EQ(edit->GetText(), u"typed");
}

// A control whose system class does not exist.
class TNoSuchClass : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    Params.SystemClass = L"NoSuchSystemClass";
  }
};

// A window that cannot be made is an error that keeps the platform's reason.
// The status bar draws its own text, so that "&" shows as it stands; it
// still replies with that text through its own messages, as another program
// or a screen reader asks, as a plain part, and after re-creation too.
TEST_F(Controls, StatusTextIsReadThroughTheBarsOwnMessages) {
  auto* status = Make<TStatusBar>(form, form, u"Status", 0, 180, 300, 20);
  const Text prompt = u"ファイルをドラッグ&ドロップしてください｡";
  status->SetSimpleText(prompt);
  auto read = [&](const Text& expected) {
    HWND h = status->Handle();
    const LRESULT length = SendMessageW(h, SB_GETTEXTLENGTHW, 0, 0);
    EXPECT_EQ(LOWORD(length), expected.size());
    EXPECT_EQ(HIWORD(length), 0) << "a part drawn by its owner says nothing of its text";
    std::vector<wchar_t> buffer(expected.size() + 8, L'#');
    EXPECT_EQ(LOWORD(SendMessageW(h, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.data()))), expected.size());
    EXPECT_EQ(FromW(buffer.data()), expected);
    EXPECT_EQ(WindowText(h), expected);
    EXPECT_EQ(GetWindowTextLengthW(h), static_cast<int>(expected.size()));
    // A buffer too small for it takes what fits, terminated.
    wchar_t small[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(GetWindowTextW(h, small, 4), static_cast<int>(std::min<std::size_t>(expected.size(), 3)));
    EXPECT_EQ(FromW(small), expected.substr(0, 3));
    std::vector<char> narrow(expected.size() * 2 + 8, '#');
    const LRESULT got = SendMessageW(h, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(narrow.data()));
    EXPECT_EQ(LOWORD(got), LOWORD(SendMessageW(h, SB_GETTEXTLENGTHA, 0, 0)));
    EXPECT_EQ(std::string(narrow.data()).size(), LOWORD(got));
  };
  read(prompt);
  status->SetSimpleText(u"C:\a&b.txt");
  read(u"C:\a&b.txt");
  status->RecreateWnd();
  read(u"C:\a&b.txt");
  status->SetSimpleText(u"");
  read(u"");
}

// A control that shows no caption of its own gives its accessible name to
// the platform only when a screen reader first asks for its client object:
// once a window, removed when the window goes, never at creation.
TEST_F(Controls, AccessibleNamesAreGivenWhenAScreenReaderFirstAsks) {
  Log calls;
  TStaged<AccessiblePlatform> service;
  service->setHwndPropStr = [&](HWND, const Text& name) { return calls.push_back("set " + ToUtf8(name)), true; };
  service->clearHwndProps = [&](HWND) { calls.push_back("clear"); };
  auto* named = Make<TEdit>(form, form, u"Named", 8, 8, 100, 21);
  named->AccessibleName = u"[ファイル名]";
  auto* plain = Make<TListBox>(form, form, u"Plain", 8, 40, 100, 60);
  auto ask = [](TWinControl* c, LONG object) {
    SendMessageW(c->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(object)));
  };
  form->Handle();
  EXPECT_EQ(calls, Log{}) << "nothing before a screen reader asks";
  ask(named, OBJID_WINDOW);
  ask(plain, OBJID_CLIENT);
  EXPECT_EQ(calls, Log{});
  ask(named, OBJID_CLIENT);
  ask(named, OBJID_CLIENT);
  EXPECT_EQ(calls, Log{"set [ファイル名]"});
  named->RecreateWnd();
  ask(named, OBJID_CLIENT);
  EXPECT_EQ(calls, (Log{"set [ファイル名]", "clear", "set [ファイル名]"}));
  delete named;
  EXPECT_EQ(calls.back(), "clear");
}

// WOW64 as Windows has it: nothing loads, and no COM object is made, while
// a guard holds redirection off. The annotation service is staged: one
// object that records the names it is given.
namespace staged {
bool off = false;
std::vector<std::pair<HWND, Text>> names;
BOOL WINAPI IsWow64(HANDLE, PBOOL out) { return *out = TRUE; }
BOOL WINAPI Disable(PVOID*) { return off = true; }
BOOL WINAPI Revert(PVOID) { return !(off = false); }
ULONG WINAPI Release(void*) { return 0; }
HRESULT WINAPI SetStr(void*, HWND h, DWORD, DWORD, MSAAPROPID, LPCWSTR s) {
  return names.push_back({h, FromW(s)}), S_OK;
}
HRESULT WINAPI Clear(void*, HWND, DWORD, DWORD, const MSAAPROPID*, int) { return S_OK; }
// The service's methods in their order; those Tovanel never calls stay empty.
void* table[18] = {nullptr, nullptr, reinterpret_cast<void*>(Release), nullptr, nullptr,
                   nullptr, nullptr, reinterpret_cast<void*>(SetStr),  nullptr, reinterpret_cast<void*>(Clear)};
void* const services[] = {table};
HRESULT WINAPI Create(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* out) {
  return (*out = off ? nullptr : const_cast<void**>(services)) ? S_OK : E_FAIL;
}
}  // namespace staged

TEST_F(Controls, AScreenReadersFirstRequestInsideAGuardStillGetsTheName) {
  auto* named = Make<TEdit>(form, form, u"Named", 8, 8, 100, 21);
  named->AccessibleName = u"[ファイル名]";
  TStaged<Wow64Platform> p;
  p->loadLibrary = [](LPCWSTR path) { return staged::off ? nullptr : LoadLibraryW(path); };
  p->getProcAddress = [real = p->getProcAddress](HMODULE m, LPCSTR name) {
    const std::map<std::string, void*> functions{
        {"IsWow64Process", reinterpret_cast<void*>(staged::IsWow64)},
        {"Wow64DisableWow64FsRedirection", reinterpret_cast<void*>(staged::Disable)},
        {"Wow64RevertWow64FsRedirection", reinterpret_cast<void*>(staged::Revert)},
        {"CoCreateInstance", reinterpret_cast<void*>(staged::Create)}};
    const auto f = functions.find(name);
    return f != functions.end() ? reinterpret_cast<FARPROC>(f->second) : real(m, name);
  };
  const TScopeExit fresh(ResetWow64);
  InitWow64();
  {
    const RedirectionGuard outer;
    const RedirectionGuard inner;
    SendMessageW(named->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)));
    EXPECT_TRUE(staged::off) << "the guards no longer hold";
  }
  EXPECT_FALSE(staged::off);
  EXPECT_EQ(staged::names, (std::vector<std::pair<HWND, Text>>{{named->Handle(), u"[ファイル名]"}}));
}

// Windows 8.1 and 10 before 1607 lack GetDpiForWindow: a window takes its
// monitor's resolution, or the system's without GetDpiForMonitor (7, 8), and
// after a move the one WM_DPICHANGED names, which the monitor may not tell yet.
HRESULT WINAPI StagedDpiForMonitor(HMONITOR, int, UINT* x, UINT* y) { return *x = *y = 120, S_OK; }

TEST_F(Controls, ResolutionComesFromTheMonitorAndTheMessageWithoutGetDpiForWindow) {
  auto* edit = Make<TEdit>(form, form, u"Edit", 8, 8, 100, 21);
  form->Handle();
  const TWindowDC screen(nullptr);
  struct Case {
    HRESULT(WINAPI* monitor)(HMONITOR, int, UINT*, UINT*);
    UINT made;
  } const cases[] = {{StagedDpiForMonitor, 120}, {nullptr, static_cast<UINT>(GetDeviceCaps(screen.Get(), LOGPIXELSY))}};
  for (const Case& c : cases) {
    TStaged<DpiPlatform> older;
    older->getDpiForWindow = nullptr;
    older->getDpiForMonitor = c.monitor;
    form->RecreateWnd();
    EXPECT_EQ(edit->Dpi(), c.made);
    RECT r{0, 0, 600, 400};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(edit->Dpi(), 144u);
    EXPECT_EQ(WindowRect(edit->Handle()).right - WindowRect(edit->Handle()).left, 150) << "the old resolution's size";
  }
}

TEST_F(Controls, AWindowThatCannotBeMadeKeepsThePlatformsCode) {
  auto* orphan = new TEdit(form);  // a child window needs a parent
  auto* unknown = new TNoSuchClass(form);
  struct Case {
    TWinControl* c;
    Text message;
    DWORD code;
  } const cases[] = {
      {orphan, u"ウィンドウを作成できません", ERROR_TLW_WITH_WSCHILD},
      {unknown, u"ウィンドウ クラスを作成できません", ERROR_CLASS_DOES_NOT_EXIST},
  };
  for (const Case& c : cases) {
    try {
      c.c->Handle();
      ADD_FAILURE() << "no error for " << ToUtf8(c.message);
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(e.Code(), c.code) << ToUtf8(c.message);
    }
    EXPECT_FALSE(c.c->HandleAllocated());
  }
}

// A painter that fails leaves no drawing surface or picture behind, and the
// list is drawn whole the next time.
TEST_F(Controls, AFailingImagePainterLeavesNothingBehind) {
  auto* images = new TImageList(form);
  HDC surface = nullptr;
  HGDIOBJ picture = nullptr;
  bool fail = true;
  images->Images = {nullptr, [&](HDC dc, int) {
                      surface = dc;
                      picture = GetCurrentObject(dc, OBJ_BITMAP);
                      if (fail) throw Error(u"描けません");
                    }};
  EXPECT_THROW(images->Handle(96), Error);
  ASSERT_TRUE(surface && picture);
  EXPECT_EQ(GetObjectType(surface), 0u);
  EXPECT_EQ(GetObjectType(picture), 0u);
  fail = false;
  EXPECT_EQ(ImageList_GetImageCount(images->Handle(96)), 2);
}

TEST_F(Controls, RadioItemWindowsGoWithTheGroupsWindow) {
  auto* radio = Make<TRadioGroup>(form, form, u"Radio", 8, 8, 200, 60);
  radio->Items = {u"&0", u"&1"};
  form->Handle();
  HWND item = radio->ItemHandle(0);
  ASSERT_TRUE(IsWindow(item));
  radio->SetParent(nullptr);  // takes the window away
  EXPECT_FALSE(IsWindow(item));
  EXPECT_EQ(radio->ItemHandle(0), nullptr);
  radio->SetItemIndex(1);
  radio->SetParent(form);
  EXPECT_EQ(SendMessageW(radio->ItemHandle(1), BM_GETCHECK, 0, 0), BST_CHECKED);
}

}  // namespace

namespace {

struct FindToolTip {
  HWND owner, found = nullptr;
};

// A named callback: a lambda has the wrong calling convention in 32-bit builds.
BOOL CALLBACK IsToolTipOf(HWND h, LPARAM p) {
  auto* f = reinterpret_cast<FindToolTip*>(p);
  wchar_t cls[64];
  if (GetWindow(h, GW_OWNER) == f->owner && GetClassNameW(h, cls, 64) && !lstrcmpiW(cls, TOOLTIPS_CLASSW)) {
    f->found = h;
    return FALSE;
  }
  return TRUE;
}

// The tool-tip window that the form keeps for its controls' hints.
HWND ToolTipOf(HWND form) {
  FindToolTip f{form};
  EnumThreadWindows(GetCurrentThreadId(), IsToolTipOf, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

std::wstring ToolText(HWND tip, HWND tool, HWND form) {
  wchar_t buf[256] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = form;
  ti.uId = reinterpret_cast<UINT_PTR>(tool);
  ti.lpszText = buf;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  return buf;
}

}  // namespace

// The windows make their own window first and their controls afterwards: a
// shown hint must still reach the tool tip, and only a shown one. The tool
// tip is made when the mouse first comes by.
TEST_F(Controls, ShownHintsReachTheToolTipWhenTheMouseComes) {
  form->Handle();
  auto* quiet = new TEdit(form);
  quiet->SetHint(u"never shown");
  quiet->SetParent(form);
  auto* group = Make<TGroupBox>(form, form, u"Group", 8, 8, 200, 100);
  auto* edit = new TEdit(form);
  edit->SetBounds(8, 20, 100, 21);
  edit->SetHint(u"右クリックで編集メニュー");
  edit->ShowHint = true;
  edit->SetParent(group);
  EXPECT_FALSE(ToolTipOf(form->Handle()));

  for (TEdit* e : {quiet, edit, edit}) SendMessageW(e->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  HWND tip = ToolTipOf(form->Handle());
  ASSERT_TRUE(tip);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(ToolText(tip, edit->Handle(), form->Handle()), L"右クリックで編集メニュー");

  // A re-made window is registered anew, and the old one is gone.
  edit->RecreateWnd();
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  SendMessageW(edit->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(ToolText(tip, edit->Handle(), form->Handle()), L"右クリックで編集メニュー");
  // A control that is freed takes its registration along.
  delete edit;
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

// Aligned controls share the space edge by edge in the order of their
// places, whatever order they were made in; a frame hands out only what lies
// inside its border and below its caption line.
TEST_F(Controls, AlignedControlsShareTheSpaceInTheOrderOfTheirPlaces) {
  auto place = [](TWinControl* c) { return RectInParent(c->Handle()); };
  form->Handle();  // controls arrive one by one in a window that exists
  auto* frame = new TGroupBox(form);
  frame->SetBounds(0, 0, 300, 120);
  frame->Align = TAlign::alTop;
  auto* status = new TEdit(form);  // the lowest, placed after the one above it
  status->SetBounds(0, 180, 300, 20);
  status->Align = TAlign::alBottom;
  auto* above = new TEdit(form);
  above->SetBounds(0, 150, 300, 30);
  above->Align = TAlign::alBottom;
  auto* right = new TButton(frame);
  right->SetBounds(200, 14, 98, 29);
  right->Align = TAlign::alRight;
  auto* rest = new TButton(frame);
  rest->SetBounds(2, 14, 10, 10);
  rest->Align = TAlign::alClient;
  right->SetParent(frame);
  rest->SetParent(frame);
  for (TWinControl* c : {static_cast<TWinControl*>(above), static_cast<TWinControl*>(status),
                         static_cast<TWinControl*>(frame)})
    c->SetParent(form);

  const RECT s = place(status), a = place(above), f = place(frame), r = place(right), c = place(rest);
  EXPECT_EQ(s.top, 180);
  EXPECT_EQ(s.bottom, 200);
  EXPECT_EQ(a.top, 150);
  EXPECT_EQ(a.bottom, 180);
  EXPECT_EQ(f.top, 0);
  EXPECT_EQ(f.bottom, 120);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.right, 298);
  EXPECT_EQ(r.top, 14);
  EXPECT_EQ(r.bottom, 118);
  EXPECT_EQ(c.left, 2);
  EXPECT_EQ(c.right, 200);
  EXPECT_EQ(c.top, 14);
  EXPECT_EQ(c.bottom, 118);
}

// The caption line grows with the form's font: its characters and the edge.
TEST_F(Controls, AFramesCaptionLineFollowsTheFont) {
  for (int characters : {12, 20}) {
    SCOPED_TRACE(characters);
    auto* f = new TTestForm;
    f->FontHeight = -characters;
    auto* frame = Make<TGroupBox>(f, f, u"Frame", 0, 0, 200, 100);
    auto* inside = Make<TEdit>(f, frame, u"Inside", 2, 14, 10, 10);
    inside->Align = TAlign::alClient;
    f->Handle();
    const RECT r = RectInParent(inside->Handle());
    EXPECT_EQ(r.top, characters + 2);
    EXPECT_EQ(r.left, 2);
    delete f;
  }
}
