#include "link/ecr_protocol.h"

#include <algorithm>
#include <charconv>

namespace meridox::link {

namespace {

std::uint32_t ReadBe32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
         (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

std::uint16_t ReadBe16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void WriteBe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 24);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 16);
  bytes[at + 2] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 3] = static_cast<std::uint8_t>(value);
}

// The ECR id as a 64-bit decimal number (blanks around it and a sign allowed). Text that
// is not such a number gives 0: callers pass digits, and a build never fails.
std::uint32_t EcrIdNumber(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return 0;
  }
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') {
      return 0;
    }
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) {
    return 0;
  }
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value));
}

}  // namespace

std::uint16_t Crc16Xmodem(std::span<const std::uint8_t> data) {
  std::uint16_t crc = 0;
  for (const std::uint8_t byte : data) {
    std::uint16_t d = static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      if (((crc ^ d) & 0x8000) != 0) {
        crc = static_cast<std::uint16_t>((crc << 1) ^ 0x1021);
      } else {
        crc = static_cast<std::uint16_t>(crc << 1);
      }
      d = static_cast<std::uint16_t>(d << 1);
    }
  }
  return crc;
}

std::uint8_t FrameHeaderSum(std::span<const std::uint8_t> header) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < 15 && i < header.size(); ++i) {
    sum += header[i];
  }
  return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string HexImage(std::string_view prefix, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string image(prefix.size() + bytes.size() * 3, ' ');
  std::copy(prefix.begin(), prefix.end(), image.begin());
  char* out = image.data() + prefix.size();
  for (const std::uint8_t byte : bytes) {
    out[0] = kDigits[byte >> 4];
    out[1] = kDigits[byte & 0x0F];
    out += 3;
  }
  return image;
}

TEcrProtocol::TEcrProtocol(const TEcrCommands* commands) : FCommands(commands) {}

std::int32_t TEcrProtocol::PackageBuffer(std::span<const std::uint8_t> source, std::int32_t len,
                                         std::vector<std::uint8_t>& buffer) {
  // Never read past the source, and never declare more than the 16-bit length field holds:
  // a frame that disagreed with its own header would corrupt the peer's framing.
  std::size_t count = 0;
  if (len > 0) {
    count = std::min({static_cast<std::size_t>(len), source.size(), kMaxFramePayload});
  }
  return DoPackageBuffer(source.first(count), buffer);
}

std::int32_t TEcrProtocol::DoPackageBuffer(std::span<const std::uint8_t> source,
                                           std::vector<std::uint8_t>& buffer) {
  const std::size_t length = FrameLength(source.size());
  buffer.assign(length, 0);
  buffer[0] = kFrameMarker1;
  buffer[1] = kFrameMarker2;
  const std::uint32_t command = FhCmd.Command();
  buffer[2] = static_cast<std::uint8_t>(command >> 8);
  buffer[3] = static_cast<std::uint8_t>(command);
  WriteBe32(buffer, 4, FPackageNo);
  WriteBe32(buffer, 8, EcrIdNumber(FEcrID));
  buffer[12] = static_cast<std::uint8_t>(source.size() >> 8);
  buffer[13] = static_cast<std::uint8_t>(source.size());
  buffer[15] = FrameHeaderSum(buffer);
  FErrCode = kFrameOk;
  if (!source.empty()) {
    std::copy(source.begin(), source.end(), buffer.begin() + kFrameHeaderSize);
    const std::uint16_t crc = Crc16Xmodem(source);
    buffer[kFrameHeaderSize + source.size()] = static_cast<std::uint8_t>(crc >> 8);
    buffer[kFrameHeaderSize + source.size() + 1] = static_cast<std::uint8_t>(crc);
  }
  FReceive = HexImage("Send:", buffer);
  return static_cast<std::int32_t>(length);
}

bool TEcrProtocol::CheckData(std::span<const std::uint8_t> buf, std::int32_t bufLen,
                             std::vector<std::uint8_t>& buffer) {
  const std::size_t count =
      bufLen <= 0 ? 0 : std::min(static_cast<std::size_t>(bufLen), buf.size());
  return DoCheckData(buf.first(count), buffer);
}

bool TEcrProtocol::CheckData(std::span<const std::uint8_t> stream,
                             std::vector<std::uint8_t>& buffer) {
  if (stream.empty()) {
    return false;
  }
  return DoCheckData(stream, buffer);
}

bool TEcrProtocol::DoCheckData(std::span<const std::uint8_t> buf,
                               std::vector<std::uint8_t>& buffer) {
  FErrCode = kFrameOk;
  FStatus = TCommandStatus::csOnline;
  FResultID = 0;
  FReceive = HexImage("Receive:", buf);

  std::size_t dataLen = 0;
  // Every way out records the declared length, so callers can tell how far the header got.
  const auto finish = [&](std::int32_t code) {
    FErrCode = code;
    FReceiveLen = static_cast<std::int32_t>(dataLen);
    return code == kFrameOk;
  };

  const std::size_t size = buf.size();
  if ((size >= 1 && buf[0] != kFrameMarker1) || (size >= 2 && buf[1] != kFrameMarker2)) {
    return finish(kFrameBadMarker);
  }
  if (size < kFrameHeaderSize) {
    return finish(kFrameShortHeader);
  }
  dataLen = ReadBe16(buf, 12);
  if (dataLen > 0 && size < FrameLength(dataLen)) {
    return finish(kFrameShortData);
  }
  // Packet number and command come before the sums: a frame of another exchange is
  // reported as such even when it is also damaged.
  if (ReadBe32(buf, 4) != FPackageNo) {
    return finish(kFrameOtherPacket);
  }
  FEcrID = std::to_string(ReadBe32(buf, 8));
  FCommand = ReadBe16(buf, 2);
  if (FCommands != nullptr) {
    if (const TEcrCommand* entry = FCommands->FindByCommand(FCommand)) {
      FStatus = entry->Status();
      const bool mustMatch =
          FStatus == TCommandStatus::csDownload || FStatus == TCommandStatus::csUpload;
      if (mustMatch && fbCommand != FCommand) {
        return finish(kFrameOtherCommand);
      }
    }
  }
  if (FChecksum && FrameHeaderSum(buf) != buf[15]) {
    return finish(kFrameBadHeaderSum);
  }
  if (dataLen == 0) {
    return finish(kFrameOk);
  }
  const auto payload = buf.subspan(kFrameHeaderSize, dataLen);
  buffer.assign(payload.begin(), payload.end());
  if (FCheckcrc && Crc16Xmodem(payload) != ReadBe16(buf, kFrameHeaderSize + dataLen)) {
    return finish(kFrameBadCrc);
  }
  return finish(kFrameOk);
}

}  // namespace meridox::link
