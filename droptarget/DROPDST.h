#pragma once
// TDropDst: registers the hooked window as a target of shell file drops and
// turns each drop into one OnFileDrop event with the names and the point.
#include "droptarget/CTLHOOK.h"

#include <shellapi.h>

#include <vector>

namespace tovanel {

using TFileDropEvent =
    std::function<void(TComponent* Sender, const std::vector<Text>& Files, int X, int Y)>;

// The call that lets a message from a less privileged process (the ordinary
// Explorer, when this program runs as administrator) reach a window, which
// the system's privilege isolation otherwise drops; empty before Windows 7.
// Tests record it.
struct DropPlatform {
  std::function<BOOL(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT)> changeWindowMessageFilterEx;

  static DropPlatform Real();
};

class TDropDst : public TControlHook {
 public:
  explicit TDropDst(TComponent* AOwner);
  ~TDropDst() override;
  // The usual target: named "DropDst", hooked on the owner form, raising
  // onDrop. Setting the target makes the form's window.
  static TDropDst* OnForm(TComponent* form, TFileDropEvent onDrop);

  TFileDropEvent OnFileDrop;
  bool AcceptDrop() const { return FAcceptDrop; }
  void SetAcceptDrop(bool value);

  void Loaded() override;

 protected:
  void TargetChanged(TTargetChange kind) override;
  void HookMessage(TMessage& Message) override;
  void UpdateAcceptDrop();
  void DoFileDrop(HDROP hDrop);

 private:
  bool FAcceptDrop = true;
};

}  // namespace tovanel
