#!/usr/bin/env bash
# Runs the sample study and takes the README's screenshots of its results
# (docs/results-index.png, docs/results-pair.png) in headless Chromium, with
# the same script that checks the pages in the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

COLLUSION_SETUP_BROWSER=1 scripts/setup.sh
scripts/run-sample.sh >/dev/null
node tests/browser/check_pages.mjs examples/output/results docs --any-study
echo "Screenshots: docs/results-index.png, docs/results-pair.png"
