#include "names/Wow64.h"

#include "base/Handles.h"
#include "base/Platform.h"
#include "names/NameForms.h"

namespace tovanel {

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

struct Wow64State {
  bool active = false;
  DisableFn disable = nullptr;
  RevertFn revert = nullptr;
  int depth = 0;             // guards entered and not yet left
  bool switchedOff = false;  // the outermost entry's disable succeeded
  PVOID saved = nullptr;     // what the outermost entry's disable reported
};

Wow64State& State() {
  static Wow64State state;
  return state;
}

// Owners of what the staged calls make, released through them too.
using TStagedFile = TUnique<THandleTraits<HANDLE, [](HANDLE h) { Calls<Wow64Platform>().closeHandle(h); }, -1>>;
using TStagedFind = TUnique<THandleTraits<HANDLE, [](HANDLE h) { Calls<Wow64Platform>().findClose(h); }, -1>>;
using TStagedModule = TUnique<THandleTraits<HMODULE, [](HMODULE h) { Calls<Wow64Platform>().freeLibrary(h); }>>;

bool GuardUsable() {
  const Wow64State& s = State();
  return s.active && s.disable && s.revert;
}

// The unit's path calls, each retried in the extended-length form when it
// refuses a long path.
DWORD Attributes(const Text& path) {
  return RetryLongPath(
      path, INVALID_FILE_ATTRIBUTES,
      [](const Text& p) { return Calls<Wow64Platform>().getFileAttributes(W(p)); }, ExtendedLengthPath);
}

HANDLE OpenForReading(const Text& path, DWORD flags) {
  return RetryLongPath(
      path, INVALID_HANDLE_VALUE,
      [flags](const Text& p) {
        return Calls<Wow64Platform>().createFile(W(p), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags,
                                                 nullptr);
      },
      ExtendedLengthPath);
}

template <typename Fn>
Fn StagedFunction(HMODULE module, const char* name) {
  return FunctionAs<Fn>(Calls<Wow64Platform>().getProcAddress(module, name));
}

bool FileTest(const Text& path) {
  const Wow64Platform& c = Calls<Wow64Platform>();
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = c.getLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
      return false;
    // Some files refuse their attributes (a sharing violation, for one) but
    // their folder still lists them.
    WIN32_FIND_DATAW data;
    const TStagedFind find(RetryLongPath(
        path, INVALID_HANDLE_VALUE, [&](const Text& p) { return c.findFirstFile(W(p), &data); }, ExtendedLengthPath));
    return find && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  // A link to a file: follow it. A target that another process holds open
  // without sharing is still there.
  const TStagedFile target(OpenForReading(path, 0));
  return target || c.getLastError() == ERROR_SHARING_VIOLATION;
}

template <typename Test>
bool ThereInsideGuard(const Text& path, Test test) {
  RedirectionGuard guard;
  return IsPathDriveReady(path) && test(path);
}

}  // namespace

Wow64Platform Wow64Platform::Real() {
  Wow64Platform p;
  p.getModuleHandle = GetModuleHandleW;
  p.getProcAddress = GetProcAddress;
  p.getCurrentProcess = GetCurrentProcess;
  p.getVersion = [](DWORD& major, DWORD& minor) {
    const DWORD v = GetVersion();
    major = LOBYTE(LOWORD(v));
    minor = HIBYTE(LOWORD(v));
  };
  p.getSystemDirectory = GetSystemDirectoryW;
  p.loadLibrary = LoadLibraryW;
  p.freeLibrary = FreeLibrary;
  p.setErrorMode = SetErrorMode;
  p.getDiskFreeSpaceEx = GetDiskFreeSpaceExW;
  p.getFileAttributes = GetFileAttributesW;
  p.getLastError = GetLastError;
  p.createFile = CreateFileW;
  p.closeHandle = CloseHandle;
  p.findFirstFile = FindFirstFileW;
  p.findClose = FindClose;
  return p;
}

void ResetWow64() { State() = Wow64State(); }

bool Wow64Active() { return State().active; }

bool IsWow64() {
  const Wow64Platform& c = Calls<Wow64Platform>();
  bool flag = false;
  HMODULE kernel = c.getModuleHandle(L"Kernel32.dll");
  auto query = kernel ? StagedFunction<IsWow64ProcessFn>(kernel, "IsWow64Process") : nullptr;
  if (query) {
    // A failed call writes nothing: FALSE then stands.
    BOOL reported = FALSE;
    query(c.getCurrentProcess(), &reported);
    flag = reported != FALSE;
  } else {
    DWORD major = 0, minor = 0;
    c.getVersion(major, minor);
    flag = major > 5 || (major == 5 && minor >= 2);
  }
  State().active = flag;
  return flag;
}

void InitWow64() {
  Wow64State& s = State();
  s.disable = nullptr;
  s.revert = nullptr;
  if (!IsWow64()) return;
  const Wow64Platform& c = Calls<Wow64Platform>();
  wchar_t folder[MAX_PATH];
  const UINT n = c.getSystemDirectory(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  // By full path, so that no Kernel32.dll elsewhere on the search path is taken.
  const Text path = FromW(folder, n) + u"\\Kernel32.dll";
  // Kernel32 stays loaded for the life of the process, so the entry points
  // outlive this reference, which goes at the end.
  const TStagedModule module(c.loadLibrary(W(path)));
  if (!module) return;
  s.disable = StagedFunction<DisableFn>(module.Get(), "Wow64DisableWow64FsRedirection");
  s.revert = StagedFunction<RevertFn>(module.Get(), "Wow64RevertWow64FsRedirection");
}

void DisableRedirection() {
  if (!GuardUsable()) return;
  Wow64State& s = State();
  if (s.depth++ > 0) return;
  s.saved = nullptr;
  s.switchedOff = s.disable(&s.saved) != FALSE;
}

void RevertRedirection() {
  if (!GuardUsable()) return;
  Wow64State& s = State();
  if (s.depth == 0) return;  // unpaired: nothing to undo
  if (--s.depth > 0) return;
  // A disable that failed changed nothing and reported no state to restore.
  if (s.switchedOff) s.revert(s.saved);
  s.switchedOff = false;
  s.saved = nullptr;
}

RedirectionRestored::RedirectionRestored() : depth_(State().depth), off_(State().switchedOff) {
  Wow64State& s = State();
  // A revert that fails leaves redirection off, and the guards as they are.
  if (!GuardUsable() || (s.switchedOff && !s.revert(s.saved))) {
    depth_ = -1;
    return;
  }
  s.depth = 0;
  s.switchedOff = false;
  s.saved = nullptr;
}

RedirectionRestored::~RedirectionRestored() {
  if (depth_ < 0) return;
  Wow64State& s = State();
  s.depth = depth_;
  s.saved = nullptr;
  s.switchedOff = off_ && s.disable(&s.saved) != FALSE;
}

FARPROC SystemFunction(const Text& dll, const char* name) {
  const RedirectionRestored loads;
  const Wow64Platform& c = Calls<Wow64Platform>();
  wchar_t folder[MAX_PATH];
  const UINT n = c.getSystemDirectory(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  // By full path, so that no library of that name elsewhere on the search
  // path is taken; never freed, as its functions are kept.
  const HMODULE module = c.loadLibrary(W(FromW(folder, n) + u"\\" + dll));
  return module ? c.getProcAddress(module, name) : nullptr;
}

bool IsDriveReady(char16_t ch) {
  if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
  if (ch < u'A' || ch > u'Z') return ch == u'\\';
  const Wow64Platform& c = Calls<Wow64Platform>();
  const TScopeExit restoreMode([&c, previous = c.setErrorMode(SEM_FAILCRITICALERRORS)] { c.setErrorMode(previous); });
  const wchar_t root[] = {static_cast<wchar_t>(ch), L':', L'\\', 0};
  ULARGE_INTEGER available, total, free;
  return c.getDiskFreeSpaceEx(root, &available, &total, &free) != FALSE;
}

bool IsPathDriveReady(const Text& path) { return !path.empty() && IsDriveReady(path[0]); }

bool IsFolder(const Text& path) {
  const DWORD attributes = Calls<Wow64Platform>().getFileAttributes(W(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderFollowingLinks(const Text& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return folder;
  // A link or junction: it counts only when its target can be opened.
  const TStagedFile target(OpenForReading(path, FILE_FLAG_BACKUP_SEMANTICS));
  return target && folder;
}

bool DirectoryThere(const Text& path) { return ThereInsideGuard(path, FolderFollowingLinks); }

bool FileThere(const Text& path) { return ThereInsideGuard(path, FileTest); }

}  // namespace tovanel
