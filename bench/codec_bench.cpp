// Cost of encoding one sale request payload (70 bytes) field by field, as the packer does for
// every item line, and of reading it back.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "codec/field_codec.h"

namespace {

using meridox::codec::TccEncode;
using meridox::codec::Variant;
namespace codec = meridox::codec;

constexpr int kPayloadSize = 70;

// The sale line of one item: sale number, letter, mode, index, quantity, price, name,
// bar code, unit price, department, group, extra byte.
struct SaleLine {
  Variant sale_number = 1;
  Variant letter = "S";
  Variant mode = 0;
  Variant index = 1;
  Variant quantity = 2.0;
  Variant price = 1.2;
  Variant name =
      "\u039A\u0391\u03A6\u0395\u03A3 \u0395\u039B\u039B\u0397\u039D\u0399\u039A\u039F\u03A3";
  Variant bar_code = "5201234567890";
  Variant unit_price = 1.2;
  Variant department = 5;
  Variant group = 0;
  Variant para = 0;
};

bool EncodeSale(const TccEncode& codec, const SaleLine& line, std::vector<std::uint8_t>& buf) {
  int pos = 0;
  bool ok = codec.DataToBuf(codec::dtBIN, line.sale_number, buf, pos, 1, 0);
  ok &= codec.DataToBuf(codec::dtGreecAsc, line.letter, buf, pos, 1);
  ok &= codec.DataToBuf(codec::dtBIN, line.mode, buf, pos, 1, 0);
  ok &= codec.DataToBuf(codec::dtBIN, line.index, buf, pos, 4, 0);
  ok &= codec.DataToBuf(codec::dtBIN, line.quantity, buf, pos, 5, 3);
  ok &= codec.DataToBuf(codec::dtBIN, line.price, buf, pos, 5, 2);
  ok &= codec.DataToBuf(codec::dtGreecAsc, line.name, buf, pos, 38);
  ok &= codec.DataToBuf(codec::dtBCDE, line.bar_code, buf, pos, 7);
  ok &= codec.DataToBuf(codec::dtBIN, line.unit_price, buf, pos, 5, 2);
  ok &= codec.DataToBuf(codec::dtBIN, line.department, buf, pos, 1, 0);
  ok &= codec.DataToBuf(codec::dtBIN, line.group, buf, pos, 1, 0);
  ok &= codec.DataToBuf(codec::dtBIN, line.para, buf, pos, 1, 0);
  return ok && pos == kPayloadSize;
}

void BM_EncodeSalePayload(benchmark::State& state) {
  const TccEncode codec;
  const SaleLine line;
  for (auto _ : state) {
    std::vector<std::uint8_t> buf(kPayloadSize, 0);  // the packer zero-fills a fresh buffer
    if (!EncodeSale(codec, line, buf)) {
      state.SkipWithError("encoding failed");
      break;
    }
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPayloadSize);
}
BENCHMARK(BM_EncodeSalePayload);

// The same payload with the values arriving as texts of a command line, as the packer gets
// them before conversion.
void BM_EncodeSalePayloadFromTexts(benchmark::State& state) {
  const TccEncode codec;
  for (auto _ : state) {
    SaleLine line;
    line.quantity = "2";
    line.price = "1.20";
    line.unit_price = "1.20";
    line.department = "5";
    std::vector<std::uint8_t> buf(kPayloadSize, 0);
    if (!EncodeSale(codec, line, buf)) {
      state.SkipWithError("encoding failed");
      break;
    }
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EncodeSalePayloadFromTexts);

void BM_DecodeSalePayload(benchmark::State& state) {
  const TccEncode codec;
  std::vector<std::uint8_t> buf(kPayloadSize, 0);
  EncodeSale(codec, SaleLine{}, buf);
  for (auto _ : state) {
    int pos = 7;
    benchmark::DoNotOptimize(codec.BufToData(codec::dtBIN, buf, pos, 5, 3));
    benchmark::DoNotOptimize(codec.BufToData(codec::dtBIN, buf, pos, 5, 2));
    benchmark::DoNotOptimize(codec.BufToData(codec::dtGreecAsc, buf, pos, 38));
    benchmark::DoNotOptimize(codec.BufToData(codec::dtBCDE, buf, pos, 7));
  }
}
BENCHMARK(BM_DecodeSalePayload);

}  // namespace

BENCHMARK_MAIN();
