#pragma once
// The main window: the current file in one of eight name forms, the
// conversion panel, and the hub that hands texts to the clipboard and the list.
#include <array>
#include <functional>

#include "droptarget/DROPDST.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace tovanel {

class TMainForm : public TForm {
 public:
  explicit TMainForm(TComponent* AOwner);

  TDropDst* DropDst;
  TStatusBar* StatusBar;
  TGroupBox* GroupBoxChar;
  TGroupBox* GroupBoxFile;
  TRadioGroup* RadioGroup;
  TEdit* EditFile;
  TButton* BtnClipFile;
  TEdit* EditChar;
  TButton* BtnClipChar;
  TGroupBox* GroupBoxBtnChar;
  TButton* BtnChar1;
  TButton* BtnChar2;
  TButton* BtnChar3;
  TButton* BtnChar4;
  TButton* BtnChar5;
  TButton* BtnChar6;
  TButton* BtnInput;
  TButton* BtnListName;
  TButton* BtnListChar;
  TToolBar* ToolBar;
  TToolButton* TBList;
  TToolButton* ToolButton2;
  TToolButton* TBClose;
  TImageList* ImageList;
  TToolButton* ToolButton3;

  Text MNowFile;
  std::array<TButton*, 7> MBtnChar{};  // entries 1 to 6

  // Makes s the current file and shows it in the selected name form.
  void Proc_NewFile(const Text& s);

  void FormCreate(TComponent* Sender);
  void FormShow(TComponent* Sender);
  void FormCloseQuery(TComponent* Sender, bool& CanClose);
  void RadioGroupClick(TComponent* Sender);
  void EditFileChange(TComponent* Sender);
  void EditCharChange(TComponent* Sender);
  void BtnCharClick(TComponent* Sender);
  void BtnClipFileClick(TComponent* Sender);
  void BtnClipCharClick(TComponent* Sender);
  void BtnInputClick(TComponent* Sender);
  void BtnListNameClick(TComponent* Sender);
  void BtnListCharClick(TComponent* Sender);
  void TBListClick(TComponent* Sender);
  void TBCloseClick(TComponent* Sender);
  void DropDstFileDrop(TComponent* Sender, const std::vector<Text>& Files, int X, int Y);

  // Where the platform is reached from the handlers; tests replace these.
  static std::function<Text()> CommandLine;
  static std::function<void(BYTE vk, DWORD flags)> SendKey;
  static std::function<HWND()> ForegroundWindow;

 private:
  TImageList* ButtonImages;
};

extern TMainForm* MainForm;

// The face of the platform's menu font, which both windows use.
Text MenuFontFace();
// The application's icon.
HICON AppIcon();

}  // namespace tovanel
