#!/usr/bin/env bash
# A private MariaDB server: its own data directory, 127.0.0.1 only, root without a password.
#
#   mariadb-private.sh start DIR [PORT]   start (or reuse) the server in DIR; prints the port and
#                                         writes it to DIR/port. Without PORT a free one is chosen.
#   mariadb-private.sh stop DIR           stop the server of DIR (no error when none runs)
set -euo pipefail
# shellcheck source=scripts/process.sh
. "$(dirname "$0")/process.sh"

cmd=${1:?usage: mariadb-private.sh start|stop DIR [PORT]}
dir=${2:?usage: mariadb-private.sh start|stop DIR [PORT]}
want_port=${3:-}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
data=$dir/data

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
  "$mariadbd" --no-defaults --user="$(id -un)" --datadir="$data" --port="$port" \
    --bind-address=127.0.0.1 --socket="$data/sock" --pid-file="$data/pid" \
    --log-error="$data/err.log" --skip-name-resolve --character-set-server=utf8mb4 \
    --collation-server=utf8mb4_general_ci --innodb-buffer-pool-size=64M \
    --innodb-flush-log-at-trx-commit=0 --max-connections=500 </dev/null >/dev/null 2>&1 &
  local pid=$!
  record_process "$dir/mariadbd.pid" "$pid" "$mariadbd"
  for _ in $(seq 300); do
    if admin --no-defaults --protocol=tcp -h127.0.0.1 -P"$port" -uroot ping >/dev/null 2>&1; then
      echo "$port" >"$dir/port"
      return 0
    fi
    has_ended "$pid" && return 1
    sleep 0.1
  done
  stop
  return 1
}

case "$cmd" in
  start)
    if alive; then
      cat "$dir/port"
      exit 0
    fi
    stop
    if [ ! -d "$data/mysql" ]; then
      rm -rf "$data"
      install_db=$(find_program mariadb-install-db mariadb-server) || exit 1
      "$install_db" --no-defaults --user="$(id -un)" --datadir="$data" \
        --auth-root-authentication-method=normal --skip-test-db --skip-name-resolve \
        >"$dir/install.log" 2>&1 ||
        { cat "$dir/install.log" >&2; exit 1; }
    fi
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
    stop
    rm -f "$dir/port"
    ;;
  *)
    echo "usage: mariadb-private.sh start|stop DIR [PORT]" >&2
    exit 2
    ;;
esac
