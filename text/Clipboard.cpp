#include "text/Clipboard.h"

#include <atomic>

#include "base/Platform.h"
#include "text/ClipboardRetry.h"

namespace tovanel {

namespace {

std::atomic<HWND> clipboardOwner{nullptr};

}  // namespace

void SetClipboardOwner(HWND owner) { clipboardOwner.store(owner); }

ClipboardPlatform ClipboardPlatform::Real() {
  return {
      // Windows refuses SetClipboardData after an open without a window.
      .open = [] { return OpenClipboard(clipboardOwner.load()) != FALSE; },
      .empty = [] { EmptyClipboard(); },
      .alloc = [](std::size_t bytes) -> Block { return GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes); },
      .lock = [](Block block) { return GlobalLock(block); },
      .unlock = [](Block block) { GlobalUnlock(block); },
      .setUnicodeText = [](Block block) { return SetClipboardData(CF_UNICODETEXT, block) != nullptr; },
      .free = [](Block block) { GlobalFree(block); },
      .close = [] { CloseClipboard(); },
      .pause = [](unsigned milliseconds) { Sleep(milliseconds); },
  };
}

bool SendTextToClipboard(const Text& text) { return SendTextWithRetries(Calls<ClipboardPlatform>(), text); }

}  // namespace tovanel
