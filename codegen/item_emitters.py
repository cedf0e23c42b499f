"""One emitter per (cardinality x kind) cell of the item grid.

Each emitter prints, for one item of one class: its storage with its initial value, its
accessors (defined in the class when they touch only the class's own members, in the source file
when they need another class complete), its share of is_occurs_ok, the step that parses it and the
statement that writes it. The special members come from the storage. select_emitter() is the one
place where the cell is chosen.
"""

from templates import Printer, indent


class ItemEmitter(Printer):
    def __init__(self, item, owner, schema):
        self.item = item
        self.owner = owner
        self.schema = schema
        self.v = {
            "X": item.name,
            "member": f"m_{item.name}",
            "cls": owner.qualified,
            "site": call_site(owner),
        }
        if item.value is not None:
            self.v.update(T=item.value.cpp, ws=item.value.whitespace)
            self.v["param"] = f"const {item.value.cpp}&" if item.value.by_reference else item.value.cpp
            self.v["ret"] = self.v["param"]
        if item.cls is not None:
            self.v["C"] = item.cls.qualified
        # A shared default is read through get() and filled through fresh().
        shared = item.shared_default
        self.v["value"] = f"m_{item.name}.get()" if shared else f"m_{item.name}"
        self.v["target"] = f"m_{item.name}.fresh()" if shared else f"m_{item.name}"

    def body_indent(self):
        return class_body_indent(self.owner)

    # Storage and lifecycle.
    def members(self):
        return ""

    def declarations(self):
        return ""

    def definitions(self):
        return ""

    def occurs(self):
        return None

    # Parsing and writing.
    def parse(self):
        return ""

    def write(self):
        return ""

    def read_element(self, target):
        """The statement that reads the element's value into target; raw text is kept as the
        element's content, unparsed."""
        target = self.r(target).strip()
        if self.item.value.kind == "raw":
            return self.r("*error = lmx::read_raw_element(reader, *name, &$target$, $site$);\n",
                          target=target)
        return self.r("*error = lmx::read_element(reader, *name, $rules$, $site$, &$target$);\n",
                      rules=self.rules(), target=target)

    def rules(self):
        """How the item's text is read and checked: inline for the whitespace mode alone, else
        the rules constant of rules_table()."""
        if not self.has_rules_table():
            return f"lmx::s_value_rules{{lmx::{self.item.value.whitespace}}}"
        return f"k_{self.owner.flat_name}_{self.item.name}_rules"

    def checks_literals(self):
        return bool(self.item.enumeration) and self.schema.strict

    def element_default(self):
        """The text that an element of the item with empty content reads as."""
        if self.item.form == "attribute":
            return None
        return self.item.default if self.item.default is not None else self.item.fixed

    def has_rules_table(self):
        return self.item.value is not None and (
            self.item.fixed is not None or self.checks_literals()
            or self.element_default() is not None)

    def rules_table(self):
        if not self.has_rules_table():
            return ""
        fixed = narrow_literal(self.item.fixed) if self.item.fixed is not None else "nullptr"
        literals = "nullptr"
        if self.checks_literals():
            literals = f"k_{self.owner.flat_name}_{self.item.name}_literals"
        default = self.element_default()
        default = narrow_literal(default) if default is not None else "nullptr"
        return self.r(
            "const lmx::s_value_rules $rules${lmx::$ws$, $fixed$, $literals$, $default$};\n",
            rules=self.rules(), fixed=fixed, literals=literals, default=default)

    def value_members(self):
        """The value's storage: the value itself, or a shared default and its constant."""
        if self.item.shared_default:
            return self.r("""
                static const $T$& default_$X$();
                lmx::ct_shared_default<$T$> $member${default_$X$()};
                """)
        return self.r("$T$ $member$$init$;\n", init=self.initialiser())

    def shared_default_definition(self):
        if not self.item.shared_default:
            return ""
        return self.r("""
            const $T$& $cls$::default_$X$() {
                static const $T$ k_value = $default$;
                return k_value;
            }

            """, default=self.default_literal())

    def default_reset(self):
        """What unset_X does to the value: it reads as its default again."""
        if self.item.default is None:
            return []
        if self.item.shared_default:
            return ["$member$.restore_default();"]
        return [self.r("$member$ = $default$;", default=self.default_literal())]

    def initialiser(self):
        """The member's default initialiser: the schema's default, or zero for numbers and
        flags; class-typed values without a default start empty."""
        kind = self.item.value.kind
        if self.item.default is None and kind in ("wstring", "raw", "value_class"):
            return ""
        return f" = {self.default_literal()}"

    def default_literal(self):
        value = self.item.default
        kind = self.item.value.kind
        if kind == "value_class":
            return f'{self.item.value.cpp}("{value}")' if value is not None \
                else f"{self.item.value.cpp}()"
        if value is None:
            return {"wstring": "std::wstring()", "raw": "std::string()", "bool": "false",
                    "double": "0.0"}.get(kind, "0")
        if kind == "wstring":
            return f'L"{cpp_escape(value)}"'
        if kind == "bool":
            return "true" if value in ("true", "1") else "false"
        return value


def class_body_indent(cls):
    return 4 if cls.outer is None else 4 + class_body_indent(cls.outer)


def call_site(cls):
    """Where a check is written: the source file's name constant and the line."""
    return f"{{{file_constant(cls)}, __LINE__}}"


def file_constant(cls):
    """The source file's name constant; named after the file, so that the generated sources of
    one schema can be compiled as one unity build."""
    return f"k_{cls.top.file_id}_file"


def cpp_escape(text):
    """A C++ wide literal's body holding the text as UTF-16 code units."""
    out = []
    for char in text:
        if char in '\\"':
            out.append("\\" + char)
        elif 32 <= ord(char) < 127:
            out.append(char)
        else:
            units = char.encode("utf-16-le")
            for i in range(0, len(units), 2):
                out.append(f"\\x{int.from_bytes(units[i:i + 2], 'little'):04x}\"L\"")
    return "".join(out)


def narrow_literal(text):
    """A C++ narrow literal holding the text as UTF-8."""
    out = []
    for byte in text.encode("utf-8"):
        char = chr(byte)
        if char in '\\"':
            out.append("\\" + char)
        elif 32 <= byte < 127:
            out.append(char)
        else:
            out.append(f'\\x{byte:02x}""')
    return '"' + "".join(out) + '"'


def literal_constant(enumerator):
    """The namespace-level wide constant that holds the text of an elmx_enums literal."""
    return "k_literal" + enumerator[1:]


class _EnumMixin:
    """getenum_X and setenum_X of an enumerated simple item."""

    def enum_declarations(self):
        if not self.item.enum_codes:
            return ""
        return self.r("""
            elmx_enums getenum_$X$() const;
            bool setenum_$X$(elmx_enums value);
            """)

    def enum_table(self):
        """The item's literals with their codes, in the source file's tables."""
        if not self.item.enum_codes:
            return ""
        rows = "".join(f"{{{name}, {literal_constant(name)}}},\n" for name in self.item.enum_names)
        return self.r("""
            const lmx::s_enum_literal $table$[] = {
            $rows$    {0, nullptr}};

            """, table=self.enum_table_name(), rows=indent(rows))

    def enum_table_name(self):
        return f"k_{self.owner.flat_name}_{self.item.name}_codes"

    def enum_definitions(self):
        if not self.item.enum_codes:
            return ""
        return self.r("""
            elmx_enums $cls$::getenum_$X$() const {
                return static_cast<elmx_enums>(lmx::find_enum_code($value$, $table$));
            }

            bool $cls$::setenum_$X$(elmx_enums value) {
                const wchar_t* literal = lmx::find_enum_literal(value, $table$);
                if (literal == nullptr) return false;
                set_$X$(literal);
                return true;
            }

            """, table=self.enum_table_name())


class _ComplexAccessorsMixin:
    """get_X, its const form and assign_X of a complex item; each storage kind supplies only the
    statements that reach the object."""

    def complex_declarations(self):
        return self.r("""
            $C$& get_$X$();
            const $C$& get_$X$() const;
            $C$& assign_$X$(const $C$& value);
            """)

    def inline_complex_accessors(self, get_statements, const_get_statement):
        """The accessors defined in the class, for an object embedded in it."""
        return (self.inline("$C$& get_$X$()", *get_statements)
                + self.inline("const $C$& get_$X$() const", const_get_statement)
                + self.inline("$C$& assign_$X$(const $C$& value)", "return get_$X$() = value;"))

    def complex_definitions(self, get_statements, const_get_statement):
        reach = "\n    ".join(self.r(statement).rstrip("\n") for statement in get_statements)
        return self.r("""
            $C$& $cls$::get_$X$() {
                $reach$
            }

            const $C$& $cls$::get_$X$() const {
                $const_reach$
            }

            $C$& $cls$::assign_$X$(const $C$& value) {
                return get_$X$() = value;
            }
            """, reach=reach, const_reach=self.r(const_get_statement).rstrip("\n"))


class _PresenceMixin:
    """Single items whose presence is a flag."""

    def presence_members(self):
        return self.r("bool $member$_present = false;\n")


class SimpleSingleEmitter(ItemEmitter, _PresenceMixin, _EnumMixin):
    """An attribute, or a simple-typed element of a sequence, held as a value with a flag."""

    def members(self):
        return self.value_members() + self.presence_members()

    def declarations(self):
        text = self.inline("$ret$ get_$X$() const", "return $value$;")
        text += self.inline("lmx::elmx_error set_$X$($param$ value)", "$member$ = value;",
                            "$member$_present = true;", "return lmx::ELMX_OK;")
        text += self.enum_declarations()
        if self.item.fixed is not None:
            text += self.inline("lmx::elmx_error set_$X$()", "return set_$X$($literal$);",
                                literal=f'L"{cpp_escape(self.item.fixed)}"')
        if self.item.occurs == "optional":
            text += self.inline("bool isset_$X$() const", "return $member$_present;")
            text += self.inline("void unset_$X$()", "$member$_present = false;",
                                *self.default_reset())
        return text

    def definitions(self):
        return self.shared_default_definition() + self.enum_definitions()

    def occurs(self):
        return self.r("$member$_present") if self.item.occurs == "required" else None

    def parse(self):
        if self.item.form == "attribute":
            return self.r("""
                *error = lmx::read_attribute(reader, "$X$", $rules$, $site$,
                                             &$member$_present, &$target$);
                return true;
                """, rules=self.rules())
        return self.r("""
            $read$$member$_present = true;
            return false;
            """, read=self.read_element("$target$"))

    def write(self):
        if self.item.form == "attribute":
            statement = self.r('lmx::write_attribute(writer, "$X$", $value$);\n')
        elif self.item.value.kind == "raw":
            statement = self.r("""
                if ((error = lmx::write_raw_element(writer, "$X$", $member$, $site$)) != lmx::ELMX_OK)
                    return error;
                """)
            if self.item.occurs != "required":
                return self.r("if ($member$_present) {\n$body$}\n", body=indent(statement))
            return statement
        else:
            statement = self.r('lmx::write_simple_element(writer, "$X$", $value$);\n')
        if self.item.occurs == "required":
            return statement
        return self.r("if ($member$_present) $statement$", statement=statement)


class FlagEmitter(ItemEmitter, _PresenceMixin):
    """An empty element of a sequence: present or not, with no value."""

    def members(self):
        return self.presence_members()

    def declarations(self):
        text = self.inline("void set_$X$()", "$member$_present = true;")
        if self.item.occurs == "optional":
            text += self.inline("bool isset_$X$() const", "return $member$_present;")
            text += self.inline("void unset_$X$()", "$member$_present = false;")
        return text

    def occurs(self):
        if self.item.occurs == "required" and not self.item.untested:
            return self.r("$member$_present")
        return None

    def parse(self):
        return self.r("""
            *error = lmx::read_empty_element(reader, *name, $site$);
            $member$_present = true;
            return false;
            """)

    def write(self):
        statement = self.r('lmx::write_empty_element(writer, "$X$");\n')
        if self.item.occurs == "required":
            return statement
        return self.r("if ($member$_present) $statement$", statement=statement)


class TextEmitter(SimpleSingleEmitter):
    """The text of a simple-content class, named after the class's schema name."""

    def parse(self):
        if self.item.occurs == "optional":
            return self.r("""
                *error = lmx::read_optional_simple_content(reader, *name, has_content, $rules$,
                                                           $site$, &$member$, &$member$_present);
                return false;
                """, rules=self.rules())
        return self.r("""
            *error = lmx::read_simple_content(reader, *name, has_content, $rules$, $site$,
                                              &$member$);
            $member$_present = true;
            return false;
            """, rules=self.rules())

    def write(self):
        statement = self.r("lmx::write_value(writer(false), $member$);\n")
        if self.item.occurs == "optional":
            return self.r("if ($member$_present) $statement$", statement=statement)
        return statement


class ComplexSingleEmitter(ItemEmitter, _PresenceMixin, _ComplexAccessorsMixin):
    """A complex-typed element of a sequence, embedded in its parent."""

    def members(self):
        return self.r("$C$ $member$;\n") + self.presence_members()

    def declarations(self):
        text = self.inline_complex_accessors(["$member$_present = true;", "return $member$;"],
                                             "return $member$;")
        if self.item.occurs == "optional":
            text += self.inline("bool isset_$X$() const", "return $member$_present;")
            text += self.inline("void unset_$X$()", "$member$_present = false;")
        return text

    def occurs(self):
        return self.r("$member$_present") if self.item.occurs == "required" else None

    def parse(self):
        return self.r("""
            $member$_present = true;
            *error = $member$.unmarshal(reader, *name);
            return false;
            """)

    def write(self):
        condition = "" if self.item.occurs == "required" else f"m_{self.item.name}_present && "
        return self.r("""
            if ($condition$(error = $member$.marshal(writer, "$X$")) != lmx::ELMX_OK)
                return error;
            """, condition=condition)


class OwnedComplexEmitter(ItemEmitter, _ComplexAccessorsMixin):
    """A complex-typed element of a sequence that closes a cycle of classes: held through an owned
    pointer, present once it exists."""

    def members(self):
        return self.r("lmx::ct_owned<$C$> $member$;\n")

    def declarations(self):
        text = self.complex_declarations()
        if self.item.occurs == "optional":
            text += self.r("""
                bool isset_$X$() const;
                void unset_$X$();
                """)
        return text

    def definitions(self):
        text = self.complex_definitions(["return $member$.get();"], "return $member$.get();")
        if self.item.occurs == "optional":
            text += self.r("""
                bool $cls$::isset_$X$() const {
                    return $member$.exists();
                }

                void $cls$::unset_$X$() {
                    $member$.release();
                }
                """)
        return text

    def occurs(self):
        return self.r("$member$.exists()") if self.item.occurs == "required" else None

    def parse(self):
        return self.r("""
            *error = $member$.get().unmarshal(reader, *name);
            return false;
            """)

    def write(self):
        condition = "" if self.item.occurs == "required" else f"m_{self.item.name}.exists() && "
        return self.r("""
            if ($condition$(error = $member$.get().marshal(writer, "$X$")) != lmx::ELMX_OK)
                return error;
            """, condition=condition)


class ComplexListEmitter(ItemEmitter):
    """A complex-typed element with maxOccurs above 1: a list of owned objects."""

    def max_argument(self):
        return "" if self.item.max_occurs is None else f", {self.item.max_occurs}"

    def members(self):
        return self.r("lmx::ct_owned_list<$C$> $member$;\n")

    def declarations(self):
        return self.inline("unsigned int size_$X$() const", "return $member$.size();") + self.r("""
            $C$& get_$X$(unsigned int index);
            const $C$& get_$X$(unsigned int index) const;
            lmx::elmx_error append_$X$();
            lmx::elmx_error insert_$X$(unsigned int index);
            $C$& assign_$X$(unsigned int index, const $C$& value);
            $C$& back_$X$();
            void delete_$X$(unsigned int index);
            void clear_$X$();
            """)

    def definitions(self):
        return self.r("""
            $C$& $cls$::get_$X$(unsigned int index) {
                return $member$.grow_to(index);
            }

            const $C$& $cls$::get_$X$(unsigned int index) const {
                return $member$.at(index);
            }

            lmx::elmx_error $cls$::append_$X$() {
                return $member$.append($C$()$max$);
            }

            lmx::elmx_error $cls$::insert_$X$(unsigned int index) {
                return $member$.insert(index, $C$()$max$);
            }

            $C$& $cls$::assign_$X$(unsigned int index, const $C$& value) {
                return get_$X$(index) = value;
            }

            $C$& $cls$::back_$X$() {
                return $member$.back();
            }

            void $cls$::delete_$X$(unsigned int index) {
                $member$.erase(index);
            }

            void $cls$::clear_$X$() {
                $member$.clear();
            }
            """, max=self.max_argument())

    def occurs(self):
        tests = []
        if self.item.min_occurs > 0:
            tests.append(self.r("$member$.size() >= $min$", min=self.item.min_occurs))
        if self.item.max_occurs is not None:
            tests.append(self.r("$member$.size() <= $max$", max=self.item.max_occurs))
        return " && ".join(tests) or None

    def parse(self):
        return self.r("""
            *error = $member$.append_default().unmarshal(reader, *name);
            return false;
            """)

    def write(self):
        return self.r("""
            if ((error = lmx::write_list(writer, "$X$", $member$)) != lmx::ELMX_OK)
                return error;
            """)


class SimpleListEmitter(ComplexListEmitter):
    """A simple-typed element with maxOccurs above 1: a list of owned values."""

    def members(self):
        return self.r("lmx::ct_owned_list<$T$> $member$;\n")

    def declarations(self):
        max_occurs = self.max_argument()
        return (self.inline("unsigned int size_$X$() const", "return $member$.size();")
                + self.inline("const $T$& get_$X$(unsigned int index) const",
                              "return $member$.at(index);")
                + self.inline("lmx::elmx_error set_$X$(unsigned int index, const $T$& value)",
                              "return $member$.set(index, value);")
                + self.inline("lmx::elmx_error append_$X$(const $T$& value)",
                              "return $member$.append(value$max$);", max=max_occurs)
                + self.inline("lmx::elmx_error insert_$X$(unsigned int index, const $T$& value)",
                              "return $member$.insert(index, value$max$);", max=max_occurs)
                + self.inline("void delete_$X$(unsigned int index)", "$member$.erase(index);")
                + self.inline("void clear_$X$()", "$member$.clear();"))

    def definitions(self):
        return ""

    def parse(self):
        return self.r("""
            *error = lmx::read_element(reader, *name, $rules$, $site$,
                                       &$member$.append_default());
            return false;
            """, rules=self.rules())

    def write(self):
        return self.r('lmx::write_simple_list(writer, "$X$", $member$);\n')


class GroupListEmitter(ComplexListEmitter):
    """A model-group reference with maxOccurs above 1: each entry is one option element."""

    def parse(self):
        return self.r("""
            $member$.append_default().unmarshal(reader, name, error);
            return false;
            """)

    def write(self):
        return self.r("""
            if ((error = lmx::write_group_list(writer, $member$)) != lmx::ELMX_OK)
                return error;
            """)


class GroupSingleEmitter(ItemEmitter, _ComplexAccessorsMixin):
    """A single model-group reference, held through an owned pointer created on first need."""

    def members(self):
        return self.r("lmx::ct_owned<$C$> $member$;\n")

    def declarations(self):
        text = self.complex_declarations()
        if self.item.occurs == "optional":
            text += self.r("""
                bool isset_$X$() const;
                void unset_$X$();
                """)
        return text

    def definitions(self):
        text = self.complex_definitions(["return $member$.get();"], "return $member$.get();")
        if self.item.occurs == "optional":
            text += self.r("""
                bool $cls$::isset_$X$() const {
                    return $member$.exists();
                }

                void $cls$::unset_$X$() {
                    $member$.release();
                }
                """)
        return text

    def occurs(self):
        return self.r("$member$.exists()") if self.item.occurs == "required" else None

    def parse(self):
        return self.r("""
            $member$.get().unmarshal(reader, name, error);
            return false;
            """)

    def write(self):
        statement = self.r("""
            if (!$member$.exists()) return lmx::ELMX_TYPE_NOT_SET;
            if ((error = $member$.get().marshal_child_elements(writer)) != lmx::ELMX_OK)
                return error;
            """)
        if self.item.occurs == "required":
            return statement
        return self.r("if ($member$.exists()) {\n$body$}\n", body=indent(statement))


class AllMemberEmitter(ItemEmitter):
    """An element of an xs:all group: present exactly when the order record holds it."""

    def __init__(self, item, owner, schema):
        super().__init__(item, owner, schema)
        self.v["all"] = f"all_{item.name}"

    def presence_declarations(self, reset=()):
        text = self.inline("unsigned int getorder_$X$() const", "return m_order.position_of($all$);")
        if self.item.occurs == "optional":
            text += self.inline("bool isset_$X$() const", "return m_order.contains($all$);")
            text += self.inline("void unset_$X$()", "m_order.remove($all$);", *reset)
        return text

    def occurs(self):
        if self.item.occurs == "required" and not self.item.untested:
            return self.r("m_order.contains($all$)")
        return None

    def complete(self):
        return self.r("m_order.contains($all$)") if self.item.occurs == "required" else None

    def parse(self):
        return self.r("""
            if (m_order.contains($all$))
                return lmx::refuse_repeated_item(reader, *name, $site$, error);
            m_order.add($all$);
            $read$return false;
            """, read=self.read())


class AllSimpleEmitter(AllMemberEmitter, _EnumMixin):
    def members(self):
        return self.value_members()

    def declarations(self):
        return (self.inline("$ret$ get_$X$() const", "return $value$;")
                + self.inline("lmx::elmx_error set_$X$($param$ value)", "$member$ = value;",
                              "m_order.add($all$);", "return lmx::ELMX_OK;")
                + self.enum_declarations() + self.presence_declarations(self.default_reset()))

    def definitions(self):
        return self.shared_default_definition() + self.enum_definitions()

    def read(self):
        return self.read_element("$target$")

    def write(self):
        if self.item.value.kind == "raw":
            return self.r("""
                case $all$:
                    return lmx::write_raw_element(writer, "$X$", $member$, $site$);
                """)
        return self.r("""
            case $all$:
                lmx::write_simple_element(writer, "$X$", $value$);
                return lmx::ELMX_OK;
            """)


class AllComplexEmitter(AllMemberEmitter, _ComplexAccessorsMixin):
    """A complex element of an xs:all group; one that closes a cycle of classes is held through an
    owned pointer."""

    def __init__(self, item, owner, schema):
        super().__init__(item, owner, schema)
        self.v["object"] = f"m_{item.name}.get()" if item.owned else f"m_{item.name}"

    def members(self):
        if self.item.owned:
            return self.r("lmx::ct_owned<$C$> $member$;\n")
        return self.r("$C$ $member$;\n")

    def declarations(self):
        reach = (["m_order.add($all$);", "return $object$;"], "return $object$;")
        if self.item.owned:
            return self.complex_declarations() + self.presence_declarations()
        return self.inline_complex_accessors(*reach) + self.presence_declarations()

    def definitions(self):
        if not self.item.owned:
            return ""
        return self.complex_definitions(["m_order.add($all$);", "return $object$;"],
                                        "return $object$;")

    def read(self):
        return self.r("*error = $object$.unmarshal(reader, *name);\n")

    def write(self):
        return self.r("""
            case $all$:
                return $object$.marshal(writer, "$X$");
            """)


class AllFlagEmitter(AllMemberEmitter):
    """An empty element of an xs:all group: present or not, with no value."""

    def declarations(self):
        return self.inline("void set_$X$()", "m_order.add($all$);") + self.presence_declarations()

    def read(self):
        return self.r("*error = lmx::read_empty_element(reader, *name, $site$);\n")

    def write(self):
        return self.r("""
            case $all$:
                lmx::write_empty_element(writer, "$X$");
                return lmx::ELMX_OK;
            """)


class OptionEmitter(ItemEmitter):
    """An option of a choice; the choice's storage slot holds its value."""

    def __init__(self, item, owner, schema):
        super().__init__(item, owner, schema)
        self.v["option"] = f"chosen_{item.name}"

    def slot_type(self):
        raise NotImplementedError


class ValueOptionEmitter(OptionEmitter):
    """A simple-typed option: a string, a number, or raw XML text kept as it was read."""

    def slot_type(self):
        return self.item.value.cpp

    def declarations(self):
        return self.r("""
            $ret$ get_$X$() const;
            lmx::elmx_error set_$X$($param$ value);
            """)

    def definitions(self):
        return self.r("""
            $ret$ $cls$::get_$X$() const {
                return m_choice.get<$option$>();
            }

            lmx::elmx_error $cls$::set_$X$($param$ value) {
                m_choice.set<$option$>(value);
                return lmx::ELMX_OK;
            }
            """)

    def parse(self):
        return self.read_element("m_choice.select<$option$>()") + "break;\n"

    def write(self):
        if self.item.value.kind == "raw":
            return self.r("""
                case $option$:
                    return lmx::write_raw_element(writer, "$X$", m_choice.get<$option$>(), $site$);
                """)
        return self.r("""
            case $option$:
                lmx::write_simple_element(writer, "$X$", m_choice.get<$option$>());
                return lmx::ELMX_OK;
            """)


class ComplexOptionEmitter(OptionEmitter, _ComplexAccessorsMixin):
    """A complex-typed option, held through an owned pointer in the choice's slot."""

    def slot_type(self):
        return self.r("lmx::ct_owned<$C$>")

    def declarations(self):
        return self.complex_declarations()

    def definitions(self):
        return self.complex_definitions(["return m_choice.select<$option$>().get();"],
                                        "return m_choice.get<$option$>().get();")

    def parse(self):
        return self.r("""
            *error = m_choice.renew<$option$>().get().unmarshal(reader, *name);
            break;
            """)

    def write(self):
        return self.r("""
            case $option$:
                if (!m_choice.get<$option$>().exists()) return lmx::ELMX_TYPE_NOT_SET;
                return m_choice.get<$option$>().get().marshal(writer, "$X$");
            """)


class ListOptionEmitter(OptionEmitter):
    """An option of a model group with maxOccurs above 1: the choice's slot holds a list, and
    each element of the option that the group is handed appends to it."""

    def __init__(self, item, owner, schema):
        super().__init__(item, owner, schema)
        self.v["list"] = f"m_choice.select<chosen_{item.name}>()"
        self.v["clist"] = f"m_choice.get<chosen_{item.name}>()"
        self.v["max"] = "" if item.max_occurs is None else f", {item.max_occurs}"
        self.v["E"] = item.value.cpp if item.value is not None else item.cls.qualified

    def slot_type(self):
        return self.r("lmx::ct_owned_list<$E$>")

    def declarations(self):
        if self.item.value is not None:
            return self.r("""
                unsigned int size_$X$() const;
                const $E$& get_$X$(unsigned int index) const;
                lmx::elmx_error append_$X$(const $E$& value);
                void clear_$X$();
                """)
        return self.r("""
            unsigned int size_$X$() const;
            $E$& get_$X$(unsigned int index);
            const $E$& get_$X$(unsigned int index) const;
            lmx::elmx_error append_$X$();
            $E$& back_$X$();
            void clear_$X$();
            """)

    def definitions(self):
        text = self.r("""
            unsigned int $cls$::size_$X$() const {
                return $clist$.size();
            }

            const $E$& $cls$::get_$X$(unsigned int index) const {
                return $clist$.at(index);
            }

            void $cls$::clear_$X$() {
                $list$.clear();
            }

            """)
        if self.item.value is not None:
            return text + self.r("""
                lmx::elmx_error $cls$::append_$X$(const $E$& value) {
                    return $list$.append(value$max$);
                }
                """)
        return text + self.r("""
            $E$& $cls$::get_$X$(unsigned int index) {
                return $list$.grow_to(index);
            }

            lmx::elmx_error $cls$::append_$X$() {
                return $list$.append($E$()$max$);
            }

            $E$& $cls$::back_$X$() {
                return $list$.back();
            }
            """)

    def parse(self):
        if self.item.value is not None:
            return self.r("""
                *error = lmx::read_element(reader, *name, $rules$, $site$, &$list$.append_default());
                break;
                """, rules=self.rules())
        return self.r("""
            *error = $list$.append_default().unmarshal(reader, *name);
            break;
            """)

    def write(self):
        if self.item.value is not None:
            return self.r("""
                case $option$:
                    lmx::write_simple_list(writer, "$X$", $clist$);
                    return lmx::ELMX_OK;
                """)
        return self.r("""
            case $option$:
                return lmx::write_list(writer, "$X$", $clist$);
            """)


class EmptyOptionEmitter(OptionEmitter):
    """An empty-element option: chosen or not, with no value."""

    def slot_type(self):
        return "lmx::c_empty_option"

    def declarations(self):
        return self.r("void set_$X$();\n")

    def definitions(self):
        return self.r("""
            void $cls$::set_$X$() {
                m_choice.select<$option$>();
            }
            """)

    def parse(self):
        return self.r("""
            m_choice.select<$option$>();
            *error = lmx::read_empty_element(reader, *name, $site$);
            break;
            """)

    def write(self):
        return self.r("""
            case $option$:
                lmx::write_empty_element(writer, "$X$");
                return lmx::ELMX_OK;
            """)


def select_emitter(item, owner, schema):
    """The emitter of the item's cell of the grid; the one place where item kinds are told apart."""
    value_kind = item.value.kind if item.value is not None else None
    if item.form == "option":
        if item.occurs == "list" and value_kind not in ("empty", "raw"):
            return ListOptionEmitter(item, owner, schema)
        if item.occurs == "list":
            raise item.error(
                              f"option '{item.name}': a list of empty or raw elements is not "
                              "supported yet")
        if value_kind == "empty":
            return EmptyOptionEmitter(item, owner, schema)
        if value_kind is not None:
            return ValueOptionEmitter(item, owner, schema)
        return ComplexOptionEmitter(item, owner, schema)
    if item.form == "attribute":
        return SimpleSingleEmitter(item, owner, schema)
    if item.form == "text":
        return TextEmitter(item, owner, schema)
    if item.form == "all":
        if value_kind == "empty":
            return AllFlagEmitter(item, owner, schema)
        if value_kind is None:
            return AllComplexEmitter(item, owner, schema)
        return AllSimpleEmitter(item, owner, schema)
    if item.form == "group":
        if item.occurs == "list":
            return GroupListEmitter(item, owner, schema)
        return GroupSingleEmitter(item, owner, schema)
    if item.occurs == "list":
        if value_kind is None:
            return ComplexListEmitter(item, owner, schema)
        if value_kind not in ("empty", "raw"):
            return SimpleListEmitter(item, owner, schema)
    elif value_kind is None:
        if item.owned:
            return OwnedComplexEmitter(item, owner, schema)
        return ComplexSingleEmitter(item, owner, schema)
    elif value_kind == "empty":
        return FlagEmitter(item, owner, schema)
    else:
        return SimpleSingleEmitter(item, owner, schema)
    raise item.error(
                      f"element '{item.name}': this kind of item is not supported yet")
