#!/usr/bin/env bash
# Runs the built program on the browser study and the browser checks on the
# results folder it writes:
#   run_checks.sh <collusion binary> <work folder> [<screenshot folder>]
# Exits 77 (skipped) when Chromium, Node or the npm packages are missing,
# unless COLLUSION_REQUIRE_BROWSER=1 (as in CI), which makes that a failure.
set -euo pipefail

program=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
shots=${3:-$work/screenshots}
missing=77
[ "${COLLUSION_REQUIRE_BROWSER:-0}" = 1 ] && missing=1

if [ ! -x /usr/bin/chromium ]; then
  echo "skipped: /usr/bin/chromium is missing (COLLUSION_SETUP_BROWSER=1 scripts/setup.sh)"
  exit "$missing"
fi
if ! command -v node >/dev/null || [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "skipped: node or tests/browser/node_modules is missing (npm ci in tests/browser)"
  exit "$missing"
fi

rm -rf "$work"
mkdir -p "$work"
cp -r "$here/study/." "$work/"
cp "$here/../../examples/language/english.lang" "$work/"
mkdir -p "$work/out/vocabularies" "$work/out/reports" "$work/out/results"
(cd "$work" && "$program" study.cfg)
node "$here/check_pages.mjs" "$work/out/results" "$shots"
