#include "toolkit/Colors.h"

#include <algorithm>
#include <cmath>

#include "base/Platform.h"

namespace tovanel {

COLORREF SysColor(int index) { return Calls<ColorPlatform>().getSysColor(index); }

int TextColorFor(int background) {
  switch (background) {
    case COLOR_BTNFACE:
      return COLOR_BTNTEXT;
    case COLOR_MENU:
      return COLOR_MENUTEXT;
    case COLOR_INFOBK:
      return COLOR_INFOTEXT;
    case COLOR_HIGHLIGHT:
      return COLOR_HIGHLIGHTTEXT;
    default:
      return COLOR_WINDOWTEXT;
  }
}

namespace {

double Luminance(COLORREF c) {
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
}

BOOL CALLBACK SendToChild(HWND child, LPARAM message) {
  SendMessageW(child, static_cast<UINT>(message), 0, 0);
  return TRUE;
}

}  // namespace

double ContrastRatio(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void SpreadColorChange(HWND top, UINT message) {
  // A theme change reaches every window from the system itself.
  if (message == WM_SYSCOLORCHANGE) EnumChildWindows(top, SendToChild, static_cast<LPARAM>(message));
  RedrawWindow(top, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace tovanel
