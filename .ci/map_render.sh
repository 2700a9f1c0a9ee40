#!/usr/bin/env bash
# The demo's map in a real browser: headless Chromium loads BUILD/demo-map.svg
# (written by the build), and the run fails when the browser reports an
# error (its exit status, an XML parse error in the document it built, a
# console message) or when the picture it takes, BUILD/demo-map.png, is blank
# (fewer than 8 colours, or almost all of it one colour). The PNG stays in the
# build folder as CI's artefact.
#
# Usage: .ci/map_render.sh BUILD
set -euo pipefail
build=${1:?usage: .ci/map_render.sh BUILD}
svg=$build/demo-map.svg
png=$build/demo-map.png
[ -f "$svg" ] || { echo "map_render: $svg is missing: build first" >&2; exit 1; }
command -v chromium >/dev/null || { echo "map_render: chromium is missing (apt-get install chromium)" >&2; exit 1; }

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
url="file://$(cd "$(dirname "$svg")" && pwd)/$(basename "$svg")"
size=$(sed -n 's/.*<svg [^>]*width="\([0-9]*\)" height="\([0-9]*\)".*/\1,\2/p' "$svg" | head -n 1)
[ -n "$size" ] || { echo "map_render: no width and height in $svg" >&2; exit 1; }
# As root (CI) the sandbox cannot be had; nothing here reaches the network.
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
  --disable-background-networking --disable-component-update --disable-sync
  --hide-scrollbars --user-data-dir="$profile" --enable-logging=stderr --v=0)

rm -f "$png"
status=0
timeout 120 chromium "${flags[@]}" --dump-dom "$url" >"$profile/dom.html" 2>"$profile/dom.log" ||
  status=$?
if [ "$status" -ne 0 ]; then
  echo "map_render: chromium --dump-dom failed with status $status" >&2
  tail -n 20 "$profile/dom.log" >&2
  exit 1
fi
if grep -q parsererror "$profile/dom.html" || ! grep -q '^<svg' "$profile/dom.html"; then
  echo "map_render: the browser could not read $svg as SVG:" >&2
  head -c 2000 "$profile/dom.html" >&2
  exit 1
fi
timeout 120 chromium "${flags[@]}" --window-size="$size" --screenshot="$png" "$url" \
  >"$profile/shot.out" 2>"$profile/shot.log" || status=$?
if [ "$status" -ne 0 ] || [ ! -s "$png" ]; then
  echo "map_render: chromium --screenshot failed (status $status)" >&2
  tail -n 20 "$profile/shot.log" >&2
  exit 1
fi
# Messages of the page itself (the machine's missing D-Bus and the like are
# the browser's own business).
if grep -hE 'CONSOLE|Uncaught|Failed to load|ERR_' "$profile/dom.log" "$profile/shot.log"; then
  echo "map_render: the browser reported errors on the page" >&2
  exit 1
fi

python3 - "$png" <<'PY'
"""Counts the colours of an 8-bit RGB or RGBA PNG, as Chromium writes them."""
import struct
import sys
import zlib

path = sys.argv[1]
data = open(path, "rb").read()
if data[:8] != b"\x89PNG\r\n\x1a\n":
    sys.exit(f"map_render: {path} is no PNG")
at, idat, header = 8, b"", None
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    if kind == b"IHDR":
        header = struct.unpack(">IIBBBBB", body)
    elif kind == b"IDAT":
        idat += body
    at += 12 + length
width, height, depth, colour, _, _, interlace = header
if depth != 8 or colour not in (2, 6) or interlace != 0:
    sys.exit(f"map_render: {path}: a PNG form this check does not read ({depth}, {colour})")
step = 3 if colour == 2 else 4
raw = zlib.decompress(idat)
stride = width * step
previous = bytearray(stride)
counts = {}
for row in range(height):
    kind = raw[row * (stride + 1)]
    line = bytearray(raw[row * (stride + 1) + 1:(row + 1) * (stride + 1)])
    for i in range(stride):
        left = line[i - step] if i >= step else 0
        up = previous[i]
        corner = previous[i - step] if i >= step else 0
        if kind == 1:
            line[i] = (line[i] + left) & 255
        elif kind == 2:
            line[i] = (line[i] + up) & 255
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 255
        elif kind == 4:
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
    for i in range(0, stride, step):
        pixel = bytes(line[i:i + 3])
        counts[pixel] = counts.get(pixel, 0) + 1
    previous = line
commonest = max(counts.values())
share = commonest / (width * height)
print(f"map_render: {path}: {width} x {height} pixels, {len(counts)} colours, "
      f"the commonest on {share:.0%} of them")
if len(counts) < 8 or share > 0.98:
    sys.exit("map_render: the picture is blank")
PY
echo "map_render: passed"
