#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in the release build, then once
# more built with AddressSanitizer and UndefinedBehaviorSanitizer (QUILLMERE_SKIP_SANITIZERS=1
# skips that second run).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$ROOT/scripts/bootstrap.sh"
(cd "${QUILLMERE_BUILD_DIR:-$ROOT/build}" && ctest --output-on-failure -j "$(nproc)" "$@")

if [[ "${QUILLMERE_SKIP_SANITIZERS:-0}" != 1 ]]; then
  SANITIZE_DIR="${QUILLMERE_SANITIZE_DIR:-$ROOT/build-asan}"
  if [[ ! -f "$SANITIZE_DIR/build.ninja" ]]; then
    cmake -S "$ROOT" -B "$SANITIZE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUILLMERE_SANITIZE=ON -DQUILLMERE_BUILD_BENCH=OFF
  fi
  cmake --build "$SANITIZE_DIR" -j "$(nproc)"
  (cd "$SANITIZE_DIR" &&
    LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
      ctest --output-on-failure -j "$(nproc)" "$@")
fi
