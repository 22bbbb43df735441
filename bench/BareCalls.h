#pragma once
// The bare platform work behind the product's figures: the calls that a name
// form, an existence check or a drop cannot do without, made directly into
// fixed buffers, without Text, seams or the toolkit. Each returns what its
// product counterpart returns, so that a run can show that both did the same
// work. Single-threaded: the buffers are shared.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

namespace bench {

// Units enough for any path the platform takes, terminator included: one
// call always has room, where the product may ask first for the size.
constexpr DWORD kPathUnits = 32768;

// Long form: one GetFullPathNameW, then one FindFirstFileExW (basic
// information) per component below the drive or server head, last first,
// each with the whole path up to it; a component not found stays as
// written. Writes the result with a terminator into out (kPathUnits units)
// and returns its length, 0 when the expansion fails.
std::size_t BareLongName(const wchar_t* path, wchar_t* out);

// Short form: one GetShortPathNameW. Same contract as BareLongName.
std::size_t BareShortName(const wchar_t* path, wchar_t* out);

// The existence checks: the drive query under SEM_FAILCRITICALERRORS for a
// path that begins with a letter, then the attribute read. No redirection
// switch: the caller makes it once around all its work.
bool BareFileThere(const wchar_t* path);
bool BareDirectoryThere(const wchar_t* path);

// IsWow64Process of this process.
bool BareWow64();

// Redirection switched off while it lives, where wow64 holds: a drop on the
// main window makes its long forms and checks with it off.
class TBareRedirectionOff {
 public:
  explicit TBareRedirectionOff(bool wow64);
  ~TBareRedirectionOff();
  TBareRedirectionOff(const TBareRedirectionOff&) = delete;
  TBareRedirectionOff& operator=(const TBareRedirectionOff&) = delete;

 private:
  bool switched_ = false;
  PVOID saved_ = nullptr;
};

// The bare work of one dropped name: read from the HDROP, its long form and
// its existence checks (the folder check only for what is not a file).
// Returns whether it exists.
bool BareDroppedName(HDROP drop, UINT index);

}  // namespace bench
