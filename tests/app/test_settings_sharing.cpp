// The settings file shared with other programs and other copies: a file held
// for a moment is waited for, one held for long is reported, and temporary
// files that dead copies left behind go at the next save.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <thread>

#include "app/Settings.h"
#include "app/SettingsSave.h"
#include "base/Error.h"
#include "kit/Files.h"
#include "kit/Process.h"
#include "kit/Scoped.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

const std::string kOld = "[Main]\r\nTop=1\r\n\r\n";
const std::string kNew = "[Main]\r\nTop=2\r\n\r\n";

// Holds the file as another program would, from another thread, and lets it
// go after `ms`.
class THeldFile {
 public:
  THeldFile(const Text& path, DWORD access, DWORD share, DWORD ms)
      : file_(CreateFileW(W(path), access, share, nullptr, OPEN_EXISTING, 0, nullptr)), release_([this, ms] {
          Sleep(ms);
          file_.Reset();
        }) {}
  ~THeldFile() { release_.join(); }
  explicit operator bool() const { return static_cast<bool>(file_); }

 private:
  TFileHandle file_;
  std::thread release_;
};

// How the file is held: without any sharing, as an editor saving it might;
// read by a program that lets others write but not rename over it; or, the
// replacing step alone meets it, the name a save moves the old file to while
// it replaces it.
struct Hold {
  const char* name;
  DWORD access;
  DWORD share;
  bool oldFileName;
};
const Hold kHolds[] = {{"unshared", GENERIC_READ | GENERIC_WRITE, 0, false},
                       {"no rename over it", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
                       {"the old file's name", GENERIC_READ | GENERIC_WRITE, 0, true}};

Text OldFileName(const TTempFolder& dir) {
  return dir / SaveFileName(u"Tovanel.ini", SaveOwnerOf(GetCurrentProcess()), TSaveFile::OldFile);
}

// The file the hold is on, made first when it is the old file's name.
Text Staged(const TTempFolder& dir, const Hold& hold) {
  if (!hold.oldFileName) return dir / u"Tovanel.ini";
  WriteBytes(OldFileName(dir), "");
  return OldFileName(dir);
}

ULONGLONG Since(ULONGLONG start) { return GetTickCount64() - start; }

// Runs `act` when the code under test first pauses to try again, in place of
// a release timed by the clock, which a busy machine may delay past the
// whole wait. Counts the pauses.
class TAtFirstPause {
 public:
  explicit TAtFirstPause(std::function<void()> act) {
    platform_->sleep = [this, act = std::move(act), sleep = platform_->sleep](DWORD ms) {
      if (pauses++ == 0) act();
      sleep(ms);
    };
  }
  int pauses = 0;

 private:
  TStaged<SettingsPlatform> platform_;
};

}  // namespace

TEST(BusySettingsFile, HeldBrieflyIsReadAndSavedWithoutAMessage) {
  for (const Hold& hold : kHolds) {
    SCOPED_TRACE(hold.name);
    TTempFolder dir;
    const Text path = dir / u"Tovanel.ini";
    ASSERT_TRUE(WriteBytes(path, kOld));
    std::optional<TSettingsFile> ini;
    for (const bool saving : {false, true}) {
      TFileHandle held(CreateFileW(W(Staged(dir, hold)), hold.access, hold.share, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(held);
      TAtFirstPause release([&] { held.Reset(); });
      if (saving) {
        ini->WriteInteger(u"Main", u"Top", 2);
        ASSERT_NO_THROW(ini->UpdateFile());
      } else {
        ASSERT_NO_THROW(ini.emplace(path));
        EXPECT_EQ(ini->ReadInteger(u"Main", u"Top", 0), 1);
      }
      const bool blocked = saving || (hold.share == 0 && !hold.oldFileName);
      EXPECT_EQ(release.pauses, blocked ? 1 : 0) << "saving: " << saving;
    }
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
    EXPECT_EQ(ReadBytes(OldFileName(dir)), "<missing>") << "the old file left beside it";
  }
}

TEST(BusySettingsFile, HeldForTwoSecondsGivesTheMessageAfterABriefWait) {
  for (const Hold& hold : kHolds) {
    SCOPED_TRACE(hold.name);
    TTempFolder dir;
    const Text path = dir / u"Tovanel.ini";
    ASSERT_TRUE(WriteBytes(path, kOld));
    TSettingsFile ini(path);
    ini.WriteInteger(u"Main", u"Top", 2);
    {
      const THeldFile held(Staged(dir, hold), hold.access, hold.share, 2000);
      ASSERT_TRUE(held);
      const ULONGLONG start = GetTickCount64();
      try {
        ini.UpdateFile();
        ADD_FAILURE() << "saved into a held file";
      } catch (const Error& e) {
        // Which code the platform gives for a refused replacement differs
        // between systems; any of the busy ones, with its own text.
        EXPECT_TRUE(IsBusyFileError(e.Code())) << e.Code();
        EXPECT_EQ(ToUtf8(e.Message()), ToUtf8(u"ファイル \"" + path + u"\" を作成できません。" + SystemText(e.Code())));
      }
      // How long the platform's replacing takes to refuse is its own.
      if (!hold.oldFileName) {
        EXPECT_GE(Since(start), 190u);
      }
      EXPECT_LT(Since(start), 1500u);
      EXPECT_FALSE(AnyTemporaryFile(dir.Path())) << "the failed save left its temporary file";
      if (hold.share == 0 && !hold.oldFileName) {
        const ULONGLONG reading = GetTickCount64();
        try {
          TSettingsFile again(path);
          ADD_FAILURE() << "read a held file";
        } catch (const Error& e) {
          EXPECT_EQ(e.Code(), DWORD(ERROR_SHARING_VIOLATION));
        }
        EXPECT_GE(Since(reading), 190u);
      }
    }
    EXPECT_EQ(ReadBytes(path), kOld);
  }
}

TEST(BusySettingsFile, NewContentHeldForHalfASecondIsSavedWithoutAMessage) {
  TTempFolder dir;
  const Text path = dir / u"Tovanel.ini";
  ASSERT_TRUE(WriteBytes(path, kOld));
  TSettingsFile ini(path);
  ini.WriteInteger(u"Main", u"Top", 2);
  // A scanner or indexer opens the new content, unshared, as it is written; 500 ms here.
  std::optional<THeldFile> scanned;
  {
    TStaged<SettingsPlatform> platform;
    platform->replaceFile = [&, real = platform->replaceFile](LPCWSTR file, LPCWSTR replacement, auto... rest) {
      EXPECT_TRUE(scanned || scanned.emplace(FromW(replacement), GENERIC_READ, 0, 500)) << "not held";
      return real(file, replacement, rest...);
    };
    EXPECT_NO_THROW(ini.UpdateFile());
  }
  EXPECT_TRUE(scanned);
  scanned.reset();
  EXPECT_EQ(ReadBytes(path), kNew);
  EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
}

namespace {

// A process of our own, started suspended so that it never runs.
class TChild : public TProcess {
 public:
  TChild() : TProcess(ThisProgram(), u"", CREATE_SUSPENDED) {}
  TSaveOwner Owner() const { return SaveOwnerOf(Handle()); }
};

}  // namespace

TEST(AbandonedSaves, AreFinishedByTheNextCopyUnlessTheirProcessRuns) {
  TTempFolder dir;
  const Text path = dir / u"Tovanel.ini";
  TChild running, ended, gone;
  ASSERT_TRUE(running.Id() && ended.Id() && gone.Id());
  ended.Kill();  // its handle still held here, so its id is still taken
  const TSaveOwner goneOwner{gone.Id(), std::nullopt};  // named as older versions named saves
  gone.Forget();
  const TSaveOwner before{running.Id(), running.Owner().started.value_or(1) - 1};  // died; its id reused
  auto name = [](const TSaveOwner& owner, TSaveFile kind) { return SaveFileName(u"Tovanel.ini", owner, kind); };
  constexpr auto kNewContent = TSaveFile::NewContent, kOldFile = TSaveFile::OldFile;
  const Text kept[] = {name(running.Owner(), kNewContent), name(running.Owner(), kOldFile),
                       name({running.Id(), std::nullopt}, kNewContent),
                       SaveFileName(u"Other.ini", goneOwner, kNewContent), name(goneOwner, kNewContent) + u".x",
                       u"Tovanel.ini.x" + Number(gone.Id()) + u".tmp"};
  for (const Text& n : kept) ASSERT_TRUE(WriteBytes(dir / n, "kept"));
  // Killed while it replaced the file: the old file under its save's name.
  ASSERT_TRUE(WriteBytes(dir / name(before, kOldFile), kOld));
  ASSERT_TRUE(WriteBytes(dir / name(before, kNewContent), kNew));
  ASSERT_TRUE(WriteBytes(dir / name(goneOwner, kNewContent), kNew));
  ASSERT_TRUE(WriteBytes(dir / name(ended.Owner(), kNewContent), "killed while writing"));

  TSettingsFile ini(path);  // finds the old file back in its place
  EXPECT_EQ(ini.ReadInteger(u"Main", u"Top", 0), 1);
  EXPECT_EQ(ReadBytes(path), kOld);
  for (const Text& n : kept) EXPECT_EQ(ReadBytes(dir / n), "kept") << ToUtf8(n);
  for (const Text& n : {name(before, kOldFile), name(before, kNewContent), name(goneOwner, kNewContent),
                        name(ended.Owner(), kNewContent)})
    EXPECT_EQ(ReadBytes(dir / n), "<missing>") << ToUtf8(n);

  running.Kill();  // and the save after it ends takes its files too: the settings file is there
  ini.WriteInteger(u"Main", u"Top", 2);
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(path), kNew);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(dir / kept[i]), "<missing>") << ToUtf8(kept[i]);
}

TEST(BusySettingsFile, AwayWhileAnotherCopyReplacesItIsWaitedForNotReadAsMissing) {
  TTempFolder dir;
  const Text path = dir / u"Tovanel.ini";
  TChild other;  // between the two renames of its replacing
  const Text old = dir / SaveFileName(u"Tovanel.ini", other.Owner(), TSaveFile::OldFile);
  ASSERT_TRUE(WriteBytes(old, kOld));
  {
    const TAtFirstPause back([&] { MoveFileExW(W(old), W(path), 0); });
    EXPECT_EQ(TSettingsFile(path).ReadInteger(u"Main", u"Top", 0), 1);
    EXPECT_EQ(back.pauses, 1);
  }

  // One that never comes back: no settings file, after the brief wait.
  ASSERT_TRUE(MoveFileExW(W(path), W(old), 0));
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(TSettingsFile(path).ReadInteger(u"Main", u"Top", 0), 0);
  EXPECT_GE(Since(start), 190u);
}
