#include "lmx/reading/utf8_getter.h"

#include <strings.h>

#include <cassert>
#include <cstring>

#include "lmx/values/char_classes.h"

namespace lmx {

namespace {

constexpr int k_line_feed = '\n';
constexpr int k_carriage_return = '\r';
constexpr int k_next_line = 0x85;
constexpr int k_line_separator = 0x2028;

bool is_continuation_byte(int b) {
    return (b & 0xC0) == 0x80;
}

int sequence_length(int lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF8) return 4;
    if (lead < 0xFC) return 5;
    return 6;
}

bool is_detection_start(int b) {
    return b == '<' || (b >= 1 && is_xml_space(b));
}

constexpr const char* k_invalid_encoding = "Byte sequence not valid in the document's encoding";

}  // namespace

bool utf8_to_unicode_char(const char* seq, int* code) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(seq);
    int lead = bytes[0];
    int length;
    if (lead < 0x80) {
        *code = lead;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        *code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        *code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        *code = lead & 0x07;
    } else {
        *code = -1;
        return false;
    }
    // A zero terminator is not a continuation byte, so this never reads past the text.
    for (int i = 1; i < length; ++i) {
        if (!is_continuation_byte(bytes[i])) return false;
        *code = (*code << 6) | (bytes[i] & 0x3F);
    }
    return true;
}

char* unicode_char_to_utf8(int code, char* out) {
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    if (code < 0 || code > 0x10FFFF) code = 0xFFFD;  // nothing else could encode it
    if (code < 0x80) {
        bytes[0] = static_cast<unsigned char>(code);
        bytes[1] = 0;
    } else if (code < 0x800) {
        bytes[0] = static_cast<unsigned char>(0xC0 | (code >> 6));
        bytes[1] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        bytes[2] = 0;
    } else if (code < 0x10000) {
        bytes[0] = static_cast<unsigned char>(0xE0 | (code >> 12));
        bytes[1] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        bytes[3] = 0;
    } else {
        bytes[0] = static_cast<unsigned char>(0xF0 | (code >> 18));
        bytes[1] = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
        bytes[3] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        bytes[4] = 0;
    }
    return out;
}

bool is_valid_utf8_char_sequence(const char* seq) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(seq);
    int lead = bytes[0];
    if (lead <= 0x7F) return true;
    if (lead >= 0xC2 && lead <= 0xDF) return true;
    if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) return true;
    if (lead >= 0xF1 && lead <= 0xF3) return true;
    int second = bytes[1];
    switch (lead) {
        case 0xE0:
            return second >= 0xA0 && second <= 0xBF;
        case 0xED:
            return second >= 0x80 && second <= 0x9F;
        case 0xF0:
            return second >= 0x90 && second <= 0xBF;
        case 0xF4:
            return second >= 0x80 && second <= 0x8F;
        default:
            return false;
    }
}

bool c_unget_buffer::unget(int c) {
    assert(m_count < k_capacity && "more than three characters pushed back");
    if (m_count >= k_capacity) return false;
    m_slots[m_count++] = c;
    return true;
}

c_get_as_utf8::c_get_as_utf8(c_read& source, c_error& error)
    : m_source(source), m_error(error), m_binder(error) {
    m_binder.bind(this);
    if (m_source.get_bytes_in_memory(&m_direct_begin, &m_direct_end))
        m_direct_next = m_direct_begin;
}

void c_get_as_utf8::rewind() {
    m_mode = k_undetected;
    m_previous = 0;
    m_unget_buffer.clear();
    m_next_pending = nullptr;
    m_line = 1;
    m_lookahead = k_no_lookahead;
    m_xml11_line_ends = false;
    m_bytes_read = 0;
    m_direct_next = m_direct_begin;
    m_source.rewind();
}

c_get_as_utf8::position c_get_as_utf8::get_position() const {
    position where;
    where.mode = m_mode;
    where.previous = m_previous;
    where.unget_buffer = m_unget_buffer;
    std::memcpy(where.pending, m_pending, sizeof m_pending);
    where.pending_offset = m_next_pending ? static_cast<int>(m_next_pending - m_pending) : -1;
    where.line = m_line;
    where.lookahead = m_lookahead;
    where.xml11_line_ends = m_xml11_line_ends;
    where.bytes_read = m_bytes_read;
    return where;
}

void c_get_as_utf8::set_position(const position& where) {
    if (m_direct_begin) {
        m_direct_next = m_direct_begin + where.bytes_read;
    } else {
        m_source.rewind();
        for (unsigned long long i = 0; i < where.bytes_read && m_source.read() >= 0; ++i) {
        }
    }
    m_mode = where.mode;
    m_previous = where.previous;
    m_unget_buffer = where.unget_buffer;
    std::memcpy(m_pending, where.pending, sizeof m_pending);
    m_next_pending = where.pending_offset >= 0 ? m_pending + where.pending_offset : nullptr;
    m_line = where.line;
    m_lookahead = where.lookahead;
    m_xml11_line_ends = where.xml11_line_ends;
    m_bytes_read = where.bytes_read;
}

int c_get_as_utf8::get_any() {
    if (m_error.is_fatal_errored()) return -1;
    // Pushed-back characters were normalised and counted when first delivered.
    if (!m_unget_buffer.empty()) {
        int c = m_unget_buffer.get();
        if (c == k_line_feed) ++m_line;
        return c;
    }
    int c = get_raw();
    if (c == k_line_feed && m_previous == k_carriage_return) c = get_raw();
    m_previous = c;
    if (c == k_carriage_return) c = k_line_feed;
    if (c == k_line_feed) ++m_line;
    return c;
}

void c_get_as_utf8::unget_any(int c) {
    if (c == k_line_feed) --m_line;
    m_unget_buffer.unget(c);
}

int c_get_as_utf8::read_byte() {
    if (m_lookahead != k_no_lookahead) {
        int b = m_lookahead;
        m_lookahead = k_no_lookahead;
        return b;
    }
    if (m_direct_begin) {
        if (m_direct_next == m_direct_end) return -1;
        ++m_bytes_read;
        return *m_direct_next++;
    }
    int b = m_source.read();
    if (b >= 0) {
        ++m_bytes_read;
    } else if (m_source.has_read_error()) {
        // A document that could not be read to its end must not pass for a shorter one.
        error(ELMX_TYPE_FATAL, ELMX_UNABLE_TO_OPEN_FILE,
              "The document could not be read to its end");
    }
    return b;
}

int c_get_as_utf8::get_raw() {
    if (m_error.is_fatal_errored()) return -1;
    if (!m_unget_buffer.empty()) return m_unget_buffer.get();
    if (m_next_pending) {
        int c = static_cast<unsigned char>(*m_next_pending++);
        if (*m_next_pending == 0) m_next_pending = nullptr;
        return c;
    }
    int b = read_byte();
    if (b < 0) return -1;
    switch (m_mode) {
        case k_undetected:
            return detect_encoding(b);
        case k_single_byte:
            return b < 127 ? check_ascii_char(b) : emit_code_point(b);
        case k_utf8:
            return b < 128 ? check_ascii_char(b) : read_utf8_sequence(b);
        case k_utf16_be:
        case k_utf16_le:
            return read_utf16_char(b);
        case k_ucs2_be:
        case k_ucs2_le:
            return read_ucs2_char(b);
        default:
            return -1;
    }
}

void c_get_as_utf8::fail_encoding(const char* message) {
    error(ELMX_TYPE_FATAL, ELMX_BAD_CHAR_ENCODING, message);
}

bool c_get_as_utf8::is_allowed_char(int code) {
    if (is_xml_char(code)) return true;
    error(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED,
          "Character not allowed in XML: " + format_code_point(code));
    return false;
}

int c_get_as_utf8::detect_encoding(int b0) {
    static const char* const k_unrecognised = "Unrecognised character encoding";
    if (b0 == 0xFF || b0 == 0xFE) {
        // A UTF-16 byte-order mark must be followed by an ASCII character.
        const bool little_endian = b0 == 0xFF;
        int b1 = read_byte();
        int u0 = read_byte();
        int u1 = read_byte();
        int c = little_endian ? u0 : u1;
        int zero = little_endian ? u1 : u0;
        if (b1 == (little_endian ? 0xFE : 0xFF) && c >= 1 && c <= 0x7F && zero == 0) {
            m_mode = little_endian ? k_utf16_le : k_utf16_be;
            return check_ascii_char(c);
        }
    } else if (b0 == 0xEF) {
        if (read_byte() == 0xBB && read_byte() == 0xBF) {
            m_mode = k_utf8;
            // The mark is never delivered; what follows it is decoded as UTF-8.
            int b = read_byte();
            if (b < 0) return -1;
            return b < 128 ? check_ascii_char(b) : read_utf8_sequence(b);
        }
    } else if (is_detection_start(b0)) {
        int b1 = read_byte();
        if (b1 == 0) {
            m_mode = k_utf16_le;
            return b0;
        }
        m_mode = k_utf8;
        if (b1 >= 0) m_lookahead = b1;
        return b0;
    } else if (b0 == 0) {
        int b1 = read_byte();
        if (is_detection_start(b1)) {
            m_mode = k_utf16_be;
            return b1;
        }
    }
    fail_encoding(k_unrecognised);
    return -1;
}

int c_get_as_utf8::deliver_sequence(const char* sequence, int length) {
    if (length > 1) {
        std::memcpy(m_pending, sequence + 1, length - 1);
        m_pending[length - 1] = 0;
        m_next_pending = m_pending;
    }
    return static_cast<unsigned char>(sequence[0]);
}

int c_get_as_utf8::read_utf8_sequence(int lead) {
    char sequence[8] = {};
    const int length = sequence_length(lead);
    sequence[0] = static_cast<char>(lead);
    // Every continuation byte is checked too, so only well-formed UTF-8 leaves this layer.
    bool valid = true;
    for (int i = 1; i < length && valid; ++i) {
        int b = read_byte();
        valid = b >= 0 && is_continuation_byte(b);
        sequence[i] = static_cast<char>(b);
    }
    int code = -1;
    if (!valid || length > 4 || !is_valid_utf8_char_sequence(sequence) ||
        !utf8_to_unicode_char(sequence, &code)) {
        fail_encoding(k_invalid_encoding);
        return -1;
    }
    if (m_xml11_line_ends && (code == k_next_line || code == k_line_separator)) return k_line_feed;
    if (!is_allowed_char(code)) return -1;
    return deliver_sequence(sequence, length);
}

int c_get_as_utf8::read_utf16_unit(int first_byte) {
    if (first_byte < 0) return -1;
    int second_byte = read_byte();
    if (second_byte < 0) {
        // Half a code unit is left over: the document was cut or is not in this encoding.
        fail_encoding(k_invalid_encoding);
        return -1;
    }
    const bool big_endian = m_mode == k_utf16_be || m_mode == k_ucs2_be;
    return big_endian ? (first_byte << 8) | second_byte : (second_byte << 8) | first_byte;
}

int c_get_as_utf8::read_utf16_char(int first_byte) {
    int unit = read_utf16_unit(first_byte);
    if (unit < 0) return -1;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        // A low surrogate with no high one before it encodes no character.
        fail_encoding("Unrecognised character encoding");
        return -1;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        const int first_low_byte = read_byte();
        if (first_low_byte < 0) {
            fail_encoding(k_invalid_encoding);  // the pair was cut off
            return -1;
        }
        int low = read_utf16_unit(first_low_byte);
        if (low < 0) return -1;
        if (low < 0xDC00 || low > 0xDFFF) {
            fail_encoding("Unrecognised character encoding");
            return -1;
        }
        unit = 0x10000 + ((unit & 0x3FF) << 10) + (low & 0x3FF);
    }
    return emit_code_point(unit);
}

int c_get_as_utf8::read_ucs2_char(int first_byte) {
    int unit = read_utf16_unit(first_byte);
    return unit < 0 ? -1 : emit_code_point(unit);
}

int c_get_as_utf8::emit_code_point(int code) {
    if (m_xml11_line_ends && (code == k_next_line || code == k_line_separator)) return k_line_feed;
    if (!is_allowed_char(code)) return -1;
    char sequence[8];
    unicode_char_to_utf8(code, sequence);
    return deliver_sequence(sequence, static_cast<int>(std::strlen(sequence)));
}

bool c_get_as_utf8::set_encoding(const char* name) {
    const bool two_byte_units = m_mode >= k_utf16_be && m_mode <= k_ucs2_le;
    const bool matches = name != nullptr;
    if (matches && strcasecmp(name, "ISO-10646-UCS-2") == 0) {
        if (two_byte_units) {
            const bool big_endian = m_mode == k_utf16_be || m_mode == k_ucs2_be;
            m_mode = big_endian ? k_ucs2_be : k_ucs2_le;
            return true;
        }
    } else if (matches &&
               (strcasecmp(name, "ISO-8859-1") == 0 || strcasecmp(name, "US-ASCII") == 0)) {
        m_mode = k_single_byte;
        if (!two_byte_units) return true;
    } else if (matches && strcasecmp(name, "UTF-8") == 0) {
        if (!two_byte_units) return true;
    } else if (matches && strcasecmp(name, "UTF-16") == 0) {
        if (two_byte_units) return true;
    } else {
        error(ELMX_TYPE_FATAL, ELMX_BAD_CHAR_ENCODING, "Unknown character encoding specified");
        return false;
    }
    error(ELMX_TYPE_FATAL, ELMX_ENCODING_MISMATCH,
          "Mis-match between specfied encoding and byte format");
    return false;
}

// A member of the error record, defined here because it asks the getter for its place: the
// record itself sits below the reading layer and knows the getter only by name.
void c_error::error(elmx_error_type type, elmx_error code, const std::string& message) {
    const char* source_id = nullptr;
    int line = -1;
    if (m_current_getter) {
        source_id = m_current_getter->get_source_id();
        line = m_current_getter->get_line_num();
    }
    error(type, code, source_id, line, message);
}

void c_get_as_utf8::error(elmx_error_type type, elmx_error code, const char* message) {
    m_error.error(type, code, get_source_id(), m_line, message ? message : "");
}

void c_get_as_utf8::error(elmx_error_type type, elmx_error code, const std::string& message) {
    m_error.error(type, code, get_source_id(), m_line, message);
}

}  // namespace lmx
