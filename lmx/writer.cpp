#include "lmx/writer.h"

#include <cstring>
#include <locale>
#include <string_view>
#include <type_traits>

#include "lmx/conversions.h"

namespace lmx {

namespace {

constexpr const char* k_xsi_namespace = "http://www.w3.org/2001/XMLSchema-instance";

// The entity reference of a character that must be escaped, or an empty view.
inline std::string_view escape_of(char32_t c) {
    switch (c) {
        case '"':
            return "&quot;";
        case '\'':
            return "&apos;";
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        default:
            return {};
    }
}

inline bool needs_escape(unsigned char c) {
    return c == '"' || c == '\'' || c == '&' || c == '<';
}

inline void write_view(std::ostream& os, std::string_view text) {
    os.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Collects encoded output in a small fixed block and hands it to the stream block by block, so
// that wide text costs one stream call per block rather than one per character.
class c_chunked_output {
public:
    explicit c_chunked_output(std::ostream& os) : m_os(os) {}
    c_chunked_output(const c_chunked_output&) = delete;
    c_chunked_output& operator=(const c_chunked_output&) = delete;
    ~c_chunked_output() { flush(); }

    // Room for the longest single item: an entity reference or a four-byte sequence.
    char* reserve(std::size_t size) {
        if (m_used + size > sizeof m_block) flush();
        return m_block + m_used;
    }
    void commit(std::size_t size) { m_used += size; }
    void append(std::string_view text) {
        std::memcpy(reserve(text.size()), text.data(), text.size());
        commit(text.size());
    }
    void flush() {
        if (m_used == 0) return;
        m_os.write(m_block, static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

private:
    std::ostream& m_os;
    char m_block[512];
    std::size_t m_used = 0;
};

}  // namespace

std::ostream& operator<<(std::ostream& os, const c_as_xml<std::wstring>& value) {
    const std::wstring& text = value.get();
    c_chunked_output out(os);
    const wchar_t* pos = text.data();
    const wchar_t* const end = pos + text.size();
    while (pos != end) {
        const char32_t code_point = next_utf16_code_point(pos, end);
        const std::string_view escape = escape_of(code_point);
        if (!escape.empty()) {
            out.append(escape);
        } else {
            out.commit(encode_utf8(code_point, out.reserve(4)));
        }
    }
    return os;
}

std::ostream& operator<<(std::ostream& os, const c_as_escaped& value) {
    const std::string& text = value.get();
    const char* run_start = text.data();
    const char* const end = run_start + text.size();
    for (const char* pos = run_start; pos != end; ++pos) {
        if (!needs_escape(static_cast<unsigned char>(*pos))) continue;
        os.write(run_start, pos - run_start);
        write_view(os, escape_of(static_cast<unsigned char>(*pos)));
        run_start = pos + 1;
    }
    os.write(run_start, end - run_start);
    return os;
}

std::ostream& operator<<(std::ostream& os, const c_as_xml<std::string>& value) {
    return os << c_as_escaped(value.get());
}

std::ostream& operator<<(std::ostream& os, const c_as_ascii& value) {
    c_chunked_output out(os);
    for (const wchar_t unit : value.get()) {
        const auto code = static_cast<std::make_unsigned_t<wchar_t>>(unit);
        *out.reserve(1) = code <= 127 ? static_cast<char>(code) : '.';
        out.commit(1);
    }
    return os;
}

c_xml_writer::c_xml_writer(std::ostream& os, const char* tab, const char* newline)
    : m_os(os), m_tab(tab ? tab : ""), m_newline(newline ? newline : "") {
    m_os.imbue(std::locale::classic());
}

c_xml_writer::c_xml_writer(std::ostream& os, int options, const char* tab, const char* newline)
    : c_xml_writer(os, tab, newline) {
    if ((options & (include_xml_decl | include_standalone)) == 0) return;
    m_os << "<?xml version=\"1.0\" encoding=\"UTF-8\"";
    if (options & include_standalone) m_os << " standalone=\"yes\"";
    m_os << "?>" << m_newline;
}

elmx_error c_xml_writer::user_handle_error(elmx_error code, const std::string& /*item_name*/,
                                           const char* /*source_file*/, int /*line*/) {
    return user_handle_error(code);
}

elmx_error c_xml_writer::user_handle_error(elmx_error code) {
    return code;
}

const std::string& c_xml_writer::get_error_message(std::string* message) const {
    if (m_last_error == ELMX_OK) {
        *message = get_error_description(ELMX_OK);
    } else {
        *message = "'";
        *message += m_error_item_name;
        *message += "'-";
        *message += get_error_description(m_last_error);
    }
    return *message;
}

const char* c_xml_writer::endl() {
    return m_newline;
}

void c_xml_writer::nest() {
    m_os << m_tab;
}

std::ostream& c_xml_writer::operator()(bool do_indent) {
    if (do_indent) {
        for (int level = 0; level < m_indent_level; ++level)
            nest();
    }
    return m_os;
}

void c_xml_writer::add_namespace(const std::string& prefix, const std::string& uri) {
    m_namespaces.emplace_back(prefix, uri);
}

void c_xml_writer::add_schema_location(const std::string& ns, const std::string& location) {
    m_schema_locations.emplace_back(ns, location);
}

void c_xml_writer::conditionally_select_ns_map(const s_ns_map* ns_map) {
    if (!m_ns_map) m_ns_map = ns_map;
}

void c_xml_writer::write_ns_attribute(const char* prefix, const char* uri) {
    m_os << " xmlns";
    if (prefix && *prefix) m_os << ':' << prefix;
    m_os << "=\"" << uri << '"';
}

void c_xml_writer::conditionally_write_ns_attrs(bool force_xsi_declaration) {
    if (m_ns_attrs_written) return;
    if (m_ns_map) {
        for (const s_ns_map* row = m_ns_map; row->uri; ++row)
            write_ns_attribute(row->prefix, row->uri);
    }
    for (const string_pair& ns : m_namespaces)
        write_ns_attribute(ns.first.c_str(), ns.second.c_str());
    if (force_xsi_declaration || !m_schema_locations.empty())
        m_os << " xmlns:xsi=\"" << k_xsi_namespace << '"';
    if (!m_schema_locations.empty()) {
        const string_pair& first = m_schema_locations.front();
        if (first.first.empty()) {
            // Only one no-namespace location can be given; later pairs have no place to go.
            m_os << " xsi:noNamespaceSchemaLocation=\"" << first.second << '"';
        } else {
            m_os << " xsi:schemaLocation=\"";
            const char* separator = "";
            for (const string_pair& location : m_schema_locations) {
                m_os << separator << location.first << ' ' << location.second;
                separator = " ";
            }
            m_os << '"';
        }
    }
    m_ns_attrs_written = true;
}

const char* c_xml_writer::get_namespace_prefix(const std::string& uri) const {
    if (m_ns_map) {
        for (const s_ns_map* row = m_ns_map; row->uri; ++row) {
            if (uri == row->uri) return row->prefix ? row->prefix : "";
        }
    }
    for (const string_pair& ns : m_namespaces) {
        if (ns.second == uri) return ns.first.c_str();
    }
    return nullptr;
}

elmx_error c_xml_writer::handle_error(elmx_error code, const std::string& item_name,
                                      const char* source_file, int line) {
    m_last_error = code;
    m_error_item_name = item_name;
    m_last_error = user_handle_error(code, item_name, source_file, line);
    return m_last_error;
}

}  // namespace lmx
