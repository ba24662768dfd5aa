// The program's view of time, behind an interface so that tests can move it: the log's
// day change, the answer folder's date, time-outs and the five-minute dialog.
#pragma once

#include <chrono>
#include <ctime>
#include <memory>

namespace meridox::platform {

// A moment in local time, broken down as the log and the answer names need it.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Wall-clock time, for stamps and dates.
  virtual std::chrono::system_clock::time_point Now() const = 0;
  // A clock that never jumps, for time-outs.
  virtual std::chrono::steady_clock::time_point Monotonic() const = 0;
  // Waits; a fake clock advances itself instead of sleeping.
  virtual void SleepFor(std::chrono::milliseconds duration) = 0;

  LocalTime LocalNow() const;
};

// The real clock, shared by the whole process.
Clock& SystemClock();

// Breaks a wall-clock moment down in the system's time zone.
LocalTime ToLocalTime(std::chrono::system_clock::time_point moment);

// The calendar fields of a moment in the system's time zone (per-OS, thread-safe).
std::tm LocalCalendar(std::time_t moment);

// A clock that stands still until told to move; SleepFor advances it.
class FakeClock : public Clock {
 public:
  explicit FakeClock(std::chrono::system_clock::time_point start = {});
  std::chrono::system_clock::time_point Now() const override;
  std::chrono::steady_clock::time_point Monotonic() const override;
  void SleepFor(std::chrono::milliseconds duration) override;
  void Advance(std::chrono::milliseconds duration);
  void Set(std::chrono::system_clock::time_point moment);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace meridox::platform
