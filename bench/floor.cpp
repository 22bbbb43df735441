// The start-up floor: a Win32 program that opens one empty window and does
// nothing else, built with Tovanel's compiler flags and static runtime, so
// that Tovanel's start-up can be compared with what any window costs.
//
// Built with FLOOR_CONTROLS, the window also holds plain system controls of
// the kinds, number and places of the main window's (toolbar, frames, radio
// buttons, edit boxes, buttons, status bar): what those controls cost on
// their own, without images, fonts, settings or a second window.
#include <windows.h>
#ifdef FLOOR_CONTROLS
#include <commctrl.h>

#include <array>

#include "windows/Main.h"
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
};

using tovanel::kMainControls;
using tovanel::TKindClass;

constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP, kFrame = BS_GROUPBOX, kRadio = BS_AUTORADIOBUTTON | WS_TABSTOP,
                kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// A radio group is a frame of radio buttons, column by column, 8 pixels in,
// 304 pixels apart and 19 high. The toolbar stays without buttons.
constexpr int kRadioColumnWidth = 304, kRadioHeight = 19, kRadioInset = 8;

// Whether a row's parent is the control of this field.
consteval bool Names(const auto& parent, const auto& field) {
  return std::visit(
      [](auto p, auto f) {
        if constexpr (std::is_same_v<decltype(p), decltype(f)>) return p == f;
        return false;
      },
      parent, field);
}

consteval std::size_t ChildCount() {
  std::size_t n = 0;
  for (const auto& row : kMainControls)
    n += row.kind.cls == TKindClass::ToolButton ? 0 : 1 + row.kind.items.size();
  return n;
}

// The main window's controls as plain system controls, from its own table.
consteval std::array<Child, ChildCount()> Children() {
  std::array<Child, ChildCount()> out{};
  std::size_t made[std::size(kMainControls)] = {};
  std::size_t n = 0;
  for (std::size_t i = 0; i < std::size(kMainControls); ++i) {
    const auto& row = kMainControls[i];
    if (row.kind.cls == TKindClass::ToolButton) continue;
    int parent = -1;
    for (std::size_t j = 0; j < i; ++j)
      if (Names(row.parent, kMainControls[j].field)) parent = static_cast<int>(made[j]);
    const auto& b = row.bounds;
    Child c{L"BUTTON", kPush, parent, b.left, b.top, b.width, b.height, row.caption};
    switch (row.kind.cls) {
      case TKindClass::ToolBar:
        c.cls = TOOLBARCLASSNAMEW;
        c.style = TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER;
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
      default: break;
    }
    made[i] = n;
    out[n++] = c;
    const std::size_t rows = row.kind.items.size() / (row.kind.columns ? row.kind.columns : 1);
    for (std::size_t k = 0; k < row.kind.items.size(); ++k)
      out[n++] = {L"BUTTON", kRadio | (k ? 0 : WS_GROUP), static_cast<int>(made[i]),
                  kRadioInset + static_cast<int>(k / rows) * kRadioColumnWidth,
                  kRadioInset + static_cast<int>(k % rows) * kRadioHeight, kRadioColumnWidth - 4, kRadioHeight,
                  row.kind.items[k]};
  }
  return out;
}

constexpr auto kChildren = Children();

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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TovanelBenchFloor";
  if (!RegisterClassW(&wc)) return 1;
  // About the main window's size, so that both paint a similar area.
  HWND h = CreateWindowExW(0, wc.lpszClassName, L"floor",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance, nullptr);
  if (!h) return 1;
#ifdef FLOOR_CONTROLS
  if (!MakeControls(h, instance)) return 1;
#endif
  ShowWindow(h, show);
  UpdateWindow(h);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
