"""Reads a schema file into a small tree of nodes that remember their file and line.

xml.etree forgets line numbers, and every error in a schema must be reported with its place, so
the tree is built from SAX events.
"""

import xml.sax
import xml.sax.handler

XS = "http://www.w3.org/2001/XMLSchema"
BINDING = "http://www.dravik.example/schemas/binding"


class SchemaError(Exception):
    """A fault in a schema, reported as file:line: message."""

    def __init__(self, file_name, line, message):
        super().__init__(f"{file_name}:{line}: {message}")
        self.file_name = file_name
        self.line = line
        self.message = message


class Node:
    def __init__(self, namespace, tag, attributes, file_name, line):
        self.namespace = namespace
        self.tag = tag
        self.attributes = attributes  # {(namespace or "", local name): value}
        self.children = []
        self.file_name = file_name
        self.line = line

    def is_xs(self, tag):
        return self.namespace == XS and self.tag == tag

    def xs_children(self, *tags):
        return [c for c in self.children if c.namespace == XS and (not tags or c.tag in tags)]

    def get(self, name, default=None):
        return self.attributes.get(("", name), default)

    def binding(self, name, default=None):
        return self.attributes.get((BINDING, name), default)

    def error(self, message):
        return SchemaError(self.file_name, self.line, message)

    def require(self, name):
        value = self.get(name)
        if value is None:
            raise self.error(f"xs:{self.tag} needs a '{name}' attribute")
        return value


class _TreeBuilder(xml.sax.handler.ContentHandler):
    def __init__(self, file_name):
        super().__init__()
        self.file_name = file_name
        self.locator = None
        self.stack = []
        self.root = None

    def setDocumentLocator(self, locator):
        self.locator = locator

    def startElementNS(self, name, qname, attrs):
        namespace, tag = name
        attributes = {(ns or "", local): value for (ns, local), value in attrs.items()}
        node = Node(namespace, tag, attributes, self.file_name, self.locator.getLineNumber())
        if self.stack:
            self.stack[-1].children.append(node)
        else:
            self.root = node
        self.stack.append(node)

    def endElementNS(self, name, qname):
        self.stack.pop()


def read_schema_tree(file_name, included_by=None):
    """The root node of the schema document; malformed XML is a SchemaError. A file that cannot be
    read is reported at the xs:include that names it, when there is one."""
    parser = xml.sax.make_parser()
    parser.setFeature(xml.sax.handler.feature_namespaces, True)
    builder = _TreeBuilder(file_name)
    parser.setContentHandler(builder)
    try:
        with open(file_name, "rb") as stream:
            parser.parse(stream)
    except xml.sax.SAXParseException as error:
        raise SchemaError(file_name, error.getLineNumber(), error.getMessage()) from None
    except OSError as error:
        reason = error.strerror or str(error)
        if included_by is not None:
            raise included_by.error(f"cannot include '{file_name}': {reason}") from None
        raise SchemaError(file_name, 0, reason) from None
    root = builder.root
    if not root.is_xs("schema"):
        raise root.error("the document element is not xs:schema")
    return root
