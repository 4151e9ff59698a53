#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build/fuzz and runs each for SECONDS seconds
# (default 300), starting from its seed inputs in fuzz/corpus/<target>/. Inputs the fuzzer adds go
# to build/fuzz/corpus/<target>/, never among the committed seeds. An input that makes a target
# fail is kept in build/fuzz/crashes/<target>/ and the script fails: fix the fault and add the
# input to fuzz/corpus/<target>/ as a regression case.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
if ! [[ $seconds =~ ^[1-9][0-9]{0,5}$ ]]; then
  echo "usage: fuzz.sh [SECONDS]" >&2
  exit 2
fi
"$root/scripts/install-deps.sh"

compiler=$(command -v clang++-14 || command -v clang++) || {
  echo "fuzz: clang++ is not installed" >&2
  exit 1
}
dir=$root/build/fuzz
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="$compiler" -DTALVEX_FUZZ=ON >/dev/null
cmake --build "$dir" -j "$(nproc)"

status=0
for seeds in "$root"/fuzz/corpus/*/; do
  target=$(basename "$seeds")
  mkdir -p "$dir/corpus/$target" "$dir/crashes/$target"
  log=$dir/$target.log
  if "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$dir/crashes/$target/" "$dir/corpus/$target" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: $runs executions in $seconds s"
  else
    echo "fuzz_$target failed; the input is in $dir/crashes/$target/:" >&2
    tail -n 30 "$log" >&2
    status=1
  fi
done
exit "$status"
