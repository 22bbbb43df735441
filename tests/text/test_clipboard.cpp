// The clipboard transfer on the real clipboard, with a second program
// (clipholder) that places earlier content, holds the clipboard open, or reads
// back what this process handed over.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "kit/Process.h"
#include "kit/Scoped.h"
#include "text/Clipboard.h"
#include "text/ClipboardRetry.h"

using namespace tovanel;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr DWORD kPatienceMs = 15000;

// Waits while still handling messages: another program's EmptyClipboard
// sends WM_DESTROYCLIPBOARD to this process's owner window.
bool WaitPumping(HANDLE handle) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kPatienceMs);
  for (auto left = deadline - Clock::now(); left > 0ms; left = deadline - Clock::now()) {
    const auto ms = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, ms, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return false;
}

// The second program, started with `args`.
class Helper : public test::TProcess {
 public:
  explicit Helper(const std::wstring& args)
      : TProcess(test::ProgramBeside(u"clipholder.exe"), FromW(args.c_str()), CREATE_NO_WINDOW) {}
  long Finish() {  // the exit code, -1 when it did not end in time
    DWORD code = 0;
    if (!*this || !WaitPumping(Handle()) || !GetExitCodeProcess(Handle(), &code)) return -1;
    return static_cast<long>(code);
  }
};

struct Content {
  std::wstring formats;  // each followed by a space
  bool hasText = false;
  Text text;
  bool Has(UINT format) const {
    std::wistringstream in(formats);
    for (UINT f; in >> f;)
      if (f == format) return true;
    return false;
  }
};

// What another program finds on the clipboard.
Content ReadBack() {
  const auto path = std::filesystem::temp_directory_path() /
                    ("tovanel-clip-" + std::to_string(GetCurrentProcessId()) + ".txt");
  EXPECT_EQ(Helper(L"read \"" + path.wstring() + L"\"").Finish(), 0) << "reader failed";
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), {}};
  file.close();
  std::filesystem::remove(path);
  const Text all(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  const std::size_t newline = all.find(u'\n');
  Content content;
  content.formats.assign(all.begin(), all.begin() + std::min(newline, all.size()));
  content.hasText = newline != Text::npos;
  if (content.hasText) content.text = all.substr(newline + 1);
  return content;
}

const UINT kMarker = RegisterClipboardFormatW(L"Tovanel.Test.Marker");

// Earlier content placed by another program: text, a picture and a private format.
void PlaceEarlierContent() {
  ASSERT_EQ(Helper(L"put").Finish(), 0);
  const Content before = ReadBack();
  ASSERT_EQ(before.text, u"前の内容");
  ASSERT_TRUE(before.Has(CF_DIB) && before.Has(kMarker));
}

// Another program holds the clipboard open until Finish().
class Holder {
 public:
  Holder()
      : opened_(CreateEventW(nullptr, TRUE, FALSE, Name(L"opened").c_str())),
        release_(CreateEventW(nullptr, TRUE, FALSE, Name(L"release").c_str())),
        helper_(L"hold " + Name(L"opened") + L" " + Name(L"release")) {}
  ~Holder() {
    Finish();
    CloseHandle(opened_);
    CloseHandle(release_);
  }
  bool Holding() { return helper_ && WaitPumping(opened_); }
  long Finish() {
    SetEvent(release_);
    return helper_.Finish();
  }

 private:
  static std::wstring Name(const wchar_t* what) {
    return L"Local\\TovanelClipTest." + std::to_wstring(GetCurrentProcessId()) + L"." + what;
  }
  HANDLE opened_;
  HANDLE release_;
  Helper helper_;
};

// The system adds these views of a Unicode text by itself.
bool IsTextFormat(UINT f) { return f == CF_UNICODETEXT || f == CF_TEXT || f == CF_OEMTEXT || f == CF_LOCALE; }

}  // namespace

class ClipboardTransfer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetClipboardOwner(owner_);
  }
  static void TearDownTestSuite() {
    SetClipboardOwner(nullptr);
    DestroyWindow(owner_);
  }
  void SetUp() override { ASSERT_TRUE(owner_); }
  static inline HWND owner_ = nullptr;
};

class SentText : public ClipboardTransfer, public testing::WithParamInterface<Text> {};

TEST_P(SentText, ReplacesEveryEarlierFormatWithTheUnicodeText) {
  PlaceEarlierContent();

  EXPECT_TRUE(SendTextToClipboard(GetParam()));
  EXPECT_EQ(GetClipboardOwner(), owner_) << "opened without the owner window, which Windows refuses";

  const Content after = ReadBack();
  EXPECT_TRUE(after.Has(CF_UNICODETEXT));
  std::wistringstream formats(after.formats);
  for (UINT f; formats >> f;) EXPECT_TRUE(IsTextFormat(f)) << "format " << f << " left over";
  EXPECT_TRUE(after.hasText);
  EXPECT_EQ(ToUtf8(after.text), ToUtf8(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Texts, SentText, testing::Values(Text(), Text(u"abc"), Text(u"C:\\フォルダ\\ファイル名　ガ.txt")));

TEST_F(ClipboardTransfer, WaitsForAProgramThatHoldsItBriefly) {
  Holder holder;
  ASSERT_TRUE(holder.Holding());
  // It lets go at the first pause and is waited for, in place of a hold timed
  // by the clock, which a busy machine may stretch past the last attempt.
  test::TStaged<ClipboardPlatform> platform;
  int pauses = 0;
  long released = -1;
  platform->pause = [&, pause = platform->pause](unsigned ms) {
    if (pauses++ == 0) released = holder.Finish();
    pause(ms);
  };

  EXPECT_TRUE(SendTextToClipboard(u"待ってから"));
  EXPECT_EQ(pauses, 1) << "placed while the other program still held the clipboard, or never tried again";
  EXPECT_EQ(released, 0);
  EXPECT_EQ(ReadBack().text, u"待ってから");
}

TEST_F(ClipboardTransfer, GivesUpQuietlyWhenHeldThroughout) {
  PlaceEarlierContent();
  Holder holder;
  ASSERT_TRUE(holder.Holding());

  const auto start = Clock::now();
  const bool placed = SendTextToClipboard(u"届かない");
  const auto elapsed = Clock::now() - start;
  EXPECT_EQ(holder.Finish(), 0);

  EXPECT_FALSE(placed);
  EXPECT_GE(elapsed, 490ms) << "five pauses of 100 ms";
  EXPECT_LT(elapsed, 5s);
  const Content after = ReadBack();
  EXPECT_EQ(after.text, u"前の内容");
  EXPECT_TRUE(after.Has(CF_DIB) && after.Has(kMarker));
}
