#!/usr/bin/env bash
# Installs what building and testing need and a fresh Debian machine may lack.
# Installs only missing packages, and only when it can (as root, with apt-get).
set -euo pipefail

missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v g++ >/dev/null || missing+=(g++)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || missing+=(libgmock-dev)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
command -v pkg-config >/dev/null || missing+=(pkg-config)
pkg-config --exists icu-uc icu-i18n 2>/dev/null || missing+=(libicu-dev)
[ -f /usr/include/libstemmer.h ] || missing+=(libstemmer-dev)
if [ "${COLLUSION_SETUP_FUZZ:-0}" = 1 ]; then
  command -v clang++ >/dev/null || missing+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    missing+=(libclang-rt-14-dev)
fi
if [ "${COLLUSION_SETUP_BROWSER:-0}" = 1 ]; then
  [ -x /usr/bin/chromium ] || missing+=(chromium)
  command -v npm >/dev/null || missing+=(npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Please install these packages (apt-get install ${missing[*]}) as root." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser checks' npm packages, installed exactly as package-lock.json
# pins them.
if [ "${COLLUSION_SETUP_BROWSER:-0}" = 1 ]; then
  browser_dir="$(cd "$(dirname "$0")/.." && pwd)/tests/browser"
  if [ ! -d "$browser_dir/node_modules/puppeteer-core" ]; then
    echo "Installing the browser checks' npm packages"
    (cd "$browser_dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
  fi
fi
