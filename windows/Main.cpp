#include "windows/Main.h"

#include "app/Settings.h"
#include "base/Platform.h"
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

MainPlatform MainPlatform::Real() {
  return {.commandLine = [] { return FromW(GetCommandLineW()); },
          .sendKey = [](BYTE vk, DWORD flags) { keybd_event(vk, 0, flags, 0); },
          .foregroundWindow = GetForegroundWindow};
}

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
  // The menu's face, given before the windows are made, so that they are
  // made once, with the font they keep, instead of being made again (the
  // toolbar re-created) when the face changes.
  SetFontName(MenuFontFace());
  Icon = AppIcon();
  OnCreate = Bind(this, &TMainForm::FormCreate);
  OnShow = Bind(this, &TMainForm::FormShow);
  OnCloseQuery = Bind(this, &TMainForm::FormCloseQuery);

  // The drop target comes first: setting its Target makes the window.
  DropDst = TDropDst::OnForm(this, Bind(this, &TMainForm::DropDstFileDrop));

  ImageList = new TImageList(this);
  ImageList->SetName(u"ImageList");
  ImageList->Size = 32;
  ImageList->Images = {PaintBulletedList, PaintOpenDoor};
  ButtonImages = new TImageList(this);
  ButtonImages->Size = 16;
  ButtonImages->Images = {PaintDownArrow, PaintClipboardPage};
  ListImages = new TImageList(this);
  ListImages->Size = 20;
  ListImages->Images = {PaintBulletedList};

  BuildControls(this, kMainControls);
  // Screen readers announce the boxes by the frames they stand in.
  EditFile->AccessibleName = GroupBoxFile->GetText();
  EditChar->AccessibleName = GroupBoxChar->GetText();

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
  {
    TSettingsFile ini;
    const int top = ini.ReadInteger(u"Main", u"Top", 100);
    SetPlace(ini.ReadInteger(u"Main", u"Left", 100), top);
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
  std::vector<Text> args = SplitCommandLine(Calls<MainPlatform>().commandLine());
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
  const MainPlatform& platform = Calls<MainPlatform>();
  if (platform.foregroundWindow() != Handle()) return;
  // Alt plus the item's digit: once the handlers have returned, the
  // selected item takes the keyboard focus.
  auto k = static_cast<BYTE>(('0' + RadioGroup->ItemIndex()) & 0xFF);
  platform.sendKey(VK_MENU, 0);
  platform.sendKey(k, 0);
  platform.sendKey(k, KEYEVENTF_KEYUP);
  platform.sendKey(VK_MENU, KEYEVENTF_KEYUP);
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
