#pragma once
// The main window: the current file in one of eight name forms, the
// conversion panel, and the hub that hands texts to the clipboard and the list.
#include <array>
#include <functional>

#include "droptarget/DROPDST.h"
#include "toolkit/ControlTable.h"

namespace tovanel {

// The platform calls that the main window's handlers make, read through
// Calls<MainPlatform>() so that tests can stage them.
struct MainPlatform {
  std::function<Text()> commandLine;
  std::function<void(BYTE vk, DWORD flags)> sendKey;
  std::function<HWND()> foregroundWindow;

  static MainPlatform Real();
};

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
  // The buttons' images: 16-pixel arrows and clipboards, 20-pixel lists.
  TImageList* ButtonImages;
  TImageList* ListImages;

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

};

// The eight name forms, in the radio group's order.
inline constexpr const char16_t* kNameFormItems[] = {
    u"[&0]名前(長い)",
    u"[&1]名前(短い)",
    u"[&2]ドライブとフォルダ名(長い)",
    u"[&3]ドライブとフォルダ名(短い)",
    u"[&4]ファイル名と拡張子(長い)",
    u"[&5]ファイル名と拡張子((短い)",
    u"[&6]ファイル名だけ(長い)",
    u"[&7]ファイル名だけ(短い)",
};

// The main window's controls, from the top down; siblings in tab order.
// The benchmark's controls floor reads its geometry from here.
inline constexpr TControlRow<TMainForm> kMainControls[] = {
    // field, name, kind, parent, left top width height, alignment, caption, hint, tab order, picture, handler
    {&TMainForm::ToolBar, u"ToolBar", ToolBarKind(0, 38, false), kWindow, {0, 0, 624, 38}, TAlign::alTop, nullptr, {},
     kNoTabStop, {&TMainForm::ImageList}, nullptr},
    {&TMainForm::TBList, u"TBList", kToolButton, &TMainForm::ToolBar, {}, TAlign::alNone, u"リストを表示(&L)", {},
     kNoTabStop, {&TMainForm::ImageList, 0}, &TMainForm::TBListClick},
    {&TMainForm::ToolButton2, u"ToolButton2", kSeparator, &TMainForm::ToolBar, {}, TAlign::alNone, nullptr, {},
     kNoTabStop, {}, nullptr},
    {&TMainForm::TBClose, u"TBClose", kToolButton, &TMainForm::ToolBar, {}, TAlign::alNone, u"終了(&X)", {},
     kNoTabStop, {&TMainForm::ImageList, 1}, &TMainForm::TBCloseClick},
    {&TMainForm::ToolButton3, u"ToolButton3", kSeparator, &TMainForm::ToolBar, {}, TAlign::alNone, nullptr, {},
     kNoTabStop, {}, nullptr},
    {&TMainForm::GroupBoxFile, u"GroupBoxFile", kFrame, kWindow, {0, 38, 624, 155}, TAlign::alTop, u"[ファイル名]",
     {}, 0, {}, nullptr},
    {&TMainForm::RadioGroup, u"RadioGroup", RadioGroupKind(2, kNameFormItems), &TMainForm::GroupBoxFile,
     {2, 14, 620, 90}, TAlign::alTop, nullptr, {u"名前の形式を指定"}, 0, {}, &TMainForm::RadioGroupClick},
    {&TMainForm::EditFile, u"EditFile", EditKind(256, true, COLOR_MENU), &TMainForm::GroupBoxFile, {2, 104, 620, 20},
     TAlign::alTop, nullptr, {}, 1, {}, &TMainForm::EditFileChange},
    {&TMainForm::BtnInput, u"BtnInput", kPushButton, &TMainForm::GroupBoxFile, {2, 124, 190, 29}, TAlign::alLeft,
     u"文字種変換に入力(&G)", {}, 2, {&TMainForm::ButtonImages, 0}, &TMainForm::BtnInputClick},
    {&TMainForm::BtnClipFile, u"BtnClipFile", kPushButton, &TMainForm::GroupBoxFile, {372, 124, 250, 29},
     TAlign::alRight, u"クリップボードに送る(&Q)", {}, 3, {&TMainForm::ButtonImages, 1}, &TMainForm::BtnClipFileClick},
    {&TMainForm::BtnListName, u"BtnListName", kPushButton, &TMainForm::GroupBoxFile, {192, 124, 180, 29},
     TAlign::alClient, u"リストに追加(&S)", {}, 4, {&TMainForm::ListImages, 0}, &TMainForm::BtnListNameClick},
    {&TMainForm::GroupBoxChar, u"GroupBoxChar", kFrame, kWindow, {0, 197, 624, 145}, TAlign::alBottom, u"[文字種変換]",
     {}, 1, {}, nullptr},
    {&TMainForm::GroupBoxBtnChar, u"GroupBoxBtnChar", kFrame, &TMainForm::GroupBoxChar, {2, 14, 620, 80},
     TAlign::alTop, nullptr, {}, 0, {}, nullptr},
    {&TMainForm::BtnChar1, u"BtnChar1", kPushButton, &TMainForm::GroupBoxBtnChar, {5, 14, 200, 25}, TAlign::alNone,
     u"大文字→小文字(&A)", {}, 0, {}, &TMainForm::BtnCharClick},
    {&TMainForm::BtnChar2, u"BtnChar2", kPushButton, &TMainForm::GroupBoxBtnChar, {5, 45, 200, 25}, TAlign::alNone,
     u"小文字→大文字(&B)", {}, 1, {}, &TMainForm::BtnCharClick},
    {&TMainForm::BtnChar3, u"BtnChar3", kPushButton, &TMainForm::GroupBoxBtnChar, {210, 15, 200, 25}, TAlign::alNone,
     u"全角→半角(&C)", {}, 2, {}, &TMainForm::BtnCharClick},
    {&TMainForm::BtnChar4, u"BtnChar4", kPushButton, &TMainForm::GroupBoxBtnChar, {210, 45, 200, 25}, TAlign::alNone,
     u"半角→全角((&D)", {}, 3, {}, &TMainForm::BtnCharClick},
    {&TMainForm::BtnChar5, u"BtnChar5", kPushButton, &TMainForm::GroupBoxBtnChar, {415, 14, 200, 25}, TAlign::alNone,
     u"ひらがな→カタカナ(&E)", {}, 4, {}, &TMainForm::BtnCharClick},
    {&TMainForm::BtnChar6, u"BtnChar6", kPushButton, &TMainForm::GroupBoxBtnChar, {415, 45, 200, 25}, TAlign::alNone,
     u"カタカナ→ひらがな(&F)", {}, 5, {}, &TMainForm::BtnCharClick},
    {&TMainForm::EditChar, u"EditChar", EditKind(256), &TMainForm::GroupBoxChar, {2, 94, 620, 20}, TAlign::alTop,
     nullptr, {u"右クリックで編集メニュー", true}, 1, {}, &TMainForm::EditCharChange},
    {&TMainForm::BtnClipChar, u"BtnClipChar", kPushButton, &TMainForm::GroupBoxChar, {372, 114, 250, 29},
     TAlign::alRight, u"クリップボードに送る(&Z)", {}, 2, {&TMainForm::ButtonImages, 1}, &TMainForm::BtnClipCharClick},
    {&TMainForm::BtnListChar, u"BtnListChar", kPushButton, &TMainForm::GroupBoxChar, {222, 114, 150, 29},
     TAlign::alRight, u"リストに追加(&T)", {}, 3, {&TMainForm::ListImages, 0}, &TMainForm::BtnListCharClick},
    {&TMainForm::StatusBar, u"StatusBar", kStatusBar, kWindow, {0, 342, 624, 19}, TAlign::alBottom,
     u"ファイルをドラッグ&ドロップしてください｡", {}, kNoTabStop, {}, nullptr},
};
static_assert(WellFormed(kMainControls));

extern TMainForm* MainForm;

// The face of the platform's menu font, which both windows use.
Text MenuFontFace();
// The application's icon.
HICON AppIcon();

}  // namespace tovanel
