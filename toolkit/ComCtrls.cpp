#include "toolkit/ComCtrls.h"

#include <algorithm>
#include <string>

#include "toolkit/Colors.h"

namespace tovanel {

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

// Each bar numbers its buttons' commands from here. Buttons are no windows:
// their clicks come as WM_COMMAND from the bar, and these ids keep clear of
// the dialog manager's IDOK and IDCANCEL and of the control ids.
constexpr int kFirstCommandId = 1000;

}  // namespace

// ---- TImageList ----

HIMAGELIST TImageList::Handle(UINT dpi) {
  FollowColors();
  for (auto& l : FLists)
    if (l.first == dpi) return l.second.Get();
  FLists.emplace_back(dpi, Draw(dpi, 0, static_cast<int>(Images.size())));
  return FLists.back().second.Get();
}

HIMAGELIST TImageList::SingleHandle(UINT dpi, int index) {
  if (index < 0 || index >= static_cast<int>(Images.size())) return nullptr;
  FollowColors();
  for (auto& l : FSingles)
    if (l.first == std::make_pair(dpi, index)) return l.second.Get();
  FSingles.emplace_back(std::pair(dpi, index), Draw(dpi, index, 1));
  return FSingles.back().second.Get();
}

void TImageList::FollowColors() {
  const std::pair colors(SysColor(COLOR_BTNFACE), SysColor(COLOR_BTNTEXT));
  if (colors == FColors) return;
  FColors = colors;
  // Drawn again in place: toolbars and buttons hold these handles.
  for (auto& l : FLists) DrawInto(l.second.Get(), l.first, 0, static_cast<int>(Images.size()));
  for (auto& l : FSingles) DrawInto(l.second.Get(), l.first.first, l.first.second, 1);
}

TImageListHandle TImageList::Draw(UINT dpi, int first, int count) {
  const int size = MulDiv(Size, static_cast<int>(dpi), 96);
  TImageListHandle list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0));
  DrawInto(list.Get(), dpi, first, count);
  return list;
}

void TImageList::DrawInto(HIMAGELIST list, UINT dpi, int first, int count) {
  const int size = MulDiv(Size, static_cast<int>(dpi), 96);
  ImageList_RemoveAll(list);
  const TWindowDC screen(nullptr);
  const TMemoryDC dc(CreateCompatibleDC(screen.Get()));
  const TBrush back(CreateSolidBrush(kTransparent));
  for (int i = first; i < first + count; ++i) {
    const TBitmap bmp(CreateCompatibleBitmap(screen.Get(), size, size));
    {
      const TSelection drawn(dc.Get(), bmp.Get());
      RECT r{0, 0, size, size};
      FillRect(dc.Get(), &r, back.Get());
      // A painter that fails leaves nothing behind: its error goes on.
      if (const TImagePainter& paint = Images[static_cast<std::size_t>(i)]) paint(dc.Get(), size);
    }
    ImageList_AddMasked(list, bmp.Get(), kTransparent);
  }
}

// ---- TToolButton ----

void TToolButton::SetEnabled(bool value) {
  // The bar draws a button anew at each state it is given; most are the same.
  if (value == Enabled()) return;
  TControl::SetEnabled(value);
  if (Parent() && Parent()->HandleAllocated())
    SendMessageW(Parent()->Handle(), TB_ENABLEBUTTON, static_cast<WPARAM>(FId), MAKELPARAM(value ? TRUE : FALSE, 0));
}

void TToolButton::Click() {
  if (OnClick) OnClick(this);
}

char16_t TToolButton::Accelerator() const {
  for (std::size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] == u'&') {
      if (Caption[i + 1] != u'&') return Caption[i + 1];
      ++i;
    }
  }
  return 0;
}

// ---- TToolBar ----

std::vector<TToolButton*> TToolBar::Buttons() const {
  std::vector<TToolButton*> out;
  for (TControl* c : Controls())
    if (auto* b = dynamic_cast<TToolButton*>(c)) out.push_back(b);
  return out;
}

TToolButton* TToolBar::AddButton(TComponent* owner, const char16_t* name, const char16_t* caption, int imageIndex) {
  auto* b = new TToolButton(owner);
  b->SetName(name);
  b->ImageIndex = imageIndex;
  if (caption) {
    b->Caption = caption;
  } else {
    b->Style = TToolButtonStyle::tbsSeparator;
    b->SetBounds(0, 0, kSeparatorWidth, 0);
  }
  b->SetParent(this);
  return b;
}

void TToolBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SystemClass = TOOLBARCLASSNAMEW;
  // Not TBSTYLE_WRAPABLE: the platform's wrapping drops the buttons' own
  // row breaks, so WrapRows lays the rows out instead.
  Params.Style |= TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP;
}

void TToolBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // Captions beside images for every button, not only those asking for it.
  SendMessageW(FHandle, TB_SETEXTENDEDSTYLE, 0, 0);
  if (Images) {
    HIMAGELIST list = Images->Handle(Dpi());
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    SendMessageW(FHandle, TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
    SendMessageW(FHandle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
  } else {
    SendMessageW(FHandle, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
  }
  std::vector<TBBUTTON> tb;
  int id = kFirstCommandId;
  for (TToolButton* b : Buttons()) {
    b->FId = id++;
    TBBUTTON t{};
    t.idCommand = b->FId;
    if (b->Style == TToolButtonStyle::tbsSeparator) {
      t.fsStyle = BTNS_SEP;
      t.iBitmap = Scale(b->Width() ? b->Width() : kSeparatorWidth);
    } else {
      t.fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT | (ButtonWidth ? 0 : BTNS_AUTOSIZE);
      t.iBitmap = Images ? b->ImageIndex : I_IMAGENONE;
      t.iString = reinterpret_cast<INT_PTR>(W(b->Caption));
    }
    t.fsState = static_cast<BYTE>((b->Enabled() ? TBSTATE_ENABLED : 0) | (b->Wrap ? TBSTATE_WRAP : 0));
    tb.push_back(t);
  }
  if (ButtonWidth) {
    SendMessageW(FHandle, TB_SETBUTTONWIDTH, 0, MAKELPARAM(Scale(ButtonWidth), Scale(ButtonWidth)));
  }
  SendMessageW(FHandle, TB_ADDBUTTONSW, tb.size(), reinterpret_cast<LPARAM>(tb.data()));
  SendMessageW(FHandle, TB_SETBUTTONSIZE, 0,
               MAKELPARAM(ButtonWidth ? Scale(ButtonWidth) : 0, Scale(ButtonHeight)));
  SendMessageW(FHandle, TB_AUTOSIZE, 0, 0);
  WrapRows();
  FitHeight();
}

void TToolBar::WrapRows() {
  // A bar that does not wrap keeps the breaks its buttons were made with.
  if (!Wrapable) return;
  const std::vector<TToolButton*> buttons = Buttons();
  const std::size_t n = buttons.size();
  // A row ends after a button that asks for it, and before a button that
  // would cross the bar's right edge (not before the first of a row).
  std::vector<bool> wrap(n, false);
  RECT client;
  GetClientRect(FHandle, &client);
  int x = 0;
  for (std::size_t i = 0; i < n; ++i) {
    RECT r{};
    SendMessageW(FHandle, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    const int w = r.right - r.left;
    if (buttons[i]->Style != TToolButtonStyle::tbsSeparator && x > 0 && x + w > client.right) {
      wrap[i - 1] = true;
      x = 0;
    }
    x += w;
    if (buttons[i]->Wrap) x = 0;
  }
  for (std::size_t i = 0; i < n; ++i) {
    TToolButton* b = buttons[i];
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STATE;
    const auto id = static_cast<WPARAM>(b->FId);
    if (!SendMessageW(FHandle, TB_GETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info))) continue;
    const bool breaks = b->Wrap || wrap[i];
    const auto wanted = static_cast<BYTE>(breaks ? info.fsState | TBSTATE_WRAP : info.fsState & ~TBSTATE_WRAP);
    if (wanted == info.fsState) continue;
    // Set as button information, which lays the bar out again (a state
    // change alone does not everywhere).
    info.fsState = wanted;
    SendMessageW(FHandle, TB_SETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
  }
}

void TToolBar::FitHeight() {
  // The bar is as high as its rows.
  int bottom = 0;
  int n = static_cast<int>(SendMessageW(FHandle, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    RECT r;
    if (SendMessageW(FHandle, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      bottom = std::max(bottom, static_cast<int>(r.bottom));
  }
  if (bottom <= 0) return;
  RECT wr;
  GetWindowRect(FHandle, &wr);
  if (wr.bottom - wr.top != bottom) {
    SetWindowPos(FHandle, nullptr, 0, 0, wr.right - wr.left, bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (FParent) FParent->AlignControls();
  }
}

void TToolBar::UpdateBounds() {
  // Images and button sizes depend on the DPI: build the bar anew.
  RecreateWnd();
}

void TToolBar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      for (TToolButton* b : Buttons())
        if (b->FId == LOWORD(Message.WParam) && b->Enabled()) {
          b->Click();
          break;
        }
      return;
    case CN_BASE + WM_SYSCHAR: {
      auto upper = [](WPARAM c) {
        // CharUpperW takes a single character in the low word of the pointer.
        return reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c & 0xFFFF))));
      };
      UINT_PTR ch = upper(Message.WParam);
      for (TToolButton* b : Buttons()) {
        char16_t a = b->Accelerator();
        if (a && upper(a) == ch) {
          if (b->Enabled() && IsWindowVisible(FHandle)) {
            b->Click();
            Message.Result = 1;
          }
          return;
        }
      }
      return;
    }
    case WM_SIZE:
      TWinControl::WndProc(Message);
      WrapRows();
      FitHeight();
      return;
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      // The list draws its images anew for the new colours when asked.
      if (Images) Images->Handle(Dpi());
      TWinControl::WndProc(Message);
      InvalidateRect(FHandle, nullptr, TRUE);
      return;
  }
  TWinControl::WndProc(Message);
}

// ---- TStatusBar ----

void TStatusBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SystemClass = STATUSCLASSNAMEW;
  Params.Style |= CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_BOTTOM;
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, SB_SIMPLE, TRUE, 0);
  // Drawn by us so that "&" shows as it stands.
  SendMessageW(FHandle, SB_SETTEXTW, SB_SIMPLEID | SBT_OWNERDRAW, 0);
}

void TStatusBar::SetSimpleText(const Text& value) {
  if (value == FSimpleText) return;
  FSimpleText = value;
  if (FHandle) {
    InvalidateRect(FHandle, nullptr, TRUE);
    // A screen reader that follows the bar reads it again.
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, FHandle, OBJID_CLIENT, CHILDID_SELF);
  }
}

namespace {

// Copies text and a terminator into a buffer of `room` units (all of the text
// when room is unknown); returns the units copied.
template <class Char>
std::size_t CopyOut(const std::basic_string<Char>& text, Char* to, std::size_t room) {
  if (!to || room == 0) return 0;
  const std::size_t n = std::min(text.size(), room - 1);
  std::copy_n(text.data(), n, to);
  to[n] = Char{};
  return n;
}

std::string AnsiText(const Text& text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

void TStatusBar::WndProc(TMessage& Message) {
  // The bar draws its text itself, so the platform holds none: whoever reads
  // it (another program, a screen reader) is replied to here, as a plain text
  // part (no type flags in the high word).
  constexpr std::size_t kRoomUnknown = static_cast<std::size_t>(-1);
  switch (Message.Msg) {
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FSimpleText.size());
      return;
    case WM_GETTEXT:
      Message.Result = static_cast<LRESULT>(
          CopyOut(FSimpleText, reinterpret_cast<char16_t*>(Message.LParam), static_cast<std::size_t>(Message.WParam)));
      return;
    case SB_GETTEXTLENGTHW:
      Message.Result = MAKELONG(static_cast<WORD>(std::min<std::size_t>(FSimpleText.size(), 0xFFFF)), 0);
      return;
    case SB_GETTEXTW:
      Message.Result = MAKELONG(
          static_cast<WORD>(CopyOut(FSimpleText, reinterpret_cast<char16_t*>(Message.LParam), kRoomUnknown)), 0);
      return;
    case SB_GETTEXTLENGTHA:
      Message.Result = MAKELONG(static_cast<WORD>(std::min<std::size_t>(AnsiText(FSimpleText).size(), 0xFFFF)), 0);
      return;
    case SB_GETTEXTA:
      Message.Result = MAKELONG(
          static_cast<WORD>(CopyOut(AnsiText(FSimpleText), reinterpret_cast<char*>(Message.LParam), kRoomUnknown)), 0);
      return;
    case CN_BASE + WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      RECT r = d->rcItem;
      r.left += Scale(2);
      SetBkMode(d->hDC, TRANSPARENT);
      // The bar stands on the button face.
      SetTextColor(d->hDC, SysColor(TextColorFor(COLOR_BTNFACE)));
      const TSelection font(d->hDC, GetFont());
      DrawTextW(d->hDC, W(FSimpleText), static_cast<int>(FSimpleText.size()), &r,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      Message.Result = TRUE;
      return;
    }
  }
  TWinControl::WndProc(Message);
}

}  // namespace tovanel
