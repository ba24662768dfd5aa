#include "platform/clock.h"

#include <gtest/gtest.h>

namespace meridox::platform {
namespace {

using namespace std::chrono_literals;

TEST(FakeClock, SleepAdvancesWallAndMonotonicTogether) {
  FakeClock clock(std::chrono::system_clock::time_point(1000s));
  const auto wall = clock.Now();
  const auto mono = clock.Monotonic();
  clock.SleepFor(1500ms);
  EXPECT_EQ(clock.Now() - wall, 1500ms);
  EXPECT_EQ(clock.Monotonic() - mono, 1500ms);
}

TEST(LocalTime, BreaksDownMillisecondsAndFields) {
  const auto now = std::chrono::system_clock::now();
  const LocalTime t = ToLocalTime(now + 0ms);
  EXPECT_GE(t.year, 2020);
  EXPECT_GE(t.month, 1);
  EXPECT_LE(t.month, 12);
  EXPECT_GE(t.millisecond, 0);
  EXPECT_LT(t.millisecond, 1000);
  const LocalTime later = ToLocalTime(now - now.time_since_epoch() % 1s + 250ms);
  EXPECT_EQ(later.millisecond, 250);
}

}  // namespace
}  // namespace meridox::platform
