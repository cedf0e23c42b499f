#!/usr/bin/env python3
"""The schema compiler reports faults in a schema as file:line: message, never as a traceback,
and leaves the output directory alone; it follows xs:include, tells the build which files it
reads and writes, and writes the same text wherever it runs.

    test_codegen.py [BUILD_DIRECTORY]   with a Ninja build directory, its dependencies are checked
"""

import os
import shutil
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
    ('  <xs:include schemaLocation="missing.xsd"/>\n  <xs:element name="doc" type="xs:string"/>\n',
     5, "cannot include"),
    ('  <xs:complexType name="T">\n    <xs:sequence>\n'
     '      <xs:element name="a" b:className="c_x">\n        <xs:complexType/>\n      </xs:element>\n'
     '      <xs:element name="b" b:className="c_x">\n        <xs:complexType/>\n      </xs:element>\n'
     '    </xs:sequence>\n  </xs:complexType>\n  <xs:element name="doc" type="T"/>\n',
     10, "'c_x' is taken"),
    ('  <xs:complexType name="doc"/>\n  <xs:element name="doc" type="doc"/>\n',
     6, "would share the file"),
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


INCLUDING = HEADER.replace('b:rootFile="doc"', 'b:rootFile="doc" b:layout="per-type"') + """\
  <xs:include schemaLocation="parts/items.xsd"/>
  <xs:complexType name="T">
    <xs:sequence>
      <xs:element name="item" type="Item" maxOccurs="unbounded"/>
    </xs:sequence>
  </xs:complexType>
  <xs:element name="doc" type="T"/>
</xs:schema>
"""

ITEMS = """<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:include schemaLocation="../main.xsd"/>
  <xs:complexType name="Item">
    <xs:sequence>
      <xs:element name="name" type="xs:string"/>%s
    </xs:sequence>
  </xs:complexType>
</xs:schema>
"""


def generate(arguments, env=None):
    return subprocess.run([sys.executable, COMPILER] + arguments, capture_output=True, text=True,
                          env=env)


def check_includes():
    """An included file's types are generated, the file is listed as an input, and a change in
    it changes the output; files whose text is unchanged are not rewritten."""
    failures = []
    with tempfile.TemporaryDirectory() as directory:
        main_schema = os.path.join(directory, "main.xsd")
        items = os.path.join(directory, "parts", "items.xsd")
        os.makedirs(os.path.dirname(items))
        with open(main_schema, "w") as out:
            out.write(INCLUDING)
        with open(items, "w") as out:
            out.write(ITEMS % "")
        listing = generate(["--list", main_schema])
        outputs, inputs = (listing.stdout.splitlines() + ["", ""])[:2]
        if outputs.split(",") != ["t_lmx-fwd.h", "t_lmx-Item.h", "t_lmx-Item.cpp", "t_lmx-T.h",
                                  "t_lmx-T.cpp", "t_lmx-doc.h", "t_lmx-doc.cpp"]:
            failures.append(f"--list outputs: {listing.stdout}{listing.stderr}")
        if inputs.split(",") != [main_schema, items]:
            failures.append(f"--list inputs: {inputs}")
        output = os.path.join(directory, "out")
        first = generate([main_schema, output])
        header = os.path.join(output, "t_lmx-Item.h")
        untouched = os.path.join(output, "t_lmx-doc.cpp")
        if first.returncode != 0 or not os.path.exists(header):
            return failures + [f"including schema: {first.stderr}"]
        before = open(header).read()
        stamp = os.stat(untouched).st_mtime_ns
        with open(items, "w") as out:
            out.write(ITEMS % '\n      <xs:element name="size" type="xs:int"/>')
        generate([main_schema, output])
        if "get_size" in before or "get_size" not in open(header).read():
            failures.append("a change in the included file did not reach its class")
        if os.stat(untouched).st_mtime_ns != stamp:
            failures.append("an unchanged file was rewritten")
    return failures


def check_error_in_included_file():
    """A fault in an included file is reported with that file's name and line."""
    with tempfile.TemporaryDirectory() as directory:
        main_schema = os.path.join(directory, "main.xsd")
        items = os.path.join(directory, "parts", "items.xsd")
        os.makedirs(os.path.dirname(items))
        with open(main_schema, "w") as out:
            out.write(INCLUDING)
        with open(items, "w") as out:
            out.write(ITEMS % '\n      <xs:choice>\n        <xs:element name="flag" maxOccurs="2">'
                      '<xs:complexType/></xs:element>\n      </xs:choice>')
        result = generate([main_schema, os.path.join(directory, "out")])
        expected = f"{items}:8: option 'flag'"
        if result.returncode == 0 or not result.stderr.startswith(expected):
            return [f"expected '{expected}...', got exit {result.returncode}: {result.stderr}"]
    return []


def check_same_text_everywhere():
    """With or without clang-format on the path, the text is the same."""
    schema = os.path.join(os.path.dirname(os.path.abspath(__file__)), "schemas", "cycles.xsd")
    texts = []
    with tempfile.TemporaryDirectory() as directory:
        bare_path = os.path.join(directory, "bin")
        os.makedirs(bare_path)
        os.symlink(sys.executable, os.path.join(bare_path, "python3"))
        for index, path in enumerate([os.environ.get("PATH", ""), bare_path]):
            output = os.path.join(directory, str(index))
            generate([schema, output], env={**os.environ, "PATH": path})
            texts.append({name: open(os.path.join(output, name)).read()
                          for name in sorted(os.listdir(output))})
    if not texts[0] or texts[0] != texts[1]:
        return ["the output depends on the tools on the path"]
    return []


def check_single_file_cycles():
    """The classes of the cycles schema in one file come in an order that compiles."""
    compiler = shutil.which("c++")
    if compiler is None:
        return []
    schemas = os.path.join(os.path.dirname(os.path.abspath(__file__)), "schemas")
    with tempfile.TemporaryDirectory() as directory:
        for name in ("cycles.xsd", "cycles-menus.xsd"):
            text = open(os.path.join(schemas, name)).read()
            text = text.replace('b:file="cycles"', 'b:file="cycles" b:layout="single"')
            with open(os.path.join(directory, name), "w") as out:
                out.write(text)
        output = os.path.join(directory, "Generated")
        result = generate([os.path.join(directory, "cycles.xsd"), output])
        if result.returncode != 0:
            return [f"single-file cycles: {result.stderr}"]
        root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
        check = subprocess.run([compiler, "-std=c++17", "-fsyntax-only", f"-I{root}",
                                f"-I{directory}", os.path.join(output, "cycles.cpp")],
                               capture_output=True, text=True)
        if check.returncode != 0:
            return [f"single-file cycles do not compile: {check.stderr[:2000]}"]
    return []


def check_build_dependencies(build):
    """In a Ninja build, an included schema file is an input of the generation and of the
    configuration, so changing it regenerates and adding a type reconfigures."""
    ninja = shutil.which("ninja")
    if ninja is None or not os.path.exists(os.path.join(build, "build.ninja")):
        return []
    failures = []
    for target in ["cycles/Generated/cycles-Menu.h", "build.ninja"]:
        query = subprocess.run([ninja, "-C", build, "-t", "query", target], capture_output=True,
                               text=True)
        if "cycles-menus.xsd" not in query.stdout:
            failures.append(f"{target} does not depend on the included cycles-menus.xsd")
    return failures


def main():
    failures = (check_includes() + check_error_in_included_file() + check_same_text_everywhere()
                + check_single_file_cycles())
    if len(sys.argv) > 1:
        failures += check_build_dependencies(sys.argv[1])
    for failure in failures:
        print(f"FAIL: {failure}")
    failures = len(failures)
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
    print(f"{failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
