#include "windows/CommandLine.h"

namespace tovanel {

std::vector<Text> SplitCommandLine(TextView line) {
  std::vector<Text> args;
  std::size_t i = 0, n = line.size();
  auto at = [&](std::size_t k) -> char16_t { return k < n ? line[k] : u'\0'; };
  for (;;) {
    for (;;) {
      while (at(i) != 0 && at(i) <= u' ') ++i;
      if (at(i) == u'"' && at(i + 1) == u'"')
        i += 2;
      else
        break;
    }
    if (at(i) == 0) break;
    Text arg;
    while (at(i) > u' ') {
      if (at(i) == u'"') {
        ++i;
        while (at(i) != 0 && at(i) != u'"') arg += line[i++];
        if (at(i) != 0) ++i;
      } else {
        arg += line[i++];
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace tovanel
