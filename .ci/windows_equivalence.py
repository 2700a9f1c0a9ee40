#!/usr/bin/env python3
"""Runs the Linux romscope and romscope.exe under wine on the same inputs
with the same options; every run must give the same standard output, byte
for byte, and the same exit status. Under wine a crash can still exit 0, so
the output is what proves a run sound. Each input is also extracted by both
(-extract, text and JSON listing), each into a folder of its own: the
listings, the statuses and the trees of names and bytes must be the same.
A wine run that ends with status 1 and no output at all is run once more and
counted in the summary line.

windows_equivalence.py LINUX_ROMSCOPE WINE_RUNNER ROMSCOPE_EXE INPUT...
An INPUT that is a folder stands for every file in it."""
import concurrent.futures
import os
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import time

# Every input runs once with each of these; add a line to check another.
OPTION_SETS = [
    "",
    "-rec",
    "-data",
    "-toc -c",
    "-obj -sym -checkfiles",
    "-json",
    "-flat",
    "-srec",
    "-ihex",
    "-map",
    "-diff build/demo.bin",  # the demo image against every image, as text and as JSON
    "-diff -json build/demo.bin",
]

# -flat writes the image's whole window: larger windows (hostile headers ask
# for up to 4 GiB) are left to the Linux tests.
FLAT_LIMIT = 16 << 20

TIMEOUT = 120  # seconds for one run; a hang is a difference


def inputs_of(paths):
    for path in paths:
        if os.path.isdir(path):
            for name in sorted(os.listdir(path)):
                full = os.path.join(path, name)
                if not name.startswith(".") and os.path.isfile(full):
                    yield full
        elif os.path.isfile(path):
            yield path


def run(command, cwd=None):
    try:
        done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=TIMEOUT, check=False, cwd=cwd)
        return done.returncode, done.stdout, done.stderr
    except subprocess.TimeoutExpired:
        return "timeout", b"", b""


# Rarely (about one run in 2,300 with two at a time), a program under wine
# ends with status 1 having written nothing at all, on either stream, and the
# same run again gives the right output. Such a run is noted in `empty` and
# run once more; the second answer is the one compared.
def is_empty_run(result):
    status, out, err = result[:3]
    return status == 1 and not out and not err


def run_windows(command, what, empty, cwd=None, again=None):
    result = run(command, cwd)
    if is_empty_run(result):
        empty.append(what)
        if again is not None:
            again()
        result = run(command, cwd)
    return result


def compare(linux, windows, empty, options, image):
    args = shlex.split(options) + [image]
    a_status, a_out, a_err = run([linux] + args)
    b_status, b_out, b_err = (run(windows + args) if is_empty_run((a_status, a_out, a_err))
                              else run_windows(windows + args, f"{options} {image}", empty))
    if a_status == b_status and a_out == b_out:
        return None
    at = next((i for i, (x, y) in enumerate(zip(a_out, b_out)) if x != y),
              min(len(a_out), len(b_out)))
    return (f"differs: romscope {options} {image}: status {a_status} and {b_status}, "
            f"{len(a_out)} and {len(b_out)} bytes, first difference at byte {at}; "
            f"standard error under wine: {b_err[:400]!r}")


def flat_too_large(image):
    with open(image, "rb") as file:
        header = file.read(15)
    return len(header) == 15 and struct.unpack("<I", header[11:15])[0] > FLAT_LIMIT


def tree(folder):
    """Every path under `folder` with its bytes (None for a folder)."""
    found = {}
    for base, dirs, files in os.walk(folder):
        for name in dirs:
            found[os.path.relpath(os.path.join(base, name), folder)] = None
        for name in files:
            with open(os.path.join(base, name), "rb") as file:
                found[os.path.relpath(os.path.join(base, name), folder)] = file.read()
    return found


def compare_extraction(linux, windows, empty, options, image):
    scratch = tempfile.mkdtemp(prefix="romscope-equivalence-")
    try:
        results = []
        for side, command in (("linux", [linux]), ("windows", windows)):
            folder = os.path.join(scratch, side)
            os.mkdir(folder)
            command = command + ["-extract=out"] + options + [image]
            if side == "linux":
                status, out, err = run(command, cwd=folder)
            else:
                status, out, err = run_windows(
                    command, " ".join(["-extract=out"] + options + [image]), empty, cwd=folder,
                    again=lambda: shutil.rmtree(os.path.join(folder, "out"), ignore_errors=True))
            results.append((status, out, err, tree(os.path.join(scratch, side, "out"))))
        (a_status, a_out, _, a_tree), (b_status, b_out, b_err, b_tree) = results
        if a_status == b_status and a_out == b_out and a_tree == b_tree:
            return None
        names = sorted(set(a_tree) ^ set(b_tree))[:5]
        return (f"differs: romscope -extract=out {' '.join(options)} {image}: status {a_status} "
                f"and {b_status}, listings {'equal' if a_out == b_out else 'differ'}, names on "
                f"one side only: {names}; standard error under wine: {b_err[:400]!r}")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    if len(sys.argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    # Absolute, since the extractions run in folders of their own.
    linux, runner, exe = (os.path.abspath(path) for path in sys.argv[1:4])
    images = list(inputs_of(sys.argv[4:]))
    images = [os.path.abspath(image) for image in images]
    jobs = [(options, image) for image in images for options in OPTION_SETS
            if options != "-flat" or not flat_too_large(image)]
    extractions = [(options, image) for image in images for options in ([], ["-json"])]
    start = time.monotonic()
    # The first run sets up wine and leaves its server running; the others
    # need not ask for it again.
    run([runner, exe])
    os.environ["ROMSCOPE_WINESERVER_UP"] = "1"
    differences = []
    empty = []  # list.append is atomic: the threads share it
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        for result in pool.map(lambda job: compare(linux, [runner, exe], empty, *job), jobs):
            if result is not None:
                differences.append(result)
        for result in pool.map(lambda job: compare_extraction(linux, [runner, exe], empty, *job),
                               extractions):
            if result is not None:
                differences.append(result)
    jobs += extractions
    for line in differences[:20]:
        print(line)
    for what in empty:
        print(f"empty run under wine (status 1, no output), run again: romscope {what}")
    print(f"{len(jobs) - len(differences)}/{len(jobs)} runs identical "
          f"({len(images)} inputs x {len(OPTION_SETS)} option sets and 2 extractions, "
          f"{time.monotonic() - start:.0f} s; {len(empty)} empty runs under wine run again)")
    print(f"equivalence: {len(jobs) - len(differences)} passed, {len(differences)} failed")
    return 0 if jobs and not differences else 1


if __name__ == "__main__":
    sys.exit(main())
