# shellcheck shell=bash
# Sourced by mariadb-private.sh: the TCP ports that private server folders claim.
#
# A server folder claims its port for its whole life, running or stopped, so that a restart finds
# the port still free of the other private servers on this machine. The claim is the file
# CLAIMS/PORT, which holds the folder's path, and the folder names its port in DIR/claimed-port.
# A claim whose folder is gone, or names another port by now, is stale and is taken over. Claims
# are made, checked and dropped only under an exclusive lock on CLAIMS/.lock, so two scripts never
# both take a port. CLAIMS is $TALVEX_PORT_CLAIMS, by default a folder of the user's own in /tmp,
# shared by every test run of the user on this machine.

port_claims=${TALVEX_PORT_CLAIMS:-/tmp/talvex-port-claims-$(id -u)}

# with_claims_locked COMMAND [ARG...]: runs COMMAND while holding the lock on the claims.
with_claims_locked() {
  if [ ! -d "$port_claims" ]; then
    mkdir -p -- "$(dirname -- "$port_claims")"
    mkdir -m 700 -- "$port_claims" 2>/dev/null || true # another script may just have made it
  fi
  if [ ! -d "$port_claims" ] || [ -L "$port_claims" ] || [ ! -O "$port_claims" ]; then
    echo "$port_claims is not a folder of this user's own; cannot claim ports" >&2
    return 1
  fi
  (
    if ! flock -w 120 9; then
      echo "waited two minutes for the lock on $port_claims" >&2
      exit 1
    fi
    "$@"
  ) 9>>"$port_claims/.lock"
}

# claim_holder PORT: prints the folder that holds a claim on PORT which is not stale, if any.
claim_holder() {
  local owner
  owner=$(cat "$port_claims/$1" 2>/dev/null) || return 0
  if [ -n "$owner" ] && [ "$(cat "$owner/claimed-port" 2>/dev/null)" = "$1" ]; then
    echo "$owner"
  fi
}

release_port_locked() {
  local port
  port=$(cat "$1/claimed-port" 2>/dev/null) || return 0
  if [[ $port =~ ^[0-9]+$ ]] && [ "$(cat "$port_claims/$port" 2>/dev/null)" = "$1" ]; then
    rm -f "$port_claims/$port"
  fi
  rm -f "$1/claimed-port"
}

# Drops the stale claims, so that the folder of claims holds only live ones.
prune_claims_locked() {
  local file
  for file in "$port_claims"/[0-9]*; do
    [ -f "$file" ] || continue
    [ -n "$(claim_holder "${file##*/}")" ] || rm -f "$file"
  done
}

claim_port_locked() {
  prune_claims_locked
  local holder
  holder=$(claim_holder "$2")
  if [ -n "$holder" ] && [ "$holder" != "$1" ]; then
    echo "port $2 is claimed by the private server in $holder" >&2
    return 1
  fi
  release_port_locked "$1"
  echo "$1" >"$port_claims/$2"
  echo "$2" >"$1/claimed-port"
}

# claim_port DIR PORT: claims PORT for the server folder DIR (an absolute path), giving up the port
# DIR claimed before. Fails when another folder holds a claim on PORT that is not stale.
claim_port() { with_claims_locked claim_port_locked "$1" "$2"; }

# release_port DIR: gives up the port that the server folder DIR claims.
release_port() { with_claims_locked release_port_locked "$1"; }

# random_private_port: a port for a private server, chosen at random above the usual service ports
# and outside the range from which the kernel picks the local ports of outgoing connections, so
# that no client connection ever holds it.
random_private_port() {
  local first=10000 low=32768 high=60999 below above r
  read -r low high </proc/sys/net/ipv4/ip_local_port_range || true
  below=$((low > first ? low - first : 0)) # first .. low-1
  above=$((high < 65535 ? 65535 - high : 0)) # high+1 .. 65535
  if [ $((below + above)) -eq 0 ]; then
    # The kernel may use every port for outgoing connections; a bind then tells what is free.
    below=$((65536 - first))
  fi
  r=$(((RANDOM << 15 | RANDOM) % (below + above)))
  if [ "$r" -lt "$below" ]; then
    echo $((first + r))
  else
    echo $((high + 1 + r - below))
  fi
}
