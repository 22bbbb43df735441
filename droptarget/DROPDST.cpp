#include "droptarget/DROPDST.h"

#include "base/Platform.h"
#include "base/Resolve.h"

#include <utility>

namespace tovanel {

namespace {

// Besides the drop itself, the shell hands the names over in global memory
// (0x0049) and may send them as copied data.
constexpr UINT kCopyGlobalData = 0x0049;

// Acceptance is passed as a true value with every bit set; any nonzero value
// means accept.
constexpr BOOL kAcceptWithAllBits = -1;

}  // namespace

DropPlatform DropPlatform::Real() {
  return {Resolve<BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT)>(GetModuleHandleW(L"user32.dll"),
                                                                         "ChangeWindowMessageFilterEx")};
}

TDropDst::TDropDst(TComponent* AOwner) : TControlHook(AOwner) { FAcceptDrop = true; }

TDropDst::~TDropDst() = default;

TDropDst* TDropDst::OnForm(TComponent* form, TFileDropEvent onDrop) {
  auto* target = new TDropDst(form);
  target->SetName(u"DropDst");
  target->OnFileDrop = std::move(onDrop);
  target->SetTarget(THookTarget::htForm);
  return target;
}

void TDropDst::Loaded() {
  TControlHook::Loaded();
  UpdateAcceptDrop();
}

void TDropDst::TargetChanged(TTargetChange kind) {
  TControlHook::TargetChanged(kind);
  UpdateAcceptDrop();
}

void TDropDst::SetAcceptDrop(bool value) {
  if (value == FAcceptDrop) return;
  FAcceptDrop = value;
  UpdateAcceptDrop();
}

void TDropDst::UpdateAcceptDrop() {
  HWND h = FHWndHookTarget;
  if (!h || h == RecreatedMarker() || !IsWindow(h)) return;
  DragAcceptFiles(h, FAcceptDrop ? kAcceptWithAllBits : FALSE);
  // A new window starts with the system's filter again; the filter is this
  // window's alone.
  const auto& allow = Calls<DropPlatform>().changeWindowMessageFilterEx;
  if (FAcceptDrop && allow)
    for (UINT m : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
      allow(h, m, MSGFLT_ALLOW, nullptr);
}

void TDropDst::HookMessage(TMessage& Message) {
  if (Message.Msg != WM_DROPFILES) {
    TControlHook::HookMessage(Message);
    return;
  }
  auto hDrop = reinterpret_cast<HDROP>(Message.WParam);
  try {
    DoFileDrop(hDrop);
  } catch (const std::exception& e) {
    Application().HandleException(this, e);
  }
  DragFinish(hDrop);
  Message.Result = 0;
}

void TDropDst::DoFileDrop(HDROP hDrop) {
  if (!OnFileDrop) return;
  std::vector<Text> files;
  UINT n = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    // Asked for its length first, so that a name of any length arrives whole.
    UINT len = DragQueryFileW(hDrop, i, nullptr, 0);
    if (len == 0) continue;  // no file has an empty name
    Text name(len + 1, u'\0');
    DragQueryFileW(hDrop, i, W(name), len + 1);
    name.resize(name.find(u'\0') == Text::npos ? name.size() : name.find(u'\0'));
    files.push_back(std::move(name));
  }
  POINT pt{0, 0};
  DragQueryPoint(hDrop, &pt);
  OnFileDrop(this, files, pt.x, pt.y);
}

}  // namespace tovanel
