#!/usr/bin/env bash
# Checks the Windows installer that scripts/build-windows.sh made from a Windows build tree, under
# Wine in a prefix of its own: a quiet install puts the build's program, client library, licence
# texts and README under Program Files\Talvex (the package's File table lists them all), with the Start-menu shortcut and the machine's Run
# entry, and the installed program runs; an installer of a higher version replaces it, leaving one
# product; an older one is refused; a quiet removal takes away all it installed and leaves the
# venue's my.ini alone.
# Usage: check-msi.sh BUILD_DIR VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
version=$2
msi=$build/talvex-$version-x64.msi
if [ ! -f "$msi" ]; then
  echo "check-msi: $msi is missing; scripts/build-windows.sh makes it." >&2
  exit 1
fi

out=$(mktemp -d "$build/msi-check.XXXXXX")
export WINEPREFIX=$out/prefix HOME=$out/home WINEDEBUG=-all
# No .NET or browser engine to install, and no entries in the Unix desktop's menu for the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$out"
}
trap cleanup EXIT
mkdir -p "$HOME"
# A copy of the tests' template prefix where ctest made one; a prefix of its own otherwise.
if [ -n "${TALVEX_WINE_TEMPLATE:-}" ]; then
  "$root/scripts/wine-prefix.sh" copy "$TALVEX_WINE_TEMPLATE" "$WINEPREFIX"
else
  "$wine" wineboot -i >"$out/wineboot.log" 2>&1
fi

failures=0
fail() {
  echo "check-msi: $*" >&2
  failures=$((failures + 1))
}

# msiexec reads a leading / as an option: it gets the files as Windows paths on drive Z:.
windows_path() { echo "Z:${1//\//\\}"; }
# msiexec ACTION PACKAGE LOG_NAME: quietly, with a full log shown when it fails.
msiexec() {
  local log=$out/$3.log
  "$wine" msiexec "$1" "$(windows_path "$2")" /qn "/l*v" "$(windows_path "$log")"
}
show_log() { tr -d '\0\r' <"$out/$1.log" | tail -n 60 >&2; }

install_dir=$WINEPREFIX/drive_c/Program\ Files/Talvex
program='C:\Program Files\Talvex\talvex.exe'
connector=$(sed -n 's/^TALVEX_WINDOWS_CONNECTOR:PATH=//p' "$build/CMakeCache.txt")
# Each installed file and what it is a copy of.
plugins=(caching_sha2_password.dll sha256_password.dll client_ed25519.dll dialog.dll)
installed_files=(talvex.exe libmariadb.dll "${plugins[@]}" README.txt LICENSE.txt
  libmariadb-COPYING.LIB.txt)
source_files=("$build/talvex.exe" "$build/libmariadb.dll" "${plugins[@]/#/$build/}"
  "$root/README.md" "$root/LICENSE" "$connector/COPYING.LIB")

# The package's File table names every file it installs.
# (A FileName may be "SHORT|long name": the long one counts.)
file_table=$(msiinfo export "$msi" File | tr -d '\r' |
  awk -F '\t' 'NR > 3 { sub(/.*[|]/, "", $3); print $3 }' | sort)
[ "$file_table" = "$(printf '%s\n' "${installed_files[@]}" | sort)" ] ||
  fail "the File table lists: $(echo "$file_table" | tr '\n' ' ')"

# The version of each installed product named Talvex, one a line, from the list of programs that
# Windows shows (the installer's own entries).
installed_versions() {
  { "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null ||
    true; } | tr -d '\r' | awk -F '    ' '
    function flush() { if (name == "Talvex") print version; name = version = "" }
    /^HKEY_/ { flush() }
    $2 == "DisplayName" { name = $4 }
    $2 == "DisplayVersion" { version = $4 }
    END { flush() }'
}
run_entry() {
  { "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Talvex 2>/dev/null ||
    true; } | tr -d '\r' | awk -F '    ' '$2 == "Talvex" { print $4 }'
}
# Wine's installer puts a per-machine shortcut in the user's Start menu, where Windows puts it in
# the one of all users: either is looked in.
shortcuts() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Talvex.lnk'; }

# What an installed Talvex of version $1 must look like; $2 names the step, $3 is the program the
# package carried.
check_installed() {
  local expected=$1 step=$2 i
  source_files[0]=$3
  local names
  names=$(find "$install_dir" -mindepth 1 -maxdepth 1 ! -name my.ini -printf '%f\n' 2>/dev/null |
    sort)
  [ "$names" = "$(printf '%s\n' "${installed_files[@]}" | sort)" ] ||
    fail "$step: Program Files\\Talvex holds: $(echo "$names" | tr '\n' ' ')"
  for i in "${!installed_files[@]}"; do
    cmp -s "$install_dir/${installed_files[$i]}" "${source_files[$i]}" ||
      fail "$step: ${installed_files[$i]} is not ${source_files[$i]}"
  done
  local ran
  ran=$("$wine" "$program" --version | tr -d '\r') || fail "$step: the installed program fails"
  [ "$ran" = "talvex $version" ] || fail "$step: the installed program says '$ran'"
  local versions
  versions=$(installed_versions)
  [ "$versions" = "$expected" ] ||
    fail "$step: the installed products are '$(echo "$versions" | tr '\n' ' ')', not $expected"
  [ "$(run_entry)" = "\"$program\"" ] || fail "$step: the Run entry is '$(run_entry)'"
  local links
  links=$(shortcuts)
  if [ "$(echo "$links" | grep -c .)" -ne 1 ]; then
    fail "$step: the Start-menu shortcuts are: $links"
  elif ! tr -d '\0' <"$links" | grep -qF "$program"; then
    fail "$step: the shortcut does not start $program"
  fi
}

if ! msiexec /i "$msi" install; then
  show_log install
  fail "msiexec /i $msi failed"
fi
check_installed "$version" "install $version" "$build/talvex.exe"

# The venue's option files: one beside the program, one in the Windows folder.
venue_files=("$install_dir/my.ini" "$WINEPREFIX/drive_c/windows/my.ini")
for file in "${venue_files[@]}"; do
  printf '[talvex]\nhost = 192.0.2.1\n' >"$file"
done

# A higher version from the same .wxs: the product version's build number plus one, carrying a
# program that differs from the installed one (the same with bytes after its end, which Windows
# does not load), so that an upgrade that left the old files in place is seen.
IFS=. read -r major minor patch <<<"$version"
higher=$major.$minor.$((patch + 1))
higher_msi=$out/talvex-$higher-x64.msi
higher_build=$out/build-$higher
mkdir -p "$higher_build"
cp "$build/libmariadb.dll" "${plugins[@]/#/$build/}" "$build/CMakeCache.txt" "$higher_build/"
{ cat "$build/talvex.exe" && printf 'talvex %s\n' "$higher"; } >"$higher_build/talvex.exe"
"$root/scripts/build-msi.sh" "$higher_build" "$higher" "$higher_msi"
if ! msiexec /i "$higher_msi" upgrade; then
  show_log upgrade
  fail "msiexec /i $higher_msi over $version failed"
fi
check_installed "$higher" "upgrade to $higher" "$higher_build/talvex.exe"

# The older installer is refused for what it is: Windows Installer's fatal error 1603, which a Unix
# exit status keeps as its low eight bits (67), after it found the newer product and the launch
# conditions failed on it; and nothing changes.
status=0
msiexec /i "$msi" downgrade || status=$?
if [ "$status" -ne $((1603 % 256)) ]; then
  fail "msiexec /i $msi over $higher exited with $status, not 1603 (67 through Wine)"
fi
downgrade_log=$(tr -d '\0\r' <"$out/downgrade.log")
grep -qE '^Property\(S\): WIX_DOWNGRADE_DETECTED = \{' <<<"$downgrade_log" ||
  fail "the downgrade did not find the newer Talvex"
if ! grep -q 'LaunchConditions\. Return value' <<<"$downgrade_log" ||
  grep -q 'LaunchConditions\. Return value 1\.' <<<"$downgrade_log"; then
  fail "the downgrade was not stopped by its launch conditions"
fi
check_installed "$higher" "downgrade refused" "$higher_build/talvex.exe"

if ! msiexec /x "$higher_msi" remove; then
  show_log remove
  fail "msiexec /x $higher_msi failed"
fi
for name in "${installed_files[@]}"; do
  [ ! -e "$install_dir/$name" ] || fail "remove: $name is still there"
done
[ -z "$(installed_versions)" ] || fail "remove: still installed: $(installed_versions)"
[ -z "$(run_entry)" ] || fail "remove: the Run entry is still there"
[ -z "$(shortcuts)" ] || fail "remove: the shortcut is still there: $(shortcuts)"
for file in "${venue_files[@]}"; do
  [ "$(cat "$file" 2>/dev/null)" = "$(printf '[talvex]\nhost = 192.0.2.1')" ] ||
    fail "remove: $file was changed or removed"
done

[ "$failures" -eq 0 ] || exit 1
echo "talvex-$version-x64.msi: installs, upgrades to $higher and removes as expected"
