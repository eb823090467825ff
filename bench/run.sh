#!/usr/bin/env bash
# Benchmark of the collusion tool against the I/O floor of the same work and
# against `sim_text -p` on the same documents.
#
#   bench/run.sh WORKLOAD [options]
#   bench/run.sh --docs N --words W --mode M [options]
#
# Workloads:
#   W1     500 documents x 2,000 words, collusionMode 3 (every pair)
#   W1R    W1 with the results folder on (dirResults) and pairFiles=0
#   W2     2,000 documents x 1,000 words, collusionMode 2 (first against each other)
#   W3     10 documents x 1,000,000 words, collusionMode 3
#   scale  250, 500, 1,000 and 2,000 documents x 2,000 words, collusionMode 3;
#          shows the comparison time per pair for each size
#
# Options:
#   --runs R       runs per workload (default 5)
#   --grams G      gramsSize (default 3)
#   --seed S       corpus seed (default 1)
#   --copies F     probability that a document copies a passage (default 0.3)
#   --scratch DIR  where corpora and outputs go (default /tmp/collusion-bench)
#   --no-build     use the existing build/release/collusion
#   --program P    time the program P (another build, say) instead; implies --no-build
#   --no-floor     do not measure the I/O floor: for sizes whose outputs do not
#                  fit the scratch folder twice, such as the 2,000-document scale
#                  point (4 million files); ratios to the floor are then "-"
#   --no-sim       do not time sim_text (by default it is installed from Debian's
#                  similarity-tester package when missing and run as root)
#   --settle S     seconds to wait after deleting a run's outputs (default 35)
#   --results      the study also writes its results folder (dirResults)
#   --set K=V      adds the setting K=V to the study (unicodeText=1, say); repeatable
#
# One sitting: build the release preset, generate the corpus (or reuse it when
# the same parameters made it before), then for each run, alternately: drop the
# old outputs, run the study under /usr/bin/time -v (lap times of its log, peak
# memory), measure the I/O floor right after it (reading every input document
# and writing the study's own output files again into a fresh folder, the
# cheapest single-threaded way), then time sim_text. Noise only ever adds time,
# so the figures compared are the MINIMUMS over the runs of this sitting; the
# summary also shows median and maximum, and ends with every target of the
# workloads run, its figure and whether it holds.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/.." && pwd)"

usage() {
  sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d' | sed 's/^# \{0,1\}//'
  exit "${1:-0}"
}

workload=""
docs="" words="" mode=""
runs=5 grams=3 seed=1 copies=0.3
scratch="/tmp/collusion-bench"
build=1 sim=1 floor=1 settle=35 program="" results=0 settings=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    W1|W1R|W2|W3|scale) workload="$1" ;;
    --docs) docs="$2"; shift ;;
    --words) words="$2"; shift ;;
    --mode) mode="$2"; shift ;;
    --runs) runs="$2"; shift ;;
    --grams) grams="$2"; shift ;;
    --seed) seed="$2"; shift ;;
    --copies) copies="$2"; shift ;;
    --scratch) scratch="$2"; shift ;;
    --no-build) build=0 ;;
    --program) program="$2"; build=0; shift ;;
    --no-sim) sim=0 ;;
    --no-floor) floor=0 ;;
    --settle) settle="$2"; shift ;;
    --results) results=1 ;;
    --set) settings+=("$2"); shift ;;
    -h|--help) usage 0 ;;
    *) echo "run.sh: unknown argument '$1'" >&2; usage 2 >&2 ;;
  esac
  shift
done

# The list of workloads to run: "name docs words mode outputs" per entry, where
# outputs is "plain" (what the options ask) or "results-only" (dirResults on and
# pairFiles=0).
configs=()
case "$workload" in
  W1) configs=("W1 500 2000 3 plain") ;;
  W1R) configs=("W1R 500 2000 3 results-only") ;;
  W2) configs=("W2 2000 1000 2 plain") ;;
  W3) configs=("W3 10 1000000 3 plain") ;;
  scale)
    configs=("N=250 250 2000 3 plain" "N=500 500 2000 3 plain" "N=1000 1000 2000 3 plain"
             "N=2000 2000 2000 3 plain") ;;
  "")
    if [[ -z "$docs" || -z "$words" || -z "$mode" ]]; then
      echo "run.sh: give a workload (W1, W1R, W2, W3, scale) or --docs, --words and --mode" >&2
      usage 2 >&2
    fi
    configs=("custom $docs $words $mode plain") ;;
esac
for n in "$runs" "$grams" "$seed"; do
  [[ "$n" =~ ^[0-9]+$ ]] || { echo "run.sh: '$n' is not a number" >&2; exit 2; }
done
[[ "$runs" -ge 1 ]] || { echo "run.sh: --runs must be at least 1" >&2; exit 2; }

say() { printf '%s\n' "$*"; }
section() { printf '\n== %s\n' "$*"; }

cd "$repo"

# --- tools ------------------------------------------------------------------
if [[ ! -x /usr/bin/time ]]; then
  say "installing the 'time' package for /usr/bin/time ..."
  if [[ $(id -u) -eq 0 ]]; then
    apt-get install -y time >/dev/null || { apt-get update >/dev/null && apt-get install -y time >/dev/null; }
  else
    sudo apt-get install -y time >/dev/null
  fi
fi
have_sim=0
sim_note="not timed (--no-sim)"
if [[ $sim -eq 1 ]]; then
  if ! command -v sim_text >/dev/null 2>&1; then
    if [[ $(id -u) -eq 0 ]]; then
      say "installing Debian's similarity-tester package for sim_text ..."
      apt-get install -y similarity-tester >/dev/null 2>&1 ||
        { apt-get update >/dev/null 2>&1 && apt-get install -y similarity-tester >/dev/null 2>&1; } ||
        say "  could not install similarity-tester"
    fi
  fi
  if command -v sim_text >/dev/null 2>&1; then
    have_sim=1
  elif [[ $(id -u) -eq 0 ]]; then
    sim_note="sim_text missing (apt-get install similarity-tester failed); not timed"
  else
    sim_note="sim_text missing and not installable here (not root); not timed:"
    sim_note+=" apt-get install similarity-tester to time it"
  fi
fi

mkdir -p "$scratch"
scratch="$(cd "$scratch" && pwd)"
build_log="$scratch/build.log"
if [[ $build -eq 1 ]]; then
  section "build (release preset)"
  if ! { cmake --preset release && cmake --build --preset release; } >"$build_log" 2>&1; then
    tail -n 40 "$build_log"
    echo "run.sh: build failed, see $build_log" >&2
    exit 1
  fi
  say "built build/release/collusion (log: $build_log)"
fi
if [[ -z "$program" ]]; then program="$repo/build/release/collusion"; fi
program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
[[ -x "$program" ]] || { echo "run.sh: $program is missing (build it or drop --no-build)" >&2; exit 1; }

io_floor="$repo/build/bench/io_floor"
if [[ ! -x "$io_floor" || "$here/io_floor.cpp" -nt "$io_floor" ]]; then
  mkdir -p "$(dirname "$io_floor")"
  g++ -std=c++20 -O2 -Wall -Wextra -o "$io_floor" "$here/io_floor.cpp"
fi

section "machine"
say "cpus: $(nproc), memory: $(free -g | awk '/^Mem:/ {print $2}') GiB, scratch: $scratch ($(df -T "$scratch" | awk 'NR==2 {print $2}'))"
say "load average at start: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine skews the figures)"
say "program: $program ($(git -C "$(dirname "$program")" rev-parse --short HEAD 2>/dev/null || echo '?'))"
if [[ $have_sim -eq 1 ]]; then say "peer: $(command -v sim_text) -p"; else say "peer: $sim_note"; fi

records="$scratch/runs-$(date +%Y%m%d-%H%M%S)-$$.jsonl"
: >"$records"
generator_sum="$(md5sum "$here/make_corpus.py" | cut -d' ' -f1)"

for entry in "${configs[@]}"; do
  read -r name n w m outputs <<<"$entry"
  case "$m" in
    1) pairs=0 ;;
    2) pairs=$((n - 1)) ;;
    *) pairs=$((n * (n - 1) / 2)) ;;
  esac
  corpus="$scratch/n$n-w$w-m$m-g$grams-s$seed-c$copies"
  extra=""
  [[ "$outputs" == results-only ]] && extra=", results folder only (pairFiles=0)"
  section "$name: $n docs x $w words, mode $m, $pairs pairs$extra -> $corpus"

  stamp="docs=$n words=$w mode=$m grams=$grams seed=$seed copies=$copies generator=$generator_sum"
  if [[ -f "$corpus/stamp" && "$(cat "$corpus/stamp")" == "$stamp" ]]; then
    say "corpus: reusing the one generated before"
  else
    rm -rf "$corpus"
    mkdir -p "$corpus"
    python3 "$here/make_corpus.py" --docs "$n" --words "$w" --mode "$m" --grams "$grams" \
      --seed "$seed" --copies "$copies" --out "$corpus"
    printf '%s\n' "$stamp" >"$corpus/stamp"
  fi
  # The input documents, in study order.
  sed -n 's/^file[0-9]*=//p' "$corpus/study.cfg" >"$corpus/inputs.list"

  for ((r = 1; r <= runs; r++)); do
    deleted=0
    [[ -e "$corpus/out" || -e "$corpus/floor" ]] && deleted=1
    rm -rf "$corpus/out" "$corpus/floor"
    mkdir -p "$corpus/out/log" "$corpus/out/voc" "$corpus/out/rep"
    config="$corpus/study.cfg"
    if [[ "$outputs" == results-only ]]; then
      mkdir -p "$corpus/out/results"
      config="$corpus/study-results-only.cfg"
      { cat "$corpus/study.cfg"; echo "dirResults=$corpus/out/results"; echo "pairFiles=0"; } >"$config"
    elif [[ $results -eq 1 ]]; then
      mkdir -p "$corpus/out/results"
      config="$corpus/study-results.cfg"
      { cat "$corpus/study.cfg"; echo "dirResults=$corpus/out/results"; } >"$config"
    fi
    if [[ ${#settings[@]} -gt 0 ]]; then
      # Settings given first win, since the first line that gives a key does.
      { printf '%s\n' "${settings[@]}"; cat "$config"; } >"$corpus/study-set.cfg"
      config="$corpus/study-set.cfg"
    fi
    # Dirty pages of the previous run (and the discards of its deletion) are
    # flushed before the clock starts, so they don't land in this run. ext4
    # also passes over inodes freed in the last half minute or so when it
    # makes new files, which would charge the deletion to the study alone:
    # let that time go by.
    sync
    if [[ $settle -gt 0 && $deleted -eq 1 ]]; then sleep "$settle"; fi
    status=0
    /usr/bin/time -v -o "$corpus/time.txt" "$program" "$config" >"$corpus/stdout.txt" 2>&1 || status=$?
    if [[ $status -ne 0 ]]; then
      echo "run.sh: the study failed with exit status $status (see $corpus/stdout.txt, $corpus/out/log/log.log)" >&2
      exit 1
    fi

    # The I/O floor, right after the study: the same inputs, the same outputs.
    # In the order the study wrote them (by modification time), since the
    # order of creation changes what the file system has to do.
    floor_line=none
    if [[ $floor -eq 1 ]]; then
      find "$corpus/out" -type f -printf '%T@ %p\n' | sort -n -s -k1,1 | cut -d' ' -f2- >"$corpus/outputs.list"
      sync
      floor_line="$("$io_floor" "$corpus/inputs.list" "$corpus/outputs.list" "$corpus/out" "$corpus/floor")"
      rm -rf "$corpus/floor"
    fi

    sim_args=()
    if [[ $have_sim -eq 1 ]]; then
      if [[ "$m" == 2 ]]; then
        # The first document against each other one: new files / old files.
        { head -n 1 "$corpus/inputs.list"; echo /; tail -n +2 "$corpus/inputs.list"; } >"$corpus/sim.list"
        sim_opts=(-p -S -i)
      else
        cp "$corpus/inputs.list" "$corpus/sim.list"
        sim_opts=(-p -i)
      fi
      sim_status=0
      sync
      /usr/bin/time -v -o "$corpus/sim_time.txt" sim_text "${sim_opts[@]}" <"$corpus/sim.list" \
        >"$corpus/sim.out" 2>&1 || sim_status=$?
      if [[ $sim_status -eq 0 ]]; then
        sim_args=(--sim-time "$corpus/sim_time.txt")
      else
        say "  sim_text failed with exit status $sim_status (see $corpus/sim.out); not counted"
      fi
    fi

    python3 "$here/report.py" record --results "$records" --log "$corpus/out/log/log.log" \
      --msg "$corpus/english.msg" --time "$corpus/time.txt" --floor "$floor_line" \
      ${sim_args[@]+"${sim_args[@]}"} \
      config="$name" docs="$n" words="$w" mode="$m" pairs="$pairs" run="$r"
  done
  python3 "$here/report.py" summary --results "$records" --config "$name"
done

section "summary (minimums over the runs; times in seconds, steps are the log's laps)"
python3 "$here/report.py" table --results "$records"
section "targets (minimums of this sitting)"
python3 "$here/report.py" targets --results "$records"
say ""
say "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
say "records: $records; outputs of the last run: $scratch/<corpus>/out"
