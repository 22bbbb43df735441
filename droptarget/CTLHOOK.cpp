#include "droptarget/CTLHOOK.h"

namespace tovanel {

TControlHook::TControlHook(TComponent* AOwner) : TComponent(AOwner) {}

TControlHook::~TControlHook() { SetHook(false); }

void TControlHook::Loaded() {
  TComponent::Loaded();
  SetControl(FControl);
}

void TControlHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FHookTarget) {
    // The target is going: its procedure is not put back, there is nobody
    // to put it back into.
    TargetChanged(TTargetChange::Gone);
    FHookTarget = nullptr;
  }
  // A named control that is destroyed must not be left behind as a
  // dangling reference.
  if (AComponent == FControl) FControl = nullptr;
}

void TControlHook::SetControl(TWinControl* value) {
  SetHook(false);
  if (FControl && FControl != value) RemoveFreeNotification(FControl);
  FControl = value;
  if (FControl) FreeNotification(FControl);
  SetHook(true);
}

void TControlHook::SetTarget(THookTarget value) {
  SetHook(false);
  FTargetType = value;
  SetHook(true);
}

TForm* TControlHook::FindOwnerForm(TComponent* c) {
  while (c) {
    if (auto* control = dynamic_cast<TControl*>(c)) return control->ParentForm();
    c = c->Owner();
  }
  return nullptr;
}

TWinControl* TControlHook::GetHookTarget() {
  if (FTargetType == THookTarget::htForm) return FindOwnerForm(FControl ? static_cast<TComponent*>(FControl) : this);
  return FControl;
}

void TControlHook::SetHook(bool on) {
  if (Designing()) return;
  if (on) {
    TWinControl* t = GetHookTarget();
    HWND h = t ? t->Handle() : nullptr;
    if (!t || !h) {
      if (FTargetType == THookTarget::htForm) throw Error(u"フック先を特定できません。");
      return;
    }
    FHWndHookTarget = h;
    FHookTarget = t;
    FreeNotification(t);
    FOrgHookWndProc = t->WindowProc;
    t->WindowProc = [this](TMessage& m) { HookWndProc(m); };
  } else if (FHookTarget) {
    FHookTarget->WindowProc = FOrgHookWndProc;
    FHWndHookTarget = nullptr;
    FHookTarget = nullptr;
  }
}

void TControlHook::HookWndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CREATE:
      FHWndHookTarget = RecreatedMarker();
      break;
    case WM_DESTROY:
      TargetChanged(TTargetChange::Gone);
      break;
    default:
      if (FHWndHookTarget == RecreatedMarker() && FHookTarget && FHookTarget->HandleAllocated())
        TargetChanged(TTargetChange::Recreated);
      break;
  }
  HookMessage(Message);
}

void TControlHook::TargetChanged(TTargetChange kind) {
  if (kind == TTargetChange::Gone)
    FHWndHookTarget = nullptr;
  else
    FHWndHookTarget = FHookTarget && FHookTarget->HandleAllocated() ? FHookTarget->Handle() : nullptr;
}

void TControlHook::HookMessage(TMessage& Message) {
  if (FOrgHookWndProc) FOrgHookWndProc(Message);
}

}  // namespace tovanel
