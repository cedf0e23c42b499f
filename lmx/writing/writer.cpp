#include "lmx/writing/writer.h"

#include <cstring>
#include <locale>
#include <string_view>
#include <type_traits>

#include "lmx/values/conversions.h"

namespace lmx {

namespace {

constexpr const char* k_xsi_namespace = "http://www.w3.org/2001/XMLSchema-instance";

// Where text goes: attribute values must also keep tab and line feed, which attribute-value
// normalisation would otherwise turn into spaces.
enum class text_context { element, attribute };

constexpr std::string_view k_replacement_utf8 = "\xEF\xBF\xBD";

// Bytes copied as they are: printable ASCII other than the characters escaped below.
struct plain_byte_table {
    bool plain[256];
    constexpr plain_byte_table() : plain() {
        for (int c = 0x20; c < 0x80; ++c)
            plain[c] = c != '"' && c != '\'' && c != '&' && c != '<' && c != '>';
    }
};
constexpr plain_byte_table k_plain_bytes{};

// What an ASCII character that is not plain becomes; an empty view when it is written as it is.
// ">" is escaped only after "]]", where it would end a CDATA section that was never opened.
std::string_view escape_ascii(char32_t c, text_context context, bool after_two_brackets) {
    switch (c) {
        case '"':
            return "&quot;";
        case '\'':
            return "&apos;";
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return after_two_brackets ? "&gt;" : std::string_view();
        case '\r':
            return "&#13;";  // a raw one would read back as a line feed
        case '\t':
            return context == text_context::attribute ? "&#9;" : std::string_view();
        case '\n':
            return context == text_context::attribute ? "&#10;" : std::string_view();
        default:
            // Other C0 controls cannot be carried by XML 1.0 at all.
            return c < 0x20 ? k_replacement_utf8 : std::string_view();
    }
}

bool in_range(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence of an XML character at pos, or 0 when the bytes
// there are not one (malformed, a surrogate, U+FFFE or U+FFFF).
std::size_t xml_char_utf8_length(const unsigned char* pos, const unsigned char* end) {
    const unsigned char lead = pos[0];
    const std::size_t available = static_cast<std::size_t>(end - pos);
    auto continues = [&](std::size_t count) {
        for (std::size_t i = 1; i <= count; ++i)
            if (i >= available || (pos[i] & 0xC0) != 0x80) return false;
        return true;
    };
    if (in_range(lead, 0xC2, 0xDF)) return continues(1) ? 2 : 0;
    if (in_range(lead, 0xE0, 0xEF)) {
        if (!continues(2)) return 0;
        const unsigned char second = pos[1];
        if (lead == 0xE0 && second < 0xA0) return 0;                     // overlong
        if (lead == 0xED && second > 0x9F) return 0;                     // surrogate
        if (lead == 0xEF && second == 0xBF && pos[2] >= 0xBE) return 0;  // U+FFFE, U+FFFF
        return 3;
    }
    if (in_range(lead, 0xF0, 0xF4)) {
        if (!continues(3)) return 0;
        if (lead == 0xF0 && pos[1] < 0x90) return 0;  // overlong
        if (lead == 0xF4 && pos[1] > 0x8F) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

// One output operation's access to a stream: prepares the stream once, as every formatted
// output does, then hands text straight to its buffer. After a short write the rest is dropped
// and finish() marks the stream bad, as ostream::write does.
class c_stream_sink {
public:
    explicit c_stream_sink(std::ostream& os) : m_os(os), m_sentry(os), m_is_good(bool(m_sentry)) {}
    c_stream_sink(const c_stream_sink&) = delete;
    c_stream_sink& operator=(const c_stream_sink&) = delete;
    ~c_stream_sink() = default;

    void write(const char* data, std::size_t size) {
        if (!m_is_good || size == 0) return;
        const auto count = static_cast<std::streamsize>(size);
        m_is_good = m_os.rdbuf()->sputn(data, count) == count;
    }
    void write(std::string_view text) { write(text.data(), text.size()); }
    // Not left to the destructor: setstate may throw where the caller enabled exceptions.
    void finish() {
        if (m_sentry && !m_is_good) m_os.setstate(std::ios_base::badbit);
    }

private:
    std::ostream& m_os;
    std::ostream::sentry m_sentry;
    bool m_is_good;
};

// Collects encoded output in a small fixed block and hands it to the stream block by block, so
// that wide text costs one buffer call per block rather than one per character.
class c_block_output {
public:
    explicit c_block_output(std::ostream& os) : m_sink(os) {}
    c_block_output(const c_block_output&) = delete;
    c_block_output& operator=(const c_block_output&) = delete;
    ~c_block_output() = default;

    // Call before each item: makes room for the longest one, an entity reference or a
    // four-byte sequence.
    void make_room() {
        if (m_used > sizeof m_block - k_max_item) flush();
    }
    void put(char c) { m_block[m_used++] = c; }
    void put(std::string_view text) {
        std::memcpy(m_block + m_used, text.data(), text.size());
        m_used += text.size();
    }
    void put_utf8(char32_t code_point) {
        m_used += static_cast<std::size_t>(encode_utf8(code_point, m_block + m_used));
    }
    void finish() {
        flush();
        m_sink.finish();
    }

private:
    static constexpr std::size_t k_max_item = 8;

    void flush() {
        m_sink.write(m_block, m_used);
        m_used = 0;
    }

    c_stream_sink m_sink;
    char m_block[512];
    std::size_t m_used = 0;
};

// Wide text as UTF-8 XML text: escapes, and U+FFFD for what XML cannot carry.
void write_wide_text(std::ostream& os, const std::wstring& text, text_context context) {
    c_block_output out(os);
    const wchar_t* pos = text.data();
    const wchar_t* const end = pos + text.size();
    char32_t previous = 0;
    char32_t before_previous = 0;
    while (pos != end) {
        out.make_room();
        const char32_t code_point = next_utf16_code_point(pos, end);
        if (code_point < 0x80) {
            const std::string_view escape =
                escape_ascii(code_point, context, previous == ']' && before_previous == ']');
            if (escape.empty())
                out.put(static_cast<char>(code_point));
            else
                out.put(escape);
        } else if (code_point == 0xFFFE || code_point == 0xFFFF) {
            out.put(k_replacement_utf8);
        } else {
            out.put_utf8(code_point);
        }
        before_previous = previous;
        previous = code_point;
    }
    out.finish();
}

// UTF-8 text as XML text: plain runs are copied in one write each; escapes, and U+FFFD for each
// byte that does not begin a character XML can carry.
void write_utf8_text(std::ostream& os, const std::string& text, text_context context) {
    c_stream_sink sink(os);
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + text.size();
    const auto* run = begin;
    const auto* pos = begin;
    auto flush_run = [&]() {
        sink.write(reinterpret_cast<const char*>(run), static_cast<std::size_t>(pos - run));
    };
    while (pos != end) {
        const unsigned char c = *pos;
        if (k_plain_bytes.plain[c]) {
            ++pos;
            continue;
        }
        std::string_view replacement;
        if (c >= 0x80) {
            const std::size_t length = xml_char_utf8_length(pos, end);
            if (length != 0) {
                pos += length;
                continue;
            }
            replacement = k_replacement_utf8;
        } else {
            const bool after_two_brackets = pos - begin >= 2 && pos[-1] == ']' && pos[-2] == ']';
            replacement = escape_ascii(c, context, after_two_brackets);
            if (replacement.empty()) {
                ++pos;
                continue;
            }
        }
        flush_run();
        sink.write(replacement);
        run = ++pos;
    }
    flush_run();
    sink.finish();
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const c_as_xml<std::wstring>& value) {
    write_wide_text(os, value.get(), text_context::element);
    return os;
}

std::ostream& operator<<(std::ostream& os, const c_as_escaped& value) {
    write_utf8_text(os, value.get(), text_context::element);
    return os;
}

std::ostream& operator<<(std::ostream& os, const c_as_xml<std::string>& value) {
    return os << c_as_escaped(value.get());
}

std::ostream& operator<<(std::ostream& os, const c_as_xml_attribute<std::wstring>& value) {
    write_wide_text(os, value.get(), text_context::attribute);
    return os;
}

std::ostream& operator<<(std::ostream& os, const c_as_xml_attribute<std::string>& value) {
    write_utf8_text(os, value.get(), text_context::attribute);
    return os;
}

std::ostream& operator<<(std::ostream& os, const c_as_ascii& value) {
    c_block_output out(os);
    for (const wchar_t unit : value.get()) {
        out.make_room();
        const auto code = static_cast<std::make_unsigned_t<wchar_t>>(unit);
        const bool is_carried =
            code <= 127 && (code >= 0x20 || code == '\t' || code == '\n' || code == '\r');
        out.put(is_carried ? static_cast<char>(code) : '.');
    }
    out.finish();
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

bool c_xml_writer::may_nest(const char* name) {
    if (static_cast<unsigned int>(m_indent_level) < m_max_depth) return true;
    handle_error(ELMX_BADLY_FORMED, name, "lmx/writing/writer.cpp", __LINE__);
    return false;
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
    m_os << "=\"" << c_as_xml_attribute<std::string>(uri) << '"';
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
            m_os << " xsi:noNamespaceSchemaLocation=\""
                 << c_as_xml_attribute<std::string>(first.second) << '"';
        } else {
            m_os << " xsi:schemaLocation=\"";
            const char* separator = "";
            for (const string_pair& location : m_schema_locations) {
                m_os << separator << c_as_xml_attribute<std::string>(location.first) << ' '
                     << c_as_xml_attribute<std::string>(location.second);
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
