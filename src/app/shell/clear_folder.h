// Deleting old files from the watched folder at start-up.
#pragma once

#include <filesystem>

namespace meridox::app {

// Deletes every file below `folder`, whatever its name, keeping the folders themselves.
// Files that cannot be deleted are left; a missing folder is nothing to do. Always true.
bool ClearFolder(const std::filesystem::path& folder);

}  // namespace meridox::app
