// A small INI document that edits a file in place: comments, unknown keys, other
// sections, blank lines, the encoding and the line endings survive a rewrite. Section
// and key names compare without regard to ASCII case; the first match wins, as with the
// Windows profile functions.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/ini_text.h"

namespace meridox::config {

class IniFile {
 public:
  IniFile() = default;

  // Parses file bytes in any of the encodings of TextEncoding.
  static IniFile Parse(std::string_view bytes);
  // Reads a file; a missing file gives an empty document (in the platform's default
  // encoding). Other read failures are returned in error.
  static IniFile Load(const std::filesystem::path& file, std::error_code& error);

  // The value with surrounding blanks and one pair of matching quotes removed.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the key's value, or adds the key at the end of its section, or adds the
  // section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // The document in the encoding it was read in (UTF-8 text inside).
  std::string Serialize() const;
  // Writes the whole file beside the target and replaces the target with it.
  std::error_code Save(const std::filesystem::path& file) const;

  TextEncoding encoding() const { return encoding_; }
  void set_encoding(TextEncoding encoding) { encoding_ = encoding; }
  std::string_view line_ending() const { return line_ending_; }

 private:
  std::vector<std::string> lines_;  // UTF-8, without line endings
  bool final_newline_ = true;
  std::string_view line_ending_ = "\r\n";  // always one of the literals
  TextEncoding encoding_ = DefaultTextEncoding();
};

}  // namespace meridox::config
