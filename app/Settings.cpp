#include "app/Settings.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "app/DataFolder.h"
#include "base/Error.h"
#include "base/Handles.h"

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

std::string ReadWholeFile(const Text& path) {
  const TFileHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME) return {};
    // A folder where the file should be is no settings file; writing will say so.
    DWORD attributes = GetFileAttributesW(W(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    ThrowOpenError(path, code);
  }
  std::string data;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30))
    data.reserve(static_cast<std::size_t>(size.QuadPart));
  constexpr DWORD kChunk = 1 << 20;
  for (;;) {
    std::size_t old = data.size();
    data.resize(old + kChunk);
    DWORD got = 0;
    if (!ReadFile(file.Get(), &data[old], kChunk, &got, nullptr)) ThrowOpenError(path, GetLastError());
    data.resize(old + got);
    if (got == 0) break;
  }
  return data;
}

}  // namespace

Text SettingsFilePath() { return DataFolder + u"Tovanel.ini"; }

TAnsiCodec SystemAnsiCodec() { return {AnsiDecode, AnsiEncode}; }

TSettingsFile::TSettingsFile() : TSettingsFile(SettingsFilePath()) {}

TSettingsFile::TSettingsFile(Text path) : path_(std::move(path)), ini_(ReadWholeFile(path_), SystemAnsiCodec()) {}

void TSettingsFile::UpdateFile() {
  const std::string bytes = ini_.Serialize();
  // The file that is there must be one that could be written in place: a
  // read-only file or a folder is reported, not silently replaced.
  {
    const TFileHandle existing(CreateFileW(W(path_), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!existing) {
      DWORD code = GetLastError();
      if (code != ERROR_FILE_NOT_FOUND) ThrowCreateError(path_, code);
    } else if (DWORD attributes = GetFileAttributesW(W(path_));
               attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      // An administrator may open it anyway; the attribute still says no.
      ThrowCreateError(path_, ERROR_ACCESS_DENIED);
    }
  }
  // One temporary name per process, so that two running copies never write
  // into the same temporary file.
  std::string pid = std::to_string(GetCurrentProcessId());
  const Text temp = path_ + u"." + Text(pid.begin(), pid.end()) + u".tmp";

  TFileHandle file(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowCreateError(path_, GetLastError());
  auto fail = [&](DWORD code) {
    file.Reset();
    DeleteFileW(W(temp));
    ThrowCreateError(path_, code);
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
    DWORD wrote = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, want, &wrote, nullptr)) fail(GetLastError());
    if (wrote == 0) fail(ERROR_WRITE_FAULT);
    done += wrote;
  }
  // On disk before it takes the old file's place, so a crash cannot leave an
  // empty settings file behind.
  if (!FlushFileBuffers(file.Get())) fail(GetLastError());
  file.Reset();
  if (!MoveFileExW(W(temp), W(path_), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD code = GetLastError();
    DeleteFileW(W(temp));
    ThrowCreateError(path_, code);
  }
}

}  // namespace tovanel
