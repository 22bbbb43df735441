// Placement arithmetic on arbitrary rectangles and modes: no undefined
// behaviour (the sanitizers watch), and the rules that hold for every input.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "windows/Placement.h"

using namespace tovanel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::int32_t v[13] = {};
  std::memcpy(v, data, size < sizeof v ? size : sizeof v);
  Rect work{v[0], v[1], v[2], v[3]};
  Rect bar{v[4], v[5], v[6], v[7]};
  Bounds b{v[8], v[9], v[10], v[11]};
  auto mode = static_cast<unsigned>(v[12]);
  int edge = EdgeFromAppBar(static_cast<std::uint32_t>(v[4]));
  Rect area = ReferenceArea(work, edge, bar);
  Bounds placed = PlaceBounds(b, area, mode);
  // Only modes 0, 1, 11 to 14 change the size; any mode above 14 nothing.
  if (mode > 14 && (placed.X != b.X || placed.Y != b.Y || placed.W != b.W || placed.H != b.H)) std::abort();
  if (mode >= 2 && mode <= 10 && (placed.W != b.W || placed.H != b.H)) std::abort();
  int queries = 0;
  bool off = IsOffScreen(b, [&](std::int32_t x, std::int32_t) {
    ++queries;
    return x == v[0];
  });
  if (queries < 1 || queries > 5 || (off && queries != 5)) std::abort();
  return 0;
}
