#include "text/Clipboard.h"

#include <atomic>

#include "text/ClipboardRetry.h"

namespace tovanel {

namespace {

std::atomic<HWND> clipboardOwner{nullptr};

class PlatformClipboard final : public ClipboardOps {
 public:
  // Windows refuses SetClipboardData after an open without a window.
  bool Open() override { return OpenClipboard(clipboardOwner.load()) != FALSE; }
  void Empty() override { EmptyClipboard(); }
  Block Alloc(std::size_t bytes) override { return GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes); }
  void* Lock(Block block) override { return GlobalLock(block); }
  void Unlock(Block block) override { GlobalUnlock(block); }
  bool SetUnicodeText(Block block) override { return SetClipboardData(CF_UNICODETEXT, block) != nullptr; }
  void Free(Block block) override { GlobalFree(block); }
  void Close() override { CloseClipboard(); }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

void SetClipboardOwner(HWND owner) { clipboardOwner.store(owner); }

bool SendTextToClipboard(const Text& text) {
  PlatformClipboard clipboard;
  return SendTextWithRetries(clipboard, text);
}

}  // namespace tovanel
