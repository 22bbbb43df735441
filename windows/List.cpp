#include "windows/List.h"

#include <algorithm>
#include <climits>

#include "app/Settings.h"
#include "base/Handles.h"
#include "base/TextMeasure.h"
#include "names/NameForms.h"
#include "names/Wow64.h"
#include "text/Clipboard.h"
#include "windows/Main.h"
#include "windows/Ombrik.h"

namespace tovanel {

TListForm* ListForm = nullptr;

namespace {

// The list scrolls sideways twice as far as its widest entry measures. The
// doubling makes up for a measure taken with a drawing surface's own default
// font, which is smaller than the 10-point font the list shows. This measure
// is taken in the list's own font, and the doubling is kept all the same.
constexpr long long kExtentPerMeasure = 2;

}  // namespace

TListForm::TListForm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"ListForm");
  FText = u"Tovanel - リスト";
  BorderStyle = TBorderStyle::bsSizeToolWin;
  OwnerForm = MainForm;
  ClientWidth = 288;
  ClientHeight = 271;
  DesignLeft = 708;
  DesignTop = 400;
  Icon = AppIcon();
  // Designed in "ＭＳ Ｐゴシック"; it takes the menu's face, given before its
  // windows are made, so that they are made once.
  SetFontName(MenuFontFace());
  FontCharset = SHIFTJIS_CHARSET;
  OnCreate = Bind(this, &TListForm::FormCreate);
  OnCloseQuery = Bind(this, &TListForm::FormCloseQuery);

  DropDst = TDropDst::OnForm(this, Bind(this, &TListForm::DropDstFileDrop));

  BuildControls(this, kListControls);
  // Announced by the window it fills.
  ListBox->AccessibleName = FText;
  ListBox->OnDblClick = Bind(this, &TListForm::ListBoxDblClick);
  ListBox->OnKeyPress = Bind(this, &TListForm::ListBoxKeyPress);

  Handle();
  DescriptionLoaded();
}

void TListForm::FormCreate(TComponent*) {
  {
    TSettingsFile ini;  // released however the reading ends
    const int top = ini.ReadInteger(u"List", u"Top", GetTop());
    const int left = ini.ReadInteger(u"List", u"Left", GetLeft());
    SetPlace(left, top, ini.ReadInteger(u"List", u"Width", 300), ini.ReadInteger(u"List", u"Height", 300));
  }
  KeepWindowOnScreen(Handle());
  ListBox->SetEnabled(false);
  ListBox->SetColor(COLOR_BTNFACE);
  TBClip->SetEnabled(false);
  TBFile->SetEnabled(false);
  TBChar->SetEnabled(false);
  ListBox->SetFontPoints(10);
}

void TListForm::Proc_AddList(const Text& s) {
  // An addition always leaves at least one entry.
  ListBox->SetEnabled(true);
  ListBox->SetColor(COLOR_WINDOW);
  ListBox->InsertItem(0, s);
  MeasureExtent(&ListBox->Items().front());
  ListBox->SetItemIndex(0);
  ListBoxClick(ListBox);
}

void TListForm::MeasureExtent(const Text* added) {
  HWND h = ListBox->Handle();
  SendMessageW(h, WM_SETREDRAW, FALSE, 0);
  // Redrawing resumes however the measure ends.
  const TScopeExit redraw([h] {
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
  });
  const HFONT font = ListBox->GetFont();
  // One drawing surface and one font for the whole measure.
  const TTextMeasure measure(h, font);
  if (added && font == MMeasuredFont) {
    MWidest = std::max(MWidest, measure.Width(*added));
  } else {
    MWidest = 0;
    for (const Text& item : ListBox->Items()) MWidest = std::max(MWidest, measure.Width(item));
    MMeasuredFont = font;
  }
  ListBox->SetHorizontalExtent(static_cast<int>(std::min<long long>(kExtentPerMeasure * MWidest, INT_MAX)));
}

void TListForm::WndProc(TMessage& Message) {
  TForm::WndProc(Message);
  // The list has its font for the new resolution now; the extent is still
  // in the old one's pixels.
  if (Message.Msg == WM_DPICHANGED && ListBox && ListBox->HandleAllocated() && !ListBox->Items().empty()) MeasureExtent(nullptr);
}

const Text* TListForm::SelectedEntry() const {
  int i = ListBox->ItemIndex();
  if (i < 0 || static_cast<std::size_t>(i) >= ListBox->Items().size()) return nullptr;
  return &ListBox->Items()[static_cast<std::size_t>(i)];
}

void TListForm::ListBoxClick(TComponent*) {
  const Text* entry = SelectedEntry();
  TBClip->SetEnabled(entry != nullptr);
  TBChar->SetEnabled(entry != nullptr);
  TBFile->SetEnabled(entry && (FileThere(*entry) || DirectoryThere(*entry)));
}

void TListForm::ListBoxDblClick(TComponent*) {
  if (const Text* entry = SelectedEntry()) SendTextToClipboard(*entry);
}

void TListForm::ListBoxKeyPress(TComponent* Sender, char16_t& Key) {
  if (Key == VK_RETURN) ListBoxDblClick(Sender);
  Key = 0;
}

void TListForm::TBFileClick(TComponent*) {
  const Text* entry = SelectedEntry();
  if (!entry) return;  // nothing selected: nothing to hand over
  Text s = *entry;
  MainForm->Proc_NewFile(s);
  MainForm->Show();
}

void TListForm::TBCharClick(TComponent*) {
  const Text* entry = SelectedEntry();
  if (!entry) return;
  Text s = *entry;
  MainForm->EditChar->SetText(s);
  MainForm->Show();
}

void TListForm::FormCloseQuery(TComponent*, bool&) {
  TSettingsFile ini;
  ini.WriteInteger(u"List", u"Top", GetTop());
  ini.WriteInteger(u"List", u"Left", GetLeft());
  ini.WriteInteger(u"List", u"Height", GetOuterHeight());
  ini.WriteInteger(u"List", u"Width", GetOuterWidth());
  ini.UpdateFile();
}

void TListForm::DropDstFileDrop(TComponent*, const std::vector<Text>& Files, int, int) {
  ForceForegroundWindow(Handle());
  if (Files.empty()) return;  // a drop without names changes nothing
  MainForm->Proc_NewFile(GetLongName(Files[0]));
  for (const Text& f : Files) Proc_AddList(GetLongName(f));
}

}  // namespace tovanel
