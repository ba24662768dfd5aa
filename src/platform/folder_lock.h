// One bridge per program folder: an exclusive lock on a file in that folder, held for the
// life of the process and released by the system if the process dies.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace meridox::platform {

class FolderLock {
 public:
  virtual ~FolderLock() = default;
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
};

// Null when another process holds the lock (or the file cannot be opened); `error` then
// says why.
std::unique_ptr<FolderLock> TryLockFile(const std::filesystem::path& file, std::string* error);

}  // namespace meridox::platform
