// The INI reader on any bytes: parse, read, write, write out, read again. What
// was read must read the same afterwards, and writing out must be stable.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/IniFile.h"

using namespace tovanel;

namespace {

struct TSnapshot {
  std::vector<Text> sections;
  std::vector<std::vector<Text>> keys;
  std::vector<std::vector<std::optional<Text>>> values;
  std::vector<std::vector<int>> numbers;
  bool operator==(const TSnapshot&) const = default;
};

TSnapshot Take(const TIniFile& ini) {
  TSnapshot s;
  s.sections = ini.SectionNames();
  for (const auto& section : s.sections) {
    s.keys.push_back(ini.KeyNames(section));
    auto& values = s.values.emplace_back();
    auto& numbers = s.numbers.emplace_back();
    for (const auto& key : s.keys.back()) {
      values.push_back(ini.ReadString(section, key));
      numbers.push_back(ini.ReadInteger(section, key, -7));
    }
  }
  return s;
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_ini: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TIniFile ini(bytes);

  // Reads of the program's own keys, in another letter case too.
  const int top = ini.ReadInteger(u"Main", u"Top", 100);
  Check(top == ini.ReadInteger(u"MAIN", u"top", 100), "letter case changes a read");

  // Writes derived from the input: the program's keys and one existing key.
  uint32_t bits = 0;
  for (size_t i = 0; i < size && i < 4; ++i) bits = bits << 8 | data[i];
  const int value = static_cast<int>(bits);
  ini.WriteInteger(u"Main", u"Top", value);
  Check(ini.ReadInteger(u"main", u"TOP", 0) == value, "write not read back");
  ini.WriteInteger(u"List", u"Width", value == INT_MIN ? INT_MAX : -value);
  const auto sections = ini.SectionNames();
  const Text first = sections.empty() ? Text() : sections.front();
  const auto keys = ini.KeyNames(first);
  const Text key = keys.empty() ? Text(u"K") : keys.back();
  ini.WriteInteger(first, key, top);
  Check(ini.ReadInteger(first, key, top + 1) == top, "write not read back");

  const TSnapshot before = Take(ini);
  const std::string out = ini.Serialize();
  TIniFile again(out);
  Check(again.Encoding() == ini.Encoding(), "encoding changed");
  Check(Take(again) == before, "values differ after writing out");
  Check(again.Serialize() == out, "writing out is not stable");
  return 0;
}
