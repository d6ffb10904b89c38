#!/usr/bin/env bash
# Runs every fuzz target of a fuzz tree for a given time, with the limits CI
# uses, and prints executions, coverage and findings per target.
#   fuzz/run-fuzzers.sh [SECONDS] [PARALLEL] [TREE]
# SECONDS per target (default 60), PARALLEL targets at once (default 1),
# TREE the fuzz build tree (default build/fuzz). Findings (crash-, leak-,
# oom-, timeout- files) are kept in TREE/fuzz-findings/TARGET/; the corpus a
# run grows stays in TREE/fuzz-work/TARGET/, seeded from fuzz/TARGET/corpus.
# Exit status: 0 when no target found anything.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
parallel=${2:-1}
tree=${3:-$top/build/fuzz}
[ -d "$tree" ] || { echo "no fuzz tree at $tree (scripts/kw build)" >&2; exit 2; }

run_one() {
  local bin=$1 name dir seeds work found log
  name=$(basename "$bin")
  dir=${name#fuzz_}
  seeds=$top/fuzz/$dir/corpus
  [ -d "$seeds" ] || seeds=$(dirname "$(find "$top/fuzz" -name "$name.cpp" | head -n 1)")/corpus
  work=$tree/fuzz-work/$name
  found=$tree/fuzz-findings/$name
  log=$tree/fuzz-work/$name.log
  mkdir -p "$work" "$found"
  [ -d "$seeds" ] && cp -rn "$seeds"/. "$work"/ 2>/dev/null
  ASAN_OPTIONS=detect_leaks=1 "$bin" -max_total_time="$secs" -rss_limit_mb=256 -max_len=65536 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$found/" "$work" >"$log" 2>&1
  local execs cov ft n
  execs=$(grep -E '^stat::number_of_executed_units' "$log" | tail -n 1 | awk '{print $2}')
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | awk '{print $2}')
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -n 1 | awk '{print $2}')
  n=$(find "$found" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'oom-*' -o -name 'timeout-*' \) | wc -l)
  printf '%-20s %6ss %12s execs  cov %6s  ft %7s  findings %s\n' "$name" "$secs" "${execs:-?}" "${cov:-?}" \
    "${ft:-?}" "$n"
  [ "$n" -eq 0 ]
}

targets=()
for bin in "$tree"/fuzz/*/fuzz_*; do
  [ -x "$bin" ] && [ -f "$bin" ] && targets+=("$bin")
done
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $tree/fuzz" >&2; exit 2; }

rc=0
i=0
pids=()
for bin in "${targets[@]}"; do
  run_one "$bin" &
  pids+=($!)
  i=$((i + 1))
  if [ $((i % parallel)) -eq 0 ]; then
    for p in "${pids[@]}"; do wait "$p" || rc=1; done
    pids=()
  fi
done
for p in "${pids[@]}"; do wait "$p" || rc=1; done
[ $rc -eq 0 ] && echo "no findings" || echo "findings: see $tree/fuzz-findings"
exit $rc
