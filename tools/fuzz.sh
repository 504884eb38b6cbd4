#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a chosen time.
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]   (default 600 s, every target)
#   e.g. tools/fuzz.sh 120 fuzz_jpeg fuzz_tiff
# Each target starts from a copy of fuzz/corpus/<format>/ (the seeds stay as
# committed) and keeps growing its own corpus in build-fuzz/corpus/<target>/.
# An input that runs longer than VISTREL_FUZZ_TIMEOUT seconds (default 30)
# counts as a finding. Crashes, leaks and timeouts are written to build-fuzz/findings/<target>/;
# the script ends with status 1 when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true

if [ ! -f build-fuzz/build.ninja ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DVISTREL_BUILD_FUZZ=ON -DVISTREL_BUILD_GUI=OFF -DVISTREL_BUILD_TESTS=OFF >/dev/null
fi
ninja -C build-fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

found=0
for t in "${targets[@]}"; do
  seeds=fuzz/corpus/${t#fuzz_}
  work=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$work" "$findings"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$work"/ 2>/dev/null || true
  echo "== $t: ${seconds}s from $(ls "$work" | wc -l) inputs"
  log=build-fuzz/findings/$t.log
  set +e
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=${VISTREL_FUZZ_TIMEOUT:-30} -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$work" >"$log" 2>&1
  rc=$?
  set -e
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed 's/^/   /' || true
  if [ $rc -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
    found=1
    echo "   FOUND: see $log and $findings/"
  else
    echo "   nothing found"
  fi
done
exit $found
