#!/usr/bin/env bash
# Fails when a source file includes a header of a higher floor. The floors of
# src/, lowest first; a file may include its own floor or lower ones, and
# base/ includes nothing of the project at all.
set -euo pipefail
cd "$(dirname "$0")/.."

floors=(base log settings documents reports stages results control)
rank() {
  local i
  for i in "${!floors[@]}"; do
    [ "${floors[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

status=0
while IFS= read -r file; do
  own=${file#src/}
  own=${own%%/*}
  own_rank=$(rank "$own")
  if [ "$own_rank" -lt 0 ]; then
    echo "$file: folder src/$own is not a known floor" >&2
    status=1
    continue
  fi
  while IFS= read -r line; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
    floor=${target%%/*}
    [ "$floor" = "$target" ] && continue  # a header beside the file
    floor_rank=$(rank "$floor")
    if [ "$floor_rank" -lt 0 ] || [ "$floor_rank" -gt "$own_rank" ]; then
      echo "$file includes \"$target\", above its floor $own" >&2
      status=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

[ "$status" -eq 0 ] && echo "floors: no include reaches upward"
exit "$status"
