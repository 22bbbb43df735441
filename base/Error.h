#pragma once
// The error that event handlers let escape to the application's default error
// display (a message box titled with the application title). The type itself
// is free of <windows.h> so that pure code can raise it too.
#include <cstdint>
#include <exception>

#include "base/Text.h"

namespace tovanel {

class Error : public std::exception {
 public:
  // code: the platform's error code behind the failure (GetLastError), 0
  // when there is none; the message is what the user is shown.
  explicit Error(Text message, std::uint32_t code = 0)
      : message_(std::move(message)), utf8_(ToUtf8(message_)), code_(code) {}
  const Text& Message() const noexcept { return message_; }
  std::uint32_t Code() const noexcept { return code_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
  std::uint32_t code_;
};

// The text the default error display shows: "." is appended when the
// message's last character has a code greater than that of ".".
inline Text DisplayedMessage(const Text& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

#ifdef _WIN32
// The platform's text for an error code, without its trailing line break;
// "エラー <code>" when the platform has none.
Text SystemErrorText(std::uint32_t code);

// Throws Error(message) carrying GetLastError()'s code: for a platform call
// that has just failed.
[[noreturn]] void ThrowLastError(Text message);
#endif

}  // namespace tovanel
