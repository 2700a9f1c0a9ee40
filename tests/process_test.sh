#!/usr/bin/env bash
# What only a real process shows: the debugger hook with no debugger attached,
# a closed pipe, a non-blocking pipe, a full disk behind standard output, a
# directory as input.
# process_test.sh DEMO.bin COMMAND...: COMMAND runs the tool (it may start
# with an emulator).
set -u
demo=$1
shift
romscope=("$@")
fail=0
check() {  # name, condition result
  if [ "$2" != 0 ]; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi
}

out=$(D_BREAK= "${romscope[@]}" -rec "$demo" 2>/dev/null); status=$?
[ $status = 0 ] && [ "${out##*$'\n'}" = "Done." ]; check "D_BREAK set: the run completes" $?

out=$(d_BrEaK=1 "${romscope[@]}" "$demo" 2>/dev/null); status=$?
[ $status = 0 ] && [ "${out##*$'\n'}" = "Done." ]; check "d_break in any case: the run completes" $?

err=$("${romscope[@]}" -data "$demo" 2>&1 >/dev/full); status=$?
[ $status = 1 ] && [[ "$err" == "romscope: error writing standard output: "* ]]
check "a full disk is reported and fails the run" $?

big=$(mktemp)
want=$(mktemp)
got=$(mktemp)
trap 'rm -f "$big" "$want" "$got"' EXIT
head -c 15 "$demo" > "$big"
# Many records of 4096 bytes at address 1, so that the dump overflows any pipe buffer.
for i in $(seq 1 200); do
  printf '\x01\x00\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00'
  head -c 4096 /dev/zero
done >> "$big"
errtext=$( { "${romscope[@]}" -data "$big" | head -c 100 >/dev/null; } 2>&1 )
[ -z "$errtext" ]; check "a closed pipe ends the run quietly" $?

# The parent makes its end of the pipe non-blocking (as event loops do) and
# starts reading half a second late, when the pipe has long been full.
"${romscope[@]}" -data "$big" >"$want"
errtext=$(python3 - "$big" "${romscope[@]}" 2>&1 >"$got" <<'EOF'
import os, subprocess, sys, time
r, w = os.pipe()
os.set_blocking(w, False)
child = subprocess.Popen(sys.argv[2:] + ["-data", sys.argv[1]], stdout=w)
os.close(w)
time.sleep(0.5)
with os.fdopen(r, "rb") as pipe, os.fdopen(1, "wb") as out:
    out.write(pipe.read())
sys.exit(child.wait())
EOF
); status=$?
[ $status = 0 ] && [ -z "$errtext" ] && [ "$(wc -c <"$want")" -gt 1048576 ] && cmp -s "$want" "$got"
check "a non-blocking pipe read late loses nothing" $?

dir=$(mktemp -d)
out=$("${romscope[@]}" "$dir" 2>/tmp/romscope_err.$$); status=$?
rmdir "$dir"
[ $status = 1 ] && [ "$out" = "RomScope... $dir"$'\n'"Error opening $dir" ] &&
  grep -q "^romscope: cannot open '$dir': Is a directory$" /tmp/romscope_err.$$
check "a directory is not a file" $?
rm -f /tmp/romscope_err.$$

exit $fail
