// Command files end to end: from the watched folder over loopback TCP to the simulated
// ECR and back into answer files.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "jobs/command_file.h"
#include "jobs_fixture.h"
#include "link/hecr_link.h"
#include "log/messages.h"
#include "packing/command.h"
#include "packing/packer.h"
#include "platform/app_folder.h"
#include "platform/utf8_path.h"

namespace meridox::jobs::testing {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  return fs::exists(platform::PathFromUtf8(path));
}

// What a fresh packer makes of the lines: the requests the ECR must receive, in order.
packing::TPackedDatas Expected(const codec::TccEncode& codec, std::vector<std::string> lines) {
  packing::TPacker packer(codec);
  packing::TPackedDatas all;
  for (const auto& line : lines) {
    packing::TPackedDatas one;
    EXPECT_TRUE(packer.PackData(packing::TCommand::FetchCommand(line, "/"), one)) << line;
    all.insert(all.end(), one.begin(), one.end());
  }
  return all;
}

using Files = JobsTest;

TEST_F(Files, FullReceiptGoesOutByteForByteAndIsAnsweredOK) {
  auto manager = MakeManager();
  const std::vector<std::string> lines = {
      "SL/COLA//2/1,20/1", "SL/\xCE\xA8\xCE\xA9\xCE\x9C\xCE\x99//1/0,80/2", "CR/1/3,20"};
  const std::string path =
      PutFile("order17.txt", lines[0] + "\r\n" + lines[1] + "\n" + lines[2] + "\r\n");
  Pass(*manager);

  // Status before the file, the three lines, the status after the payment.
  std::vector<ecrsim::ReceivedRequest> requests = sim_.Requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests.front().command_id, 20000u);
  EXPECT_EQ(requests.back().command_id, 20000u);
  const packing::TPackedDatas expected = Expected(codec_, lines);
  ASSERT_EQ(expected.size(), 3u);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(requests[i + 1].command_id, expected[i].Command) << i;
    EXPECT_EQ(requests[i + 1].payload, expected[i].Data) << i;
    EXPECT_EQ(requests[i + 1].packet_number, 0u) << i;
    EXPECT_EQ(requests[i + 1].ecr_id, 907158u) << i;
  }
  EXPECT_FALSE(sim_.State().receipt_open);
  EXPECT_EQ(sim_.State().day_sales, 320);

  EXPECT_FALSE(Exists(path));
  const auto answers = AnswersOf("order17");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], "OK\r\n");
  // In the folder of today, yyMMdd.
  const auto files = AnswerFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(platform::Utf8FromPath(files[0].parent_path().filename()).size(), 6u);
  const auto notices = notices_.Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, TNoticeKind::nkInformation);
  EXPECT_EQ(notices[0].text, "Handle File[" + path + "] OK");
}

TEST_F(Files, EmptyAndBlankFilesAreAnsweredOKWithoutSendingALine) {
  auto manager = MakeManager();
  const std::string empty = PutFile("empty.txt", "");
  const std::string blank = PutFile("blank.txt", " \r\n\t\r\n\r\n");
  Pass(*manager);
  for (const std::uint32_t id : SentIds())
    EXPECT_EQ(id, 20000u);
  EXPECT_FALSE(Exists(empty));
  EXPECT_FALSE(Exists(blank));
  EXPECT_EQ(AnswersOf("empty"), std::vector<std::string>{"OK\r\n"});
  EXPECT_EQ(AnswersOf("blank"), std::vector<std::string>{"OK\r\n"});
}

struct FailureCase {
  const char* name;
  std::string file;
  std::vector<std::string> file_lines;  // as the answer lists them
  bool refuse_first_sale;
  std::string message;
};

class FailingFirstLine : public JobsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailingFirstLine, StopsTheFileAndAnswersWithItsTextAndTheError) {
  const FailureCase& c = GetParam();
  if (c.refuse_first_sale)
    sim_.AddFault({.kind = ecrsim::FaultKind::kRefuse,
                   .command_id = 10004,
                   .text = "\xCE\x91\xCE\xA1\xCE\x9D\xCE\x97\xCE\xA3\xCE\x97"});
  auto manager = MakeManager();
  manager->SetOutEncoding(TTextEncoding(TTextEncodingKind::te737));
  const std::string path = PutFile("bad.txt", c.file);
  Pass(*manager);
  // Nothing after the failing line reaches the ECR.
  EXPECT_TRUE(Sent(10013).empty());
  EXPECT_LE(Sent(10004).size(), 1u);
  EXPECT_FALSE(Exists(path));
  // Written in 737: read back as 737 it is the text, read as 1253 it is not.
  const TTextEncoding cp737(TTextEncodingKind::te737);
  const auto answers = AnswersOf("bad", cp737);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], FailureAnswer(c.file_lines, c.message) + "\r\n");
  if (c.refuse_first_sale) {
    EXPECT_NE(AnswersOf("bad")[0], answers[0]);
  }
  const auto notices = notices_.Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, TNoticeKind::nkError);
  EXPECT_EQ(notices[0].text, "Handle File[" + path + "] Error:\r\n" + c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingFirstLine,
    ::testing::Values(FailureCase{"unsupported",
                                  "XYZ/1\r\nHL/A/B/C\r\n",
                                  {"XYZ/1", "HL/A/B/C"},
                                  false,
                                  "UnSupport Command!"},
                      FailureCase{"refused_sale",
                                  "SL/\xCE\x9A\xCE\x91\xCE\xA6\xCE\x95//1/1,00/1\r\nHL/A/B/C\r\n",
                                  {"SL/\xCE\x9A\xCE\x91\xCE\xA6\xCE\x95//1/1,00/1", "HL/A/B/C"},
                                  true,
                                  "\xCE\x91\xCE\xA1\xCE\x9D\xCE\x97\xCE\xA3\xCE\x97"},
                      FailureCase{"unpackable_payment",
                                  "CR//1,00\r\n\r\nHL/A/B/C",
                                  {"CR//1,00", "", "HL/A/B/C"},
                                  false,
                                  "Pack Data Error"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Files, AFolderNamedLikeACommandFileIsSkipped) {
  fs::create_directory(platform::PathFromUtf8(In() + platform::kPathDelimiter + "x.txt"));
  PutFile("real.txt", "QQ/\r\n");
  auto manager = MakeManager();
  Pass(*manager);
  // The status query and the drawer: the folder was not taken for a command file.
  EXPECT_EQ(sim_.Requests().size(), 2u);
  EXPECT_EQ(AnswersOf("real"), std::vector<std::string>{"OK\r\n"});
  EXPECT_TRUE(AnswersOf("x").empty());
  EXPECT_TRUE(fs::is_directory(platform::PathFromUtf8(In() + platform::kPathDelimiter + "x.txt")));
}

TEST_F(Files, WithTheEcrSwitchedOffFilesStayAndNothingIsAnswered) {
  auto manager = MakeManager();
  sim_.Stop();
  const std::string a = PutFile("a.txt", "SL/COLA//1/1,00/1\r\n");
  const std::string b = PutFile("b.txt", "SL/COLA//1/1,00/1\r\n");
  Pass(*manager);
  Pass(*manager);
  EXPECT_TRUE(Exists(a));
  EXPECT_TRUE(Exists(b));
  EXPECT_TRUE(AnswerFiles().empty());
  EXPECT_TRUE(notices_.Notices().empty());
}

TEST_F(Files, StatusFollowUpsRunInTheOrderBitZeroTwoOne) {
  sim_.SetPendingData(ecrsim::PendingKind::kPluReport, {{1, 2, 3}, {4, 5}});
  sim_.SetPendingData(ecrsim::PendingKind::kReceiptContent, {{9}, {8}, {7}});
  sim_.RequestReconnect();
  auto manager = MakeManager();
  TResult result;
  manager->CheckEcrStatus(result);
  EXPECT_EQ(result.Code, TRetCode::rcSuccess) << result.Msg;
  const std::vector<std::uint32_t> expected = {20000, 20002, 20002, 20002, 10000,
                                               10009, 10009, 10009, 10009};
  EXPECT_EQ(SentIds(), expected);
  // Packet numbers count up within each multi-packet read.
  const auto reads = Sent(10009);
  for (std::size_t i = 0; i < reads.size(); ++i)
    EXPECT_EQ(reads[i].packet_number, i);
  // The link's own time-out is back.
  EXPECT_EQ(manager->Link().TimeOut(), 1000);
}

TEST_F(Files, StatusBitThreeEndsWithTheEcrsGreekTextAndNoFollowUp) {
  const std::string text =
      "\xCE\xA4\xCE\x95\xCE\x9B\xCE\x9F\xCE\xA3 "
      "\xCE\xA7\xCE\x91\xCE\xA1\xCE\xA4\xCE\x99\xCE\x9F\xCE\xA5";
  sim_.SetStatusWord(8 | 1 | 2 | 4, 1, text);
  auto manager = MakeManager();
  TResult result;
  manager->CheckEcrStatus(result);
  EXPECT_EQ(result.Code, TRetCode::rcECRError);
  EXPECT_EQ(result.Msg, text);
  EXPECT_EQ(SentIds(), std::vector<std::uint32_t>{20000});
}

TEST_F(Files, StatusErrorBeforeAFileEndsThePassAndLeavesItsFiles) {
  sim_.SetStatusWord(8, 1, "X");
  const std::string a = PutFile("a.txt", "QQ/\r\n");
  auto manager = MakeManager();
  Pass(*manager);
  EXPECT_TRUE(Exists(a));
  EXPECT_TRUE(AnswerFiles().empty());
  Pass(*manager);  // the next pass finds the ECR well again
  EXPECT_FALSE(Exists(a));
}

TEST_F(Files, StatusAfterAPaymentFailsTheFileWithTheEcrText) {
  auto manager = MakeManager();
  PutFile("pay.txt", "SL/COLA//1/1,00/1\r\nCR/1/1,00\r\nHL/A/B/C\r\n");
  // The status before the file is fine, the one after the payment reports an error.
  sim_.SetStatusWord(0, 1);
  sim_.SetStatusWord(8, 1, "\xCE\xA7\xCE\x91\xCE\xA1\xCE\xA4\xCE\x99");
  Pass(*manager);
  const auto answers = AnswersOf("pay");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_NE(answers[0].find("Error:\xCE\xA7\xCE\x91\xCE\xA1\xCE\xA4\xCE\x99\r\n"),
            std::string::npos);
  EXPECT_TRUE(Sent(10013).empty());
}

struct SubtotalCase {
  const char* line;
};

class SubtotalDiscount : public JobsTest, public ::testing::WithParamInterface<SubtotalCase> {};

TEST_P(SubtotalDiscount, SendsBothRequestsWithPacketNumbersZeroAndOne) {
  auto manager = MakeManager();
  TResult result;
  manager->ExecuteCommand(packing::TCommand::FetchCommand("SL/COLA//1/10,00/1", "/"), result);
  ASSERT_EQ(result.Code, TRetCode::rcSuccess) << result.Msg;
  sim_.ClearJournal();
  manager->ExecuteCommand(packing::TCommand::FetchCommand(GetParam().line, "/"), result);
  EXPECT_EQ(result.Code, TRetCode::rcSuccess) << result.Msg;
  const auto requests = sim_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].packet_number, 0u);
  EXPECT_EQ(requests[1].packet_number, 1u);
  packing::TPacker packer(codec_);
  packing::TPackedDatas expected;
  packing::TPackedDatas first;
  packer.PackData(packing::TCommand::FetchCommand("SL/COLA//1/10,00/1", "/"), first);
  packer.PackData(packing::TCommand::FetchCommand(GetParam().line, "/"), expected);
  ASSERT_EQ(expected.size(), 2u);
  EXPECT_EQ(requests[0].payload, expected[0].Data);
  EXPECT_EQ(requests[1].payload, expected[1].Data);
}

INSTANTIATE_TEST_SUITE_P(Lines, SubtotalDiscount,
                         ::testing::Values(SubtotalCase{"TE/1,00"}, SubtotalCase{"T%/5"}));

TEST_F(Files, AFailedSubtotalSendsNoDiscount) {
  auto manager = MakeManager();
  sim_.AddFault(
      {.kind = ecrsim::FaultKind::kNoAnswer, .command_id = 10004, .times = ecrsim::kForever});
  TResult result;
  manager->ExecuteCommand(packing::TCommand::FetchCommand("TE/1,00", "/"), result);
  EXPECT_EQ(result.Code, TRetCode::rcECRError);
  EXPECT_FALSE(result.Msg.empty());
  const auto requests = sim_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].packet_number, 0u);
}

struct LoginCase {
  const char* line;
  std::vector<std::uint8_t> payload;
  int password_kept;
};

class ClerkLogin : public JobsTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(ClerkLogin, SendsTheClerkAndRemembersIt) {
  auto manager = MakeManager();
  TResult result;
  manager->ExecuteCommand(packing::TCommand::FetchCommand(GetParam().line, "/"), result);
  EXPECT_EQ(result.Code, TRetCode::rcSuccess) << result.Msg;
  const auto logins = Sent(10002);
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_EQ(logins[0].payload, GetParam().payload);
  EXPECT_EQ(logins[0].ecr_id, 907158u);
  TIniConfig reread(config_->FileName());
  reread.ReadConfig();
  EXPECT_EQ(reread.LastClerkID(), 3);
  EXPECT_EQ(reread.LastClerkPassWord(), GetParam().password_kept);
  EXPECT_EQ(reread.Port(), port_);  // the rest of the settings are kept
}

INSTANTIATE_TEST_SUITE_P(Lines, ClerkLogin,
                         ::testing::Values(
                             // Password given.
                             LoginCase{"11/3/1234", {0x00, 0x03, 0x00, 0x00, 0x04, 0xD2}, 1234},
                             // Password 0: the one of section "Clerk", key ClerkID3.
                             LoginCase{"11/3", {0x00, 0x03, 0x00, 0x00, 0x10, 0xE1}, 0}));

TEST_F(Files, LoginWritesTheClerkEvenWhenTheSendFails) {
  auto manager = MakeManager();
  sim_.Stop();
  const TResult result = manager->Login(5, 77, false);
  EXPECT_EQ(result.Code, TRetCode::rcECRError);
  EXPECT_FALSE(result.Msg.empty());
  TIniConfig reread(config_->FileName());
  reread.ReadConfig();
  EXPECT_EQ(reread.LastClerkID(), 5);
  EXPECT_EQ(reread.LastClerkPassWord(), 77);
}

TEST_F(Files, ReadAllPacketsStopsAtItsCap) {
  TManagerOptions options = FastOptions();
  options.MaxReadPackets = 5;
  auto manager = MakeManager(options);
  std::vector<std::vector<std::uint8_t>> packets(12, std::vector<std::uint8_t>{1, 2, 3});
  sim_.SetPendingData(ecrsim::PendingKind::kReceiptContent, packets);
  std::vector<std::uint8_t> stream;
  TResult result;
  manager->ReadAllPackets(10009, stream, result);
  EXPECT_EQ(result.Code, TRetCode::rcECRError);
  EXPECT_EQ(result.Msg, "Read Receipt Error");
  EXPECT_EQ(Sent(10009).size(), 5u);
  EXPECT_EQ(manager->Link().TimeOut(), 1000);

  manager.reset();  // the simulator serves one connection at a time
  TManagerOptions bytes = FastOptions();
  bytes.MaxReadBytes = 7;
  auto by_size = MakeManager(bytes);
  sim_.ClearJournal();
  by_size->ReadAllPackets(10009, stream, result);
  EXPECT_EQ(result.Code, TRetCode::rcECRError);
  EXPECT_EQ(Sent(10009).size(), 3u);
}

TEST_F(Files, ReadAllPacketsStopsWhenTheWorkerIsTerminated) {
  auto manager = MakeManager();
  sim_.SetPendingData(ecrsim::PendingKind::kPluReport, {{1}, {2}, {3}});
  manager->Terminate();
  std::vector<std::uint8_t> stream;
  TResult result;
  manager->ReadAllPackets(20002, stream, result);
  EXPECT_EQ(result.Code, TRetCode::rcSuccess);
  EXPECT_TRUE(Sent(20002).empty());
}

TEST_F(Files, ReadAllPacketsWithAnEmptyFirstAnswerSucceedsEmpty) {
  auto manager = MakeManager();
  std::vector<std::uint8_t> stream{1};
  TResult result;
  manager->ReadAllPackets(20002, stream, result);
  EXPECT_EQ(result.Code, TRetCode::rcSuccess);
  EXPECT_TRUE(stream.empty());
}

TEST_F(Files, AFailedReadRestoresTheTimeOutAndNamesTheRead) {
  auto manager = MakeManager();
  sim_.Stop();
  std::vector<std::uint8_t> stream;
  TResult result;
  manager->ReadAllPackets(20002, stream, result);
  EXPECT_EQ(result.Code, TRetCode::rcECRError);
  EXPECT_EQ(result.Msg.rfind("Read Receipt ", 0), 0u);
  EXPECT_EQ(manager->Link().TimeOut(), 1000);
}

}  // namespace
}  // namespace meridox::jobs::testing
