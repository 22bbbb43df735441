// In-process benchmarks: the eight name forms of a deep and of a long
// existing path, each against the bare platform calls it needs; the four
// locale conversions of a text of the largest size they accept; a drop of
// many files on the main window against its bare platform calls; and
// additions to the list window. Works in a fresh folder under %TEMP% (inside
// the Wine prefix when run under Wine) and removes it at the end; the
// settings file goes there too, never to the user's.
//
//   functions.exe [names] [conversions] [drop] [list]   (the parts named, or all)
//
// Prints Markdown table rows ("| measure | figure | note |") on stdout and
// progress on stderr. Measures only: it never judges the figures.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/DataFolder.h"
#include "base/Handles.h"
#include "base/Platform.h"
#include "names/NameForms.h"
#include "names/Wow64.h"
#include "text/Convert.h"
#include "toolkit/Forms.h"
#include "windows/List.h"
#include "windows/Main.h"

using namespace tovanel;

#include "BareCalls.h"
#include "CallCount.h"
#include "Timing.h"

namespace {

using bench::Median;
using bench::Now;

std::string Fmt(const char* format, ...) {
  char buf[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

// Milliseconds with enough digits for both microsecond calls and seconds.
std::string Ms(double ms) {
  if (ms < 0.1) return Fmt("%.4f ms", ms);
  if (ms < 10) return Fmt("%.3f ms", ms);
  if (ms < 10000) return Fmt("%.1f ms", ms);
  return Fmt("%.1f s", ms / 1000);
}

// 10000 as "10,000".
std::string Count(std::size_t n) {
  std::string s = std::to_string(n);
  for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<std::size_t>(i), ",");
  return s;
}

std::string Ratio(double a, double b) { return b > 0 ? Fmt("%.2f ×", a / b) : std::string("n/a"); }

void Row(const std::string& measure, const std::string& figure, const std::string& note) {
  std::printf("| %s | %s | %s |\n", measure.c_str(), figure.c_str(), note.c_str());
  std::fflush(stdout);
}

struct Timing {
  double median, min;
  std::vector<double> samples;  // in the order taken
};

Timing Summary(const std::vector<double>& t) { return {Median(t), bench::Min(t), t}; }

// "1.35 × (median of pairs), 1.20 × (min)", a over b, for measures taken
// side by side in every round: the median of the rounds' own ratios, which
// a change in the machine's load between rounds leaves alone, and the ratio
// of the shortest times.
std::string PairedRatios(const Timing& a, const Timing& b) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i)
    if (b.samples[i] > 0) ratios.push_back(a.samples[i] / b.samples[i]);
  return Fmt("%.2f × (median of pairs), ", Median(ratios)) + Ratio(a.min, b.min) + " (min)";
}

// Times single calls of several operations in rounds, one call of each per
// round, so that a burst of load on the machine falls on all of them alike;
// every other round runs them in reverse order, so that neither of two
// neighbours always finds the caches left by the other. A few unrecorded
// rounds come first; then rounds until `rounds` or `budgetMs` have passed
// (at least `minRounds`). Returns the median and the shortest time of one
// call of each.
std::vector<Timing> TimeInRounds(const std::vector<std::function<void()>>& calls, int rounds, double budgetMs,
                                 int minRounds = 15) {
  for (int i = 0; i < 3; ++i)
    for (const auto& call : calls) call();
  std::vector<std::vector<double>> times(calls.size());
  const double start = Now();
  for (int r = 0; r < rounds && (r < minRounds || Now() - start < budgetMs); ++r) {
    for (std::size_t k = 0; k < calls.size(); ++k) {
      const std::size_t i = r % 2 ? calls.size() - 1 - k : k;
      const double t0 = Now();
      calls[i]();
      times[i].push_back(Now() - t0);
    }
  }
  std::vector<Timing> result;
  for (const auto& t : times) result.push_back(Summary(t));
  return result;
}

SIZE_T WorkingSet() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.WorkingSetSize : 0;
}

// Creation below MAX_PATH and beyond it alike: the \\?\ form lifts the limit.
bool MakeFolder(const Text& path) {
  return CreateDirectoryW(W(u"\\\\?\\" + path), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
bool MakeFile(const Text& path) {
  const TFileHandle file(
      CreateFileW(W(u"\\\\?\\" + path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

// Removes a folder and everything below it, paths beyond MAX_PATH included.
void RemoveTree(const Text& path) {
  WIN32_FIND_DATAW fd;
  if (const TFindHandle find(FindFirstFileW(W(u"\\\\?\\" + path + u"\\*"), &fd)); find) {
    do {
      const Text name = FromW(fd.cFileName);
      if (name == u"." || name == u"..") continue;
      const Text child = path + u"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(W(u"\\\\?\\" + child));
    } while (FindNextFileW(find.Get(), &fd));
  }
  RemoveDirectoryW(W(u"\\\\?\\" + path));
}

Text Num(int n, int width) {
  std::string s = std::to_string(n);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  return FromUtf8(s);
}

int Components(const Text& path) {  // below the drive head
  return static_cast<int>(std::count(path.begin(), path.end(), u'\\'));
}

// A path of `count` components below the drive: the base folder's, then
// folders with long, mixed Japanese and Latin names (each has a short form
// that differs), ending with a file.
Text MakeDeepPath(const Text& base, int count) {
  Text p = base;
  for (int i = Components(base) + 1; i < count; ++i) {
    p += (i % 2 ? u"\\資料フォルダ " : u"\\Project Files ") + Num(i, 2);
    if (!MakeFolder(p)) return {};
  }
  p += u"\\報告書 final version.docx";
  return MakeFile(p) ? p : Text();
}

// A path of exactly `length` characters: folders of about 60 characters,
// then a file whose name makes up the rest.
Text MakeLongPath(const Text& base, std::size_t length) {
  Text p = base;
  for (int i = 1; p.size() + 61 + 40 <= length; ++i) {
    Text name = u"\\長いフォルダ名 long folder name number " + Num(i, 3) + u" ";
    name.append(61 - name.size(), u'x');
    p += name;
    if (!MakeFolder(p)) return {};
  }
  Text file = u"\\最後のファイル ";
  if (p.size() + file.size() + 4 >= length) return {};  // a temporary folder too deep to start from
  const std::size_t rest = length - p.size() - file.size() - 4;
  file.append(rest, u'y');
  file += u".txt";
  p += file;
  return MakeFile(p) ? p : Text();
}

const char* const kFormNames[8] = {
    "whole path, long",          "whole path, short",          "drive and folder, long", "drive and folder, short",
    "name with extension, long", "name with extension, short", "bare name, long",        "bare name, short",
};

// The platform calls that form `index` of path needs: those of its base, the
// long or the short form; the parts are text work. Returns the base.
Text BareBase(const Text& path, int index) {
  static wchar_t out[bench::kPathUnits];
  const std::size_t n = index % 2 ? bench::BareShortName(W(path), out) : bench::BareLongName(W(path), out);
  return FromW(out, n);
}

void BenchNameForms(const Text& base) {
  std::fprintf(stderr, "name forms: creating the paths\n");
  const Text deep = MakeDeepPath(base, 30);
  const Text wide = MakeLongPath(base, 1000);
  if (deep.empty() || wide.empty()) {
    Row("name forms", "could not create the test paths", Fmt("error %lu", GetLastError()));
    return;
  }
  std::fprintf(stderr, "name forms: %d components (%zu characters); %zu characters (%d components)\n",
               Components(deep), deep.size(), wide.size(), Components(wide));
  const Text* const paths[] = {&deep, &wide};
  const std::string pathNames[] = {Fmt("%d-component path", Components(deep)),
                                   Fmt("%s-character path", Count(wide.size()).c_str())};

  // Which calls each side makes, counted once outside the timing.
  std::vector<std::string> productCalls, bareCalls;
  {
    const bench::TCallCount counting;
    for (const Text* path : paths)
      for (int index = 0; index < 8; ++index) {
        bench::TCallCount::Reset();
        (void)GetNameForm(*path, index);
        productCalls.push_back(bench::TCallCount::Made());
        bench::TCallCount::Reset();
        (void)BareBase(*path, index);
        bareCalls.push_back(bench::TCallCount::Made());
      }
  }

  // Each form and its platform calls side by side in every round.
  std::vector<std::function<void()>> calls;
  for (const Text* path : paths)
    for (int index = 0; index < 8; ++index) {
      calls.push_back([path, index] { (void)GetNameForm(*path, index); });
      calls.push_back([path, index] { (void)BareBase(*path, index); });
    }
  std::fprintf(stderr, "name forms: timing\n");
  const std::vector<Timing> ms = TimeInRounds(calls, 300, 30000);
  for (int index = 0; index < 8; ++index) {
    for (std::size_t p = 0; p < 2; ++p) {
      const Text& path = *paths[p];
      const std::size_t k = p * 8 + static_cast<std::size_t>(index);
      const Timing& product = ms[2 * k];
      const Timing& bare = ms[2 * k + 1];
      const auto form = GetNameForm(path, index);
      const bool same = (index % 2 ? GetShortName(path) : GetLongName(path)) == BareBase(path, index);
      std::string note = Fmt("%s / %s (median), %s / %s (min); calls %s / %s; result %s characters%s",
                             Ms(product.median).c_str(), Ms(bare.median).c_str(), Ms(product.min).c_str(),
                             Ms(bare.min).c_str(), productCalls[k].c_str(), bareCalls[k].c_str(),
                             Count(form ? form->size() : 0).c_str(),
                             same ? ", base the same" : "; the platform calls gave ANOTHER base");
      if (!form || form->empty()) note += "; an EMPTY result: figure not meaningful";
      Row(Fmt("name form %d (%s), %s: product / platform calls", index, kFormNames[index], pathNames[p].c_str()),
          PairedRatios(product, bare), note);
    }
  }
}

// A realistic mixed text without voiced full-width katakana, so that every
// mapping keeps the length and a 32736-unit text fits the mapping buffer.
Text ConversionText() {
  const Text sample =
      u"東京都のカフェでコーヒーを飲みながら、ﾃｷｽﾄを変換する。ＡＢＣ１２３abc 456 ひらがなとカタカナ。\r\n";
  Text t;
  while (t.size() < static_cast<std::size_t>(kMappingCapacity - 1)) t += sample;
  t.resize(static_cast<std::size_t>(kMappingCapacity - 1));  // 32736 units
  return t;
}

void BenchConversions() {
  const Text text = ConversionText();
  struct Conversion {
    const char* name;
    Text (*run)(const Text&);
  };
  const Conversion conversions[] = {
      {"ToHalfWidth", ToHalfWidth}, {"ToFullWidth", ToFullWidth}, {"ToKatakana", ToKatakana}, {"ToHiragana", ToHiragana}};
  std::vector<std::function<void()>> calls;
  for (const Conversion& c : conversions) calls.push_back([&c, &text] { (void)c.run(text); });
  std::fprintf(stderr, "conversions: timing\n");
  const std::vector<Timing> ms = TimeInRounds(calls, 300, 5000);
  for (std::size_t i = 0; i < std::size(conversions); ++i) {
    const Text result = conversions[i].run(text);
    std::size_t changed = 0;  // shows that the mapping did its work
    for (std::size_t k = 0; k < std::min(result.size(), text.size()); ++k) changed += result[k] != text[k];
    const std::size_t resultSize = result.size();
    std::string note = Fmt("min %s; result %s units, %s of them changed", Ms(ms[i].min).c_str(),
                           Count(resultSize).c_str(), Count(changed).c_str());
    if (resultSize == 0) note += "; EMPTY: figure not meaningful";
    Row(Fmt("%s of a %s-unit text, median per call", conversions[i].name, Count(text.size()).c_str()), Ms(ms[i].median),
        note);
  }
}

// Paths as a drop would bring them: long forms of existing files, 100 to a
// folder, names of varying length.
std::vector<Text> MakeListPaths(const Text& root, int count) {
  std::vector<Text> paths;
  MakeFolder(root);
  const char16_t* const kinds[] = {u"見積書", u"Meeting notes", u"請求書_株式会社サンプル", u"IMG", u"議事録 第"};
  const char16_t* const exts[] = {u".xlsx", u".docx", u".pdf", u".jpg", u".txt"};
  for (int i = 0; i < count; ++i) {
    const Text folder = root + u"\\" + (i / 100 % 2 ? u"2024年度 資料 " : u"Customer Projects ") + Num(i / 100, 3);
    if (i % 100 == 0 && !MakeFolder(folder)) return {};
    Text name = Text(kinds[i % 5]) + u" " + Num(i, 5);
    if (i % 3 == 0) name += u" (最終版)";
    if (i % 7 == 0) name += u" - コピー";
    const Text path = folder + u"\\" + name + exts[i % 5];
    if (!MakeFile(path)) return {};
    paths.push_back(path);
  }
  return paths;
}

// The application as start-up makes it, with its settings in the temporary
// folder and a command line that names no file; the windows are made by
// each part.
TApplication& StartApplication(const Text& base) {
  static const bool started = [&base] {
    DataFolder = base + u"\\data\\";
    MakeFolder(base + u"\\data");
    Calls<MainPlatform>().commandLine = [] { return Text(u"functions.exe"); };
    Application().Initialize();
    InitWow64();
    return true;
  }();
  (void)started;
  return Application();
}

void MakeWindows(TApplication& app) {
  MainForm = new TMainForm(&app);
  app.MainForm = MainForm;
  ListForm = new TListForm(&app);
}

void FreeWindows(TApplication& app) {
  app.MainForm = nullptr;
  delete ListForm;  // the main window owns it
  ListForm = nullptr;
  delete MainForm;
  MainForm = nullptr;
}

// Handles what is waiting and what arrives within `ms`.
void PumpFor(TApplication& app, double ms) {
  const double end = Now() + ms;
  do {
    app.ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (Now() < end);
}

// An HDROP as the shell builds it: DROPFILES, wide names, each ended by a
// NUL and the list by one more. Whoever handles the drop frees it.
HDROP MakeDrop(const std::vector<Text>& names) {
  std::size_t units = 2;
  for (const Text& n : names) units += n.size() + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(wchar_t));
  if (!h) return nullptr;
  auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
  *drop = DROPFILES{sizeof(DROPFILES), {12, 34}, FALSE, TRUE};
  auto* p = reinterpret_cast<char16_t*>(drop + 1);
  for (const Text& n : names) p = std::copy(n.begin(), n.end(), p) + 1;
  GlobalUnlock(h);
  return static_cast<HDROP>(h);
}

constexpr int kDropFiles = 2000;
constexpr int kDropRounds = 5;

// A drop of kDropFiles existing files on the shown main window, timed from
// the WM_DROPFILES message's dispatch to the end of its handler, each time
// into fresh windows. Its floor is the bare work of the same drop, measured
// just before and just after it: bursts of load here last seconds, so the
// nearest floor says most. In that floor's block the product's own long
// forms and existence checks run too, name by name beside the bare calls.
void BenchDrop(const Text& base) {
  std::fprintf(stderr, "drop: creating %d files\n", kDropFiles);
  const std::vector<Text> paths = MakeListPaths(base + u"\\drop", kDropFiles);
  if (paths.empty()) {
    Row("drop", "could not create the test files", Fmt("error %lu", GetLastError()));
    return;
  }
  TApplication& app = StartApplication(base);
  const bool wow64 = bench::BareWow64();
  std::size_t listed = 0;
  bool expected = true;  // the windows show what the drop should leave

  auto product = [&] {
    MakeWindows(app);
    MainForm->Show();
    PumpFor(app, 300);  // first paint and whatever showing queued
    const HWND target = MainForm->Handle();
    PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    double ms = 0;
    MSG msg;
    if (PeekMessageW(&msg, target, WM_DROPFILES, WM_DROPFILES, PM_REMOVE)) {
      const double t0 = Now();
      DispatchMessageW(&msg);
      ms = Now() - t0;
    }
    const auto& items = ListForm->ListBox->Items();
    listed = items.size();
    expected = expected && listed == paths.size() && items.front() == GetLongName(paths.back()) &&
               MainForm->MNowFile == GetLongName(paths.front());
    PumpFor(app, 100);  // the key strokes the drop queued
    FreeWindows(app);
    // Freeing a shown window goes on in the X server for a while; the next
    // measure should not share the machine with it.
    PumpFor(app, 1000);
    return ms;
  };

  struct Block {
    double alone = 0, bare = 0;  // milliseconds, summed over the names
    std::size_t foundAlone = 0, foundBare = 0;
  };
  // The bare drop: the count, each name's bare work, DragFinish; the switch
  // once around it, as the handler enters the guard once. The product's
  // long form and checks of each name right beside it, the two taking turns
  // at going first.
  auto block = [&] {
    Block b;
    const HDROP drop = MakeDrop(paths);
    double t0 = Now();
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    b.bare += Now() - t0;
    {
      const bench::TBareRedirectionOff off(wow64);
      const RedirectionGuard guard;
      for (UINT i = 0; i < count && i < paths.size(); ++i) {
        for (int side = 0; side < 2; ++side) {
          t0 = Now();
          if ((side + i) % 2) {
            b.foundBare += bench::BareDroppedName(drop, i);
            b.bare += Now() - t0;
          } else {
            const Text l = GetLongName(paths[i]);
            b.foundAlone += FileThere(l) || DirectoryThere(l);
            b.alone += Now() - t0;
          }
        }
      }
    }
    t0 = Now();
    DragFinish(drop);
    b.bare += Now() - t0;
    return b;
  };

  std::vector<double> dropped, floorOfDrop, alone, bare;
  Block last;
  for (int round = 0; round <= kDropRounds; ++round) {
    const Block before = block();
    const double p = product();
    last = block();
    std::fprintf(stderr, "drop: round %d of %d%s: %s between floors of %s and %s\n", round + 1, kDropRounds + 1,
                 round ? "" : " (unrecorded)", Ms(p).c_str(), Ms(before.bare).c_str(), Ms(last.bare).c_str());
    if (round == 0) continue;  // warms the file cache and the window classes
    dropped.push_back(p);
    floorOfDrop.push_back((before.bare + last.bare) / 2);
    alone.push_back(before.alone);
    bare.push_back(before.bare);
    alone.push_back(last.alone);
    bare.push_back(last.bare);
  }
  const Timing d = Summary(dropped), f = Summary(floorOfDrop), a = Summary(alone), b = Summary(bare);
  const std::string count = Count(paths.size());
  Row(Fmt("drop of %s existing files on the main window, message to end of handler: product / platform calls",
          count.c_str()),
      PairedRatios(d, f),
      Fmt("%s / %s (median), %s / %s (min), %d drops, each against the mean of the floors before and after it; %s "
          "entries listed%s",
          Ms(d.median).c_str(), Ms(f.median).c_str(), Ms(d.min).c_str(), Ms(f.min).c_str(), kDropRounds,
          Count(listed).c_str(), expected ? "" : "; the windows did NOT show the expected result"));
  Row(Fmt("drop: the product's %s long forms and existence checks alone, without the windows / platform calls",
          count.c_str()),
      PairedRatios(a, b),
      Fmt("%s / %s (median), %s / %s (min), %zu blocks, name by name side by side; found %s / %s of %s",
          Ms(a.median).c_str(), Ms(b.median).c_str(), Ms(a.min).c_str(), Ms(b.min).c_str(), alone.size(),
          Count(last.foundAlone).c_str(), Count(last.foundBare).c_str(), count.c_str()));
}

void BenchList(const Text& base) {
  const int kCheckpoints[] = {1000, 10000};
  const int total = kCheckpoints[1];
  constexpr std::size_t kStretch = 100;  // additions compared at the start and at the end
  std::fprintf(stderr, "list: creating %d files\n", total);
  const std::vector<Text> paths = MakeListPaths(base + u"\\list", total);
  if (paths.empty()) {
    Row("Proc_AddList", "could not create the test files", Fmt("error %lu", GetLastError()));
    return;
  }

  TApplication& app = StartApplication(base);
  MakeWindows(app);
  app.ProcessMessages();

  const SIZE_T ws0 = WorkingSet();
  std::vector<double> each;
  each.reserve(paths.size());
  const double start = Now();
  std::size_t next = 0;
  for (int checkpoint : kCheckpoints) {
    for (; next < static_cast<std::size_t>(checkpoint); ++next) {
      const double t0 = Now();
      ListForm->Proc_AddList(paths[next]);
      each.push_back(Now() - t0);
      if (next % 500 == 499) {
        app.ProcessMessages();  // as the message loop would between drops
        std::fprintf(stderr, "\rlist: %zu additions, the last %s", next + 1, Ms(each.back()).c_str());
      }
    }
    const double elapsed = Now() - start;
    const std::vector<double> last(each.end() - kStretch, each.end());
    const double growthKb = (static_cast<double>(WorkingSet()) - static_cast<double>(ws0)) / 1024.0;
    std::fprintf(stderr, "\n");
    Row(Fmt("Proc_AddList: %s realistic paths into the list, total", Count(static_cast<std::size_t>(checkpoint)).c_str()),
        Ms(elapsed),
        Fmt("%s per addition at the end (median of the last %zu); working set %+.0f KB", Ms(Median(last)).c_str(),
            kStretch, growthKb));
  }
  const double first = Median(std::vector<double>(each.begin(), each.begin() + kStretch));
  const double last = Median(std::vector<double>(each.end() - kStretch, each.end()));
  Row(Fmt("Proc_AddList: additions %s-%s / additions 1-%zu, median per addition", Count(each.size() - kStretch + 1).c_str(),
          Count(each.size()).c_str(), kStretch),
      Ratio(last, first), Ms(last) + " / " + Ms(first));
  const auto& items = ListForm->ListBox->Items();
  if (items.size() != paths.size() || items.front() != paths.back())
    std::fprintf(stderr, "list: unexpected content (%zu entries)\n", items.size());
  FreeWindows(app);
}

}  // namespace

// functions.exe [names] [conversions] [drop] [list]: the parts named, or all.
int wmain(int argc, wchar_t** argv) {
  auto wanted = [&](const wchar_t* part) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
      if (std::wstring(argv[i]) == part) return true;
    return false;
  };
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (!n || n > MAX_PATH) return 1;
  // The long form, so that the paths are what a drop would hand over.
  const Text base = GetLongName(FromW(temp, n) + FromUtf8("tovanel-bench-" + std::to_string(GetCurrentProcessId())));
  if (!MakeFolder(base)) {
    std::fprintf(stderr, "cannot create %s\n", ToUtf8(base).c_str());
    return 1;
  }
  std::fprintf(stderr, "working in %s\n", ToUtf8(base).c_str());

  if (wanted(L"names")) BenchNameForms(base);
  if (wanted(L"conversions")) BenchConversions();
  if (wanted(L"drop")) BenchDrop(base);
  if (wanted(L"list")) BenchList(base);

  RemoveTree(base);
  return 0;
}
