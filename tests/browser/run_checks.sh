#!/usr/bin/env bash
# Builds a fixture results folder and runs the browser checks on it:
#   run_checks.sh <results_fixture binary> <work folder>
# Exits 77 (skipped) when Chromium, Node or the npm packages are missing.
set -euo pipefail

fixture=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)

if [ ! -x /usr/bin/chromium ]; then
  echo "skipped: /usr/bin/chromium is missing (COLLUSION_SETUP_BROWSER=1 scripts/setup.sh)"
  exit 77
fi
if ! command -v node >/dev/null || [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "skipped: node or tests/browser/node_modules is missing (npm ci in tests/browser)"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
"$fixture" "$work/results"
node "$here/check_pages.mjs" "$work/results" "$work/screenshots"
