// The text encodings of command and answer files. Internal text is UTF-8; the files hold
// the bytes of one of these encodings, chosen in the settings by name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace meridox::jobs {

enum class TTextEncodingKind {
  teDefault,  // the system's ANSI code page on Windows, UTF-8 on Linux
  teASCII,
  te437,
  te737,
  te1253,
};

class TTextEncoding {
 public:
  explicit constexpr TTextEncoding(TTextEncodingKind kind) : kind_(kind) {}

  // "Default", "ASCII", "437", "737" or "1253" (case-insensitive for "Default" and
  // "ASCII"); nullopt for any other name.
  static std::optional<TTextEncoding> FromName(std::string_view name);

  TTextEncodingKind Kind() const { return kind_; }
  std::string_view Name() const;

  // File bytes to UTF-8. Bytes the encoding does not define become U+FFFD.
  std::string Decode(std::string_view bytes) const;
  // UTF-8 to file bytes, without a byte-order mark. Characters the encoding cannot hold
  // become its default character '?'.
  std::string Encode(std::string_view utf8) const;

  friend bool operator==(const TTextEncoding&, const TTextEncoding&) = default;

 private:
  TTextEncodingKind kind_;
};

inline constexpr char kEncodingDefaultChar = '?';

}  // namespace meridox::jobs
