#!/usr/bin/env bash
# The debugger hook with a debugger attached: with d_break set, romscope run
# under gdb stops with SIGTRAP before it has printed anything, and once
# continued it finishes its run as usual. Exits 77 (skipped) without gdb,
# where gdb cannot run programs at all, and for a cross build.
# debugger_test.sh DEMO.bin COMMAND...: COMMAND runs the tool.
set -u
demo=$1
shift
if [ $# -ne 1 ]; then
  echo "skipped: the tool runs under an emulator ($1), which gdb would debug instead"
  exit 77
fi
romscope=$1
if ! command -v gdb >/dev/null; then
  echo "skipped: no gdb (apt-get install gdb)"
  exit 77
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# gdb without init files, terminal, pager or downloads; a stuck run fails
# after a minute instead of holding up the suite.
debug() {  # PROGRAM, gdb commands...
  local program=$1 command args=()
  shift
  for command in "$@"; do args+=(-ex "$command"); done
  timeout 60 gdb -nx -batch -iex 'set debuginfod enabled off' "${args[@]}" "$program" \
    </dev/null 2>&1
}

probe=$(debug /bin/true run)
if [[ "$probe" != *"exited normally"* ]]; then
  echo "skipped: gdb cannot run a program here:"
  echo "$probe"
  exit 77
fi

# LeakSanitizer refuses to work under a debugger, and says so by failing the
# run; the other sanitizers still do.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# At the stop, the shell notes how many bytes the tool has written to its
# standard output and standard error so far.
log=$(d_break=1 debug "$romscope" \
  "run -rec '$demo' >'$dir/out' 2>'$dir/err'" \
  "shell cat '$dir/out' '$dir/err' | wc -c >'$dir/at-stop'" \
  'printf "signal at the stop: %d\n", $_siginfo.si_signo' \
  continue \
  'printf "exit code: %d\n", $_exitcode')
echo "$log"
fail=0
check() {  # name, condition result
  if [ "$2" != 0 ]; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi
}
steps=$(grep -E '^(Program received signal|Program terminated|signal at the stop|exit code)' \
  <<<"$log")
[ "$steps" = "Program received signal SIGTRAP, Trace/breakpoint trap.
signal at the stop: 5
exit code: 0" ]
check "one stop, by SIGTRAP, then the run ends with status 0" $?
[ "$(cat "$dir/at-stop" 2>/dev/null)" = 0 ]; check "nothing is printed before the stop" $?
[ "$(head -n 1 "$dir/out")" = "RomScope... $demo" ] && [ "$(tail -n 1 "$dir/out")" = "Done." ] &&
  [ ! -s "$dir/err" ]
check "continued, the run prints its whole listing" $?
exit $fail
