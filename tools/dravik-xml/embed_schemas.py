#!/usr/bin/env python3
"""Writes a C++ source that holds each schema as one self-contained XSD text, with the facts that
document recognition needs (target namespace, global element names, parse mode).

Usage: embed_schemas.py OUTPUT.cpp NAME=PATH...

xs:include is resolved by pasting the included schema's content in place of the include, so the
printed text validates without the other files beside it.
"""
import re
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

XS = "{http://www.w3.org/2001/XMLSchema}"
BINDING = "{http://www.dravik.example/schemas/binding}"
SCHEMA_START = re.compile(r"<xs:schema\b[^>]*>")
INCLUDE = re.compile(r'[ \t]*<xs:include\s+schemaLocation="([^"]+)"\s*/>[ \t]*\n?')
DELIMITER = "xsd"


def schema_body(text, path):
    """The content between the xs:schema start tag and its end tag."""
    start = SCHEMA_START.search(text)
    end = text.rfind("</xs:schema>")
    if not start or end < 0:
        sys.exit(f"{path}: no xs:schema element")
    return text[start.end():end]


def inline_includes(path):
    text = path.read_text(encoding="utf-8")

    def paste(match):
        included = path.parent / match.group(1)
        return schema_body(inline_includes(included), included).strip("\n") + "\n"

    return INCLUDE.sub(paste, text)


def global_elements(path):
    """Names of the global elements of the schema and of the schemas it includes, in order."""
    root = ElementTree.parse(path).getroot()
    names = []
    for child in root:
        if child.tag == XS + "include":
            names += global_elements(path.parent / child.get("schemaLocation"))
        elif child.tag == XS + "element":
            names.append(child.get("name"))
    return names


def cxx_string(text):
    if ")" + DELIMITER + '"' in text:
        sys.exit("a schema contains the raw string delimiter")
    return f'R"{DELIMITER}({text}){DELIMITER}"'


def describe(name, path):
    root = ElementTree.parse(path).getroot()
    elements = ", ".join(f'"{element}"' for element in global_elements(path))
    lenient = "true" if root.get(BINDING + "parsing") == "lenient" else "false"
    return (f"constexpr std::string_view k_{name}_elements[] = {{{elements}}};\n",
            f'    {{"{name}", "{root.get("targetNamespace", "")}", {lenient}, k_{name}_elements,\n'
            f"     std::size(k_{name}_elements), {cxx_string(inline_includes(path))}}},\n")


def main():
    output = Path(sys.argv[1])
    arrays, rows = [], []
    for argument in sys.argv[2:]:
        name, path = argument.split("=", 1)
        array, row = describe(name, Path(path))
        arrays.append(array)
        rows.append(row)
    output.write_text(
        "// Written by embed_schemas.py from the schemas; do not edit.\n"
        '#include "embedded_schemas.h"\n\n'
        "#include <iterator>\n\n"
        "namespace dravik_xml {\n"
        "namespace {\n" + "".join(arrays) + "\n"
        "constexpr embedded_schema k_schemas[] = {\n" + "".join(rows) + "};\n"
        "}  // namespace\n\n"
        "const embedded_schema* embedded_schemas_begin() { return std::begin(k_schemas); }\n"
        "const embedded_schema* embedded_schemas_end() { return std::end(k_schemas); }\n"
        "}  // namespace dravik_xml\n",
        encoding="utf-8")


if __name__ == "__main__":
    main()
