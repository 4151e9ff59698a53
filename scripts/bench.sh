#!/usr/bin/env bash
# Builds the benchmarks and prints every document of a busy evening against a private MariaDB
# server, beside the per-id read plan of each document. The tables go to standard output and to
# build/bench/results.md. Arguments go to the benchmark (--runs N, --plan-runs N,
# --plan-budget STATEMENTS, --out FILE). Not part of the tests: run it on a quiet machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build=$root/build/bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEX_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target bench_documents

# Qt wants a private runtime folder; without one it only complains.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$build/runtime
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
fi
"$build/bench/bench_documents" --out "$build/results.md" "$@"
