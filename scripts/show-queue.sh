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

usage="usage: show-queue.sh [--host H] [--port P] [--user U] [--database D] [--waiting]"
connect_client "$@" || { echo "$usage" >&2; exit 2; }
where=""
for argument in "${arguments[@]}"; do
  case "$argument" in
    --waiting) where="WHERE status='no'" ;;
    *)
      echo "show-queue: unknown argument '$argument'" >&2
      echo "$usage" >&2
      exit 2
      ;;
  esac
done

"${client[@]}" --table -e \
  "SELECT id, type, zakaz AS \`order\`, podzakaz AS \`sub-order\`, status FROM print $where ORDER BY id"
