#include "text/ClipboardRetry.h"

#include <cstdint>
#include <cstring>

#include "base/Error.h"
#include "base/Handles.h"

namespace tovanel {

namespace {

[[noreturn]] void ThrowOutOfResources() { throw Error(u"システム リソース不足です"); }

void PlaceText(ClipboardOps& ops, TextView text) {
  ops.Empty();
  if (text.size() > SIZE_MAX / sizeof(char16_t) - 1) ThrowOutOfResources();
  const std::size_t unitBytes = text.size() * sizeof(char16_t);
  ClipboardOps::Block block = ops.Alloc(unitBytes + sizeof(char16_t));
  if (!block) ThrowOutOfResources();
  auto* bytes = static_cast<unsigned char*>(ops.Lock(block));
  if (!bytes) {
    ops.Free(block);
    ThrowOutOfResources();
  }
  if (unitBytes) std::memcpy(bytes, text.data(), unitBytes);
  std::memset(bytes + unitBytes, 0, sizeof(char16_t));
  ops.Unlock(block);
  // Accepted, the block is the clipboard's; refused, it is still ours.
  if (!ops.SetUnicodeText(block)) {
    ops.Free(block);
    ThrowOutOfResources();
  }
}

bool TryOnce(ClipboardOps& ops, TextView text) {
  if (!ops.Open()) return false;
  // Other programs cannot use the clipboard until it is closed, so it is
  // closed on every path out of an attempt, the error paths included.
  const TScopeExit close([&ops] { ops.Close(); });
  PlaceText(ops, text);
  return true;
}

}  // namespace

bool SendTextWithRetries(ClipboardOps& ops, TextView text) {
  int budget = kClipboardAttempts;
  bool placed = false;
  do {
    placed = TryOnce(ops, text);
    if (!placed) {
      --budget;
      ops.Pause(kClipboardPauseMs);
    }
  } while (!placed && budget >= 1);
  return placed;
}

}  // namespace tovanel
