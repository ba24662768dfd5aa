#include "app/shell/settings_model.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

#include "app/shell/ip_mask.h"
#include "app/shell/ui_texts.h"
#include "platform/utf8_path.h"

namespace meridox::app {

bool SameTextNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

jobs::TTextEncodingKind EncodingForItem(int itemIndex) {
  switch (itemIndex) {
    case 1:
      return jobs::TTextEncodingKind::teASCII;
    case 2:
      return jobs::TTextEncodingKind::te437;
    case 3:
      return jobs::TTextEncodingKind::te737;
    case 4:
      return jobs::TTextEncodingKind::te1253;
    default:
      return jobs::TTextEncodingKind::teDefault;
  }
}

std::int32_t PortFromNumberText(std::string_view text) {
  const std::string copy(text);
  const char* begin = copy.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value))
    return 0;
  const double cut = std::trunc(value);
  if (cut >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (cut <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(cut);
}

std::int32_t BaudFromText(std::string_view text) {
  if (text.empty())
    return 9600;
  size_t i = 0;
  const bool negative = text[0] == '-';
  if (text[0] == '-' || text[0] == '+')
    i = 1;
  if (i == text.size())
    return 9600;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9')
      return 9600;
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max() + std::int64_t{1})
      return 9600;
  }
  value = negative ? -value : value;
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min())
    return 9600;
  return static_cast<std::int32_t>(value);
}

namespace {

TApplyCheck Fail(std::string_view message, TSettingsControl focus) {
  TApplyCheck check;
  check.message = std::string(message);
  check.focus = focus;
  return check;
}

std::string ItemText(int index, const auto& items) {
  if (index < 0 || static_cast<size_t>(index) >= items.size())
    return {};
  return std::string(items[static_cast<size_t>(index)]);
}

}  // namespace

TApplyCheck CheckSettings(const TSettingsForm& form, std::string_view portName) {
  TAppliedSettings out;
  out.connKind = form.connType;
  if (form.connType != 0) {
    out.host = form.ipAddress;
    if (out.host.empty())
      return Fail(text::kIPEmpty, TSettingsControl::scIPAddress);
    if (!IpMaskMatches(out.host))
      return Fail(text::kIPInvalid, TSettingsControl::scIPAddress);
    if (form.portText.empty())
      return Fail(text::kPortEmpty, TSettingsControl::scPort);
    out.port = PortFromNumberText(form.portText);
  } else {
    out.host = std::string(portName);
    if (out.host.empty())
      return Fail(text::kPortNameEmpty, TSettingsControl::scPortNames);
    const std::string baud = ItemText(form.baudRateIndex, kBaudRateItems);
    if (baud.empty())
      return Fail(text::kBaudRateEmpty, TSettingsControl::scBaudRate);
    out.port = BaudFromText(baud);
  }
  if (form.inEncoding.empty())
    return Fail(text::kInEncodingEmpty, TSettingsControl::scInEncoding);
  out.inEncodingName = form.inEncoding;
  if (form.outEncoding.empty())
    return Fail(text::kOutEncodingEmpty, TSettingsControl::scOutEncoding);
  out.outEncodingName = form.outEncoding;
  out.sourceDataPath = form.path;
  if (out.sourceDataPath.empty())
    return Fail(text::kPathEmpty, TSettingsControl::scPath);
  std::error_code error;
  const std::filesystem::path folder = platform::PathFromUtf8(out.sourceDataPath);
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder, error))
    return Fail(text::kPathCannotCreate, TSettingsControl::scPath);
  const std::string decimal = ItemText(form.decimalIndex, kDecimalItems);
  if (decimal.empty())
    return Fail(text::kDecimalEmpty, TSettingsControl::scDecimalSymbol);
  out.decimalType = form.decimalIndex;
  out.clearFiles = form.clearFiles;
  out.bootWithWindow = form.startWithWindows;
  TApplyCheck check;
  check.ok = true;
  check.settings = std::move(out);
  return check;
}

void StoreSettings(const TAppliedSettings& settings, TIniConfig& config) {
  config.SetConnKind(settings.connKind);
  config.SetHost(settings.host);
  config.SetPort(settings.port);
  config.SetInEncodingName(settings.inEncodingName);
  config.SetOutEncodingName(settings.outEncodingName);
  config.SetSourceDataPath(settings.sourceDataPath);
  config.SetDecimalType(settings.decimalType);
  config.SetClearFiles(settings.clearFiles);
  config.SetBootWithWindow(settings.bootWithWindow);
}

}  // namespace meridox::app
