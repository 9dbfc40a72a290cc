#!/usr/bin/env bash
# Takes a picture of the main window with a painted paper, under a virtual X server, so anyone
# can see what the program looks like without a display of their own.
#   scripts/screenshot.sh [output.png] [files to open...]
# Default: docs/screenshot.png of the landscape recording from the tests, replayed to its end.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:-$ROOT/docs/screenshot.png}"
shift || true
FILES=("$@")
if ((${#FILES[@]} == 0)); then
  FILES=("$ROOT/tests/data/recordings/landscape.qm3")
fi
"$ROOT/scripts/bootstrap.sh"
mkdir -p "$(dirname "$OUT")"
SETTINGS="$(mktemp -d)"
trap 'rm -rf "$SETTINGS"' EXIT
# A settings file of its own and a private instance name: a running Quillmere is not disturbed.
QUILLMERE_SETTINGS_FILE="$SETTINGS/settings.ini" \
QUILLMERE_INSTANCE_NAME="quillmere-screenshot-$$" \
QUILLMERE_SCREENSHOT="$OUT" \
  xvfb-run -a -s "-screen 0 1600x1000x24" \
  timeout 120 "${QUILLMERE_BUILD_DIR:-$ROOT/build}/app/quillmere" "${FILES[@]}"
echo "screenshot: $OUT"
