"""Prints one bound class: its declaration for the header, and its name tables and member
definitions for the source file. Item-specific text comes from the item emitters."""

from item_emitters import select_emitter
from templates import render, indent, join

_CONTENT = {
    "sequence": "ELMX_CONTENT_SEQUENCE",
    "all": "ELMX_CONTENT_ALL",
    "choice": "ELMX_CONTENT_CHOICE",
    "simple": "ELMX_CONTENT_SIMPLE",
}


def _param(declaration, name, used):
    return f"{declaration} {name}" if used else declaration


def _cases(emitters, method):
    text = ""
    for emitter in emitters:
        body = getattr(emitter, method)()
        text += f"case {emitter.item.event}: {{\n{indent(body)}}}\n"
    return text


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
            *error = lmx::ELMX_UNDEFINED_ERROR;
            *error = unmarshal(file_name);
        }

        $name$::$name$(const char* buffer, unsigned int length, lmx::elmx_error* error) {
            *error = lmx::ELMX_UNDEFINED_ERROR;
            *error = unmarshal(buffer, length);
        }

        $name$::$name$(const std::string& text, lmx::elmx_error* error) {
            *error = lmx::ELMX_UNDEFINED_ERROR;
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
            return $write$(os, this);
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


def _table_rows(items):
    rows = "".join(f'{{{item.ns_id}, "{item.name}", {len(item.name.encode())}, {item.event}}},\n'
                   for item in items)
    return rows + "{0, nullptr, 0, 1},\n"


class ClassEmitter:
    def __init__(self, cls, schema):
        self.cls = cls
        self.schema = schema
        self.attributes = [select_emitter(i, cls, schema) for i in cls.attributes]
        self.items = [select_emitter(i, cls, schema) for i in cls.items]
        self.elements = [e for e in self.items if e.item.form in ("element", "all")]
        self.is_all = cls.content == "all"
        self.groups = [e for e in self.items if e.item.form == "group"]
        self.nested = [ClassEmitter(n, schema) for n in cls.nested]
        self.is_group = cls.kind in ("group", "root")
        self.is_root = cls.kind == "root"
        self.is_choice = cls.content == "choice"
        self.is_simple = cls.content == "simple"
        self.has_no_content = cls.content == "sequence" and not cls.items
        # A lenient element choice records that it held only unknown children.
        self.skippable = self.is_choice and not self.is_group and not schema.strict
        self.choice_optional = self.is_choice and not self.is_group and cls.content_optional
        self.v = {"name": cls.cpp_name, "q": cls.qualified, "flat": cls.flat_name,
                  "schema_name": cls.schema_name}

    def r(self, template, **extra):
        return render(template, **{**self.v, **extra})

    # The header.
    def declaration(self):
        nested = "".join(n.declaration() + "\n" for n in self.nested)
        accessors = join(e.declarations() for e in self.attributes + self.items)
        members = join(e.members() for e in self.attributes + self.items)
        choice_api = ""
        if self.is_choice:
            enumerators = "".join(f"chosen_{e.item.name},\n" for e in self.items)
            slots = [e.slot_type() for e in self.items]
            if self.skippable:
                enumerators += "chosen_skipped,\n"
                slots.append("lmx::c_skipped_option")
            slots.append("lmx::c_no_option")
            choice_api = render("""
                enum elmx_chosen {
                $enumerators$    chosen_none
                };

                elmx_chosen getchosen() const;
                """, enumerators=indent(enumerators))
            if self.choice_optional:
                choice_api += "void no_choice_set();\n"
            members += f"lmx::ct_choice<{', '.join(slots)}> m_choice;\n"
        constructors = ""
        if self.is_group:
            entry_points = render("""
                static bool is_member(lmx::c_xml_reader& reader, const std::string& name);
                bool unmarshal(lmx::c_xml_reader& reader, std::string* name, lmx::elmx_error* error);
                lmx::elmx_error marshal_child_elements(lmx::c_xml_writer& writer) const;
                """)
            if self.is_root:
                constructors, document = document_declarations(self.cls.cpp_name)
                entry_points = document + render("""
                    lmx::elmx_error marshal(lmx::c_xml_writer& writer, const char* name = nullptr) const;
                    """) + entry_points
            protected = ""
        else:
            if self.is_all:
                enumerators = "".join(f"all_{e.item.name},\n" for e in self.items)
                choice_api = render("""
                    enum elmx_all {
                    $enumerators$};

                    elmx_all getorder(unsigned int position) const;
                    unsigned int getorder(elmx_all item) const;
                    unsigned int sizeorder() const;
                    """, enumerators=indent(enumerators))
                members += f"lmx::ct_order_record<elmx_all, {len(self.items)}> m_order;\n"
            entry_points = render("""
                lmx::elmx_error marshal(lmx::c_xml_writer& writer, const char* name) const;
                lmx::elmx_error unmarshal(lmx::c_xml_reader& reader, const std::string& name);
                """)
            if self.cls.kind == "element":
                entry_points += "lmx::elmx_error unmarshal(lmx::c_xml_reader& reader);\n"
            protected = """
                void marshal_attributes(lmx::c_xml_writer& writer) const;
                lmx::elmx_error marshal_child_elements(lmx::c_xml_writer& writer) const;
                """
            if self.attributes:
                protected += """
                    bool unmarshal_attributes(lmx::c_xml_reader& reader, const std::string& name,
                                              lmx::elmx_error* error);
                    lmx::elmx_error unmarshal_attributes_check(lmx::c_xml_reader& reader);
                    """
            protected += """
                bool unmarshal_body(lmx::c_xml_reader& reader, std::string* name, lmx::elmx_error* error$more$);
                """.replace("$more$", ", bool has_content" if self.is_simple else "")
            protected = "\nprotected:\n" + indent(render(protected))
        return self.r("""
            class $name$ {
            public:
            $nested$$choice_api$    $name$();
            $constructors$    $name$(const $name$& other);
                $name$& operator=(const $name$& other);
                virtual ~$name$();
                void swap($name$& other);
                void reset();
                bool is_occurs_ok() const;

            $accessors$
            $entry_points$$protected$
            private:
                template <typename>
                friend class lmx::ct_bound_parse;
                template <typename>
                friend class lmx::ct_bound_write;

                void init();
                void release();
            $private$
            $members$};
            """, nested=indent(nested), choice_api=indent(choice_api),
                      accessors=indent(accessors), entry_points=indent(entry_points),
                      constructors=indent(constructors),
                      protected=protected, members=indent(members),
                      private=indent(self.private_declarations()))

    def untested(self):
        return self.is_all and any(i.untested for i in self.cls.items)

    def private_declarations(self):
        text = "bool is_all_complete() const;\n" if self.untested() else ""
        if self.skippable:
            text += "bool is_choice_made() const;\nvoid mark_choice_skipped();\n"
        return text

    # The source file.
    def tables(self):
        text = "".join(n.tables() for n in self.nested)
        text += "".join(e.enum_table() for e in self.attributes + self.items
                        if hasattr(e, "enum_table"))
        if self.is_root:
            text += document_writer(self.cls.cpp_name, self.write_function(), "marshal(writer)")
        if self.schema.strict:
            for emitter in self.attributes + self.items:
                item = emitter.item
                if item.enumeration and item.form != "option":
                    literals = "".join(f'"{literal}", ' for literal in item.enumeration)
                    text += self.r("""
                        const char* const k_$flat$_$X$_literals[] = {$literals$nullptr};

                        """, X=item.name, literals=literals)
        if self.attributes:
            text += self.r("""
                const lmx::s_event_map k_$flat$_attributes[] = {
                $rows$};

                """, rows=indent(_table_rows([e.item for e in self.attributes])))
        if self.is_choice or self.elements:
            suffix = "options" if self.is_group else "elements"
            items = [e.item for e in (self.items if self.is_choice else self.elements)]
            text += self.r("""
                const lmx::s_event_map k_$flat$_$suffix$[] = {
                $rows$};

                """, suffix=suffix, rows=indent(_table_rows(items)))
        if not self.is_group:
            text += self.r("""
                const lmx::s_class_parse k_$flat$_parse = {
                    k_file, __LINE__, "$schema_name$", lmx::$content$, lmx::$mode$, $required$,
                    $check$};

                """, content=_CONTENT[self.cls.content],
                          mode="ELMX_PARSE_STRICT" if self.schema.strict else "ELMX_PARSE_LENIENT",
                          required=self.content_required(), check=self.check_occurs())
        return text

    def write_function(self):
        return f"write_{self.cls.flat_name}"

    def content_required(self):
        if self.cls.content_optional or self.cls.empty_allowed:
            return "false"
        if self.is_choice:
            return "true"
        return "true" if any(i.min_occurs > 0 for i in self.cls.items
                             if i.form in ("element", "all")) \
            else "false"

    def check_occurs(self):
        if self.schema.strict or self.cls.content != "sequence":
            return "false"
        return "true" if any(i.min_occurs > 0 for i in self.cls.items) else "false"

    def definitions(self):
        text = "".join(n.definitions() for n in self.nested)
        everything = self.attributes + self.items
        init = join(e.init() for e in everything)
        release = join(e.release() for e in everything)
        swap = join(e.swap() for e in everything)
        if self.is_choice:
            release += "m_choice.release();\n"
            swap += "m_choice.swap(other.m_choice);\n"
        if self.is_all:
            swap += "std::swap(m_order, other.m_order);\n"
        occurs = [e.occurs().strip() for e in everything if e.occurs()]
        if self.is_choice and not self.choice_optional:
            occurs.append("!m_choice.is_none()")
        text += self.r("""
            $q$::$name$() {
                init();
            }

            $q$::$name$(const $name$& other) = default;

            $q$& $q$::operator=(const $name$& other) {
                $name$ copy(other);
                swap(copy);
                return *this;
            }

            $q$::~$name$() {
                release();
            }

            void $q$::swap($swap_param$) {
            $swap$}

            void $q$::reset() {
                $name$ fresh;
                swap(fresh);
            }

            bool $q$::is_occurs_ok() const {
                return $occurs$;
            }

            void $q$::init() {
            $init$}

            void $q$::release() {
            $release$}

            """, swap_param=_param(f"{self.cls.cpp_name}&", "other", bool(swap)),
                       swap=indent(swap), occurs=" && ".join(occurs) or "true",
                       init=indent(init), release=indent(release))
        for emitter in everything:
            accessors = emitter.definitions()
            if accessors:
                text += accessors + "\n"
        if self.is_all:
            text += self.order_definitions()
        if self.is_choice:
            text += self.choice_definitions()
        text += self.group_definitions() if self.is_group else self.element_definitions()
        if self.is_root:
            text += document_definitions(self.cls.cpp_name, self.write_function()) + self.r("""
                lmx::elmx_error $q$::unmarshal(lmx::c_xml_reader& reader) {
                    return lmx::parse_root_document(reader, k_ns_map, {k_file, __LINE__}, *this);
                }

                lmx::elmx_error $q$::marshal(lmx::c_xml_writer& writer, const char*) const {
                    return marshal_child_elements(writer);
                }

                """)
        if self.cls.kind == "element":
            text += self.r("""
                lmx::elmx_error $q$::unmarshal(lmx::c_xml_reader& reader) {
                    return lmx::parse_document(reader, k_ns_map, $ns_id$, "$element$", {k_file, __LINE__},
                                               *this);
                }

                """, ns_id=self.schema.ns_id, element=self.cls.element_name)
        return text

    def order_definitions(self):
        text = self.r("""
            $q$::elmx_all $q$::getorder(unsigned int position) const {
                return m_order.at(position);
            }

            unsigned int $q$::getorder(elmx_all item) const {
                return m_order.position_of(item);
            }

            unsigned int $q$::sizeorder() const {
                return m_order.size();
            }

            """)
        if self.untested():
            complete = [e.complete() for e in self.items if e.complete()]
            text += self.r("""
                bool $q$::is_all_complete() const {
                    return $all$;
                }

                """, all=" && ".join(complete))
        return text

    def group_definitions(self):
        cases = "".join(e.write() for e in self.items)
        parse_cases = "".join(f"case {e.item.event}:\n{indent(e.parse())}" for e in self.items)
        return self.r("""
            bool $q$::is_member(lmx::c_xml_reader& reader, const std::string&) {
                return lmx::is_group_member(reader, k_$flat$_options);
            }

            bool $q$::unmarshal(lmx::c_xml_reader& reader, std::string* name, lmx::elmx_error* error) {
                reader.tokenise(k_$flat$_options, lmx::ELXP_ELEMENT_MODE);
                switch (reader.get_current_event()) {
            $parse_cases$        default:
                        *error = lmx::report(reader, lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT, *name,
                                             {k_file, __LINE__});
                        break;
                }
                return *error == lmx::ELMX_OK;
            }

            $write$""", parse_cases=indent(parse_cases, 2), write=self.choice_write())

    def choice_definitions(self):
        text = self.r("""
            $q$::elmx_chosen $q$::getchosen() const {
                return static_cast<elmx_chosen>(m_choice.chosen());
            }

            """)
        if self.choice_optional:
            text += self.r("""
                void $q$::no_choice_set() {
                    m_choice.release();
                }

                """)
        if self.skippable:
            text += self.r("""
                bool $q$::is_choice_made() const {
                    return !m_choice.is_none();
                }

                void $q$::mark_choice_skipped() {
                    m_choice.select<chosen_skipped>();
                }

                """)
        return text

    def choice_write(self):
        cases = "".join(e.write() for e in self.items)
        if self.skippable:
            cases += "case chosen_skipped:\n    return lmx::ELMX_OK;\n"
        return self.r("""
            lmx::elmx_error $q$::marshal_child_elements(lmx::c_xml_writer& writer) const {
                switch (getchosen()) {
            $cases$        default:
                        return lmx::report_no_choice(writer, "$schema_name$", {k_file, __LINE__});
                }
            }

            """, cases=indent(cases, 2))

    def write_frame(self):
        if self.is_simple:
            return "write_bound_simple_content"
        return "write_bound_attributes" if self.has_no_content else "write_bound_element"

    def element_definitions(self):
        text = self.r("""
            lmx::elmx_error $q$::marshal(lmx::c_xml_writer& writer, const char* name) const {
                return lmx::$frame$(writer, name, k_ns_map, *this);
            }

            lmx::elmx_error $q$::unmarshal(lmx::c_xml_reader& reader, const std::string& name) {
                return lmx::parse_bound_element(reader, name, k_$flat$_parse, *this);
            }

            """, frame=self.write_frame())
        attribute_writes = join(e.write() for e in self.attributes)
        text += self.r("""
            void $q$::marshal_attributes($param$) const {
            $body$}

            """, param=_param("lmx::c_xml_writer&", "writer", bool(attribute_writes)),
                       body=indent(attribute_writes))
        writes = "" if self.is_choice else join(e.write() for e in self.items)
        if self.is_all and writes:
            writes = self.r("""
                return lmx::write_in_order(m_order, [&](elmx_all item) -> lmx::elmx_error {
                    switch (item) {
                $cases$    }
                    return lmx::ELMX_OK;
                });
                """, cases=indent(writes))
        elif "error" in writes:
            writes = "lmx::elmx_error error = lmx::ELMX_OK;\n" + writes
        text += self.r("""
            lmx::elmx_error $q$::marshal_child_elements($param$) const {
            $body$$tail$}

            """, param=_param("lmx::c_xml_writer&", "writer", bool(writes)), body=indent(writes),
                       tail="" if self.is_all and writes else "    return lmx::ELMX_OK;\n") \
            if not self.is_choice else self.choice_write()
        if self.attributes:
            required = [f"m_{e.item.name}_present" for e in self.attributes
                        if e.item.occurs == "required"]
            if required:
                check = self.r("""
                    if ($all$) return lmx::ELMX_OK;
                    return lmx::report(reader, lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING, "$schema_name$",
                                       {k_file, __LINE__});
                    """, all=" && ".join(required))
            else:
                check = "return lmx::ELMX_OK;\n"
            text += self.r("""
                bool $q$::unmarshal_attributes(lmx::c_xml_reader& reader, const std::string&,
                                               lmx::elmx_error* error) {
                    reader.tokenise(k_$flat$_attributes, lmx::ELXP_ATTRIBUTE_MODE);
                    switch (reader.get_current_event()) {
                $cases$        default:
                            return false;
                    }
                }

                lmx::elmx_error $q$::unmarshal_attributes_check($param$) {
                $check$}

                """, cases=indent(_cases(self.attributes, "parse"), 2),
                           param=_param("lmx::c_xml_reader&", "reader", bool(required)),
                           check=indent(check))
        body = ""
        if self.is_simple:
            return text + self.body_definition(self.items[0].parse())
        if self.is_choice:
            parse_cases = "".join(f"case {e.item.event}:\n{indent(e.parse())}" for e in self.items)
            body += self.r("""
                reader.tokenise(k_$flat$_elements, lmx::ELXP_ELEMENT_MODE);
                switch (reader.get_current_event()) {
                $cases$    default:
                        return true;
                }
                return false;
                """, cases=indent(parse_cases))
            return text + self.body_definition(body)
        if self.elements:
            body += self.r("""
                reader.tokenise(k_$flat$_elements, lmx::ELXP_ELEMENT_MODE);
                switch (reader.get_current_event()) {
                $cases$    default:
                        break;
                }
                """, cases=indent(_cases(self.elements, "parse")))
        for group in self.groups:
            body += group.r("""
                if ($C$::is_member(reader, *name)) {
                $body$}
                """, body=indent(group.parse()))
        if body:
            body += "return true;\n"
        return text + self.body_definition(body or "return true;\n", bool(body))

    def body_definition(self, body, used=True):
        more = ", bool has_content" if self.is_simple else ""
        return self.r("""
            bool $q$::unmarshal_body($reader$, $name_param$, $error$$more$) {
            $body$}

            """, more=more, reader=_param("lmx::c_xml_reader&", "reader", used),
                      name_param=_param("std::string*", "name", used),
                      error=_param("lmx::elmx_error*", "error", used), body=indent(body))


class DocumentElementEmitter:
    """A global element of a named type: the type's class with the document-root entry points."""

    def __init__(self, cls, schema):
        self.cls = cls
        self.schema = schema
        self.v = {"name": cls.cpp_name, "base": cls.base.qualified, "element": cls.element_name,
                  "ns_id": schema.ns_id, "write": f"write_{cls.element_name}"}

    def r(self, template, **extra):
        return render(template, **{**self.v, **extra})

    def declaration(self):
        constructors, document = document_declarations(self.cls.cpp_name)
        return self.r("""
            class $name$ : public $base$ {
            public:
                $name$();
            $constructors$    $name$(const $name$& other);
                $name$& operator=(const $name$& other);
                ~$name$() override;
                void swap($name$& other);
                void reset();

            $document$    lmx::elmx_error unmarshal(lmx::c_xml_reader& reader, const std::string& name);
                lmx::elmx_error marshal(lmx::c_xml_writer& writer, const char* name = "$element$") const;
            };
            """, constructors=indent(constructors), document=indent(document))

    def tables(self):
        return document_writer(self.cls.cpp_name, self.v["write"],
                               f'marshal(writer, "{self.cls.element_name}")')

    def definitions(self):
        return self.r("""
            $name$::$name$() = default;

            $name$::$name$(const $name$& other) = default;

            $name$& $name$::operator=(const $name$& other) {
                $name$ copy(other);
                swap(copy);
                return *this;
            }

            $name$::~$name$() = default;

            void $name$::swap($name$& other) {
                $base$::swap(other);
            }

            void $name$::reset() {
                $name$ fresh;
                swap(fresh);
            }

            lmx::elmx_error $name$::unmarshal(lmx::c_xml_reader& reader) {
                return lmx::parse_document(reader, k_ns_map, $ns_id$, "$element$", {k_file, __LINE__},
                                           static_cast<$base$&>(*this));
            }

            lmx::elmx_error $name$::unmarshal(lmx::c_xml_reader& reader, const std::string& name) {
                return $base$::unmarshal(reader, name);
            }

            lmx::elmx_error $name$::marshal(lmx::c_xml_writer& writer, const char* name) const {
                return $base$::marshal(writer, name);
            }

            """) + document_definitions(self.cls.cpp_name, self.v["write"])


def emitter_for(cls, schema):
    if cls.kind == "element" and cls.base is not None:
        return DocumentElementEmitter(cls, schema)
    return ClassEmitter(cls, schema)
