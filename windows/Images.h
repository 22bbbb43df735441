#pragma once
// The pictures on the windows' buttons, drawn at any size so that they stay
// sharp at every DPI, and with outlines that stand out on the button face of
// the colours in use.
#include <windows.h>

namespace tovanel {

void PaintBulletedList(HDC dc, int size);
void PaintOpenDoor(HDC dc, int size);
void PaintDownArrow(HDC dc, int size);
void PaintClipboardPage(HDC dc, int size);

}  // namespace tovanel
