#!/usr/bin/env bash
# Fuzzes every reader of tests/fuzz for SECONDS each (default 60), two at a
# time: builds the libFuzzer programs with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, starts each from its corpus in
# tests/fuzz/corpus/<target>/ (new inputs go to build-fuzz/corpus/<target>/)
# with the words of tests/fuzz/<target>.dict where there is one,
# and prints executions, coverage and findings per target. A finding is
# kept in build-fuzz/findings/<target>/ and makes the exit status 1: mend
# it, then copy the file into tests/fuzz/corpus/<target>/ so that the
# replay tests keep it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(emf wmf rla autodesk kvt foreign paste puzzlepicture)

tools/deps.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLETOMER_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"

out=build-fuzz/run
rm -rf "$out" build-fuzz/findings
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"

fuzz() {
  local t=$1 dict=()
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/findings/$t"
  [ -f "tests/fuzz/$t.dict" ] && dict=(-dict="tests/fuzz/$t.dict")
  nice "build-fuzz/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 \
    "${dict[@]}" -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t/" \
    "build-fuzz/corpus/$t" "tests/fuzz/corpus/$t" >"$out/$t.log" 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
  fuzz "$t" &
  running=$((running + 1))
  if [ "$running" -ge 2 ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-14s %12s %9s %7s %7s %9s %9s  %s\n' target executions "exec/s" cov ft "rss MB" findings "slow (>10 s)"
for t in "${targets[@]}"; do
  log="$out/$t.log"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  # Crashes, leaks, time-outs and running out of memory; a slow input is
  # reported (it may be the sanitizers' cost) but fails nothing.
  found=$(find "build-fuzz/findings/$t" -type f ! -name 'slow-unit-*' | wc -l)
  slow=$(find "build-fuzz/findings/$t" -type f -name 'slow-unit-*' | wc -l)
  [ "$found" -eq 0 ] || status=1
  printf '%-14s %12s %9s %7s %7s %9s %9s  %s\n' "$t" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "${rss:-?}" "$found" "$slow"
done
[ "$status" -eq 0 ] || echo "Findings are in build-fuzz/findings/, the logs in $out/."
exit "$status"
