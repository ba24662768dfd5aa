#include "link/ecr_protocol.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/ecr_commands.h"

namespace meridox::link {
namespace {

using Bytes = std::vector<std::uint8_t>;
using enum TCommandStatus;

Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

TEST(Crc16XmodemTest, StandardCheckValues) {
  EXPECT_EQ(Crc16Xmodem(Text("123456789")), 0x31C3);
  EXPECT_EQ(Crc16Xmodem(Bytes{}), 0x0000);
  EXPECT_EQ(Crc16Xmodem(Bytes{0x04}), 0x4084);
  EXPECT_EQ(Crc16Xmodem(Bytes{0x01, 0x02, 0x03}), 0x6131);
}

struct BuildCase {
  const char* name;
  std::uint32_t command;
  std::uint32_t packNo;
  const char* ecrId;
  Bytes payload;
  Bytes expected;
};

const BuildCase kBuildCases[] = {
    {"StatusQueryExample",
     0xE000,
     0,
     "1",
     {},
     {0xAA, 0x03, 0xE0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0x8E}},
    // The communication test that probes the baud rate, code 4.
    {"ProbeExample",
     0xA001,
     0,
     "1",
     {0x04},
     {0xAA, 0x03, 0xA0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0x01, 0, 0x50, 0x04, 0x40, 0x84}},
    {"PropertiesQuery",
     0xE0FF,
     0,
     "1",
     {},
     {0xAA, 0x03, 0xE0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0x8D}},
    {"SaleWithJobEcrId", 0xE082, 2, "907158", {0x01, 0x02, 0x03}, {0xAA, 0x03, 0xE0, 0x82, 0,
                                                                   0,    0,    0x02, 0x00, 0x0D,
                                                                   0xD7, 0x96, 0,    0x03, 0,
                                                                   0x8E, 0x01, 0x02, 0x03, 0x61,
                                                                   0x31}},
    {"EcrIdLow32Bits",
     0xE000,
     0x01020304,
     "4294967297",
     {},
     {0xAA, 0x03, 0xE0, 0x00, 0x01, 0x02, 0x03, 0x04, 0, 0, 0, 0x01, 0, 0, 0, 0x98}},
    {"EcrIdNotDecimalGivesZero",
     0xE000,
     0,
     "12a",
     {},
     {0xAA, 0x03, 0xE0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x8D}},
};

class BuildTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildTest, FrameByteForByteWithSendImage) {
  const BuildCase& c = GetParam();
  TEcrProtocol protocol(nullptr);
  protocol.hCmd().SetCommand(c.command);
  protocol.SetPackNum(c.packNo);
  protocol.SetEcrID(c.ecrId);
  protocol.SetErrCode(5);
  Bytes frame{0x11};
  EXPECT_EQ(protocol.PackageBuffer(c.payload, static_cast<std::int32_t>(c.payload.size()), frame),
            static_cast<std::int32_t>(c.expected.size()));
  EXPECT_EQ(frame, c.expected);
  EXPECT_EQ(protocol.ErrCode(), 0);
  EXPECT_EQ(protocol.Logstring(), HexImage("Send:", c.expected));
}

INSTANTIATE_TEST_SUITE_P(Frames, BuildTest, ::testing::ValuesIn(kBuildCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(BuildTest, SendImageIsUpperCaseHexWithTrailingBlank) {
  TEcrProtocol protocol(nullptr);
  protocol.hCmd().SetCommand(0xE000);
  protocol.SetEcrID("1");
  Bytes frame;
  protocol.PackageBuffer({}, 0, frame);
  EXPECT_EQ(protocol.Logstring(), "Send:AA 03 E0 00 00 00 00 00 00 00 00 01 00 00 00 8E ");
}

struct LengthCase {
  std::int32_t payloadSize;
  std::int32_t len;  // what the caller asks to send
  std::size_t frameSize;
};

const LengthCase kLengthCases[] = {
    {0, 0, 16},
    {1, 1, 19},
    {245, 245, 263},
    {10, -3, 16},
    {10, 4, 22},
    {10, 50, 28},                // asking for more than there is sends what there is
    {70000, 70000, 65535 + 18},  // never more than the length field can declare
};

class LengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LengthTest, FrameSizeLengthFieldAndRoundTrip) {
  const LengthCase& c = GetParam();
  Bytes payload(static_cast<std::size_t>(c.payloadSize));
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }
  TEcrCommands commands;
  InitCommands(commands);
  TEcrProtocol protocol(&commands);
  protocol.hCmd().SetCommand(0xE082);
  protocol.SetBCommand(0xE082);
  protocol.SetEcrID("907158");
  protocol.SetFChkSum(true);
  protocol.SetFChkCrc(true);
  Bytes frame;
  ASSERT_EQ(protocol.PackageBuffer(payload, c.len, frame), static_cast<std::int32_t>(c.frameSize));
  ASSERT_EQ(frame.size(), c.frameSize);
  const std::size_t sent = c.frameSize == 16 ? 0 : c.frameSize - 18;
  EXPECT_EQ((std::size_t{frame[12]} << 8) | frame[13], sent);
  EXPECT_EQ(frame[14], 0);

  Bytes received{0x55};
  ASSERT_TRUE(protocol.CheckData(frame, received)) << protocol.ErrCode();
  EXPECT_EQ(protocol.ReceiveLen(), static_cast<std::int32_t>(sent));
  EXPECT_EQ(protocol.EcrID(), "907158");
  if (sent == 0) {
    EXPECT_EQ(received, Bytes{0x55});
  } else {
    EXPECT_EQ(received,
              Bytes(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(sent)));
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LengthTest, ::testing::ValuesIn(kLengthCases));

TEST(BuildTest, PayloadOf245BytesCarriesItsCrc) {
  Bytes payload(245);
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }
  TEcrProtocol protocol(nullptr);
  Bytes frame;
  protocol.PackageBuffer(payload, 245, frame);
  ASSERT_EQ(frame.size(), 263u);
  EXPECT_EQ(frame[261], 0x05);
  EXPECT_EQ(frame[262], 0x0D);
}

// ---- Checking received frames ----

Bytes MakeFrame(std::uint32_t command, std::uint32_t packNo, const Bytes& payload,
                const char* ecrId = "1") {
  TEcrProtocol builder(nullptr);
  builder.hCmd().SetCommand(command);
  builder.SetPackNum(packNo);
  builder.SetEcrID(ecrId);
  Bytes frame;
  builder.PackageBuffer(payload, static_cast<std::int32_t>(payload.size()), frame);
  return frame;
}

Bytes WithByte(Bytes frame, std::size_t at, std::uint8_t value) {
  frame.at(at) = value;
  return frame;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Prefix(const Bytes& bytes, std::size_t n) {
  return Bytes(bytes.begin(), bytes.begin() + n);
}

const Bytes kSale = MakeFrame(0xE082, 0, {0x10, 0x20, 0x30, 0x40, 0x50});
const Bytes kStatusAnswer = MakeFrame(0xE000, 0, {});
// Header sum is byte 15, the CRC the last two bytes.
const Bytes kSaleBadSum = WithByte(kSale, 15, static_cast<std::uint8_t>(kSale[15] + 1));
const Bytes kSaleBadCrc = WithByte(kSale, kSale.size() - 1, kSale.back() ^ 0xFF);
const Bytes kSalePacket1 = MakeFrame(0xE082, 1, {0x10, 0x20, 0x30, 0x40, 0x50});
// Packet number 1 and, on top of it, a wrong header sum.
const Bytes kSalePacket1BadSum = WithByte(kSalePacket1, 15, 0x00);

struct CheckCase {
  const char* name;
  Bytes bytes;
  std::uint32_t bCommand;  // command of the request sent
  bool chkSum;
  bool chkCrc;
  std::int32_t code;
  std::int32_t receiveLen;
  std::uint32_t command;  // Command() afterwards (sentinel 0x4242 when not read)
  TCommandStatus status;
  Bytes payload;  // Buffer afterwards (starts as {0xEE})
};

constexpr std::uint32_t kUnread = 0x4242;
const Bytes kUntouched{0xEE};
const Bytes kSalePayload{0x10, 0x20, 0x30, 0x40, 0x50};

const CheckCase kCheckCases[] = {
    {"HeaderOnlyAccepted", kStatusAnswer, 0xE000, true, true, 0, 0, 0xE000, csUpload, kUntouched},
    {"SaleAccepted", kSale, 0xE082, true, true, 0, 5, 0xE082, csDownload, kSalePayload},
    {"TrailingBytesIgnored", Concat(kSale, {0xAA, 0x03, 0x99}), 0xE082, true, true, 0, 5, 0xE082,
     csDownload, kSalePayload},
    {"NoBytesIncomplete", {}, 0xE082, true, true, 6, 0, kUnread, csOnline, kUntouched},
    {"OneMarkerByteIncomplete", {0xAA}, 0xE082, true, true, 6, 0, kUnread, csOnline, kUntouched},
    {"OneOtherByteWrongStart", {0x00}, 0xE082, true, true, 1, 0, kUnread, csOnline, kUntouched},
    {"SecondMarkerWrong", WithByte(kSale, 1, 0x04), 0xE082, true, true, 1, 0, kUnread, csOnline,
     kUntouched},
    {"FirstMarkerWrong", WithByte(kSale, 0, 0xAB), 0xE082, true, true, 1, 0, kUnread, csOnline,
     kUntouched},
    {"FifteenBytes", Prefix(kSale, 15), 0xE082, true, true, 6, 0, kUnread, csOnline, kUntouched},
    {"TwentyOfTwentyThree", Prefix(kSale, 20), 0xE082, true, true, 2, 5, kUnread, csOnline,
     kUntouched},
    {"OneByteShort", Prefix(kSale, 22), 0xE082, true, true, 2, 5, kUnread, csOnline, kUntouched},
    {"ShortDataBeforePacketNumber", Prefix(kSalePacket1, 20), 0xE082, true, true, 2, 5, kUnread,
     csOnline, kUntouched},
    {"OtherPacketNumber", kSalePacket1, 0xE082, true, true, 8, 5, kUnread, csOnline, kUntouched},
    {"PacketNumberBeforeSum", kSalePacket1BadSum, 0xE082, true, true, 8, 5, kUnread, csOnline,
     kUntouched},
    {"UploadAnswerToSaleIsOtherCommand", kStatusAnswer, 0xE082, true, true, 9, 0, 0xE000, csUpload,
     kUntouched},
    {"CommandBeforeSum", WithByte(kStatusAnswer, 15, 0), 0xE082, true, true, 9, 0, 0xE000, csUpload,
     kUntouched},
    {"ErrorAnswerToSaleAccepted", MakeFrame(0x800D, 0, {0xFE, 0x41}), 0xE082, true, true, 0, 2,
     0x800D, csError, (Bytes{0xFE, 0x41})},
    {"OnlineFrameDuringSaleAccepted", MakeFrame(0xE088, 0, {0x07}), 0xE082, true, true, 0, 1,
     0xE088, csOnline, (Bytes{0x07})},
    {"UnknownCommandNotMatched", MakeFrame(0x1234, 0, {0x07}), 0xE082, true, true, 0, 1, 0x1234,
     csOnline, (Bytes{0x07})},
    {"BadSum", kSaleBadSum, 0xE082, true, true, 4, 5, 0xE082, csDownload, kUntouched},
    {"BadSumNotChecked", kSaleBadSum, 0xE082, false, true, 0, 5, 0xE082, csDownload, kSalePayload},
    {"BadSumBeforeCrc", WithByte(kSaleBadSum, kSale.size() - 1, 0), 0xE082, true, true, 4, 5,
     0xE082, csDownload, kUntouched},
    {"BadCrcPayloadStillCopied", kSaleBadCrc, 0xE082, true, true, 5, 5, 0xE082, csDownload,
     kSalePayload},
    {"BadCrcNotChecked", kSaleBadCrc, 0xE082, true, false, 0, 5, 0xE082, csDownload, kSalePayload},
    {"ReservedByteIgnoredWhenSumFits",
     WithByte(WithByte(kStatusAnswer, 14, 0x01), 15,
              static_cast<std::uint8_t>(kStatusAnswer[15] + 1)),
     0xE000, true, true, 0, 0, 0xE000, csUpload, kUntouched},
};

class CheckTest : public ::testing::TestWithParam<CheckCase> {
 protected:
  void SetUp() override { InitCommands(commands_); }
  TEcrCommands commands_;
};

TEST_P(CheckTest, CodeFieldsAndPayload) {
  const CheckCase& c = GetParam();
  TEcrProtocol protocol(&commands_);
  protocol.SetPackNum(0);
  protocol.SetBCommand(c.bCommand);
  protocol.SetFChkSum(c.chkSum);
  protocol.SetFChkCrc(c.chkCrc);
  // Leftovers of an earlier frame, which every check must replace.
  protocol.SetCommand(kUnread);
  protocol.SetReceiveLen(77);
  protocol.SetResultID(254);
  protocol.SetStatus(csNone);
  protocol.SetErrCode(99);
  Bytes buffer = kUntouched;

  const bool accepted =
      protocol.CheckData(c.bytes, static_cast<std::int32_t>(c.bytes.size()), buffer);
  EXPECT_EQ(accepted, c.code == 0);
  EXPECT_EQ(protocol.ErrCode(), c.code);
  EXPECT_EQ(protocol.ReceiveLen(), c.receiveLen);
  EXPECT_EQ(protocol.Command(), c.command);
  EXPECT_EQ(protocol.Status(), c.status);
  EXPECT_EQ(protocol.ResultID(), 0);
  EXPECT_EQ(buffer, c.payload);
  EXPECT_EQ(protocol.Logstring(), HexImage("Receive:", c.bytes));
}

INSTANTIATE_TEST_SUITE_P(Frames, CheckTest, ::testing::ValuesIn(kCheckCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CheckDataTest, EcrIdOfTheFrameReplacesTheRequestId) {
  TEcrProtocol protocol(nullptr);
  protocol.SetEcrID("907158");
  Bytes frame = MakeFrame(0xE000, 0, {}, "4294967295");
  Bytes buffer;
  ASSERT_TRUE(protocol.CheckData(frame, buffer));
  EXPECT_EQ(protocol.EcrID(), "4294967295");
  ASSERT_TRUE(protocol.CheckData(MakeFrame(0xE000, 0, {}, "1"), buffer));
  EXPECT_EQ(protocol.EcrID(), "1");
}

TEST(CheckDataTest, FieldsAlreadyDescribeAFrameThatFailsItsSumOrCrc) {
  TEcrCommands commands;
  InitCommands(commands);
  for (const bool badSum : {true, false}) {
    Bytes frame = MakeFrame(0xE0FF, 0, {0x01, 0x02}, "907158");
    frame[badSum ? 15 : frame.size() - 1] ^= 0x01;
    TEcrProtocol protocol(&commands);
    protocol.SetFChkSum(true);
    protocol.SetFChkCrc(true);
    protocol.SetBCommand(0xE0FF);
    protocol.SetEcrID("1");
    Bytes buffer;
    EXPECT_FALSE(protocol.CheckData(frame, buffer));
    EXPECT_EQ(protocol.ErrCode(), badSum ? 4 : 5);
    EXPECT_EQ(protocol.EcrID(), "907158");
    EXPECT_EQ(protocol.Command(), 0xE0FFu);
    EXPECT_EQ(protocol.Status(), csUpload);
    EXPECT_EQ(protocol.ReceiveLen(), 2);
  }
}

TEST(CheckDataTest, ChecksAreOffUntilSwitchedOn) {
  TEcrProtocol protocol(nullptr);
  EXPECT_FALSE(protocol.FChkSum());
  EXPECT_FALSE(protocol.FChkCrc());
  Bytes buffer;
  EXPECT_TRUE(protocol.CheckData(kSaleBadSum, buffer));
  EXPECT_TRUE(protocol.CheckData(kSaleBadCrc, buffer));
}

TEST(CheckDataTest, WithoutCatalogueEveryCommandIsUnmatchedOnline) {
  TEcrProtocol protocol(nullptr);
  protocol.SetBCommand(0xE082);
  Bytes buffer;
  EXPECT_TRUE(protocol.CheckData(kStatusAnswer, buffer));
  EXPECT_EQ(protocol.Status(), csOnline);
}

TEST(CheckDataTest, TwoMarkerBytesImage) {
  TEcrProtocol protocol(nullptr);
  Bytes buffer;
  EXPECT_FALSE(protocol.CheckData(Bytes{0xAA, 0x03}, buffer));
  EXPECT_EQ(protocol.ErrCode(), 6);
  EXPECT_EQ(protocol.Logstring(), "Receive:AA 03 ");
}

TEST(CheckDataTest, EmptyStreamChangesNothing) {
  TEcrProtocol protocol(nullptr);
  protocol.SetErrCode(5);
  protocol.SetLogstring("earlier");
  protocol.SetReceiveLen(3);
  protocol.SetStatus(csError);
  protocol.SetResultID(13);
  Bytes buffer{0x01};
  EXPECT_FALSE(protocol.CheckData(Bytes{}, buffer));
  EXPECT_EQ(protocol.ErrCode(), 5);
  EXPECT_EQ(protocol.Logstring(), "earlier");
  EXPECT_EQ(protocol.ReceiveLen(), 3);
  EXPECT_EQ(protocol.Status(), csError);
  EXPECT_EQ(protocol.ResultID(), 13);
  EXPECT_EQ(buffer, Bytes{0x01});
}

TEST(CheckDataTest, CountLimitsTheBytesLookedAtAndNeverOverruns) {
  TEcrProtocol protocol(nullptr);
  Bytes buffer;
  // Only the first 15 bytes of a whole frame: incomplete.
  EXPECT_FALSE(protocol.CheckData(kSale, 15, buffer));
  EXPECT_EQ(protocol.ErrCode(), 6);
  // A count beyond the array is cut to the array: a 20-byte array still lacks 3 bytes.
  EXPECT_FALSE(protocol.CheckData(Prefix(kSale, 20), 1000, buffer));
  EXPECT_EQ(protocol.ErrCode(), 2);
  EXPECT_EQ(protocol.Logstring(), HexImage("Receive:", Prefix(kSale, 20)));
  EXPECT_FALSE(protocol.CheckData(kSale, -1, buffer));
  EXPECT_EQ(protocol.ErrCode(), 6);
}

TEST(CheckDataTest, DeclaredMaximumLengthWithFewBytesIsIncomplete) {
  Bytes header = MakeFrame(0xE082, 0, {});
  header[12] = 0xFF;
  header[13] = 0xFF;
  header[15] = FrameHeaderSum(header);
  header.resize(100, 0x00);
  TEcrProtocol protocol(nullptr);
  Bytes buffer;
  EXPECT_FALSE(protocol.CheckData(header, buffer));
  EXPECT_EQ(protocol.ErrCode(), 2);
  EXPECT_EQ(protocol.ReceiveLen(), 65535);
}

}  // namespace
}  // namespace meridox::link
