#pragma once
// Splitting the process's command line into arguments.
#include <vector>

#include "base/Text.h"

namespace tovanel {

// Characters 1 to 32 separate arguments; a double quote opens a run that
// ends at the next double quote (or the end), inside which they belong to
// the argument; quotes are dropped and nothing escapes anything; pairs of
// quotes with nothing between them are skipped where an argument would begin.
// A NUL ends the line. Argument 0 is the program's name.
std::vector<Text> SplitCommandLine(TextView line);

}  // namespace tovanel
