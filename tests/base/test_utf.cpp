#include <gtest/gtest.h>

#include "base/Text.h"

using namespace tovanel;

TEST(Utf, RoundTripsJapaneseAndAstralCharacters) {
  const std::string s = "ファイル名 \xF0\x9F\x98\x80 abc";
  Text t = FromUtf8(s);
  EXPECT_EQ(t[0], u'フ');
  EXPECT_EQ(ToUtf8(t), s);
}

TEST(Utf, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\xFFFD\xFFFD");       // overlong
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\xFFFD\xFFFD\xFFFD");  // encoded surrogate
  EXPECT_EQ(FromUtf8("a\xE3\x81"), u"a\xFFFD\xFFFD");     // cut short
  EXPECT_EQ(ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");          // lone surrogate
}
