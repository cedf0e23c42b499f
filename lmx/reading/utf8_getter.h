// Character encodings: turns the bytes of a source into UTF-8 with XML line ends and counted
// lines. Everything above this layer sees UTF-8 bytes as 0..255 and -1 for end of input.
#ifndef LMX_UTF8_GETTER_H
#define LMX_UTF8_GETTER_H

#include <string>

#include "lmx/errors.h"
#include "lmx/reading/byte_sources.h"

namespace lmx {

// Decodes one UTF-8 sequence into *code; false (and -1 or a partial value) when malformed.
bool utf8_to_unicode_char(const char* seq, int* code);
// Encodes code as UTF-8 into out (at least 5 bytes), zero-terminated; returns out.
char* unicode_char_to_utf8(int code, char* out);
// Checks the lead byte, and the second byte where the lead alone does not decide.
bool is_valid_utf8_char_sequence(const char* seq);

// A push-back stack of three characters.
class c_unget_buffer {
public:
    static constexpr int k_capacity = 3;

    // A fourth push before a pop is a caller's fault: it is refused (false), never overruns.
    bool unget(int c);
    int get() { return m_count > 0 ? m_slots[--m_count] : -1; }
    bool empty() const { return m_count == 0; }
    void clear() { m_count = 0; }

private:
    int m_slots[k_capacity] = {0, 0, 0};
    int m_count = 0;
};

class c_get_as_utf8 {
public:
    enum encoding_mode {
        k_undetected = 0,
        k_single_byte = 1,
        k_utf8 = 2,
        k_utf16_be = 3,
        k_utf16_le = 4,
        k_ucs2_be = 5,
        k_ucs2_le = 6
    };

    // Neither the source nor the recorder is owned; both must outlive the getter.
    c_get_as_utf8(c_read& source, c_error& error);
    c_get_as_utf8(const c_get_as_utf8&) = delete;
    c_get_as_utf8& operator=(const c_get_as_utf8&) = delete;
    virtual ~c_get_as_utf8() = default;

    // The common case is inline: a printable ASCII byte of a UTF-8 document in memory.
    int get() {
        if (m_direct_next != m_direct_end && m_mode == k_utf8 && m_unget_buffer.empty() &&
            !m_next_pending && m_lookahead == k_no_lookahead && !m_error.is_fatal_errored()) {
            const int b = *m_direct_next;
            if (b >= 0x20 && b < 0x80) {
                ++m_direct_next;
                ++m_bytes_read;
                m_previous = b;
                return b;
            }
        }
        return get_any();
    }
    // Appends to out the run of bytes at the current position for which keep(byte) holds, taken
    // straight from a UTF-8 document in memory; only printable ASCII is taken this way, so
    // what needs decoding, checking or line counting still goes through get(). Returns the
    // number of bytes appended (0 where there is no such run or no fast way to it).
    template <typename Keep>
    std::size_t append_run(std::string* out, Keep keep) {
        if (m_direct_next == m_direct_end || m_mode != k_utf8 || !m_unget_buffer.empty() ||
            m_next_pending || m_lookahead != k_no_lookahead || m_error.is_fatal_errored())
            return 0;
        const unsigned char* const begin = m_direct_next;
        const unsigned char* end = begin;
        while (end != m_direct_end && *end >= 0x20 && *end < 0x80 && keep(*end))
            ++end;
        const auto count = static_cast<std::size_t>(end - begin);
        if (count == 0) return 0;
        out->append(reinterpret_cast<const char*>(begin), count);
        m_direct_next = end;
        m_bytes_read += count;
        m_previous = end[-1];
        return count;
    }
    void unget(int c) {
        // Printable ASCII just taken from a UTF-8 buffer in memory is given back by stepping
        // back, which keeps the next get() on its fast path.
        if (c >= 0x20 && c < 0x80 && m_direct_next != m_direct_begin && m_direct_next[-1] == c &&
            m_mode == k_utf8 && m_unget_buffer.empty() && !m_next_pending &&
            m_lookahead == k_no_lookahead) {
            --m_direct_next;
            --m_bytes_read;
            return;
        }
        unget_any(c);
    }
    void rewind();
    bool set_encoding(const char* name);
    int get_line_num() const { return m_line; }
    const char* get_source_id() { return m_source.get_source_id(); }
    c_error& get_error_handler() { return m_error; }
    const c_error& get_error_handler() const { return m_error; }
    int get_encoding_mode() const { return m_mode; }
    // From the version of the XML declaration: in XML 1.1 documents NEL and LINE SEPARATOR end
    // lines too; in XML 1.0 they are ordinary characters.
    void set_xml11_line_ends(bool on) { m_xml11_line_ends = on; }
    bool get_xml11_line_ends() const { return m_xml11_line_ends; }
    // Bytes taken from the source since construction or the last rewind.
    unsigned long long get_bytes_read() const { return m_bytes_read; }

    // Where the getter stands in its document, so that a caller can read ahead and come back.
    struct position {
        int mode;
        int previous;
        c_unget_buffer unget_buffer;
        char pending[8];
        int pending_offset;  // -1 when nothing is pending
        int line;
        int lookahead;
        bool xml11_line_ends;
        unsigned long long bytes_read;
    };
    position get_position() const;
    // Returns to a position taken earlier in the same document: the source is rewound and read
    // again up to it, so this needs a source that can rewind (memory, string, seekable file).
    void set_position(const position& where);

    void error(elmx_error_type type, elmx_error code, const char* message);
    void error(elmx_error_type type, elmx_error code, const std::string& message);

protected:
    // The next character before line-end handling.
    int get_raw();

private:
    static constexpr int k_no_lookahead = -2;

    int get_any();
    void unget_any(int c);
    int read_byte();
    int detect_encoding(int first_byte);
    int read_utf8_sequence(int lead);
    int read_utf16_unit(int first_byte);
    int read_utf16_char(int first_byte);
    int read_ucs2_char(int first_byte);
    int emit_code_point(int code);
    // Characters that XML does not allow, even raw, end the input with a fatal error.
    int check_ascii_char(int b) {
        if (b >= 0x20 || b == '\t' || b == '\n' || b == '\r') return b;
        return is_allowed_char(b) ? b : -1;
    }
    bool is_allowed_char(int code);
    int deliver_sequence(const char* sequence, int length);
    void fail_encoding(const char* message);

    c_read& m_source;
    c_error& m_error;
    c_getter_error_binder m_binder;
    int m_mode = k_undetected;
    int m_previous = 0;
    c_unget_buffer m_unget_buffer;
    char m_pending[8] = {};
    const char* m_next_pending = nullptr;
    int m_line = 1;
    // A byte read during detection and not yet decoded.
    int m_lookahead = k_no_lookahead;
    // XML 1.1 documents also end lines with NEL (U+0085) and LINE SEPARATOR (U+2028).
    bool m_xml11_line_ends = false;
    unsigned long long m_bytes_read = 0;
    // The source's bytes, where it holds them all in memory (null otherwise).
    const unsigned char* m_direct_begin = nullptr;
    const unsigned char* m_direct_next = nullptr;
    const unsigned char* m_direct_end = nullptr;
};

}  // namespace lmx

#endif  // LMX_UTF8_GETTER_H
