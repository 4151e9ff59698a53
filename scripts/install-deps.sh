#!/usr/bin/env bash
# Installs what Talvex needs to build, run and test on Debian 12. Does nothing when all is there.
#   scripts/install-deps.sh            the Linux program, its tests and its package
#   scripts/install-deps.sh --windows  what the cross build for Windows needs
set -euo pipefail

if [ "${1:-}" = --windows ]; then
  # The compiler, what fetches and unpacks Debian's source of Connector/C, the header-only
  # libraries (command line, JSON), GoogleTest's sources, Wine, which runs the Windows tests, and
  # wixl, which makes the installer (msitools reads it back in its test; pefile reads the program's
  # resources in another).
  packages=(cmake ninja-build g++-mingw-w64-x86-64-posix dpkg-dev ca-certificates libcli11-dev
    nlohmann-json3-dev googletest wine64 mariadb-server wixl msitools python3-pefile)
else
  packages=(
    cmake ninja-build g++ pkg-config clang-format clang-14 libclang-rt-14-dev
    qt6-base-dev libgl-dev libmariadb-dev libcups2-dev libgtest-dev googletest libbenchmark-dev
    mariadb-server cups cups-daemon cups-client poppler-utils
    xvfb xauth fontconfig fonts-dejavu-core shellcheck locales
    dpkg-dev desktop-file-utils file tesseract-ocr tesseract-ocr-rus nlohmann-json3-dev
    libcli11-dev
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# The packages must not start system services of their own: the tests and the demo run private ones.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod 755 "$policy"
  trap 'rm -f "$policy"' EXIT
fi
# apt's progress means little to a person waiting for the service; it goes to a log, shown when
# something fails.
log=$(mktemp "${TMPDIR:-/tmp}/talvex-install.XXXXXX")
# Another package manager may hold apt's locks: an unattended upgrade on a fresh desktop, or the
# other README command started beside this one. apt-get fails at once on a lock it cannot take (the
# package lists' lock even with DPkg::Lock::Timeout), so each step is tried again while that is why
# it failed, for up to ten minutes, and the wait is said once.
lock_wait=600
apt_step() {
  local deadline=$((SECONDS + lock_wait)) said=""
  while :; do
    : >"$log.step"
    if apt-get -o DPkg::Lock::Timeout=10 "$@" >"$log.step" 2>&1; then
      cat "$log.step" >>"$log"
      return 0
    fi
    cat "$log.step" >>"$log"
    if ! grep -q 'Could not get lock' "$log.step" || [ "$SECONDS" -ge "$deadline" ]; then
      return 1
    fi
    if [ -z "$said" ]; then
      echo "Waiting for another program that is installing packages (at most $lock_wait s):" \
        "$(grep -m1 'Could not get lock' "$log.step" | sed 's/^E: //')"
      said=1
    fi
    sleep 5
  done
}
echo "Installing ${#missing[@]} packages that Talvex needs (only the first time; a few minutes)..."
if ! { apt_step update -qq && apt_step install -y -qq --no-install-recommends "${missing[@]}"; }; then
  cat "$log" >&2
  echo "install-deps: apt-get failed; its output is above." >&2
  rm -f "$log" "$log.step"
  exit 1
fi
rm -f "$log" "$log.step"
