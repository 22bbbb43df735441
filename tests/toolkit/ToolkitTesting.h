#pragma once
// Helpers shared by the toolkit and drop-target tests: a form whose
// description the test finishes, a recorder in place of the error box, a log
// of handler runs and message pumping.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "toolkit/Forms.h"

namespace tovanel::testing {

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

struct ShownError {
  TComponent* Sender;
  Text Message;
};

// Stands in for the error box while it lives.
class ErrorRecorder {
 public:
  ErrorRecorder() : saved_(Application().ShowError) {
    Application().Initialize();
    Application().ShowError = [this](TComponent* s, const Text& m) { shown.push_back({s, m}); };
  }
  ~ErrorRecorder() { Application().ShowError = saved_; }
  std::vector<ShownError> shown;

 private:
  std::function<void(TComponent*, const Text&)> saved_;
};

using Log = std::vector<std::string>;
inline std::string Utf8(const Text& s) { return ToUtf8(s); }

inline void Pump() { Application().ProcessMessages(); }

// Pumps until `done` holds or `ms` have passed; true when it held.
template <class Pred>
bool PumpUntil(Pred done, int ms = 2000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    Pump();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace tovanel::testing
