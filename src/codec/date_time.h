// Date-times as the ECR answers and requests carry them: a day count with the time of
// day as the fraction, day zero being 30 December 1899 (negative days count backwards,
// the fraction still adding the time of day).
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace meridox::codec {

struct DateTimeParts {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

struct DateTime {
  double value = 0.0;  // days since 1899-12-30, time of day as the fraction

  // Nothing when a part is out of range (month 13, 31 April, hour 24, year 0 ...).
  static std::optional<DateTime> FromParts(int year, int month, int day, int hour = 0,
                                           int minute = 0, int second = 0, int millisecond = 0);
  // Broken down to the millisecond.
  DateTimeParts Parts() const;

  // "yyyy-MM-dd hh:mm:ss" (".zzz" appended when the milliseconds are not zero).
  std::string ToText() const;
  // Reads "yyyy-MM-dd", optionally followed by " " or "T" and "hh:mm", "hh:mm:ss" or
  // "hh:mm:ss.zzz"; surrounding blanks are ignored. Nothing when it is not such a text.
  static std::optional<DateTime> FromText(std::string_view text);

  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

}  // namespace meridox::codec
