#include "text/Convert.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace tovanel {

namespace {

// CharLowerBuffW/CharUpperBuffW take a DWORD count; a longer text goes in
// pieces, never cutting a surrogate pair in two.
template <class CaseMap>
Text MapCase(const Text& text, CaseMap map) {
  Text copy = text;
  std::size_t done = 0;
  while (done < copy.size()) {
    std::size_t piece = std::min<std::size_t>(copy.size() - done, MAXDWORD);
    if (done + piece < copy.size() && copy[done + piece - 1] >= 0xD800 && copy[done + piece - 1] <= 0xDBFF) --piece;
    map(W(copy) + done, static_cast<DWORD>(piece));
    done += piece;
  }
  return copy;
}

Text MapWithLocale(const Text& text, DWORD flag) {
  // The source length, terminator included, is an int.
  if (text.size() > static_cast<std::size_t>(INT_MAX) - 1) return Text();
  // On the heap: 64 KB is a lot for the GUI thread's stack.
  std::vector<wchar_t> buffer(kMappingCapacity, L'\0');
  // Mapping the terminator too makes the result arrive terminated.
  const int written = LCMapStringW(GetUserDefaultLCID(), flag, W(text), static_cast<int>(text.size() + 1),
                                   buffer.data(), kMappingCapacity);
  if (written == 0) return Text();
  // A NUL inside the text ends the result there.
  return FromW(buffer.data(), std::find(buffer.begin(), buffer.end(), L'\0') - buffer.begin());
}

}  // namespace

Text ToLowerCase(const Text& text) { return MapCase(text, CharLowerBuffW); }
Text ToUpperCase(const Text& text) { return MapCase(text, CharUpperBuffW); }
Text ToHalfWidth(const Text& text) { return MapWithLocale(text, LCMAP_HALFWIDTH); }
Text ToFullWidth(const Text& text) { return MapWithLocale(text, LCMAP_FULLWIDTH); }
Text ToKatakana(const Text& text) { return MapWithLocale(text, LCMAP_KATAKANA); }
Text ToHiragana(const Text& text) { return MapWithLocale(text, LCMAP_HIRAGANA); }

}  // namespace tovanel
