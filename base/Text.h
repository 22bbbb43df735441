#pragma once
// Text: a counted string of UTF-16 code units, possibly empty. Positions
// that the name rules speak of count from 1; index arithmetic here is 0-based.
#include <string>
#include <string_view>

namespace tovanel {

using Text = std::u16string;
using TextView = std::u16string_view;

#ifdef _WIN32
// wchar_t is a UTF-16 code unit on Windows, so these are views, not copies.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* W(const Text& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline wchar_t* W(Text& s) { return reinterpret_cast<wchar_t*>(s.data()); }
inline Text FromW(const wchar_t* s) { return s ? Text(reinterpret_cast<const char16_t*>(s)) : Text(); }
inline Text FromW(const wchar_t* s, std::size_t n) { return Text(reinterpret_cast<const char16_t*>(s), n); }
#endif

// UTF-8 <-> UTF-16 for messages and test output; lone surrogates become U+FFFD.
std::string ToUtf8(TextView s);
Text FromUtf8(std::string_view s);

}  // namespace tovanel
