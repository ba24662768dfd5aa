// Replacing a file in one step, so that readers and a crash see the old or the new
// content, never a mix.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace meridox::platform {

// Writes bytes to a temporary file beside target, flushes it to the disk and moves it
// over target. On failure the target is untouched, the temporary removed, and the
// system's error returned.
std::error_code WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Moves from over to (replacing to when it exists).
std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace meridox::platform
