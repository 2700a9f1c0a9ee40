#!/usr/bin/env bash
# The conversions and the extraction, each next to the programs people use
# for the same job, in the same run, all writing their output to files in
# TMP (not to /dev/null: the sink is part of the work):
#
#   -flat     romscope -flat of a 512 MiB image, next to cat of the image
#   -srec     romscope -srec of a 128 MiB image, next to cat of a file of the
#   -ihex     same size as the output, srec_cat and objcopy converting the
#             flat image to the same format
#   -extract  romscope -extract of 2,340 files of 1 to 32 KiB, next to cp -r
#             of the files it wrote
#
# Each figure is the median of 5 whole runs after a warm-up run.
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

# timed OUT CMD...: one run of CMD with standard output to OUT; sets t.
timed() {
  local out=$1 t0 t1
  shift
  t0=$EPOCHREALTIME
  "$@" >"$out"
  t1=$EPOCHREALTIME
  t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
}

# measure OUT CMD...: a warm-up run, then $runs timed runs, each writing a
# fresh OUT; sets med_s. A folder named in CLEAN is removed before each run
# (not timed), for commands that must make it anew.
measure() {
  local out=$1 secs=() i
  shift
  for ((i = 0; i <= runs; i++)); do
    rm -rf "$out" ${CLEAN:+"$CLEAN"}
    timed "$out" "$@"
    ((i == 0)) || secs+=("$t")
  done
  med_s=$(printf '%s\n' "${secs[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  echo "   $(basename "$1") $2 runs (s): ${secs[*]}" >&2
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }
verdict() { calc '%s' "($1) ? \"met\" : \"MISSED\""; }

rows=()
row() { rows+=("$(printf '%-34s %-28s %-18s %s' "$1" "$2" "$3" "$4")"); }
cmd() { rows+=("    \$ $*"); }

echo "== -flat" >&2
measure "$tmp/out.flat" "$romscope" -flat "$tmp/export-512.bin"
flat_s=$med_s
measure "$tmp/out.cat" cat "$tmp/export-512.bin"
cat_s=$med_s
ratio=$(calc '%.2f' "$flat_s / $cat_s")
row "-flat, 512 MiB image" "$(calc '%.3f s' "$flat_s")" "" ""
cmd "$romscope -flat $tmp/export-512.bin > $tmp/out.flat"
row "  peer: cat of the image" "$(calc '%.3f s' "$cat_s")" "" ""
cmd "cat $tmp/export-512.bin > $tmp/out.cat"
row "  ratio -flat / cat" "$ratio" "<= 1.5" "$(verdict "$ratio <= 1.5")"

# The hex formats: ours against cat of a file of the output's size, and the
# other converters writing the same format from the flat image.
hex_format() {
  local name=$1 option=$2 scformat=$3 ocformat=$4
  echo "== $option" >&2
  measure "$tmp/out.$name" "$romscope" "$option" "$tmp/export-128.bin"
  local ours=$med_s size
  size=$(stat -c %s "$tmp/out.$name")
  cp "$tmp/out.$name" "$tmp/same-size.$name"
  measure "$tmp/out.cat-$name" cat "$tmp/same-size.$name"
  local cat=$med_s
  measure "$tmp/out.srec_cat-$name" srec_cat "$tmp/export-128.flat" -binary -offset $base \
    -o - $scformat
  local sc=$med_s
  CLEAN=$tmp/out.objcopy-$name measure "$tmp/out.none" objcopy -I binary -O "$ocformat" \
    --change-addresses=$base "$tmp/export-128.flat" "$tmp/out.objcopy-$name"
  local oc=$med_s
  row "$option, 128 MiB image" "$(calc '%.3f s' "$ours")" "" "$size bytes"
  cmd "$romscope $option $tmp/export-128.bin > $tmp/out.$name"
  row "  peer: cat of $size bytes" "$(calc '%.3f s' "$cat")" "" ""
  cmd "cat $tmp/same-size.$name > $tmp/out.cat-$name"
  ratio=$(calc '%.2f' "$ours / $cat")
  row "  ratio $option / cat" "$ratio" "<= 1.3" "$(verdict "$ratio <= 1.3")"
  row "  peer: srec_cat" "$(calc '%.3f s' "$sc")" "" ""
  cmd "srec_cat $tmp/export-128.flat -binary -offset $base -o - $scformat > $tmp/out.srec_cat-$name"
  ratio=$(calc '%.1f' "$sc / $ours")
  row "  ratio srec_cat / $option" "$ratio" ">= 10" "$(verdict "$ratio >= 10")"
  row "  peer: objcopy" "$(calc '%.3f s' "$oc")" "" ""
  cmd "objcopy -I binary -O $ocformat --change-addresses=$base $tmp/export-128.flat $tmp/out.objcopy-$name"
  ratio=$(calc '%.2f' "$oc / $ours")
  row "  ratio objcopy / $option" "$ratio" ">= 1.5" "$(verdict "$ratio >= 1.5")"
}
hex_format srec -srec "" srec
hex_format ihex -ihex -intel ihex

echo "== -extract" >&2
# The listing goes to a file; the folder is made anew by every run.
CLEAN=$tmp/extracted measure "$tmp/out.listing" "$romscope" -extract="$tmp/extracted" \
  "$tmp/export-files.bin"
extract_s=$med_s
files=$(find "$tmp/extracted" -type f | wc -l)
CLEAN=$tmp/copied measure "$tmp/out.cp" cp -r "$tmp/extracted" "$tmp/copied"
cp_s=$med_s
row "-extract, $files files" "$(calc '%.3f s' "$extract_s")" "" ""
cmd "$romscope -extract=$tmp/extracted $tmp/export-files.bin > $tmp/out.listing"
row "  peer: cp -r of the same files" "$(calc '%.3f s' "$cp_s")" "" ""
cmd "cp -r $tmp/extracted $tmp/copied"
ratio=$(calc '%.2f' "$extract_s / $cp_s")
row "  ratio -extract / cp -r" "$ratio" "<= 2" "$(verdict "$ratio <= 2")"
rm -rf "$tmp"/extracted "$tmp"/copied "$tmp"/out.* "$tmp"/same-size.* "$tmp"/export-*

echo "conversions and extraction (output to files in $tmp; load average at the end:" \
  "$(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-34s %-28s %-18s %s\n' figure "median" goal verdict
printf '%s\n' "${rows[@]}"
