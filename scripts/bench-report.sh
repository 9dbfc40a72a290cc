#!/usr/bin/env bash
# Runs the benchmarks that carry a speed goal and prints one table: our figure, the peer's
# figure from the same run, the ratio, the goal and whether it holds.
#   scripts/bench-report.sh                 build/ (built first), every goal
#   scripts/bench-report.sh BUILD_DIR       another Release build directory
#   BENCH_REPORT_JSON=file scripts/bench-report.sh   print the table of an earlier run's JSON
#   BENCH_REPORT_REPETITIONS=N                      runs per benchmark, the median counts (3)
# Run it on a quiet machine: the figures are rates on one core, and a shared machine moves them
# by a tenth from run to run, which is why each figure is the median of several runs.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build}"
JSON="${BENCH_REPORT_JSON:-}"

if [[ -z "$JSON" ]]; then
  cmake --build "$BUILD_DIR" --target quillmere_bench >&2
  JSON="$(mktemp --suffix=.json)"
  trap 'rm -f "$JSON"' EXIT
  FILTER='^BM_(View(Plain|Smooth)/|SavePaperFile|LoadPaperFile|CompositeRows/|Pixman/|RefreshDirtyBox20Layers|BrushDabs/|MyPaintDefaultBrush/|ReplayLongRecording)'
  REPETITIONS="${BENCH_REPORT_REPETITIONS:-3}"
  echo "bench-report: running the benchmarks $REPETITIONS times (about $((REPETITIONS * 4)) minutes)..." >&2
  "$BUILD_DIR/bench/quillmere_bench" --benchmark_filter="$FILTER" \
    --benchmark_repetitions="$REPETITIONS" --benchmark_report_aggregates_only=true \
    --benchmark_out="$JSON" --benchmark_out_format=json >&2
fi

python3 "$ROOT/scripts/bench_report.py" "$JSON"
