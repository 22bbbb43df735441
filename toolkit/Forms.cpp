#include "toolkit/Forms.h"

#include <commctrl.h>

#include "base/Resolve.h"
#include "base/StartupProfile.h"

#include <algorithm>

namespace tovanel {

namespace {

using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

RECT OuterRect(int clientW, int clientH, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto adjust = Resolve<AdjustForDpiFn>(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
  RECT r{0, 0, clientW, clientH};
  if (adjust)
    adjust(&r, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return r;
}

bool IsOurChild(HWND form, HWND h) { return h && IsChild(form, h); }

}  // namespace

// ---- TForm ----

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->FParent) c = c->FParent;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) { FVisible = false; }

TForm::~TForm() {
  if (FHandle) {
    DestroyWindow(FHandle);
    FHandle = nullptr;
  }
}

void TForm::DescriptionLoaded() {
  TOVANEL_STAGE("window and controls made", Name().c_str());
  for (TComponent* c : std::vector<TComponent*>(Components())) c->Loaded();
  // An error in the creation handler is shown, and the window still comes up.
  if (OnCreate) {
    try {
      OnCreate(this);
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
  }
  TOVANEL_STAGE("creation handler run", Name().c_str());
}

void TForm::SetFontName(const Text& face) {
  if (face == FFontName) return;
  FFontName = face;
  // The fonts of the old face are deleted once the windows hold the new ones.
  const auto oldFonts = std::move(FFonts);
  const auto oldPointFonts = std::move(FPointFonts);
  FFonts.clear();
  FPointFonts.clear();
  if (FHandle && !(oldFonts.empty() && oldPointFonts.empty())) UpdateBounds();
}

HFONT TForm::FormFont() const {
  const UINT dpi = Dpi();
  for (const auto& f : FFonts)
    if (f.first == dpi) return f.second.Get();
  LOGFONTW lf{};
  lf.lfHeight = MulDiv(FontHeight, static_cast<int>(dpi), 96);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = FontCharset;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, W(FFontName), LF_FACESIZE);
  return FFonts.emplace_back(dpi, TFont(CreateFontIndirectW(&lf))).second.Get();
}

HFONT TForm::PointFont(int points) const {
  UINT dpi = Dpi();
  for (auto& f : FPointFonts)
    if (f.first.first == points && f.first.second == dpi) return f.second.Get();
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = FontCharset;
  lstrcpynW(lf.lfFaceName, W(FFontName), LF_FACESIZE);
  HFONT f = CreateFontIndirectW(&lf);
  FPointFonts.emplace_back(std::pair(points, dpi), TFont(f));
  return f;
}

void TForm::CreateParams(TCreateParams& Params) {
  Params.SystemClass = nullptr;
  if (BorderStyle == TBorderStyle::bsSizeToolWin) {
    Params.Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
  } else {
    Params.Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    Params.ExStyle = WS_EX_CONTROLPARENT;
  }
  if (!FEnabled) Params.Style |= WS_DISABLED;
  RECT r = OuterRect(ClientWidth, ClientHeight, Params.Style, Params.ExStyle, 96);
  Params.X = DesignLeft;
  Params.Y = DesignTop;
  Params.W = r.right - r.left;
  Params.H = r.bottom - r.top;
  Params.WndParent = OwnerForm ? OwnerForm->Handle() : nullptr;
  Params.Id = nullptr;
}

void TForm::CreateHandle() {
  FDpiChangedTo = 0;
  TWinControl::CreateHandle();
  // Now that the window knows its monitor, size it for that DPI.
  UINT dpi = Dpi();
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_STYLE));
  DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_EXSTYLE));
  RECT r = OuterRect(MulDiv(ClientWidth, dpi, 96), MulDiv(ClientHeight, dpi, 96), style, ex, dpi);
  // At 96 DPI the window was made at this size already: moving it to the
  // size it has would only lay it out again.
  RECT now{};
  GetWindowRect(FHandle, &now);
  if (now.right - now.left != r.right - r.left || now.bottom - now.top != r.bottom - r.top)
    SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (dpi != 96) UpdateBounds();
  if (Icon) {
    SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
    SendMessageW(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
  }
  // Made with its title; set again only when its creation changed it.
  if (GetText() != FText) SetWindowTextW(FHandle, W(FText));
  TOVANEL_STAGE("window made", Name().c_str());
}

bool TForm::AddToolTip(TWinControl* control, const MSG& mouse) {
  if (!FHandle || !control->HandleAllocated()) return false;
  if (!FToolTip || !IsWindow(FToolTip)) {
    FToolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    // Without a tool tip the control shows no hint, and nothing else changes;
    // the next mouse move tries again.
    if (!FToolTip) return false;
  }
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = FHandle;
  ti.uId = reinterpret_cast<UINT_PTR>(control->Handle());
  ti.lpszText = const_cast<LPWSTR>(W(control->Hint()));
  if (!SendMessageW(FToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) return false;
  // The tool tip sees the later mouse messages itself; this one it is told.
  SendMessageW(FToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&mouse));
  return true;
}

void TForm::RemoveToolTip(TWinControl* control) {
  if (!FToolTip || !IsWindow(FToolTip) || !control->HandleAllocated()) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = FHandle;
  ti.uId = reinterpret_cast<UINT_PTR>(control->Handle());
  SendMessageW(FToolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TForm::HandleException(TComponent* Sender, const std::exception& e) {
  Application().HandleException(Sender, e);
}

void TForm::UpdateBounds() {
  if (!FHandle) return;
  if (HFONT f = FormFont()) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateBounds();
  AlignControls();
  InvalidateRect(FHandle, nullptr, TRUE);
}

// The window's rectangle, or for a minimised window the one it has when
// restored.
RECT TForm::PlacedRect() {
  WINDOWPLACEMENT wp{sizeof wp};
  RECT r{};
  if (IsIconic(Handle()) && GetWindowPlacement(FHandle, &wp)) {
    r = wp.rcNormalPosition;
    // The restored place is kept in work-area coordinates except for tool windows.
    if (!(GetWindowLongPtrW(FHandle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
      MONITORINFO mi{sizeof mi};
      if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &mi))
        OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
    }
  } else {
    GetWindowRect(FHandle, &r);
  }
  return r;
}

int TForm::GetLeft() { return PlacedRect().left; }

int TForm::GetTop() { return PlacedRect().top; }

int TForm::GetOuterWidth() {
  RECT r;
  GetWindowRect(Handle(), &r);
  return r.right - r.left;
}

int TForm::GetOuterHeight() {
  RECT r;
  GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}

void TForm::SetLeft(int v) {
  SetWindowPos(Handle(), nullptr, v, GetTop(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int v) {
  SetWindowPos(Handle(), nullptr, GetLeft(), v, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetOuterWidth(int v) {
  SetWindowPos(Handle(), nullptr, 0, 0, v, GetOuterHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetOuterHeight(int v) {
  SetWindowPos(Handle(), nullptr, 0, 0, GetOuterWidth(), v, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetPlace(int left, int top) {
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetPlace(int left, int top, int outerWidth, int outerHeight) {
  SetWindowPos(Handle(), nullptr, left, top, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::Visible() const { return FHandle && IsWindowVisible(FHandle); }

void TForm::Show() {
  HWND h = Handle();
  if (!IsWindowVisible(h)) {
    // An error in the show handler is shown, and the window still appears.
    if (OnShow) {
      try {
        OnShow(this);
      } catch (const std::exception& e) {
        HandleException(this, e);
      }
    }
    ShowWindow(h, SW_SHOW);
    if (!FShownOnce) {
      FShownOnce = true;
      RestoreFocus();
    }
  }
  if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(h);
}

void TForm::Hide() {
  if (FHandle) ShowWindow(FHandle, SW_HIDE);
}

void TForm::Close() {
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  if (!CanClose) return;
  Hide();
  if (Application().MainForm == this) Application().Terminate();
}

void TForm::RestoreFocus() {
  if (!IsOurChild(FHandle, FFocused) || !IsWindowEnabled(FFocused) || !IsWindowVisible(FFocused))
    FFocused = GetNextDlgTabItem(FHandle, nullptr, FALSE);
  if (FFocused) SetFocus(FFocused);
}

void TForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      if (LOWORD(Message.WParam) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (IsOurChild(FHandle, f)) FFocused = f;
      } else if (!HIWORD(Message.WParam)) {
        RestoreFocus();
        return;
      }
      break;
    case WM_NEXTDLGCTL: {
      // The dialog manager moves the focus this way; a plain window has to
      // do it itself.
      HWND target = LOWORD(Message.LParam) ? reinterpret_cast<HWND>(Message.WParam)
                                           : GetNextDlgTabItem(FHandle, GetFocus(), Message.WParam != 0);
      if (target) {
        SetFocus(target);
        if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
      }
      return;
    }
    case WM_SIZE:
      TWinControl::WndProc(Message);
      AlignControls();
      return;
    case WM_DPICHANGED: {
      // The new resolution as the message names it: on systems without
      // GetDpiForWindow nothing else tells the window's own.
      FDpiChangedTo = LOWORD(Message.WParam);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      SetWindowPos(FHandle, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      UpdateBounds();
      return;
    }
  }
  TWinControl::WndProc(Message);
}

// ---- TApplication ----

TApplication& Application() {
  static TApplication app;
  return app;
}

TApplication::TApplication() : TComponent(nullptr) {
  ShowError = [this](TComponent*, const Text& message) {
    MessageBoxW(GetActiveWindow(), W(message), W(Title), MB_OK | MB_ICONERROR);
  };
}

void TApplication::Initialize() {
  if (FHandle) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  const Text className = TWinControl::ClassPrefix() + u"Application";
  wc.lpszClassName = W(className);
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError(u"ウィンドウ クラスを作成できません");
  // Hidden for good: the main window carries the taskbar button.
  FHandle.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, W(Title), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr));
  if (!FHandle) ThrowLastError(u"ウィンドウを作成できません");
}

bool TApplication::IsDialogMessageOf(MSG& msg) {
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root));
  if (!form || !IsWindowEnabled(root)) return false;
  if (msg.message == WM_SYSCHAR) {
    TMessage m{CN_BASE + WM_SYSCHAR, msg.wParam, msg.lParam, 0};
    form->WindowProc(m);
    if (m.Result) return true;
  }
  return IsDialogMessageW(root, &msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      FTerminated = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (IsDialogMessageOf(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int TApplication::Run() {
  if (MainForm) {
    try {
      MainForm->Show();
      // Painted now, the window and its controls in one pass, rather than
      // one paint message a control through the loop: under Wine each
      // round of the loop costs a call to its server and a copy of the
      // window to the display.
      UpdateWindow(MainForm->Handle());
    } catch (const std::exception& e) {
      HandleException(MainForm, e);
    }
  }
  TOVANEL_STAGE("main window shown");
  MSG msg;
  while (!FTerminated) {
    TOVANEL_STAGE_PAINTED_WHEN_IDLE();
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (IsDialogMessageOf(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  FTerminated = true;
  return 0;
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TComponent* Sender, const std::exception& e) {
  const auto* err = dynamic_cast<const Error*>(&e);
  Text message = err ? err->Message() : FromUtf8(e.what());
  if (ShowError) ShowError(Sender, DisplayedMessage(message));
}

}  // namespace tovanel
