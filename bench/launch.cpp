// Start-up benchmark: starts each program given on the command line, times
// the interval from CreateProcessW to the first paint of its first visible
// top-level window, reads the process's working set, then asks the window to
// close. Runs alternate between the programs, so that drift in the machine's
// load spreads evenly; one unrecorded warm-up run of each comes first.
//
//   launch.exe RUNS LABEL=PROGRAM.exe [LABEL=PROGRAM.exe ...]
//
// Prints Markdown table rows ("| measure | figure | note |") on stdout, the
// first program serving as the reference for the others in the notes; then
// the ratios of the last program, the one measured, to each program before
// it (its floors, the nearest first), by median and by minimum. Progress and failures go to
// stderr. Measures only: it never judges the figures.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Timing.h"

namespace {

using bench::Median;
using bench::Min;
using bench::Now;


std::string Utf8(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// A window has been painted when neither it nor any visible control in it
// has an update region left: showing a window gives it one at once, and only
// its WM_PAINT (BeginPaint) takes it away. GetUpdateRect without erasing
// sends nothing to the window, so looking does not disturb the program. The
// controls are looked at from the last to the first: under Wine they paint
// in the order of the list, so the last stays dirty longest and one look
// usually settles the question, which spares calls into Wine's server, the
// one that the program being measured needs too.
BOOL CALLBACK CollectChild(HWND child, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(child);
  return TRUE;
}

bool Painted(HWND h) {
  if (GetUpdateRect(h, nullptr, FALSE)) return false;
  std::vector<HWND> children;
  EnumChildWindows(h, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (GetUpdateRect(*it, nullptr, FALSE) && IsWindowVisible(*it)) return false;
  return true;
}

struct Search {
  DWORD pid;
  HWND visible = nullptr;  // first visible top-level window of the process
};

BOOL CALLBACK FindVisible(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(h, &owner);
  if (owner != s->pid || !IsWindowVisible(h)) return TRUE;
  RECT r;
  if (!GetWindowRect(h, &r) || r.right <= r.left || r.bottom <= r.top) return TRUE;
  s->visible = h;
  return FALSE;
}

HWND FirstVisibleWindow(DWORD pid) {
  Search s{pid};
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&s));
  return s.visible;
}

struct Sample {
  bool ok = false;
  double shownMs = 0;    // the window first seen visible
  double paintedMs = 0;  // ... and painted
  double wsAtPaintKb = 0, peakKb = 0;
  int dirtyPolls = 0;    // polls that saw the window visible but not yet painted
};

double Kb(SIZE_T bytes) { return static_cast<double>(bytes) / 1024.0; }

Sample StartOnce(const std::wstring& exe) {
  Sample s;
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = Now();
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", Utf8(exe).c_str(), GetLastError());
    return s;
  }
  // Polled, not WaitForInputIdle: under Wine that returns tens of
  // milliseconds after the program is idle. Sleep(1) keeps the polling light;
  // polling without a pause slowed the programs measured.
  HWND window = nullptr, shown = nullptr;
  const double deadline = t0 + 20000;
  while (Now() < deadline) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    if (!shown || !IsWindowVisible(shown)) {
      shown = FirstVisibleWindow(pi.dwProcessId);
      if (shown && s.shownMs == 0) s.shownMs = Now() - t0;
    }
    if (shown) {
      if (Painted(shown)) {
        s.paintedMs = Now() - t0;
        window = shown;
        break;
      }
      ++s.dirtyPolls;
    }
    Sleep(1);
  }
  if (window) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) s.wsAtPaintKb = Kb(pmc.WorkingSetSize);
    // Whatever start-up still does after its first paint counts towards the
    // peak: wait until the program is idle again and a moment longer.
    WaitForInputIdle(pi.hProcess, 5000);
    Sleep(250);
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) s.peakKb = Kb(pmc.PeakWorkingSetSize);
    s.ok = s.wsAtPaintKb > 0;
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else {
    std::fprintf(stderr, "%s: no painted window within 20 s\n", Utf8(exe).c_str());
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "%s did not close within 10 s; terminated\n", Utf8(exe).c_str());
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
    s.ok = false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // A pause, so that what remains of one run's exit does not overlap the
  // next start.
  Sleep(200);
  return s;
}

struct Target {
  std::wstring label, exe;
  std::vector<double> painted, shown, wsAtPaint, peak;
  int dirtyPolls = 0, failures = 0;
};

std::string Fmt(const char* format, double a, double b = 0) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: launch.exe RUNS LABEL=PROGRAM.exe [LABEL=PROGRAM.exe ...]\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  std::vector<Target> targets;
  for (int i = 2; i < argc; ++i) {
    std::wstring a = argv[i];
    const std::size_t eq = a.find(L'=');
    if (eq == std::wstring::npos) {
      std::fprintf(stderr, "not LABEL=PROGRAM: %s\n", Utf8(a).c_str());
      return 2;
    }
    Target t;
    t.label = a.substr(0, eq);
    t.exe = a.substr(eq + 1);
    targets.push_back(t);
  }

  for (int run = 0; run <= runs; ++run) {
    for (Target& t : targets) {
      const Sample s = StartOnce(t.exe);
      if (run == 0) continue;  // warm-up: file cache and Wine's own start
      if (!s.ok) {
        ++t.failures;
        continue;
      }
      t.painted.push_back(s.paintedMs);
      t.shown.push_back(s.shownMs);
      t.wsAtPaint.push_back(s.wsAtPaintKb);
      t.peak.push_back(s.peakKb);
      t.dirtyPolls += s.dirtyPolls;
    }
    std::fprintf(stderr, "\rstart-up runs: %d/%d", run, runs);
  }
  std::fprintf(stderr, "\n");

  const Target& ref = targets.front();
  for (const Target& t : targets) {
    const std::string name = Utf8(t.label);
    const bool isRef = &t == &ref;
    // The poll count shows that the painted test did see unpainted windows,
    // that is, that it measures the paint and not merely the showing.
    std::fprintf(stderr, "%s: %zu runs recorded, %d failed; window seen visible at %.1f ms (median); %d polls "
                 "found it visible but unpainted\n",
                 name.c_str(), t.painted.size(), t.failures, Median(t.shown), t.dirtyPolls);
    if (t.painted.empty()) {
      std::printf("| start-up to first paint, %s | no run succeeded | |\n", name.c_str());
      continue;
    }
    const std::string shown = Fmt("window shown at %.1f ms", Median(t.shown));
    const std::string note =
        isRef ? "the floor; " + shown
              : Fmt("%.2f × the floor (median), ", Median(t.painted) / Median(ref.painted)) +
                    Fmt("%.2f × (min); ", Min(t.painted) / Min(ref.painted)) + shown;
    std::printf("| start-up to first paint, %s (median / min of %zu runs) | %s | %s |\n", name.c_str(),
                t.painted.size(), Fmt("%.1f / %.1f ms", Median(t.painted), Min(t.painted)).c_str(), note.c_str());
  }
  for (const Target& t : targets) {
    if (t.painted.empty()) continue;
    const bool isRef = &t == &ref;
    const std::string vs = isRef ? "" : Fmt("%+.0f KB over the floor", Median(t.wsAtPaint) - Median(ref.wsAtPaint));
    std::printf("| working set at first paint, %s (median) | %s | %s |\n", Utf8(t.label).c_str(),
                Fmt("%.0f KB", Median(t.wsAtPaint)).c_str(), vs.c_str());
  }
  for (const Target& t : targets) {
    if (t.painted.empty()) continue;
    const bool isRef = &t == &ref;
    const std::string vs = isRef ? "" : Fmt("%+.0f KB over the floor", Median(t.peak) - Median(ref.peak));
    std::printf("| peak working set to idle after first paint, %s (median) | %s | %s |\n", Utf8(t.label).c_str(),
                Fmt("%.0f KB", Median(t.peak)).c_str(), vs.c_str());
  }
  // The nearest floor, the one just before the measured program, first.
  const Target& measured = targets.back();
  for (auto it = targets.rbegin() + 1; it != targets.rend(); ++it) {
    const Target& floor = *it;
    if (floor.painted.empty() || measured.painted.empty()) continue;
    const std::string pair = Utf8(measured.label) + " / " + Utf8(floor.label);
    auto row = [&pair](const char* what, const std::vector<double>& a, const std::vector<double>& b,
                       const char* unit) {
      std::printf("| %s, %s | %s | %s |\n", what, pair.c_str(),
                  (Fmt("%.2f × (median), ", Median(a) / Median(b)) + Fmt("%.2f × (min)", Min(a) / Min(b))).c_str(),
                  (Fmt(unit, Median(a), Median(b)) + " (median), " + Fmt(unit, Min(a), Min(b)) + " (min)").c_str());
    };
    row("start-up to first paint", measured.painted, floor.painted, "%.1f / %.1f ms");
    row("working set at first paint", measured.wsAtPaint, floor.wsAtPaint, "%.0f / %.0f KB");
    row("peak working set to idle", measured.peak, floor.peak, "%.0f / %.0f KB");
  }
  int failures = 0;
  for (const Target& t : targets) failures += t.failures + (t.painted.empty() ? 1 : 0);
  return failures ? 1 : 0;
}
