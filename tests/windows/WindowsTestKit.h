#pragma once
// Plumbing for tests that drive the real main and list windows under Wine:
// the application object with a private data folder, recorders in place of
// the error display and the key seam, message pumping, the clipboard, and
// file drops built the way the shell builds them.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/DataFolder.h"
#include "tests/common/TempFolder.h"
#include "text/Clipboard.h"
#include "toolkit/Forms.h"
#include "windows/List.h"
#include "windows/Main.h"

namespace tovanel::test {


// Settings of the folder the windows use now: written as given, or removed.
inline Text SettingsFile() { return DataFolder + u"Tovanel.ini"; }
inline void WriteSettings(const char* ini) {
  if (ini)
    WriteBytes(SettingsFile(), ini);
  else
    DeleteFileW(W(SettingsFile()));
}
inline void UseDataFolder(const TTempFolder& folder) { DataFolder = folder.Path() + u"\\"; }

using KeyLog = std::vector<std::pair<BYTE, DWORD>>;

struct TRecorded {
  std::vector<Text> Errors;
  KeyLog Keys;
};
inline TRecorded& Recorded() {
  static TRecorded r;
  return r;
}

inline void RecordKeys() {
  TMainForm::SendKey = [](BYTE vk, DWORD flags) { Recorded().Keys.push_back({vk, flags}); };
}

// Once per process, as start-up does it; errors and key strokes are recorded
// and the command line names no file, until a test says otherwise.
inline void StartApplication() {
  static TTempFolder* data = [] {
    Application().Initialize();
    SetClipboardOwner(Application().Handle());
    Application().ShowError = [](TComponent*, const Text& m) { Recorded().Errors.push_back(m); };
    RecordKeys();
    TMainForm::CommandLine = [] { return Text(u"\"prog\""); };
    return new TTempFolder;
  }();
  DataFolder = data->Path() + u"\\";
}

// Windows made as start-up makes them, hidden. Each takes over the global
// reference by which the other window reaches it; windows are never freed,
// because the program never frees them either.
inline TMainForm* NewMainForm() { return MainForm = new TMainForm(&Application()); }
inline TListForm* NewListForm() { return ListForm = new TListForm(&Application()); }
inline void EnsureWindows() {
  if (!MainForm) NewMainForm();
  if (!ListForm) NewListForm();
}

// Handles what is waiting, for a few rounds or until `done` holds; false when
// it never did.
inline bool Pump(const std::function<bool()>& done = nullptr) {
  for (int round = 0; round < (done ? 300 : 5); ++round) {
    Application().ProcessMessages();
    if (done && done()) return true;
    Sleep(10);
  }
  return !done;
}

inline Text ClipboardText() {
  for (int attempt = 0; attempt < 100; ++attempt, Sleep(10)) {
    if (!OpenClipboard(Application().Handle())) continue;
    Text text = u"<no text>";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
      if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
        text = FromW(p);
        GlobalUnlock(h);
      }
    CloseClipboard();
    return text;
  }
  return u"<clipboard busy>";
}

inline void PutOnClipboard(const Text& text) { ASSERT_TRUE(SendTextToClipboard(text)); }

// A press as the platform reports it; disabled controls take none, so the
// test insists on an enabled one.
inline void Press(TButton* b) {
  ASSERT_TRUE(IsWindowEnabled(b->Handle())) << ToUtf8(b->Name());
  SendMessageW(GetParent(b->Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b->Handle()), BN_CLICKED),
               reinterpret_cast<LPARAM>(b->Handle()));
}

inline bool ToolEnabled(TToolButton* b) {
  return SendMessageW(b->Parent()->Handle(), TB_ISBUTTONENABLED, static_cast<WPARAM>(b->CommandId()), 0) != 0;
}

inline void PressTool(TToolButton* b) {
  ASSERT_TRUE(ToolEnabled(b)) << ToUtf8(b->Name());
  HWND bar = b->Parent()->Handle();
  SendMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(b->CommandId(), BN_CLICKED), reinterpret_cast<LPARAM>(bar));
}

// Typing: one character message per unit, as the keyboard delivers them.
inline void Type(TWinControl* c, const Text& units) {
  for (char16_t u : units) SendMessageW(c->Handle(), WM_CHAR, u, 1);
}

// A shell drop of these names (wide, double-NUL terminated), posted as the
// shell posts it and handled before this returns.
inline void DropFiles(HWND target, const std::vector<Text>& names) {
  std::size_t units = 1;
  for (const Text& n : names) units += n.size() + 1;
  HGLOBAL h = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* p = reinterpret_cast<char16_t*>(drop + 1);
  for (const Text& n : names) p = std::copy(n.begin(), n.end(), p) + 1;
  GlobalUnlock(h);
  PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
  Pump();
}

inline Text WindowText(HWND h) {
  wchar_t buffer[512] = {};
  return FromW(buffer, static_cast<std::size_t>(GetWindowTextW(h, buffer, 512)));
}

inline RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// Where a window of this size is centred: within a few pixels of the middle
// of the primary work area.
inline bool Centred(HWND h) {
  RECT r = WindowRect(h), work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return std::abs((r.left + r.right) - (work.left + work.right)) <= 4 &&
         std::abs((r.top + r.bottom) - (work.top + work.bottom)) <= 4;
}

// A test of one of the windows: the application and both windows exist, the
// settings live in a fresh folder and no keys are recorded yet.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartApplication();
    EnsureWindows();
    UseDataFolder(data_);
    Recorded() = {};
  }
  TTempFolder data_;
};

}  // namespace tovanel::test
