#include "app/cli/demo.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <system_error>
#include <thread>

#include "config/ini_config.h"
#include "jobs/command_file.h"
#include "jobs/text_encoding.h"
#include "platform/atomic_file.h"
#include "platform/stop_request.h"
#include "platform/utf8_path.h"
#include "simulator.h"

namespace meridox::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct SampleFile {
  const char* name;
  const char* text;  // UTF-8; written in code page 1253 as the demo's POS would
};

// Amounts with "." (DecimalType 1). The third file pays with no receipt open: the ECR
// refuses it, and the answer file shows how a failure reads.
constexpr SampleFile kSamples[] = {
    {"1-receipt.txt",
     "SL/\xCE\x9A\xCE\x91\xCE\xA6\xCE\x95\xCE\xA3 \xCE\x95\xCE\x9B\xCE\x9B\xCE\x97\xCE\x9D\xCE\x99"
     "\xCE\x9A\xCE\x9F\xCE\xA3//2/1.80/1\r\n"
     "SL/\xCE\xA4\xCE\xA5\xCE\xA1\xCE\x9F\xCE\xA0\xCE\x99\xCE\xA4\xCE\x91/5201234567890/1/2.50/"
     "2\r\n"
     "SL/\xCE\x9D\xCE\x95\xCE\xA1\xCE\x9F 500ml//3/0.50/1\r\n"
     "TE/0.30\r\n"
     "CR/1/10.00\r\n"},
    {"2-refund.txt",
     "SL/\xCE\xA7\xCE\xA5\xCE\x9C\xCE\x9F\xCE\xA3 \xCE\xA0\xCE\x9F\xCE\xA1\xCE\xA4\xCE\x9F\xCE\x9A"
     "\xCE\x91\xCE\x9B\xCE\x99//2/3.00/1\r\n"
     "RF/\xCE\xA7\xCE\xA5\xCE\x9C\xCE\x9F\xCE\xA3 \xCE\xA0\xCE\x9F\xCE\xA1\xCE\xA4\xCE\x9F\xCE\x9A"
     "\xCE\x91\xCE\x9B\xCE\x99//1/3.00/1\r\n"
     "CR/1/3.00\r\n"},
    {"3-failing.txt", "CR/1/5.00\r\n"},
};

const jobs::TTextEncoding kFileEncoding(jobs::TTextEncodingKind::te1253);

fs::path MakeDemoFolder() {
  const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
  fs::path folder = fs::temp_directory_path() / ("meridox-demo-" + std::to_string(stamp));
  fs::create_directories(folder / "in");
  return folder;
}

std::vector<fs::path> AnswerFiles(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code error;
  if (!fs::exists(root, error))
    return found;
  for (const auto& entry : fs::recursive_directory_iterator(root, error))
    if (entry.is_regular_file(error) && entry.path().extension() == ".Ans")
      found.push_back(entry.path());
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err) {
  ecrsim::Simulator simulator;
  const std::uint16_t port = simulator.StartTcp(0);
  if (port == 0) {
    err << "demo: the ECR simulator did not start: " << simulator.LastError() << '\n';
    return 1;
  }
  const fs::path home = MakeDemoFolder();
  const fs::path watched = home / "in";
  const fs::path answers = home / "Answer";
  {
    TIniConfig config(platform::Utf8FromPath(home / "Config.ini"));
    config.ReadConfig();
    config.SetConnKind(1);
    config.SetHost("127.0.0.1");
    config.SetPort(port);
    config.SetInEncodingName("1253");
    config.SetOutEncodingName("1253");
    config.SetSourceDataPath(platform::Utf8FromPath(watched));
    config.SetAnswerPath(platform::Utf8FromPath(answers));
    config.SetDecimalType(1);
    try {
      config.WriteConfig();
    } catch (const std::exception& e) {
      err << "demo: " << e.what() << '\n';
      return 1;
    }
  }
  out << "MERIDOX demo: ECR simulator on 127.0.0.1:" << port << ", program folder "
      << platform::Utf8FromPath(home) << "\n\n";

  ConsoleLines console(out);
  Bridge bridge(platform::Utf8FromPath(home), console, options.tuning);
  std::string error;
  if (!bridge.Open(error)) {
    err << "demo: " << error << '\n';
    return 1;
  }
  bridge.StartWorker();

  // One file after the other, so the story reads in order: a receipt, a refund, a failure.
  const auto deadline = std::chrono::steady_clock::now() + options.answer_wait;
  size_t dropped = 0;
  for (const SampleFile& sample : kSamples) {
    // The POS's file appears whole: the bridge must never see half a command file.
    if (platform::WriteFileAtomically(watched / sample.name, kFileEncoding.Encode(sample.text))) {
      err << "demo: cannot write " << sample.name << '\n';
      return 1;
    }
    ++dropped;
    while (AnswerFiles(answers).size() < dropped && std::chrono::steady_clock::now() < deadline &&
           !platform::StopRequested())
      std::this_thread::sleep_for(100ms);
  }
  const size_t expected = std::size(kSamples);

  const auto found = AnswerFiles(answers);
  out << "\n--- answer files ---\n";
  for (const fs::path& file : found) {
    out << "[" << file.filename().string() << "]\n";
    try {
      out << kFileEncoding.Decode(jobs::ReadFileBytes(platform::Utf8FromPath(file))) << "\n";
    } catch (const std::exception& e) {
      out << e.what() << "\n";
    }
  }
  out << "--- paper roll ---\n" << simulator.Paper().Text() << "--- end ---\n";

  if (options.keep) {
    out << "\nThe bridge keeps running. Drop command files into\n  "
        << platform::Utf8FromPath(watched)
        << "\n(code page 1253, amounts with '.'); answers appear under\n  "
        << platform::Utf8FromPath(answers) << "\nStop with Ctrl+C.\n"
        << std::flush;
    while (!platform::WaitForStop(1s)) {
    }
  }
  bridge.StopWorker();
  if (!options.keep) {
    std::error_code ignored;
    fs::remove_all(home, ignored);
  }
  if (found.size() < expected) {
    err << "demo: only " << found.size() << " of " << expected << " files were answered\n";
    return 1;
  }
  return 0;
}

}  // namespace meridox::cli
