// The job manager against the simulated register answering at once over loopback TCP:
// from a 20-line receipt file appearing in the watched folder to its answer file, split
// into the wait for the worker's next pass (3000 ms period) and the processing; and the
// processing alone, as lines per second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "codec/field_codec.h"
#include "config/ini_config.h"
#include "jobs/command_file.h"
#include "jobs/manager.h"
#include "link/hecr_link.h"
#include "platform/utf8_path.h"
#include "simulator.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using meridox::TIniConfig;
using meridox::ecrsim::Simulator;
using meridox::jobs::TManager;
using meridox::jobs::TManagerOptions;
using meridox::jobs::TManagerServices;

constexpr int kLines = 20;

// 18 sales, a free text and the payment.
std::string Receipt() {
  std::string text;
  for (int i = 0; i < 18; ++i)
    text += "SL/ITEM " + std::to_string(i) + "//1/1,00/1\r\n";
  text += "CM/THANK YOU/SEE YOU/SOON\r\n";
  text += "CR/1/18,00\r\n";
  return text;
}

// A folder with a watched subfolder, answers and settings for one benchmark.
struct Bench {
  Bench() {
    std::random_device random;
    root = fs::temp_directory_path() / ("meridox-jobs-bench-" + std::to_string(random()));
    fs::create_directories(root / "in");
    port = sim.StartTcp();
    std::ofstream(root / "Config.ini", std::ios::binary)
        << "[System]\r\nConnKind=1\r\nHost=127.0.0.1\r\nPort=" << port << "\r\n";
    config = std::make_unique<TIniConfig>(meridox::platform::Utf8FromPath(root / "Config.ini"));
    config->ReadConfig();
  }
  ~Bench() {
    manager.reset();
    sim.Stop();
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  void Make(TManagerOptions options) {
    options.JournalFile = meridox::platform::Utf8FromPath(root / "Jobs.journal");
    TManagerServices services;
    services.Codec = &codec;
    services.Config = config.get();
    manager = std::make_unique<TManager>(services, options);
    manager->SetReceiptsDir(meridox::platform::Utf8FromPath(root / "in"));
    manager->SetAnswerDir(meridox::platform::Utf8FromPath(root / "answers"));
  }
  bool AnswerExists() const {
    std::error_code error;
    for (fs::recursive_directory_iterator it(root / "answers", error), end; !error && it != end;
         it.increment(error))
      if (it->is_regular_file())
        return true;
    return false;
  }
  void ClearAnswers() const {
    std::error_code ignored;
    for (fs::directory_iterator it(root / "answers", ignored), end; !ignored && it != end;
         it.increment(ignored))
      for (const auto& file : fs::directory_iterator(it->path()))
        fs::remove(file.path(), ignored);
  }
  void PutReceipt() const {
    const fs::path temp = root / "receipt.tmp";
    std::ofstream(temp, std::ios::binary) << Receipt();
    fs::rename(temp, root / "in" / "receipt.txt");  // appears at once, complete
  }

  fs::path root;
  Simulator sim;
  std::uint16_t port = 0;
  std::unique_ptr<TIniConfig> config;
  meridox::codec::TccEncode codec;
  std::unique_ptr<TManager> manager;
};

// The running worker with the real period: wall time from the file appearing to its
// answer, and the share of it spent waiting for the pass (until the status query that
// starts the file arrives at the register).
void BM_ReceiptFileToAnswer(benchmark::State& state) {
  Bench bench;
  if (bench.port == 0) {
    state.SkipWithError("no simulator");
    return;
  }
  bench.Make(TManagerOptions{});
  bench.manager->Start();
  double wait_total = 0;
  double processing_total = 0;
  // Files arrive at any moment of the worker's period, not in step with it.
  std::mt19937 random(20261213);
  std::uniform_int_distribution<int> phase_ms(0, 2999);
  for (auto _ : state) {
    bench.ClearAnswers();
    bench.sim.ClearJournal();
    const auto appeared = std::chrono::system_clock::now();
    bench.PutReceipt();
    while (!bench.AnswerExists())
      std::this_thread::sleep_for(200us);
    const auto answered = std::chrono::system_clock::now();
    // The pass begins with the status query before the file: the register's journal
    // stamps its arrival.
    auto started = answered;
    for (const auto& entry : bench.sim.JournalEntries()) {
      if (entry.direction == meridox::ecrsim::Direction::kReceived) {
        started = entry.time;
        break;
      }
    }
    const double total = std::chrono::duration<double>(answered - appeared).count();
    wait_total += std::chrono::duration<double>(started - appeared).count();
    processing_total += std::chrono::duration<double>(answered - started).count();
    state.SetIterationTime(total);
    // Past the pause after the file, then a random point of the next period.
    std::this_thread::sleep_for(600ms + std::chrono::milliseconds(phase_ms(random)));
  }
  bench.manager->Terminate();
  bench.manager->WaitFor();
  const double n = static_cast<double>(state.iterations());
  state.counters["wait_ms"] = 1000.0 * wait_total / n;
  state.counters["processing_ms"] = 1000.0 * processing_total / n;
}
BENCHMARK(BM_ReceiptFileToAnswer)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);

// One pass over the folder holding the receipt, without the worker: the processing alone.
void BM_ProcessReceipt(benchmark::State& state) {
  Bench bench;
  if (bench.port == 0) {
    state.SkipWithError("no simulator");
    return;
  }
  TManagerOptions options;
  options.FilePause = 0ms;
  bench.Make(options);
  const std::string folder =
      bench.manager->AnswerDir() + "bench" + static_cast<char>(fs::path::preferred_separator);
  for (auto _ : state) {
    state.PauseTiming();
    bench.PutReceipt();
    state.ResumeTiming();
    bench.manager->ScanFiles(folder);
  }
  if (!bench.AnswerExists())
    state.SkipWithError("no answer written");
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ProcessReceipt)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
