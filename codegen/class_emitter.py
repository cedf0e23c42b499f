"""Prints one bound class: its declaration for the header, and its name tables and member
definitions for the source file. One emitter per content model, chosen in emitter_for(); the
item-specific text comes from the item emitters."""

import re

from item_emitters import call_site, class_body_indent, file_constant, select_emitter
from templates import Printer, render, indent, join

_MEMBER_NAME = re.compile(r"^[^(]*?(\w+)(?: = .*|\{.*\})?;$")


def _param(declaration, name, used):
    return f"{declaration} {name}" if used else declaration


def _cases(emitters, method):
    return "".join(f"case {e.event_code}:\n{indent(getattr(e, method)())}" for e in emitters)


def _table_rows(emitters):
    rows = "".join(f'{{{e.item.ns_id}, "{e.item.name}", {len(e.item.name.encode())}, '
                   f'{e.event_code}}},\n' for e in emitters)
    return rows + "{0, nullptr, 0, 1},\n"


def ns_map_constant(cls):
    return f"k_{cls.top.file_id}_ns_map"


def lifecycle_declarations(name, constructors="", destructor="virtual ~$name$();"):
    """The special members, defined in the source file where every member's class is complete;
    swap and reset through them."""
    return render("""
        $name$();
        $constructors$$name$(const $name$& other);
        $name$($name$&& other);
        $name$& operator=(const $name$& other);
        $name$& operator=($name$&& other);
        $destructor$
        void swap($name$& other) { std::swap(*this, other); }
        void reset() { *this = $name$(); }
        """, name=name, constructors=constructors,
                  destructor=destructor.replace("$name$", name))


def lifecycle_definitions(qualified, name):
    return render("""
        $q$::$name$() = default;
        $q$::$name$(const $name$& other) = default;
        $q$::$name$($name$&& other) = default;
        $q$& $q$::operator=(const $name$& other) = default;
        $q$& $q$::operator=($name$&& other) = default;
        $q$::~$name$() = default;
        """, q=qualified, name=name) + "\n"


def deep_tree_definitions(qualified, name):
    """The special members of a class whose objects can hold their own class at any depth: copies
    and destruction go through the runtime's work piles instead of recursing."""
    return render("""
        $q$::$name$() = default;
        $q$::$name$(const $name$& other) {
            lmx::c_deep_copy::run(*this, other);
        }
        $q$::$name$($name$&& other) = default;
        $q$& $q$::operator=(const $name$& other) {
            if (this != &other) {
                $name$ copy(other);
                swap(copy);
            }
            return *this;
        }
        $q$& $q$::operator=($name$&& other) = default;
        $q$::~$name$() {
            lmx::c_teardown::run(*this);
        }
        """, q=qualified, name=name) + "\n"


def member_names(declarations):
    """The data members that declaration text declares, one per line."""
    return [match.group(1) for line in declarations.splitlines()
            if (match := _MEMBER_NAME.search(line.strip()))]


def document_declarations(name):
    """The entry points that load a document from a file, buffer or string and save it to a file,
    string or stream; each class adds unmarshal(reader) and marshal(writer, name)."""
    return render("""
        $name$(const char* const file_name, lmx::elmx_error* error);
        $name$(const char* buffer, unsigned int length, lmx::elmx_error* error);
        $name$(const std::string& text, lmx::elmx_error* error);
        """, name=name), render("""
        lmx::elmx_error unmarshal(const char* const file_name);
        lmx::elmx_error unmarshal(const char* buffer, unsigned int length);
        lmx::elmx_error unmarshal(const std::string& text);
        lmx::elmx_error unmarshal(lmx::c_xml_reader& reader);

        lmx::elmx_error marshal(const char* const file_name) const;
        lmx::elmx_error marshal(std::string* text) const;
        lmx::elmx_error marshal(std::ostream& os) const;
        """)


def document_definitions(name, write_function):
    return render("""
        $name$::$name$(const char* const file_name, lmx::elmx_error* error) {
            *error = unmarshal(file_name);
        }

        $name$::$name$(const char* buffer, unsigned int length, lmx::elmx_error* error) {
            *error = unmarshal(buffer, length);
        }

        $name$::$name$(const std::string& text, lmx::elmx_error* error) {
            *error = unmarshal(text);
        }

        lmx::elmx_error $name$::unmarshal(const char* const file_name) {
            return lmx::load_document_file(file_name, *this);
        }

        lmx::elmx_error $name$::unmarshal(const char* buffer, unsigned int length) {
            return lmx::load_document_buffer(buffer, length, *this);
        }

        lmx::elmx_error $name$::unmarshal(const std::string& text) {
            return unmarshal(text.data(), static_cast<unsigned int>(text.size()));
        }

        lmx::elmx_error $name$::marshal(const char* const file_name) const {
            return lmx::save_document_file(file_name, $write$, this);
        }

        lmx::elmx_error $name$::marshal(std::string* text) const {
            return lmx::save_document_string(text, $write$, this);
        }

        lmx::elmx_error $name$::marshal(std::ostream& os) const {
            return lmx::save_document_stream(os, $write$, this);
        }

        """, name=name, write=write_function)


def document_writer(name, write_function, statement):
    """The function that writes a whole document: a writer with the XML declaration, tab
    indentation and line feeds, and the document element."""
    return render("""
        lmx::elmx_error $write$(std::ostream& os, const void* document) {
            lmx::c_xml_writer writer(os, lmx::c_xml_writer::include_xml_decl, "\\t", "\\n");
            return static_cast<const $name$*>(document)->$statement$;
        }

        """, name=name, write=write_function, statement=statement)


def _sequence_write(emitter):
    """marshal_child_elements of a sequence: every item in schema order."""
    writes = join(e.write() for e in emitter.items)
    if "error" in writes:
        writes = "lmx::elmx_error error = lmx::ELMX_OK;\n" + writes
    return emitter.r("""
        lmx::elmx_error $q$::marshal_child_elements($param$) const {
        $body$    return lmx::ELMX_OK;
        }

        """, param=_param("lmx::c_xml_writer&", "writer", bool(writes)), body=indent(writes))


def _group_entry_points():
    return render("""
        static bool is_member(lmx::c_xml_reader& reader, const std::string& name);
        bool unmarshal(lmx::c_xml_reader& reader, std::string* name, lmx::elmx_error* error);
        lmx::elmx_error marshal_child_elements(lmx::c_xml_writer& writer) const;
        """)


class ClassEmitter(Printer):
    """What every class with items prints: storage, accessors, special members, is_occurs_ok,
    event-code constants and name tables. Subclasses add their content model's parts."""

    def __init__(self, cls, schema):
        self.cls = cls
        self.schema = schema
        self.attributes = [select_emitter(i, cls, schema) for i in cls.attributes]
        self.items = [select_emitter(i, cls, schema) for i in cls.items]
        self.everything = self.attributes + self.items
        self.nested = [emitter_for(n, schema) for n in cls.nested]
        self.v = {"name": cls.cpp_name, "q": cls.qualified, "flat": cls.flat_name,
                  "schema_name": cls.schema_name, "site": call_site(cls),
                  "file": file_constant(cls), "ns_map": ns_map_constant(cls)}
        for emitter in self.everything:
            emitter.event_code = f"k_{cls.flat_name}_{emitter.item.name}_event"

    def body_indent(self):
        return class_body_indent(self.cls)

    # The header.
    def declaration(self):
        nested = "".join(n.declaration() + "\n" for n in self.nested)
        return self.r("""
            class $name$ {
            public:
            $nested$$model_api$$lifecycle$$occurs$

            $accessors$
            $entry_points$$protected$
            private:
                template <typename>
                friend class lmx::ct_bound_parse;
                template <typename>
                friend class lmx::ct_bound_write;
            $private$$deep$
            $members$};
            """, nested=indent(nested), model_api=indent(self.model_api()),
                      deep=indent(self.deep_tree_declarations()),
                      lifecycle=indent(lifecycle_declarations(self.cls.cpp_name,
                                                              self.document_constructors())),
                      occurs=indent(self.inline("bool is_occurs_ok() const",
                                                "return $tests$;",
                                                tests=self.occurs_tests())).rstrip("\n"),
                      accessors=indent(join(e.declarations() for e in self.everything)),
                      entry_points=indent(self.entry_points()), protected=self.protected(),
                      private=indent(self.private_declarations()),
                      members=indent(join(e.members() for e in self.everything)
                                     + self.model_members()))

    def model_api(self):
        return ""

    def model_members(self):
        return ""

    def deep_tree_declarations(self):
        if not self.cls.recursive:
            return ""
        return self.r("""
            friend class lmx::c_deep_copy;
            friend class lmx::c_teardown;
            void copy_members(const $name$& other, lmx::c_deep_copy& copy);
            void release_owned(lmx::c_teardown& teardown);
            """)

    def document_constructors(self):
        return ""

    def private_declarations(self):
        return ""

    # The source file.
    def tables(self):
        text = "".join(n.tables() for n in self.nested)
        # An attribute and an element of the same name share their event code.
        codes = {e.event_code: e.item.event for e in self.everything if e.item.event is not None}
        text += "".join(f"constexpr int {name} = {code};\n" for name, code in codes.items())
        if codes:
            text += "\n"
        text += "".join(e.enum_table() for e in self.everything if hasattr(e, "enum_table"))
        if self.schema.strict:
            for emitter in self.everything:
                item = emitter.item
                if item.enumeration and item.form != "option":
                    literals = "".join(f'"{literal}", ' for literal in item.enumeration)
                    text += self.r("""
                        const char* const k_$flat$_$X$_literals[] = {$literals$nullptr};

                        """, X=item.name, literals=literals)
        rules = "".join(e.rules_table() for e in self.everything)
        if rules:
            text += rules + "\n"
        if self.attributes:
            text += self.r("""
                const lmx::s_event_map k_$flat$_attributes[] = {
                $rows$};

                """, rows=indent(_table_rows(self.attributes)))
        return text + self.model_tables()

    def model_tables(self):
        return ""

    def definitions(self):
        text = "".join(n.definitions() for n in self.nested)
        if self.cls.recursive:
            text += deep_tree_definitions(self.cls.qualified, self.cls.cpp_name)
            text += self.deep_tree_steps()
        else:
            text += lifecycle_definitions(self.cls.qualified, self.cls.cpp_name)
        for emitter in self.everything:
            accessors = emitter.definitions()
            if accessors:
                text += accessors + "\n"
        return text + self.model_definitions()

    def recursive_items(self):
        """The deep items held as members of their own (options live in the choice)."""
        return [e for e in self.everything if e.item.deep and e.item.form != "option"]

    def recursive_options(self):
        return [e for e in self.items if e.item.deep and e.item.form == "option"]

    def deep_tree_steps(self):
        """copy_members and release_owned: every member copied, the recursive ones through the
        work pile; the recursive children handed to the teardown."""
        deep = self.recursive_items()
        deep_names = {f"m_{e.item.name}" for e in deep}
        copies = "".join(f"copy.copy({name}, other.{name});\n" if name in deep_names
                         else f"{name} = other.{name};\n"
                         for e in self.everything for name in member_names(e.members()))
        for name in member_names(self.model_members()):
            copies += self.choice_copy() if name == "m_choice" and self.recursive_options() \
                else f"{name} = other.{name};\n"
        takes = "".join(f"teardown.take(m_{e.item.name});\n" for e in deep)
        takes += "".join(self.r("if (auto* option = m_choice.held<$option$>()) "
                                "teardown.take(*option);\n", option=f"chosen_{e.item.name}")
                         for e in self.recursive_options())
        return self.r("""
            void $q$::copy_members(const $name$& other, lmx::c_deep_copy& copy) {
            $copies$}

            void $q$::release_owned(lmx::c_teardown& teardown) {
            $takes$}

            """, copies=indent(copies), takes=indent(takes))

    def choice_copy(self):
        cases = "".join(self.r("""
            case $option$:
                copy.copy(m_choice.renew<$option$>(), other.m_choice.get<$option$>());
                break;
            """, option=f"chosen_{e.item.name}") for e in self.recursive_options())
        return self.r("""
            switch (other.m_choice.chosen()) {
            $cases$    default:
                    m_choice = other.m_choice;
            }
            """, cases=indent(cases))

    def occurs_tests(self):
        tests = [e.occurs().strip() for e in self.everything
                 if e.occurs() and not e.item.untested] + self.model_occurs()
        return " && ".join(tests) or "true"

    def model_occurs(self):
        return []

    def model_definitions(self):
        return ""


class _ChoiceParts:
    """The chosen option's storage and getchosen, shared by element choices and model groups."""

    skippable = False
    optional = False

    def model_api(self):
        enumerators = "".join(f"chosen_{e.item.name},\n" for e in self.items)
        if self.skippable:
            enumerators += "chosen_skipped,\n"
        text = render("""
            enum elmx_chosen {
            $enumerators$    chosen_none
            };

            """, enumerators=indent(enumerators)) + "\n"
        text += self.inline("elmx_chosen getchosen() const",
                            "return static_cast<elmx_chosen>(m_choice.chosen());")
        if self.optional:
            text += "void no_choice_set();\n"
        return text + "\n"

    def model_members(self):
        slots = [e.slot_type() for e in self.items]
        if self.skippable:
            slots.append("lmx::c_skipped_option")
        slots.append("lmx::c_no_option")
        return f"lmx::ct_choice<{', '.join(slots)}> m_choice;\n"

    def model_occurs(self):
        return [] if self.optional else ["!m_choice.is_none()"]

    def choice_definitions(self):
        text = ""
        if self.optional:
            text += self.r("""
                void $q$::no_choice_set() {
                    m_choice.release();
                }

                """)
        return text

    def choice_write(self):
        cases = "".join(e.write() for e in self.items)
        # An element whose choice may hold no option is written without one, as it was read;
        # one that must hold an option cannot be written without it, even when unknown children
        # were skipped in its place: the empty element would not read back.
        fallback = "return lmx::ELMX_OK;" if self.empty_when_unchosen else \
            self.r('return lmx::report_no_choice(writer, "$schema_name$", $site$);')
        return self.r("""
            lmx::elmx_error $q$::marshal_child_elements(lmx::c_xml_writer& writer) const {
                switch (getchosen()) {
            $cases$        default:
                        $fallback$
                }
            }

            """, cases=indent(cases, 2), fallback=fallback)

    def option_cases(self):
        return "".join(f"case {e.event_code}:\n{indent(e.parse())}" for e in self.items)


class ElementClassEmitter(ClassEmitter):
    """A class whose objects are elements: the element frame, the attribute steps and the content
    steps that the runtime's element parse calls. The content model's emitter supplies the body
    step, the writing of the content and the model's settings of the parse."""

    content_model = ""
    write_frame = "write_bound_element"

    def entry_points(self):
        text = render("""
            lmx::elmx_error marshal(lmx::c_xml_writer& writer, const char* name) const;
            lmx::elmx_error unmarshal(lmx::c_xml_reader& reader, const std::string& name);
            """)
        if self.cls.kind == "element":
            text += "lmx::elmx_error unmarshal(lmx::c_xml_reader& reader);\n"
        return text

    def protected(self):
        text = "lmx::elmx_error marshal_child_elements(lmx::c_xml_writer& writer) const;\n"
        if self.attributes:
            text += render("""
                void marshal_attributes(lmx::c_xml_writer& writer) const;
                bool unmarshal_attributes(lmx::c_xml_reader& reader, const std::string& name,
                                          lmx::elmx_error* error);
                """)
        if self.required_attributes():
            text += "lmx::elmx_error unmarshal_attributes_check(lmx::c_xml_reader& reader);\n"
        text += render("""
            bool unmarshal_body(lmx::c_xml_reader& reader, std::string* name,
                                lmx::elmx_error* error$more$);
            """, more=self.body_extra_parameter())
        return "\nprotected:\n" + indent(text)

    def body_extra_parameter(self):
        return ""

    def model_tables(self):
        text = self.element_table()
        return text + self.r("""
            const lmx::s_class_parse k_$flat$_parse = {$file$, __LINE__, "$schema_name$", lmx::$content$, lmx::$mode$, $required$, $check$$lists$};
            """, content=self.content_model,
                             mode="ELMX_PARSE_STRICT" if self.schema.strict else "ELMX_PARSE_LENIENT",
                             required=self.content_required(), check=self.check_occurs(),
                             lists=", true" if self.requires_only_lists() else "") + "\n"

    def element_table(self):
        elements = self.table_items()
        if not elements:
            return ""
        return self.r("""
            const lmx::s_event_map k_$flat$_elements[] = {
            $rows$};

            """, rows=indent(_table_rows(elements)))

    def table_items(self):
        return [e for e in self.items if e.item.form in ("element", "all")]

    def content_required(self):
        if self.cls.content_optional or self.cls.empty_allowed:
            return "false"
        return "true" if any(i.min_occurs > 0 for i in self.cls.items
                             if i.form in ("element", "all")) else "false"

    def check_occurs(self):
        return "false"

    def requires_only_lists(self):
        return False

    def model_definitions(self):
        text = self.r("""
            lmx::elmx_error $q$::marshal(lmx::c_xml_writer& writer, const char* name) const {
                return lmx::$frame$(writer, name, $ns_map$, *this);
            }

            lmx::elmx_error $q$::unmarshal(lmx::c_xml_reader& reader, const std::string& name) {
                return lmx::parse_bound_element(reader, name, k_$flat$_parse, *this);
            }

            """, frame=self.write_frame)
        if self.attributes:
            text += self.r("""
                void $q$::marshal_attributes(lmx::c_xml_writer& writer) const {
                $body$}

                """, body=indent(join(e.write() for e in self.attributes)))
        text += self.content_write() + self.attribute_steps() + self.body_step()
        if self.cls.kind == "element":
            text += self.r("""
                lmx::elmx_error $q$::unmarshal(lmx::c_xml_reader& reader) {
                    return lmx::parse_document(reader, $ns_map$, $ns_id$, "$element$", $site$,
                                               *this);
                }

                """, ns_id=self.schema.ns_id, element=self.cls.element_name)
        return text

    def content_write(self):
        return _sequence_write(self)

    def required_attributes(self):
        return [f"m_{e.item.name}_present" for e in self.attributes if e.item.occurs == "required"]

    def attribute_steps(self):
        if not self.attributes:
            return ""
        text = self.r("""
            bool $q$::unmarshal_attributes(lmx::c_xml_reader& reader, const std::string&,
                                           lmx::elmx_error* error) {
                reader.tokenise(k_$flat$_attributes, lmx::ELXP_ATTRIBUTE_MODE);
                switch (reader.get_current_event()) {
            $cases$        default:
                        return false;
                }
            }

            """, cases=indent(_cases(self.attributes, "parse"), 2))
        if self.required_attributes():
            text += self.r("""
                lmx::elmx_error $q$::unmarshal_attributes_check(lmx::c_xml_reader& reader) {
                    if ($all$) return lmx::ELMX_OK;
                    return lmx::report(reader, lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING, "$schema_name$",
                                       $site$);
                }

                """, all=" && ".join(self.required_attributes()))
        return text

    def body_step(self):
        elements = self.table_items()
        body = ""
        if elements:
            body += self.r("""
                reader.tokenise(k_$flat$_elements, lmx::ELXP_ELEMENT_MODE);
                switch (reader.get_current_event()) {
                $cases$    default:
                        break;
                }
                """, cases=indent(_cases(elements, "parse")))
        for group in (e for e in self.items if e.item.form == "group"):
            body += group.r("""
                if ($C$::is_member(reader, *name)) {
                $body$}
                """, body=indent(group.parse()))
        if body:
            body += "return true;\n"
        return self.body_definition(body or "return true;\n", bool(body))

    def body_definition(self, body, used=True):
        return self.r("""
            bool $q$::unmarshal_body($reader$, $name_param$, $error$$more$) {
            $body$}

            """, more=self.body_extra_parameter(),
                      reader=_param("lmx::c_xml_reader&", "reader", used),
                      name_param=_param("std::string*", "name", used),
                      error=_param("lmx::elmx_error*", "error", used), body=indent(body))


class SequenceEmitter(ElementClassEmitter):
    content_model = "ELMX_CONTENT_SEQUENCE"

    def __init__(self, cls, schema):
        super().__init__(cls, schema)
        if not cls.items:
            self.write_frame = "write_bound_attributes"

    def check_occurs(self):
        if self.schema.strict:
            return "false"
        return "true" if any(i.min_occurs > 0 for i in self.cls.items) else "false"

    def requires_only_lists(self):
        required = [i for i in self.cls.items if i.min_occurs > 0 and i.form == "element"]
        return (self.content_required() == "true" and bool(self.required_lists())
                and all(i.occurs == "list" for i in required))

    def required_lists(self):
        """The lists that a lenient sequence reports as missing when an unknown element comes
        while they are still empty."""
        if self.schema.strict:
            return []
        return [f"m_{i.name}.empty()" for i in self.cls.items
                if i.occurs == "list" and i.min_occurs > 0 and i.form == "element"]

    def private_declarations(self):
        if not self.required_lists():
            return ""
        return self.inline("bool is_required_list_empty() const", "return $lists$;",
                           lists=" || ".join(self.required_lists()))


class AllEmitter(ElementClassEmitter):
    """An xs:all group: the items' order record, written back in that order."""

    content_model = "ELMX_CONTENT_ALL"

    def model_api(self):
        enumerators = "".join(f"all_{e.item.name},\n" for e in self.items)
        return render("""
            enum elmx_all {
            $enumerators$};

            """, enumerators=indent(enumerators)) + "\n" + (
            self.inline("elmx_all getorder(unsigned int position) const",
                        "return m_order.at(position);")
            + self.inline("unsigned int getorder(elmx_all item) const",
                          "return m_order.position_of(item);")
            + self.inline("unsigned int sizeorder() const", "return m_order.size();") + "\n")

    def model_members(self):
        return f"lmx::ct_order_record<elmx_all, {len(self.items)}> m_order;\n"

    def untested(self):
        return any(i.untested for i in self.cls.items)

    def private_declarations(self):
        if not self.untested():
            return ""
        complete = [e.complete() for e in self.items if e.complete()]
        return self.inline("bool is_all_complete() const", "return $all$;",
                           all=" && ".join(complete))

    def content_write(self):
        writes = join(e.write() for e in self.items)
        if not writes:
            return super().content_write()
        return self.r("""
            lmx::elmx_error $q$::marshal_child_elements(lmx::c_xml_writer& writer) const {
                return lmx::write_in_order(m_order, [&](elmx_all item) -> lmx::elmx_error {
                    switch (item) {
            $cases$        }
                    return lmx::ELMX_OK;
                });
            }

            """, cases=indent(writes, 3))


class ChoiceEmitter(_ChoiceParts, ElementClassEmitter):
    """An element whose content is a choice of elements."""

    content_model = "ELMX_CONTENT_CHOICE"

    def __init__(self, cls, schema):
        super().__init__(cls, schema)
        # A lenient choice records that it held only unknown children.
        self.skippable = not schema.strict
        self.optional = cls.content_optional
        self.empty_when_unchosen = cls.content_optional

    def table_items(self):
        return self.items

    def content_required(self):
        return "false" if self.cls.content_optional or self.cls.empty_allowed else "true"

    def private_declarations(self):
        text = ""
        if self.skippable:
            text += (self.inline("bool is_choice_made() const", "return !m_choice.is_none();")
                     + "void mark_choice_skipped();\n")
        lists = [f"getchosen() == chosen_{e.item.name}" for e in self.items
                 if e.item.occurs == "list"]
        if lists:
            text += self.inline("bool is_choice_open() const", "return $lists$;",
                                lists=" || ".join(lists))
        return text

    def model_definitions(self):
        text = self.choice_definitions()
        if self.skippable:
            text += self.r("""
                void $q$::mark_choice_skipped() {
                    m_choice.select<chosen_skipped>();
                }

                """)
        return text + super().model_definitions()

    def content_write(self):
        return self.choice_write()

    def body_step(self):
        return self.body_definition(self.r("""
            reader.tokenise(k_$flat$_elements, lmx::ELXP_ELEMENT_MODE);
            switch (reader.get_current_event()) {
            $cases$    default:
                    return true;
            }
            return false;
            """, cases=indent(self.option_cases())))


class SimpleContentEmitter(ElementClassEmitter):
    """A text with attributes."""

    content_model = "ELMX_CONTENT_SIMPLE"
    write_frame = "write_bound_simple_content"

    def body_extra_parameter(self):
        return ", bool has_content"

    def body_step(self):
        return self.body_definition(self.items[0].parse())


class GroupEmitter(_ChoiceParts, ClassEmitter):
    """A model group that is a choice: its options are parsed and written without a wrapping
    element, by the class that refers to the group."""

    def __init__(self, cls, schema):
        super().__init__(cls, schema)
        self.optional = cls.content_optional
        self.empty_when_unchosen = False

    def entry_points(self):
        return _group_entry_points()

    def protected(self):
        return ""

    def model_tables(self):
        return self.r("""
            const lmx::s_event_map k_$flat$_options[] = {
            $rows$};

            """, rows=indent(_table_rows(self.items)))

    def model_definitions(self):
        return self.choice_definitions() + self.r("""
            bool $q$::is_member(lmx::c_xml_reader& reader, const std::string&) {
                return lmx::is_group_member(reader, k_$flat$_options);
            }

            bool $q$::unmarshal(lmx::c_xml_reader& reader, std::string* name, lmx::elmx_error* error) {
                reader.tokenise(k_$flat$_options, lmx::ELXP_ELEMENT_MODE);
                switch (reader.get_current_event()) {
            $parse_cases$        default:
                        *error = lmx::report(reader, lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT, *name,
                                             $site$);
                        break;
                }
                return *error == lmx::ELMX_OK;
            }

            $write$""", parse_cases=indent(self.option_cases(), 2), write=self.choice_write())


class SequenceGroupEmitter(ClassEmitter):
    """A model group that is a sequence: the referring class hands it each element that belongs
    to it, in any order, and it writes its items in schema order without a wrapping element."""

    def entry_points(self):
        return _group_entry_points()

    def protected(self):
        return ""

    def model_tables(self):
        elements = [e for e in self.items if e.item.form == "element"]
        return self.r("""
            const lmx::s_event_map k_$flat$_elements[] = {
            $rows$};

            """, rows=indent(_table_rows(elements)))

    def model_definitions(self):
        groups = [e for e in self.items if e.item.form == "group"]
        members = "".join(f" ||\n       {g.r('$C$')}::is_member(reader, name)" for g in groups)
        body = self.r("""
            reader.tokenise(k_$flat$_elements, lmx::ELXP_ELEMENT_MODE);
            switch (reader.get_current_event()) {
            $cases$    default:
                    break;
            }
            """, cases=indent(_cases([e for e in self.items if e.item.form == "element"],
                                     "parse")))
        for group in groups:
            body += group.r("""
                if ($C$::is_member(reader, *name)) {
                $body$}
                """, body=indent(group.parse()))
        return self.r("""
            bool $q$::is_member(lmx::c_xml_reader& reader, const std::string&$name$) {
                return lmx::is_group_member(reader, k_$flat$_elements)$members$;
            }

            bool $q$::unmarshal(lmx::c_xml_reader& reader, std::string* name, lmx::elmx_error* error) {
            $body$    *error = lmx::report(reader, lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT, *name,
                                     $site$);
                return true;
            }

            """, name=" name" if groups else "", members=members,
                      body=indent(body)) + _sequence_write(self)


class RootEmitter(GroupEmitter):
    """The choice over every global element of a schema without one document element."""

    def document_constructors(self):
        return document_declarations(self.cls.cpp_name)[0]

    def entry_points(self):
        return document_declarations(self.cls.cpp_name)[1] + render("""
            lmx::elmx_error marshal(lmx::c_xml_writer& writer, const char* name = nullptr) const;
            """) + super().entry_points()

    def write_function(self):
        return f"write_{self.cls.flat_name}"

    def model_tables(self):
        return document_writer(self.cls.cpp_name, self.write_function(),
                               "marshal(writer)") + super().model_tables()

    def model_definitions(self):
        return super().model_definitions() + document_definitions(
            self.cls.cpp_name, self.write_function()) + self.r("""
            lmx::elmx_error $q$::unmarshal(lmx::c_xml_reader& reader) {
                return lmx::parse_root_document(reader, $ns_map$, $site$, *this);
            }

            lmx::elmx_error $q$::marshal(lmx::c_xml_writer& writer, const char*) const {
                return marshal_child_elements(writer);
            }

            """)


class DocumentElementEmitter(Printer):
    """A global element of a named type: the type's class with the document-root entry points."""

    def __init__(self, cls, schema):
        self.cls = cls
        self.schema = schema
        self.nested = []
        self.v = {"name": cls.cpp_name, "base": cls.base.qualified, "element": cls.element_name,
                  "ns_id": schema.ns_id, "write": f"write_{cls.element_name}",
                  "site": call_site(cls), "ns_map": ns_map_constant(cls)}

    def declaration(self):
        constructors, document = document_declarations(self.cls.cpp_name)
        lifecycle = lifecycle_declarations(self.cls.cpp_name, constructors,
                                           "~$name$() override;")
        return self.r("""
            class $name$ : public $base$ {
            public:
            $lifecycle$
            $document$    lmx::elmx_error unmarshal(lmx::c_xml_reader& reader, const std::string& name);
                lmx::elmx_error marshal(lmx::c_xml_writer& writer, const char* name = "$element$") const;
            };
            """, lifecycle=indent(lifecycle), document=indent(document))

    def tables(self):
        return document_writer(self.cls.cpp_name, self.v["write"],
                               f'marshal(writer, "{self.cls.element_name}")')

    def definitions(self):
        return lifecycle_definitions(self.cls.cpp_name, self.cls.cpp_name) + self.r("""
            lmx::elmx_error $name$::unmarshal(lmx::c_xml_reader& reader) {
                return lmx::parse_document(reader, $ns_map$, $ns_id$, "$element$", $site$,
                                           static_cast<$base$&>(*this));
            }

            lmx::elmx_error $name$::unmarshal(lmx::c_xml_reader& reader, const std::string& name) {
                return $base$::unmarshal(reader, name);
            }

            lmx::elmx_error $name$::marshal(lmx::c_xml_writer& writer, const char* name) const {
                return $base$::marshal(writer, name);
            }

            """) + document_definitions(self.cls.cpp_name, self.v["write"])


_CONTENT_EMITTERS = {
    "sequence": SequenceEmitter,
    "all": AllEmitter,
    "choice": ChoiceEmitter,
    "simple": SimpleContentEmitter,
}


def emitter_for(cls, schema):
    """The emitter of the class's content model; the one place where content models are told
    apart."""
    if cls.kind == "element" and cls.base is not None:
        return DocumentElementEmitter(cls, schema)
    if cls.kind == "root":
        return RootEmitter(cls, schema)
    if cls.kind == "group":
        return SequenceGroupEmitter(cls, schema) if cls.content == "sequence" \
            else GroupEmitter(cls, schema)
    return _CONTENT_EMITTERS[cls.content](cls, schema)
