// Property checks on the decoders of ECR answer payloads: every field kind at a position,
// length and decimals taken from the input, the Greek code, the file conversion and the
// item record of an answer. Shared by the libFuzzer entry and the corpus replay test; an
// empty text means every property held.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/field_codec.h"
#include "codec/greek.h"
#include "codec/variant.h"
#include "packing/sale_data.h"
#include "text_checks.h"

namespace meridox::fuzz {

namespace detail {

using codec::TDCDataType;

// How many bytes from the start position a kind reads, as the codec's header describes it.
inline int ReadWidth(TDCDataType kind, int len) {
  switch (kind) {
    case codec::dtDATETIME:
      return 6;
    case codec::dtDATE:
      return 3;
    case codec::dtTIME:
      return len >= 3 ? 3 : 2;
    case codec::dtDOUBLE:
      return 8;
    case codec::dtIP:
      return 4;
    default:
      return len;
  }
}

inline codec::Variant EmptyOf(TDCDataType kind) {
  switch (kind) {
    case codec::dtBIN:
    case codec::dtDOUBLE:
      return codec::Variant(0.0);
    case codec::dtDATETIME:
    case codec::dtDATE:
    case codec::dtTIME:
      return codec::Variant(codec::DateTime{});
    default:
      return codec::Variant();
  }
}

inline bool Inside(std::size_t size, int pos, int width) {
  return pos >= 0 && width >= 0 && static_cast<std::size_t>(pos) <= size &&
         static_cast<std::size_t>(width) <= size - static_cast<std::size_t>(pos);
}

// Equal values; NaN read twice from the same bytes counts as the same.
inline bool Same(const codec::Variant& a, const codec::Variant& b) {
  return a.type() == b.type() && a.ToText() == b.ToText();
}

// The buffer with every byte outside [pos, pos + width) changed.
inline std::vector<std::uint8_t> Disturbed(std::span<const std::uint8_t> buf, int pos, int width) {
  std::vector<std::uint8_t> out(buf.begin(), buf.end());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const bool inField = pos >= 0 && i >= static_cast<std::size_t>(pos) &&
                         i - static_cast<std::size_t>(pos) < static_cast<std::size_t>(width);
    if (!inField) {
      out[i] = static_cast<std::uint8_t>(out[i] ^ 0xA5);
    }
  }
  return out;
}

inline std::string CheckValue(TDCDataType kind, const codec::Variant& v,
                              std::span<const std::uint8_t> buf, int pos, int len, int dec,
                              const codec::TccEncode& codec) {
  if (!IsUtf8(v.ToText())) {
    return "value is not UTF-8 text";
  }
  if (!Inside(buf.size(), pos, ReadWidth(kind, len))) {
    return {};
  }
  const auto field = buf.subspan(static_cast<std::size_t>(pos));
  if (kind == codec::dtBCD) {
    const std::string* text = v.AsText();
    if (text == nullptr || text->size() != 2 * static_cast<std::size_t>(len) ||
        text->find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
      return "BCD field not read as two hex digits a byte";
    }
  }
  if (kind == codec::dtIP) {
    const std::string expected = std::to_string(field[0]) + "." + std::to_string(field[1]) + "." +
                                 std::to_string(field[2]) + "." + std::to_string(field[3]);
    if (v.ToText() != expected) {
      return "address read as " + v.ToText();
    }
  }
  if (kind == codec::dtBIN && dec == 0 && len >= 1 && len <= 6) {
    const auto number = v.ToNumber();
    if (!number || *number != std::floor(*number) ||
        std::fabs(*number) >= std::ldexp(1.0, 8 * len)) {
      return "binary field read as " + v.ToText();
    }
    if (codec.IsCardinal()) {
      double expected = 0;
      for (int i = 0; i < len; ++i) {
        expected = expected * 256 + field[static_cast<std::size_t>(i)];
      }
      if (*number != expected) {
        return "unsigned binary field read as " + v.ToText();
      }
    }
  }
  return {};
}

// One field of each kind through both readers.
inline std::string CheckField(const codec::TccEncode& codec, TDCDataType kind,
                              std::span<const std::uint8_t> buf, int pos, int len, int dec) {
  const int advance = codec.Isinclen() ? len : 0;
  int at = pos;
  const codec::Variant v = codec.BufToData(kind, buf, at, len, dec);
  if (at != pos + advance) {
    return "position did not advance by the length";
  }
  const int width = ReadWidth(kind, len);
  if (!Inside(buf.size(), pos, width) && !Same(v, EmptyOf(kind))) {
    return "field outside the buffer read as " + v.ToText();
  }
  const auto disturbed = Disturbed(buf, pos, width);
  at = pos;
  if (!Same(codec.BufToData(kind, disturbed, at, len, dec), v)) {
    return "value depends on bytes outside the field";
  }
  if (std::string f = CheckValue(kind, v, buf, pos, len, dec, codec); !f.empty()) {
    return f;
  }

  at = pos;
  const codec::Variant arr = codec.BufToDataArr(kind, buf, at, len, dec);
  if (at != pos + advance) {
    return "array form: position did not advance by the length";
  }
  if (!Inside(buf.size(), pos, len) && !Same(arr, EmptyOf(kind))) {
    return "array form: field outside the buffer read as " + arr.ToText();
  }
  const auto disturbedArr = Disturbed(buf, pos, len);
  at = pos;
  if (!Same(codec.BufToDataArr(kind, disturbedArr, at, len, dec), arr)) {
    return "array form: value depends on bytes outside the field";
  }
  if (Inside(buf.size(), pos, len) && width <= len && !Same(arr, v)) {
    return "array form reads " + arr.ToText() + ", direct form " + v.ToText();
  }
  if (!IsUtf8(arr.ToText())) {
    return "array form: value is not UTF-8 text";
  }

  // Writing a text read from a field and reading it again gives the same text.
  if ((kind == codec::dtASC || kind == codec::dtGreecAsc) && Inside(buf.size(), pos, len)) {
    std::vector<std::uint8_t> field(static_cast<std::size_t>(len), 0);
    int w = 0;
    codec.DataToBuf(kind, v, field, w, len, dec);
    int r = 0;
    const codec::Variant again = codec.BufToData(kind, field, r, len, dec);
    if (!Same(again, v)) {
      return "text \"" + v.ToText() + "\" written and read as \"" + again.ToText() + "\"";
    }
  }
  return {};
}

inline std::string CheckGreek(std::span<const std::uint8_t> bytes) {
  const std::string text = codec::DecodeGreek(bytes);
  std::vector<char32_t> chars;
  if (!CodePointsOf(text, chars)) {
    return "Greek text is not UTF-8";
  }
  if (chars.size() > bytes.size()) {
    return "more characters than bytes";
  }
  if (!chars.empty() && chars.back() <= 0x20) {
    return "trailing blank or control kept";
  }
  const std::vector<std::uint8_t> encoded = codec::EncodeGreek(text);
  if (encoded.size() != chars.size()) {
    return "encoding gave " + std::to_string(encoded.size()) + " bytes for " +
           std::to_string(chars.size()) + " characters";
  }
  if (codec::DecodeGreek(encoded) != text) {
    return "decoded text does not survive encoding";
  }
  if (codec::EncodeGreek(text, 3).size() > 3) {
    return "more characters than the limit";
  }

  codec::TccEncode codec;
  std::vector<std::uint8_t> stream(bytes.begin(), bytes.end());
  const bool converted = codec.TransFileToGreec(stream);
  if (text.empty()) {
    if (converted || !std::equal(stream.begin(), stream.end(), bytes.begin(), bytes.end())) {
      return "empty decoding converted or changed the stream";
    }
    return {};
  }
  std::vector<std::uint8_t> expected;
  const auto unit = [&expected](char32_t u) {
    expected.push_back(static_cast<std::uint8_t>(u & 0xFF));
    expected.push_back(static_cast<std::uint8_t>((u >> 8) & 0xFF));
  };
  for (const char32_t c : chars) {
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  unit(0);
  if (!converted || stream != expected) {
    return "file conversion differs from the UTF-16 form of the decoded text";
  }
  return {};
}

inline std::string CheckSaleRecord(const codec::TccEncode& codec,
                                   std::span<const std::uint8_t> bytes) {
  packing::TSaleData sale(codec);
  sale.SetSaleType(packing::TSaleType::stTicket);
  const bool read = sale.UnExecute(bytes);
  const std::size_t needed = sale.Mode() == packing::TFiscatMode::fcmPLU ? 67 : 14;
  if (read && bytes.size() < needed) {
    return "record read from " + std::to_string(bytes.size()) + " bytes";
  }
  if (!read) {
    if (bytes.size() >= 2 && bytes.size() >= needed) {
      return "whole record of " + std::to_string(bytes.size()) + " bytes refused";
    }
    if (sale.SaleType() != packing::TSaleType::stTicket) {
      return "refused record changed the sale type";
    }
    return {};
  }
  if (!IsUtf8(sale.Name()) || !IsUtf8(sale.BarCode())) {
    return "record texts are not UTF-8";
  }
  const char letter = static_cast<char>(bytes[0]);
  const bool plu = sale.Mode() == packing::TFiscatMode::fcmPLU;
  if (letter == 'S' &&
      sale.SaleType() != (plu ? packing::TSaleType::stPLUSale : packing::TSaleType::stDepSale)) {
    return "sale letter read as another type";
  }
  if (letter == 'R' && sale.SaleType() != (plu ? packing::TSaleType::stPLUReturn
                                               : packing::TSaleType::stDepReturn)) {
    return "refund letter read as another type";
  }
  if (!plu && !sale.Name().empty()) {
    return "department record has a name";
  }
  return {};
}

}  // namespace detail

// Five control bytes (flags, start position, length, decimals, first kind), then the
// payload. Every kind is read at that place; the payload also goes through the Greek
// decoders and, as an answer, through the item record reader.
inline std::string AnswerDecoderTarget(const std::uint8_t* data, std::size_t size) {
  if (size < 5) {
    return {};
  }
  const std::uint8_t flags = data[0];
  const int pos = static_cast<std::int8_t>(data[1]);
  const int len = static_cast<std::int8_t>(data[2]);
  const int dec = static_cast<std::int8_t>(data[3]) % 13;
  const int first = data[4] % 11;
  const std::span<const std::uint8_t> buf(data + 5, size - 5);

  codec::TccEncode codec;
  codec.SetIsinclen((flags & 1) == 0);
  codec.SetNegative((flags & 2) == 0);
  codec.SetIsCardinal((flags & 4) != 0);
  for (int k = 0; k < 11; ++k) {
    const auto kind = static_cast<codec::TDCDataType>((first + k) % 11);
    if (std::string f = detail::CheckField(codec, kind, buf, pos, len, dec); !f.empty()) {
      return "kind " + std::to_string(kind) + " at " + std::to_string(pos) + ", length " +
             std::to_string(len) + ", decimals " + std::to_string(dec) + ": " + f;
    }
  }
  // Consecutive fields over the whole payload, each as long as the length byte says.
  if (len > 0) {
    int at = 0;
    for (int k = 0; at < static_cast<int>(buf.size()) && k < 64; ++k) {
      const auto kind = static_cast<codec::TDCDataType>((first + k) % 11);
      if (!IsUtf8(codec.BufToData(kind, buf, at, len, dec).ToText())) {
        return "consecutive field is not UTF-8 text";
      }
      if (!codec.Isinclen()) {
        at += len;
      }
    }
  }
  if (std::string f = detail::CheckGreek(buf); !f.empty()) {
    return "Greek: " + f;
  }
  // The record reader lays its fields end to end, which needs the advancing position.
  codec.SetIsinclen(true);
  if (std::string f = detail::CheckSaleRecord(codec, buf); !f.empty()) {
    return "item record: " + f;
  }
  return {};
}

}  // namespace meridox::fuzz
