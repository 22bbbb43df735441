// Owners: each handle is released exactly once, on every way it leaves an
// owner, and an owner's count of what it holds follows every move.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/Handles.h"

namespace tovanel {
namespace {

struct Counted {
  using Handle = int;
  static inline std::vector<int> closed;
  static inline int held = 0;
  static Handle None() { return 0; }
  static void Close(Handle h) { closed.push_back(h); }
  static void Took(Handle) { ++held; }
  static void Gave(Handle) { --held; }
};
using TOwner = TUnique<Counted>;

TEST(Handles, EachHandleIsReleasedOnceAndTheCountFollowsEveryMove) {
  Counted::closed.clear();
  Counted::held = 0;
  {
    TOwner a(1), none(0), empty;
    EXPECT_EQ(Counted::held, 1) << "none is nothing to hold";
    TOwner b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), 1);
    EXPECT_EQ(Counted::held, 1);
    TOwner c(2);
    c = std::move(b);  // 2 goes, 1 stays held
    EXPECT_EQ(Counted::closed, std::vector<int>{2});
    EXPECT_EQ(Counted::held, 1);
    c = std::move(c);
    EXPECT_EQ(c.Get(), 1);
    c.Reset(3);
    EXPECT_EQ(Counted::closed, (std::vector<int>{2, 1}));
    EXPECT_EQ(Counted::held, 1);
    EXPECT_EQ(c.Release(), 3);  // handed over: neither released nor held
    EXPECT_EQ(Counted::held, 0);
    TOwner d(4);
  }
  EXPECT_EQ(Counted::closed, (std::vector<int>{2, 1, 4}));
  EXPECT_EQ(Counted::held, 0);
}

TEST(Handles, AScopeExitRunsOnceUnlessDismissed) {
  int runs = 0;
  {
    TScopeExit a([&] { ++runs; });
    TScopeExit b(std::move(a));
  }
  EXPECT_EQ(runs, 1);
  {
    TScopeExit c([&] { ++runs; });
    c.Dismiss();
  }
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace tovanel
