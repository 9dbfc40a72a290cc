#!/usr/bin/env bash
# Runs the benchmarks that carry a speed goal and prints one table: our figure, the peer's
# figure from the same run, the ratio, the goal and whether it holds.
#   scripts/bench-report.sh                 build/ (built first), every goal
#   scripts/bench-report.sh BUILD_DIR       another Release build directory
#   BENCH_REPORT_JSON=file scripts/bench-report.sh   print the table of an earlier run's JSON
# Run it on a quiet machine: the figures are wall-clock rates on one core.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build}"
JSON="${BENCH_REPORT_JSON:-}"

if [[ -z "$JSON" ]]; then
  cmake --build "$BUILD_DIR" --target quillmere_bench >&2
  JSON="$(mktemp --suffix=.json)"
  trap 'rm -f "$JSON"' EXIT
  FILTER='^BM_(View(Plain|Smooth)/|SavePaperFile|LoadPaperFile|CompositeRows/|Pixman/|RefreshDirtyBox20Layers|BrushDabs/|MyPaintDefaultBrush/|ReplayLongRecording)'
  echo "bench-report: running the benchmarks (a few minutes)..." >&2
  "$BUILD_DIR/bench/quillmere_bench" --benchmark_filter="$FILTER" \
    --benchmark_out="$JSON" --benchmark_out_format=json >&2
fi

python3 "$ROOT/scripts/bench_report.py" "$JSON"
