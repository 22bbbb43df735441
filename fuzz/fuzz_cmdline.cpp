// The command-line splitter on arbitrary UTF-16 text: it must end, and its
// arguments must be made of the line's own characters in order.
#include <cstdint>
#include <cstdlib>

#include "windows/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tovanel::Text line;
  for (size_t i = 0; i + 1 < size; i += 2) line += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  std::vector<tovanel::Text> args = tovanel::SplitCommandLine(line);
  std::size_t total = 0, pos = 0;
  for (const tovanel::Text& a : args) {
    total += a.size();
    for (char16_t c : a) {
      // Each character comes from the line, later than the one before, and
      // is neither a NUL nor a quote.
      if (c == 0 || c == u'"') std::abort();
      pos = line.find(c, pos);
      if (pos == tovanel::Text::npos) std::abort();
      ++pos;
    }
  }
  if (total > line.size()) std::abort();
  return 0;
}
