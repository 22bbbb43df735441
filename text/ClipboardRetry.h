#pragma once
// The clipboard transfer apart from the platform: the attempts, the pauses and
// the payload, with the platform's calls taken as a ClipboardPlatform so that
// a test can stage a busy clipboard, a refusal or a failed allocation.
#include <cstddef>
#include <functional>

#include "base/Text.h"

namespace tovanel {

// The platform calls of one transfer. A block is the platform's movable
// memory handle, opaque here.
struct ClipboardPlatform {
  using Block = void*;
  std::function<bool()> open;  // false while another program holds the clipboard
  std::function<void()> empty;
  std::function<Block(std::size_t bytes)> alloc;  // nullptr on failure
  std::function<void*(Block block)> lock;         // nullptr on failure
  std::function<void(Block block)> unlock;
  std::function<bool(Block block)> setUnicodeText;  // true: the block now belongs to the clipboard
  std::function<void(Block block)> free;
  std::function<void()> close;
  std::function<void(unsigned milliseconds)> pause;

  static ClipboardPlatform Real();
};

inline constexpr int kClipboardAttempts = 5;
inline constexpr unsigned kClipboardPauseMs = 100;

// Replaces the clipboard's content with one Unicode text item: the text's code
// units and a NUL. Only a busy clipboard (the open fails) is retried, with a
// pause after every failed attempt, the last one too; false when every attempt
// found it busy. A block that cannot be made or that the clipboard refuses
// raises Error(u"システム リソース不足です") once the clipboard is closed again.
bool SendTextWithRetries(const ClipboardPlatform& ops, TextView text);

}  // namespace tovanel
