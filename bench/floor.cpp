// The start-up floor: a Win32 program that opens one empty window and does
// nothing else, built with Tovanel's compiler flags and static runtime, so
// that Tovanel's start-up can be compared with what any window costs.
//
// Built with FLOOR_CONTROLS, the window also holds plain system controls of
// the kinds, number and places of the main window's (toolbar, frames, radio
// buttons, edit boxes, buttons, status bar): what those controls cost on
// their own, without images, fonts, settings or a second window.
//
// Built with FLOOR_STARTUP (which implies FLOOR_CONTROLS), it makes with the
// platform alone everything that Tovanel's start-up makes: the main window's
// controls with the toolbar's buttons, the list window's controls in a
// hidden sizeable tool window owned by the main one, the pictures of the
// toolbars and picture buttons in image lists, the menu font on every
// control (the list at 10 points), both windows open to drops, and one read
// of the settings file. Both windows' controls come from their own tables.
#include <windows.h>
#ifdef FLOOR_CONTROLS
#include <commctrl.h>

#include <array>

#include "windows/Main.h"
#endif
#ifdef FLOOR_STARTUP
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "base/StartupProfile.h"
#include "windows/List.h"
#else
#define TOVANEL_STAGE(...) ((void)0)
#define TOVANEL_STAGE_PAINTED_WHEN_IDLE() ((void)0)
#endif

namespace {

LRESULT CALLBACK FloorProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(h, msg, w, l);
}

#ifdef FLOOR_CONTROLS
struct Child {
  const wchar_t* cls;
  DWORD style;
  int parent;  // index of the parent in the table, -1 for the window
  int x, y, w, h;
  const char16_t* text;
  int list = -1;   // the image list of a toolbar or picture button (kLists), -1 for none
  int image = -1;  // a picture button's image in that list
  int buttonWidth = 0, buttonHeight = 0;  // a toolbar's
};

using tovanel::kMainControls;
using tovanel::TKindClass;

constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP, kFrame = BS_GROUPBOX, kRadio = BS_AUTORADIOBUTTON | WS_TABSTOP,
                kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// A radio group is a frame of radio buttons, column by column, 8 pixels in,
// 304 pixels apart and 19 high. The toolbar stays without buttons.
constexpr int kRadioColumnWidth = 304, kRadioHeight = 19, kRadioInset = 8;

// The windows' image lists, by the size and count that the main window gives
// them; the list window has none.
struct PictureList {
  int size, count;
};
constexpr PictureList kLists[] = {{32, 2}, {16, 2}, {20, 1}};
consteval int ListIndex(tovanel::TImageList* tovanel::TMainForm::*list) {
  using tovanel::TMainForm;
  return list == &TMainForm::ImageList ? 0 : list == &TMainForm::ButtonImages ? 1 : list == &TMainForm::ListImages ? 2 : -1;
}
consteval int ListIndex(auto) { return -1; }

// Whether a row's parent is the control of this field.
consteval bool Names(const auto& parent, const auto& field) {
  return std::visit(
      [](auto p, auto f) {
        if constexpr (std::is_same_v<decltype(p), decltype(f)>) return p == f;
        return false;
      },
      parent, field);
}

template <const auto& Rows>
consteval std::size_t ChildCount() {
  std::size_t n = 0;
  for (const auto& row : Rows) n += row.kind.cls == TKindClass::ToolButton ? 0 : 1 + row.kind.items.size();
  return n;
}

// The index in the children of the control each row makes (toolbar buttons
// are none: they take their toolbar's).
template <const auto& Rows>
consteval std::array<int, std::size(Rows)> ChildIndices() {
  std::array<int, std::size(Rows)> made{};
  int n = 0, bar = -1;
  for (std::size_t i = 0; i < std::size(Rows); ++i) {
    if (Rows[i].kind.cls == TKindClass::ToolButton) {
      made[i] = bar;
      continue;
    }
    if (Rows[i].kind.cls == TKindClass::ToolBar) bar = n;
    made[i] = n;
    n += 1 + static_cast<int>(Rows[i].kind.items.size());
  }
  return made;
}

// A window's controls as plain system controls, from its own table.
template <const auto& Rows>
consteval std::array<Child, ChildCount<Rows>()> Children() {
  std::array<Child, ChildCount<Rows>()> out{};
  constexpr auto made = ChildIndices<Rows>();
  std::size_t n = 0;
  for (std::size_t i = 0; i < std::size(Rows); ++i) {
    const auto& row = Rows[i];
    if (row.kind.cls == TKindClass::ToolButton) continue;
    int parent = -1;
    for (std::size_t j = 0; j < i; ++j)
      if (Names(row.parent, Rows[j].field)) parent = made[j];
    const auto& b = row.bounds;
    Child c{L"BUTTON", kPush, parent, b.left, b.top, b.width, b.height, row.caption};
    c.list = row.picture.list ? ListIndex(row.picture.list) : -1;
    c.image = row.picture.index;
    switch (row.kind.cls) {
      case TKindClass::ToolBar:
        c.cls = TOOLBARCLASSNAMEW;
        c.style = TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER;
        c.buttonWidth = row.kind.buttonWidth;
        c.buttonHeight = row.kind.buttonHeight;
        break;
      case TKindClass::Frame:
      case TKindClass::RadioGroup: c.style = kFrame; break;
      case TKindClass::Edit:
        c.cls = L"EDIT";
        c.style = kEdit | (row.kind.readOnly ? ES_READONLY : 0);
        break;
      case TKindClass::StatusBar:
        c.cls = STATUSCLASSNAMEW;
        c.style = CCS_NORESIZE | CCS_NOPARENTALIGN;
        break;
      case TKindClass::ListBox:
        c.cls = L"LISTBOX";
        c.style = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
        break;
      default: break;
    }
    out[n++] = c;
    const std::size_t rows = row.kind.items.size() / (row.kind.columns ? row.kind.columns : 1);
    for (std::size_t k = 0; k < row.kind.items.size(); ++k)
      out[n++] = {L"BUTTON", kRadio | (k ? 0 : WS_GROUP), made[i],
                  kRadioInset + static_cast<int>(k / rows) * kRadioColumnWidth,
                  kRadioInset + static_cast<int>(k % rows) * kRadioHeight, kRadioColumnWidth - 4, kRadioHeight,
                  row.kind.items[k]};
  }
  return out;
}

constexpr auto kChildren = Children<kMainControls>();

#ifndef FLOOR_STARTUP
bool MakeControls(HWND window, HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HWND made[sizeof kChildren / sizeof kChildren[0]] = {};
  int i = 0;
  for (const Child& c : kChildren) {
    HWND parent = c.parent < 0 ? window : made[c.parent];
    made[i] = CreateWindowExW(0, c.cls, reinterpret_cast<const wchar_t*>(c.text), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style, c.x, c.y, c.w, c.h,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance, nullptr);
    if (!made[i++]) return false;
  }
  return true;
}
#endif
#endif

#ifdef FLOOR_STARTUP
using tovanel::kListControls;

// A toolbar button (or separator) of a table, with the child index of its bar.
struct Button {
  int bar;
  const char16_t* caption;  // none for a separator
  int image;
  bool rowBreak;
};

template <const auto& Rows>
consteval std::size_t ButtonCount() {
  std::size_t n = 0;
  for (const auto& row : Rows) n += row.kind.cls == TKindClass::ToolButton ? 1 : 0;
  return n;
}

template <const auto& Rows>
consteval std::array<Button, ButtonCount<Rows>()> Buttons() {
  std::array<Button, ButtonCount<Rows>()> out{};
  constexpr auto made = ChildIndices<Rows>();
  std::size_t n = 0;
  for (std::size_t i = 0; i < std::size(Rows); ++i)
    if (Rows[i].kind.cls == TKindClass::ToolButton)
      out[n++] = {made[i], Rows[i].caption, Rows[i].picture.index, Rows[i].kind.rowBreak};
  return out;
}

constexpr auto kListChildren = Children<kListControls>();
constexpr auto kMainButtons = Buttons<kMainControls>();
constexpr auto kListButtons = Buttons<kListControls>();

// Pictures: a filled square with a frame in each, drawn for the list's size.
HIMAGELIST MakeImages(const PictureList& l, int count) {
  HIMAGELIST list = ImageList_Create(l.size, l.size, ILC_COLOR32 | ILC_MASK, count, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBRUSH back = CreateSolidBrush(RGB(255, 0, 255)), fill = CreateSolidBrush(RGB(0, 90, 200));
  for (int i = 0; i < count; ++i) {
    HBITMAP bmp = CreateCompatibleBitmap(screen, l.size, l.size);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT r{0, 0, l.size, l.size};
    FillRect(dc, &r, back);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    Rectangle(dc, l.size / 8, l.size / 8, l.size - l.size / 8, l.size - l.size / 8);
    SelectObject(dc, oldBrush);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bmp, RGB(255, 0, 255));
    DeleteObject(bmp);
  }
  DeleteObject(fill);
  DeleteObject(back);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

// A picture button shows the first image of its list: one list a picture,
// made once, as the windows make theirs.
HIMAGELIST SinglePicture(int list, int image) {
  static HIMAGELIST made[std::size(kLists)][2] = {};
  HIMAGELIST& m = made[list][image];
  if (!m) m = MakeImages(kLists[list], 1);
  return m;
}

HFONT MenuFont(int height) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpynW(lf.lfFaceName, ncm.lfMenuFont.lfFaceName, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

template <std::size_t N, std::size_t B>
bool MakeControls(HWND window, HINSTANCE instance, const std::array<Child, N>& children,
                  const std::array<Button, B>& buttons, HFONT font, HFONT listFont) {
  HWND made[N] = {};
  for (std::size_t i = 0; i < N; ++i) {
    const Child& c = children[i];
    HWND parent = c.parent < 0 ? window : made[c.parent];
    const DWORD ex = c.cls == std::wstring_view(L"EDIT") || c.cls == std::wstring_view(L"LISTBOX") ? WS_EX_CLIENTEDGE : 0;
    made[i] = CreateWindowExW(ex, c.cls, reinterpret_cast<const wchar_t*>(c.text), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style,
                              c.x, c.y, c.w, c.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance, nullptr);
    if (!made[i]) return false;
    SendMessageW(made[i], WM_SETFONT, reinterpret_cast<WPARAM>(c.cls == std::wstring_view(L"LISTBOX") ? listFont : font), FALSE);
    if (c.cls == std::wstring_view(TOOLBARCLASSNAMEW)) {
      SendMessageW(made[i], TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
      if (c.list >= 0) {
        const PictureList& l = kLists[c.list];
        SendMessageW(made[i], TB_SETBITMAPSIZE, 0, MAKELPARAM(l.size, l.size));
        SendMessageW(made[i], TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(MakeImages(l, l.count)));
      } else {
        SendMessageW(made[i], TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
      }
      TBBUTTON tb[B] = {};
      int n = 0;
      for (const Button& b : buttons) {
        if (b.bar != static_cast<int>(i)) continue;
        TBBUTTON& t = tb[n++];
        t.idCommand = 1000 + n;
        t.fsState = static_cast<BYTE>(TBSTATE_ENABLED | (b.rowBreak ? TBSTATE_WRAP : 0));
        t.fsStyle = b.caption ? BTNS_BUTTON | BTNS_SHOWTEXT | (c.buttonWidth ? 0 : BTNS_AUTOSIZE) : BTNS_SEP;
        t.iBitmap = b.caption ? (c.list >= 0 ? b.image : I_IMAGENONE) : 8;
        t.iString = reinterpret_cast<INT_PTR>(b.caption);
      }
      if (c.buttonWidth) SendMessageW(made[i], TB_SETBUTTONWIDTH, 0, MAKELPARAM(c.buttonWidth, c.buttonWidth));
      SendMessageW(made[i], TB_ADDBUTTONSW, n, reinterpret_cast<LPARAM>(tb));
      SendMessageW(made[i], TB_SETBUTTONSIZE, 0, MAKELPARAM(c.buttonWidth, c.buttonHeight));
      SendMessageW(made[i], TB_AUTOSIZE, 0, 0);
    } else if (c.list >= 0) {
      BUTTON_IMAGELIST bil{SinglePicture(c.list, c.image), {2, 0, 2, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
      SendMessageW(made[i], BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    }
  }
  DragAcceptFiles(window, TRUE);
  return true;
}

// The settings file, read whole once, where Tovanel keeps it.
void ReadSettings() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder))) return;
  const std::wstring path = std::wstring(folder) + L"\\Orvendel\\Tovanel\\Tovanel.ini";
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  char data[4096];
  DWORD got = 0;
  while (ReadFile(f, data, sizeof data, &got, nullptr) && got) {
  }
  CloseHandle(f);
}

RECT Outer(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return r;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  TOVANEL_STAGE("entry");
  WNDCLASSW wc{};
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TovanelBenchFloor";
#ifdef FLOOR_STARTUP
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
#endif
  if (!RegisterClassW(&wc)) return 1;
#ifdef FLOOR_STARTUP
  // The main window as Tovanel makes it, then the list window, hidden.
  const DWORD mainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const RECT mainRect = Outer(624, 361, mainStyle, WS_EX_CONTROLPARENT);
  HWND h = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"floor", mainStyle, 100, 100,
                           mainRect.right - mainRect.left, mainRect.bottom - mainRect.top, nullptr, nullptr, instance, nullptr);
  if (!h) return 1;
  TOVANEL_STAGE("window made", "MainForm");
  HFONT font = MenuFont(-12), listFont = MenuFont(-MulDiv(10, 96, 72));
  if (!MakeControls(h, instance, kChildren, kMainButtons, font, listFont)) return 1;
  TOVANEL_STAGE("window and controls made", "MainForm");
  ReadSettings();
  TOVANEL_STAGE("settings read");
  HWND list = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, wc.lpszClassName, L"floor list",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 708, 400, 300,
                              300, h, nullptr, instance, nullptr);
  if (!list) return 1;
  TOVANEL_STAGE("window made", "ListForm");
  if (!MakeControls(list, instance, kListChildren, kListButtons, font, listFont)) return 1;
  TOVANEL_STAGE("window and controls made", "ListForm");
#else
  // About the main window's size, so that both paint a similar area.
  HWND h = CreateWindowExW(0, wc.lpszClassName, L"floor",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance, nullptr);
  if (!h) return 1;
#ifdef FLOOR_CONTROLS
  if (!MakeControls(h, instance)) return 1;
#endif
#endif
  ShowWindow(h, show);
  UpdateWindow(h);
  TOVANEL_STAGE("main window shown");
  MSG msg;
  for (;;) {
    TOVANEL_STAGE_PAINTED_WHEN_IDLE();
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
