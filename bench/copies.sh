#!/usr/bin/env bash
# One document listed many times against as many distinct documents: the
# study's time must grow with its number of outputs alike in both, since each
# repeated name goes on from the number it reached.
#
#   bench/copies.sh [--program P] [--scratch DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/release/collusion
scratch=/tmp/collusion-copies
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    *) echo "usage: bench/copies.sh [--program P] [--scratch DIR]" >&2; exit 2 ;;
  esac
done
[ "$program" = build/release/collusion ] && cmake --workflow --preset release >/dev/null
rm -rf "$scratch"; mkdir -p "$scratch/docs"
python3 - "$scratch/docs" <<'PY'
import random, sys
random.seed(5)
for d in range(1000):
    words = " ".join("w%d" % random.randrange(2000) for _ in range(200))
    open("%s/d%04d.txt" % (sys.argv[1], d), "w").write(words + "\n")
PY
run() {  # name mode count same
  local dir="$scratch/$1"
  rm -rf "$dir"; mkdir -p "$dir/out"
  {
    echo "dirVocabularies=$dir/out"; echo "dirReports=$dir/out"; echo "saveLogIn=$dir"
    echo "collusionMode=$2"
    for i in $(seq 1 "$3"); do
      if [ "$4" = same ]; then echo "file$i=$scratch/docs/d0000.txt"
      else printf 'file%d=%s/docs/d%04d.txt\n' "$i" "$scratch" "$((i - 1))"; fi
    done
  } >"$dir/study.cfg"
  local start end
  start=$(date +%s.%N)
  "$program" "$dir/study.cfg" >/dev/null || true
  end=$(date +%s.%N)
  printf '%-28s %8d outputs %8.3f s %8.2f us/output\n' "$1" "$(ls "$dir/out" | wc -l)" \
    "$(echo "$end - $start" | bc)" "$(echo "($end - $start) * 1000000 / $(ls "$dir/out" | wc -l)" | bc -l)"
}
run "mode 3, 250 distinct" 3 250 distinct
run "mode 3, 250 copies of one" 3 250 same
run "mode 2, 1000 distinct" 2 1000 distinct
run "mode 2, 1000 copies of one" 2 1000 same
