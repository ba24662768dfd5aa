#include "request_payloads.h"

#include "codec/greek.h"

namespace meridox::ecrsim::testing {

namespace {

void Put(Bytes& out, std::size_t pos, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) {
    out[pos + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
  }
}

void PutText(Bytes& out, std::size_t pos, const std::string& text, std::size_t width) {
  const Bytes encoded = codec::EncodeGreek(text, width);
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    out[pos + i] = encoded[i];
  }
}

}  // namespace

Bytes SaleLine(std::uint8_t n, const std::string& name, std::int64_t quantity, std::int64_t price,
               bool refund) {
  Bytes out(70, 0);
  out[0] = n;
  out[1] = refund ? 'R' : 'S';
  Put(out, 3, n, 4);
  Put(out, 7, static_cast<std::uint64_t>(quantity), 5);
  Put(out, 12, static_cast<std::uint64_t>(price), 5);
  PutText(out, 17, name, 38);
  Put(out, 62, static_cast<std::uint64_t>(price), 5);
  out[67] = 5;
  return out;
}

Bytes DiscountAmount(std::uint8_t n, std::int64_t cents) {
  Bytes out(7, 0);
  out[0] = n;
  out[1] = 'D';
  Put(out, 2, static_cast<std::uint64_t>(cents), 5);
  return out;
}

Bytes DiscountPercent(std::uint8_t n, std::int64_t hundredths) {
  Bytes out(6, 0);
  out[0] = n;
  out[1] = 'M';
  Put(out, 2, static_cast<std::uint64_t>(hundredths), 4);
  return out;
}

Bytes Subtotal(std::uint8_t n) {
  return {n, 'B'};
}
Bytes VoidReceipt(std::uint8_t n) {
  return {n, 'C'};
}

Bytes Payment(std::uint8_t n, int type, std::int64_t cents, const std::string& text) {
  Bytes out(24, 0);
  out[0] = n;
  out[1] = 'F';
  out[2] = static_cast<std::uint8_t>(type);
  Put(out, 3, static_cast<std::uint64_t>(cents), 5);
  PutText(out, 8, text, 16);
  return out;
}

Bytes Texts(const std::vector<std::string>& lines, std::size_t width, std::uint8_t filler) {
  Bytes out(3 * width, filler);
  for (std::size_t i = 0; i < lines.size() && i < 3; ++i) {
    PutText(out, i * width, lines[i], width);
  }
  return out;
}

Bytes TwoByte(int value) {
  return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

Bytes Letters(const std::string& text) {
  return codec::EncodeGreek(text);
}

}  // namespace meridox::ecrsim::testing
