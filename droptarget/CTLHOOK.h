#pragma once
// TControlHook: watches the message traffic of one window (a form or a
// windowed control) by standing in for its message procedure, and follows
// the window's handle when the toolkit destroys and re-creates it.
#include <cstdint>

#include "toolkit/Forms.h"

namespace tovanel {

enum class THookTarget : std::uint8_t { htControl = 0, htForm = 1 };

// What happened to the hooked window: gone, or made anew with a handle to read.
enum class TTargetChange : std::uint8_t { Gone = 1, Recreated = 2 };

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

  // The window hooked now, and its handle as last seen: null for none, the
  // marker while the window is made anew and its handle still to be read.
  TWinControl* HookTarget() const { return FHookTarget; }
  HWND HWndHookTarget() const { return FHWndHookTarget; }
  static constexpr intptr_t kRecreatedHandle = -1;
  static HWND RecreatedMarker() { return reinterpret_cast<HWND>(kRecreatedHandle); }

  static TForm* FindOwnerForm(TComponent* c);

 protected:
  virtual void TargetChanged(TTargetChange kind);
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
