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

# fuzz_one TARGET SEEDS: one target's run; says how it went.
fuzz_one() {
  local target=$1 seeds=$2 log=$dir/$1.log runs
  mkdir -p "$dir/corpus/$target" "$dir/crashes/$target"
  if "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$dir/crashes/$target/" "$dir/corpus/$target" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: $runs executions in $seconds s"
  else
    echo "fuzz_$target failed; the input is in $dir/crashes/$target/:" >&2
    tail -n 30 "$log" >&2
    return 1
  fi
}

# One target on each processor at a time; each target is one process, whose run takes its time
# whatever else runs.
status=0
running=0
for seeds in "$root"/fuzz/corpus/*/; do
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  fuzz_one "$(basename "$seeds")" "$seeds" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit "$status"
