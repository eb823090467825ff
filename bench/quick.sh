#!/usr/bin/env bash
# The quick study of a folder of 500 generated documents timed beside the same
# study configured by hand (the documents listed as file1..file500, the same
# settings and built-in English word lists from languages/english.lang), in
# alternating runs. The folder is listed once, so the two should match.
#
#   bench/quick.sh [--program P] [--runs R] [--scratch DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/release/collusion runs=3 scratch=/tmp/collusion-quick
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    *) echo "usage: bench/quick.sh [--program P] [--runs R] [--scratch DIR]" >&2; exit 2 ;;
  esac
done
[ "$program" = build/release/collusion ] && cmake --workflow --preset release >/dev/null
corpus="$scratch/corpus"
if [ ! -d "$corpus/docs" ]; then
  python3 bench/make_corpus.py --docs 500 --words 2000 --mode 3 --grams 3 --seed 1 --copies 0.3 \
    --out "$corpus" >/dev/null
fi
hand="$scratch/hand"
mkdir -p "$hand"
{
  echo "languageFileName=$PWD/languages/english.lang"
  echo "removePontuation=1"; echo "removeNumbers=1"; echo "lowerCase=1"
  echo "gramsSize=3"; echo "collusionMode=3"; echo "pairFiles=0"
  echo "isToshowLog=1"; echo "isToshowWarning=1"
  echo "dirVocabularies=$hand/out/vocabularies"; echo "dirResults=$hand/out/results"
  echo "saveLogIn=$hand/out/log"
  i=0
  for f in $(ls "$corpus/docs" | LC_ALL=C sort); do i=$((i + 1)); echo "file$i=$corpus/docs/$f"; done
} >"$hand/study.cfg"
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s.%N); echo "$e - $s" | bc; }
quick_times=() hand_times=()
for ((r = 1; r <= runs; r++)); do
  rm -rf "$scratch/quick-out" "$hand/out"
  mkdir -p "$hand/out/vocabularies" "$hand/out/results" "$hand/out/log"
  quick_times+=("$(seconds "$program" --output "$scratch/quick-out" "$corpus/docs")")
  hand_times+=("$(seconds "$program" "$hand/study.cfg")")
done
min() { printf '%s\n' "$@" | sort -n | head -1; }
max() { printf '%s\n' "$@" | sort -n | tail -1; }
printf 'quick study of the folder: min %.3f s, max %.3f s\n' "$(min "${quick_times[@]}")" "$(max "${quick_times[@]}")"
printf 'the same study by hand:     min %.3f s, max %.3f s\n' "$(min "${hand_times[@]}")" "$(max "${hand_times[@]}")"
cmp -s "$scratch/quick-out/results/pairs.csv" "$hand/out/results/pairs.csv" &&
  echo "pairs.csv: identical" || echo "pairs.csv: differs (document paths are spelled differently)"
