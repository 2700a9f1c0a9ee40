#!/usr/bin/env bash
# Address lookups on hostile record layouts, and memory per record.
#
# For each layout of bench_images.h (issue, nested, overlap, duplicates,
# late), one module of 65,535 o32_rom entries in its worst record order (the
# records that hold the reads last in the file) and in its friendly twin (the
# same records, holders first): `romscope -obj IMAGE`, the median of 5
# whole-process runs after a warm-up run, and the ratio worst / friendly.
# The names layout does the same for the symbol names: `romscope -toc -sym`.
# Both orders must print the same text (the banner's file name aside); the
# script checks that too.
# Then the peak resident set of `romscope IMAGE`, per record, on 1,000,000
# records and one 8-byte record that the locator reads by address (so the
# run builds the address index): records of 16 bytes that do not overlap,
# and records of 64 bytes every 16 bytes, most of which go into the index's
# tree.
#
# Then -diff on the hostile matching layouts (2,340 files of one name, 65,535
# sections in one module, 1,000,000 records at one start address), each next
# to the same count of items with keys of their own.
#
# Goals: worst / friendly <= 2 for every layout; the issue's layout, worst
# order, well under 0.5 s; at most 40 bytes per record at peak; each
# matching layout within 2 times its twin.
#
# Usage: bench/worst_case.sh [BUILD TMP]
#   BUILD  a Release build with gen_image and romscope (default: builds
#          build-bench as bench/run.sh does)
#   TMP    where to write the images (default: a temporary folder, removed)
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
entries=65535
records=1000000
runs=5

if [ $# -ge 2 ]; then
  build=$1
  tmp=$2
else
  build=$root/build-bench
  log=$(mktemp)
  if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DROMSCOPE_BUILD_BENCHMARKS=ON \
    -DROMSCOPE_BUILD_TESTS=OFF && cmake --build "$build" -j2 --target romscope gen_image; } \
    >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
  tmp=$(mktemp -d "${BENCH_TMPDIR:-${TMPDIR:-/tmp}}/romscope-worst.XXXXXX")
  trap 'rm -rf "$tmp"' EXIT
fi
romscope=$build/romscope

# median_of CMD...: one warm-up run, then $runs timed runs with standard
# output to /dev/null; prints the median wall time in seconds.
median_of() {
  local secs=() i t0 t1
  "$@" >/dev/null
  for ((i = 0; i < runs; i++)); do
    t0=$EPOCHREALTIME
    "$@" >/dev/null
    t1=$EPOCHREALTIME
    secs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')")
  done
  echo "   runs (s): ${secs[*]}" >&2
  printf '%s\n' "${secs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p"
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }
# The 1-minute load average, beside each figure: work elsewhere on the
# machine (a build on the other core) slows the figures down.
load1() { cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo n/a; }

rows=()
for layout in issue nested overlap duplicates late names; do
  options=-obj
  [ "$layout" = names ] && options="-toc -sym"
  for order in worst friendly; do
    "$build/gen_image" hostile "$layout" "$order" "$entries" "$tmp/$layout-$order.bin" >/dev/null
  done
  # The banner names the file; the rest must match.
  # shellcheck disable=SC2086
  if ! cmp -s <("$romscope" $options "$tmp/$layout-worst.bin" | tail -n +2) \
    <("$romscope" $options "$tmp/$layout-friendly.bin" | tail -n +2); then
    echo "worst_case.sh: the two orders of $layout print different text" >&2
    exit 1
  fi
  echo "== $layout" >&2
  # shellcheck disable=SC2086
  worst=$(median_of "$romscope" $options "$tmp/$layout-worst.bin")
  # shellcheck disable=SC2086
  friendly=$(median_of "$romscope" $options "$tmp/$layout-friendly.bin")
  ratio=$(calc '%.2f' "$worst / $friendly")
  goal="ratio <= 2"
  ok=$(calc '%d' "$ratio <= 2")
  if [ "$layout" = issue ]; then
    goal="ratio <= 2, worst < 0.5 s"
    ok=$(calc '%d' "$ratio <= 2 && $worst < 0.5")
  fi
  verdict=$([ "$ok" = 1 ] && echo met || echo MISSED)
  rows+=("$(printf '%-11s %9s %9s %6s   %-26s %-7s %s' "$layout" "$worst" "$friendly" "$ratio" \
    "$goal" "$verdict" "$(load1)")")
done

echo "== diff matching" >&2
# -diff on each hostile matching layout (bench_images.h: 2,340 files of one
# name, 65,535 sections of one module, 1,000,000 records at one start
# address) and on its twin of as many items with keys of their own; the new
# image lacks the first item, so that no list pairs by position.
diff_of() { "$romscope" -diff "$@" || [ $? -eq 1 ]; }
diff_rows=()
for layout in files sections records; do
  for key in same distinct; do
    "$build/gen_image" diff hostile "$layout" "$key" "$tmp/diff-$layout-$key-old.bin" \
      "$tmp/diff-$layout-$key-new.bin" >/dev/null
  done
  echo "== diff $layout" >&2
  same=$(median_of diff_of "$tmp/diff-$layout-same-old.bin" "$tmp/diff-$layout-same-new.bin")
  apart=$(median_of diff_of "$tmp/diff-$layout-distinct-old.bin" \
    "$tmp/diff-$layout-distinct-new.bin")
  ratio=$(calc '%.2f' "$same / $apart")
  verdict=$([ "$(calc '%d' "$ratio <= 2")" = 1 ] && echo met || echo MISSED)
  diff_rows+=("$(printf '%-11s %9s %9s %6s   %-26s %-7s %s' "$layout" "$same" "$apart" "$ratio" \
    "ratio <= 2" "$verdict" "$(load1)")")
  rm -f "$tmp"/diff-"$layout"-*.bin
done

echo "== memory" >&2
# peak_rss MODE: the median peak RSS of a scan of the gen_image MODE image of
# $records records and one the locator reads, as "KIB BYTES_PER_RECORD".
peak_rss() {
  local kibs=() i kib
  "$build/gen_image" "$1" "$records" "$tmp/$1.bin" >/dev/null
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f %M -o "$tmp/rss" "$romscope" "$tmp/$1.bin" >/dev/null
    kibs+=("$(tail -n 1 "$tmp/rss")")
  done
  kib=$(printf '%s\n' "${kibs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  echo "$kib $(calc '%.1f' "$kib * 1024 / ($records + 1)")"
}
memory=()
for mode in records overlapping; do
  if [ ! -x /usr/bin/time ]; then
    memory+=("$mode: not measured, /usr/bin/time is missing (Debian package time)")
    continue
  fi
  read -r kib per_record < <(peak_rss "$mode")
  verdict=$([ "$(calc '%d' "$per_record <= 40")" = 1 ] && echo met || echo MISSED)
  memory+=("$(printf '%-12s %6s KiB  %5s bytes a record   goal <= 40   %-7s load %s' "$mode" \
    "$kib" "$per_record" "$verdict" "$(load1)")")
done

echo
echo "address lookups on hostile layouts: romscope -obj IMAGE, $entries o32_rom entries"
echo "(names: romscope -toc -sym IMAGE, 32 modules of 8192 symbols sharing one name list),"
echo "median of $runs runs after a warm-up run (seconds)"
printf '%-11s %9s %9s %6s   %-26s %-7s %s\n' layout worst friendly ratio goal verdict load
printf '%s\n' "${rows[@]}"
echo "    \$ $build/gen_image hostile LAYOUT worst|friendly $entries IMAGE"
echo "    \$ $romscope -obj IMAGE > /dev/null   (names: -toc -sym)"
echo
echo "matching on hostile layouts: romscope -diff OLD NEW, the new image without the first"
echo "item; one key for all (files: 2,340 of one name; sections: 65,535 in one module;"
echo "records: 1,000,000 at one start) next to as many keys (2,048 modules of 32 sections),"
echo "median of $runs runs after a warm-up run (seconds)"
printf '%-11s %9s %9s %6s   %-26s %-7s %s\n' layout one-key apart ratio goal verdict load
printf '%s\n' "${diff_rows[@]}"
echo "    \$ $build/gen_image diff hostile files|sections|records same|distinct OLD NEW"
echo "    \$ $romscope -diff OLD NEW > /dev/null"
echo
echo "peak RSS of a scan of $records records and one that the locator reads by address,"
echo "median of $runs runs: records of 16 bytes that do not overlap; records of 64 bytes"
echo "every 16 bytes, three quarters of which the index keeps in its tree"
printf '%s\n' "${memory[@]}"
echo "    \$ $build/gen_image records|overlapping $records IMAGE"
echo "    \$ $romscope IMAGE > /dev/null"
