#include "config/ini_config.h"

#include <charconv>
#include <memory>
#include <optional>
#include <stdexcept>

#include "config/ini_file.h"
#include "platform/app_folder.h"
#include "platform/os_error.h"
#include "platform/utf8_path.h"

namespace meridox {

namespace {

constexpr std::string_view kSystem = "System";
constexpr std::string_view kClerk = "Clerk";

std::mutex& UnitMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& HomeOverride() {
  static std::string home;
  return home;
}

std::unique_ptr<TIniConfig>& Instance() {
  static std::unique_ptr<TIniConfig> instance;
  return instance;
}

// Integers as the settings file holds them: decimal, or hexadecimal after "0x"/"0X"
// (at least three characters) or "$"; the whole value must be a number in 32 bits
// (hexadecimal up to FFFFFFFF, read as its two's complement).
std::optional<std::int32_t> ParseInteger(std::string_view text) {
  bool negative = false;
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (digits.size() >= 3 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  } else if (!digits.empty() && digits.front() == '$') {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.front() == '-' || digits.front() == '+')
    return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFull)
      return std::nullopt;
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(value)) : value;
  }
  if (negative) {
    if (magnitude > 0x80000000ull)
      return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > 0x7FFFFFFFull)
    return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::int32_t ReadInteger(const config::IniFile& file, std::string_view section,
                         std::string_view key, std::int32_t fallback) {
  const auto text = file.Get(section, key);
  if (!text)
    return fallback;
  return ParseInteger(*text).value_or(fallback);
}

bool ReadBool(const config::IniFile& file, std::string_view key, bool fallback) {
  return ReadInteger(file, kSystem, key, fallback ? 1 : 0) != 0;
}

std::string ReadString(const config::IniFile& file, std::string_view key,
                       std::string_view fallback) {
  return file.Get(kSystem, key).value_or(std::string(fallback));
}

config::IniFile LoadQuietly(const std::string& file_name) {
  std::error_code ignored;
  return config::IniFile::Load(platform::PathFromUtf8(file_name), ignored);
}

}  // namespace

std::string AppPath() {
  const std::lock_guard<std::mutex> lock(UnitMutex());
  if (!HomeOverride().empty())
    return HomeOverride();
  static const std::string executable_folder = platform::ExecutableFolder();
  return executable_folder;
}

void SetAppPath(std::string_view folder) {
  const std::lock_guard<std::mutex> lock(UnitMutex());
  std::string_view trimmed = folder;
  while (!trimmed.empty() && trimmed.front() == ' ')
    trimmed.remove_prefix(1);
  while (!trimmed.empty() && trimmed.back() == ' ')
    trimmed.remove_suffix(1);
  HomeOverride() = trimmed.empty() ? std::string() : platform::WithTrailingDelimiter(trimmed);
}

TIniConfig::TIniConfig() : TIniConfig(AppPath() + "Config.ini") {}

TIniConfig::TIniConfig(std::string file_name) : file_name_(std::move(file_name)) {}

void TIniConfig::ReadConfig() {
  const std::string answer_default = AppPath() + "Answer";
  const std::lock_guard<std::mutex> lock(mutex_);
  const config::IniFile file = LoadQuietly(file_name_);
  FConnKind = ReadInteger(file, kSystem, "ConnKind", 0);
  FHost = ReadString(file, "Host", "COM1");
  FPort = ReadInteger(file, kSystem, "Port", 9600);
  FInEncodingName = ReadString(file, "InEncodingName", "Default");
  FOutEncodingName = ReadString(file, "OutEncodingName", "Default");
  FSourceDataPath = ReadString(file, "SourceDataPath", "");
  FAnswerPath = ReadString(file, "AnswerPath", answer_default);
  FClearFiles = ReadBool(file, "ClearFiles", false);
  FBootWithWindow = ReadBool(file, "BootWithWindow", false);
  FLastClerkID = ReadInteger(file, kSystem, "LastClerkID", 1);
  FLastClerkPassWord = ReadInteger(file, kSystem, "LastClerkPassWord", 0);
  FDecimalType = ReadInteger(file, kSystem, "DecimalType", 0);
}

void TIniConfig::WriteConfig() {
  const std::lock_guard<std::mutex> lock(mutex_);
  const std::filesystem::path path = platform::PathFromUtf8(file_name_);
  // Re-read so that whatever else is in the file now (edited by hand or by other tools
  // since the start) is kept.
  std::error_code error;
  config::IniFile file = config::IniFile::Load(path, error);
  if (error)
    throw std::runtime_error("Unable to read " + file_name_ + ": " + platform::OsErrorText(error));
  const auto number = [](std::int32_t value) { return std::to_string(value); };
  const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  file.Set(kSystem, "ConnKind", number(FConnKind));
  file.Set(kSystem, "Host", FHost);
  file.Set(kSystem, "Port", number(FPort));
  file.Set(kSystem, "InEncodingName", FInEncodingName);
  file.Set(kSystem, "OutEncodingName", FOutEncodingName);
  file.Set(kSystem, "SourceDataPath", FSourceDataPath);
  file.Set(kSystem, "AnswerPath", FAnswerPath);
  file.Set(kSystem, "ClearFiles", flag(FClearFiles));
  file.Set(kSystem, "BootWithWindow", flag(FBootWithWindow));
  file.Set(kSystem, "LastClerkID", number(FLastClerkID));
  file.Set(kSystem, "LastClerkPassWord", number(FLastClerkPassWord));
  file.Set(kSystem, "DecimalType", number(FDecimalType));
  error = file.Save(path);
  if (error)
    throw std::runtime_error("Unable to write to " + file_name_ + ": " +
                             platform::OsErrorText(error));
}

std::int32_t TIniConfig::GetPassWord(std::int32_t clerk_id) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const config::IniFile file = LoadQuietly(file_name_);
  return ReadInteger(file, kClerk, "ClerkID" + std::to_string(clerk_id), 0);
}

#define MERIDOX_CONFIG_PROPERTY(Type, Name)         \
  Type TIniConfig::Name() const {                   \
    const std::lock_guard<std::mutex> lock(mutex_); \
    return F##Name;                                 \
  }                                                 \
  void TIniConfig::Set##Name(Type value) {          \
    const std::lock_guard<std::mutex> lock(mutex_); \
    F##Name = std::move(value);                     \
  }

MERIDOX_CONFIG_PROPERTY(std::int32_t, ConnKind)
MERIDOX_CONFIG_PROPERTY(std::string, Host)
MERIDOX_CONFIG_PROPERTY(std::int32_t, Port)
MERIDOX_CONFIG_PROPERTY(std::string, InEncodingName)
MERIDOX_CONFIG_PROPERTY(std::string, OutEncodingName)
MERIDOX_CONFIG_PROPERTY(std::string, SourceDataPath)
MERIDOX_CONFIG_PROPERTY(std::string, AnswerPath)
MERIDOX_CONFIG_PROPERTY(bool, ClearFiles)
MERIDOX_CONFIG_PROPERTY(bool, BootWithWindow)
MERIDOX_CONFIG_PROPERTY(std::int32_t, LastClerkID)
MERIDOX_CONFIG_PROPERTY(std::int32_t, LastClerkPassWord)
MERIDOX_CONFIG_PROPERTY(std::int32_t, DecimalType)

#undef MERIDOX_CONFIG_PROPERTY

TIniConfig& GetConfig() {
  const std::lock_guard<std::mutex> lock(UnitMutex());
  std::unique_ptr<TIniConfig>& instance = Instance();
  if (!instance) {
    const std::string home = HomeOverride().empty() ? platform::ExecutableFolder() : HomeOverride();
    instance = std::make_unique<TIniConfig>(home + "Config.ini");
  }
  return *instance;
}

void FreeConfig() {
  const std::lock_guard<std::mutex> lock(UnitMutex());
  Instance().reset();
}

}  // namespace meridox
