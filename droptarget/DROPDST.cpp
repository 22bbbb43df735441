#include "droptarget/DROPDST.h"

#include "base/Resolve.h"

namespace tovanel {

namespace {

// Besides the drop itself, the shell hands the names over in global memory
// (0x0049) and may send them as copied data.
constexpr UINT kCopyGlobalData = 0x0049;

// Acceptance is passed as a true value with every bit set; any nonzero value
// means accept.
constexpr BOOL kAcceptWithAllBits = -1;

void AllowFromBelow(HWND window, UINT message) {
  // Windows 7 and later; for this window alone.
  using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
  static const auto change = Resolve<ChangeFilterFn>(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
  if (change) change(window, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace

std::function<void(HWND, UINT)> AllowMessageFromBelow = AllowFromBelow;

TDropDst::TDropDst(TComponent* AOwner) : TControlHook(AOwner) { FAcceptDrop = true; }

TDropDst::~TDropDst() = default;

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
  // A new window starts with the system's filter again.
  if (FAcceptDrop && AllowMessageFromBelow)
    for (UINT m : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
      AllowMessageFromBelow(h, m);
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
