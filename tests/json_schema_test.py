#!/usr/bin/python3
"""Validates the -json document of each image against doc/romscope.schema.json.

Usage: json_schema_test.py ROMSCOPE SCHEMA IMAGE_OR_FOLDER...

Each document must be one line of UTF-8 ending in its one line break, hold no
object with a member name twice and no integer above 2^53, and satisfy the
schema (draft 2020-12); a run that cannot open its input must still write a
valid document, with its error member. Exits 77 (skipped, for CTest) when
python3-jsonschema is missing or too old for draft 2020-12.
"""
import os
import subprocess
import sys

from schema_support import parse_document, run_cases, start


def check(romscope, validator, image, expected_status):
    run = subprocess.run([romscope, "-json", image], capture_output=True, timeout=60)
    problems = []
    if run.returncode != expected_status:
        problems.append("exit status %d, expected %d" % (run.returncode, expected_status))
    document, found = parse_document(run.stdout, validator)
    problems += found
    if document is None:
        return problems
    if (expected_status == 1) != ("error" in document):
        problems.append("the error member does not match the exit status")
    return problems


def main():
    started = start(__doc__, sys.argv)
    if isinstance(started, int):
        return started
    romscope, schema_path, validator, images = started
    runs = [(image, 0) for image in images]
    runs.append((os.path.join(os.path.dirname(images[0]), "no-such-image.bin"), 1))
    return run_cases(romscope, schema_path, validator, runs, check)


if __name__ == "__main__":
    sys.exit(main())
