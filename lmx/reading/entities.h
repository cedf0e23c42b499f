// Entities: replacement texts read as if they were part of the input, the general and parameter
// entity tables, and the resolution of &name;, &#n; and &#xh; references.
#ifndef LMX_ENTITIES_H
#define LMX_ENTITIES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "lmx/reading/limits.h"
#include "lmx/reading/repository.h"
#include "lmx/reading/utf8_getter.h"
#include "lmx/values/whitespace.h"

namespace lmx {

// Adds a stack of entity replacement texts to the UTF-8 getter. A pushed text is read before
// the rest of the input, byte for byte as stored (no line counting, no line-end handling);
// exhausted texts are popped when reading goes past them.
//
// Hostile input is bounded in two ways: a text can be on the stack only once (the recursion
// test is a hash-set lookup, so deep chains of distinct entities stay linear), and the bytes
// taken from replacement texts may not outgrow the document (see limits.h).
class c_get_with_entities : public c_get_as_utf8 {
public:
    c_get_with_entities(c_read& source, c_error& error);

    // The next character, 0..255 (replacement-text bytes too), or -1 for end of input.
    int get() { return m_frames.empty() ? c_get_as_utf8::get() : get_from_texts(); }
    // As c_get_as_utf8::append_run, and nothing while a replacement text is being read.
    template <typename Keep>
    std::size_t append_run(std::string* out, Keep keep) {
        return m_frames.empty() ? c_get_as_utf8::append_run(out, keep) : 0;
    }
    // Pushes a character back onto the top text, or onto the document when none is open.
    // The top is always where the last character came from, so a character pushed back right
    // after it was read restores the state before the read and can never overrun a buffer.
    // Pushing back -1 does nothing: the input stays ended anyway.
    void unget(int c);
    // Empties both entity tables and the text stack, then restarts the document.
    void rewind();

    // Positions include the texts being read; the tables themselves must not change between
    // taking a position and returning to it.
    struct position;
    position get_position() const;
    void set_position(const position& where);

    // Adds or replaces a declaration: the later one wins. Texts that are being read when they
    // are replaced stay valid until the tables are cleared.
    void add_general_entity(std::string_view name, std::string_view value);
    void add_parameter_entity(std::string_view name, std::string_view value);
    void add_general_entity(const char* name, const char* value) {
        add_general_entity(std::string_view(name ? name : ""),
                           std::string_view(value ? value : ""));
    }
    void add_parameter_entity(const char* name, const char* value) {
        add_parameter_entity(std::string_view(name ? name : ""),
                             std::string_view(value ? value : ""));
    }
    bool get_general_entity(std::string_view name, const char** value) const;
    bool get_parameter_entity(std::string_view name, const char** value) const;
    const std::string* find_general_entity(std::string_view name) const {
        return m_general_entities.find(name);
    }
    const std::string* find_parameter_entity(std::string_view name) const {
        return m_parameter_entities.find(name);
    }

    // Reads value next, before the rest of the input. The address of the text is its identity:
    // pushing a text that is already being read is a fatal ELMX_RECURSIVE_ENTITY and false.
    // The text is not copied and must outlive its reading.
    bool set_input_entity_value(std::string_view value);
    bool set_input_entity_value(const char* value) {
        return set_input_entity_value(std::string_view(value ? value : ""));
    }
    std::size_t get_entity_stack_depth() const { return m_frames.size(); }

    // Bytes taken from replacement texts since construction or the last rewind.
    unsigned long long get_entity_bytes_delivered() const { return m_entity_bytes; }

protected:
    // Records count more bytes taken from replacement texts; false (after a fatal error) once
    // expansion has outgrown the document.
    bool count_entity_bytes(std::size_t count);
    // The fatal error for a text that would be read inside itself.
    void report_recursion(std::string_view text);
    bool is_fatal() { return get_error_handler().is_fatal_errored(); }

private:
    struct entity_frame {
        const char* position;
        const char* end;
        const char* identity;
        c_unget_buffer pushed_back;
    };

    void pop_frame();
    int get_from_texts();

public:
    struct position : c_get_as_utf8::position {
        std::vector<entity_frame> frames;
        std::unordered_set<const char*> active_texts;
        unsigned long long entity_bytes;
    };

private:
    c_repository<std::string> m_general_entities;
    c_repository<std::string> m_parameter_entities;
    std::vector<entity_frame> m_frames;
    // Identities of the texts on the stack, for the recursion test.
    std::unordered_set<const char*> m_active_texts;
    unsigned long long m_entity_bytes = 0;
};

// Where the name of a reference is read from. The push flag tells whether a general entity
// found there is pushed as input (its markup then parsed as content) or expanded in place.
class c_entity_name_reader {
public:
    explicit c_entity_name_reader(bool push_entity_text) : m_push_entity_text(push_entity_text) {}
    virtual ~c_entity_name_reader() = default;
    virtual int get() = 0;
    virtual void unget(int c) = 0;
    bool push_entity_text() const { return m_push_entity_text; }

private:
    bool m_push_entity_text;
};

// Reads from the getter itself, entity stack included. The getter is not owned.
class c_entity_name_reader_for_c_get : public c_entity_name_reader {
public:
    explicit c_entity_name_reader_for_c_get(c_get_with_entities& getter, bool push = true)
        : c_entity_name_reader(push), m_getter(getter) {}
    int get() override { return m_getter.get(); }
    void unget(int c) override { m_getter.unget(c); }

private:
    c_get_with_entities& m_getter;
};

// Reads the raw value of an attribute in place. The text is not owned; the caller's index is
// advanced as characters are read and stepped back by unget.
class c_entity_name_reader_for_attribute_data : public c_entity_name_reader {
public:
    c_entity_name_reader_for_attribute_data(std::string_view text, std::size_t* index)
        : c_entity_name_reader(false), m_text(text), m_index(*index) {}
    int get() override {
        if (m_index >= m_text.size()) return -1;
        return static_cast<unsigned char>(m_text[m_index++]);
    }
    void unget(int c) override {
        if (c != -1 && m_index > 0) --m_index;
    }

private:
    std::string_view m_text;
    std::size_t& m_index;
};

// Reads a replacement text from *position up to end, advancing *position in place.
class c_entity_name_reader_for_entity : public c_entity_name_reader {
public:
    c_entity_name_reader_for_entity(const char** position, const char* end)
        : c_entity_name_reader(false), m_begin(*position), m_position(*position), m_end(end) {}
    int get() override {
        if (m_position >= m_end) return -1;
        return static_cast<unsigned char>(*m_position++);
    }
    void unget(int c) override {
        if (c != -1 && m_position > m_begin) --m_position;
    }

private:
    const char* m_begin;
    const char*& m_position;
    const char* m_end;
};

// Reads a zero-terminated string, which is not owned.
class c_entity_name_reader_for_c_str : public c_entity_name_reader {
public:
    explicit c_entity_name_reader_for_c_str(const char* text)
        : c_entity_name_reader(false), m_begin(text ? text : ""), m_position(m_begin) {}
    int get() override {
        if (*m_position == 0) return -1;
        return static_cast<unsigned char>(*m_position++);
    }
    void unget(int c) override {
        if (c != -1 && m_position > m_begin) --m_position;
    }
    const char* position() const { return m_position; }

private:
    const char* m_begin;
    const char* m_position;
};

// The getter that the tokenizer reads through: entities, the whitespace step applied while
// text is collected, and the small scanning operations shared by the tokenizer and the DTD.
class c_get_for_xml : public c_get_with_entities {
public:
    // normalise_reference_ws: white space written as a character reference (&#32;, &#9;, ...)
    // is replaced and collapsed like literal white space.
    c_get_for_xml(c_read& source, c_error& error, bool normalise_reference_ws);

    struct position : c_get_with_entities::position {
        elmx_whitespace ws_mode;
        bool pending_space;
        unsigned long long value_bytes;
    };
    position get_position() const;
    void set_position(const position& where);

    void rewind();

    // Whitespace step: appends c to out under the current mode. In collapse mode leading and
    // trailing white space vanish and inner runs become one space.
    void set_ws_mode(elmx_whitespace mode) {
        m_ws_mode = mode;
        m_pending_space = false;
    }
    void reset_ws_mode() { m_pending_space = false; }
    // The value budget (see limits.h): past it a fatal ELMX_LENGTH_TOO_LONG ends the input.
    void set_max_value_bytes(unsigned long long limit) { m_max_value_bytes = limit; }
    unsigned long long get_max_value_bytes() const { return m_max_value_bytes; }
    // Counts bytes delivered into a value without the whitespace step; false once over budget.
    bool count_value_bytes(std::size_t count) {
        m_value_bytes += count;
        return m_value_bytes <= m_max_value_bytes || report_value_budget();
    }
    elmx_whitespace get_ws_mode() const { return m_ws_mode; }
    void add_char_wsp(std::string* out, int c, bool from_reference);
    // Appends the run of plain text characters (no markup, reference or white space other
    // than the space) at the current position as add_char_wsp would; returns its length.
    std::size_t append_text_run(std::string* out) {
        if (m_ws_mode != ELMX_WS_PRESERVE) return 0;
        const std::size_t count =
            append_run(out, [](unsigned char c) { return c != '<' && c != '&' && c != ']'; });
        if (count != 0) count_value_bytes(count);
        return count;
    }

    // After "&": resolves a character, predefined or general entity reference read from reader
    // and appends its text to out, or pushes an entity's text as input when the reader asks
    // for that (the text must then be balanced markup). A malformed reference, an undeclared
    // entity or a character XML does not allow is a fatal error and gives false.
    bool resolve_reference(c_entity_name_reader& reader, std::string* out);
    // After "&#": appends the referenced character; false (after a fatal error) when the
    // reference is malformed or names a character XML does not allow.
    bool insert_character_entity(c_entity_name_reader& reader, std::string* out);
    // A character of an attribute value as written: literal tab and line feed stand for a
    // space, as XML's attribute-value normalisation says, then the whitespace step.
    void add_attribute_char(std::string* out, int c);

    // The next character that is not white space (codes 1 to 32).
    int get_non_ws();
    // True when the next characters equal text; reading stops at the first difference, which
    // is consumed.
    bool read_specified_string_from_input(const char* text);
    // A value between single or double quotes after optional white space; no escapes. End of
    // input before the closing quote gives false.
    bool get_simple_quoted_value(std::string* out);
    // After "<!--": reads to the first ">" preceded by at least two dashes.
    bool skip_comment();
    // After "<?": reads to the first "?>".
    bool skip_PI();
    // After "<?xml": version, optional encoding (which narrows the detected encoding) and
    // standalone, then "?>". Every failure is recorded.
    bool read_xml_decl();
    // Reads to the end of the current start tag, past quoted ">" and "/"; *is_empty (when
    // given) tells "/>" from ">". False at the end of input or after junk between "/" and ">".
    bool move_to_start_tag_end(bool* is_empty);
    // True when the next characters equal text; unlike read_specified_string_from_input, the
    // first differing character is put back, so markup that follows is not lost.
    bool match_and_keep_difference(const char* text);

private:
    bool read_pseudo_attribute(const char* rest_of_name, std::string* value);

    enum class reference_outcome { failed, resolved, entity_found };

    // Reads one reference after its "&". A general entity found is returned in *entity_text
    // instead of being expanded.
    reference_outcome read_reference(c_entity_name_reader& reader, std::string* out,
                                     const std::string** entity_text);
    // Expands a replacement text and the references inside it into an attribute value, with
    // an explicit stack: nesting depth is chosen by the document, so it must not use the C++
    // stack.
    bool expand_in_attribute_value(const std::string& text, std::string* out);
    // Replacement text going into an attribute value; "<" is refused there.
    bool add_attribute_text(std::string* out, std::string_view text);
    void add_text_wsp(std::string* out, std::string_view text);
    void fail_reference(elmx_error code, const std::string& message);
    bool report_value_budget();

    elmx_whitespace m_ws_mode = ELMX_WS_PRESERVE;
    bool m_pending_space = false;
    unsigned long long m_value_bytes = 0;
    unsigned long long m_max_value_bytes = k_default_max_value_bytes;
    std::string m_scratch;
    bool m_normalise_reference_ws;
};

}  // namespace lmx

#endif  // LMX_ENTITIES_H
