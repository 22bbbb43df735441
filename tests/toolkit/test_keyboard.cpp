// Keys typed into a shown form in the foreground, through the message loop
// with the dialog manager: accelerators, arrows, Tab order and Enter.
#include "kit/Toolkit.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/StdCtrls.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

void Key(BYTE vk, DWORD flags = 0) { keybd_event(vk, 0, flags, 0); }

// The last key released that this thread's message loop has taken.
WPARAM lastKeyUp = 0;
LRESULT CALLBACK SeeKeyUp(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && (m->message == WM_KEYUP || m->message == WM_SYSKEYUP))
    lastKeyUp = m->wParam;
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Presses and releases `vk`, with Alt held when asked, and waits until the
// last release has been taken and nothing it caused is still queued.
void PressKey(BYTE vk, bool alt = false) {
  static const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, SeeKeyUp, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  const WPARAM last = alt ? VK_MENU : vk;
  lastKeyUp = 0;
  if (alt) Key(VK_MENU);
  Key(vk);
  Key(vk, KEYEVENTF_KEYUP);
  if (alt) Key(VK_MENU, KEYEVENTF_KEYUP);
  ASSERT_TRUE(PumpUntil(
      [last] { return lastKeyUp == last && HIWORD(GetQueueStatus(QS_KEY | QS_POSTMESSAGE | QS_SENDMESSAGE)) == 0; },
      10000))
      << "key " << int(vk) << " was not handled";
}

// One shown form for the whole suite, freed when it ends: under Wine hiding or
// destroying a shown window waits for the X server.
struct Keyboard : ::testing::Test {
  static inline TTestForm* form;
  static inline TEdit *edit1, *edit2;
  static inline TRadioGroup* radio;
  static inline TListBox* list;
  static inline TToolButton* dead;
  static inline Log log;
  static inline std::vector<WPARAM> formCommands;

  static TToolButton* ToolButton(TToolBar* bar, const char16_t* caption) {
    auto* b = new TToolButton(form);
    b->Caption = caption;
    b->SetParent(bar);
    b->OnClick = [b](TComponent*) { log.push_back(ToUtf8(b->Caption) + ".OnClick"); };
    return b;
  }

  static void SetUpTestSuite() {
    Application().Initialize();
    form = new TTestForm;
    // Made in tab order.
    edit1 = Make<TEdit>(form, form, u"Edit1", 8, 40, 120, 21);
    radio = Make<TRadioGroup>(form, form, u"Radio", 8, 64, 200, 60);
    radio->Items = {u"[&1]one", u"[&2]two", u"[&3]three"};
    radio->OnClick = [](TComponent*) { log.push_back("Radio.OnClick " + std::to_string(radio->ItemIndex())); };
    auto* off = Make<TButton>(form, form, u"Off", 210, 64, 80, 24);
    off->SetText(u"&Off");
    off->SetEnabled(false);
    off->OnClick = [](TComponent*) { log.push_back("Off.OnClick"); };
    edit2 = Make<TEdit>(form, form, u"Edit2", 8, 128, 120, 21);
    list = Make<TListBox>(form, form, u"List", 140, 128, 120, 60);
    list->InsertItem(0, u"alpha");
    list->OnKeyPress = [](TComponent*, char16_t& k) { log.push_back("List.OnKeyPress " + std::to_string(k)); };
    auto* bar = Make<TToolBar>(form, form, u"Bar", 0, 0, 300, 30);
    ToolButton(bar, u"&Keep");
    dead = ToolButton(bar, u"&Dead");
    TWndMethod inner = form->WindowProc;
    form->WindowProc = [inner](TMessage& m) {
      if (m.Msg == WM_COMMAND && m.LParam == 0) formCommands.push_back(LOWORD(m.WParam));
      inner(m);
    };
    form->FinishDescription();
    form->Show();
  }
  static void TearDownTestSuite() {
    delete form;
    form = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(PumpUntil([] { return GetForegroundWindow() == form->Handle(); }));
    radio->SetEnabled(true);
    radio->SetItemIndex(-1);
    edit2->SetEnabled(true);
    dead->SetEnabled(false);
    SetFocus(edit1->Handle());
    Pump();
    log.clear();
    formCommands.clear();
  }
};

TEST_F(Keyboard, RadioItemsByAcceleratorAndArrows) {
  struct Case {
    const char* what;
    BYTE key;
    bool alt;
    int focused;  // the item with the focus afterwards
    Log runs;
  } cases[] = {
      {"Alt+digit focuses and chooses", '2', true, 1, {"Radio.OnClick 1"}},
      {"an arrow chooses the next item", VK_DOWN, false, 2, {"Radio.OnClick 2"}},
      {"and back", VK_UP, false, 1, {"Radio.OnClick 1"}},
      {"the chosen item's digit again: focus only", '2', true, 1, {}},
  };
  for (const Case& c : cases) {
    log.clear();
    PressKey(c.key, c.alt);
    EXPECT_EQ(GetFocus(), radio->ItemHandle(c.focused)) << c.what;
    EXPECT_EQ(log, c.runs) << c.what;
  }
  // A disabled group takes no accelerator.
  SetFocus(edit1->Handle());
  radio->SetEnabled(false);
  log.clear();
  PressKey('3', true);
  EXPECT_EQ(GetFocus(), edit1->Handle());
  EXPECT_EQ(log, Log{});
}

TEST_F(Keyboard, ToolbarAcceleratorClicksOnlyAnEnabledButton) {
  struct Case {
    BYTE key;
    bool deadEnabled;
    Log runs;
  } cases[] = {
      {'K', false, {"&Keep.OnClick"}},
      {'D', false, {}},
      {'D', true, {"&Dead.OnClick"}},
      {'O', false, {}},  // a disabled push button
  };
  for (const Case& c : cases) {
    dead->SetEnabled(c.deadEnabled);
    log.clear();
    PressKey(c.key, true);
    EXPECT_EQ(log, c.runs) << c.key;
  }
  EXPECT_EQ(GetFocus(), edit1->Handle());
}

TEST_F(Keyboard, TabFollowsCreationOrderAndSkipsDisabledControls) {
  auto tabs = [](int n) {
    std::vector<HWND> seen;
    for (int i = 0; i < n; ++i) {
      PressKey(VK_TAB);
      seen.push_back(GetFocus());
    }
    return seen;
  };
  // With no item chosen the group is entered at its first item, and passing
  // through it chooses nothing.
  EXPECT_EQ(tabs(4), (std::vector<HWND>{radio->ItemHandle(0), edit2->Handle(), list->Handle(), edit1->Handle()}));
  radio->SetItemIndex(2);
  edit2->SetEnabled(false);
  log.clear();
  EXPECT_EQ(tabs(3), (std::vector<HWND>{radio->ItemHandle(2), list->Handle(), edit1->Handle()}));
  EXPECT_EQ(log, Log{});
}

TEST_F(Keyboard, EnterInTheListReachesItsKeyHandlerNotTheDialogManager) {
  SetFocus(list->Handle());
  PressKey(VK_RETURN);
  EXPECT_EQ(log, Log{"List.OnKeyPress 13"});
  EXPECT_EQ(formCommands, std::vector<WPARAM>{});
  // An edit box leaves Enter to the dialog manager, which reports it as OK.
  SetFocus(edit1->Handle());
  log.clear();
  PressKey(VK_RETURN);
  EXPECT_EQ(log, Log{});
  EXPECT_EQ(formCommands, std::vector<WPARAM>{IDOK});
}

}  // namespace
