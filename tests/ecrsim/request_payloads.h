// Request payloads laid out as the bridge's packer writes them, for driving the simulator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace meridox::ecrsim::testing {

using Bytes = std::vector<std::uint8_t>;

// 10004 item line: quantity in thousandths, price in cents.
Bytes SaleLine(std::uint8_t sale_number, const std::string& name, std::int64_t quantity,
               std::int64_t price, bool refund = false);
Bytes DiscountAmount(std::uint8_t sale_number, std::int64_t cents);
Bytes DiscountPercent(std::uint8_t sale_number, std::int64_t hundredths);
Bytes Subtotal(std::uint8_t sale_number);
Bytes VoidReceipt(std::uint8_t sale_number);
Bytes Payment(std::uint8_t sale_number, int type, std::int64_t cents, const std::string& text = {});
Bytes Texts(const std::vector<std::string>& lines, std::size_t width, std::uint8_t filler);
Bytes TwoByte(int value);
Bytes Letters(const std::string& text);

}  // namespace meridox::ecrsim::testing
