#pragma once
// The test kit's processes: a program a test starts, killed if the test
// leaves it running, and where the test's own programs are.
#include <windows.h>

#include "base/Handles.h"
#include "base/Text.h"

namespace tovanel::test {

inline Text ThisProgram() {
  wchar_t self[MAX_PATH];
  return FromW(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
}

// A program the build places beside this test.
inline Text ProgramBeside(const Text& name) {
  const Text self = ThisProgram();
  return self.substr(0, self.find_last_of(u"\\/") + 1) + name;
}

// `program` started with `arguments` after its quoted name and CreateProcessW's
// `flags`; false when it could not be started. Killed, and waited for, if it
// still runs when the owner goes.
class TProcess {
 public:
  explicit TProcess(const Text& program, const Text& arguments = u"", DWORD flags = 0) {
    Text command = u"\"" + program + u"\"" + (arguments.empty() ? u"" : u" " + arguments);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(W(program), W(command), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &pi)) {
      process_.Reset(pi.hProcess);
      thread_.Reset(pi.hThread);
      id_ = pi.dwProcessId;
    }
  }
  ~TProcess() { Kill(); }
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;

  explicit operator bool() const { return static_cast<bool>(process_); }
  HANDLE Handle() const { return process_.Get(); }
  DWORD Id() const { return id_; }
  // True when it has ended, or ends within `ms`.
  bool Ended(DWORD ms) const { return !process_ || WaitForSingleObject(process_.Get(), ms) == WAIT_OBJECT_0; }
  void Kill() {
    if (!Ended(0) && TerminateProcess(process_.Get(), 1)) Ended(10000);
  }
  // Kills it and closes its handles: its id is free again once nobody holds one.
  void Forget() {
    Kill();
    thread_.Reset();
    process_.Reset();
  }

 private:
  TProcessHandle process_, thread_;
  DWORD id_ = 0;
};

}  // namespace tovanel::test
