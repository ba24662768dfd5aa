// The field codec: converts one value to or from one fixed-width binary field of an ECR
// request payload or answer. Callers lay fields end to end by passing the same buffer and
// the same position variable to consecutive calls; the position advances by iLen after each
// call (when Isinclen is set), also after a failed one, so later fields keep their places.
//
// Buffers are the caller's and are never resized. Every call checks that the bytes the kind
// touches lie inside the buffer: a field partly or wholly outside makes DataToBuf write
// nothing and return false, and BufToData return the kind's empty value (empty text, 0, or
// the date-time zero); the position still advances. Bytes of a field that the kind does not
// write keep their previous content.
//
// Numbers are converted from and to text with "." as decimal separator, whatever the locale.
// The flags are set at construction and only read afterwards, so one instance may be shared
// between threads as long as each call works on its own buffer and position variable.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "codec/variant.h"

namespace meridox::codec {

// Field kinds, in their stored order (one byte).
enum TDCDataType : std::uint8_t {
  dtBCD = 0,       // packed hex digits of a text, right-aligned; read back as hex text
  dtBCDE = 1,      // as dtBCD, leading zeros kept through the round trip
  dtBIN = 2,       // big-endian integer scaled by 10^iDec, sign in the top bit; read as float
  dtASC = 3,       // one byte per character, zero-terminated when shorter than the field
  dtDATETIME = 4,  // YY MM DD hh mm ss as packed decimal digits
  dtDATE = 5,      // yyyyMMdd packed into iLen bytes; read as YY MM DD
  dtTIME = 6,      // hh mm [ss] (read only)
  dtDOUBLE = 7,    // IEEE 754 double scaled by 10^iDec, big-endian, 8 bytes
  dtDBCD = 8,      // written as dtBCD, read as dtBCDE
  dtIP = 9,        // four address bytes read as dotted text (read only)
  dtGreecAsc = 10  // one byte per character in the ECR's Greek code
};

// Raised by DataToBuf for dtDATETIME and dtDATE when the value has no date-time form; the
// position does not advance then.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TccEncode {
 public:
  TccEncode() = default;

  // After each field, the position advances by iLen.
  bool Isinclen() const { return FIsinclen; }
  void SetIsinclen(bool value) { FIsinclen = value; }
  // How a dtBIN field with its top bit set is read (IsCardinal clear): set, as sign and
  // magnitude, the exact inverse of the encoder (80 05 -> -5); clear, as two's complement
  // (FF FB -> -5).
  bool Negative() const { return FNegative; }
  void SetNegative(bool value) { FNegative = value; }
  // dtBIN fields are read as unsigned: the top bit is data.
  bool IsCardinal() const { return FIsCardinal; }
  void SetIsCardinal(bool value) { FIsCardinal = value; }

  // Writes sVal as a field of kind sType at Buf[iStartPos], iLen bytes, iDec implied
  // decimals (dtBIN, dtDOUBLE). False when the value cannot be encoded (bytes already
  // written stay), for dtTIME and dtIP, and when the field does not fit in Buf (nothing
  // written). Throws ConversionError as described above.
  bool DataToBuf(TDCDataType sType, const Variant& sVal, std::span<std::uint8_t> Buf,
                 int& iStartPos, int iLen, int iDec = 0) const;

  // Reads the field of kind sType at Buf[iStartPos].
  Variant BufToData(TDCDataType sType, std::span<const std::uint8_t> Buf, int& iStartPos, int iLen,
                    int iDec = 0) const;

  // As above, but the whole iLen bytes of the field are overwritten: the value is encoded
  // into a zero-filled field of exactly iLen bytes, which is then copied (also when the
  // encoding failed); iLen must cover every byte the kind writes (8 for dtDOUBLE).
  bool DataToBufArr(TDCDataType sType, const Variant& sVal, std::span<std::uint8_t> Buf,
                    int& iStartPos, int iLen, int iDec = 0) const;
  // As BufToData, but the decoder sees only the iLen bytes of the field.
  Variant BufToDataArr(TDCDataType sType, std::span<const std::uint8_t> Buf, int& iStartPos,
                       int iLen, int iDec = 0) const;

  // Returns Source unchanged.
  std::string TransToGreec(std::string_view Source) const;
  // Replaces the whole content of Stream, taken as bytes of the ECR's Greek code, by the
  // decoded text as UTF-16 little-endian code units and one zero character. False, with
  // Stream unchanged, when it is empty or decodes to an empty text.
  bool TransFileToGreec(std::vector<std::uint8_t>& Stream) const;

 private:
  bool FIsinclen = true;
  bool FNegative = true;
  bool FIsCardinal = false;
};

}  // namespace meridox::codec
