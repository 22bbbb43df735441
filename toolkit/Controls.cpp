#include "toolkit/Controls.h"

#include <algorithm>
#include <map>
#include <string>

#include "base/Error.h"
#include "base/Handles.h"
#include "base/Platform.h"
#include "base/Resolve.h"
#include "names/Wow64.h"
#include "toolkit/Accessible.h"
#include "toolkit/Colors.h"

namespace tovanel {

LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

namespace {

// The control whose window CreateWindowExW is making; the window procedure
// binds the new window to it at the first message (for a top-level window
// that is WM_GETMINMAXINFO, before WM_NCCREATE).
thread_local TWinControl* gCreating = nullptr;

// Child windows are numbered from here on: ids 1 and 2 mean OK and Cancel to
// the dialog manager.
constexpr UINT kFirstControlId = 100;

Text& Prefix() {
  static Text prefix = u"Toolkit.";
  return prefix;
}

struct ClassInfo {
  Text name;
  WNDPROC defProc;
};

// Our superclass of a system class (or our own plain class for nullptr).
const ClassInfo& RegisteredClass(const wchar_t* systemClass) {
  static std::map<Text, ClassInfo> classes;
  Text name = Prefix() + (systemClass ? FromW(systemClass) : Text(u"Window"));
  auto it = classes.find(name);
  if (it != classes.end()) return it->second;

  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  ClassInfo info;
  if (systemClass) {
    if (!GetClassInfoExW(nullptr, systemClass, &wc)) ThrowLastError(u"ウィンドウ クラスを作成できません");
    info.defProc = wc.lpfnWndProc;
  } else {
    wc.style = CS_DBLCLKS;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    info.defProc = DefWindowProcW;
  }
  info.name = name;
  wc.hInstance = inst;
  wc.lpfnWndProc = ControlWndProc;
  wc.lpszClassName = W(info.name);
  wc.style &= ~CS_GLOBALCLASS;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError(u"ウィンドウ クラスを作成できません");
  return classes.emplace(std::move(name), std::move(info)).first->second;
}

}  // namespace

DpiPlatform DpiPlatform::Real() {
  // Resolved at the first use: user32 is loaded already. shcore is loaded
  // (with redirection in force) only where GetDpiForWindow is missing, the
  // one case that asks it, so start-up on Windows 10 and 11 loads nothing.
  DpiPlatform calls{Resolve<UINT(WINAPI*)(HWND)>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow"), nullptr};
  if (!calls.getDpiForWindow)
    calls.getDpiForMonitor =
        FunctionAs<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(SystemFunction(u"shcore.dll", "GetDpiForMonitor"));
  return calls;
}

UINT WindowDpi(HWND hwnd) {
  const DpiPlatform& f = Calls<DpiPlatform>();
  UINT dpi = 0;
  if (hwnd && f.getDpiForWindow) {
    dpi = f.getDpiForWindow(hwnd);
  } else if (hwnd && f.getDpiForMonitor) {
    // Windows 8.1 and 10 before 1607: the monitor's effective resolution,
    // which a window aware of each monitor's resolution takes.
    UINT y = 0;
    const HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (FAILED(f.getDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpi, &y))) dpi = 0;
  }
  if (!dpi) {
    const TWindowDC screen(nullptr);
    dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen.Get(), LOGPIXELSY)) : 96;
  }
  return dpi ? dpi : 96;
}

LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!control && gCreating) {
    control = gCreating;
    gCreating = nullptr;
    control->FHandle = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  }
  if (!control) {
    // A window of our class made by no control of ours.
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  TMessage m{msg, wp, lp, 0};
  try {
    control->WindowProc(m);
  } catch (const std::exception& e) {
    // C++ errors must not unwind through the platform's frames.
    control->HandleException(control, e);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (control->FHandle == hwnd) control->FHandle = nullptr;
  }
  return m.Result;
}

// ---- TControl ----

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TControl::SetEnabled(bool value) { FEnabled = value; }

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
}

TWinControl::~TWinControl() {
  // Children leave first so that none refers back to this control.
  while (!FControls.empty()) FControls.back()->SetParent(nullptr);
  // As any window that goes: the tool tip forgets it too.
  TWinControl::DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  wchar_t name[257];  // a class name has at most 256 characters
  const int n = GetClassNameW(hwnd, name, 257);
  if (n <= 0 || !FromW(name, static_cast<std::size_t>(n)).starts_with(Prefix())) return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

const Text& TWinControl::ClassPrefix() { return Prefix(); }

void TWinControl::SetClassPrefix(Text prefix) { Prefix() = std::move(prefix); }

void TWinControl::InsertControl(TControl* c) {
  FControls.push_back(c);
  c->FParent = this;
  if (FHandle)
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      w->Handle();
      if (c->Align != TAlign::alNone) AlignControls();
    }
}

void TWinControl::RemoveControl(TControl* c) {
  if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  FControls.erase(std::remove(FControls.begin(), FControls.end(), c), FControls.end());
  c->FParent = nullptr;
}

HWND TWinControl::Handle() {
  if (!FHandle) CreateHandle();
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.X = Scale(FLeft);
  Params.Y = Scale(FTop);
  Params.W = Scale(FWidth);
  Params.H = Scale(FHeight);
  if (FParent) Params.WndParent = FParent->Handle();
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (!FVisible) Params.Style &= ~WS_VISIBLE;
}

void TWinControl::CreateHandle() {
  if (FParent) FParent->Handle();  // parents first
  if (FHandle) return;             // the parent's creation made this one too
  TCreateParams p;
  CreateParams(p);
  const ClassInfo& cls = RegisteredClass(p.SystemClass);
  FDefWndProc = cls.defProc;
  static UINT nextId = kFirstControlId;
  if ((p.Style & WS_CHILD) && !p.Id) p.Id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId++));
  gCreating = this;
  HWND h = CreateWindowExW(p.ExStyle, W(cls.name), W(FText), p.Style, p.X, p.Y, p.W, p.H, p.WndParent, p.Id,
                           GetModuleHandleW(nullptr), nullptr);
  gCreating = nullptr;
  if (!h) ThrowLastError(u"ウィンドウを作成できません");
  FHandle = h;
  CreateWnd();
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->Handle();
  AlignControls();
}

void TWinControl::CreateWnd() {
  if (HFONT f = GetFont()) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FText = GetText();
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  if (FHintShown && FParent) FParent->RemoveToolTip(this);
  FHintShown = false;
  DestroyWindow(FHandle);
  FHandle = nullptr;
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  CreateHandle();
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) return;
  Message.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, Message.Msg, Message.WParam,
                                   Message.LParam);
}

LRESULT TWinControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WindowProc(m);
  return m.Result;
}

void TWinControl::ReflectToChild(TMessage& Message, HWND child, UINT cn) {
  TWinControl* c = FromHandle(child);
  if (c && c != this) {
    TMessage r{cn, Message.WParam, Message.LParam, 0};
    c->WindowProc(r);
    Message.Result = r.Result;
    if (cn == CN_CTLCOLOR && !r.Result) DefaultHandler(Message);
  } else {
    DefaultHandler(Message);
  }
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COMMAND:
      if (Message.LParam) return ReflectToChild(Message, reinterpret_cast<HWND>(Message.LParam), CN_COMMAND);
      break;
    case WM_NOTIFY:
      return ReflectToChild(Message, reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom, CN_NOTIFY);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return ReflectToChild(Message, reinterpret_cast<HWND>(Message.LParam), CN_CTLCOLOR);
    case WM_ERASEBKGND:
      if (!FDefWndProc || FDefWndProc == DefWindowProcW) {
        RECT r;
        GetClientRect(FHandle, &r);
        FillRect(reinterpret_cast<HDC>(Message.WParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        Message.Result = 1;
        return;
      }
      break;
    case WM_DRAWITEM:
      if (Message.WParam)  // 0 means a menu
        return ReflectToChild(Message, reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hwndItem,
                              CN_BASE + WM_DRAWITEM);
      break;
    case CN_BASE + WM_SYSCHAR:
      // An Alt+letter the dialog manager does not know of (toolbar buttons
      // are no windows): offered to every child until one takes it.
      for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FHandle && IsWindowVisible(w->FHandle)) {
          w->WindowProc(Message);
          if (Message.Result) return;
        }
      return;
    case WM_MOUSEMOVE:
      // The hint's tool tip is made when the mouse first comes by, which
      // spares start-up a window that most runs never show.
      if (ShowHint && !FHint.empty() && !FHintShown && FParent) {
        const MSG mouse{FHandle, Message.Msg, Message.WParam, Message.LParam, static_cast<DWORD>(GetMessageTime()), {}};
        FHintShown = FParent->AddToolTip(this, mouse);
      }
      break;
    case WM_GETOBJECT:
      // A screen reader asks for the first time: the control's name goes to
      // the platform's accessibility now, never at start-up.
      if (!FNameOffered && !AccessibleName.empty() &&
          static_cast<LONG>(static_cast<DWORD>(Message.LParam)) == OBJID_CLIENT) {
        FNameOffered = true;
        FNameGiven = Calls<AccessiblePlatform>().setHwndPropStr(FHandle, AccessibleName);
      }
      break;
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      if (!FParent) SpreadColorChange(FHandle, Message.Msg);
      break;
    case WM_DESTROY:
      FText = GetText();
      FHintShown = false;
      if (FNameGiven) Calls<AccessiblePlatform>().clearHwndProps(FHandle);
      FNameOffered = FNameGiven = false;
      break;
  }
  DefaultHandler(Message);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle) UpdateBounds();
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  if (FParent)
    SetWindowPos(FHandle, nullptr, Scale(FLeft), Scale(FTop), Scale(FWidth), Scale(FHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (HFONT f = GetFont()) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateBounds();
  AlignControls();
}

void TWinControl::AlignControls() {
  if (!FHandle) return;
  // A control that changes its own size while being placed (a toolbar
  // wrapping its rows) asks again: the places after it are then made anew.
  if (FAligning) {
    FRealign = true;
    return;
  }
  FAligning = true;
  for (int pass = 0; pass < 4; ++pass) {
    FRealign = false;
    AlignOnce();
    if (!FRealign) break;
  }
  FAligning = false;
}

RECT TWinControl::AlignRect() {
  RECT r;
  GetClientRect(FHandle, &r);
  return r;
}

void TWinControl::AlignOnce() {
  // Edge by edge, as the space is handed out: the top controls from the top
  // down, the bottom ones from the bottom up, left ones from the left, right
  // ones from the right, then the one that takes what is left.
  struct Placed {
    TWinControl* w;
    int key;
  };
  std::vector<Placed> order;
  for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    const std::size_t first = order.size();
    for (TControl* c : FControls) {
      auto* w = dynamic_cast<TWinControl*>(c);
      if (!w || !w->FHandle || c->Align != a) continue;
      const int key = a == TAlign::alTop      ? c->FTop
                      : a == TAlign::alBottom ? -(c->FTop + c->FHeight)
                      : a == TAlign::alLeft   ? c->FLeft
                      : a == TAlign::alRight  ? -(c->FLeft + c->FWidth)
                                              : 0;
      order.push_back({w, key});
    }
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(first), order.end(),
                     [](const Placed& x, const Placed& y) { return x.key < y.key; });
  }
  RECT r = AlignRect();
  for (const Placed& p : order) {
    HWND h = p.w->FHandle;
    RECT wr;
    GetWindowRect(h, &wr);
    const int height = wr.bottom - wr.top, width = wr.right - wr.left;
    switch (p.w->Align) {
      case TAlign::alTop:
        MoveWindow(h, r.left, r.top, r.right - r.left, height, TRUE);
        r.top += height;
        break;
      case TAlign::alBottom:
        MoveWindow(h, r.left, r.bottom - height, r.right - r.left, height, TRUE);
        r.bottom -= height;
        break;
      case TAlign::alLeft:
        MoveWindow(h, r.left, r.top, width, r.bottom - r.top, TRUE);
        r.left += width;
        break;
      case TAlign::alRight:
        MoveWindow(h, r.right - width, r.top, width, r.bottom - r.top, TRUE);
        r.right -= width;
        break;
      case TAlign::alClient:
        MoveWindow(h, r.left, r.top, std::max(0L, r.right - r.left), std::max(0L, r.bottom - r.top), TRUE);
        break;
      case TAlign::alNone:
        break;
    }
  }
}

void TWinControl::SetEnabled(bool value) {
  TControl::SetEnabled(value);
  if (FHandle) EnableWindow(FHandle, value);
}

Text TWinControl::GetText() const {
  if (!FHandle) return FText;
  int n = GetWindowTextLengthW(FHandle);
  Text s(static_cast<std::size_t>(std::max(n, 0)) + 1, u'\0');
  int got = GetWindowTextW(FHandle, W(s), n + 1);
  s.resize(static_cast<std::size_t>(std::max(got, 0)));
  return s;
}

void TWinControl::SetText(const Text& value) {
  FText = value;
  if (FHandle) SetWindowTextW(FHandle, W(FText));
}

UINT TWinControl::Dpi() const {
  const TControl* c = this;
  while (c->Parent()) c = c->Parent();
  auto* top = static_cast<const TWinControl*>(c);
  if (top->FHandle && top->FDpiChangedTo) return top->FDpiChangedTo;
  return top->FHandle ? WindowDpi(top->FHandle) : WindowDpi(nullptr);
}

int TWinControl::Scale(int designPixels) const { return MulDiv(designPixels, static_cast<int>(Dpi()), 96); }

HFONT TWinControl::GetFont() const { return FParent ? FParent->GetFont() : nullptr; }

HFONT TWinControl::PointFont(int points) const { return FParent ? FParent->PointFont(points) : nullptr; }

bool TWinControl::AddToolTip(TWinControl* control, const MSG& mouse) {
  return FParent ? FParent->AddToolTip(control, mouse) : false;
}

void TWinControl::RemoveToolTip(TWinControl* control) {
  if (FParent) FParent->RemoveToolTip(control);
}

void TWinControl::HandleException(TComponent* Sender, const std::exception& e) {
  if (FParent) return FParent->HandleException(Sender, e);
  OutputDebugStringW(W(FromUtf8(e.what())));
}

}  // namespace tovanel
