#include "codec/field_codec.h"

namespace meridox::codec {

bool TccEncode::DataToBuf(TDCDataType, const Variant&, std::span<std::uint8_t>, int& iStartPos,
                          int iLen, int) const {
  if (FIsinclen)
    iStartPos += iLen;
  return false;
}

Variant TccEncode::BufToData(TDCDataType, std::span<const std::uint8_t>, int& iStartPos, int iLen,
                             int) const {
  if (FIsinclen)
    iStartPos += iLen;
  return {};
}

bool TccEncode::DataToBufArr(TDCDataType, const Variant&, std::span<std::uint8_t>, int& iStartPos,
                             int iLen, int) const {
  if (FIsinclen)
    iStartPos += iLen;
  return false;
}

Variant TccEncode::BufToDataArr(TDCDataType, std::span<const std::uint8_t>, int& iStartPos,
                                int iLen, int) const {
  if (FIsinclen)
    iStartPos += iLen;
  return {};
}

std::string TccEncode::TransToGreec(std::string_view Source) const {
  return std::string(Source);
}

bool TccEncode::TransFileToGreec(std::vector<std::uint8_t>&) const {
  return false;
}

}  // namespace meridox::codec
