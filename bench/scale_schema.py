#!/usr/bin/env python3
"""Writes a schema of many types that hold one another, to measure the compiler and the build.

    scale_schema.py OUTPUT_DIRECTORY [--types N] [--files K] [--acyclic]

scale.xsd declares a global element for every fifth type and includes K area files that hold the
types T0 ... T(N-1). Each type has a nested local class, so N types give about 2.2 N classes.
Types hold their successor in groups of three (T0 -> T1 -> T2 -> T0) and a list of the type five
places on. Every fourth type is an xs:all group and every seventh a choice; the others are
sequences with attributes, optional items, bounded and unbounded lists. With --acyclic every
reference points forward and everything is in scale.xsd, which a compiler without cycles or
xs:include can read too.
"""

import argparse
import os

HEADER = """<?xml version="1.0" encoding="UTF-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"%s>
"""

BINDING = ('\n           xmlns:b="http://www.dravik.example/schemas/binding"'
           '\n           b:namespace="scale_lmx" b:file="scale"')


def successor(index, count, acyclic):
    if acyclic:
        return index + 1 if index + 1 < count else None
    return index + 1 if index % 3 != 2 and index + 1 < count else index - index % 3


def forward(index, count, acyclic):
    if acyclic:
        return index + 5 if index + 5 < count else None
    return (index + 5) % count


def type_text(index, count, acyclic):
    following = successor(index, count, acyclic)
    listed = forward(index, count, acyclic)
    if index % 7 == 6:
        options = '      <xs:element name="name" type="xs:string"/>\n'
        if following is not None:
            options += f'      <xs:element name="next" type="T{following}"/>\n'
        return (f'  <xs:complexType name="T{index}">\n    <xs:choice>\n{options}'
                '      <xs:element name="count" type="xs:int"/>\n'
                '    </xs:choice>\n  </xs:complexType>\n')
    if index % 4 == 3:
        members = ('      <xs:element name="name" type="xs:string"/>\n'
                   '      <xs:element name="count" type="xs:int" minOccurs="0"/>\n')
        if following is not None:
            members += f'      <xs:element name="next" type="T{following}" minOccurs="0"/>\n'
        return (f'  <xs:complexType name="T{index}">\n    <xs:all>\n{members}'
                '    </xs:all>\n  </xs:complexType>\n')
    items = ('      <xs:element name="name" type="xs:string"/>\n'
             '      <xs:element name="count" type="xs:int" minOccurs="0"/>\n')
    if following is not None:
        items += f'      <xs:element name="next" type="T{following}" minOccurs="0"/>\n'
    if listed is not None:
        items += (f'      <xs:element name="items" type="T{listed}" minOccurs="0"'
                  ' maxOccurs="unbounded"/>\n')
    items += ('      <xs:element name="detail" minOccurs="0">\n'
              '        <xs:complexType>\n'
              '          <xs:sequence>\n'
              '            <xs:element name="when" type="xs:dateTime" minOccurs="0"/>\n'
              '            <xs:element name="note" type="xs:string" minOccurs="0" maxOccurs="4"/>\n'
              '          </xs:sequence>\n'
              '          <xs:attribute name="level" type="xs:int"/>\n'
              '        </xs:complexType>\n'
              '      </xs:element>\n')
    return (f'  <xs:complexType name="T{index}">\n    <xs:sequence>\n{items}    </xs:sequence>\n'
            '    <xs:attribute name="id" type="xs:int" use="required"/>\n'
            '  </xs:complexType>\n')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--types", type=int, default=90)
    parser.add_argument("--files", type=int, default=4)
    parser.add_argument("--acyclic", action="store_true")
    options = parser.parse_args()
    count = options.types
    os.makedirs(options.output, exist_ok=True)
    types = [type_text(i, count, options.acyclic) for i in range(count)]
    elements = "".join(f'  <xs:element name="E{i}" type="T{i}"/>\n' for i in range(0, count, 5))
    body = ""
    if options.acyclic:
        body = "".join(types)
    else:
        per_file = -(-count // options.files)
        for area in range(options.files):
            name = f"scale-area{area}.xsd"
            body += f'  <xs:include schemaLocation="{name}"/>\n'
            text = HEADER % "" + "".join(types[area * per_file:(area + 1) * per_file])
            write(os.path.join(options.output, name), text + "</xs:schema>\n")
    write(os.path.join(options.output, "scale.xsd"),
          HEADER % BINDING + body + elements + "</xs:schema>\n")


def write(path, text):
    """Leaves an unchanged file alone, so that configuring again rebuilds nothing."""
    if os.path.exists(path) and open(path).read() == text:
        return
    with open(path, "w") as out:
        out.write(text)


if __name__ == "__main__":
    main()
