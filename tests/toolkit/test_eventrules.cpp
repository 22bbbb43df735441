// Which handlers run when code or the user changes a control: each case is
// a step and the handler runs it must cause, compared as a recorded log.
#include <functional>
#include <stdexcept>

#include "kit/Toolkit.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/StdCtrls.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

struct EventRules : FormTest {
  TRadioGroup* radio = Make<TRadioGroup>(form, form, u"Radio", 8, 8, 280, 100);
  TEdit* edit = Make<TEdit>(form, form, u"Edit", 8, 112, 200, 21);
  TListBox* list = Make<TListBox>(form, form, u"List", 8, 136, 200, 40);
  TButton* button = Make<TButton>(form, form, u"Btn", 212, 112, 80, 24);
  TStatusBar* status = Make<TStatusBar>(form, form, u"Status", 0, 180, 300, 20);

  EventRules() {
    radio->Items = {u"&0", u"&1", u"&2", u"&3", u"&4", u"&5", u"&6", u"&7"};
    radio->Columns = 2;
    radio->OnClick = [this](TComponent*) { log.push_back("Radio.OnClick " + std::to_string(radio->ItemIndex())); };
    edit->OnChange = [this](TComponent*) { log.push_back("Edit.OnChange " + ToUtf8(edit->GetText())); };
    for (const char16_t* s : {u"alpha", u"bravo", u"charlie"}) list->InsertItem(-1, s);
    list->OnClick = [this](TComponent*) { log.push_back("List.OnClick " + std::to_string(list->ItemIndex())); };
    button->OnClick = [this](TComponent*) { log.push_back("Btn.OnClick"); };
  }

  struct Step {
    const char* what;
    std::function<void()> act;
    Log runs;
  };
  void Run(const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      log.clear();
      s.act();
      EXPECT_EQ(log, s.runs) << s.what;
    }
  }
  std::function<void()> Select(int i) {
    return [this, i] { radio->SetItemIndex(i); };
  }
  std::function<void()> Click(int i) {
    return [this, i] { SendMessageW(radio->ItemHandle(i), BM_CLICK, 0, 0); };
  }
  std::function<void()> SetText(const char16_t* s) {
    return [this, s] { edit->SetText(s); };
  }
  std::function<void()> Send(TWinControl* c, UINT msg, WPARAM wp, LPARAM lp = 1) {
    return [c, msg, wp, lp] { SendMessageW(c->Handle(), msg, wp, lp); };
  }
  std::function<void()> Paste(const wchar_t* s) { return Send(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s)); }
};

TEST_F(EventRules, RadioSelectionByCode) {
  for (bool withWindow : {false, true}) {
    SCOPED_TRACE(withWindow ? "with window" : "without window");
    radio->SetItemIndex(-1);
    if (withWindow) form->Handle();
    Run({
        {"clearing what is clear", Select(-1), {}},
        {"first selection", Select(3), {"Radio.OnClick 3"}},
        {"the same again", Select(3), {}},
        {"another item", Select(0), {"Radio.OnClick 0"}},
        {"clearing", Select(-1), {}},
        {"below -1 is -1", Select(-5), {}},
        {"above the last is the last", Select(99), {"Radio.OnClick 7"}},
        {"the last again", Select(7), {}},
        {"before the setter returns",
         [&] {
           radio->SetItemIndex(5);
           log.push_back("returned");
         },
         {"Radio.OnClick 5", "returned"}},
    });
  }
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(SendMessageW(radio->ItemHandle(i), BM_GETCHECK, 0, 0), i == 5 ? BST_CHECKED : BST_UNCHECKED);
}

TEST_F(EventRules, RadioItemChosenByTheUser) {
  form->Handle();
  Run({
      {"an item while none is selected", Click(2), {"Radio.OnClick 2"}},
      {"the selected item again", Click(2), {}},
      {"another item", Click(6), {"Radio.OnClick 6"}},
  });
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(SendMessageW(radio->ItemHandle(i), BM_GETCHECK, 0, 0), i == 6 ? BST_CHECKED : BST_UNCHECKED) << i;
}

TEST_F(EventRules, EditTextByCode) {
  for (bool withWindow : {false, true}) {
    SCOPED_TRACE(withWindow ? "with window" : "without window");
    if (withWindow) form->Handle();  // the platform reports a change even for the same text
    Run({
        {"empty to empty", SetText(u""), {}},
        {"a text", SetText(u"C:\\a.txt"), {"Edit.OnChange C:\\a.txt"}},
        {"the same text", SetText(u"C:\\a.txt"), {}},
        {"letter case differs", SetText(u"C:\\A.txt"), {"Edit.OnChange C:\\A.txt"}},
        {"cleared", SetText(u""), {"Edit.OnChange "}},
    });
  }
}

TEST_F(EventRules, TypingRunsTheChangeHandlerAtEachChangeWithinTheLimit) {
  edit->MaxLength = 5;
  Run({
      {"a pasted piece", Paste(L"ab"), {"Edit.OnChange ab"}},
      {"a key", Send(edit, WM_CHAR, L'c'), {"Edit.OnChange abc"}},
      {"a backspace", Send(edit, WM_CHAR, VK_BACK), {"Edit.OnChange ab"}},
      {"more than the limit allows", Paste(L"cdefgh"), {"Edit.OnChange abcde"}},
      {"a key at the limit changes nothing", Send(edit, WM_CHAR, L'x'), {}},
  });
  // Code is not bound by the limit.
  const Text whole(300, u'長');
  Run({{"a long text by code", SetText(whole.c_str()), {"Edit.OnChange " + ToUtf8(whole)}}});
  EXPECT_EQ(edit->GetText(), whole);
}

TEST_F(EventRules, EnablingAndStatusTextRunNothing) {
  radio->SetItemIndex(1);
  edit->SetText(u"text");
  list->SetItemIndex(0);
  for (bool withWindow : {false, true}) {
    if (withWindow) form->Handle();
    for (bool on : {false, true})
      for (TControl* c : std::initializer_list<TControl*>{radio, edit, list, button})
        Run({{ToUtf8(c->Name()).c_str(), [c, on] { c->SetEnabled(on); }, {}}});
    Run({{"status text", [&] { status->SetSimpleText(u"C:\\a&b.txt"); }, {}}});
  }
  EXPECT_EQ(status->SimpleText(), u"C:\\a&b.txt");
}

TEST_F(EventRules, ListSelectionAndKeys) {
  form->Handle();
  char16_t replaceWith = 0;
  list->OnKeyPress = [&](TComponent*, char16_t& k) {
    log.push_back("List.OnKeyPress " + ToUtf8(Text(1, k)));
    k = replaceWith == u'-' ? 0 : replaceWith ? replaceWith : k;
  };
  auto key = [&](char16_t with) { return [&, with] { replaceWith = with; }; };
  // The list handles a letter by selecting the item it begins.
  Run({
      {"selecting by code", [&] { list->SetItemIndex(0); }, {}},
      {"out of range by code clears", [&] { list->SetItemIndex(3); }, {}},
      {"by code again", [&] { list->SetItemIndex(0); }, {}},
      {"the user moves down", Send(list, WM_KEYDOWN, VK_DOWN, 0), {"List.OnClick 1"}},
      {"a letter passed on", Send(list, WM_CHAR, L'c'), {"List.OnKeyPress c", "List.OnClick 2"}},
      {"swallow the next", key(u'-'), {}},
      {"a letter set to 0", Send(list, WM_CHAR, L'a'), {"List.OnKeyPress a"}},
      {"replace the next", key(u'b'), {}},
      {"a letter replaced", Send(list, WM_CHAR, L'a'), {"List.OnKeyPress a", "List.OnClick 1"}},
  });
}

// ---- the default error display ----

TEST_F(EventRules, ErrorFromAHandlerIsShownWithAFullStopWhenItEndsAboveOne) {
  struct Case {
    const char16_t* raised;
    const char16_t* shown;
  } cases[] = {
      {u"フック先を特定できません。", u"フック先を特定できません。."},  // U+3002 is above "."
      {u"失敗", u"失敗."},
      {u"ends with a dot.", u"ends with a dot."},
      {u"bang!", u"bang!"},  // "!" and "-" are below ".", "/" just above
      {u"a-", u"a-"},
      {u"a/", u"a/."},
      {u"", u""},
  };
  form->Handle();
  for (const Case& c : cases) {
    button->OnClick = [&](TComponent*) { throw Error(c.raised); };
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(errors.shown.size(), 1u) << ToUtf8(c.raised);
    EXPECT_EQ(errors.shown[0].Message, c.shown) << ToUtf8(c.raised);
    errors.shown.clear();
  }
}

TEST_F(EventRules, FailedHandlersStopAndTheProgramGoesOn) {
  bool fail = true;
  radio->OnClick = [&](TComponent*) {
    log.push_back("Radio.OnClick");
    if (fail) throw std::runtime_error("bad choice");
  };
  edit->OnChange = [&](TComponent*) {
    log.push_back("Edit.OnChange begin");
    radio->SetItemIndex(radio->ItemIndex() == 1 ? 0 : 1);
    log.push_back("Edit.OnChange end");
  };
  form->Handle();
  // The key runs the change handler from the platform's notice; the click it
  // causes fails, both stop there, and the next message is handled as before.
  PostMessageW(edit->Handle(), WM_CHAR, L'x', 1);
  PostMessageW(button->Handle(), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(log, (Log{"Edit.OnChange begin", "Radio.OnClick", "Btn.OnClick"}));
  ASSERT_EQ(errors.shown.size(), 1u);
  EXPECT_EQ(errors.shown[0].Message, u"bad choice.");
  errors.shown.clear();
  fail = false;
  Run({{"later", Send(edit, WM_CHAR, L'y'), {"Edit.OnChange begin", "Radio.OnClick", "Edit.OnChange end"}}});
  EXPECT_EQ(edit->GetText(), u"xy");
}

}  // namespace
