#!/usr/bin/env bash
# Builds the fuzzer with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for SECONDS seconds.
#
# Usage: fuzz/run.sh SECONDS [JOBS]
#
# Seeds: the corpus the image builder writes (valid images with every
# section), the committed corpus in fuzz/corpus, and every reproducer in
# fuzz/regressions. New inputs are kept in fuzz/corpus-work, findings in
# fuzz/artifacts; neither is committed. A crash found becomes a regression:
# copy it into fuzz/regressions and fix it. The committed corpus holds only
# inputs that reach code the others do not, so that the replay of the seeds
# at the start of a run is short. To keep what a long run found:
#   build-fuzz/romscope_fuzz -merge=1 -use_counters=0 fuzz/corpus fuzz/corpus-work
# and to minimise the corpus again, merge it into a folder that holds the
# build's seeds (build-fuzz/fuzz-seeds), then keep the files the merge added.
set -euo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS [JOBS]}
jobs=${2:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DROMSCOPE_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j2 --target romscope_fuzz fuzz_seeds >/dev/null

mkdir -p "$root/fuzz/corpus-work" "$root/fuzz/artifacts"
cd "$root/fuzz"
# Runs whose output is merely large stop at the harness's output budget; the
# timeout catches runs that loop.
exec "$build/romscope_fuzz" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
  -max_len=16384 -jobs="$jobs" -workers="$jobs" -artifact_prefix="$root/fuzz/artifacts/" \
  -print_final_stats=1 -dict="$root/fuzz/romscope.dict" "$root/fuzz/corpus-work" \
  "$build/fuzz-seeds" "$root/fuzz/corpus" \
  "$root/fuzz/regressions"
