#pragma once
// The test kit's part for whatever is built of the toolkit: message pumping,
// a recorder in place of the error display, a form whose description the
// test writes, the forms a test made (freed with it), and pressing, typing
// and looking at controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kit/Scoped.h"
#include "kit/Screen.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace tovanel::test {

using Log = std::vector<std::string>;

// Handles messages as they come until `done` holds or `ms` have passed;
// true when it held.
template <class Pred>
bool PumpUntil(Pred done, int ms = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    Application().ProcessMessages();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}
inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}
// What is waiting now, and what arrives within a moment.
inline void Pump() { PumpFor(50); }

struct TShownError {
  TComponent* Sender;
  Text Message;
};

// Stands in for the error display while it lives. Makes the application's
// window first, as start-up does.
class TErrorRecorder {
 public:
  TErrorRecorder()
      : display_(Application().ShowError, [this](TComponent* s, const Text& m) { shown.push_back({s, m}); }) {
    Application().Initialize();
  }
  std::vector<TShownError> shown;

 private:
  TScoped<std::function<void(TComponent*, const Text&)>> display_;
};

// A form whose description the test writes: controls made with Make, then
// FinishDescription, as a window's constructor ends.
class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* AOwner = nullptr) : TForm(AOwner) {
    ClientWidth = 300;
    ClientHeight = 200;
  }
  void FinishDescription() { DescriptionLoaded(); }
};

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char16_t* name, int l, int t, int w, int h) {
  auto* c = new T(owner);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}

// The forms a test makes, freed when it goes, the last made first, so that a
// form goes before the one that owns it. Under Wine freeing a form that was
// shown waits for the X server (about two seconds).
class TForms {
 public:
  TForms() = default;
  TForms(const TForms&) = delete;
  TForms& operator=(const TForms&) = delete;
  ~TForms() { FreeAll(); }

  template <class F = TTestForm, class... Args>
  F* Make(Args&&... args) {
    auto* f = new F(std::forward<Args>(args)...);
    made_.push_back(f);
    return f;
  }
  void FreeAll() {
    while (!made_.empty()) {
      TForm* f = made_.back();
      made_.pop_back();
      delete f;
    }
  }

 private:
  std::vector<TForm*> made_;
};

// A test of one form whose description the test writes. What replaced
// procedures and handlers record is kept in `log`, which outlives the form; an
// error shown and not taken out of `errors` by the test fails it.
class FormTest : public ::testing::Test {
 protected:
  ~FormTest() override {
    forms.FreeAll();
    EXPECT_TRUE(errors.shown.empty()) << ToUtf8(errors.shown.front().Message);
  }
  TErrorRecorder errors;
  Log log;
  TForms forms;
  TTestForm* form = forms.Make();
};

// A press as the platform reports it; disabled controls take none, so the
// test insists on an enabled one.
inline void Press(TButton* b) {
  ASSERT_TRUE(IsWindowEnabled(b->Handle())) << ToUtf8(b->Name());
  SendMessageW(GetParent(b->Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b->Handle()), BN_CLICKED),
               reinterpret_cast<LPARAM>(b->Handle()));
}

inline bool ToolEnabled(TToolButton* b) {
  return SendMessageW(b->Parent()->Handle(), TB_ISBUTTONENABLED, static_cast<WPARAM>(b->CommandId()), 0) != 0;
}

inline void PressTool(TToolButton* b) {
  ASSERT_TRUE(ToolEnabled(b)) << ToUtf8(b->Name());
  HWND bar = b->Parent()->Handle();
  SendMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(b->CommandId(), BN_CLICKED), reinterpret_cast<LPARAM>(bar));
}

// Typing: one character message per unit, as the keyboard delivers them.
inline void Type(TWinControl* c, const Text& units) {
  for (char16_t u : units) SendMessageW(c->Handle(), WM_CHAR, u, 1);
}

inline Text WindowText(HWND h) {
  wchar_t buffer[512] = {};
  return FromW(buffer, static_cast<std::size_t>(GetWindowTextW(h, buffer, 512)));
}

}  // namespace tovanel::test
