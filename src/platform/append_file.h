// Appending to a file that other programs may read, write, rename or delete meanwhile.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace meridox::platform {

// Opens the file for appending (creating it when missing), writes bytes, closes it.
// Returns the system's error on failure.
std::error_code AppendToFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace meridox::platform
