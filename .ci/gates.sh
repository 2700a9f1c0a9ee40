#!/usr/bin/env bash
# CI gates, run by .ci/run after the tests: the formatting, a clang build with
# warnings as errors and the sanitizers, the tests in it, clang-tidy, and the
# fuzzer for five minutes. Any finding fails the run. Each step prints how
# long it took.
#
# Usage: .ci/gates.sh [format|clang|sanitize|tidy|fuzz]...   (all when none
# is named; sanitize and tidy bring the clang build up to date first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source .ci/werror.sh
build=$root/build-fuzz  # the clang build that fuzz/run.sh uses

need=()
for tool in clang++ clang-format-14 clang-tidy-14 run-clang-tidy-14 cmake make; do
  command -v "$tool" >/dev/null || need+=("$tool")
done
[ -f /usr/include/benchmark/benchmark.h ] || need+=(benchmark)
compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  need+=(libFuzzer)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # libclang-rt-14-dev holds libFuzzer and clang's sanitizer runtimes.
  apt-get install -y --no-install-recommends cmake make clang clang-14 libclang-rt-14-dev \
    clang-format-14 clang-tidy-14 libbenchmark-dev libgtest-dev
fi

sources() {
  git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h'
}

step() {  # NAME COMMAND...
  local name=$1 start=$SECONDS
  shift
  echo "== gate: $name"
  "$@"
  echo "== gate: $name passed in $((SECONDS - start)) s" \
    "(load average $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown))"
}

format_gate() {
  sources | xargs clang-format-14 --dry-run --Werror
}

# A clang build of everything (tool, tests, benchmarks, fuzzer) with
# warnings as errors, instrumented for libFuzzer and built with
# AddressSanitizer and UndefinedBehaviorSanitizer (ROMSCOPE_BUILD_FUZZERS
# brings them): the tests run in it, clang-tidy reads its compilation
# database and the fuzzer is one of its targets. fuzz/run.sh builds the same
# tree, without -Werror after this script.
clang_build() {
  werror_on "$build"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DROMSCOPE_BUILD_FUZZERS=ON -DROMSCOPE_BUILD_BENCHMARKS=ON -DROMSCOPE_WERROR=ON >/dev/null
  cmake --build "$build" -j2
}

# The whole test suite in the clang build; any sanitizer report fails it.
sanitize_gate() {
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$build" --output-on-failure -j2
}

# "N warnings generated." counts what the header filter hides (the system's
# headers); it is left out of the log.
tidy_gate() {
  run-clang-tidy-14 -clang-tidy-binary clang-tidy-14 -p "$build" -j 2 -quiet \
    "$root/(src|tests|bench|fuzz)/" 2>&1 | { grep -v 'warnings\? generated\.$' || true; }
}

# Five minutes of fuzzing on two cores, seeded as fuzz/run.sh seeds it. Each
# job first runs every seed (about 270 inputs, each through every mode, under
# the sanitizers: about 40 s here); the time left mutates. The log says how
# many inputs each job ran besides the seeds. An input
# that fails is copied into fuzz/regressions (named by its SHA-1, as the ones
# there are) and printed in base64, so that it can be committed from the log:
#   base64 -d > fuzz/regressions/NAME   (paste the lines, then Ctrl-D)
# Per job: the inputs run (stat::number_of_executed_units) less the seeds
# it started from (INITED's count).
fuzz_counts() {
  local log runs seeds total=0
  for log in fuzz/fuzz-*.log; do
    [ -f "$log" ] || continue
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    seeds=$(sed -n 's/^#\([0-9]*\)[[:space:]]*INITED.*/\1/p' "$log" | head -n 1)
    echo "fuzzing: $log ran ${runs:-?} inputs, ${seeds:-?} of them seeds"
    if [ -n "$runs" ] && [ -n "$seeds" ]; then total=$((total + runs - seeds)); fi
  done
  echo "fuzzing: $total new inputs in all"
}

fuzz_gate() {
  local stamp status=0 found=()
  stamp=$(mktemp)
  rm -f fuzz/fuzz-*.log
  fuzz/run.sh 300 2 || status=$?
  fuzz_counts
  while IFS= read -r -d '' file; do found+=("$file"); done < <(find fuzz/artifacts -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) \
    -newer "$stamp" -print0)
  rm -f "$stamp"
  if [ "$status" -eq 0 ] && [ ${#found[@]} -eq 0 ]; then
    return 0
  fi
  echo "The fuzzer failed (status $status). Its logs:"
  tail -n 40 fuzz/fuzz-*.log || true
  for file in "${found[@]}"; do
    local name
    name=fuzz/regressions/$(sha1sum "$file" | cut -d' ' -f1)
    cp "$file" "$name"
    echo "Kept $file as $name; commit it with the fix. Its bytes, in base64:"
    base64 "$name"
  done
  return 1
}

gates=("$@")
[ ${#gates[@]} -gt 0 ] || gates=(format clang sanitize tidy fuzz)
for gate in "${gates[@]}"; do
  case $gate in
    format) step "clang-format" format_gate ;;
    clang) step "clang build, warnings as errors" clang_build ;;
    sanitize | tidy)
      # Up to date after the clang gate, this build takes seconds (in the
      # same call: -Werror goes off in the tree when this script ends).
      step "clang build, warnings as errors" clang_build
      if [ "$gate" = sanitize ]; then
        step "tests under the sanitizers" sanitize_gate
      else
        step "clang-tidy" tidy_gate
      fi
      ;;
    fuzz) step "fuzzing for 300 s" fuzz_gate ;;
    *) echo "unknown gate: $gate" >&2; exit 2 ;;
  esac
done
