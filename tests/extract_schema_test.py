#!/usr/bin/python3
"""Validates the -extract=DIR -json listing of each image against
doc/romscope-extract.schema.json, and the folder it wrote against the listing.

Usage: extract_schema_test.py ROMSCOPE SCHEMA IMAGE_OR_FOLDER...

Each listing must be one line of UTF-8 ending in its one line break and
satisfy the schema (draft 2020-12); the folder must hold exactly the files
the listing says were written, each of its size, and nothing but files and
folders; the text listing of the same image must give the same entries; the
exit status must be 1 exactly when an entry was left out or the listing has
an error. A folder that is not empty is refused with an error and nothing
written. Exits 77 (skipped, for CTest) when python3-jsonschema is missing or
too old for draft 2020-12.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

from schema_support import parse_document, start


def tree_of(folder):
    files = {}
    for base, dirs, names in os.walk(folder):
        for name in dirs + names:
            path = os.path.join(base, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            if os.path.islink(path):
                files[relative] = "link"
            elif os.path.isfile(path):
                files[relative] = os.path.getsize(path)
    return files


def check(romscope, validator, image, scratch):
    problems = []
    out = os.path.join(scratch, "json")
    run = subprocess.run([romscope, "-extract=" + out, "-json", image], capture_output=True,
                         timeout=60)
    listing, found = parse_document(run.stdout, validator)
    problems += found
    if problems:
        return problems
    entries = listing["entries"]
    left_out = any(entry["status"] != "written" for entry in entries)
    if run.returncode != (1 if left_out or listing["error"] is not None else 0):
        problems.append("exit status %d does not fit the listing" % run.returncode)
    written = {entry["path"]: entry["size"] for entry in entries if entry["status"] == "written"}
    files = tree_of(out) if os.path.isdir(out) else {}
    if "link" in files.values():
        problems.append("a link in the folder")
    if files != written:
        problems.append("the folder does not hold what the listing says: %d files, %d written"
                        % (len(files), len(written)))
    for key, name in (("written", "written"), ("skipped", "skipped"), ("failed", "failed")):
        if listing[key] != sum(1 for entry in entries if entry["status"] == name):
            problems.append("the count %s does not fit the entries" % key)

    text_out = os.path.join(scratch, "text")
    run = subprocess.run([romscope, "-extract=" + text_out, image], capture_output=True,
                         timeout=60)
    lines = run.stdout.decode("utf-8").splitlines()
    heads = ["%s %s \"" % (entry["status"], entry["path"]) for entry in entries]
    if len(lines) != len(heads) or any(not line.startswith(head)
                                       for line, head in zip(lines, heads)):
        problems.append("the text listing does not give the same entries")
    return problems


def main():
    started = start(__doc__, sys.argv)
    if isinstance(started, int):
        return started
    romscope, schema_path, validator, images = started
    failed = 0
    scratch_root = tempfile.mkdtemp(prefix="romscope-extract-test-")
    try:
        for number, image in enumerate(images):
            scratch = os.path.join(scratch_root, str(number))
            os.mkdir(scratch)
            problems = check(romscope, validator, image, scratch)
            shutil.rmtree(scratch)
            if problems:
                failed += 1
                print("FAIL %s:\n  %s" % (image, "\n  ".join(problems[:10])))
        # A folder that is not empty is refused, and left as it was.
        busy = os.path.join(scratch_root, "busy")
        os.mkdir(busy)
        open(os.path.join(busy, "keep"), "w").close()
        run = subprocess.run([romscope, "-extract=" + busy, "-json", images[0]],
                             capture_output=True, timeout=60)
        listing = json.loads(run.stdout.decode("utf-8"))
        if run.returncode != 1 or listing["error"] is None or os.listdir(busy) != ["keep"]:
            failed += 1
            print("FAIL: a folder that is not empty was not refused")
        if list(validator.iter_errors(listing)):
            failed += 1
            print("FAIL: the refusal's listing does not satisfy the schema")
    finally:
        shutil.rmtree(scratch_root)
    print("%d listings checked against %s, %d failed" % (len(images) + 1, schema_path, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
