#include "codec/date_time.h"

namespace meridox::codec {

std::optional<DateTime> DateTime::FromParts(int, int, int, int, int, int, int) {
  return std::nullopt;
}
DateTimeParts DateTime::Parts() const {
  return {};
}
std::string DateTime::ToText() const {
  return {};
}
std::optional<DateTime> DateTime::FromText(std::string_view) {
  return std::nullopt;
}
bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
int DaysInMonth(int, int) {
  return 0;
}

}  // namespace meridox::codec
