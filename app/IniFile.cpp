#include "app/IniFile.h"

#include <cstdint>

namespace tovanel {

namespace {

// Same notion of white space as the line trimming of the format: every
// control character and the space (so stray NULs vanish too).
bool IsBlank(char16_t c) { return c <= u' '; }

TextView TrimLeft(TextView s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

TextView TrimRight(TextView s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

TextView Trim(TextView s) { return TrimRight(TrimLeft(s)); }

// Folded as SameName folds, so the comparison and the section index always agree.
Text Folded(TextView s) {
  Text out(s);
  for (auto& c : out) c = FoldAscii(c);
  return out;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads a whole value as a number. Hex is a magnitude like decimal, not a bit
// pattern: 0x7FFFFFFF is the largest, 0xFFFFFFFF is out of range.
std::optional<int> ParseInteger(TextView s) {
  bool negative = false;
  if (!s.empty() && (s[0] == u'-' || s[0] == u'+')) {
    negative = s[0] == u'-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == u'$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  const std::int64_t limit = negative ? 0x80000000LL : 0x7FFFFFFFLL;
  std::int64_t magnitude = 0;
  for (char16_t c : s) {
    int d = base == 16 ? HexDigit(c) : (c >= u'0' && c <= u'9' ? c - u'0' : -1);
    if (d < 0) return std::nullopt;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

Text DecodeLatin1(std::string_view bytes) {
  Text out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

std::string EncodeLatin1(TextView text) {
  std::string out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return out;
}

Text DecodeUtf16(std::string_view bytes, bool bigEndian) {
  Text out;
  out.reserve(bytes.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    unsigned hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    unsigned lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    out += static_cast<char16_t>(hi << 8 | lo);
  }
  // A file cut in the middle of a unit keeps a visible trace of the last byte.
  if (i < bytes.size()) out += u'\xFFFD';
  return out;
}

void AppendUtf16(std::string& out, TextView text, bool bigEndian) {
  for (char16_t c : text) {
    char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
}

constexpr std::string_view kBomUtf8 = "\xEF\xBB\xBF";
constexpr std::string_view kBomUtf16LE = "\xFF\xFE";
constexpr std::string_view kBomUtf16BE = "\xFE\xFF";

}  // namespace

TIniFile::TIniFile(TAnsiCodec ansi) : ansi_(std::move(ansi)) {}

TIniFile::TIniFile(std::string_view bytes, TAnsiCodec ansi) : ansi_(std::move(ansi)) {
  Text text;
  if (bytes.starts_with(kBomUtf8)) {
    encoding_ = TIniEncoding::Utf8;
    text = FromUtf8(bytes.substr(kBomUtf8.size()));
  } else if (bytes.starts_with(kBomUtf16LE)) {
    encoding_ = TIniEncoding::Utf16LE;
    text = DecodeUtf16(bytes.substr(kBomUtf16LE.size()), false);
  } else if (bytes.starts_with(kBomUtf16BE)) {
    encoding_ = TIniEncoding::Utf16BE;
    text = DecodeUtf16(bytes.substr(kBomUtf16BE.size()), true);
  } else {
    encoding_ = TIniEncoding::Ansi;
    text = ansi_.Decode ? ansi_.Decode(bytes) : DecodeLatin1(bytes);
  }
  Parse(text);
}

void TIniFile::Parse(TextView text) {
  TSection* open = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    TextView line = Trim(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size()) pos += (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') ? 2 : 1;

    if (line.empty() || line[0] == u';') continue;
    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      TextView name = Trim(line.substr(1, line.size() - 2));
      open = FindSection(name);
      if (!open) open = &AddSection(name);
      continue;
    }
    if (!open) continue;  // nothing before the first section belongs anywhere
    std::size_t eq = line.find(u'=');
    if (eq == TextView::npos)
      open->Entries.push_back({Text(line), Text(), false});
    else
      open->Entries.push_back({Text(TrimRight(line.substr(0, eq))), Text(TrimLeft(line.substr(eq + 1))), true});
  }
}

TIniFile::TSection* TIniFile::FindSection(TextView name) {
  auto it = sectionIndex_.find(Folded(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const TIniFile::TSection* TIniFile::FindSection(TextView name) const {
  auto it = sectionIndex_.find(Folded(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

TIniFile::TSection& TIniFile::AddSection(TextView name) {
  sectionIndex_.emplace(Folded(name), sections_.size());
  sections_.push_back({Text(name), {}});
  return sections_.back();
}

std::vector<Text> TIniFile::SectionNames() const {
  std::vector<Text> names;
  names.reserve(sections_.size());
  for (const auto& s : sections_) names.push_back(s.Name);
  return names;
}

std::vector<Text> TIniFile::KeyNames(TextView section) const {
  std::vector<Text> keys;
  if (const TSection* s = FindSection(section))
    for (const auto& e : s->Entries) keys.push_back(e.Key);
  return keys;
}

std::optional<Text> TIniFile::ReadString(TextView section, TextView key) const {
  if (const TSection* s = FindSection(section))
    for (const auto& e : s->Entries)
      if (SameName(e.Key, key)) return e.Value;
  return std::nullopt;
}

int TIniFile::ReadInteger(TextView section, TextView key, int def) const {
  std::optional<Text> value = ReadString(section, key);
  if (!value) return def;
  return ParseInteger(*value).value_or(def);
}

void TIniFile::WriteString(TextView section, TextView key, Text value) {
  TSection* s = FindSection(section);
  if (!s) s = &AddSection(section);
  for (auto& e : s->Entries) {
    if (SameName(e.Key, key)) {
      e.Value = std::move(value);
      e.HasEquals = true;
      return;
    }
  }
  s->Entries.push_back({Text(key), std::move(value), true});
}

void TIniFile::WriteInteger(TextView section, TextView key, int value) {
  WriteString(section, key, DecimalText(value));
}

std::string TIniFile::Serialize() const {
  Text text;
  for (const auto& s : sections_) {
    text += u'[';
    text += s.Name;
    text += u"]\r\n";
    for (const auto& e : s.Entries) {
      text += e.Key;
      if (e.HasEquals) {
        text += u'=';
        text += e.Value;
      }
      text += u"\r\n";
    }
    text += u"\r\n";
  }
  std::string out;
  switch (encoding_) {
    case TIniEncoding::Utf8:
      out = std::string(kBomUtf8) + ToUtf8(text);
      break;
    case TIniEncoding::Utf16LE:
    case TIniEncoding::Utf16BE: {
      bool big = encoding_ == TIniEncoding::Utf16BE;
      out.reserve(2 + text.size() * 2);
      out = big ? kBomUtf16BE : kBomUtf16LE;
      AppendUtf16(out, text, big);
      break;
    }
    case TIniEncoding::Ansi:
      out = ansi_.Encode ? ansi_.Encode(text) : EncodeLatin1(text);
      break;
  }
  return out;
}

}  // namespace tovanel
