#!/usr/bin/env bash
# The layer gate: includes run one way, base < host < image < rom <
# {compare, map, export} < report < cli, and the three engines never include
# one another. Every #include "x/..." in src/ is checked against the layer of
# the file that holds it; an include that goes up or sideways fails the run.
# Also: no positional file reads (ReadAt) outside src/image and src/host.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {  # LAYER -> its rank; the engines share one
  case $1 in
    base) echo 0 ;; host) echo 1 ;; image) echo 2 ;; rom) echo 3 ;;
    compare | map | export) echo 4 ;; report) echo 5 ;; cli) echo 6 ;;
    *) echo -1 ;;
  esac
}

bad=0
while IFS=: read -r file _ include; do
  from=${file#src/}
  from=${from%%/*}
  to=${include#*\"}
  to=${to%%/*}
  [ "$(rank "$from")" -ge 0 ] || { echo "$file: not in a known layer"; bad=1; continue; }
  [ "$(rank "$to")" -ge 0 ] || continue  # a system or third-party header
  if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
    echo "$file includes $to/ from below it:$include"
    bad=1
  elif [ "$(rank "$to")" -eq 4 ] && [ "$(rank "$from")" -eq 4 ] && [ "$to" != "$from" ]; then
    echo "$file includes the $to engine from the $from engine:$include"
    bad=1
  fi
done < <(git grep -n -E '^#include "[a-z_]+/' -- 'src/*.cpp' 'src/*.h')

reads=$(git grep -n -E '\bReadAt\(' -- 'src/*.cpp' 'src/*.h' ':!src/image/*' ':!src/host/*' || true)
if [ -n "$reads" ]; then
  echo "positional reads outside src/image and src/host:"
  echo "$reads"
  bad=1
fi

[ "$bad" -eq 0 ] && echo "layers: every include runs one way"
exit "$bad"
