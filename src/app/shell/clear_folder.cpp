#include "app/shell/clear_folder.h"

#include <system_error>

namespace meridox::app {

bool ClearFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error))
    return true;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::error_code entry_error;
    // A link to a folder is removed as a link; what it points to is not ours to clear.
    if (entry.is_directory(entry_error) && !entry.is_symlink(entry_error)) {
      ClearFolder(entry.path());
      continue;
    }
    std::filesystem::remove(entry.path(), entry_error);
  }
  return true;
}

}  // namespace meridox::app
