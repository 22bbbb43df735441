#pragma once
// Names that assistive technology announces for controls that show no
// caption of their own (an edit box, a list), handed to the platform's
// accessibility through its dynamic annotation when a screen reader first
// asks for a control's accessible object: before one asks, nothing of it
// runs or is even loaded.
#include <windows.h>

#include <functional>

#include "base/Text.h"

namespace tovanel {

// The annotation service's two calls as the toolkit makes them; tests stage them.
struct AccessiblePlatform {
  // Gives the window's client object this name; true when the platform took it.
  std::function<bool(HWND, const Text&)> setHwndPropStr;
  // Takes a name given with setHwndPropStr back, when the window goes.
  std::function<void(HWND)> clearHwndProps;

  static AccessiblePlatform Real();
};

}  // namespace tovanel
