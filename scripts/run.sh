#!/usr/bin/env bash
# Runs the service the way a venue would, with a local demo instead of the venue's own things:
# the database `screen` on localhost:3306 (a private MariaDB with the demo venue, started here when
# nothing listens on 3306) and directory printers in build/demo/printers. Extra arguments go to
# the program (see `talvex --help`).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build=$root/build/release
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEX_TESTS=OFF >/dev/null
cmake --build "$build" --target talvex

demo=${TALVEX_DEMO_DIR:-$root/build/demo}
mkdir -p "$demo"
if (exec 3<>/dev/tcp/127.0.0.1/3306) 2>/dev/null; then
  echo "Using the database server already listening on localhost:3306."
else
  "$root/scripts/mariadb-private.sh" start "$demo/mariadb" 3306 >/dev/null
  trap '"$root/scripts/mariadb-private.sh" stop "$demo/mariadb"' EXIT
  client=(mariadb --no-defaults --protocol=tcp -h127.0.0.1 -P3306 -uroot --default-character-set=utf8mb4)
  if [ -z "$("${client[@]}" -N -e "SHOW DATABASES LIKE 'screen'")" ]; then
    "${client[@]}" -e 'CREATE DATABASE screen CHARACTER SET utf8mb4'
    "${client[@]}" screen <"$root/db/schema.sql"
    "${client[@]}" screen <"$root/db/demo.sql"
    echo "Created the demo database 'screen' on localhost:3306."
  fi
fi

# One folder per printer, in the order of the demo's `printers` ports: 0 KASSA ... 3 CONTROL.
printers=$demo/printers
mkdir -p "$printers"/{0-KASSA,1-BAR,2-KITCHEN,3-CONTROL}
[ -f "$printers/default" ] || echo 0-KASSA >"$printers/default"
echo "Printed documents go to $printers/<printer>/."

"$build/app/talvex" --printers "$printers" "$@"
