#include "codec/field_codec.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

#include "codec/greek.h"
#include "codec/number_text.h"
#include "codec/utf8.h"

namespace meridox::codec {

namespace {

using Field = std::span<std::uint8_t>;
using ConstField = std::span<const std::uint8_t>;

constexpr double kTwoTo63 = 9223372036854775808.0;

double Pow10(int exponent) {
  static constexpr std::array<double, 23> kExact = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (exponent >= 0 && exponent < static_cast<int>(kExact.size()))
    return kExact[static_cast<std::size_t>(exponent)];
  return std::pow(10.0, exponent);
}

// value x 10^dec and value / 10^dec, dividing by an exact power of ten rather than
// multiplying by an inexact 0.01.
double ScaleUp(double value, int dec) {
  return dec >= 0 ? value * Pow10(dec) : value / Pow10(-dec);
}
double ScaleDown(double value, int dec) {
  return dec >= 0 ? value / Pow10(dec) : value * Pow10(-dec);
}

// The field [pos, pos + count) lies inside a buffer of `size` bytes.
bool Fits(std::size_t size, int pos, int count) {
  if (pos < 0 || count < 0)
    return false;
  const auto start = static_cast<std::size_t>(pos);
  return start <= size && static_cast<std::size_t>(count) <= size - start;
}

// Bytes an encoder writes into and a decoder reads from, counted from the start position.
int EncodedWidth(TDCDataType kind, int iLen) {
  return kind == dtDOUBLE ? 8 : iLen;
}
int DecodedWidth(TDCDataType kind, int iLen) {
  switch (kind) {
    case dtDATETIME:
      return 6;
    case dtDATE:
      return 3;
    case dtTIME:
      return iLen >= 3 ? 3 : 2;
    case dtDOUBLE:
      return 8;
    case dtIP:
      return 4;
    default:
      return iLen;
  }
}

// What a decoder gives for a field it cannot read.
Variant EmptyValue(TDCDataType kind) {
  switch (kind) {
    case dtBIN:
    case dtDOUBLE:
      return Variant(0.0);
    case dtDATETIME:
    case dtDATE:
    case dtTIME:
      return Variant(DateTime{});
    default:
      return Variant();
  }
}

int HexValue(char32_t c) {
  if (c >= U'0' && c <= U'9')
    return static_cast<int>(c - U'0');
  if (c >= U'A' && c <= U'F')
    return static_cast<int>(c - U'A') + 10;
  if (c >= U'a' && c <= U'f')
    return static_cast<int>(c - U'a') + 10;
  return -1;
}

// The value's text without copying it when it already is one.
std::string_view TextOf(const Variant& value, std::string& storage) {
  if (const auto* text = value.AsText())
    return *text;
  storage = value.ToText();
  return storage;
}

// Packed digits, right-aligned: leading zeros become F so that they survive the decoder's
// removal of the zero bytes left of the digits. Works on the UTF-8 bytes: hexadecimal digits
// are ASCII and no byte of a longer character can pass for one, so a pair holding any part of
// such a character is invalid exactly as the character itself would be.
bool PackDigits(std::string_view text, bool trim, Field field) {
  const auto is_blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (trim) {
    while (!text.empty() && is_blank(text.front()))
      text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
      text.remove_suffix(1);
  }
  std::size_t zeros = 0;
  while (zeros < text.size() && text[zeros] == '0')
    ++zeros;
  const auto digit = [&](std::size_t i) {
    return i < zeros ? 0xF : HexValue(static_cast<unsigned char>(text[i]));
  };
  std::size_t next = text.size();  // one past the next character to pack
  std::size_t byte = field.size();
  while (next > 0 && byte > 0) {
    int high = 0;
    int low = 0;
    if (next >= 2) {
      high = digit(next - 2);
      low = digit(next - 1);
      next -= 2;
    } else {
      low = digit(0);
      next = 0;
    }
    if (high < 0 || low < 0)
      return false;
    field[--byte] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

std::string HexText(ConstField field) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(field.size() * 2);
  for (const std::uint8_t byte : field) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
  }
  return out;
}

// Removes the zero bytes left of the digits, then restores the leading zeros that the
// encoder stored as F.
std::string StripBCDPad(std::string text) {
  std::size_t zeros = 0;
  while (zeros < text.size() && text[zeros] == '0')
    ++zeros;
  text.erase(0, zeros);
  for (std::size_t i = 0; i < text.size() && text[i] == 'F'; ++i)
    text[i] = '0';
  return text;
}

// A byte of packed decimal digits: 0x16 is 16; a nibble above 9 is not a digit.
int DecimalByte(std::uint8_t byte) {
  const int high = byte >> 4;
  const int low = byte & 0x0F;
  if (high > 9 || low > 9)
    return -1;
  return high * 10 + low;
}

bool EncodeBin(const Variant& value, Field field, int iDec) {
  std::uint64_t magnitude = 0;
  bool negative = false;
  // Whole numbers are scaled exactly; everything else goes through a double.
  std::optional<std::int64_t> whole;
  if (const auto* integer = value.AsInteger())
    whole = *integer;
  else if (const auto* text = value.AsText())
    whole = ParseInteger(*text);
  bool exact = false;
  if (whole && iDec >= 0 && iDec <= 18 && *whole != std::numeric_limits<std::int64_t>::min()) {
    const auto m = static_cast<std::uint64_t>(*whole < 0 ? -*whole : *whole);
    const auto scale = static_cast<std::uint64_t>(Pow10(iDec));
    if (m <= (static_cast<std::uint64_t>(1) << 63) / scale) {
      magnitude = m * scale;
      negative = *whole < 0;
      exact = magnitude < (static_cast<std::uint64_t>(1) << 63);
    }
  }
  if (!exact) {
    const std::optional<double> number = value.ToNumber();
    if (!number || !std::isfinite(*number))
      return false;
    const double scaled = std::nearbyint(ScaleUp(std::fabs(*number), iDec));  // ties to even
    if (!(scaled < kTwoTo63))
      return false;
    magnitude = static_cast<std::uint64_t>(scaled);
    negative = std::signbit(*number) && *number != 0.0;
  }
  // A magnitude that needs more bytes than the field has would be stored cut, and a negative
  // one that reaches the sign bit would read back as another number: refuse both.
  const std::size_t width = field.size();
  if (width == 0) {
    if (magnitude != 0 || negative)
      return false;
  } else if (width < 8) {
    const unsigned bits = static_cast<unsigned>(width) * 8;
    const std::uint64_t limit = static_cast<std::uint64_t>(1) << (negative ? bits - 1 : bits);
    if (magnitude >= limit)
      return false;
  } else if (width == 8 && negative && magnitude >= (static_cast<std::uint64_t>(1) << 63)) {
    return false;
  }
  for (std::size_t i = 0; i < width; ++i) {
    const std::size_t shift_bytes = width - 1 - i;
    field[i] = shift_bytes < 8 ? static_cast<std::uint8_t>(magnitude >> (8 * shift_bytes)) : 0;
  }
  if (negative && width > 0)
    field[0] |= 0x80;
  return true;
}

double DecodeBin(ConstField field, int iDec, bool is_cardinal, bool sign_magnitude) {
  const std::size_t width = field.size();
  if (width < 1 || width > 8)
    return 0.0;
  std::uint64_t raw = 0;
  for (const std::uint8_t byte : field)
    raw = raw << 8 | byte;
  if ((field[0] & 0x80) == 0 || is_cardinal)
    return ScaleDown(static_cast<double>(raw), iDec);
  const unsigned bits = static_cast<unsigned>(width) * 8;
  const std::uint64_t sign = static_cast<std::uint64_t>(1) << (bits - 1);
  if (sign_magnitude) {
    const std::uint64_t magnitude = raw & ~sign;
    return magnitude == 0 ? 0.0 : -ScaleDown(static_cast<double>(magnitude), iDec);
  }
  // Two's complement: raw - 2^bits.
  const std::uint64_t magnitude = bits == 64 ? ~raw + 1 : (sign << 1) - raw;
  return -ScaleDown(static_cast<double>(magnitude), iDec);
}

bool EncodeAsc(const Variant& value, Field field) {
  std::string storage;
  const std::string_view text = TextOf(value, storage);
  std::size_t pos = 0;
  std::size_t written = 0;
  while (pos < text.size() && written < field.size()) {
    const char32_t c = NextCodePoint(text, pos);
    if (c == 0) {
      break;
    }
    field[written++] = static_cast<std::uint8_t>(c & 0xFF);
  }
  if (written < field.size())
    field[written] = 0;
  return true;
}

std::string DecodeAsc(ConstField field) {
  std::string out;
  for (const std::uint8_t byte : field) {
    if (byte == 0)
      break;
    AppendUtf8(out, byte == 0x01 ? U' ' : static_cast<char32_t>(byte));
  }
  return out;
}

bool EncodeGreecAsc(const Variant& value, Field field) {
  std::string storage;
  const std::string_view source = TextOf(value, storage);
  std::size_t pos = 0;
  std::size_t written = 0;
  while (pos < source.size() && written < field.size())
    field[written++] = CharToGreekByte(NextCodePoint(source, pos));
  return true;
}

DateTime DateTimeOrThrow(const Variant& value) {
  const std::optional<DateTime> moment = value.ToDateTime();
  if (!moment)
    throw ConversionError("'" + value.ToText() + "' is not a valid date and time");
  return *moment;
}

std::string DigitsText(const DateTimeParts& p, bool with_time) {
  char buffer[32];
  int n = 0;
  if (with_time)
    n = std::snprintf(buffer, sizeof buffer, "%02d%02d%02d%02d%02d%02d", p.year % 100, p.month,
                      p.day, p.hour, p.minute, p.second);
  else
    n = std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", p.year, p.month, p.day);
  return std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

Variant DecodeDateTime(ConstField field, bool with_date, bool with_time, bool with_seconds) {
  int parts[6] = {0, 12, 30, 0, 0, 0};  // YY MM DD hh mm ss; day zero for a time alone
  std::size_t index = 0;
  const std::size_t first = with_date ? 0 : 3;
  const std::size_t last = with_time ? (with_seconds ? 6 : 5) : 3;
  for (std::size_t part = first; part < last; ++part, ++index) {
    const int number = DecimalByte(field[index]);
    if (number < 0)
      return Variant(DateTime{});
    parts[part] = number;
  }
  const int year = with_date ? 2000 + parts[0] : 1899;
  const auto moment =
      DateTime::FromParts(year, parts[1], parts[2], parts[3], parts[4], parts[5], 0);
  return Variant(moment.value_or(DateTime{}));
}

bool EncodeDouble(const Variant& value, Field field, int iDec) {
  std::optional<double> number;
  if (const auto* text = value.AsText())
    number = ParseDecimal(*text);
  else if (const auto* integer = value.AsInteger())
    number = static_cast<double>(*integer);
  else if (const auto* floating = value.AsFloat())
    number = *floating;
  if (!number)
    return false;  // a date-time's text is not a number
  const auto bits = std::bit_cast<std::uint64_t>(ScaleUp(*number, iDec));
  for (std::size_t i = 0; i < 8; ++i)
    field[i] = static_cast<std::uint8_t>(bits >> (8 * (7 - i)));
  return true;
}

double DecodeDouble(ConstField field, int iDec) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i)
    bits = bits << 8 | field[i];
  const double value = ScaleDown(std::bit_cast<double>(bits), iDec);
  return std::isfinite(value) ? value : 0.0;
}

std::string DecodeIp(ConstField field) {
  char buffer[20];
  const int n =
      std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", field[0], field[1], field[2], field[3]);
  return std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

// One field, bounds already part of the contract: `buf` is the whole buffer.
bool EncodeField(TDCDataType kind, const Variant& value, Field buf, int pos, int iLen, int iDec) {
  if (kind == dtTIME || kind == dtIP)
    return false;
  // The date kinds fail loudly on a value without a date-time form, before anything else.
  std::string digits;
  if (kind == dtDATETIME || kind == dtDATE)
    digits = DigitsText(DateTimeOrThrow(value).Parts(), kind == dtDATETIME);
  const int width = EncodedWidth(kind, iLen);
  if (!Fits(buf.size(), pos, width))
    return false;
  const Field field = buf.subspan(static_cast<std::size_t>(pos), static_cast<std::size_t>(width));
  switch (kind) {
    case dtBCD:
    case dtDBCD:
    case dtBCDE: {
      std::string storage;
      return PackDigits(TextOf(value, storage), kind != dtBCDE, field);
    }
    case dtDATETIME:
    case dtDATE:
      return PackDigits(digits, true, field);
    case dtBIN:
      return EncodeBin(value, field, iDec);
    case dtASC:
      return EncodeAsc(value, field);
    case dtGreecAsc:
      return EncodeGreecAsc(value, field);
    case dtDOUBLE:
      return EncodeDouble(value, field, iDec);
    default:
      return false;
  }
}

Variant DecodeField(TDCDataType kind, ConstField buf, int pos, int iLen, int iDec, bool is_cardinal,
                    bool sign_magnitude) {
  const int width = DecodedWidth(kind, iLen);
  if (!Fits(buf.size(), pos, width))
    return EmptyValue(kind);
  const ConstField field =
      buf.subspan(static_cast<std::size_t>(pos), static_cast<std::size_t>(width));
  switch (kind) {
    case dtBCD:
      return Variant(HexText(field));
    case dtBCDE:
    case dtDBCD:
      return Variant(StripBCDPad(HexText(field)));
    case dtBIN:
      return Variant(DecodeBin(field, iDec, is_cardinal, sign_magnitude));
    case dtASC:
      return Variant(DecodeAsc(field));
    case dtGreecAsc:
      return Variant(DecodeGreek(field));
    case dtDATETIME:
      return DecodeDateTime(field, true, true, true);
    case dtDATE:
      return DecodeDateTime(field, true, false, false);
    case dtTIME:
      return DecodeDateTime(field, false, true, width >= 3);
    case dtDOUBLE:
      return Variant(DecodeDouble(field, iDec));
    case dtIP:
      return Variant(DecodeIp(field));
  }
  return Variant();
}

}  // namespace

bool TccEncode::DataToBuf(TDCDataType sType, const Variant& sVal, std::span<std::uint8_t> Buf,
                          int& iStartPos, int iLen, int iDec) const {
  const bool result = EncodeField(sType, sVal, Buf, iStartPos, iLen, iDec);
  if (FIsinclen)
    iStartPos += iLen;
  return result;
}

Variant TccEncode::BufToData(TDCDataType sType, std::span<const std::uint8_t> Buf, int& iStartPos,
                             int iLen, int iDec) const {
  Variant result = DecodeField(sType, Buf, iStartPos, iLen, iDec, FIsCardinal, FNegative);
  if (FIsinclen)
    iStartPos += iLen;
  return result;
}

bool TccEncode::DataToBufArr(TDCDataType sType, const Variant& sVal, std::span<std::uint8_t> Buf,
                             int& iStartPos, int iLen, int iDec) const {
  bool result = false;
  if (Fits(Buf.size(), iStartPos, iLen)) {
    std::vector<std::uint8_t> temp(static_cast<std::size_t>(iLen), 0);
    result = EncodeField(sType, sVal, temp, 0, iLen, iDec);
    std::copy(temp.begin(), temp.end(), Buf.begin() + iStartPos);
  } else if (sType == dtDATETIME || sType == dtDATE) {
    DateTimeOrThrow(sVal);  // the same error as for a field inside the buffer
  }
  if (FIsinclen)
    iStartPos += iLen;
  return result;
}

Variant TccEncode::BufToDataArr(TDCDataType sType, std::span<const std::uint8_t> Buf,
                                int& iStartPos, int iLen, int iDec) const {
  Variant result = EmptyValue(sType);
  if (Fits(Buf.size(), iStartPos, iLen))
    result = DecodeField(
        sType, Buf.subspan(static_cast<std::size_t>(iStartPos), static_cast<std::size_t>(iLen)), 0,
        iLen, iDec, FIsCardinal, FNegative);
  if (FIsinclen)
    iStartPos += iLen;
  return result;
}

std::string TccEncode::TransToGreec(std::string_view Source) const {
  return std::string(Source);
}

bool TccEncode::TransFileToGreec(std::vector<std::uint8_t>& Stream) const {
  if (Stream.empty())
    return false;
  const std::string text = DecodeGreek(Stream);
  if (text.empty())
    return false;
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2 + 2);
  const auto put_unit = [&out](char32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  };
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = NextCodePoint(text, pos);
    if (c >= 0x10000) {
      put_unit(0xD800 + ((c - 0x10000) >> 10));
      put_unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put_unit(c);
    }
  }
  put_unit(0);
  Stream = std::move(out);
  return true;
}

}  // namespace meridox::codec
