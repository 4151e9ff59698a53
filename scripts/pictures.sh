#!/usr/bin/env bash
# Makes pictures for a person to look at: the status panel, a printed pre-check and a printed
# closing receipt, and the Windows program's panel under Wine, on displays of 96 and 144 dpi. The
# service runs under a virtual X server (which has no notification area, so the panel shows at
# start) against a private MariaDB with the demo venue and directory printers; the panel is grabbed
# once its labels show what the first data check and the first queue check wrote, and the demo's
# first pre-check and receipt are turned from PDF into PNG.
#
#   scripts/pictures.sh [BUILD_DIR] [OUT_DIR]    defaults: build/release, build/pictures
#                                                writes panel.png, precheck.png, receipt.png,
#                                                panel-windows.png and panel-windows-144.png
#                                                (build/windows, cross-built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/process.sh
. "$root/scripts/process.sh"
build=${1:-$root/build/release}
out=${2:-$root/build/pictures}
tick_ms=100

# Light tools only: Xvfb, xwd (x11-apps) and netpbm to turn its dump into a PNG, xdotool to click
# the Windows program's icon.
need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xwd >/dev/null || need+=(x11-apps)
command -v xwdtopnm >/dev/null || need+=(netpbm)
command -v xdotool >/dev/null || need+=(xdotool)
command -v pdftoppm >/dev/null || need+=(poppler-utils)
find_program mariadbd mariadb-server >/dev/null 2>&1 || need+=(mariadb-server)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "pictures: these packages are missing and installing them needs root: ${need[*]}" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/talvex-pictures.XXXXXX")
xvfb_pid=
talvex_pid=
windows_pid=
cleanup() {
  set +e
  for pid in $windows_pid $talvex_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  "$root/scripts/mariadb-private.sh" remove "$work/mariadb"
  rm -rf "$work"
}
trap cleanup EXIT

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEX_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target talvex >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }
program=$build/app/talvex

port=$("$root/scripts/mariadb-private.sh" start "$work/mariadb")
client=(mariadb --no-defaults --protocol=tcp -h127.0.0.1 -P"$port" -uroot
  --default-character-set=utf8mb4)
"${client[@]}" -e 'CREATE DATABASE screen CHARACTER SET utf8mb4'
"${client[@]}" screen <"$root/db/schema.sql"
if [ -f "$root/db/demo.sql" ]; then
  "${client[@]}" screen <"$root/db/demo.sql"
else
  "${client[@]}" screen <<'SQL'
INSERT INTO settings (name, value) VALUES ('oragnization', 'Demo venue'), ('title', 'Demo'),
  ('control_printer', '1'), ('printer_timer', '5'), ('printer_total', '0'),
  ('name_check_left', '60'), ('title_check_left', '120');
SQL
fi

printers=$work/printers
mkdir -p "$printers"/{0-KASSA,1-BAR,2-KITCHEN,3-CONTROL}
echo 0-KASSA >"$printers/default"

# Xvfb picks a free display and writes its number to fd 3. The screen is large enough for an
# error box, centred on it, to stay clear of the panel in the corner.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY

"$program" --port "$port" --printers "$printers" --tick-ms "$tick_ms" 2>"$work/talvex.log" &
talvex_pid=$!

# The panel is mapped once the message loop runs; xwininfo (x11-utils) tells when, where it is
# installed. The labels are all written by the 10th tick of the queue timer; wait twice that. Then
# the panel, `size` (330x350 at 96 dpi) in the screen's corner, goes into `file`.
grab_panel() {
  local pid=$1 log=$2 file=$3 wait=${4:-100} size=${5:-330x350}
  if command -v xwininfo >/dev/null; then
    for _ in $(seq "$wait"); do
      xwininfo -root -tree 2>/dev/null | grep -q "$size+0+0" && break
      sleep 0.1
    done
  else
    sleep "$((wait / 10))"
  fi
  sleep "$(awk -v ms="$tick_ms" 'BEGIN { print ms * 20 / 1000 }')"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "pictures: the program ended early:" >&2
    cat "$log" >&2
    exit 1
  fi
  mkdir -p "$out"
  xwd -root -silent | xwdtopnm 2>/dev/null |
    pamcut -left 0 -top 0 -width "${size%x*}" -height "${size#*x}" | pnmtopng >"$out/$file"
}
grab_panel "$talvex_pid" "$work/talvex.log" panel.png

# The first document on the cash desk's printer whose document line starts with `prefix`.
document_starting() {
  grep -l -F "\"text\": \"$1" "$printers"/0-KASSA/*.json 2>/dev/null | head -n 1
}
for _ in $(seq 300); do
  [ -n "$(document_starting 'Счет на оплату')" ] && [ -n "$(document_starting 'Чек №')" ] && break
  sleep 0.1
done
for picture in "precheck:Счет на оплату" "receipt:Чек №"; do
  record=$(document_starting "${picture#*:}")
  [ -n "$record" ] || { echo "pictures: no ${picture%%:*} was printed" >&2; exit 1; }
  pdftoppm -png -r 150 -singlefile "${record%.json}.pdf" "$out/${picture%%:*}"
done
kill "$talvex_pid"
wait "$talvex_pid" 2>/dev/null || true
talvex_pid=

# The Windows program on the same display, under Wine in a prefix of its own (whose first start
# takes a while), on the same database and printers.
"$root/scripts/build-windows.sh" >"$work/build-windows.log" 2>&1 ||
  { cat "$work/build-windows.log" >&2; exit 1; }
wine=(env WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")

# windows_panel DPI FILE: the Windows program's panel on a display of DPI dots per inch, which Wine
# reads as its programs start, into FILE. Wine puts the panel in the same corner, at the design's
# 330 x 350 scaled to the DPI.
windows_panel() {
  local dpi=$1 file=$2
  "${wine[@]}" "$root/scripts/wine-prefix.sh" dpi "$work/wine" "$dpi"
  "${wine[@]}" /usr/lib/wine/wine64 "$root/build/windows/talvex.exe" --port "$port" \
    --printers "Z:$printers" --tick-ms "$tick_ms" >"$work/talvex-windows.log" 2>&1 &
  windows_pid=$!
  # Wine's notification area is a small window of its own; a click on the icon in it shows the
  # panel, as on Windows.
  for _ in $(seq 600); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Wine System Tray"' && break
    sleep 0.1
  done
  local tray
  tray=$(xwininfo -root -tree 2>/dev/null | sed -n 's/.*"Wine System Tray".* \([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\) .*/\3 \4/p' | head -n1)
  if [ -z "$tray" ]; then
    echo "pictures: Wine showed no notification area:" >&2
    cat "$work/talvex-windows.log" >&2
    exit 1
  fi
  # The icon is the first in the area; its middle is 8 pixels in from the area's corner.
  local tray_x tray_y
  read -r tray_x tray_y <<<"$tray"
  sleep "$(awk -v ms="$tick_ms" 'BEGIN { print ms * 5 / 1000 }')"
  xdotool mousemove "$((tray_x + 8))" "$((tray_y + 8))" click 1
  # The area stays in the corner over the panel; for the picture it moves aside.
  xdotool search --name '^Wine System Tray$' windowmove %@ 900 900
  grab_panel "$windows_pid" "$work/talvex-windows.log" "$file" 600 \
    "$((330 * dpi / 96))x$((350 * dpi / 96))"
  kill "$windows_pid"
  wait "$windows_pid" 2>/dev/null || true
  windows_pid=
  # Wine's own programs, the notification area among them, end with the prefix's server; the next
  # start finds the prefix idle and the new DPI in force everywhere.
  "${wine[@]}" /usr/lib/wine/wineserver -w
}
windows_panel 96 panel-windows.png
windows_panel 144 panel-windows-144.png
ls "$out"/*.png
