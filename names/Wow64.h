#pragma once
// The redirection guard: lets file-name work see the native file system when
// this 32-bit program runs under WOW64. Also the existence tests, each made
// inside the guard and only on a drive that is ready.
#include <windows.h>

#include <functional>

#include "base/Resolve.h"
#include "base/Text.h"

namespace tovanel {

// True when the process runs under WOW64, as found by the last IsWow64; the
// only thing that the guard consults. False until InitWow64 has run.
bool Wow64Active();

// Whether the process runs under WOW64; also stores the result. Only
// InitWow64 calls it.
bool IsWow64();

// Once at start-up: finds out about WOW64 and, under it, resolves the switch
// operations from the system folder's Kernel32.dll.
void InitWow64();

// Entry and exit of the guard; pairs nest, and only the outermost pair
// switches redirection off and back. Without WOW64, or without both switch
// operations, they do nothing.
void DisableRedirection();
void RevertRedirection();

// For callers that prefer scope to pairing by hand.
class RedirectionGuard {
 public:
  RedirectionGuard() { DisableRedirection(); }
  ~RedirectionGuard() { RevertRedirection(); }
  RedirectionGuard(const RedirectionGuard&) = delete;
  RedirectionGuard& operator=(const RedirectionGuard&) = delete;
};

// Redirection in force again while it lives, even inside guards, which
// switch it off again when it goes. Loading a library and creating a COM
// object fail while redirection is off, and a failed load is not retried by
// the loader, so every load made on demand stands inside one. Guards entered
// while it lives switch redirection off and back as usual.
class RedirectionRestored {
 public:
  RedirectionRestored();
  ~RedirectionRestored();
  RedirectionRestored(const RedirectionRestored&) = delete;
  RedirectionRestored& operator=(const RedirectionRestored&) = delete;

 private:
  int depth_;  // the guards' nesting it interrupts; -1 when it changed nothing
  bool off_;
};

// The function `name` of the system folder's library `dll`, loaded with
// redirection in force and kept loaded for the rest of the run; nullptr
// when either is missing. FunctionAs gives it its type.
FARPROC SystemFunction(const Text& dll, const char* name);

// Whether ch names a ready drive (a letter, either case) or is a backslash
// (a network path or the current drive's root). Never lets the platform put
// up its "no disk" dialog.
bool IsDriveReady(char16_t ch);

// IsDriveReady of the first character; false for the empty Text.
bool IsPathDriveReady(const Text& path);

// Whether the path carries the folder attribute; a link is not followed.
bool IsFolder(const Text& path);

// The folder test alone, links followed: a link or junction counts when its
// target can be opened. No drive test, no guard.
bool FolderFollowingLinks(const Text& path);

// Whether path names a folder, or a file, on a ready drive; links followed.
bool DirectoryThere(const Text& path);
bool FileThere(const Text& path);

// The platform calls that this unit makes, read through Calls<Wow64Platform>()
// so that tests can stage WOW64, missing entry points and drives that are
// not ready.
struct Wow64Platform {
  std::function<HMODULE(LPCWSTR)> getModuleHandle;
  std::function<FARPROC(HMODULE, LPCSTR)> getProcAddress;
  std::function<HANDLE()> getCurrentProcess;
  std::function<void(DWORD& major, DWORD& minor)> getVersion;
  std::function<UINT(LPWSTR, UINT)> getSystemDirectory;
  std::function<HMODULE(LPCWSTR)> loadLibrary;
  std::function<BOOL(HMODULE)> freeLibrary;
  std::function<UINT(UINT)> setErrorMode;
  std::function<BOOL(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER)> getDiskFreeSpaceEx;
  std::function<DWORD(LPCWSTR)> getFileAttributes;
  std::function<DWORD()> getLastError;
  std::function<HANDLE(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)> createFile;
  std::function<BOOL(HANDLE)> closeHandle;
  std::function<HANDLE(LPCWSTR, LPWIN32_FIND_DATAW)> findFirstFile;
  std::function<BOOL(HANDLE)> findClose;

  static Wow64Platform Real();
};

// Clears the unit's state: WOW64 flag, entry points and guard nesting, as at
// process start. For tests, around the calls they stage.
void ResetWow64();

}  // namespace tovanel
