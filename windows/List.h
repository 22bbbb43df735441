#pragma once
// The list window: texts collected during the run, newest first, from which
// an entry goes to the clipboard, becomes the current file or is converted.
#include "droptarget/DROPDST.h"
#include "toolkit/ControlTable.h"

namespace tovanel {

class TListForm : public TForm {
 public:
  explicit TListForm(TComponent* AOwner);

  TDropDst* DropDst = nullptr;
  TToolBar* ToolBar = nullptr;
  TToolButton* TBClip = nullptr;
  TToolButton* ToolButton2 = nullptr;
  TToolButton* TBFile = nullptr;
  TListBox* ListBox = nullptr;
  TToolButton* TBChar = nullptr;
  TToolButton* ToolButton5 = nullptr;
  TToolButton* ToolButton1 = nullptr;

  // Inserts s at the top and selects it; the window stays as it is.
  void Proc_AddList(const Text& s);

  void FormCreate(TComponent* Sender);
  void FormCloseQuery(TComponent* Sender, bool& CanClose);
  void ListBoxClick(TComponent* Sender);
  void ListBoxDblClick(TComponent* Sender);
  void ListBoxKeyPress(TComponent* Sender, char16_t& Key);
  void TBFileClick(TComponent* Sender);
  void TBCharClick(TComponent* Sender);
  void DropDstFileDrop(TComponent* Sender, const std::vector<Text>& Files, int X, int Y);

  // A move to a monitor of another resolution measures the entries again.
  void WndProc(TMessage& Message) override;

 private:
  const Text* SelectedEntry() const;
  // Sets the list's horizontal extent from its widest entry, measuring only
  // `added` while the list keeps the font the others were measured in, and
  // every entry when it has another (or no entry is named).
  void MeasureExtent(const Text* added);

  // The widest entry in MMeasuredFont, in pixels. Entries are never removed,
  // so it only grows until the font changes.
  long MWidest = 0;
  HFONT MMeasuredFont = nullptr;
};

// The list window's controls, from the top down.
inline constexpr TControlRow<TListForm> kListControls[] = {
    // field, name, kind, parent, left top width height, alignment, caption, hint, tab order, picture, handler
    {&TListForm::ToolBar, u"ToolBar", ToolBarKind(131, 18, true), kWindow, {0, 0, 288, 44}, TAlign::alTop, nullptr,
     {}, kNoTabStop, {}, nullptr},
    {&TListForm::TBClip, u"TBClip", kToolButton, &TListForm::ToolBar, {}, TAlign::alNone, u"クリップボードに送る(&C)",
     {}, kNoTabStop, {}, &TListForm::ListBoxDblClick},
    {&TListForm::ToolButton2, u"ToolButton2", kSeparator, &TListForm::ToolBar, {}, TAlign::alNone, nullptr, {},
     kNoTabStop, {}, nullptr},
    {&TListForm::TBFile, u"TBFile", kToolButton, &TListForm::ToolBar, {}, TAlign::alNone, u"ファイル名に入力(&F)", {},
     kNoTabStop, {}, &TListForm::TBFileClick},
    {&TListForm::ToolButton1, u"ToolButton1", kRowBreak, &TListForm::ToolBar, {}, TAlign::alNone, nullptr, {},
     kNoTabStop, {}, nullptr},
    {&TListForm::TBChar, u"TBChar", kToolButton, &TListForm::ToolBar, {}, TAlign::alNone, u"文字種変換に入力(&J)", {},
     kNoTabStop, {}, &TListForm::TBCharClick},
    {&TListForm::ToolButton5, u"ToolButton5", kSeparator, &TListForm::ToolBar, {}, TAlign::alNone, nullptr, {},
     kNoTabStop, {}, nullptr},
    {&TListForm::ListBox, u"ListBox", kListBox, kWindow, {0, 44, 288, 227}, TAlign::alClient, nullptr,
     {u"ダブルクリックまたはEnterでクリップボードに送る", true}, 1, {}, &TListForm::ListBoxClick},
};
static_assert(WellFormed(kListControls));

extern TListForm* ListForm;

}  // namespace tovanel
