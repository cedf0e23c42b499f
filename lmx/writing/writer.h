// The XML writer and the escaping output operators for string values.
//
// Bound classes write element and attribute names, brackets and quotes straight onto the stream
// that the writer hands out; the writer supplies what is shared across the whole document: the
// declaration, indentation and line ends, the namespace attributes of the outermost element,
// prefix lookup and error reporting. Everything is written as UTF-8.
#ifndef LMX_WRITER_H
#define LMX_WRITER_H

#include <deque>
#include <ostream>
#include <string>
#include <utility>

#include "lmx/errors.h"
#include "lmx/event_tables.h"
#include "lmx/values/as_xml.h"

namespace lmx {

// Output wrapper for attribute values: as c_as_xml, and tab and line feed are written as
// character references, so that they survive attribute-value normalisation.
template <typename T>
class c_as_xml_attribute {
public:
    explicit c_as_xml_attribute(const T& value) : m_value(value) {}
    const T& get() const { return m_value; }

private:
    const T& m_value;
};

// Escapes UTF-8 text so that it reads back unchanged: the four XML special characters, ">"
// after "]]", and carriage return (as "&#13;"). Bytes that are not characters XML can carry
// (C0 controls other than tab, line feed and carriage return, U+FFFE, U+FFFF, malformed UTF-8)
// are written as U+FFFD, one for each byte.
class c_as_escaped {
public:
    explicit c_as_escaped(const std::string& value) : m_value(value) {}
    const std::string& get() const { return m_value; }

private:
    const std::string& m_value;
};

// Writes UTF-16 text as plain ASCII: every unit above 127, and every control XML cannot carry,
// becomes ".".
class c_as_ascii {
public:
    explicit c_as_ascii(const std::wstring& value) : m_value(value) {}
    const std::wstring& get() const { return m_value; }

private:
    const std::wstring& m_value;
};

// Writes each unit escaped as c_as_escaped does and encoded as UTF-8; an unpaired surrogate is
// written as U+FFFD.
std::ostream& operator<<(std::ostream& os, const c_as_xml<std::wstring>& value);
std::ostream& operator<<(std::ostream& os, const c_as_xml<std::string>& value);
std::ostream& operator<<(std::ostream& os, const c_as_xml_attribute<std::wstring>& value);
std::ostream& operator<<(std::ostream& os, const c_as_xml_attribute<std::string>& value);
std::ostream& operator<<(std::ostream& os, const c_as_escaped& value);
std::ostream& operator<<(std::ostream& os, const c_as_ascii& value);

// Default limit on the nesting of the elements written: each level costs stack in the bound
// classes that write themselves, so a tree built deeper than a reader would accept fails cleanly.
constexpr unsigned int k_default_max_write_depth = 1024;

class c_xml_writer {
public:
    static const int include_xml_decl = 1;
    static const int include_standalone = 2;

    // The stream, the tab text and the newline text are not owned: the caller keeps all three
    // alive as long as the writer. A null tab or newline text counts as empty. The stream is
    // given the classic locale for good, so numbers are written with "." and no grouping.
    explicit c_xml_writer(std::ostream& os, const char* tab = "\t", const char* newline = "\n");
    // As above, then writes the XML declaration if options has include_xml_decl or
    // include_standalone set.
    c_xml_writer(std::ostream& os, int options, const char* tab = "\t", const char* newline = "\n");
    c_xml_writer(const c_xml_writer&) = delete;
    c_xml_writer& operator=(const c_xml_writer&) = delete;
    virtual ~c_xml_writer() = default;

    // Override either form to log, translate or forgive errors; the result is what
    // handle_error returns, and a nonzero result stops the bound class that reported it.
    virtual elmx_error user_handle_error(elmx_error code, const std::string& item_name,
                                         const char* source_file, int line);
    virtual elmx_error user_handle_error(elmx_error code);
    virtual const std::string& get_error_message(std::string* message) const;
    virtual const char* endl();
    // Writes one unit of indentation.
    virtual void nest();

    // Writes the indentation of the current level when do_indent is true; returns the stream.
    std::ostream& operator()(bool do_indent);
    void indent() { ++m_indent_level; }
    void undent() {
        if (m_indent_level > 0) --m_indent_level;
    }
    // Whether one more level of elements may be opened: false, after ELMX_BADLY_FORMED has gone
    // through handle_error with the element's name, at the depth limit.
    bool may_nest(const char* name);
    void set_max_depth(unsigned int depth) { m_max_depth = depth; }
    unsigned int get_max_depth() const { return m_max_depth; }

    // Extra namespace declarations and schema locations for the outermost element; they take
    // effect only when added before it is written.
    void add_namespace(const std::string& prefix, const std::string& uri);
    void add_default_namespace(const std::string& uri) { add_namespace(std::string(), uri); }
    void add_schema_location(const std::string& ns, const std::string& location);
    void add_no_namespace_schema_location(const std::string& location) {
        add_schema_location(std::string(), location);
    }

    // The first table offered wins: the outermost element's schema decides. Not owned.
    void conditionally_select_ns_map(const s_ns_map* ns_map);
    // Writes the namespace and schema-location attributes on the first call only.
    void conditionally_write_ns_attrs(bool force_xsi_declaration);
    // The prefix bound to uri in the selected table, else in the added namespaces, else null.
    // The text stays valid while the writer lives.
    const char* get_namespace_prefix(const std::string& uri) const;

    // A caller-owned tag that the writer only stores.
    void set_expected_class_identity(const char* identity) { m_expected_class_identity = identity; }
    const char* get_expected_class_identity() const { return m_expected_class_identity; }
    void clear_expected_class_identity() { m_expected_class_identity = nullptr; }

    elmx_error handle_error(elmx_error code, const std::string& item_name, const char* source_file,
                            int line);
    const std::string& get_error_item_name() const { return m_error_item_name; }
    // Writing never records into the error record, so this reports nothing.
    bool get_error_info(elmx_error_type* type, elmx_error* code, int* line) const {
        return m_error.get_error_info(type, code, line);
    }

private:
    using string_pair = std::pair<std::string, std::string>;

    void write_ns_attribute(const char* prefix, const char* uri);

    std::ostream& m_os;
    int m_indent_level = 0;
    unsigned int m_max_depth = k_default_max_write_depth;
    const char* m_tab;
    const char* m_newline;
    bool m_ns_attrs_written = false;
    c_error m_error;
    elmx_error m_last_error = ELMX_OK;
    std::string m_error_item_name;
    const s_ns_map* m_ns_map = nullptr;
    // Deques keep element addresses stable, so prefixes handed out stay valid after additions.
    std::deque<string_pair> m_namespaces;
    std::deque<string_pair> m_schema_locations;
    const char* m_expected_class_identity = nullptr;
};

}  // namespace lmx

#endif  // LMX_WRITER_H
