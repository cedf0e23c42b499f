#!/usr/bin/env python3
"""The schema compiler reports faults in a schema as file:line: message, never as a traceback,
and leaves the output directory alone."""

import os
import subprocess
import sys
import tempfile

COMPILER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "codegen", "lmxgen.py")

HEADER = ('<?xml version="1.0"?>\n'
          '<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"\n'
          '           xmlns:b="http://www.dravik.example/schemas/binding" b:namespace="t_lmx"\n'
          '           b:rootFile="doc">\n')

CASES = [
    # (schema body, line of the fault, words the message must hold)
    ('  <xs:complexType name="T">\n    <xs:sequence>\n      <xs:element name="a" type="Missing"/>\n'
     '    </xs:sequence>\n  </xs:complexType>\n  <xs:element name="doc" type="T"/>\n',
     7, "Missing"),
    ('  <xs:complexType name="T">\n    <xs:sequence>\n'
     '      <xs:element name="a" type="xs:int" minOccurs="2" maxOccurs="1"/>\n'
     '    </xs:sequence>\n  </xs:complexType>\n  <xs:element name="doc" type="T"/>\n',
     7, "maxOccurs"),
    ('  <xs:complexType name="T">\n    <xs:sequence>\n      <xs:group ref="G"/>\n'
     '    </xs:sequence>\n  </xs:complexType>\n  <xs:element name="doc" type="T"/>\n',
     7, "model group 'G'"),
    ('  <xs:complexType name="T">\n    <xs:sequence>\n      <xs:element name="a" type="xs:int">\n'
     '    </xs:sequence>\n  </xs:complexType>\n', 8, "mismatched"),
    ('  <xs:complexType name="T"/>\n  <xs:complexType name="T"/>\n  <xs:element name="doc" type="T"/>\n',
     6, "twice"),
    ('  <xs:complexType name="T">\n    <xs:sequence>\n      <xs:element ref="Nowhere"/>\n'
     '    </xs:sequence>\n  </xs:complexType>\n  <xs:element name="doc" type="T"/>\n',
     7, "Nowhere"),
    ('  <xs:simpleType name="E">\n    <xs:restriction base="xs:string">\n'
     '      <xs:enumeration value="a" b:code="3"/>\n      <xs:enumeration value="b" b:code="3"/>\n'
     '    </xs:restriction>\n  </xs:simpleType>\n  <xs:complexType name="T">\n'
     '    <xs:attribute name="e" type="E"/>\n  </xs:complexType>\n  <xs:element name="doc" type="T"/>\n',
     8, "already the code of 'a'"),
]


def run(schema_text):
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "broken.xsd")
        with open(path, "w") as out:
            out.write(schema_text)
        output = os.path.join(directory, "out")
        result = subprocess.run([sys.executable, COMPILER, path, output], capture_output=True,
                                text=True)
        return path, result, os.path.exists(output)


def main():
    failures = 0
    for body, line, words in CASES:
        path, result, wrote = run(HEADER + body + "</xs:schema>\n")
        message = result.stderr.strip()
        expected = f"{path}:{line}: "
        if (result.returncode == 0 or "Traceback" in result.stderr or wrote
                or not message.startswith(expected) or words not in message):
            print(f"FAIL: expected '{expected}...{words}...', exit 1; got exit "
                  f"{result.returncode}: {result.stderr}")
            failures += 1
    path, result, _ = run("")
    if result.returncode == 0 or "Traceback" in result.stderr or path not in result.stderr:
        print(f"FAIL: an empty schema file: {result.stderr}")
        failures += 1
    print(f"{len(CASES) + 1 - failures} of {len(CASES) + 1} passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
