#!/usr/bin/env bash
# The benchmark figures of romscope, each the median of 5 whole-process runs
# after one warm-up run (which also brings the image into the page cache):
#
#   scan     romscope IMAGE          on an image of 1,000,000 records of 16 bytes
#                                    and one of 8 bytes that the locator reads
#                                    by address, so the run builds the index;
#                                    peak RSS per record
#   listing  romscope -rec IMAGE     on the same image, next to cat of a file of
#                                    the listing's size
#   dump     romscope -data IMAGE    on an image of 512 MiB of record data, next
#                                    to xxd of the same file
#   reader   reader_bench            10,000,000 one-byte reads by address
#   modules  romscope -obj IMAGE     on a table of contents of 2048 modules with
#                                    10 section headers each
#   symbols  romscope -toc -sym IMAGE  on a table of contents of 1000 modules
#                                    with 1000 profiling symbols each
#   json     romscope -json IMAGE    on the symbol image and on the records image,
#                                    next to the text reports of the same images
#   collect  collect_image IMAGE     the whole inspection kept in memory, as the
#                                    comparison, the map and the extraction
#                                    keep it: peak RSS per record of the
#                                    records image, and on the symbol image
#   hostile  romscope -obj IMAGE     bench/worst_case.sh: record layouts that
#                                    make address lookups work hard, each in
#                                    its worst and its friendly order
#
# Usage: bench/run.sh [quick]
#   quick    a 64 MiB data image instead of 512 MiB, for a fast check
#
# It configures and builds a Release build in build-bench, writes the images
# to a temporary folder (under $BENCH_TMPDIR when set, else $TMPDIR or /tmp)
# and removes it at the end. Output goes to /dev/null, so the figures are of
# the work itself, not of a terminal or a disk.
set -euo pipefail
export LC_ALL=C

mode=${1:-full}
case $mode in
  full) data_mib=512 ;;
  quick) data_mib=64 ;;
  *)
    echo "usage: bench/run.sh [quick]" >&2
    exit 2
    ;;
esac
records=1000000
runs=5

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench

need() {
  command -v "$1" >/dev/null || {
    echo "run.sh: $1 is missing (Debian package $2)" >&2
    exit 1
  }
}
need cmake cmake
need xxd xxd
need awk gawk

# Peak resident set size: GNU time's %M; without it, the children's
# ru_maxrss as Python reports it; without either, none.
if [ -x /usr/bin/time ]; then
  rss_tool=time
elif command -v python3 >/dev/null; then
  rss_tool=python
else
  rss_tool=none
  echo "run.sh: neither /usr/bin/time (Debian package time) nor python3: no peak RSS figures" >&2
fi

echo "== build (Release, $build)"
log=$(mktemp)
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DROMSCOPE_BUILD_BENCHMARKS=ON \
  -DROMSCOPE_BUILD_TESTS=OFF && cmake --build "$build" -j2 --target romscope gen_image reader_bench collect_image; } \
  >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  exit 1
fi
rm -f "$log"
romscope=$build/romscope

tmp=$(mktemp -d "${BENCH_TMPDIR:-${TMPDIR:-/tmp}}/romscope-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

echo "== images ($tmp)"
"$build/gen_image" records "$records" "$tmp/records.bin"
"$build/gen_image" data "$data_mib" "$tmp/data.bin"
"$build/gen_image" modules 2048 10 "$tmp/modules.bin"
"$build/gen_image" symbols 1000 1000 "$tmp/symbols.bin"
data_bytes=$((data_mib * 1048576))

# measure CMD...: one warm-up run, then $runs timed runs of CMD with standard
# output to /dev/null. Sets med_s (median wall seconds, from bash's
# microsecond clock around the run) and med_kib (median peak RSS in KiB, or
# "n/a").
measure() {
  local secs=() kibs=() i t0 t1
  "$@" >/dev/null
  for ((i = 0; i < runs; i++)); do
    case $rss_tool in
      time)
        t0=$EPOCHREALTIME
        /usr/bin/time -f %M -o "$tmp/rss" "$@" >/dev/null
        t1=$EPOCHREALTIME
        kibs+=("$(tail -n 1 "$tmp/rss")")
        ;;
      python)
        t0=$EPOCHREALTIME
        python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[2:], stdout=subprocess.DEVNULL, check=True)
open(sys.argv[1], "w").write("%d\n" % resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' \
          "$tmp/rss" "$@"
        t1=$EPOCHREALTIME
        kibs+=("$(cat "$tmp/rss")")
        ;;
      none)
        t0=$EPOCHREALTIME
        "$@" >/dev/null
        t1=$EPOCHREALTIME
        kibs+=(n/a)
        ;;
    esac
    secs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')")
  done
  med_s=$(printf '%s\n' "${secs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  med_kib=$(printf '%s\n' "${kibs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  echo "   runs (s): ${secs[*]}" >&2
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }

rows=()
# The 1-minute load average, beside each figure: work elsewhere on the
# machine (a build on the other core) slows the figures down.
load1() { cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo n/a; }
row() { rows+=("$(printf '%-34s %-28s %-18s %-7s %s' "$1" "$2" "$3" "$4" "$(load1)")"); }
cmd() { rows+=("    \$ $*"); }

echo "== scan" >&2
measure "$romscope" "$tmp/records.bin"
scan_s=$med_s
scan_kib=$med_kib
verdict=$(calc '%s' "($scan_s < 1) ? \"met\" : \"MISSED\"")
row "scan, $records records" "$(calc '%.3f s' "$scan_s")" "well under 1 s" "$verdict"
cmd "$romscope $tmp/records.bin > /dev/null"
if [ "$scan_kib" = n/a ]; then
  row "  peak RSS" "n/a" "<= 40 bytes a record" "not measured"
else
  per_record=$(calc '%.1f' "$scan_kib * 1024 / ($records + 1)")
  row "  peak RSS" "$scan_kib KiB, $per_record bytes a record" "<= 40 bytes a record" \
    "$(calc '%s' "($per_record <= 40) ? \"met\" : \"MISSED\"")"
fi

echo "== listing" >&2
"$romscope" -rec "$tmp/records.bin" >"$tmp/listing.txt"
listing_bytes=$(stat -c %s "$tmp/listing.txt")
measure "$romscope" -rec "$tmp/records.bin"
rec_s=$med_s
measure cat "$tmp/listing.txt"
cat_s=$med_s
row "listing, $records records" "$(calc '%.3f s' "$rec_s")" "" "$(calc '%.1f MB/s of text' "$listing_bytes / $rec_s / 1e6")"
cmd "$romscope -rec $tmp/records.bin > /dev/null"
row "  peer: cat, $listing_bytes bytes" "$(calc '%.3f s' "$cat_s")" "" ""
cmd "cat $tmp/listing.txt > /dev/null   (the listing's own text)"
row "  ratio listing / cat" "$(calc '%.2f' "$rec_s / $cat_s")" "" ""

echo "== dump" >&2
measure "$romscope" -data "$tmp/data.bin"
dump_s=$med_s
dump_kib=$med_kib
measure xxd "$tmp/data.bin"
xxd_s=$med_s
gbs=$(calc '%.3f' "$data_bytes / $dump_s / 1e9")
verdict=$(calc '%s' "($gbs >= 1) ? \"met\" : \"MISSED\"")
row "dump, $data_mib MiB of record data" "$(calc '%.3f s' "$dump_s")" "" ""
cmd "$romscope -data $tmp/data.bin > /dev/null"
row "  throughput" "$gbs GB/s of record data" ">= 1 GB/s" "$verdict"
if [ "$dump_kib" = n/a ]; then
  row "  peak RSS" "n/a" "<= 8 MiB" "not measured"
else
  verdict=$(calc '%s' "($dump_kib <= 8192) ? \"met\" : \"MISSED\"")
  row "  peak RSS" "$dump_kib KiB ($(calc '%.2f' "$dump_kib / 1024") MiB)" "<= 8 MiB" "$verdict"
fi
row "  peer: xxd" "$(calc '%.3f s' "$xxd_s")" "" ""
cmd "xxd $tmp/data.bin > /dev/null"
ratio=$(calc '%.1f' "$xxd_s / $dump_s")
verdict=$(calc '%s' "($ratio >= 15) ? \"met\" : \"MISSED\"")
row "  ratio xxd / dump" "$ratio" ">= 15" "$verdict"

echo "== modules" >&2
measure "$romscope" -obj "$tmp/modules.bin"
row "modules, -obj, 2048 x 10 sections" "$(calc '%.3f s' "$med_s")" "well under 1 s" \
  "$(calc '%s' "($med_s < 1) ? \"met\" : \"MISSED\"")"
cmd "$romscope -obj $tmp/modules.bin > /dev/null"

echo "== symbols" >&2
measure "$romscope" -toc -sym "$tmp/symbols.bin"
sym_s=$med_s
row "symbols, -toc -sym, 1000 x 1000" "$(calc '%.3f s' "$med_s")" "< 1 s" \
  "$(calc '%s' "($med_s < 1) ? \"met\" : \"MISSED\"")"
cmd "$romscope -toc -sym $tmp/symbols.bin > /dev/null"
row "  peak RSS" "$med_kib KiB" "" ""

echo "== json" >&2
# The whole inspection as one document: every section, each module's headers,
# every symbol, and every record's checksum verified by reading its data.
measure "$romscope" -json "$tmp/symbols.bin"
row "json, symbol image, 1000 x 1000" "$(calc '%.3f s' "$med_s")" "< 1 s" \
  "$(calc '%s' "($med_s < 1) ? \"met\" : \"MISSED\"")"
cmd "$romscope -json $tmp/symbols.bin > /dev/null"
if [ "$med_kib" = n/a ]; then
  row "  peak RSS" "n/a" "<= 16 MiB" "not measured"
else
  row "  peak RSS" "$med_kib KiB ($(calc '%.2f' "$med_kib / 1024") MiB)" "<= 16 MiB" \
    "$(calc '%s' "($med_kib <= 16384) ? \"met\" : \"MISSED\"")"
fi
row "  ratio json / (-toc -sym)" "$(calc '%.2f' "$med_s / $sym_s")" "" ""
measure "$romscope" -json "$tmp/records.bin"
row "json, $records records" "$(calc '%.3f s' "$med_s")" "< 1.5 s" \
  "$(calc '%s' "($med_s < 1.5) ? \"met\" : \"MISSED\"")"
cmd "$romscope -json $tmp/records.bin > /dev/null"
row "  peak RSS" "$med_kib KiB" "" ""
row "  ratio json / -rec" "$(calc '%.2f' "$med_s / $rec_s")" "" ""

echo "== collect" >&2
# The collected inspection: the records stay in the record table (with the
# address index built), the items of every table of contents in memory.
measure "$build/collect_image" "$tmp/records.bin"
row "collect, $records records" "$(calc '%.3f s' "$med_s")" "" ""
cmd "$build/collect_image $tmp/records.bin"
if [ "$med_kib" != n/a ]; then
  per_record=$(calc '%.1f' "$med_kib * 1024 / ($records + 1)")
  row "  peak RSS" "$med_kib KiB, $per_record bytes a record" "<= 48 bytes a record" \
    "$(calc '%s' "($per_record <= 48) ? \"met\" : \"MISSED\"")"
fi
measure "$build/collect_image" "$tmp/symbols.bin"
row "collect, symbol image, 1000 x 1000" "$(calc '%.3f s' "$med_s")" "" ""
cmd "$build/collect_image $tmp/symbols.bin"
if [ "$med_kib" != n/a ]; then
  row "  peak RSS" "$med_kib KiB ($(calc '%.2f' "$med_kib / 1024") MiB)" "<= 64 MiB" \
    "$(calc '%s' "($med_kib <= 65536) ? \"met\" : \"MISSED\"")"
fi

echo "== reader" >&2
bench_out=$("$build/reader_bench" 2>/dev/null)
median_ms() {
  echo "$bench_out" | awk -v name="$1" \
    '$1 ~ ("^" name "/") && $1 ~ /_median$/ { v = $2; u = $3 }
     END { if (u == "s") v *= 1000; else if (u == "us") v /= 1000; print v }'
}
rand_ms=$(median_ms BM_OneByteReadsRandom)
seq_ms=$(median_ms BM_OneByteReadsSequential)
gen_ms=$(median_ms BM_RandomAddressesOnly)
verdict=$(calc '%s' "($rand_ms < 1000) ? \"met\" : \"MISSED\"")
row "reader, 10M reads, random" "$(calc '%.0f ms' "$rand_ms")" "< 1 s" "$verdict"
row "reader, 10M reads, sequential" "$(calc '%.0f ms' "$seq_ms")" "< 1 s" \
  "$(calc '%s' "($seq_ms < 1000) ? \"met\" : \"MISSED\"")"
row "  random addresses alone" "$(calc '%.0f ms' "$gen_ms")" "" ""
cmd "$build/reader_bench   (medians of 5 passes of 10,000,000 one-byte ReadImage calls)"

echo "== hostile layouts" >&2
hostile=$("$root/bench/worst_case.sh" "$build" "$tmp")

# The tools on the whole inspection: each script builds what it needs in
# $build, writes its images to $tmp and prints its own table.
tools=""
for tool in diff map export; do
  echo "== $tool" >&2
  tools+=$'\n'"$("$root/bench/$tool.sh" "$build" "$tmp")"
done

echo
echo "romscope benchmarks, mode $mode: medians of $runs runs after a warm-up run"
echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo);" \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%-34s %-28s %-18s %-7s %s\n' figure median goal verdict load
printf '%s\n' "${rows[@]}"
echo
echo "reader_bench medians:"
echo "$bench_out" | grep -E '_median|source_' | grep _median || true
echo "$hostile"
echo "$tools"
