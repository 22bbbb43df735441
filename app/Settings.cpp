#include "app/Settings.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/DataFolder.h"
#include "app/SettingsSave.h"
#include "base/Error.h"
#include "base/Handles.h"
#include "base/Platform.h"
#include "names/Wow64.h"

namespace tovanel {

namespace {

// The conversion functions take int lengths; files are converted in pieces
// that end after a line feed, which is never part of a multi-byte character.
constexpr std::size_t kPiece = std::size_t{1} << 26;

template <typename View>
std::size_t PieceLength(View s, typename View::value_type lineFeed) {
  if (s.size() <= kPiece) return s.size();
  std::size_t lf = s.rfind(lineFeed, kPiece - 1);
  return lf == View::npos ? kPiece : lf + 1;
}

Text AnsiDecode(std::string_view bytes) {
  Text out;
  while (!bytes.empty()) {
    std::size_t n = PieceLength(bytes, '\n');
    int len = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), nullptr, 0);
    if (len > 0) {
      std::size_t old = out.size();
      out.resize(old + len);
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), reinterpret_cast<wchar_t*>(&out[old]), len);
    }
    bytes.remove_prefix(n);
  }
  return out;
}

std::string AnsiEncode(TextView text) {
  std::string out;
  while (!text.empty()) {
    std::size_t n = PieceLength(text, u'\n');
    auto src = reinterpret_cast<const wchar_t*>(text.data());
    int len = WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    if (len > 0) {
      std::size_t old = out.size();
      out.resize(old + len);
      WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(n), &out[old], len, nullptr, nullptr);
    }
    text.remove_prefix(n);
  }
  return out;
}

[[noreturn]] void ThrowOpenError(const Text& path, DWORD code) {
  throw Error(u"ファイル " + path + u" は開けません。 " + SystemErrorText(code) + u" ", code);
}

[[noreturn]] void ThrowCreateError(const Text& path, DWORD code) {
  throw Error(u"ファイル \"" + path + u"\" を作成できません。" + SystemErrorText(code), code);
}

static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              kErrorLockViolation == ERROR_LOCK_VIOLATION &&
              kErrorUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED &&
              kErrorUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
              kErrorUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);

// Where a path's last component begins.
std::size_t NameStart(const Text& path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == Text::npos ? 0 : slash + 1;
}

DWORD Retried(const std::function<std::uint32_t()>& attempt, std::span<const unsigned> pauses) {
  return RetryWhileBusy(attempt, [](unsigned ms) { Calls<SettingsPlatform>().sleep(ms); }, pauses);
}

bool Exists(const Text& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

DWORD ReadOnce(const Text& path, std::string& data) {
  data.clear();
  const TFileHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return GetLastError();
  // Read in pieces of the file's size and one byte more, which sees its end:
  // a settings file is small, and making a buffer of a megabyte for it took
  // longer than reading it.
  DWORD chunk = 1 << 20;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart >= 0 && size.QuadPart < (1LL << 30)) {
    data.reserve(static_cast<std::size_t>(size.QuadPart) + 1);
    if (size.QuadPart < chunk) chunk = static_cast<DWORD>(size.QuadPart) + 1;
  }
  for (;;) {
    std::size_t old = data.size();
    data.resize(old + chunk);
    DWORD got = 0;
    if (!ReadFile(file.Get(), &data[old], chunk, &got, nullptr)) return GetLastError();
    data.resize(old + got);
    if (got == 0) return 0;
  }
}

// Another copy has moved the file to its save's old-file name and is about
// to move its new content in (see PutInPlace): the file is back in a moment.
bool BeingReplaced(const Text& path) {
  const TextView name = TextView(path).substr(NameStart(path));
  WIN32_FIND_DATAW found;
  const TFindHandle find(FindFirstFileW(W(path + u".*"), &found));
  if (!find) return false;
  do {
    const std::optional<TSaveFileOf> of = SaveFileOf(name, FromW(found.cFileName));
    if (of && of->kind == TSaveFile::OldFile) return true;
  } while (FindNextFileW(find.Get(), &found));
  return false;
}

std::string ReadWholeFile(const Text& path) {
  // A folder where the file should be is no settings file; writing will say so.
  if (IsFolder(path)) return {};
  std::string data;
  bool replaced = false;
  const DWORD code = Retried([&]() -> std::uint32_t {
    const DWORD code = ReadOnce(path, data);
    // Checked in this order, the file is missed in neither of its places.
    replaced = code == ERROR_FILE_NOT_FOUND && (BeingReplaced(path) || Exists(path));
    return replaced ? ERROR_SHARING_VIOLATION : code;
  }, kOpenPauses);
  // A file that is not back by then is not there.
  if (replaced || code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME) return {};
  if (code) ThrowOpenError(path, code);
  return data;
}

// The file that is there must be one that could be written in place: a
// read-only file or a folder is reported, not silently replaced (ReplaceFileW
// under Wine puts a file in a folder's place).
DWORD CheckWritable(const Text& path) {
  const DWORD attributes = GetFileAttributesW(W(path));
  // An administrator may open a read-only file anyway; the attribute still says no.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return ERROR_ACCESS_DENIED;
  const DWORD code = Retried([&]() -> std::uint32_t {
    const TFileHandle existing(CreateFileW(W(path), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return existing ? 0 : GetLastError();
  }, kSavePauses);
  return code == ERROR_FILE_NOT_FOUND ? 0 : code;
}

DWORD WriteFlushed(const Text& temp, const std::string& bytes) {
  const TFileHandle file(
      CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
    DWORD wrote = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, want, &wrote, nullptr)) return GetLastError();
    if (wrote == 0) return ERROR_WRITE_FAULT;
    done += wrote;
  }
  // On disk before it takes the old file's place, so a crash cannot leave an
  // empty settings file behind.
  return FlushFileBuffers(file.Get()) ? 0 : GetLastError();
}

// One save's files beside the settings file.
struct TSaveFiles {
  Text NewContent, OldFile;
  TSaveFiles(const Text& path, const TSaveOwner& owner) {
    const std::size_t name = NameStart(path);
    const Text folder = path.substr(0, name);
    NewContent = folder + SaveFileName(TextView(path).substr(name), owner, TSaveFile::NewContent);
    OldFile = folder + SaveFileName(TextView(path).substr(name), owner, TSaveFile::OldFile);
  }
};

// ReplaceFileW keeps the replaced file's attributes and security, which a
// rename would not; with no file there yet, a plain move. The old file goes
// to a name of our own while it is replaced: the platform renames it away
// before it moves the new one in (Wine otherwise picks a name of its own, and
// leaves that file behind when its first rename fails), so for a moment only
// that name holds it. A file gone meanwhile (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
// leaves none there) is moved into place at the next attempt.
DWORD PutInPlace(const Text& path, const TSaveFiles& save) {
  if (Exists(path)) {
    if (Calls<SettingsPlatform>().replaceFile(W(path), W(save.NewContent), W(save.OldFile),
                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      return 0;
    if (const DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND) return code;
  }
  return MoveFileExW(W(save.NewContent), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0
                                                                                                      : GetLastError();
}

// What a save that did not finish leaves: the old file, when the save had
// moved it away, goes back into its place (without replacing a file that is
// there again, which is newer), and the new content goes. The old file is
// removed only once a settings file stands in its place.
void UndoSave(const Text& path, const TSaveFiles& save) {
  if (!Exists(path)) MoveFileExW(W(save.OldFile), W(path), MOVEFILE_WRITE_THROUGH);
  if (Exists(path)) DeleteFileW(W(save.OldFile));
  DeleteFileW(W(save.NewContent));
}

const TSaveOwner& CurrentSaveOwner() {
  static const TSaveOwner owner = SaveOwnerOf(GetCurrentProcess());
  return owner;
}

// Start-up's one read of the file, while its TSettingsSnapshot lives.
struct TSnapshot {
  Text path;
  TIniFile ini;
};

std::optional<TSnapshot>& Snapshot() {
  static std::optional<TSnapshot> snapshot;
  return snapshot;
}

// Doubt counts as running: a file kept is only a file too many, one taken
// from under a live copy would fail its save. Limited query rights are
// granted on nearly every process, another user's too.
bool ProcessRuns(const TSaveOwner& owner) {
  const TProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId));
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // no process has this id
  // An ended process keeps its id while anyone holds a handle to it.
  DWORD exitCode = 0;
  if (GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE) return false;
  // A name without a start time (an older version's) has only the id to go by.
  return !owner.started || SaveOwnerOf(process.Get()).started.value_or(*owner.started) == *owner.started;
}

// A save whose process was killed, or whose machine stopped, before it
// finished leaves its files behind. Only the process whose id they carry
// writes them, so those of a process that no longer runs are nobody's.
void FinishAbandonedSaves(const Text& path) {
  const std::size_t name = NameStart(path);
  const TSaveOwner& self = CurrentSaveOwner();
  std::vector<TSaveOwner> owners;
  WIN32_FIND_DATAW found;
  if (const TFindHandle find(FindFirstFileW(W(path + u".*"), &found)); find) {
    do {
      const std::optional<TSaveFileOf> of = SaveFileOf(TextView(path).substr(name), FromW(found.cFileName));
      if (of && of->owner != self && std::find(owners.begin(), owners.end(), of->owner) == owners.end())
        owners.push_back(of->owner);
    } while (FindNextFileW(find.Get(), &found));
  }
  // This process's id under any other name belonged to a process before it.
  for (const TSaveOwner& owner : owners) {
    if (owner.processId == self.processId || !ProcessRuns(owner)) UndoSave(path, TSaveFiles(path, owner));
  }
}

}  // namespace

SettingsPlatform SettingsPlatform::Real() { return {Sleep, ReplaceFileW}; }

TSaveOwner SaveOwnerOf(void* process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return {GetProcessId(process), std::nullopt};
  return {GetProcessId(process), (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime};
}

Text SettingsFilePath() { return DataFolder + u"Tovanel.ini"; }

TAnsiCodec SystemAnsiCodec() { return {AnsiDecode, AnsiEncode}; }

TSettingsFile::TSettingsFile() : TSettingsFile(SettingsFilePath()) {}

TSettingsFile::TSettingsFile(Text path) : path_(std::move(path)) {
  if (const std::optional<TSnapshot>& snapshot = Snapshot(); snapshot && snapshot->path == path_) {
    ini_ = snapshot->ini;
    return;
  }
  // Before reading: a dead copy may have left the file under its old name.
  // A file that is there needs nothing of it (what else a dead copy left,
  // the next save removes), which spares start-up a look through the folder.
  if (!Exists(path_)) FinishAbandonedSaves(path_);
  ini_ = TIniFile(ReadWholeFile(path_), SystemAnsiCodec());
}

void TSettingsFile::UpdateFile() {
  Snapshot().reset();
  FinishAbandonedSaves(path_);
  const std::string bytes = ini_.Serialize();
  if (const DWORD code = CheckWritable(path_)) ThrowCreateError(path_, code);

  const TSaveFiles save(path_, CurrentSaveOwner());
  // A save that fails leaves the file as it was, and nothing beside it.
  TScopeExit undo([&] { UndoSave(path_, save); });
  if (const DWORD code = WriteFlushed(save.NewContent, bytes)) ThrowCreateError(path_, code);
  if (const DWORD code = Retried([&] { return PutInPlace(path_, save); }, kSavePauses)) ThrowCreateError(path_, code);
  undo.Dismiss();
  DeleteFileW(W(save.OldFile));
}

TSettingsSnapshot::TSettingsSnapshot() {
  try {
    const TSettingsFile file;
    Snapshot().emplace(TSnapshot{file.path_, file.ini_});
  } catch (const std::exception&) {
    // Left to each opening, which reports it where it happens.
  }
}

TSettingsSnapshot::~TSettingsSnapshot() { Snapshot().reset(); }

}  // namespace tovanel
