// The window hook: which window it finds, how it stands in for the window's
// message procedure and how it follows the handle through a re-creation.
#include <algorithm>

#include "droptarget/CTLHOOK.h"
#include "kit/Toolkit.h"
#include "toolkit/StdCtrls.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

// A hook that logs each WM_NULL it hands on.
class TProbeHook : public TControlHook {
 public:
  TProbeHook(TComponent* owner, Log& log) : TControlHook(owner), log_(log) {}

 protected:
  void HookMessage(TMessage& m) override {
    if (m.Msg == WM_NULL) log_.push_back("hook");
    TControlHook::HookMessage(m);
  }

 private:
  Log& log_;
};

struct ControlHook : FormTest {
  TComponent root{nullptr};
  TEdit* edit = Make<TEdit>(form, form, u"Edit", 0, 0, 50, 20);

  // Puts a procedure that logs WM_NULL in front of what `c` has now.
  void LogNulls(TWinControl* c, const std::string& name) {
    TWndMethod inner = c->WindowProc;
    c->WindowProc = [this, inner, name](TMessage& m) {
      if (m.Msg == WM_NULL) log.push_back(name);
      inner(m);
    };
  }
  Log Nulls(TWinControl* c) {
    log.clear();
    SendMessageW(c->Handle(), WM_NULL, 0, 0);
    return log;
  }
};

TEST_F(ControlHook, FindsTheFormThatHoldsAComponent) {
  auto* group = Make<TGroupBox>(form, form, u"Group", 0, 0, 100, 100);
  auto* loose = new TGroupBox(form);  // owned by the form, but no parent
  struct Case {
    const char* what;
    TComponent* c;
    TForm* found;
  } cases[] = {
      {"a component the form owns", new TComponent(form), form},
      {"a control in a frame", Make<TEdit>(&root, group, u"InGroup", 0, 0, 50, 20), form},
      {"a component such a control owns", new TComponent(edit), form},
      {"a control whose top is no form", Make<TEdit>(form, loose, u"InLoose", 0, 0, 50, 20), nullptr},
      {"a component no form holds", new TComponent(&root), nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(TControlHook::FindOwnerForm(c.c), c.found) << c.what;
}

TEST_F(ControlHook, HookingWithoutATargetToFind) {
  auto* hook = new TProbeHook(&root, log);
  hook->SetTarget(THookTarget::htControl);  // no control: nothing, no error
  EXPECT_EQ(hook->HookTarget(), nullptr);
  for (auto step : {+[](TControlHook* h) { h->SetTarget(THookTarget::htForm); }, +[](TControlHook* h) { h->Loaded(); }}) {
    try {
      step(hook);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), u"フック先を特定できません。");
    }
    EXPECT_EQ(hook->Target(), THookTarget::htForm);  // stored, and unhooked
    EXPECT_EQ(hook->HookTarget(), nullptr);
    EXPECT_EQ(hook->HWndHookTarget(), nullptr);
  }
}

TEST_F(ControlHook, ResettingTargetOrControlPutsTheHookBackInOnePlace) {
  LogNulls(form, "form");
  LogNulls(edit, "edit");
  auto* hook = new TProbeHook(form, log);
  hook->SetTarget(THookTarget::htForm);
  EXPECT_EQ(hook->HWndHookTarget(), form->Handle());
  EXPECT_EQ(Nulls(form), (Log{"hook", "form"}));

  // Whatever was put in front of the hook since is dropped: the hook is taken
  // out and put in again, never stacked on itself.
  LogNulls(form, "later");
  EXPECT_EQ(Nulls(form), (Log{"later", "hook", "form"}));
  hook->SetTarget(THookTarget::htForm);
  hook->SetTarget(THookTarget::htForm);
  EXPECT_EQ(Nulls(form), (Log{"hook", "form"}));
  hook->Loaded();
  EXPECT_EQ(Nulls(form), (Log{"hook", "form"}));

  // Another window: the form gets its own procedure back.
  hook->SetTarget(THookTarget::htControl);
  hook->SetControl(edit);
  hook->SetControl(edit);
  EXPECT_EQ(hook->HookTarget(), edit);
  EXPECT_EQ(hook->HWndHookTarget(), edit->Handle());
  EXPECT_EQ(Nulls(form), (Log{"form"}));
  EXPECT_EQ(Nulls(edit), (Log{"hook", "edit"}));

  delete hook;  // while hooked: the procedure is put back
  EXPECT_EQ(Nulls(edit), (Log{"edit"}));
}

TEST_F(ControlHook, HandleStatesThroughARecreation) {
  auto* hook = new TProbeHook(form, log);
  hook->SetTarget(THookTarget::htForm);
  HWND old = form->Handle();
  ASSERT_EQ(hook->HWndHookTarget(), old);

  // The state as it stands after each message of the re-creation.
  std::vector<std::pair<UINT, HWND>> after;
  TWndMethod hooked = form->WindowProc;
  form->WindowProc = [&after, hook, hooked](TMessage& m) {
    hooked(m);
    after.push_back({m.Msg, hook->HWndHookTarget()});
  };
  form->RecreateWnd();
  form->WindowProc = hooked;
  HWND now = form->Handle();
  ASSERT_NE(now, old);

  // old, 0 from the destruction, -1 from the creation, the new handle from
  // the next message on.
  std::vector<HWND> states;
  for (auto& [msg, h] : after)
    if (states.empty() || states.back() != h) states.push_back(h);
  EXPECT_EQ(states, (std::vector<HWND>{old, nullptr, TControlHook::RecreatedMarker(), now}));
  auto at = [&](UINT msg) {
    return std::find_if(after.begin(), after.end(), [msg](auto& p) { return p.first == msg; }) - after.begin();
  };
  const auto created = at(WM_CREATE);
  ASSERT_LT(created + 1, static_cast<std::ptrdiff_t>(after.size()));
  EXPECT_EQ(after[at(WM_DESTROY)].second, nullptr);
  EXPECT_EQ(after[created].second, TControlHook::RecreatedMarker());
  EXPECT_EQ(after[created + 1].second, now);
}

TEST_F(ControlHook, RemovalNoticesLeaveNothingBehind) {
  for (THookTarget kind : {THookTarget::htControl, THookTarget::htForm}) {
    auto* target = new TTestForm;
    auto* hook = new TProbeHook(&root, log);
    hook->SetControl(target);
    hook->SetTarget(kind);
    ASSERT_EQ(hook->HookTarget(), target);
    delete target;
    EXPECT_EQ(hook->HookTarget(), nullptr);
    EXPECT_EQ(hook->HWndHookTarget(), nullptr);
    EXPECT_EQ(hook->Control(), nullptr);  // a control that is gone is not kept
    delete hook;
  }
  // The named control goes while the form that holds it stays hooked.
  LogNulls(form, "form");
  auto* hook = new TProbeHook(form, log);
  hook->SetControl(edit);
  hook->SetTarget(THookTarget::htForm);
  delete edit;
  EXPECT_EQ(hook->Control(), nullptr);
  EXPECT_EQ(hook->HookTarget(), form);
  EXPECT_EQ(Nulls(form), (Log{"hook", "form"}));
}

}  // namespace
