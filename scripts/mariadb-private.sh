#!/usr/bin/env bash
# A private MariaDB server: its own data and temporary folders, 127.0.0.1 only, root without a
# password.
#
#   mariadb-private.sh start DIR [PORT]   start (or reuse) the server in DIR; prints the port and
#                                         writes it to DIR/port. Without PORT the server gets the
#                                         port that DIR claimed before, or claims a free one.
#   mariadb-private.sh stop DIR           stop the server of DIR (no error when none runs). DIR
#                                         keeps its port claim, so the next start gets that port.
#   mariadb-private.sh remove DIR         stop the server, give up its port claim and delete DIR
#
# DIR must be missing, empty or made by this script: any other folder is refused untouched.
# Everything the server writes stays in DIR: data/ (with the server's socket, pid and error log),
# tmp/ (its temporary files), port, claimed-port, mariadbd.pid (the script's record of the
# process), install.log and mariadbd.out.
set -euo pipefail
scripts=$(dirname "$0")
# shellcheck source=scripts/process.sh
. "$scripts/process.sh"
# shellcheck source=scripts/private-dir.sh
. "$scripts/private-dir.sh"
# shellcheck source=scripts/port-claim.sh
. "$scripts/port-claim.sh"

usage="usage: mariadb-private.sh start DIR [PORT] | stop DIR | remove DIR"
cmd=${1:?$usage}
dir=${2:?$usage}
want_port=${3:-}
if [ -n "$want_port" ] &&
  { ! [[ $want_port =~ ^[1-9][0-9]{0,4}$ ]] || [ "$want_port" -gt 65535 ]; }; then
  echo "$usage" >&2
  exit 2
fi

fail() {
  echo "mariadb-private: $*" >&2
  exit 1
}

# Sets dir to the folder's absolute path without symbolic links, the form its port claim records.
resolve_dir() { dir=$(cd "$dir" && pwd -P); }

stop_server() {
  stop_by_pidfile "$dir/mariadbd.pid"
  rm -f "$dir/port"
}

client_programs() {
  admin=$(find_program mariadb-admin mariadb-client) || exit 1
  client=$(find_program mariadb mariadb-client) || exit 1
}

# True when the server answers on its socket. The clients wait hours for a server that
# accepts a connection and says nothing; a hung server must not hang the script.
server_answers() {
  "$admin" --no-defaults --connect-timeout=10 --socket="$data/sock" -uroot ping >/dev/null 2>&1
}

# True when the server that this folder recorded runs and answers on its own socket.
running() {
  recorded_running "$dir/mariadbd.pid" && [ -s "$dir/port" ] && server_answers
}

# True when the server answering on 127.0.0.1:PORT is this folder's, not some other one.
serves_port() {
  [ "$("$client" --no-defaults --connect-timeout=10 --protocol=tcp -h127.0.0.1 -P"$1" -uroot \
    -N -B -e 'SELECT @@datadir' 2>/dev/null)" = "$data/" ]
}

# True when something listens on 127.0.0.1:PORT.
port_busy() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# install_into FOLDER: a new server's data, as mariadb-install-db makes it, in FOLDER. Installed
# beside it and renamed, so that a failed install never looks like data.
install_into() {
  local install_db
  install_db=$(find_program mariadb-install-db mariadb-server) || exit 1
  rm -rf "$1.new"
  TMPDIR=$dir/tmp "$install_db" --no-defaults --user="$(id -un)" --datadir="$1.new" \
    --tmpdir="$dir/tmp" --auth-root-authentication-method=normal --skip-test-db \
    --skip-name-resolve >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log" >&2; fail "mariadb-install-db failed in $dir"; }
  mv -T "$1.new" "$1"
}

# A new server's data. With TALVEX_MARIADB_TEMPLATE (the tests' harness sets it), a copy of the
# data installed there once: copying takes a fraction of the install's seconds. The template is
# never started, so every copy is a server that has never run.
install_data() {
  local template=${TALVEX_MARIADB_TEMPLATE:-}
  if [ -z "$template" ]; then
    install_into "$data"
    return
  fi
  if [ ! -d "$template" ]; then
    mkdir -p "$(dirname "$template")"
    # Two servers starting at once may both install it; the first rename wins, the other's data
    # goes, as the second rename onto a folder that is there fails.
    local own=$template.$$
    install_into "$own"
    mv -T "$own" "$template" 2>/dev/null || rm -rf "$own"
  fi
  rm -rf "$dir/data.new"
  cp -a "$template" "$dir/data.new"
  mv -T "$dir/data.new" "$data"
}

# start_on PORT: starts the server on PORT and waits until it answers there. Returns 2 when the
# port is taken (the server could not bind it), 1 on any other failure.
start_on() {
  local port=$1 mariadbd log_size pid
  mariadbd=$(find_program mariadbd mariadb-server) || exit 1
  touch "$data/err.log"
  log_size=$(stat -c %s "$data/err.log")
  TMPDIR=$dir/tmp "$mariadbd" --no-defaults --user="$(id -un)" --datadir="$data" \
    --tmpdir="$dir/tmp" --port="$port" --bind-address=127.0.0.1 --socket="$data/sock" \
    --pid-file="$data/pid" --log-error="$data/err.log" --skip-name-resolve \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --innodb-buffer-pool-size=64M --innodb-flush-log-at-trx-commit=0 --max-connections=500 \
    </dev/null >>"$dir/mariadbd.out" 2>&1 &
  pid=$!
  record_process "$dir/mariadbd.pid" "$pid" "$mariadbd"
  # The limit only matters when the server hangs; a server that ends is noticed at once.
  local deadline=$((SECONDS + 180))
  until server_answers; do
    if has_ended "$pid"; then
      wait "$pid" 2>/dev/null || true
      rm -f "$dir/mariadbd.pid"
      if tail -c +"$((log_size + 1))" "$data/err.log" | grep -q 'Bind on TCP/IP port'; then
        return 2
      fi
      tail -n 20 "$data/err.log" >&2
      return 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "mariadb-private: the server in $dir did not answer within three minutes" >&2
      stop_server
      return 1
    fi
    sleep 0.1
  done
  # Answering on its socket, the server has bound its TCP port too; check that the port reaches it.
  if ! serves_port "$port"; then
    echo "mariadb-private: the server on port $port is not the one in $dir" >&2
    stop_server
    return 1
  fi
  echo "$port" >"$dir/port"
}

start() {
  adopt_private_dir mariadb "$dir" || exit 1
  resolve_dir
  data=$dir/data
  # A Unix socket path holds at most 107 bytes.
  [ ${#data} -le 100 ] || fail "$data/sock is too long for a socket path; use a shorter folder"
  client_programs

  if running; then
    local port
    port=$(cat "$dir/port")
    [ -z "$want_port" ] || [ "$want_port" = "$port" ] ||
      fail "the server in $dir already runs on port $port"
    echo "$port"
    return 0
  fi
  stop_server
  # A port asked for must be free of other claims before anything is installed.
  [ -z "$want_port" ] || claim_port "$dir" "$want_port" || exit 1
  rm -rf "$dir/tmp"
  mkdir -p "$dir/tmp"
  [ -d "$data" ] || install_data

  # Try the port asked for, or the one claimed before, then random ones. A port is claimed before
  # the server binds it; a port that turns out taken by a program outside the tests is given up.
  local tries=0 port rc
  while :; do
    tries=$((tries + 1))
    [ "$tries" -le 50 ] || fail "no free port found after 50 tries"
    if [ -n "$want_port" ]; then
      port=$want_port
    elif [ "$tries" -eq 1 ] && [[ $(cat "$dir/claimed-port" 2>/dev/null) =~ ^[1-9][0-9]*$ ]]; then
      port=$(cat "$dir/claimed-port")
    else
      port=$(random_private_port)
      [ "$port" -ne 3306 ] || continue
    fi
    if ! claim_port "$dir" "$port"; then
      [ -z "$want_port" ] || exit 1
      continue
    fi
    if port_busy "$port"; then
      [ -z "$want_port" ] || fail "port $port is already in use"
      continue
    fi
    rc=0
    start_on "$port" || rc=$?
    case $rc in
      0)
        echo "$port"
        return 0
        ;;
      2) [ -z "$want_port" ] || fail "port $port is already in use" ;;
      *) fail "the server in $dir did not start; see $data/err.log" ;;
    esac
  done
}

case "$cmd" in
  start) start ;;
  stop | remove)
    # Nothing can run in a missing or empty folder, and nothing there is removed.
    is_unused_dir "$dir" && exit 0
    check_private_dir mariadb "$dir" || exit 1
    resolve_dir
    stop_server
    if [ "$cmd" = remove ]; then
      release_port "$dir"
      rm -rf -- "$dir"
    fi
    ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac
