#include "app/SettingsSave.h"

#include <limits>
#include <string>

namespace tovanel {

namespace {

TextView Suffix(TSaveFile kind) { return kind == TSaveFile::NewContent ? u".tmp" : u".bak"; }

bool SameIgnoringAsciiCase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// Digits only, without overflow; nothing for anything else.
std::optional<std::uint64_t> Decimal(TextView digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9' || value > (std::numeric_limits<std::uint64_t>::max() - (c - u'0')) / 10)
      return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return value;
}

}  // namespace

bool IsBusyFileError(std::uint32_t code) {
  switch (code) {
    case kErrorAccessDenied:
    case kErrorSharingViolation:
    case kErrorLockViolation:
    case kErrorUnableToRemoveReplaced:
    case kErrorUnableToMoveReplacement:
    case kErrorUnableToMoveReplacement2:
      return true;
    default:
      return false;
  }
}

std::uint32_t RetryWhileBusy(const std::function<std::uint32_t()>& attempt, const std::function<void(unsigned)>& pause,
                             std::span<const unsigned> pauses) {
  std::uint32_t code = attempt();
  for (unsigned ms : pauses) {
    if (code == 0 || !IsBusyFileError(code)) break;
    pause(ms);
    code = attempt();
  }
  return code;
}

Text SaveFileName(TextView settingsName, const TSaveOwner& owner, TSaveFile kind) {
  Text id = DecimalText(owner.processId);
  if (owner.started) id += u"-" + DecimalText(*owner.started);
  return Text(settingsName) + u"." + id + Text(Suffix(kind));
}

std::optional<TSaveFileOf> SaveFileOf(TextView settingsName, TextView name) {
  const std::size_t first = settingsName.size() + 1, last = name.rfind(u'.');
  if (last == TextView::npos || last <= first) return std::nullopt;
  const TextView digits = name.substr(first, last - first);
  const std::size_t dash = digits.find(u'-');
  const std::optional<std::uint64_t> id = Decimal(digits.substr(0, dash));
  if (!id || *id > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  TSaveOwner owner{static_cast<std::uint32_t>(*id), std::nullopt};
  if (dash != TextView::npos && !(owner.started = Decimal(digits.substr(dash + 1)))) return std::nullopt;
  // Only a name this program makes: no leading zero, and this file's name.
  for (TSaveFile kind : {TSaveFile::NewContent, TSaveFile::OldFile}) {
    if (SameIgnoringAsciiCase(name, SaveFileName(settingsName, owner, kind))) return TSaveFileOf{owner, kind};
  }
  return std::nullopt;
}

}  // namespace tovanel
