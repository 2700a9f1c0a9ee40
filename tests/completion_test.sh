#!/usr/bin/env bash
# The bash completion, sourced as bash-completion would: what it offers for
# a few command lines, in both ways bash may split "-extract=DIR".
#
# Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir -p out/deep images
touch image.bin images/a.bin other.txt

failures=0
# expect "WORDS..." "EXPECTED COMPREPLY, sorted and joined by blanks"
expect() {
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _romscope
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  got=${got% }
  if [[ $got != "$2" ]]; then
    echo "FAIL: '$1': got '$got', expected '$2'"
    failures=$((failures + 1))
  fi
}

expect "romscope -j" "-json"
expect "romscope -fl" "-flat"
expect "romscope -ext" "-extract="
expect "romscope --" "--help --version"
expect "romscope -d" "-d -data -diff"
expect "romscope -fill=0xF" "-fill=0xFF"
expect "romscope -fill = 0x" "0x00 0xFF"
# Split at '=' (bash's default) and whole.
expect "romscope -extract =" "images/ out/"
expect "romscope -extract = o" "out/"
expect "romscope -extract=o" "-extract=out/"
expect "romscope -extract=out/" "-extract=out/deep/"
expect "romscope -toc im" "image.bin images"
expect "romscope -diff image.bin images/" "images/a.bin"
expect "romscope -srec ot" "other.txt"

echo "completion: $((14 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
