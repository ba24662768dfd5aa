// Turns one parsed command line into the ECR requests that carry it out. It sends nothing;
// its one changing state is the rotating sale number that every sale request carries.
// No lock of its own: the job manager's lock keeps its callers apart.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "codec/field_codec.h"
#include "packing/command_data.h"
#include "packing/packed_data.h"
#include "packing/sale_type.h"

namespace meridox::packing {

class TPacker {
 public:
  // Field values of a command, element 0 being the first field after the keyword.
  using Fields = std::span<const std::string>;

  explicit TPacker(const codec::TccEncode& codec) : FCodec(codec) {}

  TDecimalType DecimalType() const { return FDecimalType; }
  void SetDecimalType(TDecimalType value) { FDecimalType = value; }

  // The counter behind NextSaleNum: the number the next sale request gets, 0 on a new packer.
  std::uint8_t SaleNum() const { return FSaleNum; }

  // The requests of one command, in sending order. False, with PackedDatas empty, when a
  // step fails (a payment without a type); sale numbers taken on the way are not given back.
  // ckUnSupport gives true and no request.
  bool PackData(const TCommandData& CommandData, TPackedDatas& PackedDatas);

  // Every operation clears PackedData first and returns true on success.
  bool PackTailMsgData(Fields Data, TPackedData& PackedData) const;
  bool PackClerkData(Fields Data, TPackedData& PackedData) const;
  bool PackFreeTextData(Fields Data, TPackedData& PackedData) const;
  bool PackPayMentData(Fields Data, TPackedData& PackedData);
  bool PackInvoiceData(Fields Data, TPackedData& PackedData) const;
  bool PackTableData(Fields Data, TPackedData& PackedData) const;
  bool PackTableTransferData(Fields Data, TPackedData& PackedData) const;
  bool PackCloseTableData(Fields Data, TPackedData& PackedData) const;
  bool PackCloseTempTableData(Fields Data, TPackedData& PackedData) const;
  bool PackSalePLUData(TSaleType SaleType, Fields Data, TPackedData& PackedData);
  bool PackDisCountData(TSaleType SaleType, Fields Data, TPackedData& PackedData);
  bool PackSubTotalData(TSaleType SaleType, TPackedData& PackedData);
  bool PackOpenDrawerData(TPackedData& PackedData) const;
  bool PackConnectData(TPackedData& PackedData) const;
  bool PackDisConnectData(TPackedData& PackedData) const;
  bool PackPrintReportData(std::string_view Command, TPackedData& PackedData) const;

  // A decimal number with the current decimal mark; Default for an empty text, a text that
  // is not a number, or one that holds the other mark. Never depends on the locale.
  double ParseFloat(std::string_view text, double Default) const;
  // A whole number in 32 bits; Default for an empty text, one that is not a whole number,
  // or one that holds either mark.
  std::int32_t ParseInt(std::string_view text, std::int32_t Default) const;

 private:
  // 1, 2, ..., 255, 1, ...: never 0, never reset.
  std::uint8_t NextSaleNum();
  bool PackTableNumbers(std::uint32_t command, Fields Data, std::size_t count,
                        TPackedData& PackedData) const;

  const codec::TccEncode& FCodec;
  std::uint8_t FSaleNum = 0;
  TDecimalType FDecimalType = TDecimalType::dtComma;
};

}  // namespace meridox::packing
