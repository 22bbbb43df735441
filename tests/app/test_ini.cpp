#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <optional>
#include <string>

#include "app/IniFile.h"

using namespace tovanel;
using namespace std::string_literals;

namespace {

// An ANSI code page of its own, to see that files without a byte-order mark go
// through the injected codec both ways: byte 0xA4 is "あ", the rest Latin-1.
TAnsiCodec TestCodec() {
  return {[](std::string_view b) {
            Text t;
            for (unsigned char c : b) t += c == 0xA4 ? u'あ' : static_cast<char16_t>(c);
            return t;
          },
          [](TextView t) {
            std::string b;
            for (char16_t c : t) b += c == u'あ' ? '\xA4' : c < 0x100 ? static_cast<char>(c) : '?';
            return b;
          }};
}

}  // namespace

TEST(IniFile, ParsingRules) {
  struct Case {
    std::string file;
    Text section, key;
    std::optional<Text> value;
  };
  const Case cases[] = {
      {"[Main]\r\nTop=5", u"Main", u"Top", u"5"},
      {"  [ Main ]  \n\t Top \t=  5  \n", u"Main", u"Top", u"5"},
      {"[A]\rk=1\rj=2", u"A", u"j", u"2"},                    // lone CR
      {"[A]\n\r\n\r\rk=1\r\r", u"A", u"k", u"1"},             // mixed and empty lines
      {"[A]\n;k=1", u"A", u"k", std::nullopt},                 // comment
      {"k=1\n[A]\nj=2", u"A", u"k", std::nullopt},             // before any section
      {"[A]\nflag", u"A", u"flag", u""},                       // key without "="
      {"[A]\nk = a = b", u"A", u"k", u"a = b"},                // first "=" splits
      {"[A]\n=v", u"A", u"", u"v"},
      {"[main]\ntop=1", u"MAIN", u"TOP", u"1"},                // letter case
      {"[A]\nk=1\n[B]\n[a]\nj=2", u"A", u"j", u"2"},           // section seen twice
      {"[A]\nk=1\nK=2", u"A", u"k", u"1"},                     // first entry wins
      {"[A]\n[B\nk=1", u"A", u"k", u"1"},                      // "[B" is a key
      {"[]\nk=1", u"", u"k", u"1"},
      {"[A]\n\x01k\x1F=\t1\0\0"s, u"A", u"k", u"1"},           // control characters trim
      {"[\xC4]\nk=1", u"\u00E4", u"k", std::nullopt},          // only ASCII letters fold
      {"[\xC4]\nk=1", u"\u00C4", u"k", u"1"},
  };
  for (const auto& c : cases) {
    TIniFile ini(c.file, TestCodec());
    EXPECT_EQ(ini.ReadString(c.section, c.key), c.value) << c.file;
  }
}

TEST(IniFile, ReadsIntegers) {
  struct Case {
    std::string value;
    int expected;
  };
  const int def = 77;
  const Case cases[] = {
      {"32", 32},          {"-5", -5},         {"+7", 7},           {"007", 7},
      {"0x20", 32},        {"0X1f", 31},       {"$20", 32},         {"$fF", 255},
      {"-$10", -16},       {"-0x10", -16},     {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
      {"0x7FFFFFFF", INT_MAX}, {"-0x80000000", INT_MIN},
      // Out of range, including hex that only fits as a bit pattern.
      {"2147483648", def}, {"-2147483649", def}, {"0x80000000", def}, {"0xFFFFFFFF", def},
      {"99999999999999999999999999", def},
      {"abc", def},        {"", def},          {"-", def},          {"$", def},
      {"0x", def},         {"x10", def},       {"12abc", def},      {"1 2", def},
      {"0x1G", def},       {"--1", def},       {"\xEF\xBC\x91", def},  // full-width digit
  };
  for (const auto& c : cases) {
    TIniFile ini("\xEF\xBB\xBF[S]\r\nK=" + c.value + "\r\n");
    EXPECT_EQ(ini.ReadInteger(u"S", u"K", def), c.expected) << c.value;
  }
  TIniFile ini("[S]\r\nBare\r\n");
  EXPECT_EQ(ini.ReadInteger(u"S", u"Bare", def), def);
  EXPECT_EQ(ini.ReadInteger(u"S", u"Missing", def), def);
  EXPECT_EQ(ini.ReadInteger(u"Missing", u"Bare", def), def);
}

TEST(IniFile, FirstRunFileThenRewrites) {
  // The main window writes into a file that does not exist yet, then the
  // list window reads what it wrote and adds its own section.
  TIniFile main(TestCodec());
  main.WriteInteger(u"Main", u"Top", 100);
  main.WriteInteger(u"Main", u"Left", 100);
  main.WriteInteger(u"Select", u"Item", 0);
  TIniFile ini(main.Serialize(), TestCodec());
  for (auto [key, value] : {std::pair{u"Top", 400}, {u"Left", 708}, {u"Height", 300}, {u"Width", 300}})
    ini.WriteInteger(u"List", key, value);
  EXPECT_EQ(ini.Encoding(), TIniEncoding::Ansi);

  ini.WriteInteger(u"list", u"TOP", -20);  // other letter case: same key
  ini.WriteInteger(u"List", u"Width", INT_MIN);
  ini.WriteInteger(u"Main", u"Extra", 1);  // appended to its section, not at the end
  ini.WriteInteger(u"New", u"K", 2);
  EXPECT_EQ(ini.Serialize(),
            "[Main]\r\nTop=100\r\nLeft=100\r\nExtra=1\r\n\r\n"
            "[Select]\r\nItem=0\r\n\r\n"
            "[List]\r\nTop=-20\r\nLeft=708\r\nHeight=300\r\nWidth=-2147483648\r\n\r\n"
            "[New]\r\nK=2\r\n\r\n");
  EXPECT_EQ(TIniFile(ini.Serialize()).ReadInteger(u"List", u"Width", 0), INT_MIN);
}

TEST(IniFile, WriteBackNormalisesLayoutWithoutLosingEntries) {
  TIniFile ini(";c\nlost=1\n [A] \nflag\nk = v\n\n[B]\n[a]\nj=2\nk=3\n", TestCodec());
  EXPECT_EQ(ini.Serialize(), "[A]\r\nflag\r\nk=v\r\nj=2\r\nk=3\r\n\r\n[B]\r\n\r\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<Text>{u"A", u"B"}));
  EXPECT_EQ(ini.KeyNames(u"a"), (std::vector<Text>{u"flag", u"k", u"j", u"k"}));
  ini.WriteInteger(u"A", u"FLAG", 4);  // a bare key gains its "="
  EXPECT_EQ(ini.Serialize(), "[A]\r\nflag=4\r\nk=v\r\nj=2\r\nk=3\r\n\r\n[B]\r\n\r\n");
}

TEST(IniFile, KeepsTheEncodingItWasReadIn) {
  struct Case {
    std::string in;
    TIniEncoding encoding;
    std::string out;
  };
  const Case cases[] = {
      {"[\xA4]\nk=1", TIniEncoding::Ansi, "[\xA4]\r\nk=9\r\n\r\n"},
      {"\xEF\xBB\xBF[\xE3\x81\x82]\nk=1", TIniEncoding::Utf8, "\xEF\xBB\xBF[\xE3\x81\x82]\r\nk=9\r\n\r\n"},
      {"\xFF\xFE[\0B\x30]\0\n\0k\0=\0001\0"s, TIniEncoding::Utf16LE,
       "\xFF\xFE[\0B\x30]\0\r\0\n\0k\0=\0009\0\r\0\n\0\r\0\n\0"s},
      {"\xFE\xFF\0[\x30\x42\0]\0\n\0k\0=\0001"s, TIniEncoding::Utf16BE,
       "\xFE\xFF\0[\x30\x42\0]\0\r\0\n\0k\0=\0009\0\r\0\n\0\r\0\n"s},
  };
  for (const auto& c : cases) {
    TIniFile ini(c.in, TestCodec());
    EXPECT_EQ(ini.Encoding(), c.encoding);
    EXPECT_EQ(ini.ReadInteger(u"あ", u"k", 0), 1);
    ini.WriteInteger(u"あ", u"k", 9);
    EXPECT_EQ(ini.Serialize(), c.out);
  }
}

TEST(IniFile, OddUtf16SurvivesReadingAndWriting) {
  // A lone surrogate stays as it was; a final odd byte becomes U+FFFD.
  TIniFile ini("\xFF\xFE[\0A\0]\0\n\0k\0=\0\x00\xD8\n\0j\0=\0001\0\x7F"s);
  EXPECT_EQ(ini.ReadString(u"A", u"k"), Text(1, u'\xD800'));
  EXPECT_EQ(ini.ReadString(u"A", u"j"), u"1\uFFFD");
  EXPECT_EQ(TIniFile(ini.Serialize()).ReadString(u"A", u"k"), Text(1, u'\xD800'));
}

// Well under a second when linear; a search per section or per line, as a
// quadratic reading makes, takes minutes.
TEST(IniFile, LargeInputStaysLinear) {
  std::string big = "[S]\nlong=" + std::string(1 << 20, '1') + "\n";
  for (int i = 0; i < 100000; ++i) big += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
  big += "[S]\nk=5";
  const auto start = std::chrono::steady_clock::now();
  TIniFile ini(big);
  ini.WriteInteger(u"s99999", u"j", 1);
  ini.Serialize();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(ini.ReadInteger(u"S", u"long", -1), -1);
  EXPECT_EQ(ini.ReadInteger(u"S", u"k", -1), 5);
  EXPECT_EQ(ini.ReadInteger(u"s99999", u"k", -1), 99999);
  EXPECT_EQ(ini.SectionNames().size(), 100001u);
}
