#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillmere with the given files or switches.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$ROOT/scripts/bootstrap.sh"
exec "${QUILLMERE_BUILD_DIR:-$ROOT/build}/app/quillmere" "$@"
