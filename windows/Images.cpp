#include "windows/Images.h"

#include <array>
#include <cstddef>

#include "base/Handles.h"
#include "toolkit/Colors.h"

namespace tovanel {

namespace {

// Coordinates are given on a 32-unit grid and scaled to the image size.
struct Grid {
  int size;
  int operator()(int v) const { return MulDiv(v, size, 32); }
};

// A colour for a part that stands on the button face: its own where it
// stands out there (the contrast asked of graphics, 3 to 1), otherwise the
// face's text colour, so that the picture keeps its shape on any face (a
// high-contrast black or white one).
COLORREF OnFace(COLORREF own) {
  return ContrastRatio(own, SysColor(COLOR_BTNFACE)) >= 3 ? own : SysColor(COLOR_BTNTEXT);
}

// The pen and the brush that shapes are drawn with, selected into dc.
class TShapeTools {
 public:
  TShapeTools(HDC dc, COLORREF fill, int width, COLORREF line)
      : brush_(CreateSolidBrush(fill)),
        pen_(CreatePen(PS_SOLID, width, line)),
        brushSelected_(dc, brush_.Get()),
        penSelected_(dc, pen_.Get()) {}

 private:
  TBrush brush_;
  TPen pen_;
  TSelection brushSelected_, penSelected_;
};

void Box(HDC dc, const Grid& g, int l, int t, int r, int b, COLORREF fill, COLORREF line) {
  const TShapeTools tools(dc, fill, g.size >= 24 ? 2 : 1, line);
  Rectangle(dc, g(l), g(t), g(r), g(b));
}

void Fill(HDC dc, const Grid& g, int l, int t, int r, int b, COLORREF fill) {
  RECT rc{g(l), g(t), g(r), g(b)};
  if (rc.right <= rc.left) rc.right = rc.left + 1;
  if (rc.bottom <= rc.top) rc.bottom = rc.top + 1;
  const TBrush brush(CreateSolidBrush(fill));
  FillRect(dc, &rc, brush.Get());
}

// Takes the corners as an array, so that the count is always the array's.
template <std::size_t N>
void Poly(HDC dc, const Grid& g, const POINT (&corners)[N], COLORREF fill, COLORREF line) {
  std::array<POINT, N> scaled;
  for (std::size_t i = 0; i < N; ++i) scaled[i] = {g(corners[i].x), g(corners[i].y)};
  const TShapeTools tools(dc, fill, 1, line);
  Polygon(dc, scaled.data(), static_cast<int>(N));
}

}  // namespace

void PaintBulletedList(HDC dc, int size) {
  Grid g{size};
  const COLORREF bullet = OnFace(RGB(0, 90, 200)), bar = OnFace(RGB(64, 64, 64));
  for (int row = 0; row < 3; ++row) {
    int y = 5 + row * 9;
    Fill(dc, g, 3, y, 9, y + 6, bullet);
    Fill(dc, g, 12, y + 2, 29, y + 4, bar);
  }
}

void PaintOpenDoor(HDC dc, int size) {
  Grid g{size};
  const COLORREF wood = OnFace(RGB(90, 60, 30));
  // Frame and the dark doorway.
  Box(dc, g, 8, 3, 26, 30, RGB(40, 40, 40), wood);
  // The door swung open towards the viewer.
  const POINT door[] = {{8, 3}, {17, 7}, {17, 31}, {8, 30}};
  Poly(dc, g, door, RGB(190, 120, 60), wood);
  Fill(dc, g, 14, 17, 16, 20, RGB(250, 220, 80));
  // Floor line.
  Fill(dc, g, 2, 30, 30, 31, wood);
}

void PaintDownArrow(HDC dc, int size) {
  Grid g{size};
  const POINT arrow[] = {{11, 3}, {21, 3}, {21, 15}, {28, 15}, {16, 29}, {4, 15}, {11, 15}};
  Poly(dc, g, arrow, RGB(30, 150, 60), OnFace(RGB(10, 90, 30)));
}

void PaintClipboardPage(HDC dc, int size) {
  Grid g{size};
  Box(dc, g, 4, 5, 26, 31, RGB(180, 120, 60), OnFace(RGB(110, 70, 30)));    // board
  // A grey that stands out on light and dark faces alike.
  Fill(dc, g, 10, 2, 20, 8, OnFace(RGB(120, 120, 120)));                    // clip
  Box(dc, g, 12, 11, 30, 31, RGB(255, 255, 255), OnFace(RGB(80, 80, 80)));  // page
  for (int y = 16; y <= 26; y += 5) Fill(dc, g, 15, y, 27, y + 2, RGB(0, 90, 200));
}

}  // namespace tovanel
