// The clipboard transfer's attempts, pauses and payload against a staged
// clipboard that records every platform call.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Error.h"
#include "text/ClipboardRetry.h"

using namespace tovanel;

namespace {

// Records every call; the flags stage the platform's failures.
struct StagedClipboard {
  int busyOpens = 0;  // this many opens fail first, as while another program holds it
  bool refuseData = false, failAlloc = false, failLock = false;

  std::vector<std::string> calls;
  std::vector<unsigned char> block, handedOver;  // handedOver: the block's bytes when given to the clipboard
  int freed = 0;
  bool open = false;

  ClipboardPlatform Platform() {
    const auto log = [this](const char* call) { calls.push_back(call); };
    return {
        .open = [=, this] { return log("open"), busyOpens > 0 ? (--busyOpens, false) : (open = true); },
        .empty = [=] { log("empty"); },
        .alloc = [=, this](std::size_t bytes) -> void* {
          return log("alloc"), failAlloc ? nullptr : (block.assign(bytes, 0xCD), &block);
        },
        .lock = [=, this](void*) -> void* { return log("lock"), failLock ? nullptr : block.data(); },
        .unlock = [=](void*) { log("unlock"); },
        .setUnicodeText = [=, this](void*) { return log("set"), !refuseData && (handedOver = block, true); },
        .free = [=, this](void*) { log("free"), ++freed; },
        .close = [=, this] {
          log("close");
          EXPECT_TRUE(open) << "closed without a successful open";
          open = false;
        },
        .pause = [this](unsigned ms) { calls.push_back("pause " + std::to_string(ms)); },
    };
  }
};

using Calls = std::vector<std::string>;
const Calls kPlaced = {"open", "empty", "alloc", "lock", "unlock", "set", "close"};

}  // namespace

struct BusyCase {
  int busyOpens;
  bool placed;
  int attempts;
};

class BusyClipboard : public testing::TestWithParam<BusyCase> {};

TEST_P(BusyClipboard, RetriesOnlyWhileTheOpenFailsAndPausesAfterEachFailure) {
  const BusyCase c = GetParam();
  StagedClipboard clip;
  clip.busyOpens = c.busyOpens;

  EXPECT_EQ(SendTextWithRetries(clip.Platform(), u"abc"), c.placed);

  const int failures = c.placed ? c.attempts - 1 : c.attempts;
  Calls expected;
  for (int i = 0; i < failures; ++i) expected.insert(expected.end(), {"open", "pause 100"});
  if (c.placed) expected.insert(expected.end(), kPlaced.begin(), kPlaced.end());
  EXPECT_EQ(clip.calls, expected);
  EXPECT_FALSE(clip.open);
}

INSTANTIATE_TEST_SUITE_P(Attempts, BusyClipboard,
                         testing::Values(BusyCase{0, true, 1},     // free: no pause
                                         BusyCase{2, true, 3},     // held for two attempts: 200 ms
                                         BusyCase{4, true, 5},     // the last attempt still counts
                                         BusyCase{5, false, 5},    // held throughout: 500 ms, nothing emptied
                                         BusyCase{100, false, 5}));

struct PlatformFailure {
  const char* name;
  void (*stage)(StagedClipboard&);
  Calls expected;
};

class FailingPlatform : public testing::TestWithParam<PlatformFailure> {};

// The clipboard is already emptied, so the user is told; the block is freed
// unless the clipboard took it, and the clipboard is closed before the error
// leaves. Not retried: the clipboard was not busy.
TEST_P(FailingPlatform, RaisesTheResourceErrorWithTheClipboardClosed) {
  StagedClipboard clip;
  GetParam().stage(clip);

  try {
    SendTextWithRetries(clip.Platform(), u"abc");
    FAIL() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), u"システム リソース不足です");
  }
  EXPECT_EQ(clip.calls, GetParam().expected);
  EXPECT_FALSE(clip.open);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingPlatform,
    testing::Values(
        PlatformFailure{"DataRefused", [](StagedClipboard& c) { c.refuseData = true; },
                        {"open", "empty", "alloc", "lock", "unlock", "set", "free", "close"}},
        PlatformFailure{"AllocFails", [](StagedClipboard& c) { c.failAlloc = true; }, {"open", "empty", "alloc", "close"}},
        PlatformFailure{"LockFails", [](StagedClipboard& c) { c.failLock = true; },
                        {"open", "empty", "alloc", "lock", "free", "close"}}),
    [](const testing::TestParamInfo<PlatformFailure>& info) { return std::string(info.param.name); });

TEST(ClipboardPayload, IsTheTextsUnitsAndOneNul) {
  for (const Text& text : {Text(), Text(u"abc"), Text(u"ファイル名　ガ"), Text(u"a\0b", 3)}) {
    StagedClipboard clip;
    ASSERT_TRUE(SendTextWithRetries(clip.Platform(), text));
    std::vector<unsigned char> expected(2 * text.size() + 2, 0);
    std::memcpy(expected.data(), text.data(), 2 * text.size());
    EXPECT_EQ(clip.handedOver, expected) << ToUtf8(text);
    EXPECT_EQ(clip.freed, 0) << "a block the clipboard accepted is its own";
  }
}
