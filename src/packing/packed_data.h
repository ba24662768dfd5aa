// ECR requests as the packer hands them to the sender, and the report selector.
#pragma once

#include <cstdint>
#include <vector>

namespace meridox::packing {

// One ECR request: the command ID and its payload. Command 0 with no payload is the empty
// request that stands for work the manager does itself (the daily reports).
struct TPackedData {
  std::uint32_t Command = 0;
  std::vector<std::uint8_t> Data;

  bool operator==(const TPackedData&) const = default;
};

// In sending order.
using TPackedDatas = std::vector<TPackedData>;

// The command IDs the packer produces.
inline constexpr std::uint32_t kCmdConnect = 10000;
inline constexpr std::uint32_t kCmdDisConnect = 10001;
inline constexpr std::uint32_t kCmdClerk = 10002;
inline constexpr std::uint32_t kCmdSale = 10004;
inline constexpr std::uint32_t kCmdFreeText = 10011;
inline constexpr std::uint32_t kCmdGeneral = 10012;
inline constexpr std::uint32_t kCmdTailMsg = 10013;
inline constexpr std::uint32_t kCmdInvoice = 10014;
inline constexpr std::uint32_t kCmdTableTransfer = 10015;
inline constexpr std::uint32_t kCmdCloseTable = 10016;
inline constexpr std::uint32_t kCmdTable = 10017;
inline constexpr std::uint32_t kCmdCloseTempTable = 10018;
inline constexpr std::uint32_t kCmdPrintReport = 30009;

// Which report the manager's report operation prints (one byte; order is fixed).
enum class TUploadReportMode : std::uint8_t {
  umZDailyReport,
  umXDailyReport,
  umDayCJReport,
  umZPLUReport,
  umXPLUReport,
  umDepReport,
  umGroupReport,
  umPLUCJReport,
  umClerkReport,
  umClerkCJReport,
};

}  // namespace meridox::packing
