// Property checks on the settings file reader: arbitrary file bytes in any encoding are
// read, edited and written back, in memory and through the program's settings object.
// Shared by the libFuzzer entry and the corpus replay test; an empty text means every
// property held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "config/ini_config.h"
#include "config/ini_file.h"
#include "config/ini_text.h"
#include "text_checks.h"

namespace meridox::fuzz {

namespace detail {

inline std::string Shown(const std::optional<std::string>& v) {
  return v ? "\"" + *v + "\"" : "none";
}

// A file of this process's own in the temporary folder.
inline const std::filesystem::path& ScratchIni() {
  static const std::filesystem::path path = [] {
    std::random_device seed;
    return std::filesystem::temp_directory_path() /
           ("meridox_ini_fuzz_" + std::to_string(seed()) + ".ini");
  }();
  return path;
}

struct IniSettings {
  std::int32_t connKind, port, lastClerk, lastPassword, decimalType;
  std::string host, inEncoding, outEncoding, source, answer;
  bool clearFiles, boot;
  bool operator==(const IniSettings&) const = default;
};

// What a string value written as it is reads back as: the writer drops line breaks (a lone
// CR can stand inside a line that was read) and does not quote, the reader trims blanks and
// one pair of matching quotes, so " a " comes back as "a".
inline std::string ReadBack(std::string v) {
  std::erase_if(v, [](char c) { return c == '\r' || c == '\n'; });
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!v.empty() && blank(v.front())) {
    v.erase(v.begin());
  }
  while (!v.empty() && blank(v.back())) {
    v.pop_back();
  }
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

inline IniSettings IniSettingsOf(const TIniConfig& c) {
  return {c.ConnKind(),       c.Port(),       c.LastClerkID(),    c.LastClerkPassWord(),
          c.DecimalType(),    c.Host(),       c.InEncodingName(), c.OutEncodingName(),
          c.SourceDataPath(), c.AnswerPath(), c.ClearFiles(),     c.BootWithWindow()};
}

// The program's settings read from the bytes, written back and read again are the same,
// and what the program does not own in the file stays.
inline std::string CheckSettingsRoundTrip(std::string_view bytes) {
  const std::filesystem::path& path = ScratchIni();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      return "scratch file not written";
    }
  }
  const std::string name = path.string();
  TIniConfig first(name);
  first.ReadConfig();
  IniSettings read = IniSettingsOf(first);
  try {
    first.WriteConfig();
  } catch (const std::exception& e) {
    return std::string("settings not written: ") + e.what();
  }
  TIniConfig second(name);
  second.ReadConfig();
  std::error_code error;
  const config::IniFile before = config::IniFile::Parse(bytes);
  const config::IniFile after = config::IniFile::Load(path, error);
  std::filesystem::remove(path, error);
  for (std::string* v :
       {&read.host, &read.inEncoding, &read.outEncoding, &read.source, &read.answer}) {
    *v = ReadBack(*v);
  }
  if (const IniSettings again = IniSettingsOf(second); again != read) {
    const auto n = [](std::int32_t a, std::int32_t b) {
      return std::to_string(a) + (a == b ? "" : "->" + std::to_string(b)) + " ";
    };
    const auto t = [](const std::string& a, const std::string& b) {
      return a + (a == b ? "" : "->" + b) + " ";
    };
    return "settings changed by writing them back: " + n(read.connKind, again.connKind) +
           n(read.port, again.port) + n(read.lastClerk, again.lastClerk) +
           n(read.lastPassword, again.lastPassword) + n(read.decimalType, again.decimalType) +
           t(read.host, again.host) + t(read.inEncoding, again.inEncoding) +
           t(read.outEncoding, again.outEncoding) + t(read.source, again.source) +
           t(read.answer, again.answer) + n(read.clearFiles, again.clearFiles) +
           n(read.boot, again.boot);
  }
  for (int id = 0; id <= 2; ++id) {
    if (first.GetPassWord(id) != second.GetPassWord(id)) {
      return "clerk password changed by writing the settings";
    }
  }
  if (before.Get("Clerk", "ClerkID1") != after.Get("Clerk", "ClerkID1") ||
      before.Get("System", "Other") != after.Get("System", "Other")) {
    return "a value the program does not own changed";
  }
  if (before.encoding() != after.encoding() &&
      !(bytes.empty() || after.encoding() == config::TextEncoding::kUtf8 ||
        before.encoding() == config::TextEncoding::kUtf8)) {
    return "writing the settings changed the file's encoding";
  }
  return {};
}

}  // namespace detail

// The bytes as a settings file: decoding gives UTF-8, a rewrite settles after one round,
// a value set is read back, also after a rewrite, without touching its neighbours.
inline std::string IniFileTarget(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const config::TextEncoding encoding = config::DetectEncoding(bytes);
  // On Linux the ANSI code page is UTF-8, and bytes that are not are kept for the rewrite.
  const bool kept = encoding == config::TextEncoding::kAnsi &&
                    config::DefaultTextEncoding() == config::TextEncoding::kUtf8;
  if (!kept && !IsUtf8(config::DecodeText(bytes, encoding))) {
    return "decoded text is not UTF-8";
  }

  config::IniFile file = config::IniFile::Parse(bytes);
  const std::string once = file.Serialize();
  const config::IniFile reread = config::IniFile::Parse(once);
  const std::string twice = reread.Serialize();
  if (config::IniFile::Parse(twice).Serialize() != twice) {
    return "a rewrite does not settle: " + HexOf(twice);
  }
  if (reread.Get("System", "Host") != file.Get("System", "Host")) {
    return "a value changed by a rewrite";
  }

  const std::optional<std::string> neighbour = file.Get("Fuzz", "Other");
  const std::optional<std::string> elsewhere = file.Get("System", "Key");
  const std::string value = "v 1";
  file.Set("Fuzz", "Key", value);
  if (file.Get("Fuzz", "Key") != value) {
    return "value set reads back as " + detail::Shown(file.Get("Fuzz", "Key"));
  }
  if (file.Get("Fuzz", "Other") != neighbour || file.Get("System", "Key") != elsewhere) {
    return "setting a value changed another one";
  }
  const config::IniFile written = config::IniFile::Parse(file.Serialize());
  if (written.Get("Fuzz", "Key") != value) {
    return "value set reads back after a rewrite as " + detail::Shown(written.Get("Fuzz", "Key"));
  }
  if (written.Get("Fuzz", "Other") != neighbour || written.Get("System", "Key") != elsewhere) {
    return "a rewrite after setting a value changed another one";
  }
  // A value with a line break cannot start a new key.
  file.Set("Fuzz", "Key", "a\r\n[Fuzz]\nKey=b");
  if (config::IniFile::Parse(file.Serialize()).Get("Fuzz", "Key") != "a[Fuzz]Key=b") {
    return "a line break in a value survived";
  }
  return detail::CheckSettingsRoundTrip(bytes);
}

}  // namespace meridox::fuzz
