#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows/Placement.h"

using namespace tovanel;

namespace {

constexpr WindowHandle kOwn = 0x10, kOther = 0x20;  // threads 7 and 9
constexpr std::uint32_t kSaved = 200000;

enum class Grant { Never, Always, WhileAttached, WhileUnlocked };

// Records each call; SetForegroundWindow works only as the case grants.
struct FakeForeground {
  PlatformVersion version;
  WindowHandle fg = kOther;
  bool attachOk = true, timeoutReadable = true, attached = false, hung = false;
  Grant grant = Grant::Never;
  std::uint32_t timeout = kSaved;
  std::vector<std::string> calls;

  static std::string Name(WindowHandle w) { return w == kOwn ? "own" : "other"; }
  ForegroundPlatform Platform() {
    const auto log = [this](std::string call) { calls.push_back(std::move(call)); };
    return {
        .getForegroundWindow = [=, this] { return log("GetForegroundWindow"), fg; },
        .threadOf = [=](WindowHandle w) { return log("ThreadOf " + Name(w)), w == kOwn ? 7u : 9u; },
        .isHungAppWindow = [=, this](WindowHandle w) { return log("IsHungAppWindow " + Name(w)), hung; },
        .attachThreadInput =
            [=, this](std::uint32_t from, std::uint32_t to, bool attach) {
              log("Attach " + std::to_string(from) + " " + std::to_string(to) + " " + std::to_string(attach));
              return attachOk && (attached = attach, true);
            },
        .bringWindowToTop = [=](WindowHandle w) { log("BringWindowToTop " + Name(w)); },
        .setForegroundWindow =
            [=, this](WindowHandle w) {
              log("SetForegroundWindow " + Name(w));
              if (grant == Grant::Always || (grant == Grant::WhileAttached && attached) ||
                  (grant == Grant::WhileUnlocked && timeout == 0))
                fg = w;
            },
        .getLockTimeout = [=, this](std::uint32_t& ms) { return log("GetLockTimeout"), timeoutReadable && (ms = timeout, true); },
        .setLockTimeout =
            [=, this](std::uint32_t ms, std::uint32_t flags) {
              log("SetLockTimeout " + std::to_string(ms) + " " + std::to_string(flags));
              timeout = ms;
            },
        .version = [this] { return version; },
    };
  }
};

using Calls = std::vector<std::string>;

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Calls kAsk{"GetForegroundWindow"};
const Calls kRaise{"BringWindowToTop own", "SetForegroundWindow own"};
const Calls kHungAsked = Join({kAsk, kAsk, {"IsHungAppWindow other"}});
const Calls kAttach = Join({kHungAsked, {"ThreadOf other", "ThreadOf own", "Attach 7 9 1"}});
const Calls kAttached = Join({kRaise, {"Attach 7 9 0"}, kAsk});
const Calls kUnlocked = Join({{"GetLockTimeout", "SetLockTimeout 0 2"}, kRaise, {"SetLockTimeout 200000 2"}});

TEST(ForceForegroundWindow, FollowsTheMethodThatThePlatformNeeds) {
  const PlatformVersion nt10{kFamilyNT, 10, 0};
  const struct {
    const char* name; PlatformVersion version; WindowHandle fg; bool attachOk, timeoutReadable; Grant grant;
    bool want; Calls calls; bool hung = false;
  } cases[] = {
      {"already foreground", nt10, kOwn, true, true, Grant::Always, true, kAsk},
      {"foreground hung: no attach", nt10, kOther, true, true, Grant::WhileUnlocked, true,
       Join({kHungAsked, kUnlocked, kAsk}), true},
      {"attach helps", nt10, kOther, true, true, Grant::WhileAttached, true, Join({kAttach, kAttached, kAsk})},
      {"attach no help", nt10, kOther, true, true, Grant::WhileUnlocked, true,
       Join({kAttach, kAttached, kUnlocked, kAsk})},
      {"attach fails", nt10, kOther, false, true, Grant::WhileUnlocked, true, Join({kAttach, kUnlocked, kAsk})},
      {"timeout unreadable: left alone", nt10, kOther, false, false, Grant::WhileUnlocked, false,
       Join({kAttach, {"GetLockTimeout"}, kRaise, kAsk})},
      {"NT 4.0", {kFamilyNT, 4, 0}, kOther, true, true, Grant::Always, true, Join({kAsk, kRaise, kAsk})},
      {"consumer 4.0", {kFamilyConsumer, 4, 0}, kOther, true, true, Grant::Always, true, Join({kAsk, kRaise, kAsk})},
      {"consumer 4.10", {kFamilyConsumer, 4, 10}, kOther, true, true, Grant::WhileAttached, true,
       Join({kAttach, kAttached, kAsk})},
      {"NT 5.0", {kFamilyNT, 5, 0}, kOther, true, true, Grant::WhileAttached, true, Join({kAttach, kAttached, kAsk})},
  };
  for (const auto& c : cases) {
    FakeForeground f;
    f.version = c.version, f.fg = c.fg, f.attachOk = c.attachOk, f.timeoutReadable = c.timeoutReadable;
    f.grant = c.grant, f.hung = c.hung;
    EXPECT_EQ(ForceForegroundWindow(kOwn, f.Platform()), c.want) << c.name;
    EXPECT_EQ(f.calls, c.calls) << c.name;
    EXPECT_EQ(f.timeout, kSaved) << c.name;
    EXPECT_FALSE(f.attached) << c.name;
  }
}

TEST(ForceForegroundWindow, NoWindowIsNeverBroughtForward) {
  FakeForeground f;
  f.fg = 0;  // nothing has the foreground either
  EXPECT_FALSE(ForceForegroundWindow(0, f.Platform()));
  EXPECT_TRUE(f.calls.empty());
}

}  // namespace
