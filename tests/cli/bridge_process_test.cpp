// The headless bridge as a shop runs it: a separate `meridox` process against the ECR
// simulator over loopback TCP, driven and observed from outside.
#include <gtest/gtest.h>

#include <thread>

#include "app/cli/control.h"
#include "child_process.h"
#include "config/ini_config.h"
#include "platform/atomic_file.h"
#include "platform/utf8_path.h"
#include "simulator.h"
#include "temp_dir.h"

namespace meridox::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ProgramPath;
using testing::ReadFileText;
using testing::WaitForText;

constexpr std::uint32_t kDisconnectId = 10001;
constexpr std::uint32_t kSaleLineId = 10004;
constexpr std::uint32_t kPrintReportId = 30009;

class BridgeProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = sim_.StartTcp(0);
    ASSERT_NE(port_, 0) << sim_.LastError();
    fs::create_directories(watched());
    TIniConfig config(platform::Utf8FromPath(dir_.path() / "Config.ini"));
    config.ReadConfig();
    config.SetConnKind(1);
    config.SetHost("127.0.0.1");
    config.SetPort(port_);
    config.SetSourceDataPath(platform::Utf8FromPath(watched()));
    config.SetAnswerPath(platform::Utf8FromPath(answers()));
    config.SetDecimalType(1);
    config.WriteConfig();
  }

  fs::path watched() const { return dir_.path() / "in"; }
  fs::path answers() const { return dir_.path() / "Answer"; }
  fs::path output(const std::string& name) const { return dir_.path() / (name + ".out"); }

  std::unique_ptr<ChildProcess> Launch(const std::vector<std::string>& args,
                                       const std::string& name) {
    std::vector<std::string> all = args;
    all.push_back("--home");
    all.push_back(platform::Utf8FromPath(dir_.path()));
    std::string error;
    auto child =
        ChildProcess::Start(ProgramPath(testing::kBridgeProgram), all, output(name), &error);
    EXPECT_NE(child, nullptr) << error;
    return child;
  }

  // Starts `meridox run` and waits until it watches the folder and listens for requests.
  std::unique_ptr<ChildProcess> StartBridge() {
    auto child = Launch({"run"}, "run");
    EXPECT_TRUE(WaitForText(output("run"), "watching", 20s)) << ReadFileText(output("run"));
    return child;
  }

  // The file appears whole, as a POS should write it.
  void DropFile(const std::string& name, const std::string& text) {
    ASSERT_FALSE(platform::WriteFileAtomically(watched() / name, text));
  }

  std::vector<fs::path> AnswerFiles() const {
    std::vector<fs::path> found;
    std::error_code error;
    if (!fs::exists(answers(), error))
      return found;
    for (const auto& entry : fs::recursive_directory_iterator(answers(), error))
      if (entry.path().extension() == ".Ans")
        found.push_back(entry.path());
    return found;
  }

  bool WaitForAnswers(size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (AnswerFiles().size() < count) {
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(50ms);
    }
    return true;
  }

  // SIGTERM where there are signals, else the control channel's stop request.
  void AskStop(ChildProcess& child) {
    if (testing::kStopBySignal)
      child.RequestStop();
    else
      EXPECT_TRUE(RequestRemoteStop(dir_.path()));
  }

  int StopAndWait(ChildProcess& child, std::chrono::milliseconds timeout) {
    AskStop(child);
    int code = -1;
    EXPECT_TRUE(child.Wait(timeout, code)) << "the bridge did not stop in time";
    return code;
  }

  testing::TempDir dir_;
  ecrsim::Simulator sim_;
  std::uint16_t port_ = 0;
};

TEST_F(BridgeProcess, AnswersAReceiptFileAndDeletesIt) {
  auto bridge = StartBridge();
  ASSERT_NE(bridge, nullptr);
  DropFile("r1.txt", "SL/COLA//2/1.20/1\r\nCR/1/2.40\r\n");
  ASSERT_TRUE(WaitForAnswers(1, 20s)) << ReadFileText(output("run"));
  const auto found = AnswerFiles();
  EXPECT_EQ(ReadFileText(found[0]), "OK\r\n");
  EXPECT_EQ(found[0].filename().string().rfind("r1_", 0), 0u) << found[0];
  EXPECT_TRUE(WaitForText(output("run"), "Information: Handle File[", 5s))
      << ReadFileText(output("run"));
  EXPECT_FALSE(fs::exists(watched() / "r1.txt"));
  // The sale and the payment: both travel as sale-line requests.
  EXPECT_EQ(sim_.RequestsOf(kSaleLineId).size(), 2u);
  EXPECT_EQ(StopAndWait(*bridge, 10s), 0);
}

TEST_F(BridgeProcess, StopDuringTheWaitEndsAtOnceAndDisconnects) {
  auto bridge = StartBridge();
  ASSERT_NE(bridge, nullptr);
  DropFile("r1.txt", "QQ\r\n");  // connects the link so that there is something to close
  ASSERT_TRUE(WaitForAnswers(1, 20s));
  std::this_thread::sleep_for(300ms);  // into the 3 s wait between passes
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(StopAndWait(*bridge, 10s), 0);
  // Generous: the point is that it does not sit out the rest of the 3 s period.
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2500ms);
  EXPECT_EQ(sim_.RequestsOf(kDisconnectId).size(), 1u);
}

TEST_F(BridgeProcess, StopDuringAPassFinishesTheFileFirst) {
  ecrsim::FaultRule slow;
  slow.kind = ecrsim::FaultKind::kDelay;
  slow.command_id = kSaleLineId;
  slow.times = 3;
  slow.delay_ms = 800;
  sim_.AddFault(slow);
  auto bridge = StartBridge();
  ASSERT_NE(bridge, nullptr);
  DropFile("r1.txt", "SL/A//1/1.00/1\r\nSL/B//1/1.00/1\r\nCR/1/2.00\r\n");
  // Stop as soon as the first sale is on the wire: the pass is in progress.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (sim_.RequestsOf(kSaleLineId).empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  ASSERT_FALSE(sim_.RequestsOf(kSaleLineId).empty());
  AskStop(*bridge);
  int code = -1;
  ASSERT_TRUE(bridge->Wait(20s, code));
  EXPECT_EQ(code, 0);
  // The file ran to its end and was answered before the bridge left.
  ASSERT_EQ(AnswerFiles().size(), 1u);
  EXPECT_EQ(ReadFileText(AnswerFiles()[0]), "OK\r\n");
  EXPECT_EQ(sim_.RequestsOf(kSaleLineId).size(), 3u);  // two sales and the payment
  EXPECT_EQ(sim_.RequestsOf(kDisconnectId).size(), 1u);
}

TEST_F(BridgeProcess, SecondRunOnTheSameFolderIsRefused) {
  auto bridge = StartBridge();
  ASSERT_NE(bridge, nullptr);
  auto second = Launch({"run"}, "second");
  ASSERT_NE(second, nullptr);
  int code = -1;
  ASSERT_TRUE(second->Wait(20s, code));
  EXPECT_NE(code, 0);
  EXPECT_NE(ReadFileText(output("second")).find("App is already running!"), std::string::npos);
  // The first one is untouched: it still answers.
  DropFile("r1.txt", "QQ\r\n");
  EXPECT_TRUE(WaitForAnswers(1, 20s));
  EXPECT_EQ(StopAndWait(*bridge, 10s), 0);
}

TEST_F(BridgeProcess, ManualReportGoesThroughTheRunningBridge) {
  auto bridge = StartBridge();
  ASSERT_NE(bridge, nullptr);
  const size_t connections = sim_.Connections();
  auto report = Launch({"x-report"}, "x");
  ASSERT_NE(report, nullptr);
  int code = -1;
  ASSERT_TRUE(report->Wait(30s, code));
  EXPECT_EQ(code, 0) << ReadFileText(output("x"));
  EXPECT_NE(ReadFileText(output("x")).find("OK"), std::string::npos);
  const auto prints = sim_.RequestsOf(kPrintReportId);
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_EQ(std::string(prints[0].payload.begin(), prints[0].payload.end()).substr(0, 3), "101");
  // No second connection: the report used the bridge's own link.
  EXPECT_LE(sim_.Connections(), std::max<size_t>(connections, 1));
  EXPECT_EQ(StopAndWait(*bridge, 10s), 0);
}

TEST_F(BridgeProcess, StopRequestOnTheControlChannel) {
  auto bridge = StartBridge();
  ASSERT_NE(bridge, nullptr);
  EXPECT_TRUE(RequestRemoteStop(dir_.path()));
  int code = -1;
  ASSERT_TRUE(bridge->Wait(10s, code));
  EXPECT_EQ(code, 0);
}

TEST(DemoProcess, AnswersTheSamplesAndShowsTheReceipt) {
  testing::TempDir dir;
  std::string error;
  auto demo = ChildProcess::Start(ProgramPath(testing::kBridgeProgram), {"demo"},
                                  dir.path() / "demo.out", &error);
  ASSERT_NE(demo, nullptr) << error;
  int code = -1;
  ASSERT_TRUE(demo->Wait(90s, code));
  const std::string text = ReadFileText(dir.path() / "demo.out");
  EXPECT_EQ(code, 0) << text;
  EXPECT_NE(text.find("--- paper roll ---"), std::string::npos) << text;
  EXPECT_NE(text.find("Error:"), std::string::npos) << text;  // the failing sample's answer
}

}  // namespace
}  // namespace meridox::cli
