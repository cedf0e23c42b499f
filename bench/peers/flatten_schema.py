"""Writes a schema with every xs:include replaced by the included file's content, for C++/Tree,
which compiles each schema file on its own and so cannot compile area files that use one
another's types without including one another.

usage: flatten_schema.py SCHEMA OUTPUT"""

import os
import re
import sys


def schema_content(path):
    text = open(path, encoding="utf-8").read()
    start = re.search(r"<xs:schema\b[^>]*>", text).end()
    return text[start:text.rindex("</xs:schema>")]


def main(schema, output):
    folder = os.path.dirname(schema)
    text = open(schema, encoding="utf-8").read()
    text = re.sub(r'<xs:include\s+schemaLocation="([^"]+)"\s*/>',
                  lambda match: schema_content(os.path.join(folder, match.group(1))), text)
    with open(output, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
