#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "windows/Placement.h"

namespace tovanel {
void PrintTo(const Bounds& b, std::ostream* os) { *os << "{" << b.X << ", " << b.Y << ", " << b.W << ", " << b.H << "}"; }
void PrintTo(const Rect& r, std::ostream* os) { PrintTo(Bounds{r.Left, r.Top, r.Right, r.Bottom}, os); }
}  // namespace tovanel

using namespace tovanel;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(PlaceBounds, EveryModeTruncatingAndWrapping) {
  // L and T away from 0 so that the modes taking R and B alone stand apart.
  const Rect a{10, 20, 810, 620};
  const Bounds w{100, 200, 300, 150};
  const struct { Rect area; Bounds win; unsigned mode; Bounds want; } cases[] = {
      {a, w, 0, {100, 20, 300, 600}},  {a, w, 1, {10, 200, 800, 150}},   {a, w, 2, {100, 20, 300, 150}},
      {a, w, 3, {100, 470, 300, 150}}, {a, w, 4, {10, 200, 300, 150}},   {a, w, 5, {510, 200, 300, 150}},
      {a, w, 6, {10, 20, 300, 150}},   {a, w, 7, {510, 20, 300, 150}},   {a, w, 8, {10, 470, 300, 150}},
      {a, w, 9, {510, 470, 300, 150}}, {a, w, 10, {255, 235, 300, 150}}, {a, w, 11, {10, 20, 810, 310}},
      {a, w, 12, {10, 310, 810, 310}}, {a, w, 13, {10, 20, 405, 600}},   {a, w, 14, {405, 20, 405, 600}},
      {a, w, 15, w},                   {a, w, 0xFFFFFFFFu, w},
      {{0, 0, 99, 0}, {5, 5, 300, 1}, 10, {-100, 0, 300, 1}},  // -201 div 2, -1 div 2
      {{0, 0, kMax, kMin}, {0, 0, -1, 1}, 10, {kMin / 2, kMax / 2, -1, 1}},
      {{0, 0, kMax, kMin}, {0, 0, -1, 1}, 9, {kMin, kMax, -1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(PlaceBounds(c.win, c.area, c.mode), c.want) << "mode " << c.mode;
}

TEST(ReferenceArea, GrowsOverTheTaskbarOnItsEdge) {
  const Rect screen{0, 0, 800, 600};
  const struct { const char* name; Rect work; int edge; Rect taskbar; Rect want; } cases[] = {
      {"bottom", {0, 0, 800, 560}, kEdgeBottom, {0, 560, 800, 600}, screen},
      {"left", {60, 0, 800, 600}, kEdgeLeft, {0, 0, 60, 600}, screen},
      {"top", {0, 40, 800, 600}, kEdgeTop, {0, 0, 800, 40}, screen},
      {"right", {0, 0, 740, 600}, kEdgeRight, {740, 0, 800, 600}, screen},
      {"none", {0, 0, 800, 560}, kEdgeNone, {0, 560, 800, 600}, {0, 0, 800, 560}},
      // Top and left take the far edge, not the bar's height or width.
      {"top, reaching above", {0, 30, 800, 600}, kEdgeTop, {0, -10, 800, 30}, screen},
      {"left, reaching beyond", {50, 0, 800, 600}, kEdgeLeft, {-10, 0, 50, 600}, screen},
  };
  for (const auto& c : cases) EXPECT_EQ(ReferenceArea(c.work, c.edge, c.taskbar), c.want) << c.name;

  const std::pair<std::uint32_t, int> edges[] = {{0, kEdgeLeft},   {1, kEdgeTop},  {2, kEdgeRight},
                                                 {3, kEdgeBottom}, {4, kEdgeNone}, {0xFFFFFFFFu, kEdgeNone}};
  for (const auto& [abe, want] : edges) EXPECT_EQ(EdgeFromAppBar(abe), want) << "ABE " << abe;
}

using Point = std::pair<std::int32_t, std::int32_t>;

bool Contains(const Rect& r, std::int32_t x, std::int32_t y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

TEST(IsOffScreen, TriesTheFivePointsInOrderAndStopsAtTheFirstHit) {
  const Rect monitor{0, 0, 800, 600};
  const struct { const char* name; Bounds win; bool want; std::vector<Point> asked; } cases[] = {
      {"exactly covering", {0, 0, 800, 600}, false, {{0, 0}}},
      {"bottom right on", {-200, -200, 201, 201}, false, {{-200, -200}, {1, 1}}},
      {"centre on", {-100, -100, 1000, 800}, false, {{-100, -100}, {900, 700}, {900, -100}, {-100, 700}, {400, 300}}},
      {"all off", {900, 700, 300, 200}, true, {{900, 700}, {1200, 900}, {1200, 700}, {900, 900}, {1050, 800}}},
  };
  for (const auto& c : cases) {
    std::vector<Point> asked;
    EXPECT_EQ(IsOffScreen(c.win, [&](std::int32_t x, std::int32_t y) {
                asked.emplace_back(x, y);
                return Contains(monitor, x, y);
              }),
              c.want)
        << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
  }
}

// One 800 by 600 monitor with the taskbar along the bottom, and one window.
struct FakeDesktop {
  bool workOk = true, primaryOk = true, rectOk = true, maximised = false;
  Rect work{0, 0, 800, 560}, primary{0, 0, 800, 600}, taskbar{0, 560, 800, 600}, window{900, 700, 1200, 900};
  int edge = kEdgeBottom;
  std::vector<Bounds> moves;

  PlacementPlatform Platform() {
    return {
        .workArea = [this](Rect& a) { return workOk && (a = work, true); },
        .primaryMonitor = [this](Rect& a) { return primaryOk && (a = primary, true); },
        .taskbar = [this](Rect& tb) { return tb = taskbar, edge; },
        .windowRect = [this](WindowHandle, Rect& r) { return rectOk && (r = window, true); },
        .isMaximised = [this](WindowHandle) { return maximised; },
        .onMonitor = [this](std::int32_t x, std::int32_t y) { return Contains(primary, x, y); },
        .move = [this](WindowHandle, const Bounds& b) { moves.push_back(b); },
    };
  }
};

TEST(KeepWindowOnScreen, CentresOnlyAWindowThatIsOffScreenAndMovable) {
  using Stage = void (*)(FakeDesktop&);
  const std::vector<Bounds> centred{{250, 200, 300, 200}}, none;
  const struct { const char* name; Stage stage; std::vector<Bounds> want; } cases[] = {
      {"taskbar bottom", [](FakeDesktop&) {}, centred},
      {"taskbar left", [](FakeDesktop& d) { d.work = {60, 0, 800, 600}, d.edge = kEdgeLeft, d.taskbar = {0, 0, 60, 600}; },
       centred},
      {"taskbar top", [](FakeDesktop& d) { d.work = {0, 40, 800, 600}, d.edge = kEdgeTop, d.taskbar = {0, 0, 800, 40}; },
       centred},
      {"left at -32000 only", [](FakeDesktop& d) { d.window = {-32000, 100, -31700, 300}; }, centred},
      {"top at -32000 only", [](FakeDesktop& d) { d.window = {100, -32000, 400, -31800}; }, centred},
      {"no work area: primary monitor, not grown",
       [](FakeDesktop& d) { d.workOk = false, d.primary = {0, 0, 600, 500}, d.window = {700, 0, 1000, 200}; },
       std::vector<Bounds>{{150, 150, 300, 200}}},
      {"on screen", [](FakeDesktop& d) { d.window = {100, 100, 400, 300}; }, none},
      {"maximised", [](FakeDesktop& d) { d.maximised = true; }, none},
      {"minimised", [](FakeDesktop& d) { d.window = {-32000, -32000, -31840, -31972}; }, none},
      {"rectangle unreadable", [](FakeDesktop& d) { d.rectOk = false; }, none},
      {"no work area, no monitor", [](FakeDesktop& d) { d.workOk = d.primaryOk = false; }, none},
  };
  for (const auto& c : cases) {
    FakeDesktop d;
    c.stage(d);
    KeepWindowOnScreen(d.Platform(), 0x10);
    EXPECT_EQ(d.moves, c.want) << c.name;
  }
}

}  // namespace
