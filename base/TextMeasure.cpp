#include "base/TextMeasure.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace tovanel {

int TTextMeasure::LineHeight() const {
  TEXTMETRICW tm{};
  return dc_ && GetTextMetricsW(dc_.Get(), &tm) ? static_cast<int>(tm.tmHeight) : 0;
}

long TTextMeasure::Width(TextView text) const {
  SIZE size{0, 0};
  const int count = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  if (!dc_ || !GetTextExtentPoint32W(dc_.Get(), reinterpret_cast<const wchar_t*>(text.data()), count, &size)) return 0;
  return size.cx;
}

int CharacterHeight(HFONT font) {
  LOGFONTW lf{};
  if (!font || !GetObjectW(font, sizeof lf, &lf)) return 0;
  return std::abs(static_cast<int>(lf.lfHeight));
}

}  // namespace tovanel
