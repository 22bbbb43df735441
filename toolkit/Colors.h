#pragma once
// The system colours the toolkit draws with, and which text colour belongs
// on which background. In high contrast Windows turns visual styles off and
// gives every surface its own text colour; text drawn in another surface's
// colour may vanish there.
#include <windows.h>

#include <functional>

namespace tovanel {

// The platform's colour call; tests stage a palette with it.
struct ColorPlatform {
  std::function<COLORREF(int index)> getSysColor;

  static ColorPlatform Real() { return {GetSysColor}; }
};

// The colour `index` of the palette in force. Brushes come from the system
// (GetSysColorBrush), whatever palette a test stages.
COLORREF SysColor(int index);

// The text colour index that belongs to a background colour index
// (COLOR_BTNTEXT for COLOR_BTNFACE, COLOR_MENUTEXT for COLOR_MENU, ...).
int TextColorFor(int background);

// The contrast ratio of two colours by their relative luminance: 1 for the
// same colour, 21 for black and white.
double ContrastRatio(COLORREF a, COLORREF b);

// A top-level window's colours or theme changed (WM_SYSCOLORCHANGE or
// WM_THEMECHANGED): the system tells only top-level windows of a colour
// change, so it goes on to every child (the common controls need it), and
// the whole window is drawn again.
void SpreadColorChange(HWND top, UINT message);

}  // namespace tovanel
