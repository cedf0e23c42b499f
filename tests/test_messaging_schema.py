#!/usr/bin/env python3
"""The messaging schema compiles under xmllint, accepts every realistic document in
tests/data/messaging/valid and rejects every broken one in tests/data/messaging/invalid."""

import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SCHEMA = ROOT / "schemas" / "dravik.xsd"
DOCUMENTS = ROOT / "tests" / "data" / "messaging"


def validates(document):
    result = subprocess.run(["xmllint", "--noout", "--schema", str(SCHEMA), str(document)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return result.returncode == 0, result.stderr


def main():
    failures = []
    valid = sorted((DOCUMENTS / "valid").glob("*.xml"))
    invalid = sorted((DOCUMENTS / "invalid").glob("*.xml"))
    if not valid or not invalid:
        failures.append("no documents found under " + str(DOCUMENTS))
    for document in valid:
        ok, errors = validates(document)
        if not ok:
            failures.append("rejected: %s\n%s" % (document.name, errors))
    for document in invalid:
        ok, _ = validates(document)
        if ok:
            failures.append("accepted: " + document.name)
    for failure in failures:
        print(failure)
    print("%d valid and %d invalid documents checked, %d failures"
          % (len(valid), len(invalid), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
