// A second program for the clipboard tests, since only another program can
// hold the clipboard open against the tested one, and reading back from
// another process shows what was really handed over.
//   clipholder put                          places text, a picture and a private format
//   clipholder hold <opened> <release>      opens the clipboard, sets event <opened>,
//                                           closes it at event <release>
//   clipholder read <file>                  writes the formats and the Unicode text to <file>
// Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kPatienceMs = 10000;  // never outlive a test that went wrong

HWND MakeWindow() {
  return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The tested program may have the clipboard open for a moment.
bool OpenPatiently(HWND owner) {
  for (DWORD waited = 0; waited < kPatienceMs; waited += 10) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

HGLOBAL Block(const void* data, SIZE_T size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  return block;
}

int Put(HWND owner) {
  if (!OpenPatiently(owner)) return 2;
  EmptyClipboard();
  const wchar_t text[] = L"前の内容";
  BITMAPINFOHEADER dib = {};  // one white pixel
  dib.biSize = sizeof dib;
  dib.biWidth = dib.biHeight = 1;
  dib.biPlanes = 1;
  dib.biBitCount = 32;
  unsigned char picture[sizeof dib + 4];
  std::memcpy(picture, &dib, sizeof dib);
  std::memset(picture + sizeof dib, 0xFF, 4);
  const char marker[] = "marker";
  bool ok = SetClipboardData(CF_UNICODETEXT, Block(text, sizeof text)) &&
            SetClipboardData(CF_DIB, Block(picture, sizeof picture)) &&
            SetClipboardData(RegisterClipboardFormatW(L"Tovanel.Test.Marker"), Block(marker, sizeof marker));
  CloseClipboard();
  return ok ? 0 : 3;
}

int Hold(HWND owner, const wchar_t* opened, const wchar_t* release) {
  HANDLE openedEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, opened);
  HANDLE releaseEvent = OpenEventW(SYNCHRONIZE, FALSE, release);
  if (!openedEvent || !releaseEvent || !OpenPatiently(owner)) return 2;
  SetEvent(openedEvent);
  WaitForSingleObject(releaseEvent, kPatienceMs);
  CloseClipboard();
  return 0;
}

// Writes, as UTF-16, the formats in order, each followed by a space, then,
// when there is a Unicode text, a newline and the text up to its NUL.
int Read(HWND owner, const wchar_t* path) {
  if (!OpenPatiently(owner)) return 2;
  std::wstring out;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
    out += std::to_wstring(format) + L' ';
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      out += L'\n';
      out.append(text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  FILE* file = _wfopen(path, L"wb");
  if (!file) return 3;
  std::fwrite(out.data(), sizeof(wchar_t), out.size(), file);
  return std::fclose(file) == 0 ? 0 : 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HWND owner = MakeWindow();
  if (!owner) return 4;
  if (argc == 2 && !wcscmp(argv[1], L"put")) return Put(owner);
  if (argc == 4 && !wcscmp(argv[1], L"hold")) return Hold(owner, argv[2], argv[3]);
  if (argc == 3 && !wcscmp(argv[1], L"read")) return Read(owner, argv[2]);
  return 1;
}
