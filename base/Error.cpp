#include "base/Error.h"

#include <windows.h>

#include <string>

namespace tovanel {

Text SystemErrorText(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  Text text = (n && buffer) ? FromW(buffer, n) : Text();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  if (text.empty()) text = u"エラー " + DecimalText(code);
  return text;
}

void ThrowLastError(Text message) {
  // Read first: building the exception may itself make platform calls.
  const DWORD code = GetLastError();
  throw Error(std::move(message), code);
}

}  // namespace tovanel
