// The real program, started as a user starts it, against the prefix's own
// data folder: two copies closed at the same moment, and copies killed while
// they save. TOVANEL_ROUNDS=<n> runs more rounds than the bounded default.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "app/DataFolder.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "base/Handles.h"
#include "kit/Files.h"
#include "kit/Process.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

int Rounds() {
  const char* n = std::getenv("TOVANEL_ROUNDS");
  return n && std::atoi(n) > 0 ? std::atoi(n) : 5;
}

// The executable's build path; under Wine a Unix path is reached through Z:.
Text ProgramPath() {
  std::string path = TOVANEL_EXE;
  for (char& c : path) c = c == '/' ? '\\' : c;
  if (path.starts_with('\\')) path = "Z:" + path;
  return FromUtf8(path);
}

struct TWindowOf {
  DWORD pid;
  const wchar_t* cls;  // nullptr: the main window, titled "Tovanel", owned by none and no message box
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND h, LPARAM p) {
  auto& s = *reinterpret_cast<TWindowOf*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != s.pid || !IsWindowVisible(h)) return TRUE;
  wchar_t cls[64] = {}, title[64] = {};
  GetClassNameW(h, cls, 64);
  GetWindowTextW(h, title, 64);
  if (s.cls ? std::wcscmp(cls, s.cls) != 0
            : std::wcscmp(title, L"Tovanel") != 0 || GetWindow(h, GW_OWNER) || !std::wcscmp(cls, L"#32770"))
    return TRUE;
  s.found = h;
  return FALSE;
}

HWND FindWindowOf(DWORD pid, const wchar_t* cls) {
  TWindowOf search{pid, cls, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One running copy of the program, killed if a test leaves it running.
class TCopy : public TProcess {
 public:
  TCopy() : TProcess(ProgramPath()) {}

  TSaveOwner Owner() const { return SaveOwnerOf(Handle()); }
  bool WaitForMainWindow() {
    for (int i = 0; i < 600 && *this; ++i) {  // a cold start of Wine takes seconds
      if ((main_ = FindWindowOf(Id(), nullptr))) return true;
      Sleep(50);
    }
    return false;
  }
  void Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }
  // What a message box of this copy says, or "" when it shows none.
  Text MessageShown() const {
    HWND box = FindWindowOf(Id(), L"#32770");
    wchar_t text[1024] = {};
    if (box) GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return box ? FromW(text) + u" " : Text();
  }

 private:
  HWND main_ = nullptr;
};

// The prefix's data folder, emptied for the test and restored to its
// settings file afterwards.
class TDataFolder {
 public:
  TDataFolder() : path_(GetSpecialFolderPath(1) + u"\\Orvendel\\Tovanel") {
    saved_ = ReadBytes(SettingsFile());
    CreateDirectoryW(W(GetSpecialFolderPath(1) + u"\\Orvendel"), nullptr);
    CreateDirectoryW(W(path_), nullptr);
    Empty();
  }
  ~TDataFolder() {
    Empty();
    if (saved_ != "<missing>") WriteBytes(SettingsFile(), saved_);
  }
  Text SettingsFile() const { return path_ + u"\\Tovanel.ini"; }
  std::vector<Text> Names() const {
    std::vector<Text> names;
    WIN32_FIND_DATAW found;
    if (const TFindHandle find(FindFirstFileW(W(path_ + u"\\*"), &found)); find) {
      do {
        if (Text n = FromW(found.cFileName); n != u"." && n != u"..") names.push_back(n);
      } while (FindNextFileW(find.Get(), &found));
    }
    return names;
  }
  void Empty() const {
    for (const Text& n : Names()) DeleteFileW(W(path_ + u"\\" + n));
  }

 private:
  Text path_;
  std::string saved_;
};

// The settings file is whole: the file it replaced (`kept`) unchanged at its
// start, then the program's sections, each key once. A close cut short
// (`closed` false) may have written none, or only the main window's two.
testing::AssertionResult HoldsEachKeyOnce(const std::string& bytes, const std::string& kept = "", bool closed = true) {
  const TIniFile ini(bytes);
  std::vector<Text> sections = TIniFile(kept).SectionNames();
  const std::size_t before = sections.size(), found = ini.SectionNames().size();
  const std::size_t written = closed || found >= before + 3 ? 3 : found == before + 2 ? 2 : 0;
  const std::vector<Text> names = {u"Main", u"Select", u"List"};
  sections.insert(sections.end(), names.begin(), names.begin() + written);
  auto out = testing::AssertionFailure() << "file: " << bytes.substr(bytes.size() > 300 ? bytes.size() - 300 : 0);
  if (!bytes.starts_with(kept) || ini.SectionNames() != sections) return out;
  for (const Text& s : sections)
    if (bytes.find("[" + ToUtf8(s) + "]") != bytes.rfind("[" + ToUtf8(s) + "]")) return out << " (a section twice)";
  const std::vector<std::vector<Text>> keys = {{u"Top", u"Left"}, {u"Item"}, {u"Top", u"Left", u"Height", u"Width"}};
  for (std::size_t i = 0; i < written; ++i)
    if (ini.KeyNames(names[i]) != keys[i]) return out << " (keys of " << ToUtf8(names[i]) << ")";
  return testing::AssertionSuccess();
}

}  // namespace

TEST(RunningCopies, ClosedAtTheSameMomentBothCloseAndTheFileHoldsEachKeyOnce) {
  TDataFolder folder;
  int messages = 0;
  for (int round = 0; round < Rounds(); ++round) {  // the first round without a settings file
    TCopy a, b;
    ASSERT_TRUE(a.WaitForMainWindow() && b.WaitForMainWindow()) << "round " << round;
    a.Close();
    b.Close();
    for (TCopy* copy : {&a, &b}) {
      if (!copy->Ended(10000)) {
        ++messages;
        ADD_FAILURE() << "round " << round << ": a copy stayed open: " << ToUtf8(copy->MessageShown());
      }
    }
    EXPECT_TRUE(HoldsEachKeyOnce(ReadBytes(folder.SettingsFile()))) << "round " << round;
    EXPECT_EQ(folder.Names(), std::vector<Text>{u"Tovanel.ini"}) << "round " << round;
  }
  std::printf("%d rounds of two copies, %d copies that stayed open\n", Rounds(), messages);
}

TEST(RunningCopies, SavesKilledMidwayLeaveNothingThatALaterSaveKeeps) {
  TDataFolder folder;
  // Large enough that a save takes a while, so that the kills land in it.
  std::string pad = "[Pad]\r\n";
  for (int i = 0; pad.size() < (2u << 20); ++i) pad += "Key" + std::to_string(i) + "=" + std::string(60, 'v') + "\r\n";
  pad += "\r\n";
  ASSERT_TRUE(WriteBytes(folder.SettingsFile(), pad));
  int midway = 0, replacing = 0;
  for (int round = 0; round < Rounds(); ++round) {
    TCopy copy;
    ASSERT_TRUE(copy.WaitForMainWindow());
    const Text temp = folder.SettingsFile() + SaveFileName(u"", copy.Owner(), TSaveFile::NewContent);
    const Text old = folder.SettingsFile() + SaveFileName(u"", copy.Owner(), TSaveFile::OldFile);
    copy.Close();
    // Killed as its new content appears, or a little later, in its writing.
    for (int i = 0; i < 200000 && GetFileAttributesW(W(temp)) == INVALID_FILE_ATTRIBUTES && !copy.Ended(0); ++i) {
    }
    if (round % 3) Sleep(round % 3);
    copy.Kill();
    midway +=
        GetFileAttributesW(W(temp)) != INVALID_FILE_ATTRIBUTES || GetFileAttributesW(W(old)) != INVALID_FILE_ATTRIBUTES;
    // Killed while it replaced the file, the old one is under the save's name.
    const std::string bytes = ReadBytes(folder.SettingsFile());
    replacing += bytes == "<missing>";
    EXPECT_TRUE(HoldsEachKeyOnce(bytes == "<missing>" ? ReadBytes(old) : bytes, pad, false)) << "round " << round;
  }
  EXPECT_GT(midway, 0) << "no kill landed in a save";
  {
    TCopy copy;
    ASSERT_TRUE(copy.WaitForMainWindow());
    copy.Close();
    ASSERT_TRUE(copy.Ended(10000)) << ToUtf8(copy.MessageShown());
  }
  EXPECT_EQ(folder.Names(), std::vector<Text>{u"Tovanel.ini"});
  EXPECT_TRUE(HoldsEachKeyOnce(ReadBytes(folder.SettingsFile()), pad));
  std::printf("%d kills, %d of them in a save (%d while it replaced the file); afterwards: %zu files\n", Rounds(),
              midway, replacing, folder.Names().size());
}
