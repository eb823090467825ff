#!/usr/bin/env bash
# Builds the release configuration and runs every unit and end-to-end test.
set -euo pipefail
cd "$(dirname "$0")/.."

# The browser checks of the results pages need Chromium and two npm packages.
COLLUSION_SETUP_BROWSER=${COLLUSION_SETUP_BROWSER:-1} scripts/setup.sh
scripts/check-floors.sh
cmake --workflow --preset release
