#pragma once
// The six character-kind conversions of the conversion panel. Each returns a
// new text and leaves its argument alone. The case operations keep the length;
// the four locale mappings use the user's default locale and give the empty
// text when the platform refuses, for instance when the mapped text with its
// terminator needs more than kMappingCapacity code units.
#include "base/Text.h"

namespace tovanel {

inline constexpr int kMappingCapacity = 32737;

Text ToLowerCase(const Text& text);
Text ToUpperCase(const Text& text);
Text ToHalfWidth(const Text& text);
Text ToFullWidth(const Text& text);
Text ToKatakana(const Text& text);
Text ToHiragana(const Text& text);

}  // namespace tovanel
