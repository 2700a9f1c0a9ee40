#!/usr/bin/env bash
# The figures of -map, each the median of 5 whole-process runs after one
# warm-up run, output to /dev/null, with `romscope -json` on the same image
# timed in the same run as its peer (the same whole inspection, written out
# in full instead of drawn):
#
#   romscope -map IMAGE   on 1,000,000 records of 16 bytes, on 2048 modules
#                         of 10 sections each, and on 1000 modules of 1000
#                         profiling symbols each
#
# Goals: under 1 s, at most 4 MB of SVG and at most about 10,000 elements.
# Usage: bench/map.sh BUILD TMP   (BUILD: a Release build folder; TMP: scratch)
set -euo pipefail
export LC_ALL=C
build=$1
tmp=$2
runs=5
log=$(cmake --build "$build" -j2 --target romscope gen_image 2>&1) || {
  echo "$log" >&2
  exit 1
}
romscope=$build/romscope

"$build/gen_image" records 1000000 "$tmp/map-records.bin" >/dev/null
"$build/gen_image" modules 2048 10 "$tmp/map-modules.bin" >/dev/null
"$build/gen_image" symbols 1000 1000 "$tmp/map-symbols.bin" >/dev/null

# median CMD...: one warm-up run, then $runs timed runs; prints the median
# wall time in seconds, from bash's microsecond clock.
median() {
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

verdict() { awk "BEGIN { print ($1) ? \"met\" : \"MISSED\" }"; }

echo "-map: medians of $runs runs after a warm-up run; load average at the start:" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
# The 1-minute load average, beside each figure: work elsewhere on the
# machine (a build on the other core) slows the figures down.
load1() { cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo n/a; }
printf '%-28s %-10s %-12s %-10s %-12s %-14s %-7s %s\n' image "-map" "SVG bytes" elements "-json peer" \
  "map / json" verdict load
for name in records modules symbols; do
  image=$tmp/map-$name.bin
  echo "== map: $name" >&2
  map_s=$(median "$romscope" -map "$image")
  json_s=$(median "$romscope" -json "$image")
  "$romscope" -map "$image" >"$tmp/map-$name.svg"
  bytes=$(stat -c %s "$tmp/map-$name.svg")
  elements=$(grep -o '<[a-z]' "$tmp/map-$name.svg" | wc -l)
  case $name in
    records) what="1,000,000 records" ;;
    modules) what="2048 modules x 10 sections" ;;
    symbols) what="1000 x 1000 symbols" ;;
  esac
  printf '%-28s %-10s %-12s %-10s %-12s %-14s %-7s %s\n' "$what" "$map_s s" "$bytes" "$elements" \
    "$json_s s" "$(awk -v a="$map_s" -v b="$json_s" 'BEGIN { printf "%.2f", a / b }')" \
    "$(verdict "$map_s < 1 && $bytes <= 4000000 && $elements <= 10000")" "$(load1)"
  echo "    \$ $romscope -map $image > /dev/null"
done
echo "goal per image: -map under 1 s, at most 4 MB of SVG, at most about 10,000 elements;" \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
