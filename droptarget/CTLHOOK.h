#pragma once
// TControlHook: watches the message traffic of one window (a form or a
// windowed control) by standing in for its message procedure, and follows
// the window's handle when the toolkit destroys and re-creates it.
#include <cstdint>

#include "toolkit/Forms.h"

namespace tovanel {

enum class THookTarget : std::uint8_t { htControl = 0, htForm = 1 };

class TControlHook : public TComponent {
 public:
  explicit TControlHook(TComponent* AOwner);
  ~TControlHook() override;

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TWinControl* Control() const { return FControl; }
  void SetControl(TWinControl* value);
  THookTarget Target() const { return FTargetType; }
  void SetTarget(THookTarget value);

  // The window hooked now, and its handle as last seen (0 none, -1 made
  // anew and still to be read).
  TWinControl* HookTarget() const { return FHookTarget; }
  HWND HWndHookTarget() const { return FHWndHookTarget; }
  static HWND RecreatedMarker() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-1)); }

  static TForm* FindOwnerForm(TComponent* c);

 protected:
  // kind 1: the target's window is gone; any other: read its handle again.
  virtual void TargetChanged(std::uint8_t kind);
  virtual void HookMessage(TMessage& Message);
  TWinControl* GetHookTarget();
  void SetHook(bool on);
  void HookWndProc(TMessage& Message);

  THookTarget FTargetType = THookTarget::htControl;
  TWinControl* FControl = nullptr;
  TWinControl* FHookTarget = nullptr;
  HWND FHWndHookTarget = nullptr;
  TWndMethod FOrgHookWndProc;
};

}  // namespace tovanel
