// The guard and the existence tests against a staged platform: WOW64 or not,
// entry points missing, drives that are not ready, files that hide their
// attributes, links whose targets fail to open.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "kit/Scoped.h"
#include "names/Wow64.h"

namespace tovanel {
namespace {

const HMODULE kKernel = reinterpret_cast<HMODULE>(0x1000);
const HMODULE kLoaded = reinterpret_cast<HMODULE>(0x2000);
const HANDLE kOpened = reinterpret_cast<HANDLE>(0x3000);
const HANDLE kSearch = reinterpret_cast<HANDLE>(0x4000);
const PVOID kSaved = reinterpret_cast<PVOID>(0x5A5A);
constexpr UINT kCallerMode = SEM_NOOPENFILEERRORBOX;

struct FakeSystem {
  // WOW64 query and start-up
  bool hasQuery = true, queryWrites = true;
  BOOL reported = TRUE;
  DWORD major = 10, minor = 0;
  bool systemFolderFails = false, loadFails = false, hasDisable = true, hasRevert = true;
  std::vector<std::wstring> loaded;
  int freed = 0;
  // guard
  BOOL disableAnswer = TRUE;
  int disables = 0;
  std::vector<PVOID> reverts;
  // drives
  std::wstring readyDrives = L"C";
  UINT errorMode = kCallerMode, modeDuringQuery = 0;
  std::vector<std::wstring> driveQueries;
  // one file-system entry
  DWORD attributes = INVALID_FILE_ATTRIBUTES, attributesError = ERROR_FILE_NOT_FOUND;
  bool listed = false;
  DWORD listedAttributes = 0;
  DWORD openError = 0;  // 0: the target opens
  DWORD lastError = 0;
  int attributeReads = 0, finds = 0, findCloses = 0, opens = 0, closes = 0;

  Wow64Platform Platform();
};

FakeSystem* fake = nullptr;

BOOL WINAPI FakeIsWow64Process(HANDLE, PBOOL out) {
  if (fake->queryWrites) *out = fake->reported;
  return fake->queryWrites;
}
BOOL WINAPI FakeDisable(PVOID* old) {
  ++fake->disables;
  if (fake->disableAnswer) *old = kSaved;
  return fake->disableAnswer;
}
BOOL WINAPI FakeRevert(PVOID saved) {
  fake->reverts.push_back(saved);
  return TRUE;
}

Wow64Platform FakeSystem::Platform() {
  Wow64Platform p;
  p.getModuleHandle = [](LPCWSTR) { return kKernel; };
  p.getProcAddress = [this](HMODULE m, LPCSTR name) -> FARPROC {
    const std::string n = name;
    if (m == kKernel && n == "IsWow64Process" && hasQuery) return reinterpret_cast<FARPROC>(FakeIsWow64Process);
    if (m == kLoaded && n == "Wow64DisableWow64FsRedirection" && hasDisable) return reinterpret_cast<FARPROC>(FakeDisable);
    if (m == kLoaded && n == "Wow64RevertWow64FsRedirection" && hasRevert) return reinterpret_cast<FARPROC>(FakeRevert);
    return nullptr;
  };
  p.getCurrentProcess = [] { return GetCurrentProcess(); };
  p.getVersion = [this](DWORD& ma, DWORD& mi) { ma = major, mi = minor; };
  p.getSystemDirectory = [this](LPWSTR buffer, UINT) -> UINT {
    if (systemFolderFails) return 0;
    wcscpy(buffer, L"C:\\windows\\system32");
    return 19;
  };
  p.loadLibrary = [this](LPCWSTR path) { loaded.push_back(path); return loadFails ? nullptr : kLoaded; };
  p.freeLibrary = [this](HMODULE) { ++freed; return TRUE; };
  p.setErrorMode = [this](UINT mode) { return std::exchange(errorMode, mode); };
  p.getDiskFreeSpaceEx = [this](LPCWSTR root, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER) -> BOOL {
    driveQueries.push_back(root);
    modeDuringQuery = errorMode;
    return readyDrives.find(root[0]) != std::wstring::npos;
  };
  p.getFileAttributes = [this](LPCWSTR) {
    ++attributeReads;
    if (attributes == INVALID_FILE_ATTRIBUTES) lastError = attributesError;
    return attributes;
  };
  p.getLastError = [this] { return lastError; };
  p.createFile = [this](LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD flags, HANDLE) {
    ++opens;
    // As the platform does: a folder opens only with backup semantics.
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    lastError = openError ? openError : (folder && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) ? ERROR_ACCESS_DENIED : 0;
    return lastError ? INVALID_HANDLE_VALUE : kOpened;
  };
  p.closeHandle = [this](HANDLE h) { closes += h == kOpened; return TRUE; };
  p.findFirstFile = [this](LPCWSTR, LPWIN32_FIND_DATAW data) {
    ++finds;
    if (!listed) return INVALID_HANDLE_VALUE;
    data->dwFileAttributes = listedAttributes;
    return kSearch;
  };
  p.findClose = [this](HANDLE h) { findCloses += h == kSearch; return TRUE; };
  return p;
}

class Wow64Staged : public ::testing::Test {
 protected:
  void SetUp() override { fake = &sys; }
  void TearDown() override {
    ResetWow64();
    fake = nullptr;
  }
  void Install() {
    *platform = sys.Platform();
    ResetWow64();
  }
  test::TStaged<Wow64Platform> platform;
  FakeSystem sys;
};

TEST_F(Wow64Staged, QueryReadsTheReportedFlagOrFallsBackOnTheVersion) {
  struct Case { bool hasQuery, queryWrites; BOOL reported; DWORD major, minor; bool wow64; };
  const Case cases[] = {
      {true, true, TRUE, 10, 0, true},   {true, true, FALSE, 10, 0, false},
      {true, false, TRUE, 10, 0, false},  // a failed call reports nothing, the version is not asked
      {false, true, TRUE, 5, 1, false},  {false, true, TRUE, 5, 2, true},
      {false, true, TRUE, 6, 0, true},   {false, true, TRUE, 4, 90, false},
  };
  for (const Case& c : cases) {
    sys.hasQuery = c.hasQuery, sys.queryWrites = c.queryWrites, sys.reported = c.reported;
    sys.major = c.major, sys.minor = c.minor;
    Install();
    EXPECT_EQ(IsWow64(), c.wow64) << c.major << "." << c.minor;
    EXPECT_EQ(Wow64Active(), c.wow64);
  }
}

TEST_F(Wow64Staged, StartUpLoadsKernel32ByFullPathOnlyUnderWow64) {
  sys.reported = FALSE;
  Install();
  InitWow64();
  EXPECT_TRUE(sys.loaded.empty());
  sys.reported = TRUE;
  Install();
  InitWow64();
  EXPECT_EQ(sys.loaded, std::vector<std::wstring>{L"C:\\windows\\system32\\Kernel32.dll"});
  EXPECT_EQ(sys.freed, 1);
}

TEST_F(Wow64Staged, NestedGuardsSwitchOnceAndHandBackTheSavedState) {
  Install();
  InitWow64();
  RevertRedirection();  // unpaired: ignored, and must not unbalance what follows
  for (int round = 1; round <= 2; ++round) {
    DisableRedirection();
    {
      RedirectionGuard inner;
      EXPECT_FALSE(FileThere(u"C:\\missing"));
      EXPECT_FALSE(DirectoryThere(u"C:\\missing"));
    }
    EXPECT_EQ(sys.reverts.size(), static_cast<size_t>(round - 1)) << "reverted while a guard is active";
    RevertRedirection();
    EXPECT_EQ(sys.disables, round);
    EXPECT_EQ(sys.reverts, std::vector<PVOID>(round, kSaved));
  }
}

TEST_F(Wow64Staged, FailedDisableIsNotReverted) {
  sys.disableAnswer = FALSE;
  Install();
  InitWow64();
  DisableRedirection();
  RevertRedirection();
  EXPECT_EQ(sys.disables, 1);
  EXPECT_TRUE(sys.reverts.empty());
}

TEST_F(Wow64Staged, GuardDoesNothingWithoutWow64OrBothEntryPoints) {
  struct Case { const char* name; void (*stage)(FakeSystem&); bool init; };
  const Case cases[] = {
      {"not WOW64", [](FakeSystem& s) { s.reported = FALSE; }, true},
      {"before start-up", [](FakeSystem&) {}, false},
      {"no system folder", [](FakeSystem& s) { s.systemFolderFails = true; }, true},
      {"load fails", [](FakeSystem& s) { s.loadFails = true; }, true},
      {"no disable", [](FakeSystem& s) { s.hasDisable = false; }, true},
      {"no revert", [](FakeSystem& s) { s.hasRevert = false; }, true},
  };
  for (const Case& c : cases) {
    sys = FakeSystem();
    c.stage(sys);
    sys.attributes = FILE_ATTRIBUTE_ARCHIVE;
    Install();
    if (c.init) InitWow64();
    DisableRedirection();
    EXPECT_TRUE(FileThere(u"C:\\file")) << c.name;
    RevertRedirection();
    EXPECT_EQ(sys.disables, 0) << c.name;
    EXPECT_TRUE(sys.reverts.empty()) << c.name;
  }
}

TEST_F(Wow64Staged, DriveTestQueriesTheRootWithoutADialogAndRestoresTheMode) {
  struct Case { Text path; bool ready; const wchar_t* query; };
  const Case cases[] = {
      {u"c:\\x", true, L"C:\\"},  {u"C", true, L"C:\\"},     {u"Q:\\x", false, L"Q:\\"},
      {u"hello", false, L"H:\\"}, {u"\\\\server\\share\\x", true, nullptr},
      {u"\\x", true, nullptr},    {u"", false, nullptr},     {u"1abc", false, nullptr},
      {u"/x", false, nullptr},    {u"\uFF23:\\", false, nullptr},  // full-width C is no drive
  };
  for (const Case& c : cases) {
    sys = FakeSystem();
    Install();
    EXPECT_EQ(IsPathDriveReady(c.path), c.ready) << ToUtf8(c.path);
    EXPECT_EQ(sys.errorMode, kCallerMode) << ToUtf8(c.path);
    if (c.query) {
      EXPECT_EQ(sys.driveQueries, std::vector<std::wstring>{c.query}) << ToUtf8(c.path);
      EXPECT_EQ(sys.modeDuringQuery, static_cast<UINT>(SEM_FAILCRITICALERRORS)) << ToUtf8(c.path);
    } else {
      EXPECT_TRUE(sys.driveQueries.empty()) << ToUtf8(c.path);
    }
  }
}

TEST_F(Wow64Staged, FileAndFolderTestsFollowLinksAndListings) {
  constexpr DWORD kNone = INVALID_FILE_ATTRIBUTES, kDir = FILE_ATTRIBUTE_DIRECTORY,
                  kLink = FILE_ATTRIBUTE_REPARSE_POINT, kFile = FILE_ATTRIBUTE_ARCHIVE;
  struct Case { const char* name; DWORD attributes, attributesError; bool listed; DWORD listedAttributes, openError; bool file, folder; };
  const Case cases[] = {
      {"file", kFile, 0, false, 0, 0, true, false},
      {"folder", kDir, 0, false, 0, 0, false, true},
      {"missing", kNone, ERROR_FILE_NOT_FOUND, true, kFile, 0, false, false},
      {"missing folder in path", kNone, ERROR_PATH_NOT_FOUND, true, kFile, 0, false, false},
      {"invalid name", kNone, ERROR_INVALID_NAME, true, kFile, 0, false, false},
      {"unreadable, listed as file", kNone, ERROR_SHARING_VIOLATION, true, kFile, 0, true, false},
      {"unreadable, listed as folder", kNone, ERROR_SHARING_VIOLATION, true, kDir, 0, false, false},
      {"unreadable, not listed", kNone, ERROR_ACCESS_DENIED, false, 0, 0, false, false},
      {"link to file", kLink | kFile, 0, false, 0, 0, true, false},
      {"link to file held without sharing", kLink | kFile, 0, false, 0, ERROR_SHARING_VIOLATION, true, false},
      {"link to missing file", kLink | kFile, 0, false, 0, ERROR_FILE_NOT_FOUND, false, false},
      {"link to folder", kLink | kDir, 0, false, 0, 0, false, true},
      {"link to missing folder", kLink | kDir, 0, false, 0, ERROR_FILE_NOT_FOUND, false, false},
  };
  for (const Case& c : cases) {
    sys = FakeSystem();
    sys.attributes = c.attributes, sys.attributesError = c.attributesError, sys.listed = c.listed;
    sys.listedAttributes = c.listedAttributes, sys.openError = c.openError;
    Install();
    EXPECT_EQ(FileThere(u"C:\\entry"), c.file) << c.name;
    EXPECT_EQ(DirectoryThere(u"C:\\entry"), c.folder) << c.name;
    if (c.attributesError == ERROR_FILE_NOT_FOUND || c.attributesError == ERROR_PATH_NOT_FOUND ||
        c.attributesError == ERROR_INVALID_NAME) {
      EXPECT_EQ(sys.finds, 0) << c.name;
    }
    EXPECT_EQ(sys.findCloses, c.listed && sys.finds ? 1 : 0) << c.name;
    EXPECT_EQ(sys.closes, sys.opens - (c.openError ? sys.opens : 0)) << c.name;
  }
}

TEST_F(Wow64Staged, NoFileSystemAccessOnADriveThatIsNotReady) {
  sys.attributes = FILE_ATTRIBUTE_ARCHIVE;
  Install();
  EXPECT_FALSE(FileThere(u"A:\\readme.txt"));
  EXPECT_FALSE(DirectoryThere(u"A:\\"));
  EXPECT_EQ(sys.attributeReads, 0);
  EXPECT_EQ(sys.errorMode, kCallerMode);
}

}  // namespace
}  // namespace tovanel
