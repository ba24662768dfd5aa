// The link against the simulated register: the round trip of one sale request over
// loopback TCP, and what waiting for an answer that never comes costs the processor on
// TCP and on a pty (the waits block on the transport between polls).
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/hecr_link.h"
#include "simulator.h"

namespace {

using meridox::ecrsim::FaultKind;
using meridox::ecrsim::Simulator;
using meridox::link::TConnMode;
using meridox::link::THecrLink;

double CpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A sale line of 70 bytes: sale type, the item letter, then name and amounts.
std::vector<std::uint8_t> SalePayload() {
  std::vector<std::uint8_t> payload(70, 0x20);
  payload[0] = 0x01;
  payload[1] = 'S';
  return payload;
}

void BM_SaleRoundTripTcp(benchmark::State& state) {
  Simulator sim;
  const std::uint16_t port = sim.StartTcp();
  THecrLink link;
  link.ConnParams.Mode = TConnMode::cmTCPClient;
  link.ConnParams.Host = "127.0.0.1";
  link.ConnParams.Port = port;
  if (port == 0 || !link.Open()) {
    state.SkipWithError("no simulator");
    return;
  }
  const std::vector<std::uint8_t> payload = SalePayload();
  std::int64_t answered = 0;
  std::uint32_t packet = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> buffer = payload;
    // A new packet number each time: the register answers a repeated frame from memory.
    const bool ok = link.SendBuffer(10004, buffer, static_cast<std::int32_t>(packet++ % 1000), 70,
                                    5000, 1, "907158");
    // Accepted or refused, an answer came back; only a time-out is no round trip.
    if (ok || link.ErrCode() == 254 || link.ErrCode() == 13)
      ++answered;
  }
  state.counters["answered"] = static_cast<double>(answered);
}
BENCHMARK(BM_SaleRoundTripTcp)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// One unanswered exchange of 5 s; counters give the share of one core used by the
// waiting thread and by the whole process (the simulator's thread included).
void WaitForNothing(benchmark::State& state, THecrLink& link) {
  for (auto _ : state) {
    const double thread0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto wall0 = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> buffer;
    link.SendBuffer(20000, buffer, 0, 0, 5000, 1, "907158");
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    state.counters["wait_s"] = wall;
    state.counters["thread_cpu_pct"] =
        100.0 * (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0) / wall;
    state.counters["process_cpu_pct"] =
        100.0 * (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0) / wall;
    state.counters["polls"] = static_cast<double>(link.PollCount());
  }
}

void BM_WaitNoAnswerTcp(benchmark::State& state) {
  Simulator sim;
  const std::uint16_t port = sim.StartTcp();
  sim.AddFault(
      {.kind = FaultKind::kNoAnswer, .command_id = 20000, .times = meridox::ecrsim::kForever});
  THecrLink link;
  link.ConnParams.Mode = TConnMode::cmTCPClient;
  link.ConnParams.Host = "127.0.0.1";
  link.ConnParams.Port = port;
  if (port == 0 || !link.Open()) {
    state.SkipWithError("no simulator");
    return;
  }
  WaitForNothing(state, link);
}
BENCHMARK(BM_WaitNoAnswerTcp)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WaitNoAnswerPty(benchmark::State& state) {
  meridox::ecrsim::SimulatorOptions options;
  options.listen_speed = 115200;
  Simulator sim(options);
  if (!sim.StartPty()) {
    state.SkipWithError("no pty");
    return;
  }
  sim.AddFault(
      {.kind = FaultKind::kNoAnswer, .command_id = 20000, .times = meridox::ecrsim::kForever});
  THecrLink link;
  link.ConnParams.Mode = TConnMode::cmCOM;
  link.ConnParams.PortName = sim.SerialPath();
  link.ConnParams.BaudRate = 115200;
  if (!link.Open()) {
    state.SkipWithError("cannot open the pty");
    return;
  }
  WaitForNothing(state, link);
}
BENCHMARK(BM_WaitNoAnswerPty)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
