#pragma once
// The clipboard transfer apart from the platform: the attempts, the pauses and
// the payload, with the platform's operations behind ClipboardOps so that a
// test can stage a busy clipboard, a refusal or a failed allocation.
#include <cstddef>

#include "base/Text.h"

namespace tovanel {

// The platform operations of one transfer. A Block is the platform's movable
// memory handle, opaque here.
class ClipboardOps {
 public:
  using Block = void*;
  virtual ~ClipboardOps() = default;
  virtual bool Open() = 0;  // false while another program holds the clipboard
  virtual void Empty() = 0;
  virtual Block Alloc(std::size_t bytes) = 0;  // nullptr on failure
  virtual void* Lock(Block block) = 0;         // nullptr on failure
  virtual void Unlock(Block block) = 0;
  virtual bool SetUnicodeText(Block block) = 0;  // true: the block now belongs to the clipboard
  virtual void Free(Block block) = 0;
  virtual void Close() = 0;
  virtual void Pause(unsigned milliseconds) = 0;
};

inline constexpr int kClipboardAttempts = 5;
inline constexpr unsigned kClipboardPauseMs = 100;

// Replaces the clipboard's content with one Unicode text item: the text's code
// units and a NUL. Only a busy clipboard (the open fails) is retried, with a
// pause after every failed attempt, the last one too; false when every attempt
// found it busy. A block that cannot be made or that the clipboard refuses
// raises Error(u"システム リソース不足です") once the clipboard is closed again.
bool SendTextWithRetries(ClipboardOps& ops, TextView text);

}  // namespace tovanel
