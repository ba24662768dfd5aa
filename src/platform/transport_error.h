// A failure of a serial port or socket operation; what() holds the system's text.
#pragma once

#include <stdexcept>
#include <string>

namespace meridox::platform {

class TransportError : public std::runtime_error {
 public:
  explicit TransportError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace meridox::platform
