#pragma once
// The test kit's seams: whatever a test replaces (a function that reaches the
// platform, a global) it replaces for one scope, and the old value is put
// back however the test ends.
#include <utility>

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

}  // namespace tovanel::test
