// Both windows' texts and pictures under staged white-on-black and black-on-white palettes.
#include "kit/Windows.h"
#include "toolkit/Colors.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

// White on black or black on white, the window unlike the face and the menu: a wrong pair vanishes.
COLORREF DarkWindow(int i) { return i == COLOR_WINDOW || i == COLOR_BTNTEXT || i == COLOR_MENUTEXT ? 0 : 0xFFFFFF; }
COLORREF LightWindow(int i) { return DarkWindow(i) ^ 0xFFFFFF; }

// Where each text is drawn: the window's parent is asked for its colours (told to draw the bar).
const struct { const char* name; int background; UINT msg; HWND (*window)(TMainForm*, TListForm*); } kTexts[] = {
    {"file box", COLOR_MENU, WM_CTLCOLORSTATIC, [](auto m, auto) { return m->EditFile->Handle(); }},
    {"frame", COLOR_BTNFACE, WM_CTLCOLORSTATIC, [](auto m, auto) { return m->GroupBoxChar->Handle(); }},
    {"name form", COLOR_BTNFACE, WM_CTLCOLORBTN, [](auto m, auto) { return m->RadioGroup->ItemHandle(0); }},
    {"empty list", COLOR_BTNFACE, WM_CTLCOLORLISTBOX, [](auto, auto l) { return l->ListBox->Handle(); }},
    {"status bar", COLOR_BTNFACE, WM_DRAWITEM, [](auto m, auto) { return m->StatusBar->Handle(); }},
};

// The pictures as the toolbar and the buttons (arrow, clipboard, list) hold them.
std::vector<HIMAGELIST> Pictures(TMainForm* f) {
  auto button = [](TButton* b) { return b->Images->SingleHandle(b->Dpi(), b->ImageIndex); };
  return {reinterpret_cast<HIMAGELIST>(SendMessageW(f->ToolBar->Handle(), TB_GETIMAGELIST, 0, 0)),
          button(f->BtnInput), button(f->BtnClipFile), button(f->BtnListName)};
}

// Draws each image on a colour no picture uses; a drawn pixel beside that colour is edge,
// and must stand out on the face as graphics should (3 to 1).
void ExpectEdgesStandOut(const std::vector<HIMAGELIST>& pictures) {
  constexpr COLORREF kKey = RGB(1, 2, 3);
  const TWindowDC screen(nullptr);
  const TMemoryDC dc(CreateCompatibleDC(screen.Get()));
  SetDCBrushColor(dc.Get(), kKey);
  for (HIMAGELIST list : pictures) {
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    const TBitmap bmp(CreateCompatibleBitmap(screen.Get(), cx, cy));
    const TSelection selected(dc.Get(), bmp.Get());
    auto blank = [&](int x, int y) { return x < 0 || y < 0 || x >= cx || y >= cy || GetPixel(dc.Get(), x, y) == kKey; };
    for (int i = 0; i < ImageList_GetImageCount(list); ++i) {
      const RECT r{0, 0, cx, cy};
      FillRect(dc.Get(), &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      ImageList_Draw(list, i, dc.Get(), 0, 0, ILD_NORMAL);
      int edges = 0, faint = 0;
      for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
          if (!blank(x, y) && (blank(x - 1, y) || blank(x + 1, y) || blank(x, y - 1) || blank(x, y + 1)))
            ++edges, faint += ContrastRatio(GetPixel(dc.Get(), x, y), SysColor(COLOR_BTNFACE)) < 3;
      EXPECT_TRUE(edges > 0 && faint == 0) << cx << " px image " << i << ": " << faint << " of " << edges << " faint";
    }
  }
}

class Contrast : public WindowTest, public testing::WithParamInterface<COLORREF (*)(int)> {
 protected:
  Contrast() { palette_->getSysColor = GetParam(); }
  TStaged<ColorPlatform> palette_;
  int reached_ = 0;  // outlives the windows
};

TEST_P(Contrast, EveryTextStandsOutAgainstItsOwnBackground) {
  MainForm->EditFile->SetEnabled(true), MainForm->RadioGroup->SetEnabled(true);
  for (const auto& row : kTexts) {
    const TMemoryDC dc(CreateCompatibleDC(nullptr));
    const COLORREF back = SysColor(row.background);
    SetBkColor(dc.Get(), back);
    const HWND h = row.window(MainForm, ListForm);
    DRAWITEMSTRUCT d{ODT_STATIC, 0, 0, 0, 0, h, dc.Get(), {0, 0, 200, 20}, 0};
    const bool draw = row.msg == WM_DRAWITEM;
    SendMessageW(GetParent(h), row.msg, draw ? GetDlgCtrlID(h) : reinterpret_cast<WPARAM>(dc.Get()),
                 draw ? reinterpret_cast<LPARAM>(&d) : reinterpret_cast<LPARAM>(h));
    EXPECT_EQ(GetBkColor(dc.Get()), back) << row.name;
    EXPECT_GE(ContrastRatio(GetTextColor(dc.Get()), back), 4.5) << row.name;
  }
}

TEST_P(Contrast, AColourChangeReachesTheBarsAndDrawsThePicturesAnew) {
  const std::vector<HIMAGELIST> pictures = Pictures(MainForm);  // drawn again in place
  for (TWinControl* c : std::initializer_list<TWinControl*>{MainForm->ToolBar, MainForm->StatusBar, ListForm->ToolBar})
    c->WindowProc = [this, old = c->WindowProc](TMessage& m) { reached_ += m.Msg == WM_SYSCOLORCHANGE, old(m); };
  palette_->getSysColor = GetParam() == DarkWindow ? LightWindow : DarkWindow;
  SendMessageW(MainForm->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  SendMessageW(ListForm->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(reached_, 3);
  ExpectEdgesStandOut(pictures);
}

INSTANTIATE_TEST_SUITE_P(Palettes, Contrast, testing::Values(DarkWindow, LightWindow));

}  // namespace
