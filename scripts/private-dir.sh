# shellcheck shell=bash
# Sourced by the private-server scripts. A private folder is one that a script made for a server of
# its own: it carries the file .talvex-private, which names the kind of server. The scripts remove
# files only inside such a folder, so that a wrong argument (`start /usr`) can never delete a
# folder of the system or of a user.

private_marker=.talvex-private

# is_private_dir KIND DIR: true when DIR is a private folder of KIND.
is_private_dir() {
  [ -f "$2/$private_marker" ] && [ ! -L "$2/$private_marker" ] &&
    [ "$(cat "$2/$private_marker")" = "$1" ]
}

# is_unused_dir DIR: true when DIR is missing or empty, so there is nothing in it to lose.
is_unused_dir() {
  [ ! -e "$1" ] || { [ -d "$1" ] && [ ! -L "$1" ] && [ -z "$(ls -A -- "$1")" ]; }
}

# adopt_private_dir KIND DIR: makes DIR a private folder of KIND: creates it, or adopts it when it
# is empty, and marks it. A folder that already carries the marker of KIND is kept as it is; any
# other folder is refused.
adopt_private_dir() {
  is_private_dir "$1" "$2" && return 0
  if ! is_unused_dir "$2"; then
    echo "$2 is not empty and was not made for a private $1 server; refusing to use it" >&2
    return 1
  fi
  mkdir -p -- "$2" && echo "$1" >"$2/$private_marker"
}

# check_private_dir KIND DIR: fails with a message unless DIR is a private folder of KIND.
check_private_dir() {
  is_private_dir "$1" "$2" && return 0
  echo "$2 was not made for a private $1 server; refusing to touch it" >&2
  return 1
}
