#include "platform/clock.h"

#include <atomic>
#include <ctime>
#include <thread>

namespace meridox::platform {

LocalTime Clock::LocalNow() const {
  return ToLocalTime(Now());
}

LocalTime ToLocalTime(std::chrono::system_clock::time_point moment) {
  const auto since_epoch = moment.time_since_epoch();
  const auto seconds = std::chrono::floor<std::chrono::seconds>(since_epoch);
  const std::tm parts = LocalCalendar(static_cast<std::time_t>(seconds.count()));
  LocalTime out;
  out.year = parts.tm_year + 1900;
  out.month = parts.tm_mon + 1;
  out.day = parts.tm_mday;
  out.hour = parts.tm_hour;
  out.minute = parts.tm_min;
  out.second = parts.tm_sec;
  out.millisecond = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch - seconds).count());
  return out;
}

namespace {

class RealClock final : public Clock {
 public:
  std::chrono::system_clock::time_point Now() const override {
    return std::chrono::system_clock::now();
  }
  std::chrono::steady_clock::time_point Monotonic() const override {
    return std::chrono::steady_clock::now();
  }
  void SleepFor(std::chrono::milliseconds duration) override {
    std::this_thread::sleep_for(duration);
  }
};

}  // namespace

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

// Offsets in nanoseconds from the start points; atomics because a worker thread reads
// the fake clock while the test thread moves it.
struct FakeClock::State {
  std::chrono::system_clock::time_point wall_start;
  std::atomic<long long> offset_ns{0};
};

FakeClock::FakeClock(std::chrono::system_clock::time_point start)
    : state_(std::make_shared<State>()) {
  state_->wall_start = start;
}

std::chrono::system_clock::time_point FakeClock::Now() const {
  return state_->wall_start + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                  std::chrono::nanoseconds(state_->offset_ns.load()));
}

std::chrono::steady_clock::time_point FakeClock::Monotonic() const {
  return std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::nanoseconds(state_->offset_ns.load())));
}

void FakeClock::SleepFor(std::chrono::milliseconds duration) {
  Advance(duration);
}

void FakeClock::Advance(std::chrono::milliseconds duration) {
  state_->offset_ns += std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
}

void FakeClock::Set(std::chrono::system_clock::time_point moment) {
  state_->offset_ns =
      std::chrono::duration_cast<std::chrono::nanoseconds>(moment - state_->wall_start).count();
}

}  // namespace meridox::platform
