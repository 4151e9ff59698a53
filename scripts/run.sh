#!/usr/bin/env bash
# Runs the service the way a venue would, with a local demo instead of the venue's own things:
# the database `screen` on localhost:3306 (a private MariaDB with the demo venue, started here when
# nothing listens on 3306) and directory printers in build/demo/printers. Extra arguments go to
# the program (see `talvex --help`). A server that already listens on 3306 is used as it is: this
# script creates and fills tables only in the demo server it started itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build=$root/build/release
demo=${TALVEX_DEMO_DIR:-$root/build/demo}
mkdir -p "$demo"
echo "Building talvex (the first build takes a few minutes)..."
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEX_TESTS=OFF &&
  cmake --build "$build" --target talvex; } >"$demo/build.log" 2>&1; then
  cat "$demo/build.log" >&2
  echo "The build failed; its output is above and in $demo/build.log." >&2
  exit 1
fi

started_demo=false
if (exec 3<>/dev/tcp/127.0.0.1/3306) 2>/dev/null; then
  echo "Using the database server already listening on localhost:3306 (database screen)."
else
  "$root/scripts/mariadb-private.sh" start "$demo/mariadb" 3306 >/dev/null
  trap '"$root/scripts/mariadb-private.sh" stop "$demo/mariadb"' EXIT
  started_demo=true
  client=(mariadb --no-defaults --protocol=tcp -h127.0.0.1 -P3306 -uroot
    --default-character-set=utf8mb4)
  if [ -z "$("${client[@]}" -N -e "SHOW DATABASES LIKE 'screen'")" ]; then
    "${client[@]}" -e 'CREATE DATABASE screen CHARACTER SET utf8mb4'
    "${client[@]}" screen <"$root/db/schema.sql"
    "${client[@]}" screen <"$root/db/demo.sql"
    echo "Created the demo venue in the database 'screen' on localhost:3306."
  fi
fi

# One folder per printer, in the order of the demo's `printers` ports: 0 KASSA ... 3 CONTROL.
printers=$demo/printers
mkdir -p "$printers"/{0-KASSA,1-BAR,2-KITCHEN,3-CONTROL}
[ -f "$printers/default" ] || echo 0-KASSA >"$printers/default"
# Qt wants a private runtime folder; without one it only complains.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$demo/runtime
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
fi

shown=${printers#"$PWD"/}
hints() {
  echo "Every printed document lands in $shown/<printer>/"
  echo "as NNNNNN.pdf, with a record of its lines in NNNNNN.json."
  echo "  Look at one:    pdftotext -layout $shown/1-BAR/000001.pdf -"
  echo "                  (or open the PDF in any viewer)"
  if $started_demo; then
    echo "  Queue a job:    scripts/queue-job.sh predcheck 4      the bill of order 4"
    echo "                  scripts/queue-job.sh zakaz_close 1    the closing receipt of order 1"
    echo "                  scripts/queue-job.sh podzakaz 2 1     the bar and kitchen tickets of order 2"
    echo "  See the queue:  scripts/show-queue.sh"
  fi
  echo "  Stop:           Ctrl+C"
  echo "Errors the service meets show below."
  echo
}
# The program says on standard output that it is running once it has started; the hints follow
# that line. A start that finds the service already running says so on standard error and nothing
# here.
after_start() {
  local line
  while IFS= read -r line; do
    printf '%s\n' "$line"
    case "$line" in "Talvex is running "*) hints ;; esac
  done
}

echo
"$build/app/talvex" --printers "$printers" "$@" > >(after_start)
