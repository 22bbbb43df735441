// In-process benchmarks: the eight name forms of a deep and of a long
// existing path, the four locale conversions of a text of the largest size
// they accept, and additions to the list window. Works in a fresh folder
// under %TEMP% (inside the Wine prefix when run under Wine) and removes it
// at the end; the settings file goes there too, never to the user's.
//
//   functions.exe [names] [conversions] [list]   (the parts named, or all)
//
// Prints Markdown table rows ("| measure | figure | note |") on stdout and
// progress on stderr. Measures only: it never judges the figures.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/DataFolder.h"
#include "base/Handles.h"
#include "names/NameForms.h"
#include "names/Wow64.h"
#include "text/Convert.h"
#include "toolkit/Forms.h"
#include "windows/List.h"
#include "windows/Main.h"

using namespace tovanel;

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

void Row(const std::string& measure, const std::string& figure, const std::string& note) {
  std::printf("| %s | %s | %s |\n", measure.c_str(), figure.c_str(), note.c_str());
  std::fflush(stdout);
}

// Times single calls of several operations in rounds, one call of each per
// round, so that a burst of load on the machine falls on all of them alike.
// A few unrecorded rounds come first; then rounds until `rounds` or
// `budgetMs` have passed (at least `minRounds`). Answers the median and the
// shortest time of one call of each.
struct Timing {
  double median, min;
};

std::vector<Timing> TimeInRounds(const std::vector<std::function<void()>>& calls, int rounds, double budgetMs,
                                 int minRounds = 15) {
  for (int i = 0; i < 3; ++i)
    for (const auto& call : calls) call();
  std::vector<std::vector<double>> times(calls.size());
  const double start = Now();
  for (int r = 0; r < rounds && (r < minRounds || Now() - start < budgetMs); ++r) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const double t0 = Now();
      calls[i]();
      times[i].push_back(Now() - t0);
    }
  }
  std::vector<Timing> result;
  for (const auto& t : times) result.push_back({Median(t), t.empty() ? 0 : *std::min_element(t.begin(), t.end())});
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
  std::vector<std::function<void()>> calls;
  for (const Text* path : {&deep, &wide})
    for (int index = 0; index < 8; ++index) calls.push_back([path, index] { (void)GetNameForm(*path, index); });
  std::fprintf(stderr, "name forms: timing\n");
  const std::vector<Timing> ms = TimeInRounds(calls, 300, 15000);
  for (int index = 0; index < 8; ++index) {
    const auto deepForm = GetNameForm(deep, index);
    const auto wideForm = GetNameForm(wide, index);
    const Timing& d = ms[static_cast<std::size_t>(index)];
    const Timing& w = ms[static_cast<std::size_t>(8 + index)];
    std::string note = Fmt("min %s / %s; result %zu / %s characters", Ms(d.min).c_str(), Ms(w.min).c_str(),
                           deepForm ? deepForm->size() : 0, Count(wideForm ? wideForm->size() : 0).c_str());
    if (!deepForm || deepForm->empty() || !wideForm || wideForm->empty()) note += "; an EMPTY result: figure not meaningful";
    Row(Fmt("name form %d (%s): %d-component path / %s-character path, median per call", index,
            kFormNames[index], Components(deep), Count(wide.size()).c_str()),
        Ms(d.median) + " / " + Ms(w.median), note);
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
std::vector<Text> MakeListPaths(const Text& base, int count) {
  std::vector<Text> paths;
  const Text root = base + u"\\list";
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

void BenchList(const Text& base) {
  const int kCheckpoints[] = {1000, 10000};
  const int total = kCheckpoints[1];
  std::fprintf(stderr, "list: creating %d files\n", total);
  const std::vector<Text> paths = MakeListPaths(base, total);
  if (paths.empty()) {
    Row("Proc_AddList", "could not create the test files", Fmt("error %lu", GetLastError()));
    return;
  }

  // The application as the program builds it, with its settings in the
  // temporary folder.
  DataFolder = base + u"\\data\\";
  MakeFolder(base + u"\\data");
  TApplication& app = Application();
  app.Initialize();
  MainForm = new TMainForm(&app);
  app.MainForm = MainForm;
  ListForm = new TListForm(&app);
  InitWow64();
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
    const std::vector<double> last(each.end() - 100, each.end());
    const double growthKb = (static_cast<double>(WorkingSet()) - static_cast<double>(ws0)) / 1024.0;
    std::fprintf(stderr, "\n");
    Row(Fmt("Proc_AddList: %s realistic paths into the list, total", Count(static_cast<std::size_t>(checkpoint)).c_str()),
        Ms(elapsed),
        Fmt("%s per addition at the end (median of the last 100); working set %+.0f KB",
            Ms(Median(last)).c_str(), growthKb));
  }
  const auto& items = ListForm->ListBox->Items();
  if (items.size() != paths.size() || items.front() != paths.back())
    std::fprintf(stderr, "list: unexpected content (%zu entries)\n", items.size());
}

}  // namespace

// functions.exe [names] [conversions] [list]: the parts named, or all.
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
  if (wanted(L"list")) BenchList(base);

  RemoveTree(base);
  return 0;
}
