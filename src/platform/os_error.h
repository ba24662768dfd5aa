// The system's own text for an error, as the program shows and logs it.
#pragma once

#include <string>
#include <system_error>

namespace meridox::platform {

// The error the last failed system call left (errno, or GetLastError on Windows).
std::error_code LastOsError();
// UTF-8 text without trailing line breaks or full stop padding.
std::string OsErrorText(const std::error_code& error);
// OsErrorText(LastOsError()).
std::string LastOsErrorText();

}  // namespace meridox::platform
