#!/usr/bin/env bash
# The bash completion, sourced as bash-completion would: what it offers for
# a few command lines, in both ways bash may split "-extract=DIR".
# With --shell: the completion as installed, in the interactive root shells
# of a bare Debian set up as the README says (see shell_case below).
#
# Usage: completion_test.sh COMPLETION_FILE
#        completion_test.sh --shell CMAKE BUILD_DIR README
set -uo pipefail

# Every option, from the usage text and the manual.
all_options="--help --version -c -checkfiles -d -data -diff -extract= -fill= -flat -ihex -json
  -map -o -obj -r -rec -srec -sym -t -toc"

# What readline does on Tab after "romscope -", run inside the shell under
# test: bash-completion's default completion loads the command's own from
# where it is installed, and that one runs.
read -r -d '' press_tab <<'EOF_TAB'
if ! completion=$(complete -p romscope 2>/dev/null); then
  read -r -a loader <<<"$(complete -p -D 2>/dev/null)"
  [[ ${loader[1]-} == -F ]] && "${loader[2]}" romscope - romscope
  completion=$(complete -p romscope 2>/dev/null)
fi
read -r -a completion <<<"$completion"
COMP_WORDS=(romscope -) COMP_CWORD=1 COMP_LINE="romscope -" COMP_POINT=10 COMPREPLY=()
[[ ${completion[1]-} == -F ]] && "${completion[2]}" romscope - romscope
printf 'offered: %s\n' "${COMPREPLY[@]}"
EOF_TAB

# The files of `cmake --install` under a prefix of our own, and a HOME with
# root's stock .profile and .bashrc plus the README's line: a login shell
# (bash -il) loads bash-completion through /etc/profile, a non-login one
# (bash -i) only through that line. Each must offer every option.
shell_case() {
  local cmake=$1 build=$2 readme=$3
  if [[ ! -f /usr/share/bash-completion/bash_completion ]]; then
    echo "skipped: bash-completion is not installed"
    exit 77
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir "$work/home"
  "$cmake" --install "$build" --prefix "$work/prefix" >/dev/null || exit 1
  local stock
  for stock in profile bashrc; do
    cp "/usr/share/base-files/dot.$stock" "$work/home/.$stock" 2>/dev/null ||
      : >"$work/home/.$stock"
  done
  local line
  line=$(grep -m1 -E "^ +echo '.*' >> ~/.bashrc$" "$readme" | sed 's/^ *//')
  [[ -n $line ]] || { echo "FAIL: the README gives no line for ~/.bashrc"; exit 1; }
  HOME=$work/home bash -c "$line"

  local want failures=0 flags got
  want=$(tr -s ' \n' '\n' <<<"$all_options" | grep . | LC_ALL=C sort | tr '\n' ' ')
  for flags in -il -i; do
    got=$(env -i HOME="$work/home" TERM=dumb PATH="$work/prefix/bin:/usr/bin:/bin" \
      XDG_DATA_DIRS="$work/prefix/share:/usr/local/share:/usr/share" \
      bash "$flags" <<<"$press_tab" 2>/dev/null | sed -n 's/^offered: //p' | LC_ALL=C sort |
      tr '\n' ' ')
    if [[ $got != "$want" ]]; then
      echo "FAIL: bash $flags offers '$got' for 'romscope -', expected '$want'"
      failures=$((failures + 1))
    fi
  done
  echo "completion in a shell: $((2 - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}

if [[ ${1-} == --shell ]]; then
  shift
  shell_case "$@"
  exit
fi

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

expect "romscope -" "$(tr -s ' \n' '\n' <<<"$all_options" | grep . | sort | tr '\n' ' ' | sed 's/ $//')"
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

echo "completion: $((15 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
