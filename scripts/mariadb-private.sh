#!/usr/bin/env bash
# A private MariaDB server: its own data and temporary folders, 127.0.0.1 only, root without a
# password.
#
#   mariadb-private.sh start DIR [PORT]   start (or reuse) the server in DIR; prints the port and
#                                         writes it to DIR/port. Without PORT a free one is chosen.
#   mariadb-private.sh stop DIR           stop the server of DIR (no error when none runs)
#
# DIR must be missing, empty or made by this script: any other folder is refused untouched.
# Everything the server writes stays in DIR: data/ (with the server's socket, pid and error log),
# tmp/ (its temporary files), port, mariadbd.pid (the script's record of the process),
# install.log and mariadbd.out.
set -euo pipefail
scripts=$(dirname "$0")
# shellcheck source=scripts/process.sh
. "$scripts/process.sh"
# shellcheck source=scripts/private-dir.sh
. "$scripts/private-dir.sh"

cmd=${1:?usage: mariadb-private.sh start|stop DIR [PORT]}
dir=${2:?usage: mariadb-private.sh start|stop DIR [PORT]}
want_port=${3:-}

# Sets the folder's absolute path and the paths in it.
resolve_dir() {
  dir=$(cd "$dir" && pwd -P)
  data=$dir/data
}

port_busy() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

admin() {
  local program
  program=$(find_program mariadb-admin mariadb-client) || exit 1
  "$program" "$@"
}

# The script's own record of the server process (DIR/mariadbd.pid), which says which process it is.
alive() {
  [ -f "$dir/port" ] && recorded_running "$dir/mariadbd.pid" &&
    admin --no-defaults --protocol=tcp -h127.0.0.1 -P"$(cat "$dir/port")" -uroot ping >/dev/null 2>&1
}

stop() { stop_by_pidfile "$dir/mariadbd.pid"; }

start_on() {
  local port=$1 mariadbd
  mariadbd=$(find_program mariadbd mariadb-server) || exit 1
  TMPDIR=$dir/tmp "$mariadbd" --no-defaults --user="$(id -un)" --datadir="$data" \
    --tmpdir="$dir/tmp" --port="$port" --bind-address=127.0.0.1 --socket="$data/sock" \
    --pid-file="$data/pid" --log-error="$data/err.log" --skip-name-resolve \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --innodb-buffer-pool-size=64M --innodb-flush-log-at-trx-commit=0 --max-connections=500 \
    </dev/null >>"$dir/mariadbd.out" 2>&1 &
  local pid=$!
  record_process "$dir/mariadbd.pid" "$pid" "$mariadbd"
  # The limit only matters when the server hangs; a server that ends is noticed at once.
  local deadline=$((SECONDS + 180))
  until admin --no-defaults --protocol=tcp -h127.0.0.1 -P"$port" -uroot ping >/dev/null 2>&1; do
    has_ended "$pid" && return 1
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "mariadb-private: the server in $dir did not answer within three minutes" >&2
      stop
      return 1
    fi
    sleep 0.1
  done
  echo "$port" >"$dir/port"
}

install_data() {
  local install_db
  install_db=$(find_program mariadb-install-db mariadb-server) || exit 1
  # Installed beside the data folder and renamed, so a failed install never looks like data.
  rm -rf "$dir/data.new"
  TMPDIR=$dir/tmp "$install_db" --no-defaults --user="$(id -un)" --datadir="$dir/data.new" \
    --tmpdir="$dir/tmp" --auth-root-authentication-method=normal --skip-test-db \
    --skip-name-resolve >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log" >&2; exit 1; }
  mv "$dir/data.new" "$data"
}

case "$cmd" in
  start)
    adopt_private_dir mariadb "$dir" || exit 1
    resolve_dir
    if alive; then
      cat "$dir/port"
      exit 0
    fi
    stop
    # The server's temporary files, never shared with another server: two servers that share a
    # temporary folder at once can take each other's files and fail.
    rm -rf "$dir/tmp"
    mkdir -p "$dir/tmp"
    [ -d "$data" ] || install_data
    if [ -n "$want_port" ]; then
      if port_busy "$want_port"; then
        echo "mariadb-private: port $want_port is already in use" >&2
        exit 1
      fi
      start_on "$want_port" || { tail -n 20 "$data/err.log" >&2; exit 1; }
    else
      for _ in $(seq 20); do
        port=$((20000 + RANDOM % 40000))
        port_busy "$port" && continue
        start_on "$port" && break
      done
      alive || { tail -n 20 "$data/err.log" >&2; exit 1; }
    fi
    cat "$dir/port"
    ;;
  stop)
    # Nothing can run in a missing or empty folder, and nothing there is removed.
    is_unused_dir "$dir" && exit 0
    check_private_dir mariadb "$dir" || exit 1
    resolve_dir
    stop
    rm -f "$dir/port"
    ;;
  *)
    echo "usage: mariadb-private.sh start|stop DIR [PORT]" >&2
    exit 2
    ;;
esac
