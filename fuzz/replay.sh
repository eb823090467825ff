#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz") and runs each over its seed corpus
# under fuzz/corpus/<target>/. With a number of seconds as argument (or in
# FUZZ_SECONDS), each target then also fuzzes for that long, starting from a
# copy of its corpus. Inputs that fail are kept in build/fuzz/findings/.
# Exits non-zero when any target fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-${FUZZ_SECONDS:-0}}"
targets=(fuzz_param_file fuzz_word_lists fuzz_pre_proc fuzz_unicode fuzz_extract fuzz_study)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

findings=build/fuzz/findings
mkdir -p "$findings"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

status=0
for target in "${targets[@]}"; do
  binary="build/fuzz/fuzz/$target"
  echo "=== $target: replaying fuzz/corpus/$target"
  if ! "$binary" -runs=0 -artifact_prefix="$findings/$target-" "fuzz/corpus/$target"; then
    echo "*** $target failed on its corpus" >&2
    status=1
    continue
  fi
  if [[ "$seconds" -gt 0 ]]; then
    echo "=== $target: fuzzing for $seconds s"
    work="build/fuzz/work/$target"
    rm -rf "$work"
    mkdir -p "$work"
    if ! "$binary" -max_total_time="$seconds" -dict=fuzz/collusion.dict -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$work" "fuzz/corpus/$target"; then
      echo "*** $target: the fuzzer found a failing input (see $findings)" >&2
      status=1
    fi
  fi
done

if [[ "$status" -eq 0 ]]; then
  echo "=== every fuzz target passed"
fi
exit "$status"
