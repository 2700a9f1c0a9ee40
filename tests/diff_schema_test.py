#!/usr/bin/python3
"""Validates the -diff -json document of image pairs against doc/romscope-diff.schema.json.

Usage: diff_schema_test.py ROMSCOPE SCHEMA IMAGE_OR_FOLDER...

The pairs: the first image with every image and every image with the first,
each image with itself, and the first image with a file that does not
exist. Each document must be one line of UTF-8 ending in its one line break,
hold no object with a member name twice and no integer beyond 2^53, satisfy
the schema (draft 2020-12), and agree with the exit status: identical with 0,
an error member with 2, an image with itself identical unless an inspection
was cut. Exits 77 (skipped, for CTest) when python3-jsonschema is missing or
too old for draft 2020-12.
"""
import os
import subprocess
import sys

from schema_support import parse_document, run_cases, start


def check(romscope, validator, old, new):
    run = subprocess.run([romscope, "-diff", "-json", old, new], capture_output=True, timeout=120)
    problems = []
    document, found = parse_document(run.stdout, validator)
    problems += found
    if not isinstance(document, dict):
        return problems
    status = run.returncode
    if document.get("identical") != (status == 0):
        problems.append("identical is %s with exit status %d" % (document.get("identical"), status))
    failures = [p for p in document.get("problems", []) if p.get("kind") != "incomplete"]
    if ("error" in document) != (status == 2 and bool(failures)):
        problems.append("the error member does not match exit status %d" % status)
    if old == new and status not in (0, 2):
        problems.append("an image differs from itself (exit status %d)" % status)
    return problems


def main():
    started = start(__doc__, sys.argv)
    if isinstance(started, int):
        return started
    romscope, schema_path, validator, images = started
    first = images[0]
    pairs = [(first, image) for image in images] + [(image, first) for image in images[1:]]
    pairs += [(image, image) for image in images[1:]]
    pairs.append((first, os.path.join(os.path.dirname(first), "no-such-image.bin")))
    return run_cases(romscope, schema_path, validator, pairs, check)


if __name__ == "__main__":
    sys.exit(main())
