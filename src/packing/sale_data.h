// The item record of a sale or refund line, as the ECR's sale request carries it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/field_codec.h"
#include "packing/sale_type.h"

namespace meridox::packing {

class TSaleData {
 public:
  // Item record length written by Execute, and the shorter department record.
  static constexpr int kPLURecordLength = 69;
  static constexpr int kDepRecordLength = 16;

  explicit TSaleData(const codec::TccEncode& codec) : FCodec(codec) { Reset(); }

  TSaleType SaleType() const { return FSaleType; }
  void SetSaleType(TSaleType value) { FSaleType = value; }
  TFiscatMode Mode() const { return FMode; }
  void SetMode(TFiscatMode value) { FMode = value; }
  std::int32_t IndexID() const { return FIndexID; }
  void SetIndexID(std::int32_t value) { FIndexID = value; }
  double Quantity() const { return FQuantity; }
  void SetQuantity(double value) { FQuantity = value; }
  double Price() const { return FPrice; }
  void SetPrice(double value) { FPrice = value; }
  const std::string& Name() const { return FName; }
  void SetName(std::string value) { FName = std::move(value); }
  const std::string& BarCode() const { return FBarCode; }
  void SetBarCode(std::string value) { FBarCode = std::move(value); }
  double UnitPrice() const { return FUnitPrice; }
  void SetUnitPrice(double value) { FUnitPrice = value; }
  std::int32_t DepID() const { return FDepID; }
  void SetDepID(std::int32_t value) { FDepID = value; }
  std::int32_t GroupID() const { return FGroupID; }
  void SetGroupID(std::int32_t value) { FGroupID = value; }
  std::int32_t Para() const { return FPara; }
  void SetPara(std::int32_t value) { FPara = value; }

  // Writes the record at iStartPos (the buffer's first iStartPos bytes are kept, bytes added
  // by growing are zero) and cuts the buffer just after it. Returns that position, which is
  // the new length: iStartPos + 69 for an item line, + 16 for a department line. A negative
  // iStartPos counts as 0.
  int Execute(std::vector<std::uint8_t>& wBuf, int iStartPos) const;

  // Reads a record from position 0 in the answer layout, whose index is 2 bytes wide (item
  // record 67 bytes, department record 14). False, with FSaleType unchanged, when the buffer
  // ends inside the record; the fields before the first one that does not fit are read.
  bool UnExecute(std::span<const std::uint8_t> wBuf);

  // The sale type of a letter under the current mode; an empty or unknown letter gives the
  // current FSaleType, so reading it back leaves the record as it was.
  TSaleType SaleTypeFromLetter(std::string_view letter) const;

 private:
  void Reset();

  const codec::TccEncode& FCodec;
  TSaleType FSaleType;
  TFiscatMode FMode;
  double FPrice;
  double FQuantity;
  std::int32_t FIndexID;
  std::string FName;
  double FUnitPrice;
  std::int32_t FDepID;
  std::int32_t FGroupID;
  std::int32_t FPara;
  std::string FBarCode;
};

}  // namespace meridox::packing
