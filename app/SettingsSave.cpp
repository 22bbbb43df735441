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

std::uint32_t RetryWhileBusy(const std::function<std::uint32_t()>& attempt,
                             const std::function<void(unsigned)>& pause) {
  std::uint32_t code = attempt();
  for (int tries = 1; code != 0 && IsBusyFileError(code) && tries < kSettingsAttempts; ++tries) {
    pause(kSettingsPauseMs);
    code = attempt();
  }
  return code;
}

Text SaveFileName(TextView settingsName, std::uint32_t processId, TSaveFile kind) {
  const std::string digits = std::to_string(processId);
  return Text(settingsName) + u"." + Text(digits.begin(), digits.end()) + Text(Suffix(kind));
}

std::optional<TSaveFileOf> SaveFileOf(TextView settingsName, TextView name) {
  const std::size_t first = settingsName.size() + 1, last = name.rfind(u'.');
  if (last == TextView::npos || last <= first) return std::nullopt;
  std::uint64_t id = 0;
  for (char16_t c : name.substr(first, last - first)) {
    if (c < u'0' || c > u'9') return std::nullopt;
    id = id * 10 + (c - u'0');
    if (id > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  // Only a name this program makes: no leading zero, and this file's name.
  for (TSaveFile kind : {TSaveFile::NewContent, TSaveFile::OldFile}) {
    if (SameIgnoringAsciiCase(name, SaveFileName(settingsName, static_cast<std::uint32_t>(id), kind)))
      return TSaveFileOf{static_cast<std::uint32_t>(id), kind};
  }
  return std::nullopt;
}

}  // namespace tovanel
