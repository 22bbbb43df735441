#pragma once
// The test kit's part for the real main and list windows under Wine: the
// application as start-up makes it, a recorder in place of the key seam, the
// clipboard, and the fixture that makes both windows over a private settings
// folder and puts every seam back when the test ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/DataFolder.h"
#include "app/Settings.h"
#include "kit/Drops.h"
#include "kit/Files.h"
#include "kit/Placement.h"
#include "kit/Toolkit.h"
#include "text/Clipboard.h"
#include "windows/List.h"
#include "windows/Main.h"

namespace tovanel::test {

// Settings of the folder the windows use now: written as given, or removed.
inline void WriteSettings(const char* ini) {
  if (ini)
    WriteBytes(SettingsFilePath(), ini);
  else
    DeleteFileW(W(SettingsFilePath()));
}

// Once per process, as start-up does it: the application's window, which
// owns the clipboard.
inline void StartApplication() {
  static const bool started = [] {
    Application().Initialize();
    SetClipboardOwner(Application().Handle());
    return true;
  }();
  (void)started;
}

using KeyLog = std::vector<std::pair<BYTE, DWORD>>;

// Records the main window's key strokes in place of sending them.
class TKeyRecorder {
 public:
  TKeyRecorder() { platform_->sendKey = [this](BYTE vk, DWORD flags) { strokes.push_back({vk, flags}); }; }
  KeyLog strokes;

 private:
  TStaged<MainPlatform> platform_;
};

// The text on the clipboard, which must have been put there by the
// application's window: Windows refuses data from a clipboard opened without
// a window, where Wine takes it and leaves the clipboard without an owner.
inline Text ClipboardText() {
  if (GetClipboardOwner() != Application().Handle()) return u"<not the application's>";
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

// The widest entry of a list box as the platform measures it in the font
// the box holds.
inline LRESULT WidestEntry(HWND box) {
  const HDC dc = GetDC(box);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (LRESULT i = 0, n = SendMessageW(box, LB_GETCOUNT, 0, 0); i < n; ++i) {
    std::wstring entry(SendMessageW(box, LB_GETTEXTLEN, i, 0), L'\0');
    SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
    SIZE size{};
    GetTextExtentPoint32W(dc, entry.c_str(), int(entry.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  return widest;
}

// Counts this thread's windows of the forms' own class.
inline BOOL CALLBACK CountFormWindow(HWND h, LPARAM count) {
  wchar_t name[257];
  const int n = GetClassNameW(h, name, 257);
  if (n > 0 && FromW(name, static_cast<std::size_t>(n)) == TWinControl::ClassPrefix() + u"Window")
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}
inline int FormWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountFormWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// A test of the windows: both are made as start-up makes them, hidden, over
// a fresh settings folder; errors and key strokes are recorded and the
// command line names no file. When it ends, every window it made is freed
// and every seam it set is put back.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    StartApplication();
    platform->commandLine = [] { return Text(u"\"prog\""); };
  }
  void SetUp() override {
    NewMainForm();
    NewListForm();
  }
  void TearDown() override {
    forms_.FreeAll();
    EXPECT_EQ(FormWindows(), 0) << "a window made by the test outlives it";
  }

  // Each takes over the global reference by which the other window reaches
  // it; a list window is owned by the main window made before it.
  TMainForm* NewMainForm() { return MainForm = forms_.Make<TMainForm>(&Application()); }
  TListForm* NewListForm() { return ListForm = forms_.Make<TListForm>(&Application()); }

  TTempFolder data_;
  TErrorRecorder errors;
  TKeyRecorder keys;
  TStaged<MainPlatform> platform;  // what the main window's handlers call

 private:
  TScoped<Text> dataFolder_{DataFolder, data_.Path() + u"\\"};
  TScoped<TMainForm*> mainForm_{MainForm, nullptr};
  TScoped<TListForm*> listForm_{ListForm, nullptr};
  TScoped<TForm*> applicationMainForm_{Application().MainForm, nullptr};
  // Last, so that the windows go before anything they might still use.
  TForms forms_;
};

}  // namespace tovanel::test
