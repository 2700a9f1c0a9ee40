"""What the schema tests share: the validator, the images named on the command
line, and the checks that every document of ours must pass."""
import json
import os

SKIPPED = 77  # the exit status that tells CTest a test was skipped


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


def parse_document(text, validator):
    """The document in `text` and its problems: it must be one line of UTF-8
    ending in its one line break, hold no object with a member name twice and
    no integer beyond 2^53, and satisfy the schema. None when it does not
    parse."""
    problems = []
    if not text.endswith(b"\n") or text.count(b"\n") != 1:
        problems.append("not one line ending in its line break")
    try:
        document = json.loads(text.decode("utf-8"), object_pairs_hook=unique_members)
    except ValueError as error:
        return None, problems + ["not a JSON document in UTF-8: %s" % error]
    problems += ["integer beyond 2^53 at " + path for path in large_integers(document)]
    for error in validator.iter_errors(document):
        where = "/".join(str(part) for part in error.absolute_path)
        problems.append("schema: %s at /%s" % (error.message[:200], where))
    return document, problems


def load_validator(schema_path):
    """The draft 2020-12 validator of the schema; None, with the reason
    printed, when python3-jsonschema is missing or too old for it."""
    try:
        import jsonschema
    except ImportError:
        print("skipped: python3-jsonschema is not installed (Debian: apt-get install "
              "python3-jsonschema)")
        return None
    if not hasattr(jsonschema, "Draft202012Validator"):
        print("skipped: python3-jsonschema %s has no draft 2020-12 validator"
              % getattr(jsonschema, "__version__", "(unknown version)"))
        return None
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    jsonschema.Draft202012Validator.check_schema(schema)
    return jsonschema.Draft202012Validator(schema)


def images_named(names):
    """The files named, and the files in each folder named, in name order."""
    images = []
    for name in names:
        if os.path.isdir(name):
            images += sorted(os.path.join(name, entry) for entry in os.listdir(name))
        else:
            images.append(name)
    return images


def start(usage, argv):
    """The command line of a schema test, ROMSCOPE SCHEMA IMAGE_OR_FOLDER...:
    (romscope, schema path, validator, images), or the exit status when the
    test cannot run (2 with the usage printed, or SKIPPED)."""
    if len(argv) < 4:
        print(usage)
        return 2
    validator = load_validator(argv[2])
    if validator is None:
        return SKIPPED
    return argv[1], argv[2], validator, images_named(argv[3:])


def run_cases(romscope, schema_path, validator, cases, check):
    """Checks each case, a tuple of arguments for check(romscope, validator,
    ...), prints the failures and a total; the test's exit status."""
    failed = 0
    for case in cases:
        problems = check(romscope, validator, *case)
        if problems:
            failed += 1
            print("FAIL %s:\n  %s" % (" ".join(map(str, case)), "\n  ".join(problems[:10])))
    print("%d documents checked against %s, %d failed" % (len(cases), schema_path, failed))
    return 1 if failed else 0
