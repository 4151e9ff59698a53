# Sourced by the private-server scripts.

# stop_by_pidfile FILE: ends the process whose id FILE holds, politely first and for good after ten
# seconds, and removes FILE. Nothing happens without the file.
stop_by_pidfile() {
  [ -f "$1" ] || return 0
  local pid
  pid=$(cat "$1")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$1"
}
