#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$ROOT/scripts/bootstrap.sh"
cd "${QUILLMERE_BUILD_DIR:-$ROOT/build}"
ctest --output-on-failure -j "$(nproc)" "$@"
