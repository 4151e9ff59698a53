# shellcheck shell=bash
# Sourced by the private-server scripts: finding the programs they run, and keeping track of a
# server process through a pidfile that says which process it is, so that a stale pidfile can never
# make a script signal a process it did not start.

# find_program NAME PACKAGE: prints the path of the program NAME, from PATH or else from /usr/sbin
# or /sbin, where Debian installs the servers and their administration tools but where the PATH of
# a user or of a minimal environment may not look. Fails, naming PACKAGE, when it is nowhere.
find_program() {
  local found
  found=$(type -P "$1") || found=
  if [ -z "$found" ]; then
    local d
    for d in /usr/sbin /sbin; do
      if [ -x "$d/$1" ] && [ ! -d "$d/$1" ]; then
        found=$d/$1
        break
      fi
    done
  fi
  if [ -z "$found" ]; then
    echo "$1 not found in PATH, /usr/sbin or /sbin (package $2)" >&2
    return 1
  fi
  echo "$found"
}

# start_time_of PID: the moment the process PID started, in clock ticks since boot. With the pid it
# names one process for good: a later process given the same pid starts later.
start_time_of() {
  local stat fields
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  # The command name in parentheses may hold spaces; the fields after it are plain numbers.
  read -r -a fields <<<"${stat##*) }"
  echo "${fields[19]}"
}

# runs_program PID PROGRAM: true while the process PID runs PROGRAM (a real path). A zombie runs
# nothing.
runs_program() {
  local exe
  exe=$(readlink "/proc/$1/exe" 2>/dev/null) || return 1
  [ "${exe% (deleted)}" = "$2" ]
}

# has_ended PID: true when the process PID is gone or a zombie.
has_ended() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  [[ ${stat##*) } == [ZX]* ]]
}

# record_process PIDFILE PID PROGRAM: writes to PIDFILE that the process PID, just started with &,
# runs PROGRAM: its pid, its start time and the program's real path. Until the process has set up
# its redirections and replaced itself with PROGRAM it still runs the shell, so this waits for
# that first (or for the process to end).
record_process() {
  local program started until=$((SECONDS + 60))
  program=$(readlink -f "$3")
  until runs_program "$2" "$program" || has_ended "$2" || [ "$SECONDS" -ge "$until" ]; do
    sleep 0.01
  done
  started=$(start_time_of "$2") || started=0
  printf '%s %s %s\n' "$2" "$started" "$program" >"$1"
}

# runs_recorded PID STARTED PROGRAM: true while the process PID is the one that started at STARTED
# and runs PROGRAM.
runs_recorded() {
  runs_program "$1" "$3" && [ "$(start_time_of "$1")" = "$2" ]
}

# recorded_running PIDFILE: true while the process that PIDFILE records still runs its program.
recorded_running() {
  local pid='' started='' program=''
  [ -f "$1" ] || return 1
  read -r pid started program <"$1" || true
  [[ $pid =~ ^[1-9][0-9]*$ ]] && [ -n "$program" ] && runs_recorded "$pid" "$started" "$program"
}

# stop_by_pidfile PIDFILE: ends the process that PIDFILE records, politely first and for good after
# 30 seconds, waits until it is gone and removes PIDFILE. A pidfile whose process has ended, or
# whose pid now belongs to another process, is just removed. Nothing happens without the file;
# fails only when the process outlives SIGKILL.
stop_by_pidfile() {
  [ -f "$1" ] || return 0
  if recorded_running "$1"; then
    local pid started program
    read -r pid started program <"$1"
    kill "$pid" 2>/dev/null || true
    local polite_until=$((SECONDS + 30)) give_up=$((SECONDS + 60))
    while runs_recorded "$pid" "$started" "$program"; do
      if [ "$SECONDS" -ge "$give_up" ]; then
        echo "process $pid ($program) did not end" >&2
        return 1
      fi
      if [ "$SECONDS" -ge "$polite_until" ]; then
        kill -9 "$pid" 2>/dev/null || true
      fi
      sleep 0.1
    done
  fi
  rm -f "$1"
}
