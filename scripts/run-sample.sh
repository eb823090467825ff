#!/usr/bin/env bash
# Builds the release program and runs the sample study shipped in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target collusion

mkdir -p examples/output/log examples/output/vocabularies examples/output/reports \
  examples/output/results
status=0
build/release/collusion examples/sample.cfg || status=$?

echo
echo "Exit status: $status"
echo "Log:          examples/output/log/log.log"
echo "Reports:      examples/output/reports/ ($(ls examples/output/reports | wc -l) files)"
echo "Vocabularies: examples/output/vocabularies/ ($(ls examples/output/vocabularies | wc -l) files)"
echo "Results:      examples/output/results/index.html (open it in a browser)"
exit "$status"
