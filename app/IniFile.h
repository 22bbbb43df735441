#pragma once
// The settings file's INI text, held in memory: parsed from the file's bytes,
// read and changed by section and key, and turned back into bytes in the
// encoding it came in. Free of <windows.h>: the system's ANSI code page is
// reached through an injected codec, so the format builds and tests natively.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Text.h"

namespace tovanel {

// Bytes of a file without a byte-order mark <-> text. On Windows this is the
// ANSI code page; an empty codec stands for ISO 8859-1 (byte = code unit).
struct TAnsiCodec {
  std::function<Text(std::string_view)> Decode;
  std::function<std::string(TextView)> Encode;
};

enum class TIniEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

class TIniFile {
 public:
  // An empty file; written in the ANSI code page.
  explicit TIniFile(TAnsiCodec ansi = {});
  // Parses a whole file. Never fails: lines that mean nothing are skipped.
  TIniFile(std::string_view bytes, TAnsiCodec ansi = {});

  TIniEncoding Encoding() const { return encoding_; }

  // Sections in order of first appearance, each under its first spelling;
  // keys of a section in file order (a key written twice is listed twice).
  std::vector<Text> SectionNames() const;
  std::vector<Text> KeyNames(TextView section) const;

  // The value of the first entry with that key; a key without "=" has the
  // empty value. Section and key names ignore ASCII letter case.
  std::optional<Text> ReadString(TextView section, TextView key) const;
  // Decimal, "$" hex or "0x" hex, with an optional sign; anything that is not
  // such a number within the signed 32-bit range gives `def`.
  int ReadInteger(TextView section, TextView key, int def) const;
  // Replaces the value of the key's first entry, else appends the key to the
  // section, else appends a new section holding the key.
  void WriteInteger(TextView section, TextView key, int value);

  // The whole file: "[name]", its entries, one empty line; CR LF line ends;
  // same encoding and byte-order mark as read.
  std::string Serialize() const;

 private:
  struct TEntry {
    Text Key;
    Text Value;
    bool HasEquals;  // a line without "=" is written back without one
  };
  struct TSection {
    Text Name;
    std::vector<TEntry> Entries;
  };

  void Parse(TextView text);
  TSection* FindSection(TextView name);
  const TSection* FindSection(TextView name) const;
  TSection& AddSection(TextView name);
  void WriteString(TextView section, TextView key, Text value);

  TAnsiCodec ansi_;
  TIniEncoding encoding_ = TIniEncoding::Ansi;
  std::vector<TSection> sections_;
  std::unordered_map<Text, std::size_t> sectionIndex_;  // folded name -> position
};

}  // namespace tovanel
