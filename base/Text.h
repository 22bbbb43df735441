#pragma once
// Text: a counted string of UTF-16 code units, possibly empty. Positions
// that the name rules speak of count from 1; index arithmetic here is 0-based.
#include <concepts>
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

// Names (settings keys, component names) compare with the ASCII letters
// folded and every other code unit as is.
constexpr char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }
constexpr bool SameName(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// An integer in decimal digits, "-" first when negative.
template <std::integral N>
Text DecimalText(N value) {
  const std::string digits = std::to_string(value);
  return Text(digits.begin(), digits.end());
}

// UTF-8 <-> UTF-16 for messages and test output; lone surrogates become U+FFFD.
std::string ToUtf8(TextView s);
Text FromUtf8(std::string_view s);

}  // namespace tovanel
