#!/usr/bin/env bash
# The figures of -diff, each the median of 5 whole-process runs after one
# warm-up run (which also brings the images into the page cache), output to
# /dev/null:
#
#   files    romscope -diff OLD NEW  on two images of 512 files of 1 MiB each
#                                    (512 MiB) that differ in one byte of the
#                                    middle file, next to romscope -json on
#                                    each of them: at most 1.5 times the two
#   records  romscope -diff OLD NEW  on two images of 1,000,000 records with
#                                    every 100th record's data changed: < 2 s
#   symbols  romscope -diff OLD NEW  on two tables of contents of 1000 modules
#                                    of 1000 profiling symbols with every
#                                    100th symbol changed (its value or its
#                                    name): < 2 s
#   memory   the peak RSS of the last two next to collect_image on each image
#            of the pair (the whole inspection in memory, as the comparison
#            keeps it) and to the collector's bounds for two images (2 x 48
#            bytes a record; 2 x 64 MiB for the symbol images)
#
# Usage: bench/diff.sh BUILD TMP
#   BUILD  a Release build folder (bench/run.sh makes build-bench); romscope,
#          gen_image and collect_image are built there when missing
#   TMP    where to write the images (about 1.1 GB)
set -euo pipefail
export LC_ALL=C

build=${1:?usage: bench/diff.sh BUILD TMP}
tmp=${2:?usage: bench/diff.sh BUILD TMP}
runs=5
mib=512
records=1000000

for target in romscope gen_image collect_image; do
  if [ ! -x "$build/$target" ]; then
    cmake --build "$build" -j2 --target "$target" >/dev/null
  fi
done
romscope=$build/romscope

echo "== diff images ($tmp)" >&2
"$build/gen_image" diff files "$mib" "$tmp/files-old.bin" "$tmp/files-new.bin" >&2
"$build/gen_image" diff records "$records" "$tmp/records-old.bin" "$tmp/records-new.bin" >&2
"$build/gen_image" diff symbols 1000 1000 "$tmp/symbols-old.bin" "$tmp/symbols-new.bin" >&2

# measure CMD...: one warm-up run, then $runs timed runs; sets med_s (median
# wall seconds) and med_kib (median peak RSS in KiB, or n/a without GNU
# time). -diff exits 1 on a difference: any status below 2 is a run.
measure() {
  local secs=() kibs=() i t0 t1 status
  "$@" >/dev/null || [ $? -lt 2 ]
  for ((i = 0; i < runs; i++)); do
    t0=$EPOCHREALTIME
    if [ -x /usr/bin/time ]; then
      status=0
      /usr/bin/time -f %M -o "$tmp/rss" "$@" >/dev/null || status=$?
      kibs+=("$(tail -n 1 "$tmp/rss")")
    else
      status=0
      "$@" >/dev/null || status=$?
      kibs+=(n/a)
    fi
    t1=$EPOCHREALTIME
    if [ "$status" -ge 2 ]; then
      echo "diff.sh: $* failed with status $status" >&2
      exit 1
    fi
    secs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')")
  done
  med_s=$(printf '%s\n' "${secs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  med_kib=$(printf '%s\n' "${kibs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  echo "   $*: runs (s): ${secs[*]}" >&2
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }
verdict() { [ "$(calc '%d' "$1")" = 1 ] && echo met || echo MISSED; }

rows=()
# The 1-minute load average, beside each figure: work elsewhere on the
# machine (a build on the other core) slows the figures down.
load1() { cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo n/a; }
row() { rows+=("$(printf '%-34s %-30s %-22s %-7s %s' "$1" "$2" "$3" "$4" "$(load1)")"); }
cmd() { rows+=("    \$ $*"); }

echo "== diff: files" >&2
measure "$romscope" -diff "$tmp/files-old.bin" "$tmp/files-new.bin"
diff_s=$med_s
measure "$romscope" -json "$tmp/files-old.bin"
json_old=$med_s
measure "$romscope" -json "$tmp/files-new.bin"
json_new=$med_s
ratio=$(calc '%.2f' "$diff_s / ($json_old + $json_new)")
row "diff, $mib MiB, one byte apart" "$(calc '%.3f s' "$diff_s")" "" ""
cmd "$romscope -diff $tmp/files-old.bin $tmp/files-new.bin > /dev/null"
row "  peer: -json on each image" "$(calc '%.3f s + %.3f s' "$json_old, $json_new")" "" ""
cmd "$romscope -json $tmp/files-old.bin > /dev/null   (and files-new.bin)"
row "  ratio diff / (json + json)" "$ratio" "<= 1.5" "$(verdict "$ratio <= 1.5")"
row "  peak RSS" "$med_kib KiB" "" ""

# memory_rows NAME OLD NEW BOUND_KIB: the diff's peak RSS against the two
# collections' and against the bound.
memory_rows() {
  local diff_kib=$1 old=$2 new=$3 bound_kib=$4 bound_text=$5 old_kib new_kib
  if [ "$diff_kib" = n/a ]; then
    row "  peak RSS" "n/a" "$bound_text" "not measured (no /usr/bin/time)"
    return
  fi
  measure "$build/collect_image" "$old"
  old_kib=$med_kib
  measure "$build/collect_image" "$new"
  new_kib=$med_kib
  row "  peak RSS" "$diff_kib KiB" "$bound_text" "$(verdict "$diff_kib <= $bound_kib")"
  row "  peer: collect_image on each" "$old_kib KiB + $new_kib KiB" "" ""
  cmd "$build/collect_image $old   (and the new image)"
  row "  ratio diff / (collect + collect)" "$(calc '%.2f' "$diff_kib / ($old_kib + $new_kib)")" "" ""
}

echo "== diff: records" >&2
measure "$romscope" -diff "$tmp/records-old.bin" "$tmp/records-new.bin"
row "diff, $records records, 1% changed" "$(calc '%.3f s' "$med_s")" "< 2 s" \
  "$(verdict "$med_s < 2")"
cmd "$romscope -diff $tmp/records-old.bin $tmp/records-new.bin > /dev/null"
memory_rows "$med_kib" "$tmp/records-old.bin" "$tmp/records-new.bin" \
  "$(calc '%d' "2 * 48 * ($records + 1) / 1024")" "<= 2 x 48 bytes a record"

echo "== diff: symbols" >&2
measure "$romscope" -diff "$tmp/symbols-old.bin" "$tmp/symbols-new.bin"
row "diff, 1000 x 1000 symbols, 1% changed" "$(calc '%.3f s' "$med_s")" "< 2 s" \
  "$(verdict "$med_s < 2")"
cmd "$romscope -diff $tmp/symbols-old.bin $tmp/symbols-new.bin > /dev/null"
memory_rows "$med_kib" "$tmp/symbols-old.bin" "$tmp/symbols-new.bin" $((2 * 65536)) \
  "<= 2 x 64 MiB"
if [ -x /usr/bin/time ]; then
  # glibc raises its mmap threshold once the first collection frees a large
  # block; blocks freed later stay in the heap, and in the peak RSS.
  MALLOC_MMAP_THRESHOLD_=131072 /usr/bin/time -f %M -o "$tmp/rss" "$romscope" -diff \
    "$tmp/symbols-old.bin" "$tmp/symbols-new.bin" >/dev/null || [ $? -lt 2 ]
  row "  peak RSS, mmap threshold fixed" "$(tail -n 1 "$tmp/rss") KiB" "" ""
  cmd "MALLOC_MMAP_THRESHOLD_=131072 $romscope -diff ...   (the same pair)"
fi

rm -f "$tmp"/files-*.bin "$tmp"/records-*.bin "$tmp"/symbols-*.bin "$tmp/rss"

echo
echo "-diff: medians of $runs runs after a warm-up run; $(nproc) cores," \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %-30s %-22s %-7s %s\n' figure median goal verdict load
printf '%s\n' "${rows[@]}"
