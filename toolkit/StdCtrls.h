#pragma once
// Frames, buttons, edit boxes, radio groups and list boxes.
#include "toolkit/Controls.h"

#include <commctrl.h>

namespace tovanel {

class TImageList;

// A frame with an optional caption; it can hold controls.
class TGroupBox : public TWinControl {
 public:
  using TWinControl::TWinControl;
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  // Inside the frame and below its caption line.
  RECT AlignRect() override;
};

// A push button, optionally with an image left of its caption.
class TButton : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TNotifyEvent OnClick;
  // Image from this list (drawn at the list's size for the current DPI).
  TImageList* Images = nullptr;
  int ImageIndex = -1;
  void Click();
  void WndProc(TMessage& Message) override;
  void UpdateBounds() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  void ApplyImage();
};

// A single-line edit box. Setting its text by code runs OnChange only when
// the text differs; typing runs it at each change. MaxLength binds typing only.
class TEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TNotifyEvent OnChange;
  bool ReadOnly = false;
  int MaxLength = 0;
  int Color = COLOR_WINDOW;  // system colour index of the background
  void SetText(const Text& value) override;
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  bool FSettingText = false;
};

// Radio buttons in columns inside a frame. Selecting an item by code runs
// OnClick when the selection moves to an item; clearing it runs nothing.
class TRadioGroup : public TGroupBox {
 public:
  using TGroupBox::TGroupBox;
  std::vector<Text> Items;
  int Columns = 1;
  TNotifyEvent OnClick;
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  void SetEnabled(bool value) override;
  void UpdateBounds() override;
  void WndProc(TMessage& Message) override;
  HWND ItemHandle(int index) const;

 protected:
  void CreateWnd() override;

 private:
  void ArrangeButtons();
  void UpdateChecks();
  int FItemIndex = -1;
  std::vector<HWND> FButtons;
};

// A single-selection list box whose items are kept here, so that they
// survive a re-created window.
using TKeyPressEvent = std::function<void(TComponent* Sender, char16_t& Key)>;

class TListBox : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TNotifyEvent OnClick;     // the user changed the selection
  TNotifyEvent OnDblClick;  // double click
  TKeyPressEvent OnKeyPress;
  int Color = COLOR_WINDOW;
  void SetColor(int sysColor);
  // Its own font size in points; 0 means the form's font.
  int FontPoints = 0;
  void SetFontPoints(int points);

  const std::vector<Text>& Items() const { return FItems; }
  void InsertItem(int index, const Text& s);
  int ItemIndex() const;
  // Runs no handler.
  void SetItemIndex(int index);
  void SetHorizontalExtent(int pixels);
  int HorizontalExtent() const { return FExtent; }
  HFONT GetFont() const override;
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  std::vector<Text> FItems;
  int FItemIndex = -1;
  int FExtent = 0;
};

}  // namespace tovanel
