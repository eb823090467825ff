#!/usr/bin/env bash
# Builds the release configuration and runs every unit and end-to-end test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-floors.sh
cmake --workflow --preset release
