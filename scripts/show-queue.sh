#!/usr/bin/env bash
# Shows the print queue as the front end and the service share it: every row of `print`, oldest
# first, with its type, order, sub-order and status ('no' waits, 'yes' is printed).
#
#   show-queue.sh [--host H] [--port P] [--user U] [--database D] [--waiting]
#
# --waiting shows only the rows that wait.
set -euo pipefail
# shellcheck source=scripts/database-client.sh
. "$(dirname "$0")/database-client.sh"

connect_client "$@" || exit 2
where=""
case "${arguments[*]:-}" in
  "") ;;
  --waiting) where="WHERE status='no'" ;;
  *) echo "usage: show-queue.sh [--host H] [--port P] [--user U] [--database D] [--waiting]" >&2; exit 2 ;;
esac

"${client[@]}" --table -e \
  "SELECT id, type, zakaz AS \`order\`, podzakaz AS \`sub-order\`, status FROM print $where ORDER BY id"
