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
  const wchar_t* text;
};

constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP, kFrame = BS_GROUPBOX, kRadio = BS_AUTORADIOBUTTON | WS_TABSTOP,
                kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

const Child kChildren[] = {
    {TOOLBARCLASSNAMEW, TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER, -1, 0, 0, 624, 38, nullptr},
    {L"BUTTON", kFrame, -1, 0, 38, 624, 155, L"[ファイル名]"},
    {L"BUTTON", kFrame, 1, 2, 14, 620, 90, nullptr},
    {L"BUTTON", kRadio | WS_GROUP, 2, 8, 8, 300, 19, L"[&0]名前(長い)"},
    {L"BUTTON", kRadio, 2, 8, 27, 300, 19, L"[&1]名前(短い)"},
    {L"BUTTON", kRadio, 2, 8, 46, 300, 19, L"[&2]ドライブとフォルダ名(長い)"},
    {L"BUTTON", kRadio, 2, 8, 65, 300, 19, L"[&3]ドライブとフォルダ名(短い)"},
    {L"BUTTON", kRadio, 2, 312, 8, 300, 19, L"[&4]ファイル名と拡張子(長い)"},
    {L"BUTTON", kRadio, 2, 312, 27, 300, 19, L"[&5]ファイル名と拡張子((短い)"},
    {L"BUTTON", kRadio, 2, 312, 46, 300, 19, L"[&6]ファイル名だけ(長い)"},
    {L"BUTTON", kRadio, 2, 312, 65, 300, 19, L"[&7]ファイル名だけ(短い)"},
    {L"EDIT", kEdit | ES_READONLY, 1, 2, 104, 620, 20, nullptr},
    {L"BUTTON", kPush, 1, 2, 124, 190, 29, L"文字種変換に入力(&G)"},
    {L"BUTTON", kPush, 1, 372, 124, 250, 29, L"クリップボードに送る(&Q)"},
    {L"BUTTON", kPush, 1, 192, 124, 180, 29, L"リストに追加(&S)"},
    {L"BUTTON", kFrame, -1, 0, 197, 624, 145, L"[文字種変換]"},
    {L"BUTTON", kFrame, 15, 2, 14, 620, 80, nullptr},
    {L"BUTTON", kPush, 16, 5, 14, 200, 25, L"大文字→小文字(&A)"},
    {L"BUTTON", kPush, 16, 5, 45, 200, 25, L"小文字→大文字(&B)"},
    {L"BUTTON", kPush, 16, 210, 15, 200, 25, L"全角→半角(&C)"},
    {L"BUTTON", kPush, 16, 210, 45, 200, 25, L"半角→全角((&D)"},
    {L"BUTTON", kPush, 16, 415, 14, 200, 25, L"ひらがな→カタカナ(&E)"},
    {L"BUTTON", kPush, 16, 415, 45, 200, 25, L"カタカナ→ひらがな(&F)"},
    {L"EDIT", kEdit, 15, 2, 94, 620, 20, nullptr},
    {L"BUTTON", kPush, 15, 372, 114, 250, 29, L"クリップボードに送る(&Z)"},
    {L"BUTTON", kPush, 15, 222, 114, 150, 29, L"リストに追加(&T)"},
    {STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN, -1, 0, 342, 624, 19, L"ファイルをドラッグ&ドロップしてください｡"},
};

bool MakeControls(HWND window, HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HWND made[sizeof kChildren / sizeof kChildren[0]] = {};
  int i = 0;
  for (const Child& c : kChildren) {
    HWND parent = c.parent < 0 ? window : made[c.parent];
    made[i] = CreateWindowExW(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style, c.x, c.y, c.w, c.h,
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
