#!/usr/bin/env bash
# Makes the Debian package from a build tree with cpack and checks it: the files it installs, its
# control fields and declared dependencies, its desktop entries, and that the packed program runs.
# Usage: check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

out=$(mktemp -d "$build/package-check.XXXXXX")
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; exit 1; }
deb=$out/talvex_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$out" >&2; echo "check-package: no $deb" >&2; exit 1; }

# The files: the program, the menu entry and its autostart twin, the icon at every size, the README.
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
expected=$(printf '%s\n' ./usr/bin/talvex ./usr/share/applications/talvex.desktop \
  ./etc/xdg/autostart/talvex.desktop ./usr/share/doc/talvex/README.md \
  ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/talvex.png | sort)
[ "$files" = "$expected" ] || fail "files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$files") || true)"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = talvex ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "wrong Architecture"
# The libraries' packages as dpkg-shlibdeps found them (libqt6gui6 brings the xcb and offscreen
# platform plugins), and the font the pages are rendered in.
depends=$(field Depends)
names=$(sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends")
for package in libqt6core6 libqt6gui6 libqt6widgets6 libmariadb3 libcups2 libstdc++6 libc6 \
  fonts-dejavu-core fontconfig; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done
[ "$(field Recommends)" = cups ] || fail "Recommends is '$(field Recommends)'"
[ "$(dpkg-deb -I "$deb" conffiles)" = /etc/xdg/autostart/talvex.desktop ] ||
  fail "the autostart entry is not a conffile"

dpkg-deb -x "$deb" "$out/root"
for entry in usr/share/applications/talvex.desktop etc/xdg/autostart/talvex.desktop; do
  desktop-file-validate "$out/root/$entry" || fail "$entry is not a valid desktop entry"
  grep -qx 'Exec=talvex' "$out/root/$entry" || fail "$entry does not start talvex"
  grep -qx 'Icon=talvex' "$out/root/$entry" || fail "$entry does not show the icon"
done
# The autostart entry is a conffile, which `apt remove` keeps: a session skips it once the program
# is gone.
grep -qx 'TryExec=talvex' "$out/root/etc/xdg/autostart/talvex.desktop" ||
  fail "the autostart entry does not depend on the program being there"
ran=$("$out/root/usr/bin/talvex" --version) || fail "the packed program does not run"
[ "$ran" = "talvex $version" ] || fail "the packed program says '$ran'"

[ "$failures" -eq 0 ] || exit 1
echo "talvex_${version}: files, control fields and desktop entries as expected"
