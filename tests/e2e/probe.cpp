// Looks at a running Tovanel from outside, the way another program on the
// same desktop can, for the end-to-end tests' driver:
//   probe dump            Tovanel's top-level windows and every control in
//                         them, with texts and states, as one JSON object
//   probe clip            the clipboard's Unicode text and the process id
//                         of the window that owns it (0: none), as JSON
//   probe setclip <hex>   puts the text (UTF-8, in hex) on the clipboard
//   probe short <hex>     the platform's short form of the path (UTF-8, in
//                         hex), as JSON
//   probe appdata         the user's roaming application-data folder
//   probe acc             the accessible name and role of each of Tovanel's
//                         windows and controls, as assistive technology asks
//                         for them (AccessibleObjectFromWindow), as JSON
//   probe shown <ms> [title]
//                         waits until Tovanel's window of this title (the
//                         main window's by default) is shown and painted
//                         (exit 0), at most <ms> milliseconds (else 5)
// Output is ASCII JSON (everything else escaped), so that no code page
// stands between this program and the driver. Exit code 0 on success, 4
// when a window of Tovanel does not respond.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Asks a window of the other process, giving up when it does not respond: a
// hung program must fail the test, not hold the probe.
LRESULT Ask(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result) && IsWindow(h)) {
    std::fprintf(stderr, "window %p does not respond to message 0x%04x\n", static_cast<void*>(h), msg);
    std::exit(4);
  }
  return static_cast<LRESULT>(result);
}

std::string Json(const std::wstring& s) {
  std::string out = "\"";
  for (wchar_t c : s) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

std::string Json(bool b) { return b ? "true" : "false"; }

std::string Json(HWND h) { return std::to_string(reinterpret_cast<UINT_PTR>(h)); }

std::string Json(const RECT& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + "]";
}

std::wstring ClassOf(HWND h) {
  wchar_t name[256] = {};
  GetClassNameW(h, name, 256);
  return name;
}

// WM_GETTEXT, which the platform carries across processes.
std::wstring TextOf(HWND h) {
  LRESULT n = Ask(h, WM_GETTEXTLENGTH, 0, 0);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  LRESULT got = Ask(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(got));
  return s;
}

RECT ScreenRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

RECT ClientRect(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Toolbar messages carry pointers that the platform does not carry across
// processes: they point into a block lent from the toolbar's own process.
class RemoteBlock {
 public:
  RemoteBlock(HWND owner, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool ok() const { return address_ != nullptr; }
  LPARAM param() const { return reinterpret_cast<LPARAM>(address_); }
  bool Read(void* to, SIZE_T n) const {
    SIZE_T got = 0;
    return n <= size_ && ReadProcessMemory(process_, address_, to, n, &got) && got == n;
  }
  bool Clear() const {
    std::vector<char> zero(size_, 0);
    SIZE_T put = 0;
    return WriteProcessMemory(process_, address_, zero.data(), size_, &put) && put == size_;
  }

 private:
  SIZE_T size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

std::string ToolbarButtons(HWND bar) {
  RemoteBlock block(bar, 4096);
  if (!block.ok()) return "null";
  std::string out = "[";
  int n = static_cast<int>(Ask(bar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    TBBUTTON b{};
    block.Clear();
    if (!Ask(bar, TB_GETBUTTON, static_cast<WPARAM>(i), block.param()) || !block.Read(&b, sizeof b))
      continue;
    std::wstring text;
    bool separator = (b.fsStyle & BTNS_SEP) != 0;
    if (!separator) {
      block.Clear();
      LRESULT len = Ask(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(b.idCommand), block.param());
      if (len > 0 && len < 2000) {
        text.assign(static_cast<size_t>(len) + 1, L'\0');
        if (block.Read(text.data(), text.size() * sizeof(wchar_t))) text.resize(static_cast<size_t>(len));
        else text.clear();
      }
    }
    RECT r{};
    block.Clear();
    if (Ask(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), block.param()) && block.Read(&r, sizeof r))
      MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    if (out.size() > 1) out += ",";
    out += "{\"id\":" + std::to_string(b.idCommand) + ",\"separator\":" + Json(separator) +
           ",\"text\":" + Json(text) + ",\"enabled\":" + Json((b.fsState & TBSTATE_ENABLED) != 0) +
           ",\"wrap\":" + Json((b.fsState & TBSTATE_WRAP) != 0) + ",\"rect\":" + Json(r) + "}";
  }
  return out + "]";
}

std::string ListItems(HWND list) {
  std::string out = "[";
  int n = static_cast<int>(Ask(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    LRESULT len = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring s(len > 0 ? static_cast<size_t>(len) + 1 : 1, L'\0');
    LRESULT got = Ask(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (i) out += ",";
    out += Json(s);
  }
  return out + "]";
}

// What the status bar returns for SB_GETTEXTLENGTHW and SB_GETTEXTW, as another
// program (or a screen reader's status-bar support) reads it: the text comes
// through a block lent from the bar's own process; the type flags (owner
// drawn, for one) ride in the high word of both results.
std::string StatusText(HWND bar) {
  const LRESULT lengthAndType = Ask(bar, SB_GETTEXTLENGTHW, 0, 0);
  const size_t length = LOWORD(lengthAndType);
  RemoteBlock block(bar, (length + 1) * sizeof(wchar_t));
  if (!block.ok() || !block.Clear()) return "null";
  const LRESULT got = Ask(bar, SB_GETTEXTW, 0, block.param());
  std::wstring s(length + 1, L'\0');
  if (!block.Read(s.data(), s.size() * sizeof(wchar_t))) return "null";
  s.resize(wcsnlen(s.c_str(), length));
  return "{\"text\":" + Json(s) + ",\"length\":" + std::to_string(length) +
         ",\"type\":" + std::to_string(HIWORD(lengthAndType)) + ",\"got\":" + std::to_string(LOWORD(got)) + "}";
}

// One control and, after it, its children, in the platform's order.
void DumpControls(HWND parent, std::string& out) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    std::wstring cls = ClassOf(h);
    LONG style = GetWindowLongW(h, GWL_STYLE);
    if (out.back() != '[') out += ",";
    out += "{\"hwnd\":" + Json(h) + ",\"parent\":" + Json(parent) + ",\"class\":" + Json(cls) +
           ",\"id\":" + std::to_string(GetDlgCtrlID(h)) + ",\"text\":" + Json(TextOf(h)) +
           ",\"style\":" + std::to_string(static_cast<unsigned long>(style)) +
           ",\"enabled\":" + Json(IsWindowEnabled(h) != FALSE) + ",\"visible\":" + Json(IsWindowVisible(h) != FALSE) +
           ",\"rect\":" + Json(ScreenRect(h)) + ",\"client\":" + Json(ClientRect(h));
    // Matched by ending, since the toolkit superclasses the system classes.
    auto endsWith = [&](const wchar_t* s) {
      size_t n = wcslen(s);
      return cls.size() >= n && _wcsicmp(cls.c_str() + cls.size() - n, s) == 0;
    };
    if (endsWith(L"BUTTON")) {
      LONG kind = style & BS_TYPEMASK;
      if (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON || kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX)
        out += ",\"checked\":" + Json(Ask(h, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (endsWith(L"LISTBOX")) {
      out += ",\"items\":" + ListItems(h) + ",\"selected\":" + std::to_string(Ask(h, LB_GETCURSEL, 0, 0)) +
             ",\"top\":" + std::to_string(Ask(h, LB_GETTOPINDEX, 0, 0)) +
             ",\"itemheight\":" + std::to_string(Ask(h, LB_GETITEMHEIGHT, 0, 0));
    } else if (endsWith(TOOLBARCLASSNAMEW)) {
      out += ",\"buttons\":" + ToolbarButtons(h);
    } else if (endsWith(L"EDIT")) {
      out += ",\"readonly\":" + Json((style & ES_READONLY) != 0);
    } else if (endsWith(STATUSCLASSNAMEW)) {
      out += ",\"status\":" + StatusText(h);
    }
    out += "}";
    DumpControls(h, out);
  }
}

// The middle of the close box, found by asking the window what lies under
// each point of its caption row; [] when it shows none.
std::string CloseBox(HWND h) {
  RECT r = ScreenRect(h);
  RECT client = ClientRect(h);
  if (!IsWindowVisible(h) || client.top <= r.top) return "[]";
  int y = (r.top + client.top) / 2;
  int first = -1, last = -1;
  for (int x = r.right - 1; x > r.left; --x) {
    LRESULT hit = Ask(h, WM_NCHITTEST, 0, MAKELPARAM(x, y));
    if (hit == HTCLOSE) {
      if (last < 0) last = x;
      first = x;
    } else if (last >= 0) {
      break;
    }
  }
  if (last < 0) return "[]";
  return "[" + std::to_string((first + last) / 2) + "," + std::to_string(y) + "]";
}

// The program's windows: its own classes, its message boxes and its shown
// tool tips.
bool Ours(HWND h) {
  std::wstring cls = ClassOf(h);
  return cls == L"Tovanel.Window" || cls == L"#32770" || (cls == L"tooltips_class32" && IsWindowVisible(h));
}

// A named callback: a lambda has the wrong calling convention in 32-bit builds.
BOOL CALLBACK CollectOurs(HWND h, LPARAM p) {
  if (Ours(h)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

int Dump() {
  std::vector<HWND> tops;
  EnumWindows(CollectOurs, reinterpret_cast<LPARAM>(&tops));
  std::string out = "{\"foreground\":" + Json(GetForegroundWindow()) + ",\"windows\":[";
  for (size_t i = 0; i < tops.size(); ++i) {
    HWND h = tops[i];
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(h, &pid);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(tid, &gui);
    if (i) out += ",";
    out += "{\"hwnd\":" + Json(h) + ",\"class\":" + Json(ClassOf(h)) + ",\"title\":" + Json(TextOf(h)) +
           ",\"pid\":" + std::to_string(pid) + ",\"owner\":" + Json(GetWindow(h, GW_OWNER)) +
           ",\"style\":" + std::to_string(static_cast<unsigned long>(GetWindowLongW(h, GWL_STYLE))) +
           ",\"exstyle\":" + std::to_string(static_cast<unsigned long>(GetWindowLongW(h, GWL_EXSTYLE))) +
           ",\"visible\":" + Json(IsWindowVisible(h) != FALSE) + ",\"enabled\":" + Json(IsWindowEnabled(h) != FALSE) +
           ",\"rect\":" + Json(ScreenRect(h)) + ",\"client\":" + Json(ClientRect(h)) +
           ",\"closebox\":" + CloseBox(h) + ",\"focus\":" + Json(gui.hwndFocus) + ",\"controls\":[";
    DumpControls(h, out);
    out += "]}";
  }
  out += "]}";
  std::puts(out.c_str());
  return 0;
}

HWND MakeWindow() {
  return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Tovanel may hold the clipboard for a moment.
bool OpenPatiently(HWND owner) {
  for (int i = 0; i < 500; ++i) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

int Clip() {
  if (!OpenPatiently(MakeWindow())) return 2;
  DWORD owner = 0;
  if (HWND h = GetClipboardOwner()) GetWindowThreadProcessId(h, &owner);
  std::string out = "{\"owner\":" + std::to_string(owner) + ",\"text\":";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (p) {
    // The block may be longer than its text; the text ends at the first NUL.
    SIZE_T units = GlobalSize(data) / sizeof(wchar_t);
    out += Json(std::wstring(p, wcsnlen(p, units)));
    GlobalUnlock(data);
  } else {
    out += "null";
  }
  CloseClipboard();
  std::puts((out + "}").c_str());
  return 0;
}

std::wstring FromHex(const wchar_t* hex) {
  std::string utf8;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    wchar_t pair[3] = {hex[i], hex[i + 1], 0};
    utf8 += static_cast<char>(wcstoul(pair, nullptr, 16));
  }
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
  return text;
}

int SetClip(const wchar_t* hex) {
  const std::wstring text = FromHex(hex);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!block) return 3;
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  if (!OpenPatiently(MakeWindow())) return 2;
  EmptyClipboard();
  bool ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  return ok ? 0 : 3;
}

int Short(const wchar_t* hex) {
  wchar_t path[32768];
  const DWORD n = GetShortPathNameW(FromHex(hex).c_str(), path, 32768);
  if (n == 0 || n >= 32768) return 2;
  std::puts(("{\"path\":" + Json(std::wstring(path, n)) + "}").c_str());
  return 0;
}

int AppData() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path))) return 2;
  std::puts(("{\"path\":" + Json(std::wstring(path)) + "}").c_str());
  return 0;
}

// The interface's identifier, written out: the 64-bit import library's
// IID_IAccessible resolves to the import thunk, not to the identifier.
constexpr GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The accessible object's name and role of a window, as a screen reader
// gets them, or the platform's error where it gives no object.
std::string AccessibleOf(HWND h) {
  IAccessible* acc = nullptr;
  const HRESULT hr = AccessibleObjectFromWindow(h, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&acc));
  if (FAILED(hr) || !acc) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
    return std::string("{\"error\":\"") + code + "\"}";
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT named = acc->get_accName(self, &name);
  VARIANT role;
  VariantInit(&role);
  const HRESULT roled = acc->get_accRole(self, &role);
  std::string out = "{\"name\":" + (SUCCEEDED(named) && name ? Json(std::wstring(name, SysStringLen(name))) : "null") +
                    ",\"role\":" + (SUCCEEDED(roled) && role.vt == VT_I4 ? std::to_string(role.lVal) : "null") + "}";
  if (name) SysFreeString(name);
  VariantClear(&role);
  acc->Release();
  return out;
}

void AccessibleControls(HWND parent, std::string& out) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (out.back() != '[') out += ",";
    out += "{\"hwnd\":" + Json(h) + ",\"class\":" + Json(ClassOf(h)) + ",\"text\":" + Json(TextOf(h)) +
           ",\"acc\":" + AccessibleOf(h) + "}";
    AccessibleControls(h, out);
  }
}

int Acc() {
  CoInitialize(nullptr);
  std::vector<HWND> tops;
  EnumWindows(CollectOurs, reinterpret_cast<LPARAM>(&tops));
  std::string out = "{\"windows\":[";
  for (size_t i = 0; i < tops.size(); ++i) {
    if (i) out += ",";
    out += "{\"hwnd\":" + Json(tops[i]) + ",\"title\":" + Json(TextOf(tops[i])) +
           ",\"acc\":" + AccessibleOf(tops[i]) + ",\"controls\":[";
    AccessibleControls(tops[i], out);
    out += "]}";
  }
  std::puts((out + "]}").c_str());
  CoUninitialize();
  return 0;
}

// Whether the window and every window in it have nothing left to paint.
bool Painted(HWND h) {
  if (GetUpdateRect(h, nullptr, FALSE)) return false;
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && !Painted(c)) return false;
  return true;
}

struct ShownSearch {
  const wchar_t* title;
  bool found;
};

BOOL CALLBACK FindShown(HWND h, LPARAM p) {
  auto* search = reinterpret_cast<ShownSearch*>(p);
  if (ClassOf(h) == L"Tovanel.Window" && TextOf(h) == search->title && IsWindowVisible(h) && Painted(h)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

int Shown(const wchar_t* ms, const wchar_t* title) {
  const DWORD limit = static_cast<DWORD>(wcstoul(ms, nullptr, 10));
  const DWORD start = GetTickCount();
  for (;;) {
    ShownSearch search{title, false};
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
    if (search.found) return 0;
    if (GetTickCount() - start > limit) return 5;
    Sleep(50);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring cmd = argc > 1 ? argv[1] : L"";
  if (cmd == L"dump") return Dump();
  if (cmd == L"clip") return Clip();
  if (cmd == L"setclip" && argc > 2) return SetClip(argv[2]);
  if (cmd == L"short" && argc > 2) return Short(argv[2]);
  if (cmd == L"appdata") return AppData();
  if (cmd == L"acc") return Acc();
  if (cmd == L"shown" && argc > 2) return Shown(argv[2], argc > 3 ? argv[3] : L"Tovanel");
  std::fputs("usage: probe dump | clip | setclip <utf8-hex> | short <utf8-hex> | appdata\n", stderr);
  return 1;
}
