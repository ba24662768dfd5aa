#!/usr/bin/env bash
# Builds a libFuzzer target with clang (outside the CMake build) and runs it for a while.
#   scripts/fuzz.sh TARGET [seconds] [build folder] [extra libFuzzer flags...]
# Targets: check_data, frame_scanner, command_line, answer_decoder, ini_file, fault_rules,
# sim_request.
# New inputs go to <build folder>/corpus/<target>; the seed corpus in fuzz/corpus is only
# read. Crash inputs land in <build folder>/artifacts/<target>/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: fuzz.sh TARGET [seconds] [build folder]}
seconds=${2:-60}
build=${3:-$root/build/fuzz}
shift $(( $# < 3 ? $# : 3 ))
src=$root/src
sim=$root/tools/ecrsim/lib
# The sources each target needs besides its entry point.
text_sources=("$src"/codec/*.cpp "$src"/log/*.cpp "$src"/packing/*.cpp "$src"/platform/*.cpp
  "$src"/platform/posix/*.cpp "$src"/jobs/text_encoding.cpp "$src"/jobs/command_file.cpp)
case "$target" in
  check_data|frame_scanner)
    sources=("$src/link/ecr_commands.cpp" "$src/link/ecr_protocol.cpp" "$src/link/frame_scanner.cpp") ;;
  command_line|answer_decoder) sources=("${text_sources[@]}") ;;
  ini_file) sources=("${text_sources[@]}" "$src"/config/*.cpp) ;;
  fault_rules|sim_request)
    sources=("${text_sources[@]}" "$src"/link/*.cpp "$sim"/*.cpp "$sim"/posix/*.cpp) ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac
mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
bin=$build/${target}_fuzzer
# A small quarantine keeps a long run from growing to gigabytes on a shared machine.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -Wall -Wextra -Werror -I"$src" -I"$sim" -I"$root/fuzz" \
  "$root/fuzz/${target}_fuzzer.cpp" "${sources[@]}" -pthread -o "$bin"
exec "$bin" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/$target/" "$@" "$build/corpus/$target" "$root/fuzz/corpus/$target"
