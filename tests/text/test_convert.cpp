// The six conversions against the platform's own mappings (Japanese locale).
#include <gtest/gtest.h>

#include <windows.h>

#include "text/Convert.h"

using namespace tovanel;

namespace {

using Conversion = Text (*)(const Text&);

struct Case {
  const char* name;
  Conversion convert;
  Text in;
  Text out;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name << " \"" << ToUtf8(c.in) << "\""; }

const Conversion kAll[] = {ToLowerCase, ToUpperCase, ToHalfWidth, ToFullWidth, ToKatakana, ToHiragana};
const Conversion kLocaleMappings[] = {ToHalfWidth, ToFullWidth, ToKatakana, ToHiragana};

}  // namespace

class Conversions : public testing::TestWithParam<Case> {};

TEST_P(Conversions, MapTheirKindAndPassTheRestThrough) {
  const Case& c = GetParam();
  EXPECT_EQ(ToUtf8(c.convert(c.in)), ToUtf8(c.out));
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Conversions,
    testing::Values(
        Case{"lower", ToLowerCase, u"Tovanel.INI ＡＢＣ ΑΒΓ АБВ", u"tovanel.ini ａｂｃ αβγ абв"},
        Case{"lower", ToLowerCase, u"ファイル名 がガ 123", u"ファイル名 がガ 123"},
        Case{"upper", ToUpperCase, u"tovanel.ini ａｂｃ αβγ абв", u"TOVANEL.INI ＡＢＣ ΑΒΓ АБВ"},
        Case{"upper", ToUpperCase, u"ひらがな ｶﾞ", u"ひらがな ｶﾞ"},
        Case{"half", ToHalfWidth, u"ＡＢＣ１２３　ａｂｃ", u"ABC123 abc"},
        // Half-width kana have no voiced forms: the marks become units of their own.
        Case{"half", ToHalfWidth, u"ガパー", u"ｶﾞﾊﾟｰ"},
        Case{"half", ToHalfWidth, u"abc ｶﾞ", u"abc ｶﾞ"},
        Case{"full", ToFullWidth, u"ABC123abc", u"ＡＢＣ１２３ａｂｃ"},
        Case{"full", ToFullWidth, u"ｶﾞﾊﾟｰ", u"ガパー"},
        Case{"full", ToFullWidth, u"ＡＢＣ　ガ", u"ＡＢＣ　ガ"},
        Case{"katakana", ToKatakana, u"がぱーあ", u"ガパーア"},
        Case{"katakana", ToKatakana, u"abc ｶﾞ ＡＢＣ", u"abc ｶﾞ ＡＢＣ"},
        Case{"hiragana", ToHiragana, u"ガパーア", u"がぱーあ"},
        Case{"hiragana", ToHiragana, u"abc １２３", u"abc １２３"}));

TEST(Conversions, EmptyTextStaysEmpty) {
  for (Conversion convert : kAll) EXPECT_EQ(convert(Text()), Text());
}

// The mapping buffer holds 32737 units, the terminator included; the mapped
// length counts, not the argument's.
TEST(LocaleMappings, ResultMustFitTheBufferWithItsTerminator) {
  struct Fit {
    Conversion convert;
    char16_t in;
    Text out;  // per unit of input
  };
  const Fit fits[] = {{ToHalfWidth, u'Ａ', u"A"},
                      {ToFullWidth, u'A', u"Ａ"},
                      {ToKatakana, u'あ', u"ア"},
                      {ToHiragana, u'ア', u"あ"},
                      {ToHalfWidth, u'ガ', u"ｶﾞ"}};
  for (const Fit& f : fits) {
    const std::size_t fitting = 32736 / f.out.size();
    Text expected;
    for (std::size_t i = 0; i < fitting; ++i) expected += f.out;
    EXPECT_EQ(f.convert(Text(fitting, f.in)), expected) << ToUtf8(Text(1, f.in));
    EXPECT_EQ(f.convert(Text(fitting + 1, f.in)), Text()) << ToUtf8(Text(1, f.in));
  }
}

TEST(LocaleMappings, StopAtAnEmbeddedNul) {
  const Text text(u"ａい\0ウ", 4);
  EXPECT_EQ(ToHalfWidth(text), u"aい");
  EXPECT_EQ(ToFullWidth(text), u"ａい");
  EXPECT_EQ(ToKatakana(text), u"ａイ");
  EXPECT_EQ(ToHiragana(text), u"ａい");
}

TEST(CaseMappings, KeepEveryUnitAndTheLength) {
  const Text text(u"Ab\0cD", 5);
  EXPECT_EQ(ToLowerCase(text), Text(u"ab\0cd", 5));
  EXPECT_EQ(ToUpperCase(text), Text(u"AB\0CD", 5));
  const Text japanese = u"ファイル名ｶﾞ　ＡＢ ß İ ﬀ";  // no one-to-many mapping
  EXPECT_EQ(ToLowerCase(japanese).size(), japanese.size());
  EXPECT_EQ(ToUpperCase(japanese).size(), japanese.size());
}
