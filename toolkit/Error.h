#pragma once
// The error that event handlers let escape to the application's default error
// display (a message box titled with the application title). Free of
// <windows.h> so that pure code can raise it too.
#include <exception>

#include "text/Text.h"

namespace tovanel {

class Error : public std::exception {
 public:
  explicit Error(Text message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}
  const Text& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
};

// The text the default error display shows: "." is appended when the
// message's last character has a code greater than that of ".".
inline Text DisplayedMessage(const Text& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

}  // namespace tovanel
