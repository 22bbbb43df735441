// A long day in one run: both windows moved between two resolutions, files
// dropped, texts converted and sent to the clipboard, the list window shown
// and closed, again and again. Apart from the list's own entries nothing
// the program holds may grow: drawing resources (the owners' own count,
// every one made and released through the program's imports, and the
// platform's count where it reports one), windows, the working set. When the
// windows go, every drawing resource they made has been released.
//
// The run below is the bounded one; TOVANEL_SOAK_SCALE=N repeats the whole
// day N times, for a long run on demand.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "kit/Drawing.h"
#include "kit/Windows.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

BOOL CALLBACK CountWindow(HWND h, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(h, CountWindow, count);
  return TRUE;
}

struct TCounts {
  long drawing;                 // what the owners hold
  std::size_t made;             // made through the imports and not released
  DWORD platformGdi, platformUser;  // 0 where the platform does not say
  int windows;                  // this thread's, with their children
  SIZE_T workingSet;

  static TCounts Now(const TDrawingCalls& calls) {
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&windows));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return {HeldDrawingResources, calls.Live(), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), windows, memory.WorkingSetSize};
  }
  void Print(const char* when) const {
    std::printf("%s: drawing resources %ld, made and held %zu, platform GDI %lu, USER %lu, windows %d, "
                "working set %lu KB\n",
                when, drawing, made, static_cast<unsigned long>(platformGdi), static_cast<unsigned long>(platformUser),
                windows, static_cast<unsigned long>(workingSet / 1024));
  }
};

int SoakScale() {
  const char* scale = std::getenv("TOVANEL_SOAK_SCALE");
  const int n = scale ? std::atoi(scale) : 1;
  return n > 0 ? n : 1;
}

class Soak : public WindowTest {
 protected:
  void SetUp() override {
    monitor_->getDpiForWindow = [this](HWND) { return dpi_; };
    WindowTest::SetUp();
    for (int i = 0; i < 10; ++i) files_.push_back(data_.File(u"Soak File " + Number(i) + u".txt"));
    MainForm->Show();
  }

  void MoveTo(UINT to) {
    dpi_ = to;
    for (TForm* f : {static_cast<TForm*>(MainForm), static_cast<TForm*>(ListForm)}) {
      RECT r = WindowRect(f->Handle());
      SendMessageW(f->Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&r));
    }
  }
  void Drop(int i) {
    std::vector<Text> names{files_[i % 10]};
    if (i % 3 == 0) names.push_back(files_[(i + 1) % 10]);
    SendMessageW(MainForm->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
  }
  void Convert(int i) {
    if (MainForm->EditChar->GetText().empty()) MainForm->EditChar->SetText(u"ひらがな カタカナ ＡＢＣ abc ﾃｷｽﾄ");
    Press(MainForm->MBtnChar[1 + i % 6]);
  }
  void SendToClipboard(int i) { Press(i % 2 ? MainForm->BtnClipChar : MainForm->BtnClipFile); }
  void ShowAndCloseList() {
    ListForm->Show();
    ListForm->Close();
  }

  // Whatever the windows made they release when they go.
  void TearDown() override {
    WindowTest::TearDown();
    EXPECT_EQ(drawing_.Live(), 0u) << "drawing resources made and never released";
  }

  // One day's work, `scale` times the bounded one.
  void Day(int scale) {
    for (int i = 0; i < 50 * scale; ++i) MoveTo(i % 2 ? 96 : 144);
    MoveTo(96);
    for (int i = 0; i < 500 * scale; ++i) {
      Drop(i);
      Convert(i);
      SendToClipboard(i);
      if (i % 5 < 2) ShowAndCloseList();  // 200 of 500
      if (i % 50 == 0) Application().ProcessMessages();
    }
    Application().ProcessMessages();
  }

  TDrawingCalls drawing_;
  std::vector<Text> files_;
  UINT dpi_ = 96;
  TStaged<DpiPlatform> monitor_;
};

TEST_F(Soak, NothingButTheListGrowsOverALongDay) {
  // Once round everything first, so that what is made once and kept (a
  // font and the pictures for each resolution, the tool tip, the
  // clipboard's first use) is there before counting.
  MoveTo(144);
  MoveTo(96);
  for (int i = 0; i < 6; ++i) Drop(i), Convert(i), SendToClipboard(i), ShowAndCloseList();
  Application().ProcessMessages();
  const std::size_t entriesBefore = ListForm->ListBox->Items().size();
  ASSERT_GT(drawing_.Counted(), 0u);
  const TCounts before = TCounts::Now(drawing_);
  before.Print("before");

  Day(SoakScale());

  const TCounts after = TCounts::Now(drawing_);
  after.Print("after");
  std::printf("list entries: %zu added\n", ListForm->ListBox->Items().size() - entriesBefore);
  EXPECT_EQ(after.drawing, before.drawing);
  EXPECT_EQ(after.made, before.made);
  EXPECT_EQ(after.windows, before.windows);
  if (before.platformGdi) {
    EXPECT_LE(after.platformGdi, before.platformGdi + 16);
  }
  if (before.platformUser) {
    EXPECT_LE(after.platformUser, before.platformUser + 16);
  }
  // The entries themselves (a few hundred bytes each) and the heap's own
  // slack; a leak of anything drawn, per move or per drop, is far more.
  const SIZE_T entriesBytes = (ListForm->ListBox->Items().size() - entriesBefore) * 1024;
  EXPECT_LE(after.workingSet, before.workingSet + entriesBytes + 4 * 1024 * 1024);
  EXPECT_TRUE(errors.shown.empty());

  // After all the moves the list still scrolls twice as far as its widest
  // entry measures in the font it shows now.
  const HWND box = ListForm->ListBox->Handle();
  EXPECT_EQ(SendMessageW(box, LB_GETHORIZONTALEXTENT, 0, 0), 2 * WidestEntry(box));
}

}  // namespace
