#include "windows/Main.h"

#include "app/Settings.h"
#include "names/NameForms.h"
#include "names/Wow64.h"
#include "text/Clipboard.h"
#include "text/Convert.h"
#include "windows/CommandLine.h"
#include "windows/Images.h"
#include "windows/List.h"
#include "windows/Ombrik.h"
#include "windows/Resources.h"

namespace tovanel {

TMainForm* MainForm = nullptr;

std::function<Text()> TMainForm::CommandLine = [] { return FromW(GetCommandLineW()); };
std::function<void(BYTE, DWORD)> TMainForm::SendKey = [](BYTE vk, DWORD flags) { keybd_event(vk, 0, flags, 0); };
std::function<HWND()> TMainForm::ForegroundWindow = [] { return GetForegroundWindow(); };

Text MenuFontFace() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return u"MS Shell Dlg";
  return FromW(ncm.lfMenuFont.lfFaceName);
}

HICON AppIcon() {
  static HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOVANEL), IMAGE_ICON, 32, 32, 0));
  return icon;
}

namespace {

// A control of the window's description. It is given its parent only once
// its properties are set, so that its window is made complete.
template <class T>
T* Make(TComponent* owner, const char16_t* name, int l, int t, int w, int h) {
  auto* c = new T(owner);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  return c;
}

// Redirection is off only for the file-name work: the windows, settings and
// keys that use its result (and whatever libraries they bring in) come after.
Text GuardedLongName(const Text& path) {
  const RedirectionGuard guard;
  return GetLongName(path);
}

}  // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"MainForm");
  FText = u"Tovanel";
  ClientWidth = 624;
  ClientHeight = 361;
  DesignLeft = 330;
  DesignTop = 165;
  BorderStyle = TBorderStyle::bsSingle;
  FontCharset = SHIFTJIS_CHARSET;
  // The creation handler gives the window the menu's face; given already
  // here, the windows are made once, with the font they keep, instead of
  // being made again (the toolbar re-created) when the face changes.
  SetFontName(MenuFontFace());
  Icon = AppIcon();
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  OnShow = [this](TComponent* s) { FormShow(s); };
  OnCloseQuery = [this](TComponent* s, bool& c) { FormCloseQuery(s, c); };

  // The drop target comes first: setting its Target makes the window.
  DropDst = new TDropDst(this);
  DropDst->SetName(u"DropDst");
  DropDst->OnFileDrop = [this](TComponent* s, const std::vector<Text>& f, int x, int y) { DropDstFileDrop(s, f, x, y); };
  DropDst->SetTarget(THookTarget::htForm);

  ImageList = new TImageList(this);
  ImageList->SetName(u"ImageList");
  ImageList->Size = 32;
  ImageList->Images = {PaintBulletedList, PaintOpenDoor};
  ButtonImages = new TImageList(this);
  ButtonImages->Size = 16;
  ButtonImages->Images = {PaintDownArrow, PaintClipboardPage};
  auto* listImage = new TImageList(this);
  listImage->Size = 20;
  listImage->Images = {PaintBulletedList};

  ToolBar = Make<TToolBar>(this, u"ToolBar", 0, 0, 624, 38);
  ToolBar->Align = TAlign::alTop;
  ToolBar->Images = ImageList;
  ToolBar->ButtonHeight = 38;
  TBList = ToolBar->AddButton(this, u"TBList", u"リストを表示(&L)", 0);
  TBList->OnClick = [this](TComponent* s) { TBListClick(s); };
  ToolButton2 = ToolBar->AddButton(this, u"ToolButton2", nullptr);
  TBClose = ToolBar->AddButton(this, u"TBClose", u"終了(&X)", 1);
  TBClose->OnClick = [this](TComponent* s) { TBCloseClick(s); };
  ToolButton3 = ToolBar->AddButton(this, u"ToolButton3", nullptr);
  ToolBar->SetParent(this);

  // Children are made in tab order within each parent.
  GroupBoxFile = Make<TGroupBox>(this, u"GroupBoxFile", 0, 38, 624, 155);
  GroupBoxFile->SetText(u"[ファイル名]");
  GroupBoxFile->Align = TAlign::alTop;
  RadioGroup = Make<TRadioGroup>(this, u"RadioGroup", 2, 14, 620, 90);
  RadioGroup->Align = TAlign::alTop;
  RadioGroup->Columns = 2;
  RadioGroup->Items = {u"[&0]名前(長い)",
                       u"[&1]名前(短い)",
                       u"[&2]ドライブとフォルダ名(長い)",
                       u"[&3]ドライブとフォルダ名(短い)",
                       u"[&4]ファイル名と拡張子(長い)",
                       u"[&5]ファイル名と拡張子((短い)",
                       u"[&6]ファイル名だけ(長い)",
                       u"[&7]ファイル名だけ(短い)"};
  RadioGroup->SetHint(u"名前の形式を指定");
  RadioGroup->OnClick = [this](TComponent* s) { RadioGroupClick(s); };
  RadioGroup->SetParent(GroupBoxFile);
  EditFile = Make<TEdit>(this, u"EditFile", 2, 104, 620, 20);
  // Screen readers announce the boxes by the frames they stand in.
  EditFile->AccessibleName = GroupBoxFile->GetText();
  EditFile->Align = TAlign::alTop;
  EditFile->ReadOnly = true;
  EditFile->MaxLength = 256;
  EditFile->Color = COLOR_MENU;
  EditFile->OnChange = [this](TComponent* s) { EditFileChange(s); };
  EditFile->SetParent(GroupBoxFile);
  BtnInput = Make<TButton>(this, u"BtnInput", 2, 124, 190, 29);
  BtnInput->SetText(u"文字種変換に入力(&G)");
  BtnInput->Align = TAlign::alLeft;
  BtnInput->Images = ButtonImages;
  BtnInput->ImageIndex = 0;
  BtnInput->OnClick = [this](TComponent* s) { BtnInputClick(s); };
  BtnInput->SetParent(GroupBoxFile);
  BtnClipFile = Make<TButton>(this, u"BtnClipFile", 372, 124, 250, 29);
  BtnClipFile->SetText(u"クリップボードに送る(&Q)");
  BtnClipFile->Align = TAlign::alRight;
  BtnClipFile->Images = ButtonImages;
  BtnClipFile->ImageIndex = 1;
  BtnClipFile->OnClick = [this](TComponent* s) { BtnClipFileClick(s); };
  BtnClipFile->SetParent(GroupBoxFile);
  BtnListName = Make<TButton>(this, u"BtnListName", 192, 124, 180, 29);
  BtnListName->SetText(u"リストに追加(&S)");
  BtnListName->Align = TAlign::alClient;
  BtnListName->Images = listImage;
  BtnListName->ImageIndex = 0;
  BtnListName->OnClick = [this](TComponent* s) { BtnListNameClick(s); };
  BtnListName->SetParent(GroupBoxFile);
  GroupBoxFile->SetParent(this);

  GroupBoxChar = Make<TGroupBox>(this, u"GroupBoxChar", 0, 197, 624, 145);
  GroupBoxChar->SetText(u"[文字種変換]");
  GroupBoxChar->Align = TAlign::alBottom;
  GroupBoxBtnChar = Make<TGroupBox>(this, u"GroupBoxBtnChar", 2, 14, 620, 80);
  GroupBoxBtnChar->Align = TAlign::alTop;
  struct CharButton {
    const char16_t* name;
    int left, top;
    const char16_t* caption;
  };
  static const CharButton kCharButtons[] = {
      {u"BtnChar1", 5, 14, u"大文字→小文字(&A)"},   {u"BtnChar2", 5, 45, u"小文字→大文字(&B)"},
      {u"BtnChar3", 210, 15, u"全角→半角(&C)"},      {u"BtnChar4", 210, 45, u"半角→全角((&D)"},
      {u"BtnChar5", 415, 14, u"ひらがな→カタカナ(&E)"}, {u"BtnChar6", 415, 45, u"カタカナ→ひらがな(&F)"},
  };
  TButton** charFields[] = {&BtnChar1, &BtnChar2, &BtnChar3, &BtnChar4, &BtnChar5, &BtnChar6};
  for (int i = 0; i < 6; ++i) {
    const CharButton& d = kCharButtons[i];
    auto* b = Make<TButton>(this, d.name, d.left, d.top, 200, 25);
    b->SetText(d.caption);
    b->OnClick = [this](TComponent* s) { BtnCharClick(s); };
    b->SetParent(GroupBoxBtnChar);
    *charFields[i] = b;
  }
  GroupBoxBtnChar->SetParent(GroupBoxChar);
  EditChar = Make<TEdit>(this, u"EditChar", 2, 94, 620, 20);
  EditChar->AccessibleName = GroupBoxChar->GetText();
  EditChar->Align = TAlign::alTop;
  EditChar->MaxLength = 256;
  EditChar->SetHint(u"右クリックで編集メニュー");
  EditChar->ShowHint = true;
  EditChar->OnChange = [this](TComponent* s) { EditCharChange(s); };
  EditChar->SetParent(GroupBoxChar);
  BtnClipChar = Make<TButton>(this, u"BtnClipChar", 372, 114, 250, 29);
  BtnClipChar->SetText(u"クリップボードに送る(&Z)");
  BtnClipChar->Align = TAlign::alRight;
  BtnClipChar->Images = ButtonImages;
  BtnClipChar->ImageIndex = 1;
  BtnClipChar->OnClick = [this](TComponent* s) { BtnClipCharClick(s); };
  BtnClipChar->SetParent(GroupBoxChar);
  BtnListChar = Make<TButton>(this, u"BtnListChar", 222, 114, 150, 29);
  BtnListChar->SetText(u"リストに追加(&T)");
  BtnListChar->Align = TAlign::alRight;
  BtnListChar->Images = listImage;
  BtnListChar->ImageIndex = 0;
  BtnListChar->OnClick = [this](TComponent* s) { BtnListCharClick(s); };
  BtnListChar->SetParent(GroupBoxChar);
  GroupBoxChar->SetParent(this);

  StatusBar = Make<TStatusBar>(this, u"StatusBar", 0, 342, 624, 19);
  StatusBar->Align = TAlign::alBottom;
  StatusBar->SetSimpleText(u"ファイルをドラッグ&ドロップしてください｡");
  StatusBar->SetParent(this);

  Handle();
  DescriptionLoaded();
}

void TMainForm::FormCreate(TComponent*) {
  for (int n = 1; n <= 6; ++n) {
    auto* b = static_cast<TButton*>(FindComponent(u"BtnChar" + DecimalText(n)));
    MBtnChar[n] = b;
    b->Tag = n;
    b->SetEnabled(false);
  }
  SetFontName(MenuFontFace());
  {
    TSettingsFile ini;
    SetTop(ini.ReadInteger(u"Main", u"Top", 100));
    SetLeft(ini.ReadInteger(u"Main", u"Left", 100));
  }
  KeepWindowOnScreen(Handle());
  EditChar->SetText(u"");
  for (TWinControl* c : {static_cast<TWinControl*>(BtnClipChar), static_cast<TWinControl*>(BtnListChar),
                         static_cast<TWinControl*>(GroupBoxFile), static_cast<TWinControl*>(RadioGroup),
                         static_cast<TWinControl*>(BtnClipFile), static_cast<TWinControl*>(EditFile)})
    c->SetEnabled(false);
  EditFile->SetText(u"");
  BtnListName->SetEnabled(false);
  BtnInput->SetEnabled(false);
  RadioGroup->SetItemIndex(-1);
  MNowFile.clear();
}

void TMainForm::FormShow(TComponent*) {
  std::vector<Text> args = SplitCommandLine(CommandLine());
  if (args.size() < 2) return;
  const Text name = GuardedLongName(args[1]);
  Proc_NewFile(name);
  ListForm->Proc_AddList(name);
}

void TMainForm::Proc_NewFile(const Text& s) {
  int p = RadioGroup->ItemIndex();
  MNowFile = s;
  StatusBar->SetSimpleText(MNowFile);
  RadioGroup->SetItemIndex(0);
  RadioGroupClick(this);
  if (p >= 0) {
    RadioGroup->SetItemIndex(p);
  } else {
    // The first file of a run takes the form chosen in an earlier run.
    TSettingsFile ini;
    RadioGroup->SetItemIndex(ini.ReadInteger(u"Select", u"Item", 0));
  }
  RadioGroupClick(this);
  SetForegroundWindow(Handle());
  // The keys go to whichever window has the foreground: when the platform
  // refused it to us, they would reach another program.
  if (ForegroundWindow() != Handle()) return;
  // Alt plus the item's digit: once the handlers have returned, the
  // selected item takes the keyboard focus.
  auto k = static_cast<BYTE>(('0' + RadioGroup->ItemIndex()) & 0xFF);
  SendKey(VK_MENU, 0);
  SendKey(k, 0);
  SendKey(k, KEYEVENTF_KEYUP);
  SendKey(VK_MENU, KEYEVENTF_KEYUP);
}

void TMainForm::RadioGroupClick(TComponent*) {
  std::optional<Text> form;
  {
    const RedirectionGuard guard;
    form = GetNameForm(MNowFile, RadioGroup->ItemIndex());
  }
  if (form) EditFile->SetText(*form);
}

void TMainForm::EditFileChange(TComponent*) {
  bool e = !EditFile->GetText().empty();
  for (TWinControl* c : {static_cast<TWinControl*>(GroupBoxFile), static_cast<TWinControl*>(RadioGroup),
                         static_cast<TWinControl*>(EditFile), static_cast<TWinControl*>(BtnClipFile),
                         static_cast<TWinControl*>(BtnInput), static_cast<TWinControl*>(BtnListName)})
    c->SetEnabled(e);
}

void TMainForm::EditCharChange(TComponent*) {
  bool e = !EditChar->GetText().empty();
  for (int n = 1; n <= 6; ++n) MBtnChar[n]->SetEnabled(e);
  BtnClipChar->SetEnabled(e);
  BtnListChar->SetEnabled(e);
}

void TMainForm::BtnCharClick(TComponent* Sender) {
  Text (*convert)(const Text&) = nullptr;
  switch (Sender ? Sender->Tag : 0) {
    case 1: convert = ToLowerCase; break;
    case 2: convert = ToUpperCase; break;
    case 3: convert = ToHalfWidth; break;
    case 4: convert = ToFullWidth; break;
    case 5: convert = ToKatakana; break;
    case 6: convert = ToHiragana; break;
    default: return;
  }
  EditChar->SetText(convert(EditChar->GetText()));
}

void TMainForm::BtnClipFileClick(TComponent*) { SendTextToClipboard(EditFile->GetText()); }

void TMainForm::BtnClipCharClick(TComponent*) { SendTextToClipboard(EditChar->GetText()); }

void TMainForm::BtnInputClick(TComponent*) { EditChar->SetText(EditFile->GetText()); }

void TMainForm::BtnListNameClick(TComponent*) {
  ListForm->Proc_AddList(EditFile->GetText());
  ListForm->Show();
}

void TMainForm::BtnListCharClick(TComponent*) {
  ListForm->Proc_AddList(EditChar->GetText());
  ListForm->Show();
}

void TMainForm::TBListClick(TComponent*) { ListForm->Show(); }

void TMainForm::TBCloseClick(TComponent*) { Close(); }

void TMainForm::FormCloseQuery(TComponent*, bool&) {
  {
    TSettingsFile ini;
    ini.WriteInteger(u"Main", u"Top", GetTop());
    ini.WriteInteger(u"Main", u"Left", GetLeft());
    if (RadioGroup->ItemIndex() < 0) RadioGroup->SetItemIndex(0);
    ini.WriteInteger(u"Select", u"Item", RadioGroup->ItemIndex());
    ini.UpdateFile();
  }
  if (ListForm) ListForm->Close();
}

void TMainForm::DropDstFileDrop(TComponent*, const std::vector<Text>& Files, int, int) {
  ForceForegroundWindow(Handle());
  if (Files.empty()) return;  // a drop without names changes nothing
  std::vector<Text> names;
  {
    const RedirectionGuard guard;
    for (const Text& f : Files) names.push_back(GetLongName(f));
  }
  Proc_NewFile(names[0]);
  for (const Text& n : names) ListForm->Proc_AddList(n);
}

}  // namespace tovanel
