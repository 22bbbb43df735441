#include "text/ClipboardRetry.h"

#include <cstdint>
#include <cstring>

#include "base/Error.h"
#include "base/Handles.h"

namespace tovanel {

namespace {

[[noreturn]] void ThrowOutOfResources() { throw Error(u"システム リソース不足です"); }

void PlaceText(const ClipboardPlatform& ops, TextView text) {
  ops.empty();
  if (text.size() > SIZE_MAX / sizeof(char16_t) - 1) ThrowOutOfResources();
  const std::size_t unitBytes = text.size() * sizeof(char16_t);
  ClipboardPlatform::Block block = ops.alloc(unitBytes + sizeof(char16_t));
  if (!block) ThrowOutOfResources();
  auto* bytes = static_cast<unsigned char*>(ops.lock(block));
  if (!bytes) {
    ops.free(block);
    ThrowOutOfResources();
  }
  if (unitBytes) std::memcpy(bytes, text.data(), unitBytes);
  std::memset(bytes + unitBytes, 0, sizeof(char16_t));
  ops.unlock(block);
  // Accepted, the block is the clipboard's; refused, it is still ours.
  if (!ops.setUnicodeText(block)) {
    ops.free(block);
    ThrowOutOfResources();
  }
}

bool TryOnce(const ClipboardPlatform& ops, TextView text) {
  if (!ops.open()) return false;
  // Other programs cannot use the clipboard until it is closed, so it is
  // closed on every path out of an attempt, the error paths included.
  const TScopeExit close([&ops] { ops.close(); });
  PlaceText(ops, text);
  return true;
}

}  // namespace

bool SendTextWithRetries(const ClipboardPlatform& ops, TextView text) {
  int budget = kClipboardAttempts;
  bool placed = false;
  do {
    placed = TryOnce(ops, text);
    if (!placed) {
      --budget;
      ops.pause(kClipboardPauseMs);
    }
  } while (!placed && budget >= 1);
  return placed;
}

}  // namespace tovanel
