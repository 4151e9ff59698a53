#!/usr/bin/env bash
# Checks every script with shellcheck, builds Talvex and runs every test twice: as built, and under
# AddressSanitizer and UndefinedBehaviorSanitizer; then gives every fuzz target a short run.
# Installs what it needs first. The private database and CUPS servers are started and stopped by
# ctest itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

# From the repository root, where the scripts' `source=` directives point; -x follows them into
# the sourced helpers.
(cd "$root" && shellcheck -x scripts/*.sh)

jobs=$(nproc)
run_variant() {
  local dir=$root/build/$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  # Every failing test's whole output, however long, stays in this command's log.
  ctest --test-dir "$dir" --output-on-failure --test-output-size-failed 20000000 -j "$jobs"
}

run_variant test -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build/test" --target format-check
run_variant sanitize -DCMAKE_BUILD_TYPE=Debug -DTALVEX_SANITIZE=ON
# A few seconds per target: the seed inputs and the regression cases, and a little beyond them.
"$root/scripts/fuzz.sh" 10
echo "All tests passed."
