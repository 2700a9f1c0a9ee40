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
import json
import os
import subprocess
import sys

SKIPPED = 77


def unique_members(pairs):
    names = [name for name, _ in pairs]
    if len(names) != len(set(names)):
        raise ValueError("a member name occurs twice: %s" % names)
    return dict(pairs)


def large_integers(value, path="$"):
    if isinstance(value, bool):
        return
    if isinstance(value, int) and abs(value) > 2**53:
        yield path
    elif isinstance(value, dict):
        for name, member in value.items():
            yield from large_integers(member, path + "." + name)
    elif isinstance(value, list):
        for i, element in enumerate(value):
            yield from large_integers(element, "%s[%d]" % (path, i))


def check(romscope, validator, old, new):
    run = subprocess.run([romscope, "-diff", "-json", old, new], capture_output=True, timeout=120)
    problems = []
    text = run.stdout
    if not text.endswith(b"\n") or text.count(b"\n") != 1:
        problems.append("not one line ending in its line break")
    try:
        document = json.loads(text.decode("utf-8"), object_pairs_hook=unique_members)
    except ValueError as error:
        return problems + ["not a JSON document in UTF-8: %s" % error]
    problems += ["integer beyond 2^53 at " + path for path in large_integers(document)]
    for error in validator.iter_errors(document):
        where = "/".join(str(part) for part in error.absolute_path)
        problems.append("schema: %s at /%s" % (error.message[:200], where))
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
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    romscope, schema_path = sys.argv[1], sys.argv[2]
    try:
        import jsonschema
    except ImportError:
        print("skipped: python3-jsonschema is not installed (Debian: apt-get install "
              "python3-jsonschema)")
        return SKIPPED
    if not hasattr(jsonschema, "Draft202012Validator"):
        print("skipped: python3-jsonschema %s has no draft 2020-12 validator"
              % getattr(jsonschema, "__version__", "(unknown version)"))
        return SKIPPED
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)

    images = []
    for name in sys.argv[3:]:
        if os.path.isdir(name):
            images += sorted(os.path.join(name, entry) for entry in os.listdir(name))
        else:
            images.append(name)
    first = images[0]
    pairs = [(first, image) for image in images] + [(image, first) for image in images[1:]]
    pairs += [(image, image) for image in images[1:]]
    pairs.append((first, os.path.join(os.path.dirname(first), "no-such-image.bin")))
    failed = 0
    for old, new in pairs:
        problems = check(romscope, validator, old, new)
        if problems:
            failed += 1
            print("FAIL %s %s:\n  %s" % (old, new, "\n  ".join(problems[:10])))
    print("%d documents checked against %s, %d failed" % (len(pairs), schema_path, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
