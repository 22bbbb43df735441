// Paths far past 260 units through the command line, a drop on the list,
// every name form, the clipboard and the list's file button: on Wine as it
// is, and on a staged platform that refuses them, as Windows does where the
// long-path policy is off, unless they come in the extended-length form.
#include "kit/Windows.h"
#include "names/NameForms.h"
#include "names/Wow64.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

int refused = 0;
bool Refuses(LPCWSTR p) {
  if (wcslen(p) < MAX_PATH || wcsncmp(p, L"\\\\?\\", 4) == 0) return false;
  ++refused;
  SetLastError(ERROR_FILENAME_EXCED_RANGE);
  return true;
}

// A replacement of an imported call, and of a seam's.
template <auto& real, typename R, typename... A>
R WINAPI Refusing(LPCWSTR p, A... a) {
  if constexpr (std::is_same_v<R, HANDLE>) return Refuses(p) ? INVALID_HANDLE_VALUE : real(p, a...);
  else return Refuses(p) ? 0 : real(p, a...);
}
template <typename R, typename... A>
std::function<R(LPCWSTR, A...)> Refusing(std::function<R(LPCWSTR, A...)> real, R failure) {
  return [=](LPCWSTR p, A... a) { return Refuses(p) ? failure : real(p, a...); };
}
DWORD(WINAPI* fullPath)(LPCWSTR, DWORD, LPWSTR, LPWSTR*);
DWORD(WINAPI* shortPath)(LPCWSTR, LPWSTR, DWORD);
HANDLE(WINAPI* findEx)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD);

template <typename F>
F Replace(const char* name, F f) {
  return reinterpret_cast<F>(ReplaceImport("kernel32.dll", name, reinterpret_cast<void*>(f)));
}

// The name forms' calls by the import table, the existence tests' by their seam.
class TPathLimit {
 public:
  TPathLimit() {
    fullPath = Replace("GetFullPathNameW", &Refusing<fullPath, DWORD, DWORD, LPWSTR, LPWSTR*>);
    shortPath = Replace("GetShortPathNameW", &Refusing<shortPath, DWORD, LPWSTR, DWORD>);
    findEx = Replace("FindFirstFileExW",
                     &Refusing<findEx, HANDLE, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD>);
    Wow64Platform p = Wow64Platform::Real();
    p.getFileAttributes = Refusing(p.getFileAttributes, INVALID_FILE_ATTRIBUTES);
    p.createFile = Refusing(p.createFile, INVALID_HANDLE_VALUE);
    p.findFirstFile = Refusing(p.findFirstFile, INVALID_HANDLE_VALUE);
    UseWow64Platform(p);
  }
  ~TPathLimit() {
    Replace("GetFullPathNameW", fullPath), Replace("GetShortPathNameW", shortPath), Replace("FindFirstFileExW", findEx);
    UseWow64Platform(Wow64Platform::Real());
  }
};

// A file of `units` units below root, in folders of at most 200 made in the
// extended-length form. Wine takes them up to about 4,050 units, where its
// Unix side reaches PATH_MAX.
Text MakeDeepFile(Text path, std::size_t units) {
  const Text name = u"\\Deep File.txt";
  while (path.size() + name.size() + 1 < units) {
    Text folder(std::min<std::size_t>(200, units - path.size() - name.size() - 1), u'd');
    folder[0] = u'D';
    path += u"\\" + folder;
    CreateDirectoryW(W(u"\\\\?\\" + path), nullptr);
  }
  path += name;
  CloseHandle(CreateFileW(W(u"\\\\?\\" + path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  return path;
}

Text Lower(Text t) {
  for (std::size_t i = 2; i < t.size(); ++i) t[i] = (t[i] >= u'A' && t[i] <= u'Z') ? t[i] + 32 : t[i];
  return t;
}

using LongPaths = WindowTest;

TEST_F(LongPaths, TravelWholeAndWithoutPrefix) {
  const Text root = GetLongName(data_.Path());
  for (std::size_t units : {300, 1000, 3900}) {
    const Text file = MakeDeepFile(root, units), typed = Lower(file);
    wchar_t s[32768];
    const Text shortForm = WithoutExtendedPrefix(FromW(s, GetShortPathNameW(W(u"\\\\?\\" + file), s, 32768)));
    ASSERT_FALSE(shortForm.empty());
    for (bool staged : {false, true}) {
      SCOPED_TRACE(std::to_string(units) + (staged ? " units, refused" : " units"));
      ASSERT_EQ(file.size(), units);
      std::optional<TPathLimit> limit;
      if (staged) limit.emplace();
      refused = 0;
      const TScoped<std::function<Text()>> commandLine(TMainForm::CommandLine, [&] { return u"p \"" + typed + u"\""; });
      TMainForm* f = NewMainForm();
      NewListForm();
      f->Show();
      EXPECT_EQ(f->MNowFile, file);
      for (int i : {0, 2, 3, 4, 5, 6, 7, 1}) {
        f->RadioGroup->SetItemIndex(i);
        const auto form = SelectNameForm(file, i, [&](auto&) { return file; }, [&](auto&) { return shortForm; });
        EXPECT_EQ(f->EditFile->GetText(), *form) << i;
      }
      Press(f->BtnClipFile);
      EXPECT_EQ(ClipboardText(), shortForm);
      DropFiles(ListForm->Handle(), {typed});
      EXPECT_EQ(ListForm->ListBox->Items().front(), file);
      f->Proc_NewFile(u"C:\\");
      PressTool(ListForm->TBFile);
      EXPECT_EQ(f->MNowFile, file);
      EXPECT_EQ(refused > 0, staged);
    }
  }
}

}  // namespace
