#include "jobs/text_encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <unordered_map>

#include "codec/utf8.h"
#include "platform/ansi_text.h"

namespace meridox::jobs {

namespace {

constexpr char16_t kNone = 0xFFFD;
constexpr unsigned kUtf8CodePage = 65001;

using HighHalf = std::array<char16_t, 128>;

// Bytes 0x80..0xFF; the low half of every table is ASCII.
constexpr HighHalf kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  //
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  //
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  //
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  //
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  //
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  //
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  //
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  //
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  //
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  //
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  //
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr HighHalf kCp737 = {
    0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397, 0x0398,  //
    0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F, 0x03A0,  //
    0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7, 0x03A8, 0x03A9,  //
    0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7, 0x03B8,  //
    0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF, 0x03C0,  //
    0x03C1, 0x03C3, 0x03C2, 0x03C4, 0x03C5, 0x03C6, 0x03C7, 0x03C8,  //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  //
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  //
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  //
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  //
    0x03C9, 0x03AC, 0x03AD, 0x03AE, 0x03CA, 0x03AF, 0x03CC, 0x03CD,  //
    0x03CB, 0x03CE, 0x0386, 0x0388, 0x0389, 0x038A, 0x038C, 0x038E,  //
    0x038F, 0x00B1, 0x2265, 0x2264, 0x03AA, 0x03AB, 0x00F7, 0x2248,  //
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// The bytes Windows leaves undefined in 1253 decode to U+FFFD on both systems.
constexpr HighHalf kCp1253 = {
    0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    kNone,  0x2030, kNone,  0x2039, kNone,  kNone,  kNone,  kNone,   //
    kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    kNone,  0x2122, kNone,  0x203A, kNone,  kNone,  kNone,  kNone,   //
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  //
    0x00A8, 0x00A9, kNone,  0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015,  //
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7,  //
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F,  //
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397,  //
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F,  //
    0x03A0, 0x03A1, kNone,  0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7,  //
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF,  //
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7,  //
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF,  //
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7,  //
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, kNone,
};

const HighHalf* TableOf(TTextEncodingKind kind) {
  switch (kind) {
    case TTextEncodingKind::te437:
      return &kCp437;
    case TTextEncodingKind::te737:
      return &kCp737;
    case TTextEncodingKind::te1253:
      return &kCp1253;
    default:
      return nullptr;
  }
}

// The reverse of one table, built once.
const std::unordered_map<char32_t, char>& ReverseOf(const HighHalf& table) {
  static const auto build = [](const HighHalf& t) {
    std::unordered_map<char32_t, char> map;
    for (std::size_t i = 0; i < t.size(); ++i)
      if (t[i] != kNone)
        map.emplace(t[i], static_cast<char>(0x80 + i));
    return map;
  };
  static const std::unordered_map<char32_t, char> r437 = build(kCp437);
  static const std::unordered_map<char32_t, char> r737 = build(kCp737);
  static const std::unordered_map<char32_t, char> r1253 = build(kCp1253);
  if (&table == &kCp437)
    return r437;
  if (&table == &kCp737)
    return r737;
  return r1253;
}

// Valid UTF-8 out of whatever came in: malformed sequences become U+FFFD.
std::string SanitizedUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++pos;
      continue;
    }
    codec::AppendUtf8(out, codec::NextCodePoint(text, pos));
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<TTextEncoding> TTextEncoding::FromName(std::string_view name) {
  if (EqualsNoCase(name, "Default"))
    return TTextEncoding(TTextEncodingKind::teDefault);
  if (EqualsNoCase(name, "ASCII"))
    return TTextEncoding(TTextEncodingKind::teASCII);
  if (name == "437")
    return TTextEncoding(TTextEncodingKind::te437);
  if (name == "737")
    return TTextEncoding(TTextEncodingKind::te737);
  if (name == "1253")
    return TTextEncoding(TTextEncodingKind::te1253);
  return std::nullopt;
}

std::string_view TTextEncoding::Name() const {
  switch (kind_) {
    case TTextEncodingKind::teDefault:
      return "Default";
    case TTextEncodingKind::teASCII:
      return "ASCII";
    case TTextEncodingKind::te437:
      return "437";
    case TTextEncodingKind::te737:
      return "737";
    case TTextEncodingKind::te1253:
      return "1253";
  }
  return "Default";
}

std::string TTextEncoding::Decode(std::string_view bytes) const {
  if (kind_ == TTextEncodingKind::teDefault) {
    if (platform::AnsiCodePage() == kUtf8CodePage)
      return SanitizedUtf8(bytes);
    return SanitizedUtf8(platform::Utf8FromAnsi(bytes));
  }
  const HighHalf* table = TableOf(kind_);
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80)
      out += c;
    else if (table == nullptr)
      codec::AppendUtf8(out, kNone);
    else
      codec::AppendUtf8(out, (*table)[byte - 0x80]);
  }
  return out;
}

std::string TTextEncoding::Encode(std::string_view utf8) const {
  if (kind_ == TTextEncodingKind::teDefault) {
    const std::string clean = SanitizedUtf8(utf8);
    if (platform::AnsiCodePage() == kUtf8CodePage)
      return clean;
    return platform::AnsiFromUtf8(clean);
  }
  const HighHalf* table = TableOf(kind_);
  const std::unordered_map<char32_t, char>* reverse =
      table == nullptr ? nullptr : &ReverseOf(*table);
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++pos;
      continue;
    }
    const char32_t cp = codec::NextCodePoint(utf8, pos);
    if (reverse != nullptr) {
      const auto it = reverse->find(cp);
      if (it != reverse->end()) {
        out += it->second;
        continue;
      }
    }
    out += kEncodingDefaultChar;
  }
  return out;
}

}  // namespace meridox::jobs
