# shellcheck shell=bash
# Sourced by the front-end stand-ins: the MariaDB client pointed at the database the service uses.
#
# connect_client ARGS...: reads the connection options that talvex itself takes (--host, --port,
# --user, --database; the same defaults: localhost, 3306, root, screen) wherever they stand, leaves
# the client command in the array `client` and every other argument, in order, in the array
# `arguments` (all of them after `--`). The caller judges those. The password, when the server
# wants one, comes from the client's option files ([client] in ~/.my.cnf) or MYSQL_PWD, never from
# the command line.
connect_client() {
  local host=localhost port=3306 user=root database=screen
  arguments=()
  while [ $# -gt 0 ]; do
    case "$1" in
      --host) host=${2:?--host needs a value}; shift 2 ;;
      --port) port=${2:?--port needs a value}; shift 2 ;;
      --user) user=${2:?--user needs a value}; shift 2 ;;
      --database) database=${2:?--database needs a value}; shift 2 ;;
      --) shift; arguments+=("$@"); break ;;
      *) arguments+=("$1"); shift ;;
    esac
  done
  case "$port" in
    '' | *[!0-9]*) echo "invalid value '$port' for --port" >&2; return 2 ;;
  esac
  # Over TCP, as the service connects, so that "localhost" is the same server for both.
  # shellcheck disable=SC2034 # the caller's result
  client=(mariadb --protocol=tcp --host="$host" --port="$port" --user="$user"
    --default-character-set=utf8mb4 --database="$database")
}
