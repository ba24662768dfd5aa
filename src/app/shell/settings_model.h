// The settings panel without its windows: the controls' contents as plain values, how
// they are filled from the configuration, and what Apply checks and takes from them.
// The tray program draws these values; tests drive them on every platform.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/ini_config.h"
#include "jobs/text_encoding.h"

namespace meridox::app {

inline constexpr std::array<std::string_view, 5> kBaudRateItems = {"9600", "19200", "38400",
                                                                   "57600", "115200"};
inline constexpr std::array<std::string_view, 5> kEncodingItems = {"Default", "ASCII", "437", "737",
                                                                   "1253"};
inline constexpr std::array<std::string_view, 2> kDecimalItems = {"Comma", "Dot"};

// The control a failed check sends the focus to.
enum class TSettingsControl {
  scNone,
  scIPAddress,
  scPort,
  scPortNames,
  scBaudRate,
  scInEncoding,
  scOutEncoding,
  scPath,
  scDecimalSymbol,
};

// What the panel's controls hold. Drop-down lists keep an item index (-1: no selection);
// the encoding boxes also take typed text, so they keep their text.
struct TSettingsForm {
  std::int32_t connType = 0;  // FConnType: 0 serial, 1 Ethernet
  std::string ipAddress;
  std::string portText;
  int portNameIndex = -1;  // into the serial port list
  int baudRateIndex = 0;   // "9600"
  std::string inEncoding = "Default";
  std::string outEncoding = "Default";
  std::string path;
  bool clearFiles = false;
  int decimalIndex = 0;  // "Comma"
  bool startWithWindows = false;
};

// The item of `items` equal to `text` (case-insensitive), or -1.
int FindItem(std::string_view text, const auto& items);

// Fills the controls from the configuration, `portNames` being the current port list.
TSettingsForm LoadSettingsForm(const TIniConfig& config, const auto& portNames);

// The encoding the worker uses for a box's selected item: 1 ASCII, 2 437, 3 737, 4 1253,
// anything else (0, no item) the system's default.
jobs::TTextEncodingKind EncodingForItem(int itemIndex);

// The settings Apply takes from the controls (the configuration's "System" values that
// the panel owns).
struct TAppliedSettings {
  std::int32_t connKind = 0;
  std::string host;
  std::int32_t port = 0;
  std::string inEncodingName;
  std::string outEncodingName;
  std::string sourceDataPath;
  std::int32_t decimalType = 0;
  bool clearFiles = false;
  bool bootWithWindow = false;
};

struct TApplyCheck {
  bool ok = false;
  std::string message;  // UTF-8, shown in a plain message box when !ok
  TSettingsControl focus = TSettingsControl::scNone;
  TAppliedSettings settings;  // complete only when ok
};

// Apply's checks in their fixed order. `portName` is the port box's text. Creates the
// watched folder (with its parents) when it is missing; writes nothing else.
TApplyCheck CheckSettings(const TSettingsForm& form, std::string_view portName);

// Copies checked settings into the configuration (values only; the caller writes the
// file). Kept apart from the checks so a failed Apply leaves the configuration untouched
// for the login's later WriteConfig.
void StoreSettings(const TAppliedSettings& settings, TIniConfig& config);

// Number text of the Ethernet port box: its value with the fraction cut off; 0 when it is
// not a number, clamped to the 32-bit range.
std::int32_t PortFromNumberText(std::string_view text);
// Baud rate text as an integer, 9600 when it is not one.
std::int32_t BaudFromText(std::string_view text);

// --- implementation of the templates ---

bool SameTextNoCase(std::string_view a, std::string_view b);

int FindItem(std::string_view text, const auto& items) {
  int index = 0;
  for (const auto& item : items) {
    if (SameTextNoCase(text, item))
      return index;
    ++index;
  }
  return -1;
}

TSettingsForm LoadSettingsForm(const TIniConfig& config, const auto& portNames) {
  TSettingsForm form;
  form.connType = config.ConnKind();
  if (config.ConnKind() != 0) {
    form.ipAddress = config.Host();
    form.portText = std::to_string(config.Port());
  } else {
    // A configured port that is not plugged in leaves the list without a selection.
    form.portNameIndex = FindItem(config.Host(), portNames);
    form.baudRateIndex = FindItem(std::to_string(config.Port()), kBaudRateItems);
  }
  const int in = FindItem(config.InEncodingName(), kEncodingItems);
  const int out = FindItem(config.OutEncodingName(), kEncodingItems);
  form.inEncoding = in >= 0 ? std::string(kEncodingItems[static_cast<size_t>(in)]) : "";
  form.outEncoding = out >= 0 ? std::string(kEncodingItems[static_cast<size_t>(out)]) : "";
  form.path = config.SourceDataPath();
  form.clearFiles = config.ClearFiles();
  form.startWithWindows = config.BootWithWindow();
  const std::int32_t decimal = config.DecimalType();
  form.decimalIndex = decimal >= 0 && decimal < static_cast<std::int32_t>(kDecimalItems.size())
                          ? static_cast<int>(decimal)
                          : -1;
  return form;
}

}  // namespace meridox::app
