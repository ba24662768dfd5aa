// The frame format shared by requests and answers on every transport: a 16-byte header
// with its own byte sum, the payload, and a CRC-16/XMODEM over the payload (absent when
// the payload is empty). TEcrProtocol builds request frames and checks received ones,
// and keeps a hexadecimal image of the last frame for the log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/ecr_commands.h"

namespace meridox::link {

inline constexpr std::uint8_t kFrameMarker1 = 0xAA;
inline constexpr std::uint8_t kFrameMarker2 = 0x03;
inline constexpr std::size_t kFrameHeaderSize = 16;
inline constexpr std::size_t kFrameCrcSize = 2;
inline constexpr std::size_t kMaxFramePayload = 0xFFFF;

// Result codes of a check, in ErrCode().
inline constexpr std::int32_t kFrameOk = 0;
inline constexpr std::int32_t kFrameBadMarker = 1;
inline constexpr std::int32_t kFrameShortData = 2;
inline constexpr std::int32_t kFrameBadHeaderSum = 4;
inline constexpr std::int32_t kFrameBadCrc = 5;
inline constexpr std::int32_t kFrameShortHeader = 6;
inline constexpr std::int32_t kFrameOtherPacket = 8;
inline constexpr std::int32_t kFrameOtherCommand = 9;

// CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR.
std::uint16_t Crc16Xmodem(std::span<const std::uint8_t> data);
// Sum of header bytes 0 to 14, modulo 256 (the header's byte 15). Needs 15 bytes.
std::uint8_t FrameHeaderSum(std::span<const std::uint8_t> header);
// Length of a whole frame whose header declares `dataLen` payload bytes.
constexpr std::size_t FrameLength(std::size_t dataLen) {
  return dataLen == 0 ? kFrameHeaderSize : dataLen + kFrameHeaderSize + kFrameCrcSize;
}
// "<prefix>" followed by every byte as two upper-case hex digits and a blank.
std::string HexImage(std::string_view prefix, std::span<const std::uint8_t> bytes);

class TEcrProtocol {
 public:
  // Keeps a reference to the catalogue (not owned; may be null, then every command
  // counts as unknown).
  explicit TEcrProtocol(const TEcrCommands* commands);
  virtual ~TEcrProtocol() = default;
  TEcrProtocol(const TEcrProtocol&) = delete;
  TEcrProtocol& operator=(const TEcrProtocol&) = delete;

  // Builds the request frame for the first `len` bytes of `source` (fewer when `source`
  // is shorter; at most kMaxFramePayload) with hCmd().Command(), PackNum() and EcrID()
  // into `buffer`; returns the frame length (16, or payload + 18).
  std::int32_t PackageBuffer(std::span<const std::uint8_t> source, std::int32_t len,
                             std::vector<std::uint8_t>& buffer);

  // Checks the first `bufLen` bytes of `buf` (clamped to its size). True when they start
  // with an acceptable frame; its payload is then in `buffer` (left unchanged for a frame
  // without payload). ErrCode() tells why a frame was rejected.
  bool CheckData(std::span<const std::uint8_t> buf, std::int32_t bufLen,
                 std::vector<std::uint8_t>& buffer);
  // Checks all bytes received so far (the receive stream). Empty: false, and nothing,
  // not even a field, changes.
  bool CheckData(std::span<const std::uint8_t> stream, std::vector<std::uint8_t>& buffer);

  // Hex image of the last frame built ("Send:...") or checked ("Receive:...").
  const std::string& Logstring() const { return FReceive; }
  void SetLogstring(std::string value) { FReceive = std::move(value); }
  std::int32_t ErrCode() const { return FErrCode; }
  void SetErrCode(std::int32_t value) { FErrCode = value; }
  const TEcrCommands* Commands() const { return FCommands; }
  // Command code of the last checked frame.
  std::uint32_t Command() const { return FCommand; }
  void SetCommand(std::uint32_t value) { FCommand = value; }
  // Packet number of the request; a received frame must carry it.
  std::uint32_t PackNum() const { return FPackageNo; }
  void SetPackNum(std::uint32_t value) { FPackageNo = value; }
  // ECR id as decimal text: set before a build, replaced by the id of a checked frame.
  const std::string& EcrID() const { return FEcrID; }
  void SetEcrID(std::string value) { FEcrID = std::move(value); }
  TCommandStatus Status() const { return FStatus; }
  void SetStatus(TCommandStatus value) { FStatus = value; }
  // Declared data length of the last checked frame (0 when the header was not read).
  std::int32_t ReceiveLen() const { return FReceiveLen; }
  void SetReceiveLen(std::int32_t value) { FReceiveLen = value; }
  // Verify the CRC / header sum of received frames (both off after construction).
  bool FChkCrc() const { return FCheckcrc; }
  void SetFChkCrc(bool value) { FCheckcrc = value; }
  bool FChkSum() const { return FChecksum; }
  void SetFChkSum(bool value) { FChecksum = value; }
  // The command of the request to build (a free-standing copy, owned).
  const TEcrCommand& hCmd() const { return FhCmd; }
  TEcrCommand& hCmd() { return FhCmd; }
  void SetHCmd(const TEcrCommand& value) { FhCmd.Assign(value); }
  // Result id of an error answer, set by the exchange; 0 after every check.
  std::int32_t ResultID() const { return FResultID; }
  void SetResultID(std::int32_t value) { FResultID = value; }
  // Command code of the request last sent, for matching its answer.
  std::uint32_t bCommand() const { return fbCommand; }
  void SetBCommand(std::uint32_t value) { fbCommand = value; }

 protected:
  virtual bool DoCheckData(std::span<const std::uint8_t> buf, std::vector<std::uint8_t>& buffer);
  virtual std::int32_t DoPackageBuffer(std::span<const std::uint8_t> source,
                                       std::vector<std::uint8_t>& buffer);

 private:
  std::string FReceive;
  std::int32_t FErrCode = 0;
  const TEcrCommands* FCommands = nullptr;
  std::uint32_t FCommand = 0;
  std::uint32_t FPackageNo = 0;
  std::string FEcrID;
  TCommandStatus FStatus = TCommandStatus::csDownload;
  std::int32_t FReceiveLen = 0;
  bool FCheckcrc = false;
  bool FChecksum = false;
  TEcrCommand FhCmd;
  std::int32_t FResultID = 0;
  std::uint32_t fbCommand = 0;
};

}  // namespace meridox::link
