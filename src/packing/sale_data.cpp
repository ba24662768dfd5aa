#include "packing/sale_data.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <optional>
#include <stdexcept>

namespace meridox::packing {

namespace {

using codec::dtBCDE;
using codec::dtBIN;
using codec::dtGreecAsc;

// Execute clears this much room before writing, whatever the record's length.
constexpr int kWorkArea = 256;

std::int32_t ToInt32(const codec::Variant& value) {
  const std::optional<double> number = value.ToNumber();
  if (!number || !std::isfinite(*number)) {
    return 0;
  }
  const double whole = std::round(*number);
  if (whole < static_cast<double>(INT32_MIN) || whole > static_cast<double>(INT32_MAX)) {
    return 0;
  }
  return static_cast<std::int32_t>(whole);
}

double ToDouble(const codec::Variant& value) {
  return value.ToNumber().value_or(0.0);
}

}  // namespace

void TSaleData::Reset() {
  FSaleType = TSaleType::stPLUSale;
  FMode = TFiscatMode::fcmPLU;
  FPrice = 0;
  FQuantity = 0;
  FIndexID = 0;
  FName.clear();
  FUnitPrice = 0;
  FDepID = 0;
  FGroupID = 0;
  FPara = 0;
  FBarCode.clear();
}

int TSaleData::Execute(std::vector<std::uint8_t>& wBuf, int iStartPos) const {
  if (iStartPos < 0) {
    iStartPos = 0;
  }
  if (iStartPos > INT_MAX - kWorkArea) {
    throw std::length_error("sale record position out of range");
  }
  const auto start = static_cast<std::size_t>(iStartPos);
  wBuf.resize(start + kWorkArea);
  std::fill(wBuf.begin() + iStartPos, wBuf.end(), std::uint8_t{0});

  // Each field has a fixed offset: the codec moves p by the field's length even when it
  // cannot encode a value, so one bad value never shifts the fields after it.
  int p = iStartPos;
  FCodec.DataToBuf(dtGreecAsc, LetterOf(FSaleType), wBuf, p, 1);
  FCodec.DataToBuf(dtBIN, static_cast<int>(FMode), wBuf, p, 1, 0);
  FCodec.DataToBuf(dtBIN, FIndexID, wBuf, p, 4, 0);
  FCodec.DataToBuf(dtBIN, FQuantity, wBuf, p, 5, 3);
  FCodec.DataToBuf(dtBIN, FPrice, wBuf, p, 5, 2);
  if (FMode == TFiscatMode::fcmPLU) {
    FCodec.DataToBuf(dtGreecAsc, FName, wBuf, p, 38);
    FCodec.DataToBuf(dtBCDE, FBarCode, wBuf, p, 7);
    FCodec.DataToBuf(dtBIN, FUnitPrice, wBuf, p, 5, 2);
    FCodec.DataToBuf(dtBIN, FDepID, wBuf, p, 1, 0);
    FCodec.DataToBuf(dtBIN, FGroupID, wBuf, p, 1, 0);
    FCodec.DataToBuf(dtBIN, FPara, wBuf, p, 1, 0);
  }
  wBuf.resize(static_cast<std::size_t>(p));
  return p;
}

bool TSaleData::UnExecute(std::span<const std::uint8_t> wBuf) {
  int p = 0;
  // The codec reads an out-of-range field as an empty value; a record cut short must fail
  // instead, so every field is checked before it is read.
  auto read = [&](codec::TDCDataType type, int len, int dec,
                  std::optional<codec::Variant>& out) -> bool {
    if (static_cast<std::size_t>(p) + static_cast<std::size_t>(len) > wBuf.size()) {
      return false;
    }
    out = FCodec.BufToData(type, wBuf, p, len, dec);
    return true;
  };
  std::optional<codec::Variant> v;

  if (!read(dtGreecAsc, 1, 0, v)) {
    return false;
  }
  const std::string letter = v->ToText();
  if (!read(dtBIN, 1, 0, v)) {
    return false;
  }
  // Any mode byte but 0 is a department line: only that one carries the item fields.
  FMode = ToInt32(*v) == 0 ? TFiscatMode::fcmPLU : TFiscatMode::fcmDep;
  if (!read(dtBIN, 2, 0, v)) {
    return false;
  }
  FIndexID = ToInt32(*v);
  if (!read(dtBIN, 5, 3, v)) {
    return false;
  }
  FQuantity = ToDouble(*v);
  if (!read(dtBIN, 5, 2, v)) {
    return false;
  }
  FPrice = ToDouble(*v);
  if (FMode == TFiscatMode::fcmPLU) {
    if (!read(dtGreecAsc, 38, 0, v)) {
      return false;
    }
    FName = v->ToText();
    if (!read(dtBCDE, 7, 0, v)) {
      return false;
    }
    FBarCode = v->ToText();
    if (!read(dtBIN, 5, 2, v)) {
      return false;
    }
    FUnitPrice = ToDouble(*v);
    if (!read(dtBIN, 1, 0, v)) {
      return false;
    }
    FDepID = ToInt32(*v);
    if (!read(dtBIN, 1, 0, v)) {
      return false;
    }
    FGroupID = ToInt32(*v);
    if (!read(dtBIN, 1, 0, v)) {
      return false;
    }
    FPara = ToInt32(*v);
  }
  FSaleType = SaleTypeFromLetter(letter);
  return true;
}

TSaleType TSaleData::SaleTypeFromLetter(std::string_view letter) const {
  const bool plu = FMode == TFiscatMode::fcmPLU;
  if (!letter.empty()) {
    switch (letter.front()) {
      case 'S':
        return plu ? TSaleType::stPLUSale : TSaleType::stDepSale;
      case 'R':
        return plu ? TSaleType::stPLUReturn : TSaleType::stDepReturn;
      case 'V':
        return plu ? TSaleType::stPLUVoid : TSaleType::stDepVoid;
      default:
        break;
    }
  }
  for (std::size_t i = 0; i < SaleTypeLetters.size(); ++i) {
    if (SaleTypeLetters[i] == letter) {
      return static_cast<TSaleType>(i);
    }
  }
  return FSaleType;
}

}  // namespace meridox::packing
