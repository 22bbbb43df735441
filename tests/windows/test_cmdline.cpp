// Splitting the process's command line: quotes group, characters 1 to 32
// separate, nothing escapes, and empty quote pairs are skipped where an
// argument begins.
#include <gtest/gtest.h>

#include "windows/CommandLine.h"

using namespace tovanel;

namespace {

TEST(SplitCommandLine, FollowsTheSplittingRule) {
  struct Case {
    Text line;
    std::vector<Text> args;
  };
  const Case cases[] = {
      {u"", {}},
      {u"   \t ", {}},
      {u"\"prog\" \"C:\\path with space\\file.txt\"", {u"prog", u"C:\\path with space\\file.txt"}},
      {u"prog C:\\a.txt second", {u"prog", u"C:\\a.txt", u"second"}},
      // Every code from 1 to 32 separates; U+3000 and U+00A0 do not.
      {u"prog\x01" u"a\x1F" u"b\tc\r\nd", {u"prog", u"a", u"b", u"c", u"d"}},
      {u"prog a\u3000b c\u00A0d", {u"prog", u"a\u3000b", u"c\u00A0d"}},
      // A quoted run may sit inside an argument; an open one runs to the end.
      {u"prog C:\\\"my files\"\\x.txt", {u"prog", u"C:\\my files\\x.txt"}},
      {u"prog \"C:\\open run", {u"prog", u"C:\\open run"}},
      // No escapes: a backslash before a quote is an ordinary character.
      {u"prog a\\\"b c\" d", {u"prog", u"a\\b c", u"d"}},
      // Empty pairs vanish where an argument begins, and only there.
      {u"prog \"\" \"\"\"\" file", {u"prog", u"file"}},
      {u"prog \"\"\"C:\\x y\"", {u"prog", u"C:\\x y"}},
      {u"prog \"\"", {u"prog"}},
      {u"prog a\"\"b", {u"prog", u"ab"}},
      {u"\"\"prog", {u"prog"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << ToUtf8(c.line);
}

TEST(SplitCommandLine, ANulEndsTheLine) {
  const Text line(u"prog a\0b c", 10);
  EXPECT_EQ(SplitCommandLine(line), (std::vector<Text>{u"prog", u"a"}));
}

}  // namespace
