// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

namespace meridox::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as UTF-8 text with a trailing separator, as the program's folders are kept.
  std::string Utf8WithSlash() const;

 private:
  std::filesystem::path path_;
};

}  // namespace meridox::testing
