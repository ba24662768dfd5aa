#include "codec/date_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace meridox::codec {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);

bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t digits, int& out) {
  if (pos + digits > text.size())
    return false;
  int value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9')
      return false;
    value = value * 10 + (c - '0');
  }
  pos += digits;
  out = value;
  return true;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c)
    return false;
  ++pos;
  return true;
}

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12)
    return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<DateTime> DateTime::FromParts(int year, int month, int day, int hour, int minute,
                                            int second, int millisecond) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || millisecond < 0 || millisecond > 999)
    return std::nullopt;
  const auto days = static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch);
  const double time =
      static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) /
      static_cast<double>(kMsPerDay);
  // Before day zero the fraction still adds the time of day, so it is subtracted.
  return DateTime{days < 0 ? days - time : days + time};
}

DateTimeParts DateTime::Parts() const {
  DateTimeParts parts;
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
    return parts;  // far outside the calendar: day zero
  const double whole = std::trunc(value);
  auto days = static_cast<std::int64_t>(whole);
  auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
  if (ms >= kMsPerDay) {  // rounded up to midnight: the next calendar day
    ms -= kMsPerDay;
    days += 1;
  }
  CivilFromDays(days + kEpoch, parts.year, parts.month, parts.day);
  parts.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  parts.second = static_cast<int>(ms % 60);
  ms /= 60;
  parts.minute = static_cast<int>(ms % 60);
  parts.hour = static_cast<int>(ms / 60);
  return parts;
}

std::string DateTime::ToText() const {
  const DateTimeParts p = Parts();
  char buffer[48];
  int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month,
                        p.day, p.hour, p.minute, p.second);
  if (p.millisecond != 0)
    n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), ".%03d",
                       p.millisecond);
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::optional<DateTime> DateTime::FromText(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  std::size_t pos = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
  if (!ReadNumber(text, pos, 4, year) || !Expect(text, pos, '-') ||
      !ReadNumber(text, pos, 2, month) || !Expect(text, pos, '-') || !ReadNumber(text, pos, 2, day))
    return std::nullopt;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T')
      return std::nullopt;
    ++pos;
    if (!ReadNumber(text, pos, 2, hour) || !Expect(text, pos, ':') ||
        !ReadNumber(text, pos, 2, minute))
      return std::nullopt;
    if (pos < text.size()) {
      if (!Expect(text, pos, ':') || !ReadNumber(text, pos, 2, second))
        return std::nullopt;
      if (pos < text.size() && (!Expect(text, pos, '.') || !ReadNumber(text, pos, 3, ms)))
        return std::nullopt;
    }
    if (pos != text.size())
      return std::nullopt;
  }
  return FromParts(year, month, day, hour, minute, second, ms);
}

}  // namespace meridox::codec
