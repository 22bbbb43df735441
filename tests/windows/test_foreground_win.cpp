#include <gtest/gtest.h>

#include "windows/Ombrik.h"

using namespace tovanel;

namespace {

HWND MakeShown(int show) {
  HWND w = CreateWindowExW(0, L"STATIC", L"foreground", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  ShowWindow(w, show);
  return w;
}

// Both windows share this thread, so the attach cannot work and the lock
// timeout is zeroed and put back for real. The windows are left to the
// process's end: under Wine hiding a shown window waits for the X server.
TEST(ForegroundWin, TakesTheForegroundAndPutsTheLockTimeoutBack) {
  HWND ours = MakeShown(SW_SHOWNOACTIVATE);
  HWND other = MakeShown(SW_SHOW);
  SetForegroundWindow(other);
  ASSERT_EQ(GetForegroundWindow(), other);
  // Wine keeps the timeout at 0, where a timeout never put back would go
  // unseen; Windows' default is 200000 ms, which the test sets and restores.
  DWORD original = 0, after = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &original, 0));
  const auto setTimeout = [](DWORD ms) {
    return SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(UINT_PTR(ms)), 0);
  };
  ASSERT_TRUE(setTimeout(200000));

  EXPECT_TRUE(ForceForegroundWindow(ours));
  EXPECT_EQ(GetForegroundWindow(), ours);
  EXPECT_TRUE(ForceForegroundWindow(ours));
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &after, 0));
  setTimeout(original);
  EXPECT_EQ(after, 200000u);
}

}  // namespace
