#!/usr/bin/env bash
# Checks every script with shellcheck and the sources' formatting, builds Talvex and runs every test
# twice: as built, and under AddressSanitizer and UndefinedBehaviorSanitizer; cross-builds the
# Windows build and runs its tests under Wine; then gives every fuzz target a short run. The quick
# checks come first, so that a slip in them fails in seconds.
# Installs what it needs first. The private database and CUPS servers are started and stopped by
# ctest itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Each phase's time, said when it ends and again at the end, so that a slow run shows where.
phases=()
phase_start=$SECONDS
phase() {
  local took=$((SECONDS - phase_start))
  phases+=("$(printf '%5d s  %s' "$took" "$1")")
  echo "== $1: $took s"
  phase_start=$SECONDS
}

# The Linux build's tests run the Windows program under Wine too: both sets of packages.
"$root/scripts/install-deps.sh"
"$root/scripts/install-deps.sh" --windows
phase "packages"

# From the repository root, where the scripts' `source=` directives point; -x follows them into
# the sourced helpers.
(cd "$root" && shellcheck -x scripts/*.sh)
phase "shellcheck"

jobs=$(nproc)
# Most tests wait on their programs and servers rather than compute: twice as many tests as
# processors run at once.
test_jobs=$((2 * jobs))
configure() {
  cmake -S "$root" -B "$root/build/$1" -G Ninja "${@:2}" >/dev/null
}
build_and_run() {
  local dir=$root/build/$1
  cmake --build "$dir" -j "$jobs"
  phase "$1: build"
  # Every failing test's whole output, however long, stays in this command's log.
  ctest --test-dir "$dir" --output-on-failure --test-output-size-failed 20000000 -j "$test_jobs"
  phase "$1: tests"
}

# The plain build's tests run the Windows program under Wine beside the Linux one.
configure test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVEX_WINDOWS_BUILD="$root/build/windows"
# The formatting needs no compilation: a slip fails here in seconds, not after the long runs.
cmake --build "$root/build/test" --target format-check
phase "format"
# The Windows build: cross-built with MinGW-w64; its own tests run under Wine against the same
# kind of private MariaDB server, after the Linux builds'.
"$root/scripts/build-windows.sh"
phase "windows: build"
build_and_run test
configure sanitize -DCMAKE_BUILD_TYPE=Debug -DTALVEX_SANITIZE=ON
build_and_run sanitize
ctest --test-dir "$root/build/windows" --output-on-failure --test-output-size-failed 20000000 \
  -j "$test_jobs"
phase "windows: tests"
# A few seconds per target: the seed inputs and the regression cases, and a little beyond them.
"$root/scripts/fuzz.sh" 10
phase "fuzz"
printf '%s\n' "Time by phase:" "${phases[@]}"
echo "All tests passed."
