#!/usr/bin/env bash
# Makes the Windows installer from a Windows build tree (scripts/build-windows.sh): the program, the
# client library and its authentication plugins, Talvex's and the library's licence texts and the
# README, as packaging/talvex.wxs lays them out.
# Usage: build-msi.sh BUILD_DIR VERSION OUTPUT
# VERSION is the product version, major.minor.build as Windows Installer compares them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
version=$2
output=$3

# Connector/C is where the build tree was configured to find it.
connector=$(sed -n 's/^TALVEX_WINDOWS_CONNECTOR:PATH=//p' "$build/CMakeCache.txt")
licence=$connector/COPYING.LIB
plugins=(caching_sha2_password.dll sha256_password.dll client_ed25519.dll dialog.dll)
for file in "$build/talvex.exe" "$build/libmariadb.dll" "${plugins[@]/#/$build/}" "$licence"; do
  if [ ! -f "$file" ]; then
    echo "build-msi: $file is missing; scripts/build-windows.sh makes it." >&2
    exit 1
  fi
done

# wixl finds a file only by a path relative to where it runs, so it runs in the build tree.
output=$(realpath "$output")
relative() { realpath --relative-to="$build" "$1"; }
cd "$build"
wixl --arch x64 --output "$output" -D Version="$version" -D ProgramDir=. \
  -D Licence="$(relative "$root/LICENSE")" -D ConnectorLicence="$(relative "$licence")" \
  -D Readme="$(relative "$root/README.md")" \
  "$root/packaging/talvex.wxs"
