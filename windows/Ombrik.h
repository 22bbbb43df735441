#pragma once
// Keeping a window on a monitor and bringing it to the foreground, over the
// platform's calls in force (Calls<PlacementPlatform>, Calls<ForegroundPlatform>);
// the arithmetic and the procedures live in Placement.h.
#include <windows.h>

#include "windows/Placement.h"

namespace tovanel {

// True when hwnd is the foreground window at the end. Briefly joins the
// foreground thread's input and may zero the system's foreground lock timeout
// (always putting the old value back).
bool ForceForegroundWindow(HWND hwnd);

// Places hwnd by mode in the primary monitor's area; a minimised window or
// one whose rectangle cannot be read stays where it is.
void MoveWindowTo(HWND hwnd, unsigned mode);

// Centres hwnd, keeping its size, when none of its corners nor its centre
// lies on a monitor. Leaves maximised and minimised windows alone.
void KeepWindowOnScreen(HWND hwnd);

bool IsOffScreen(int X, int Y, int W, int H);

}  // namespace tovanel
