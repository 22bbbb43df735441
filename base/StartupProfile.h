#pragma once
// Stage marks of start-up, kept only in the build made for measuring it
// (CMake option TOVANEL_STARTUP_PROFILE, preset win64-profile); in every
// other build each mark is nothing at all.
//
// A mark records the time since the process was created. When the first
// window is painted the marks are appended to the file that the environment
// variable TOVANEL_STARTUP_PROFILE names: a line "# <program>.exe", one line
// "stage<TAB>milliseconds" a mark, and an empty line after the run.
#ifdef TOVANEL_STARTUP_PROFILE
#include <windows.h>

#include <cstdio>

namespace tovanel::startup_profile {

struct TMark {
  char stage[64];
  ULONGLONG at;  // 100-ns units, system time
};

inline TMark gMarks[64];
inline int gMarkCount = 0;
inline bool gWritten = false;

inline ULONGLONG SystemNow() {
  FILETIME f;
  GetSystemTimePreciseAsFileTime(&f);
  return (ULONGLONG{f.dwHighDateTime} << 32) | f.dwLowDateTime;
}

// `who` (may be null) is put before the stage: the window the stage is of.
inline void Mark(const char* stage, const char* who = nullptr) {
  if (gWritten || gMarkCount >= 64) return;
  TMark& m = gMarks[gMarkCount++];
  std::snprintf(m.stage, sizeof m.stage, "%s%s%s", who ? who : "", who ? ": " : "", stage);
  m.at = SystemNow();
}

inline void Mark(const char* stage, const char16_t* who) {
  char w[32];
  int i = 0;
  for (; who && who[i] && i < 31; ++i) w[i] = static_cast<char>(who[i]);
  w[i] = 0;
  Mark(stage, w);
}

inline void Write() {
  if (gWritten) return;
  gWritten = true;
  char path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("TOVANEL_STARTUP_PROFILE", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return;
  const ULONGLONG zero = (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime;
  std::FILE* f = std::fopen(path, "a");
  if (!f) return;
  // The program's own name heads its run.
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  const wchar_t* name = module;
  for (DWORD i = 0; i < length && i < MAX_PATH; ++i)
    if (module[i] == L'\\' || module[i] == L'/') name = module + i + 1;
  std::fprintf(f, "# %ls\n", name);
  for (int i = 0; i < gMarkCount; ++i)
    std::fprintf(f, "%s\t%.2f\n", gMarks[i].stage, static_cast<double>(gMarks[i].at - zero) / 10000.0);
  std::fprintf(f, "\n");
  std::fclose(f);
}

// Called where the thread looks for its next message: once no window of the
// thread waits to be painted, start-up has painted, and the marks go out.
inline void PaintedWhenIdle() {
  if (!gWritten && gMarkCount > 0 && !(HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT)) {
    Mark("first paint");
    Write();
  }
}

}  // namespace tovanel::startup_profile

#define TOVANEL_STAGE(...) ::tovanel::startup_profile::Mark(__VA_ARGS__)
#define TOVANEL_STAGE_PAINTED_WHEN_IDLE() ::tovanel::startup_profile::PaintedWhenIdle()
#else
#define TOVANEL_STAGE(...) ((void)0)
#define TOVANEL_STAGE_PAINTED_WHEN_IDLE() ((void)0)
#endif
