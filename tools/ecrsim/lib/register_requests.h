// Reads the payloads of the receipt, table, text and report requests (the layouts the
// bridge's packer writes) and runs them against the fiscal register.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fiscal_register.h"

namespace meridox::ecrsim {

// The reply of the register, or nothing when `command_id` is not a register request
// (status, multi-packet reads, probe and properties are the simulator's own).
std::optional<Reply> RunRegisterRequest(FiscalRegister& reg, std::uint32_t command_id,
                                        std::span<const std::uint8_t> payload);

// A short English name of a request, for the journal ("sale", "status query", ...).
std::string RequestName(std::uint32_t command_id, std::span<const std::uint8_t> payload);

}  // namespace meridox::ecrsim
