#pragma once
// Measuring text the way a window draws it.
#include <windows.h>

#include "base/Handles.h"
#include "base/Text.h"

namespace tovanel {

// A window's drawing surface with a font selected, for as many measures as
// needed. With no font it measures with the surface's own default font.
class TTextMeasure {
 public:
  TTextMeasure(HWND window, HFONT font) : dc_(window), font_(dc_.Get(), font) {}

  // The height of a line (the font's cell height); 0 when it cannot be read.
  int LineHeight() const;
  // The width of text, in pixels; 0 when it cannot be measured. A text
  // longer than an int can count is measured as far as it can.
  long Width(TextView text) const;

 private:
  TWindowDC dc_;
  TSelection font_;
};

// The character height a font was made with, in pixels (the size of its
// LOGFONT height); 0 for no font.
int CharacterHeight(HFONT font);

}  // namespace tovanel
