#!/usr/bin/env bash
# A stand-in for the point-of-sale front end: queues a print job as the front end does, a row of
# `print` with status 'no', and prints its id. The service picks it up at its next queue check.
#
#   queue-job.sh [--host H] [--port P] [--user U] [--database D] podzakaz ORDER SUB
#   queue-job.sh [connection options] predcheck ORDER      the bill before payment
#   queue-job.sh [connection options] zakaz_close ORDER    the closing receipt
#
# podzakaz prints the order tickets of sub-order SUB of order ORDER.
set -euo pipefail
# shellcheck source=scripts/database-client.sh
. "$(dirname "$0")/database-client.sh"

# usage [PROBLEM]: says what was wrong, when known, above the usage, and ends.
usage() {
  [ $# -eq 0 ] || echo "queue-job: $1" >&2
  sed -n '5,7s/^#   //p' "$0" >&2
  exit 2
}

connect_client "$@" || usage
set -- "${arguments[@]}"
[ $# -ge 1 ] || usage
type=$1
case "$type" in
  podzakaz) [ $# -eq 3 ] || usage "podzakaz takes an order and a sub-order number" ;;
  predcheck | zakaz_close) [ $# -eq 2 ] || usage "$type takes one order number" ;;
  -*) usage "unknown option '$type'" ;;
  *) usage "unknown job type '$type'" ;;
esac
order=$2
sub=${3:-NULL}
# Keys are whole numbers, as the front end's tables hold them; nothing else reaches the statement.
for key in "$order" ${3:+"$sub"}; do
  [[ "$key" =~ ^[0-9]+$ ]] || { echo "queue-job: '$key' is not an order or sub-order number" >&2; exit 2; }
done

"${client[@]}" --batch --skip-column-names -e \
  "INSERT INTO print (zakaz, podzakaz, type, status) VALUES ($order, $sub, '$type', 'no');
   SELECT LAST_INSERT_ID();"
