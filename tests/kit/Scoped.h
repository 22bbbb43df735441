#pragma once
// The test kit's seams: whatever a test replaces (a group of platform calls,
// a global) it replaces for one scope, and the old value is put back however
// the test ends.
#include <utility>

#include "base/Platform.h"

namespace tovanel::test {

template <class T>
class TScoped {
 public:
  TScoped(T& seam, T value) : seam_(seam), saved_(std::exchange(seam, std::move(value))) {}
  // Keeps what the seam holds now, for code under test that changes it.
  explicit TScoped(T& seam) : seam_(seam), saved_(seam) {}
  ~TScoped() { seam_ = std::move(saved_); }
  TScoped(const TScoped&) = delete;
  TScoped& operator=(const TScoped&) = delete;

 private:
  T& seam_;
  T saved_;
};

// A group of platform calls staged for one scope: it starts as the calls
// installed now, the test replaces the members it stages,
//   TStaged<PlacementPlatform> platform;
//   platform->workArea = [](Rect& r) { r = {0, 0, 800, 600}; return true; };
// and the group as it was comes back when the scope ends.
template <class Group>
class TStaged {
 public:
  TStaged() : scoped_(Calls<Group>()) {}
  Group* operator->() { return &Calls<Group>(); }
  Group& operator*() { return Calls<Group>(); }

 private:
  TScoped<Group> scoped_;
};

}  // namespace tovanel::test
