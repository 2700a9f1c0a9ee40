#!/usr/bin/python3
"""Validates the -json document of each image against doc/romscope.schema.json.

Usage: json_schema_test.py ROMSCOPE SCHEMA IMAGE_OR_FOLDER...

Each document must be one line of UTF-8 ending in its one line break, hold no
object with a member name twice and no integer above 2^53, and satisfy the
schema (draft 2020-12); a run that cannot open its input must still write a
valid document, with its error member. Exits 77 (skipped, for CTest) when
python3-jsonschema is missing or too old for draft 2020-12.
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


def check(romscope, validator, image, expected_status):
    run = subprocess.run([romscope, "-json", image], capture_output=True, timeout=60)
    problems = []
    if run.returncode != expected_status:
        problems.append("exit status %d, expected %d" % (run.returncode, expected_status))
    text = run.stdout
    if not text.endswith(b"\n") or text.count(b"\n") != 1:
        problems.append("not one line ending in its line break")
    try:
        document = json.loads(text.decode("utf-8"), object_pairs_hook=unique_members)
    except ValueError as error:
        return problems + ["not a JSON document in UTF-8: %s" % error]
    problems += ["integer above 2^53 at " + path for path in large_integers(document)]
    for error in validator.iter_errors(document):
        where = "/".join(str(part) for part in error.absolute_path)
        problems.append("schema: %s at /%s" % (error.message[:200], where))
    if (expected_status == 1) != ("error" in document):
        problems.append("the error member does not match the exit status")
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
