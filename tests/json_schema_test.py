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

from schema_support import SKIPPED, images_named, load_validator, parse_document


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
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    romscope, schema_path = sys.argv[1], sys.argv[2]
    validator = load_validator(schema_path)
    if validator is None:
        return SKIPPED
    images = images_named(sys.argv[3:])
    runs = [(image, 0) for image in images]
    runs.append((os.path.join(os.path.dirname(images[0]), "no-such-image.bin"), 1))
    failed = 0
    for image, status in runs:
        problems = check(romscope, validator, image, status)
        if problems:
            failed += 1
            print("FAIL %s:\n  %s" % (image, "\n  ".join(problems[:10])))
    print("%d documents checked against %s, %d failed" % (len(runs), schema_path, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
