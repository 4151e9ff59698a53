#!/usr/bin/env bash
# Builds the Debian package of Talvex from a Release build in build/release and says where it is:
# build/release/talvex_<version>_<architecture>.deb. Install it with `apt install ./talvex_...deb`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build=$root/build/release
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEX_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
cmake --build "$build" --target package
ls "$build"/talvex_*.deb
