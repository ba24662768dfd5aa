// Property checks on the way a command file's bytes become ECR requests: decoding in
// each file encoding, line splitting, the line parser and the packer. Shared by the
// libFuzzer entry and the corpus replay test; an empty text means every property held.
#pragma once

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "codec/field_codec.h"
#include "codec/utf8.h"
#include "jobs/command_file.h"
#include "jobs/text_encoding.h"
#include "packing/command.h"
#include "packing/packed_data.h"
#include "packing/packer.h"
#include "text_checks.h"

namespace meridox::fuzz {

namespace detail {

inline bool IsSingleByte(jobs::TTextEncodingKind kind) {
  return kind != jobs::TTextEncodingKind::teDefault;
}

// Decoding yields UTF-8; a single-byte encoding gives one character per byte, keeps ASCII
// as it is, and encoding the text again gives the bytes back, '?' standing for the bytes
// it does not define.
inline std::string CheckDecoding(const jobs::TTextEncoding& encoding, std::string_view bytes,
                                 const std::string& text) {
  std::vector<char32_t> chars;
  if (!CodePointsOf(text, chars)) {
    return "decoded text is not UTF-8";
  }
  if (!IsSingleByte(encoding.Kind())) {
    return {};
  }
  if (chars.size() != bytes.size()) {
    return "decoded text has " + std::to_string(chars.size()) + " characters for " +
           std::to_string(bytes.size()) + " bytes";
  }
  const std::string again = encoding.Encode(text);
  if (again.size() != bytes.size()) {
    return "encoding the decoded text changed its length";
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80 && chars[i] != byte) {
      return "ASCII byte " + std::to_string(byte) + " decoded as another character";
    }
    const bool undefined = chars[i] == 0xFFFD;
    if (again[i] != (undefined ? jobs::kEncodingDefaultChar : bytes[i])) {
      return "byte " + std::to_string(byte) + " does not survive decoding and encoding";
    }
  }
  return {};
}

// Encoding any text, well-formed or not, gives one byte per character in a single-byte
// encoding.
inline std::string CheckEncoding(const jobs::TTextEncoding& encoding, std::string_view utf8) {
  const std::string bytes = encoding.Encode(utf8);
  if (!IsSingleByte(encoding.Kind())) {
    return {};
  }
  std::size_t characters = 0;
  for (std::size_t at = 0; at < utf8.size(); ++characters) {
    codec::NextCodePoint(utf8, at);
  }
  if (bytes.size() != characters) {
    return "encoded " + std::to_string(characters) + " characters into " +
           std::to_string(bytes.size()) + " bytes";
  }
  return {};
}

// The lines put back together with LF are the text with every break made an LF and one
// final break dropped.
inline std::string CheckLines(std::string_view text, const std::vector<std::string>& lines) {
  std::string normalised;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      normalised += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
    } else {
      normalised += text[i];
    }
  }
  if (!normalised.empty() && normalised.back() == '\n') {
    normalised.pop_back();
  } else if (normalised.empty() && !lines.empty()) {
    return "an empty text has lines";
  }
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find_first_of("\r\n") != std::string::npos) {
      return "a line holds a line break";
    }
    joined += (i == 0 ? "" : "\n") + lines[i];
  }
  if (joined != normalised) {
    return "lines do not put the text back together";
  }
  return {};
}

inline std::string CheckBlank(const std::string& line) {
  bool onlyLow = true;
  bool hasAlnum = false;
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    onlyLow = onlyLow && b <= 0x20;
    hasAlnum = hasAlnum || (b < 0x80 && std::isalnum(b) != 0);
  }
  if (onlyLow && !jobs::IsBlankLine(line)) {
    return "a line of blanks and controls is not blank";
  }
  if (hasAlnum && jobs::IsBlankLine(line)) {
    return "a line with letters or digits is blank";
  }
  return {};
}

inline char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A one-character delimiter: n delimiters give the keyword and n fields, which put back
// together with the delimiter are the line (the keyword in any ASCII case).
inline std::string CheckFetch(const std::string& line, char delimiter,
                              const packing::TCommandData& command) {
  const std::size_t cut = line.find(delimiter);
  const std::string keyword = line.substr(0, cut);
  const packing::TCommandKind kind = packing::TCommand::FindCommandKind(keyword);
  if (command.Kind != kind) {
    return "keyword \"" + HexOf(keyword) + "\" parsed as another kind";
  }
  if (kind != packing::TCommandKind::ckUnSupport) {
    std::string folded = keyword;
    for (char& c : folded) {
      c = FoldAscii(c);
    }
    if (folded != packing::KeywordOf(kind)) {
      return "keyword matched although it differs";
    }
  }
  if (kind == packing::TCommandKind::ckUnSupport) {
    return command.Data.empty() ? std::string{} : "unsupported line has fields";
  }
  const auto delimiters = static_cast<std::size_t>(std::count(line.begin(), line.end(), delimiter));
  if (command.Data.size() != delimiters) {
    return std::to_string(delimiters) + " delimiters gave " + std::to_string(command.Data.size()) +
           " fields";
  }
  std::string joined = keyword;
  for (const std::string& field : command.Data) {
    joined += delimiter + field;
  }
  return joined == line ? std::string{} : "fields do not put the line back together";
}

// Plain decimal texts read as the standard parser reads them; a text with a mark is never a
// whole number.
inline std::string CheckNumbers(const packing::TPacker& packer, const std::string& field) {
  const bool comma = packer.DecimalType() == packing::TDecimalType::dtComma;
  const char mark = comma ? ',' : '.';
  bool plain = !field.empty() && field.size() <= 15;
  std::size_t marks = 0;
  for (std::size_t i = 0; i < field.size() && plain; ++i) {
    const char c = field[i];
    if (c == mark) {
      ++marks;
    } else if (!(c >= '0' && c <= '9') && !(i == 0 && c == '-')) {
      plain = false;
    }
  }
  const bool hasDigit = field.find_first_of("0123456789") != std::string::npos;
  plain = plain && marks <= 1 && hasDigit && field.back() != mark && field.front() != mark &&
          !(field.size() > 1 && field[0] == '-' && field[1] == mark);
  if (field.find_first_of(",.") != std::string::npos && packer.ParseInt(field, -77) != -77) {
    return "a text with a decimal mark read as a whole number";
  }
  if (!plain) {
    return {};
  }
  if (marks == 0) {
    std::int32_t expected = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), expected);
    if (error == std::errc{} && end == field.data() + field.size() &&
        packer.ParseInt(field, expected == -77 ? -78 : -77) != expected) {
      return "whole number \"" + field + "\" read wrongly";
    }
  }
  std::string dotted = field;
  std::replace(dotted.begin(), dotted.end(), mark, '.');
  double expected = 0;
  const auto [end, error] = std::from_chars(dotted.data(), dotted.data() + dotted.size(), expected);
  if (error == std::errc{} && end == dotted.data() + dotted.size()) {
    const double got = packer.ParseFloat(field, -7.5);
    if (std::fabs(got - expected) > 1e-9 * std::max(1.0, std::fabs(expected))) {
      return "number \"" + field + "\" read as " + std::to_string(got);
    }
  }
  return {};
}

inline std::string CheckPacked(const packing::TCommandData& command, bool ok,
                               const packing::TPackedDatas& packed) {
  static const std::set<std::uint32_t> kKnown = {0,
                                                 packing::kCmdConnect,
                                                 packing::kCmdDisConnect,
                                                 packing::kCmdClerk,
                                                 packing::kCmdSale,
                                                 packing::kCmdFreeText,
                                                 packing::kCmdGeneral,
                                                 packing::kCmdTailMsg,
                                                 packing::kCmdInvoice,
                                                 packing::kCmdTableTransfer,
                                                 packing::kCmdCloseTable,
                                                 packing::kCmdTable,
                                                 packing::kCmdCloseTempTable,
                                                 packing::kCmdPrintReport};
  using K = packing::TCommandKind;
  if (!ok) {
    return packed.empty() ? std::string{} : "a failed command left requests";
  }
  if (command.Kind == K::ckUnSupport) {
    return packed.empty() ? std::string{} : "an unsupported line gave requests";
  }
  if (packed.empty()) {
    return "a packed command gave no request";
  }
  const bool report = command.Kind == K::ckZReport || command.Kind == K::ckXReport;
  for (const packing::TPackedData& request : packed) {
    if (kKnown.count(request.Command) == 0) {
      return "unknown command ID " + std::to_string(request.Command);
    }
    if ((request.Command == 0) != report || (report && !request.Data.empty())) {
      return "the empty request outside a daily report";
    }
    if (request.Data.size() > 0xFFFF) {
      return "payload larger than a frame carries";
    }
  }
  return {};
}

}  // namespace detail

// The control byte picks the encoding, the decimal mark and the delimiter; the rest is the
// bytes of a command file. Every line is parsed and packed, with one packer for the file as
// the job manager does it.
inline std::string CommandLineTarget(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return {};
  }
  static constexpr std::array<jobs::TTextEncodingKind, 5> kEncodings = {
      jobs::TTextEncodingKind::teDefault, jobs::TTextEncodingKind::teASCII,
      jobs::TTextEncodingKind::te437, jobs::TTextEncodingKind::te737,
      jobs::TTextEncodingKind::te1253};
  static constexpr std::array<char, 4> kDelimiters = {'/', ';', '\t', '|'};
  const std::uint8_t control = data[0];
  const jobs::TTextEncoding encoding(kEncodings[(control & 7) % kEncodings.size()]);
  const char delimiter = kDelimiters[(control >> 4) & 3];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string text = encoding.Decode(bytes);
  if (std::string f = detail::CheckDecoding(encoding, bytes, text); !f.empty()) {
    return std::string(encoding.Name()) + ": " + f;
  }
  if (std::string f = detail::CheckEncoding(encoding, bytes); !f.empty()) {
    return std::string(encoding.Name()) + ": " + f;
  }
  const std::vector<std::string> lines = jobs::SplitLines(text);
  if (std::string f = detail::CheckLines(text, lines); !f.empty()) {
    return f;
  }
  if (jobs::DecodeLines(bytes, encoding) != lines) {
    return "decoded lines differ from the split decoded text";
  }

  codec::TccEncode codec;
  packing::TPacker packer(codec);
  packer.SetDecimalType((control & 8) != 0 ? packing::TDecimalType::dtDot
                                           : packing::TDecimalType::dtComma);
  for (const std::string& line : lines) {
    if (std::string f = detail::CheckBlank(line); !f.empty()) {
      return f;
    }
    const packing::TCommandData command =
        packing::TCommand::FetchCommand(line, std::string_view(&delimiter, 1));
    if (std::string f = detail::CheckFetch(line, delimiter, command); !f.empty()) {
      return f;
    }
    for (const std::string& field : command.Data) {
      if (std::string f = detail::CheckNumbers(packer, field); !f.empty()) {
        return f;
      }
    }
    packing::TPackedDatas packed{{1, {1}}};
    const bool ok = packer.PackData(command, packed);
    if (std::string f = detail::CheckPacked(command, ok, packed); !f.empty()) {
      return std::string(packing::KeywordOf(command.Kind)) + ": " + f;
    }
  }
  // A delimiter of several characters, cut without overlap, case-insensitively.
  for (const std::string& line : lines) {
    const packing::TCommandData command = packing::TCommand::FetchCommand(line, "Ab");
    if (command.Kind == packing::TCommandKind::ckUnSupport && !command.Data.empty()) {
      return "unsupported line has fields";
    }
  }
  return {};
}

}  // namespace meridox::fuzz
