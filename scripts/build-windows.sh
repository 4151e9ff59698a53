#!/usr/bin/env bash
# Cross-builds Talvex for 64-bit Windows in build/windows with MinGW-w64.
#
# MariaDB Connector/C for Windows is built first from the libmariadb folder of Debian's own
# `mariadb` source package, fetched from the deb-src counterparts of this machine's apt sources
# (the machine's apt configuration is not changed), and kept in build/windows/connector: a second
# run does not fetch or build it again. The library is LGPL and goes beside the program as a DLL,
# its licence text beside it. Last, the installer: build/windows/talvex-<version>-x64.msi.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --windows

build=$root/build/windows
connector=$build/connector
mkdir -p "$connector"

# The machine's apt sources as deb-src entries, in a private apt state under `dir`.
source_apt_options() {
  local dir=$1
  mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
  : >"$dir/sources.list"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    if [ -e "$f" ]; then
      sed -E 's/^Types:.*$/Types: deb-src/' "$f" >"$dir/sources.list.d/$(basename "$f")"
    fi
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ -e "$f" ]; then
      sed -n -E 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >>"$dir/sources.list"
    fi
  done
  # The private state lives in the build folder, where apt's download user may not reach: the
  # download runs as the user that runs the script.
  apt_options=(-o "APT::Sandbox::User=$(id -un)" -o "Dir::Etc::SourceList=$dir/sources.list"
    -o "Dir::Etc::SourceParts=$dir/sources.list.d"
    -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache")
}

# Debian's `mariadb` source package, unpacked with its patches into $connector/source. The
# versions the sources offer are tried newest first: a mirror may lack the files of one.
fetch_connector_source() {
  [ -d "$connector/source/libmariadb" ] && return
  local apt=$connector/apt download=$connector/download
  rm -rf "$download" "$connector/source"
  mkdir -p "$download"
  source_apt_options "$apt"
  apt-get "${apt_options[@]}" update -qq
  local version
  for version in $(apt-cache "${apt_options[@]}" showsrc mariadb |
    sed -n 's/^Version: //p' | sort -r -V); do
    if (cd "$download" && apt-get "${apt_options[@]}" source --download-only -qq \
      "mariadb=$version") >"$connector/fetch.log" 2>&1; then
      dpkg-source --no-check -x "$download"/mariadb_*.dsc "$connector/source" >/dev/null
      rm -rf "$download"
      return
    fi
    rm -f "$download"/*
  done
  cat "$connector/fetch.log" >&2
  echo "build-windows: no version of Debian's mariadb source could be fetched; see above." >&2
  exit 1
}

# The library and its licence text, which goes into the installer with it. A cache from before the
# licence was kept gets the source again for the licence alone.
build_connector() {
  local dll=$connector/install/lib/mariadb/libmariadb.dll
  local licence=$connector/install/COPYING.LIB
  [ -f "$dll" ] && [ -f "$licence" ] && return
  fetch_connector_source
  if [ ! -f "$dll" ]; then
    echo "Building MariaDB Connector/C for Windows (only the first time; a minute or two)..."
    if ! {
      cmake -S "$connector/source/libmariadb" -B "$connector/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$connector/install" -DWITH_SSL=SCHANNEL -DWITH_UNIT_TESTS=OFF \
        -DWITH_CURL=OFF && cmake --build "$connector/build" --target install
    } >"$connector/build.log" 2>&1; then
      cat "$connector/build.log" >&2
      echo "build-windows: Connector/C did not build; its output is above." >&2
      exit 1
    fi
  fi
  cp "$connector/source/libmariadb/COPYING.LIB" "$licence"
  # The sources are not needed once the library and its licence are installed.
  rm -rf "$connector/source" "$connector/build" "$connector/apt"
}

build_connector
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTALVEX_WINDOWS_CONNECTOR="$connector/install" >/dev/null
cmake --build "$build" -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
"$root/scripts/build-msi.sh" "$build" "$version" "$build/talvex-$version-x64.msi"
