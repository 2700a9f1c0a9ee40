#!/usr/bin/env bash
# What other programs read from our conversions: -srec and -ihex read back by
# srec_cat (srecord) and objcopy (binutils), compared byte for byte with what
# -flat writes, on the demo, the fuzz seeds and the images of
# .ci/interop_images.py (gaps, overlaps, a cut record, the top of the address
# space, wrong checksums, many random records).
#
# Usage: .ci/interop.sh BUILD   (a build folder with romscope, demo.bin and
#                                fuzz-seeds/)
set -euo pipefail
export LC_ALL=C
build=$(cd "${1:?usage: interop.sh BUILD}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
romscope=$build/romscope
for tool in srec_cat objcopy python3 cmp; do
  command -v "$tool" >/dev/null || { echo "interop.sh: $tool is missing" >&2; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/romscope-interop.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/images"
python3 "$root/.ci/interop_images.py" "$tmp/images"

limit=$((64 << 20))  # larger ranges are not written out as flat files here
failures=0
checks=0

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# same WHAT FILE1 FILE2
same() {
  checks=$((checks + 1))
  cmp -s "$2" "$3" || fail "$1: $(cmp "$2" "$3" 2>&1 | head -n 1)"
}

# The image's window from its BIN header, and the range its S-records hold:
# "start end lo hi" (end clamped at 2^32; lo and hi empty without data).
ranges() {
  python3 - "$1" "$2" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
start, length = struct.unpack("<II", data[7:15])
lo = hi = None
for line in open(sys.argv[2]):
    if line.startswith("S3"):
        count = int(line[2:4], 16)
        address = int(line[4:12], 16)
        lo = address if lo is None else min(lo, address)
        hi = max(hi or 0, address + count - 5)
print(start, min(start + length, 1 << 32), "" if lo is None else lo, "" if hi is None else hi)
EOF
}

check() {
  local image=$1 name
  name=$(basename "$image")
  local out=$tmp/out
  rm -rf "$out" && mkdir "$out"
  if ! "$romscope" -srec "$image" >"$out/a.srec" 2>/dev/null; then
    echo "skip $name: not a usable image"
    return
  fi
  "$romscope" -ihex "$image" >"$out/a.hex" 2>/dev/null || fail "$name: -ihex failed"
  local start end lo hi
  read -r start end lo hi < <(ranges "$image" "$out/a.srec")

  if ((end - start > limit)); then
    echo "note $name: a window of $((end - start)) bytes, -flat not compared"
  elif ((end > start)); then
    for fill in 0x00 0xA5; do
      "$romscope" -flat -fill=$fill "$image" >"$out/flat.bin" 2>/dev/null || fail "$name: -flat failed"
      dd if="$out/flat.bin" of="$out/window.bin" bs=1M iflag=count_bytes count=$((end - start)) \
        status=none
      # Moved down first: srec_cat 1.64 fails an assertion cropping data that
      # ends at 2^32.
      srec_cat "$out/a.srec" -offset -$start -crop 0 $((end - start)) \
        -fill $fill 0 $((end - start)) -o "$out/sc.bin" -binary
      same "$name: srec_cat -srec, fill $fill" "$out/window.bin" "$out/sc.bin"
      srec_cat "$out/a.hex" -intel -offset -$start -crop 0 $((end - start)) \
        -fill $fill 0 $((end - start)) -o "$out/hc.bin" -binary
      same "$name: srec_cat -ihex, fill $fill" "$out/window.bin" "$out/hc.bin"
    done
  fi

  [ -n "$lo" ] || return 0
  if ((hi - lo > limit)); then
    echo "note $name: data over $((hi - lo)) bytes, objcopy not compared"
    return
  fi
  objcopy -I srec -O binary --gap-fill 0 "$out/a.srec" "$out/os.bin"
  objcopy -I ihex -O binary --gap-fill 0 "$out/a.hex" "$out/oh.bin"
  same "$name: objcopy -srec and -ihex" "$out/os.bin" "$out/oh.bin"
  if ((start <= lo && hi <= end && end - start <= limit)); then
    # The records all lie inside the window: -flat holds what objcopy read.
    "$romscope" -flat "$image" >"$out/flat.bin" 2>/dev/null
    dd if="$out/flat.bin" of="$out/part.bin" bs=1M iflag=skip_bytes,count_bytes \
      skip=$((lo - start)) count=$((hi - lo)) status=none
    same "$name: objcopy and -flat" "$out/os.bin" "$out/part.bin"
  else
    srec_cat "$out/a.srec" -offset -$lo -fill 0x00 0 $((hi - lo)) -o "$out/ref.bin" -binary
    same "$name: objcopy and srec_cat" "$out/os.bin" "$out/ref.bin"
  fi
}

count=0
for image in "$build/demo.bin" "$build"/fuzz-seeds/* "$tmp"/images/*; do
  check "$image"
  count=$((count + 1))
done
echo "interop: $count images, $checks comparisons"
echo "interop: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
