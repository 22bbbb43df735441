#pragma once
// Toolbar, status bar and image list.
#include "toolkit/Controls.h"

#include <commctrl.h>

#include "base/Handles.h"

namespace tovanel {

struct TImageListTraits : TCountedDrawing, THandleTraits<HIMAGELIST, ImageList_Destroy> {};
using TImageListHandle = TUnique<TImageListTraits>;

// Draws one image into a square of `size` pixels; the background is already
// filled with the transparent colour. Images stand on the button face, and
// a painter may draw with its colours (toolkit/Colors.h).
using TImagePainter = std::function<void(HDC dc, int size)>;

class TImageList : public TComponent {
 public:
  using TComponent::TComponent;
  int Size = 16;  // at 96 DPI
  std::vector<TImagePainter> Images;
  // The images drawn for this DPI; owned by this list. When the button
  // face's colours have changed since they were drawn, every list handed
  // out is drawn again in place (its handle stays).
  HIMAGELIST Handle(UINT dpi);
  // A list holding only image `index`, drawn for this DPI (for a button,
  // which shows the first image of its list); owned by this list.
  HIMAGELIST SingleHandle(UINT dpi, int index);

 private:
  TImageListHandle Draw(UINT dpi, int first, int count);
  void DrawInto(HIMAGELIST list, UINT dpi, int first, int count);
  void FollowColors();
  std::vector<std::pair<UINT, TImageListHandle>> FLists;
  std::vector<std::pair<std::pair<UINT, int>, TImageListHandle>> FSingles;
  // The button face and its text colour the lists were drawn with.
  std::pair<COLORREF, COLORREF> FColors{CLR_INVALID, CLR_INVALID};
};

enum class TToolButtonStyle { tbsButton, tbsSeparator };

// A separator's width at 96 DPI, unless it is given one.
inline constexpr int kSeparatorWidth = 8;

class TToolBar;

class TToolButton : public TControl {
 public:
  using TControl::TControl;
  TToolButtonStyle Style = TToolButtonStyle::tbsButton;
  Text Caption;
  int ImageIndex = -1;
  // A row break follows this button.
  bool Wrap = false;
  TNotifyEvent OnClick;
  void SetEnabled(bool value) override;
  void Click();
  int CommandId() const { return FId; }
  // The accelerator: the character after "&" in the caption, or 0.
  char16_t Accelerator() const;

 private:
  friend class TToolBar;
  int FId = 0;
};

class TToolBar : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TImageList* Images = nullptr;
  // Fixed button size at 96 DPI, or 0 for buttons sized to their content
  // (ButtonHeight still applies).
  int ButtonWidth = 0;
  int ButtonHeight = 22;
  // Buttons wrap onto a further row when a row does not fit.
  bool Wrapable = false;
  std::vector<TToolButton*> Buttons() const;
  // Appends a button owned by `owner` (a separator when there is no
  // caption).
  TToolButton* AddButton(TComponent* owner, const char16_t* name, const char16_t* caption, int imageIndex = -1);
  void WndProc(TMessage& Message) override;
  void UpdateBounds() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  void WrapRows();
  void FitHeight();
};

// A status bar showing one text.
class TStatusBar : public TWinControl {
 public:
  using TWinControl::TWinControl;
  const Text& SimpleText() const { return FSimpleText; }
  // Runs nothing.
  void SetSimpleText(const Text& value);
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  Text FSimpleText;
};

}  // namespace tovanel
