"""The schema model: what a schema says about its bound classes, with nothing about C++ syntax.

build_schema() turns the node tree of an XSD file (with its binding annotations) into plain
records: classes, their items, content models, occurrences, value types, defaults, fixed values,
enumerations, raw-text items and event codes. The emitters only print these records.
"""

import os
import re
from dataclasses import dataclass, field
from typing import List, Optional

from xsd_reader import SchemaError, read_schema_tree

UNBOUNDED = None

# The first event code that a namespace's name tables may use.
FIRST_TABLE_EVENT = 12


@dataclass
class ValueType:
    kind: str  # wstring, string, raw, bool, int, unsigned, long, double, empty
    cpp: str
    whitespace: str  # the reader's whitespace mode for the text
    by_reference: bool
    header: str = ""  # the runtime header of a value class


def _value_class(cpp, header):
    return ValueType("value_class", cpp, "ELMX_WS_COLLAPSE", True, header)


VALUE_TYPES = {
    "wstring": ValueType("wstring", "std::wstring", "ELMX_WS_PRESERVE", True),
    "uri": ValueType("wstring", "std::wstring", "ELMX_WS_COLLAPSE", True),
    "raw": ValueType("raw", "std::string", "ELMX_WS_PRESERVE", True),
    "bool": ValueType("bool", "bool", "ELMX_WS_COLLAPSE", False),
    "int": ValueType("int", "int", "ELMX_WS_COLLAPSE", False),
    "unsigned": ValueType("unsigned", "unsigned int", "ELMX_WS_COLLAPSE", False),
    "long": ValueType("long", "long long", "ELMX_WS_COLLAPSE", False),
    "double": ValueType("double", "double", "ELMX_WS_COLLAPSE", False),
    "empty": ValueType("empty", "", "ELMX_WS_COLLAPSE", False),
    "big_int": _value_class("lmx::c_big_int", "lmx/values/big_numbers.h"),
    "decimal": _value_class("lmx::c_decimal", "lmx/values/big_numbers.h"),
    "duration": _value_class("lmx::c_duration", "lmx/values/datetime.h"),
    "datetime": _value_class("lmx::c_datetime", "lmx/values/datetime.h"),
    "date": _value_class("lmx::c_date", "lmx/values/datetime.h"),
    "time": _value_class("lmx::c_time", "lmx/values/datetime.h"),
    "binary": _value_class("lmx::c_binary", "lmx/values/binary.h"),
}

BUILTIN_TYPES = {
    "string": "wstring",
    "normalizedString": "wstring",
    "token": "wstring",
    "anyURI": "uri",
    "boolean": "bool",
    "int": "int",
    "unsignedInt": "unsigned",
    "long": "long",
    "double": "double",
    "float": "double",
    "integer": "big_int",
    "nonNegativeInteger": "big_int",
    "positiveInteger": "big_int",
    "decimal": "decimal",
    "duration": "duration",
    "dateTime": "datetime",
    "date": "date",
    "time": "time",
    "base64Binary": "binary",
}


@dataclass
class Item:
    name: str  # the XML name, also the accessor stem
    form: str  # attribute, element, group, option, all, text (simple content)
    occurs: str  # required, optional, list
    min_occurs: int = 1
    max_occurs: Optional[int] = 1
    value: Optional[ValueType] = None  # simple items
    cls: Optional["BoundClass"] = None  # complex items and group references
    default: Optional[str] = None
    fixed: Optional[str] = None
    enumeration: List[str] = field(default_factory=list)
    enum_codes: List[int] = field(default_factory=list)  # the elmx_enums code of each literal
    enum_names: List[str] = field(default_factory=list)  # the enumerator of each literal
    event: Optional[int] = None
    ns_id: int = 1
    untested: bool = False  # a required item that is_occurs_ok leaves to the parse
    owned: bool = False  # a complex single item held through an owned pointer: it closes a cycle
    # A text item whose default every object shares until its value is set.
    shared_default: bool = False
    # A complex item whose objects can nest to any depth: its class is recursive, so its owner
    # copies and drops it through the runtime's work piles.
    deep: bool = False
    line: int = 0
    source: str = ""  # the schema file that declares the item

    def error(self, message):
        return SchemaError(self.source, self.line, message)

    @property
    def is_simple(self):
        return self.value is not None

    @property
    def by_value(self):
        """A complex single item embedded in its owner, whose definition the owner needs."""
        return (self.cls is not None and self.form in ("element", "all")
                and self.occurs != "list" and not self.owned)


@dataclass
class BoundClass:
    cpp_name: str  # c_property_2
    schema_name: str  # the name in error reports: the type's, or the element's for anonymous types
    kind: str  # type, element, local, group, root (the choice over the global elements)
    content: str  # sequence, all, choice, simple
    attributes: List[Item] = field(default_factory=list)
    items: List[Item] = field(default_factory=list)
    nested: List["BoundClass"] = field(default_factory=list)
    outer: Optional["BoundClass"] = None
    base: Optional["BoundClass"] = None  # a global element's named type
    element_name: Optional[str] = None  # global elements
    file_stem: str = ""  # the top-level type whose source file holds the class
    content_optional: bool = False
    empty_allowed: bool = False  # an empty element is accepted although the content is required
    line: int = 0
    source: str = ""  # the schema file that declares the class
    # Top-level classes only, decided once the whole schema is read: the top-level classes whose
    # definitions this class's header needs, and every top-level class its source file uses.
    needs_complete: List["BoundClass"] = field(default_factory=list)
    uses: List["BoundClass"] = field(default_factory=list)
    file: str = ""  # top-level classes: the name of the class's header and source file
    file_id: str = ""  # an identifier unique to that file, for its file-level names
    # Its objects may hold objects of its own class at any depth, so copying and destroying them
    # must not recurse through the tree.
    recursive: bool = False

    @property
    def qualified(self):
        return f"{self.outer.qualified}::{self.cpp_name}" if self.outer else self.cpp_name

    @property
    def flat_name(self):
        return self.qualified.replace("::", "_")

    @property
    def top(self):
        return self.outer.top if self.outer else self

    def nest(self):
        """The class and every class nested in it, outermost first."""
        yield self
        for nested in self.nested:
            yield from nested.nest()


@dataclass
class Schema:
    file_name: str
    namespace: str  # the C++ namespace
    file_prefix: str  # Generated/<prefix>-<Type>
    root_file: Optional[str]  # the global element that is the document root; None: a c_root choice
    single_file: bool  # every class in Generated/<prefix>.h/.cpp instead of one pair per type
    strict: bool
    target_namespace: Optional[str]
    ns_id: int  # namespace id of the schema's elements: 1000, or 1 without a target namespace
    classes: List[BoundClass] = field(default_factory=list)  # top-level, in generation order
    files: List[str] = field(default_factory=list)  # the schema file and every file it includes
    elements: List[BoundClass] = field(default_factory=list)  # global elements
    enum_constants: List[tuple] = field(default_factory=list)  # (enumerator, literal, code)


class _Builder:
    def __init__(self, root):
        self.root = root
        self.types = {}
        self.groups = {}
        self.simple_types = {}
        self.class_of = {}  # schema node id -> class
        self.filled = set()
        self.enum_of = {}  # ids of the nodes whose classes have their items
        self.taken_names = set()
        self.pinned_names = set()
        self.events = {}
        self.next_event = int(root.binding("firstEvent", FIRST_TABLE_EVENT))
        self.qualified_locals = root.get("elementFormDefault") == "qualified"
        self.global_elements = {}

    def error(self, node, message):
        return node.error(message)

    def build(self):
        root = self.root
        namespace = root.binding("namespace")
        if not namespace:
            raise root.error("xs:schema needs the binding attribute 'namespace'")
        prefix = root.binding("file", namespace)
        parsing = root.binding("parsing", "lenient")
        if parsing not in ("strict", "lenient"):
            raise root.error(f"parsing must be 'strict' or 'lenient', not '{parsing}'")
        layout = root.binding("layout", "per-type")
        if layout not in ("single", "per-type"):
            raise root.error(f"layout must be 'single' or 'per-type', not '{layout}'")
        target = root.get("targetNamespace")
        schema = Schema(root.file_name, namespace, prefix, root.binding("rootFile"),
                        layout == "single", parsing == "strict", target, 1000 if target else 1)
        self.schema = schema
        top_level = self.top_level_nodes(root, schema.files)
        for node in top_level:
            if node.tag in ("complexType", "group", "simpleType", "element"):
                name = node.require("name")
                table = {"complexType": self.types, "group": self.groups,
                         "simpleType": self.simple_types, "element": self.global_elements}[node.tag]
                if name in table:
                    raise node.error(f"'{name}' is defined twice")
                table[name] = node
            elif node.tag not in ("annotation", "import", "attribute"):
                raise node.error(f"xs:{node.tag} is not supported at the top level yet")
        components = self.in_root_order(
            [n for n in top_level if n.tag in ("complexType", "group", "element")])
        for node in components:
            self.taken_names.add(f"c_{node.require('name')}")
        for node in components:
            self.reserve_pinned_names(node)
        for node in components:
            schema.classes.append(self.top_level_class(node))
        if schema.root_file is None:
            schema.classes.append(self.root_class())
        decide_storage(schema)
        share_defaults(schema)
        mark_recursive(schema)
        assign_files(schema)
        return schema

    def in_root_order(self, components):
        """The global elements that carry b:rootIndex first, in that order, then the rest in
        document order: the index fixes the root's option order and the event codes of the names,
        whichever included file declares the element."""
        indexed = {}
        for node in components:
            index = node.binding("rootIndex")
            if index is None:
                continue
            if node.tag != "element":
                raise node.error("b:rootIndex belongs on global elements")
            if not index.isdigit() or int(index) in indexed:
                raise node.error(f"b:rootIndex '{index}' is not a new number")
            indexed[int(index)] = node
        if not indexed:
            return components
        elements = [n for n in components if n.tag == "element"]
        if sorted(indexed) != list(range(len(elements))):
            raise self.root.error("b:rootIndex must number every global element from 0")
        ordered = [indexed[i] for i in range(len(indexed))]
        return ordered + [n for n in components if n.tag != "element"]

    def top_level_nodes(self, document, files):
        """The top-level components of a schema document, with those of each xs:include'd
        document in its place; every file read goes to files once."""
        files.append(document.file_name)
        nodes = []
        for node in document.xs_children():
            if node.tag != "include":
                nodes.append(node)
                continue
            location = node.require("schemaLocation")
            path = os.path.normpath(os.path.join(os.path.dirname(document.file_name), location))
            if path in files:
                continue
            included = read_schema_tree(path, node)
            namespace = included.get("targetNamespace")
            if namespace is not None and namespace != self.root.get("targetNamespace"):
                raise node.error(f"'{location}' has another target namespace")
            nodes.extend(self.top_level_nodes(included, files))
        return nodes

    def root_class(self):
        """The document root of a schema with several global elements: a choice whose options are
        the global elements in schema order, each held as its class (a named type's class for an
        element of a named type)."""
        root = BoundClass("c_root", "root", "root", "choice", file_stem="", line=self.root.line,
                         source=self.root.file_name)
        for element in self.schema.elements:
            held = element.base or element
            item = Item(element.element_name, "option", "required", cls=held,
                        line=element.line, source=element.source,
                        ns_id=self.schema.ns_id,
                        event=self.event_for(element.element_name, self.schema.ns_id))
            root.items.append(item)
        if not root.items:
            raise self.root.error("a document root needs at least one global element")
        return root

    def top_level_class(self, node):
        name = node.require("name")
        if node.tag == "complexType":
            return self.complex_class(node, f"c_{name}", name, "type", None, name)
        if node.tag == "group":
            return self.group_class(node, name)
        return self.global_element_class(node, name)

    def global_element_class(self, node, name):
        # The element's name takes its event code before the names inside its anonymous type.
        self.event_for(name, self.schema.ns_id)
        type_name = node.get("type")
        if type_name:
            base = self.named_type_class(node, type_name)
            if base is None:
                raise node.error(f"global element '{name}' must have a complex type")
            cls = BoundClass(f"c_{name}", base.schema_name, "element", base.content,
                             base=base, element_name=name, file_stem=name, line=node.line,
                             source=node.file_name)
        else:
            cls = self.anonymous_element_class(node, name)
            self.complex_class(self.single(node, "complexType"), f"c_{name}", name, "element",
                               None, name)
        self.schema.elements.append(cls)
        return cls

    def anonymous_element_class(self, node, name):
        """The class of a global element with an anonymous type, made before its turn when an
        element reference meets it first."""
        complex_type = self.single(node, "complexType")
        cls = self.shell(complex_type, name, "element", "sequence")
        cls.element_name = name
        return cls

    def referenced_element(self, node):
        """The class that a global element reference holds: the element's own class, or its named
        type's class."""
        name = node.require("ref").split(":")[-1]
        if name not in self.global_elements:
            raise node.error(f"unknown global element '{name}'")
        element = self.global_elements[name]
        type_name = element.get("type")
        if type_name:
            held = self.named_type_class(element, type_name)
            if held is None:
                raise node.error(f"global element '{name}' must have a complex type")
            return name, held
        return name, self.anonymous_element_class(element, name)

    def named_type_class(self, node, type_name):
        """The class of a named complex type, or None for a simple type. A type met before its
        turn gets its class record now and its items at its turn, so event codes follow the
        schema's document order."""
        local = type_name.split(":")[-1]
        if local not in self.types:
            return None
        return self.shell(self.types[local], local, "type", "sequence")

    def shell(self, node, name, kind, content):
        key = id(node)
        if key not in self.class_of:
            self.class_of[key] = BoundClass(f"c_{name}", name, kind, content, file_stem=name,
                                            line=node.line, source=node.file_name)
        return self.class_of[key]

    def group_class(self, node, name):
        cls = self.shell(node, name, "group", "choice")
        if id(node) in self.filled:
            return cls
        self.filled.add(id(node))
        model = self.single(node, "choice", "sequence", "all")
        if model.is_xs("all"):
            raise model.error("model groups that are xs:all are not supported yet")
        cls.content = model.tag
        if model.is_xs("choice"):
            self.options(model, cls)
        else:
            self.particles(model, cls)
        return cls

    def complex_class(self, node, cpp_name, schema_name, kind, outer, file_stem):
        key = id(node)
        if key in self.filled:
            return self.class_of[key]
        self.filled.add(key)
        cls = self.class_of.get(key)
        if cls is None:
            cls = BoundClass(cpp_name, schema_name, kind, "sequence", outer=outer,
                             file_stem=file_stem, line=node.line, source=node.file_name)
            self.class_of[key] = cls
        cls.empty_allowed = node.binding("mayBeEmpty") == "true"
        simple_content = node.xs_children("simpleContent")
        if simple_content:
            self.simple_content(simple_content[0], cls)
            return cls
        # Attributes first: they come before the content in the element and in the name tables.
        for child in node.xs_children("attribute"):
            cls.attributes.append(self.attribute_item(child))
        for child in node.xs_children():
            if child.tag in ("annotation", "attribute"):
                continue
            elif child.tag in ("sequence", "all", "choice"):
                self.content(child, cls)
            elif child.tag == "group":
                cls.items.append(self.group_item(child))
            else:
                raise child.error(f"xs:{child.tag} in a complex type is not supported yet")
        return cls

    def simple_content(self, node, cls):
        """A text with attributes: the text is an item named after the class's schema name."""
        extension = self.single(node, "extension")
        for child in extension.xs_children("attribute"):
            cls.attributes.append(self.attribute_item(child))
        cls.content = "simple"
        optional = extension.binding("optionalText") == "true"
        text = Item(cls.schema_name, "text", "optional" if optional else "required",
                    min_occurs=0 if optional else 1, line=extension.line,
                    source=extension.file_name)
        self.simple_value(extension, text, extension.require("base"))
        if text.value.kind in ("raw", "empty"):
            raise extension.error("simple content must have a simple type")
        cls.items.append(text)

    def content(self, node, cls):
        cls.content = node.tag
        cls.content_optional = node.get("minOccurs", "1") == "0"
        if node.tag == "choice":
            self.options(node, cls)
            return
        self.particles(node, cls)
        if node.tag == "all":
            for item in cls.items:
                if item.form != "element" or item.occurs == "list":
                    raise node.error(f"'{item.name}': xs:all holds single elements only")
                item.form = "all"

    def particles(self, node, cls):
        """The items of a sequence or xs:all: elements, model-group references and choices."""
        for particle in node.xs_children():
            if particle.tag == "element":
                cls.items.append(self.element_item(particle, cls))
            elif particle.tag == "group":
                cls.items.append(self.group_item(particle))
            elif particle.tag == "choice" and node.tag == "sequence":
                cls.items.append(self.choice_item(particle, cls))
            elif particle.tag != "annotation":
                raise particle.error(f"xs:{particle.tag} inside xs:{node.tag} is not supported yet")

    def options(self, node, cls):
        for option in node.xs_children():
            if option.tag == "element":
                cls.items.append(self.option_item(option, cls))
            elif option.tag != "annotation":
                raise option.error(f"xs:{option.tag} as a choice option is not supported yet")
        # An option that may be absent lets the whole choice be absent.
        if any(item.min_occurs == 0 for item in cls.items):
            cls.content_optional = True

    def choice_item(self, node, owner):
        """A choice inside a sequence: an item holding a nested model-group class, named after
        b:name (default "choice"), whose options are parsed and written in the owner's content."""
        name = node.binding("name", "choice")
        group = BoundClass(self.nested_name(name, node), name, "group", "choice", outer=owner,
                           file_stem=owner_file(owner), line=node.line, source=node.file_name)
        self.options(node, group)
        owner.nested.append(group)
        item = Item(name, "group", "required", cls=group, line=node.line, source=node.file_name)
        self.occurs(node, item)
        if group.content_optional and item.occurs == "required":
            item.occurs, item.min_occurs = "optional", 0
        return item

    def occurs(self, node, item):
        low = node.get("minOccurs", "1")
        high = node.get("maxOccurs", "1")
        try:
            item.min_occurs = int(low)
            item.max_occurs = UNBOUNDED if high == "unbounded" else int(high)
        except ValueError:
            raise node.error(f"bad occurrence '{low}'..'{high}'") from None
        if item.max_occurs is not UNBOUNDED and item.max_occurs < max(item.min_occurs, 1):
            raise node.error("maxOccurs is below minOccurs")
        if item.max_occurs is UNBOUNDED or item.max_occurs > 1:
            item.occurs = "list"
        else:
            item.occurs = "required" if item.min_occurs >= 1 else "optional"

    def attribute_item(self, node):
        name = node.require("name")
        use = node.get("use", "optional")
        item = Item(name, "attribute", "required" if use == "required" else "optional",
                    line=node.line, source=node.file_name)
        anonymous = node.xs_children("simpleType")
        if node.binding("rawText") == "true":
            item.value = VALUE_TYPES["raw"]
        elif anonymous:
            self.simple_value(anonymous[0], item, None)
        else:
            self.simple_value(node, item, node.get("type", "xs:string"))
        if item.value.kind == "empty":
            raise node.error(f"attribute '{name}' must have a simple type")
        item.default = node.get("default")
        item.fixed = node.get("fixed")
        item.event = self.event_for(name, item.ns_id)
        return item

    def group_item(self, node):
        ref = node.require("ref").split(":")[-1]
        if ref not in self.groups:
            raise node.error(f"unknown model group '{ref}'")
        item = Item(ref, "group", "required",
                    cls=self.shell(self.groups[ref], ref, "group", "choice"), line=node.line,
                    source=node.file_name)
        self.occurs(node, item)
        if item.occurs == "list" and not self.groups[ref].xs_children("choice"):
            raise node.error(f"lists of the sequence group '{ref}' are not supported yet")
        return item

    def element_item(self, node, owner):
        if node.get("ref"):
            name, held = self.referenced_element(node)
            item = Item(name, "element", "required", cls=held, line=node.line,
                        source=node.file_name,
                        ns_id=self.schema.ns_id)
        else:
            name = node.require("name")
            item = Item(name, "element", "required", line=node.line, source=node.file_name,
                        ns_id=self.schema.ns_id if self.qualified_locals else 1)
        self.occurs(node, item)
        item.event = self.event_for(name, item.ns_id)
        item.untested = node.binding("untested") == "true"
        if item.cls is None:
            self.element_value(node, item, owner)
        return item

    def option_item(self, node, owner):
        item = self.element_item(node, owner)
        item.form = "option"
        return item

    def element_value(self, node, item, owner):
        item.default = node.get("default")
        item.fixed = node.get("fixed")
        type_name = node.get("type")
        anonymous = node.xs_children("complexType", "simpleType")
        if node.binding("rawText") == "true":
            item.value = VALUE_TYPES["raw"]
            return
        if anonymous and anonymous[0].tag == "complexType":
            complex_type = anonymous[0]
            if not complex_type.xs_children("sequence", "all", "choice", "group",
                                            "simpleContent", "attribute"):
                item.value = VALUE_TYPES["empty"]
                if node.binding("emptyClass") == "true":
                    # The element is a flag, but its empty type keeps a class of its own.
                    owner.nested.append(BoundClass(
                        self.nested_name(item.name, node), item.name, "local", "sequence",
                        outer=owner, file_stem=owner_file(owner), line=complex_type.line,
                        source=complex_type.file_name))
                return
            item.cls = self.complex_class(complex_type, self.nested_name(item.name, node),
                                          item.name, "local", owner, owner_file(owner))
            item.cls.empty_allowed |= node.binding("mayBeEmpty") == "true"
            owner.nested.append(item.cls)
            return
        if anonymous:
            self.simple_value(anonymous[0], item, None)
            return
        if type_name is None or type_name.split(":")[-1] == "anyType":
            raise node.error(f"element '{item.name}' has no type; mark raw text with b:rawText")
        named = self.named_type_class(node, type_name)
        if named is not None:
            item.cls = named
            return
        self.simple_value(node, item, type_name)

    def reserve_pinned_names(self, node):
        """Names pinned with b:className are kept out of the _2, _3 numbering."""
        pinned = node.binding("className")
        if pinned is not None:
            if not re.fullmatch(r"c_\w+", pinned, flags=re.ASCII):
                raise node.error(f"b:className '{pinned}' is not a class name c_...")
            if pinned in self.pinned_names or pinned in self.taken_names:
                raise node.error(f"b:className '{pinned}' is taken")
            self.pinned_names.add(pinned)
        for child in node.children:
            self.reserve_pinned_names(child)

    def nested_name(self, name, node):
        """c_<name>, with _2, _3 ... after names taken, unless b:className pins the name."""
        pinned = node.binding("className")
        if pinned is not None:
            return pinned
        base = f"c_{name}"
        candidate, suffix = base, 2
        while candidate in self.taken_names or candidate in self.pinned_names:
            candidate, suffix = f"{base}_{suffix}", suffix + 1
        self.taken_names.add(candidate)
        return candidate

    def simple_value(self, node, item, type_name):
        """Resolves a simple type, following named restrictions down to a built-in type."""
        restriction = None
        seen = set()
        if type_name is None:
            restriction = self.single(node, "restriction")
        while restriction is None:
            local = type_name.split(":")[-1]
            if local in BUILTIN_TYPES and (":" in type_name or local not in self.simple_types):
                item.value = VALUE_TYPES[BUILTIN_TYPES[local]]
                return
            if local not in self.simple_types or local in seen:
                raise node.error(f"unknown or unsupported simple type '{type_name}'")
            seen.add(local)
            restriction = self.single(self.simple_types[local], "restriction")
        facets = restriction.xs_children("enumeration")
        if facets:
            item.enumeration = [e.require("value") for e in facets]
            item.enum_names, item.enum_codes = self.enum_codes(restriction, facets)
        self.simple_value(restriction, item, restriction.require("base"))

    def enum_codes(self, restriction, facets):
        """The elmx_enums enumerators and codes of a restriction's literals, made once per
        restriction. A literal's code is its b:code annotation, or the next after the highest code
        so far; a literal given the code of the same literal elsewhere shares its constant."""
        key = id(restriction)
        if key not in self.enum_of:
            constants = self.schema.enum_constants
            names, codes = [], []
            for facet in facets:
                literal = facet.require("value")
                annotated = facet.binding("code")
                try:
                    code = int(annotated) if annotated is not None else \
                        max((c for _, _, c in constants), default=0) + 1
                except ValueError:
                    raise facet.error(f"b:code '{annotated}' is not a number") from None
                if code < 1:
                    raise facet.error("b:code must be 1 or more")
                same = [(n, text) for n, text, c in constants if c == code]
                if same and same[0][1] != literal:
                    raise facet.error(f"code {code} is already the code of '{same[0][1]}'")
                if same:
                    name = same[0][0]
                else:
                    name = self.enumerator_name(literal)
                    constants.append((name, literal, code))
                names.append(name)
                codes.append(code)
            self.enum_of[key] = (names, codes)
        return self.enum_of[key]

    def enumerator_name(self, literal):
        taken = {name for name, _, _ in self.schema.enum_constants}
        base = "e_" + (re.sub(r"\W", "_", literal, flags=re.ASCII) or "empty")
        name, suffix = base, 2
        while name in taken:
            name, suffix = f"{base}_{suffix}", suffix + 1
        return name

    def single(self, node, *tags):
        children = node.xs_children(*tags)
        if len(children) != 1:
            raise node.error(f"expected one of xs:{', xs:'.join(tags)} inside xs:{node.tag}")
        return children[0]

    def event_for(self, name, ns_id):
        """A name's event code, one per name and namespace: an attribute (no namespace) and a
        qualified element of the same name are told apart by the reader, so they get two codes."""
        key = (name, ns_id)
        if key not in self.events:
            self.events[key] = self.next_event
            self.next_event += 1
        return self.events[key]


def owner_file(cls):
    while cls.outer is not None:
        cls = cls.outer
    return cls.file_stem


def assign_files(schema):
    """The file of each top-level class: the schema's own file for a single-file layout and for
    the root choice, <prefix>-<Type> otherwise."""
    files, names = {f"{schema.file_prefix}-fwd"}, set()
    for top in schema.classes:
        if schema.single_file or top.kind == "root":
            top.file, stem = schema.file_prefix, schema.file_prefix
        else:
            top.file, stem = f"{schema.file_prefix}-{top.file_stem}", top.file_stem
        top.file_id = re.sub(r"\W", "_", stem, flags=re.ASCII)
        if schema.single_file:
            continue
        # Files, and the file-level names inside them, must differ for a unity build.
        for key, taken in ((top.file, files), (top.file_id, names)):
            if key in taken:
                raise SchemaError(top.source, top.line,
                                  f"'{top.schema_name}' would share the file or file-level names "
                                  f"of another class ({key})")
            taken.add(key)


def decide_storage(schema):
    """Decides, from the containment graph of the top-level classes, which complex single items
    are held through an owned pointer and what each class's files need.

    A class embeds its complex single items, so it needs their definitions; a cycle of embedded
    items could never be laid out, so every embedded item whose target lies in the owner's
    strongly connected component (itself included) is held through an owned pointer instead.
    Lists, choices and group references are held through owned pointers already and only name
    their classes."""
    embedded = {id(cls): [] for cls in schema.classes}
    for top in schema.classes:
        for cls in top.nest():
            for item in cls.items:
                if item.by_value and item.cls.outer is not cls:
                    embedded[id(top)].append((item, item.cls.top))
    component = _strongly_connected(schema.classes,
                                    lambda cls: [target for _, target in embedded[id(cls)]])
    for top in schema.classes:
        for item, target in embedded[id(top)]:
            if component[id(target)] == component[id(top)]:
                item.owned = True
    for top in schema.classes:
        needed = [top.base] if top.base is not None else []
        needed += [target for item, target in embedded[id(top)] if not item.owned]
        used = list(needed)
        for cls in top.nest():
            used += [item.cls.top for item in cls.attributes + cls.items if item.cls is not None]
        top.needs_complete = _distinct(needed, top)
        top.uses = _distinct(used, top)


def share_defaults(schema):
    """Text items with a default keep it in one constant of their class until they are set: a
    document of a million small elements would otherwise hold a million copies of each default."""
    for top in schema.classes:
        for cls in top.nest():
            for item in cls.attributes + cls.items:
                item.shared_default = (item.value is not None and item.value.kind == "wstring"
                                       and bool(item.default) and item.occurs != "list"
                                       and item.form in ("attribute", "element", "all"))


def mark_recursive(schema):
    """Marks the classes whose objects can contain, at some depth, an object of their own class:
    those in a cycle of the containment graph of all classes, nested ones included. An element
    class contains what its type's class contains."""
    classes = [cls for top in schema.classes for cls in top.nest()]

    def contained(cls):
        targets = [item.cls for item in cls.attributes + cls.items if item.cls is not None]
        return targets + ([cls.base] if cls.base is not None else [])

    component = _strongly_connected(classes, contained)
    sizes = {}
    for cls in classes:
        sizes[component[id(cls)]] = sizes.get(component[id(cls)], 0) + 1
    for cls in classes:
        cls.recursive = (sizes[component[id(cls)]] > 1
                         or any(target is cls for target in contained(cls)))
    for cls in classes:
        for item in cls.attributes + cls.items:
            item.deep = item.cls is not None and item.cls.recursive


def _distinct(classes, excluded):
    kept = {}
    for cls in classes:
        if cls is not excluded:
            kept.setdefault(id(cls), cls)
    return sorted(kept.values(), key=lambda cls: cls.cpp_name)


def _strongly_connected(nodes, successors):
    """Tarjan's algorithm without recursion: the component number of each node, by id."""
    index, low, component = {}, {}, {}
    stack, on_stack = [], set()
    counter = 0
    for start in nodes:
        if id(start) in index:
            continue
        work = [(start, iter(successors(start)))]
        index[id(start)] = low[id(start)] = counter
        counter += 1
        stack.append(start)
        on_stack.add(id(start))
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if id(child) not in index:
                    index[id(child)] = low[id(child)] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(id(child))
                    work.append((child, iter(successors(child))))
                elif id(child) in on_stack:
                    low[id(node)] = min(low[id(node)], index[id(child)])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[id(parent)] = min(low[id(parent)], low[id(node)])
            if low[id(node)] == index[id(node)]:
                while True:
                    member = stack.pop()
                    on_stack.discard(id(member))
                    component[id(member)] = id(node)
                    if member is node:
                        break
    return component


def build_schema(root):
    """The model of one schema document; faults are SchemaErrors with their file and line."""
    return _Builder(root).build()
