// The outcome of every manager operation: a code and, on failure, the message.
#pragma once

#include <cstdint>
#include <string>

namespace meridox::jobs {

// Stored values are relied on by callers that keep them (the execution journal).
enum class TRetCode : std::uint8_t {
  rcError = 0,     // failed on this side: unsupported or unpackable command, lock, report
  rcECRError = 1,  // the exchange failed or the ECR reported an error: stop using it for now
  rcSuccess = 2,
};

struct TResult {
  TRetCode Code = TRetCode::rcError;
  std::string Msg;
};

}  // namespace meridox::jobs
