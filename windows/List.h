#pragma once
// The list window: texts collected during the run, newest first, from which
// an entry goes to the clipboard, becomes the current file or is converted.
#include "droptarget/DROPDST.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace tovanel {

class TListForm : public TForm {
 public:
  explicit TListForm(TComponent* AOwner);

  TDropDst* DropDst;
  TToolBar* ToolBar;
  TToolButton* TBClip;
  TToolButton* ToolButton2;
  TToolButton* TBFile;
  TListBox* ListBox;
  TToolButton* TBChar;
  TToolButton* ToolButton5;
  TToolButton* ToolButton1;

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

 private:
  const Text* SelectedEntry() const;
};

extern TListForm* ListForm;

}  // namespace tovanel
