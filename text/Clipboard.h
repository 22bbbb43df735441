#pragma once
// Sending a text to the system clipboard as its one Unicode text item.
#include <windows.h>

#include "base/Text.h"

namespace tovanel {

// The window that opens, and then owns, the clipboard: the application's
// hidden window, set once when the application creates it.
void SetClipboardOwner(HWND owner);

// Replaces the clipboard's content with text as CF_UNICODETEXT. While another
// program holds the clipboard it tries up to five times, 100 ms apart, and then
// gives up with false, the clipboard's content unchanged. Throws
// Error(u"システム リソース不足です") when the data cannot be made or is refused;
// the clipboard is closed again (already emptied) by then.
bool SendTextToClipboard(const Text& text);

}  // namespace tovanel
