#include "toolkit/StdCtrls.h"

#include "base/Error.h"
#include "base/TextMeasure.h"
#include "toolkit/Colors.h"
#include "toolkit/ComCtrls.h"

namespace tovanel {

namespace {

// Design lengths, at 96 DPI.
// The frame's line runs this far inside the group box's edges.
constexpr int kFrameEdge = 2;
// The radio items: where the first column starts, what the columns leave
// free across the group (that start and 2 on the right), and what is left
// below the last row.
constexpr int kItemsLeft = 8;
constexpr int kItemsAcross = kItemsLeft + 2;
constexpr int kItemsBelow = 5;

// The items' ids count from here. They are the group's own children, so they
// only need to keep away from IDOK and IDCANCEL (1 and 2), which the dialog
// manager sends for Enter and Esc.
constexpr UINT kFirstItemId = 200;

// Text in the colour that belongs to its background, so that it stays
// readable in every palette.
LRESULT ColorDC(HDC dc, int sysColor, bool enabled) {
  SetBkColor(dc, SysColor(sysColor));
  SetTextColor(dc, SysColor(enabled ? TextColorFor(sysColor) : COLOR_GRAYTEXT));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(sysColor));
}

void FillBackground(HWND h, HDC dc) {
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

// ---- TGroupBox ----

void TGroupBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SystemClass = L"BUTTON";
  Params.Style |= BS_GROUPBOX;
  Params.ExStyle |= WS_EX_CONTROLPARENT;
}

RECT TGroupBox::AlignRect() {
  RECT r = TWinControl::AlignRect();
  const int edge = Scale(kFrameEdge);
  r.left += edge;
  r.right -= edge;
  r.bottom -= edge;
  // The caption line: its characters and the frame's edge below them, so it
  // grows with the font (14 at 96 DPI for the forms' 12-pixel characters).
  r.top += CharacterHeight(GetFont()) + edge;
  return r;
}

void TGroupBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      // The system frame leaves its inside unpainted.
      FillBackground(FHandle, reinterpret_cast<HDC>(Message.WParam));
      Message.Result = 1;
      return;
    case CN_CTLCOLOR:
      Message.Result = ColorDC(reinterpret_cast<HDC>(Message.WParam), COLOR_BTNFACE, IsWindowEnabled(FHandle));
      return;
  }
  TWinControl::WndProc(Message);
}

// ---- TButton ----

void TButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SystemClass = L"BUTTON";
  Params.Style |= BS_PUSHBUTTON | WS_TABSTOP;
}

void TButton::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyImage();
}

void TButton::UpdateBounds() {
  TWinControl::UpdateBounds();
  ApplyImage();
}

void TButton::ApplyImage() {
  if (!FHandle || !Images || ImageIndex < 0) return;
  // The list may go before this button's window: then the image goes too.
  FreeNotification(Images);
  BUTTON_IMAGELIST bil{Images->SingleHandle(Dpi(), ImageIndex), {Scale(2), 0, Scale(2), 0},
                       BUTTON_IMAGELIST_ALIGN_LEFT};
  if (bil.himl) SendMessageW(FHandle, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
}

void TButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == Images) {
    Images = nullptr;
    if (FHandle) {
      BUTTON_IMAGELIST none{};
      none.himl = nullptr;
      SendMessageW(FHandle, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&none));
    }
  }
}

void TButton::Click() {
  if (OnClick) OnClick(this);
}

void TButton::WndProc(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) Click();
    return;
  }
  if (Message.Msg == WM_SYSCOLORCHANGE || Message.Msg == WM_THEMECHANGED) {
    // The list draws its images anew for the new colours when asked.
    ApplyImage();
    if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
  }
  TWinControl::WndProc(Message);
}

// ---- TEdit ----

void TEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SystemClass = L"EDIT";
  Params.Style |= ES_AUTOHSCROLL | WS_TABSTOP;
  if (ReadOnly) Params.Style |= ES_READONLY;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateWnd() {
  TWinControl::CreateWnd();
  if (MaxLength > 0) SendMessageW(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(MaxLength), 0);
}

void TEdit::SetText(const Text& value) {
  if (value == GetText()) return;
  // The platform reports its own change (under some systems even for the
  // same text); the rule here is one run per real change.
  FSettingText = true;
  try {
    TWinControl::SetText(value);
  } catch (...) {
    FSettingText = false;
    throw;
  }
  FSettingText = false;
  if (OnChange) OnChange(this);
}

void TEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE && !FSettingText) {
        // Some systems report a change for a key that changed nothing (one
        // typed at the length limit): only a different text counts.
        Text now = GetText();
        if (now == FText) return;
        FText = std::move(now);
        if (OnChange) OnChange(this);
      }
      return;
    case CN_CTLCOLOR:
      Message.Result = ColorDC(reinterpret_cast<HDC>(Message.WParam), Color, IsWindowEnabled(FHandle));
      return;
  }
  TWinControl::WndProc(Message);
}

// ---- TRadioGroup ----

void TRadioGroup::CreateWnd() {
  TGroupBox::CreateWnd();
  FButtons.clear();
  for (std::size_t i = 0; i < Items.size(); ++i) {
    // Automatic items: the dialog manager chooses only those as the arrow
    // keys move through the group (the checks are set again from FItemIndex).
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
    if (!FEnabled) style |= WS_DISABLED;
    HWND b = CreateWindowExW(0, L"BUTTON", W(Items[i]), style, 0, 0, 0, 0, FHandle,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFirstItemId + i)), GetModuleHandleW(nullptr), nullptr);
    if (!b) ThrowLastError(u"ウィンドウを作成できません");
    FButtons.push_back(b);
  }
  ArrangeButtons();
  UpdateChecks();
}

HWND TRadioGroup::ItemHandle(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < FButtons.size() ? FButtons[index] : nullptr;
}

void TRadioGroup::ArrangeButtons() {
  if (!FHandle || FButtons.empty()) return;
  HFONT font = GetFont();
  const int line = TTextMeasure(FHandle, font).LineHeight();

  int cols = Columns < 1 ? 1 : Columns;
  int perCol = static_cast<int>((FButtons.size() + cols - 1) / cols);
  RECT r;
  GetClientRect(FHandle, &r);
  // Rows share the height below a top margin of one text line.
  int space = r.bottom - line - Scale(kItemsBelow);
  int rowH = space / perCol;
  int top = line + 1 + (space % perCol) / 2;
  int colW = (r.right - Scale(kItemsAcross)) / cols;
  for (std::size_t i = 0; i < FButtons.size(); ++i) {
    int col = static_cast<int>(i) / perCol, row = static_cast<int>(i) % perCol;
    SetWindowPos(FButtons[i], nullptr, Scale(kItemsLeft) + col * colW, top + row * rowH, colW, rowH,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(FButtons[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void TRadioGroup::UpdateChecks() {
  for (std::size_t i = 0; i < FButtons.size(); ++i) {
    bool on = static_cast<int>(i) == FItemIndex;
    SendMessageW(FButtons[i], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    // The Tab key enters the group at its selected item (the first when none).
    bool stop = on || (FItemIndex < 0 && i == 0);
    LONG_PTR style = GetWindowLongPtrW(FButtons[i], GWL_STYLE);
    SetWindowLongPtrW(FButtons[i], GWL_STYLE, stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

void TRadioGroup::SetItemIndex(int value) {
  int last = static_cast<int>(Items.size()) - 1;
  if (value < -1) value = -1;
  if (value > last) value = last;
  if (value == FItemIndex) return;
  FItemIndex = value;
  UpdateChecks();
  if (value >= 0 && OnClick) OnClick(this);
}

void TRadioGroup::SetEnabled(bool value) {
  TGroupBox::SetEnabled(value);
  // Items follow, so that neither a click nor an accelerator reaches an
  // item of a disabled group.
  for (HWND b : FButtons) EnableWindow(b, value);
}

void TRadioGroup::UpdateBounds() {
  TGroupBox::UpdateBounds();
  ArrangeButtons();
}

void TRadioGroup::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COMMAND:
      for (std::size_t i = 0; i < FButtons.size(); ++i) {
        if (reinterpret_cast<HWND>(Message.LParam) == FButtons[i]) {
          // The user's choice; choosing the selected item again runs nothing.
          if (HIWORD(Message.WParam) == BN_CLICKED && static_cast<int>(i) != FItemIndex)
            SetItemIndex(static_cast<int>(i));
          return;
        }
      }
      break;
    case WM_DESTROY:
      // The items go with this window; their handles must not outlive it.
      FButtons.clear();
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      Message.Result = ColorDC(reinterpret_cast<HDC>(Message.WParam), COLOR_BTNFACE,
                               IsWindowEnabled(reinterpret_cast<HWND>(Message.LParam)));
      return;
  }
  TGroupBox::WndProc(Message);
}

// ---- TListBox ----

void TListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SystemClass = L"LISTBOX";
  Params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
  for (std::size_t i = 0; i < FItems.size(); ++i)
    SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(FItems[i])));
  SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
  SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  SendMessageW(FHandle, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(FExtent), 0);
}

HFONT TListBox::GetFont() const {
  if (FontPoints > 0) return PointFont(FontPoints);
  return TWinControl::GetFont();
}

void TListBox::SetFontPoints(int points) {
  FontPoints = points;
  if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()), TRUE);
}

void TListBox::SetColor(int sysColor) {
  // Set again with every entry added: only a new colour is drawn anew.
  if (sysColor == Color) return;
  Color = sysColor;
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TListBox::InsertItem(int index, const Text& s) {
  if (index < 0 || static_cast<std::size_t>(index) > FItems.size()) index = static_cast<int>(FItems.size());
  FItems.insert(FItems.begin() + index, s);
  if (FItemIndex >= index) ++FItemIndex;
  if (FHandle) SendMessageW(FHandle, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(s)));
}

int TListBox::ItemIndex() const {
  if (FHandle) return static_cast<int>(SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TListBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(FItems.size())) index = -1;
  FItemIndex = index;
  if (FHandle) SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TListBox::SetHorizontalExtent(int pixels) {
  // The window has the extent already (it is given it when made).
  if (pixels == FExtent) return;
  FExtent = pixels;
  if (FHandle) SendMessageW(FHandle, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

void TListBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == LBN_SELCHANGE) {
        FItemIndex = ItemIndex();
        if (OnClick) OnClick(this);
      } else if (HIWORD(Message.WParam) == LBN_DBLCLK) {
        if (OnDblClick) OnDblClick(this);
      }
      return;
    case CN_CTLCOLOR:
      Message.Result = ColorDC(reinterpret_cast<HDC>(Message.WParam), Color, true);
      return;
    case WM_GETDLGCODE: {
      DefaultHandler(Message);
      // Enter belongs to the list (it sends the entry), not to the dialog manager.
      auto* m = reinterpret_cast<MSG*>(Message.LParam);
      if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) && m->wParam == VK_RETURN)
        Message.Result |= DLGC_WANTMESSAGE;
      return;
    }
    case WM_CHAR: {
      auto key = static_cast<char16_t>(Message.WParam);
      if (OnKeyPress) OnKeyPress(this, key);
      if (key == 0) return;  // consumed
      Message.WParam = key;
      break;
    }
    case WM_DESTROY:
      FItemIndex = ItemIndex();
      break;
  }
  TWinControl::WndProc(Message);
}

}  // namespace tovanel
