#!/usr/bin/env bash
# The conversions and the extraction, each next to the programs people use
# for the same job, in the same run, all writing their output to files (not
# to /dev/null: the sink is part of the work), in TMP and, against cat and
# cp -r, once more in /dev/shm (memory-backed files, where the disk's
# writeback and other users of the disk do not weigh on the figures):
#
#   -flat     romscope -flat of a 512 MiB image, next to cat of the image
#   -srec     romscope -srec of a 128 MiB image, next to cat of a file of the
#   -ihex     same size as the output, srec_cat and objcopy converting the
#             flat image to the same format
#   -extract  romscope -extract of 2,340 files of 1 to 32 KiB, next to cp -r
#             of the files it wrote
#
# Each figure is the median of 5 whole runs after a warm-up run, ours and
# its peer's taken in turns; before each run the disk is synced, so that no
# run pays for the writeback of another's output.
# Usage: bench/export.sh BUILD TMP   (BUILD: a Release build with romscope
# and gen_image; TMP: a scratch folder)
set -euo pipefail
export LC_ALL=C
build=${1:?usage: export.sh BUILD TMP}
tmp=${2:?usage: export.sh BUILD TMP}
romscope=$build/romscope
runs=5
for tool in srec_cat:srecord objcopy:binutils cp:coreutils; do
  command -v "${tool%%:*}" >/dev/null || {
    echo "export.sh: ${tool%%:*} is missing (Debian package ${tool#*:})" >&2
    exit 1
  }
done

echo "== export images" >&2
"$build/gen_image" data 512 "$tmp/export-512.bin" >&2
"$build/gen_image" data 128 "$tmp/export-128.bin" >&2
"$build/gen_image" files 2340 "$tmp/export-files.bin" >&2
"$romscope" -flat "$tmp/export-128.bin" >"$tmp/export-128.flat"
base=0x80000000  # where the bench images start

# timed OUT CLEAN CMD...: one run of CMD with standard output to a fresh
# OUT, after removing CLEAN (a folder the command must make anew, or
# nothing) and after the disk has taken everything written before, so that
# no run pays for another's writeback; sets t.
timed() {
  local out=$1 clean=$2 t0 t1
  shift 2
  rm -rf "$out" ${clean:+"$clean"}
  sync
  t0=$EPOCHREALTIME
  "$@" >"$out"
  t1=$EPOCHREALTIME
  t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
}

median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }

# pair: the commands in the arrays ours and peer (standard output to
# ours_out and peer_out, folders ours_clean and peer_clean made anew), a
# warm-up run of each, then $runs runs of each, taken in turns so that both
# meet the same machine; sets ours_s and peer_s (medians).
pair() {
  local a=() b=() i
  for ((i = 0; i <= runs; i++)); do
    timed "$ours_out" "${ours_clean:-}" "${ours[@]}"
    ((i == 0)) || a+=("$t")
    timed "$peer_out" "${peer_clean:-}" "${peer[@]}"
    ((i == 0)) || b+=("$t")
  done
  ours_s=$(median "${a[@]}")
  peer_s=$(median "${b[@]}")
  echo "   $(basename "${ours[0]}") ${ours[1]} runs (s): ${a[*]}" >&2
  echo "   $(basename "${peer[0]}") ${peer[1]} runs (s): ${b[*]}" >&2
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }
verdict() { calc '%s' "($1) ? \"met\" : \"MISSED\""; }

rows=()
# The 1-minute load average, beside each figure: work elsewhere on the
# machine (a build on the other core) slows the figures down.
load1() { cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo n/a; }
row() { rows+=("$(printf '%-34s %-28s %-18s %-7s %s' "$1" "$2" "$3" "$4" "$(load1)")"); }
cmd() { rows+=("    \$ $*"); }

# Against cat and cp -r, with every output written to files in SINK (its
# name in LABEL): the same work on the same sink.
against_cat() {
  local sink=$1 label=$2 name option size
  echo "== -flat, outputs in $sink" >&2
  ours=("$romscope" -flat "$tmp/export-512.bin") ours_out=$sink/out.flat
  peer=(cat "$tmp/export-512.bin") peer_out=$sink/out.cat
  pair
  row "-flat, 512 MiB image ($label)" "$(calc '%.3f s' "$ours_s")" "" ""
  cmd "${ours[*]} > $ours_out"
  row "  peer: cat of the image" "$(calc '%.3f s' "$peer_s")" "" ""
  cmd "${peer[*]} > $peer_out"
  ratio=$(calc '%.2f' "$ours_s / $peer_s")
  row "  ratio -flat / cat" "$ratio" "<= 1.5" "$(verdict "$ratio <= 1.5")"
  for name in srec ihex; do
    option=-$name
    echo "== $option, outputs in $sink" >&2
    cp "$tmp/same-size.$name" "$sink/in.$name"
    size=$(stat -c %s "$sink/in.$name")
    ours=("$romscope" "$option" "$tmp/export-128.bin") ours_out=$sink/out.$name
    peer=(cat "$sink/in.$name") peer_out=$sink/out.cat-$name
    pair
    row "$option, 128 MiB image ($label)" "$(calc '%.3f s' "$ours_s")" "" "$size bytes"
    cmd "${ours[*]} > $ours_out"
    row "  peer: cat of $size bytes" "$(calc '%.3f s' "$peer_s")" "" ""
    cmd "${peer[*]} > $peer_out"
    ratio=$(calc '%.2f' "$ours_s / $peer_s")
    row "  ratio $option / cat" "$ratio" "<= 1.3" "$(verdict "$ratio <= 1.3")"
    rm -f "$sink/in.$name" "$sink"/out.*
  done
  echo "== -extract, outputs in $sink" >&2
  # The files of a first extraction are what cp -r copies; the listing goes
  # to a file, and every run makes its folder anew.
  rm -rf "$sink/reference"
  "$romscope" -extract="$sink/reference" "$tmp/export-files.bin" >/dev/null || true
  files=$(find "$sink/reference" -type f | wc -l)
  ours=("$romscope" -extract="$sink/extracted" "$tmp/export-files.bin")
  ours_out=$sink/out.listing ours_clean=$sink/extracted
  peer=(cp -r "$sink/reference" "$sink/copied") peer_out=$sink/out.cp peer_clean=$sink/copied
  pair
  ours_clean="" peer_clean=""
  row "-extract, $files files ($label)" "$(calc '%.3f s' "$ours_s")" "" ""
  cmd "${ours[*]} > $ours_out"
  row "  peer: cp -r of the same files" "$(calc '%.3f s' "$peer_s")" "" ""
  cmd "${peer[*]}"
  ratio=$(calc '%.2f' "$ours_s / $peer_s")
  row "  ratio -extract / cp -r" "$ratio" "<= 2" "$(verdict "$ratio <= 2")"
  rm -rf "$sink"/reference "$sink"/extracted "$sink"/copied "$sink"/out.*
}

# The other converters, writing the same format from the flat image.
against_converters() {
  local name=$1 scformat=$2 ocformat=$3 option=-$1
  echo "== $option against srec_cat and objcopy" >&2
  ours=("$romscope" "$option" "$tmp/export-128.bin") ours_out=$tmp/out.$name
  peer=(srec_cat "$tmp/export-128.flat" -binary -offset $base -o - $scformat)
  peer_out=$tmp/out.srec_cat-$name
  pair
  row "$option, 128 MiB image" "$(calc '%.3f s' "$ours_s")" "" ""
  cmd "${ours[*]} > $ours_out"
  row "  peer: srec_cat" "$(calc '%.3f s' "$peer_s")" "" ""
  cmd "${peer[*]} > $peer_out"
  ratio=$(calc '%.1f' "$peer_s / $ours_s")
  row "  ratio srec_cat / $option" "$ratio" ">= 10" "$(verdict "$ratio >= 10")"
  peer=(objcopy -I binary -O "$ocformat" --change-addresses=$base "$tmp/export-128.flat"
    "$tmp/out.objcopy-$name")
  peer_out=$tmp/out.none peer_clean=$tmp/out.objcopy-$name
  pair
  peer_clean=""
  row "  peer: objcopy" "$(calc '%.3f s' "$peer_s")" "" ""
  cmd "${peer[*]}"
  ratio=$(calc '%.2f' "$peer_s / $ours_s")
  row "  ratio objcopy / $option" "$ratio" ">= 1.5" "$(verdict "$ratio >= 1.5")"
  rm -f "$tmp"/out.*
}

for name in srec ihex; do "$romscope" -$name "$tmp/export-128.bin" >"$tmp/same-size.$name"; done
against_cat "$tmp" "files in TMP"
# The same on memory-backed files, where the disk's writeback (and whatever
# else uses the disk) does not weigh on the figures.
shm=""
if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "$(stat -f -c %T /dev/shm)" = tmpfs ]; then
  shm=$(mktemp -d /dev/shm/romscope-bench.XXXXXX)
  against_cat "$shm" "files in /dev/shm"
  rm -rf "$shm"
fi
against_converters srec "" srec
against_converters ihex -intel ihex
rm -rf "$tmp"/out.* "$tmp"/same-size.* "$tmp"/export-*

echo "conversions and extraction (load average at the end:" \
  "$(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-34s %-28s %-18s %-7s %s\n' figure median goal verdict load
printf '%s\n' "${rows[@]}"
