// Parsing and packing of one receipt's command lines, as the worker does per file.
#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

#include "codec/field_codec.h"
#include "packing/command.h"
#include "packing/packer.h"

namespace {

using meridox::packing::TCommand;
using meridox::packing::TCommandData;
using meridox::packing::TPackedDatas;
using meridox::packing::TPacker;

// A typical 20-line receipt: items with Greek names, discounts, texts, payments, close.
constexpr std::array<std::string_view, 20> kReceipt = {
    "11/1/0",
    "HL/\u039A\u0391\u03A6\u0395\u039D\u0395\u0399\u039F/\u0391\u0398\u0397\u039D\u0391/"
    "\u0391\u03A6\u039C 123456789",
    "SL/\u039A\u03B1\u03C6\u03AD\u03C2 \u03B5\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03CC\u03C2/"
    "5201234567890/1/2,50/1",
    "SL/\u03A6\u03C1\u03B1\u03C0\u03AD/5209876543210/2/3,20/1",
    "SL/COLA 330ML/5449000000996/3/1,20/2",
    "SL/\u03A4\u03BF\u03C5\u03C1\u03C4\u03AC \u03C3\u03BF\u03BA\u03BF\u03BB\u03AC\u03C4\u03B1/"
    "/1/4,80/3",
    "RF/COLA 330ML/5449000000996/1/1,20/2",
    "DE/0,50",
    "SL/\u039D\u03B5\u03C1\u03CC 500ml//2/0,50/2",
    "D%/10",
    "SL/\u039C\u03C0\u03BF\u03C5\u03B3\u03AC\u03C4\u03C3\u03B1//1/2,00/3",
    "TE/1,00",
    "SL/\u03A4\u03C5\u03C1\u03CC\u03C0\u03B9\u03C4\u03B1//2/2,40/3",
    "T%/5",
    "CM/\u0395\u03C5\u03C7\u03B1\u03C1\u03B9\u03C3\u03C4\u03BF\u03CD\u03BC\u03B5/"
    "\u039A\u03B1\u03BB\u03AE \u03C3\u03B1\u03C2 \u03BC\u03AD\u03C1\u03B1/www",
    "QQ",
    "CR/1/10,00/\u039C\u0395\u03A4\u03A1\u0397\u03A4\u0391",
    "CR/3/5,00/visa",
    "ER",
    "TCL/12",
};

void BM_ParseAndPackReceiptLines(benchmark::State& state) {
  const meridox::codec::TccEncode codec;
  TPacker packer(codec);
  TPackedDatas packed;
  for (auto _ : state) {
    for (std::string_view line : kReceipt) {
      const TCommandData command = TCommand::FetchCommand(line, "/");
      bool ok = packer.PackData(command, packed);
      benchmark::DoNotOptimize(ok);
      benchmark::DoNotOptimize(packed.data());
    }
  }
  // Time per line, next to the time per 20-line file that the benchmark measures.
  state.counters["per_line"] = benchmark::Counter(
      static_cast<double>(kReceipt.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ParseAndPackReceiptLines)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
