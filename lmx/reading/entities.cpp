#include "lmx/reading/entities.h"

#include <algorithm>

#include "lmx/reading/limits.h"
#include "lmx/values/char_classes.h"

namespace lmx {

namespace {

// Beyond the last code point: digit runs saturate here.
constexpr long k_max_character_reference = 0x10FFFF;
constexpr int k_end = -1;

// Messages quote the offending byte; the end of input adds nothing.
void append_byte(std::string* message, int c) {
    if (c >= 0) *message += static_cast<char>(c);
}

struct predefined_entity {
    std::string_view name;
    char text;
};

constexpr predefined_entity k_predefined_entities[] = {
    {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};

int hex_digit_value(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// Whether text read as content holds its own markup: every tag, comment, CDATA section and
// processing instruction it starts ends inside it, and every element it opens it closes.
bool is_balanced_content(std::string_view text) {
    constexpr auto npos = std::string_view::npos;
    std::vector<std::string_view> open;
    const std::size_t size = text.size();
    // Skips past the terminator of a construct that must end inside the text.
    auto skip_past = [&](std::size_t* i, std::string_view terminator) {
        const std::size_t found = text.find(terminator, *i);
        if (found == npos) return false;
        *i = found + terminator.size();
        return true;
    };
    for (std::size_t i = text.find('<'); i != npos; i = text.find('<', i)) {
        ++i;
        if (text.compare(i, 3, "!--") == 0) {
            if (!skip_past(&i, "-->")) return false;
            continue;
        }
        if (text.compare(i, 8, "![CDATA[") == 0) {
            if (!skip_past(&i, "]]>")) return false;
            continue;
        }
        if (i < size && text[i] == '?') {
            if (!skip_past(&i, "?>")) return false;
            continue;
        }
        const bool is_end_tag = i < size && text[i] == '/';
        if (is_end_tag) ++i;
        const std::size_t name_begin = i;
        if (i >= size || !is_name_start_char(static_cast<unsigned char>(text[i]))) return false;
        while (i < size && is_name_char(static_cast<unsigned char>(text[i])))
            ++i;
        const std::string_view name = text.substr(name_begin, i - name_begin);
        if (is_end_tag) {
            while (i < size && is_xml_space(static_cast<unsigned char>(text[i])))
                ++i;
            if (i >= size || text[i] != '>' || open.empty() || open.back() != name) return false;
            open.pop_back();
            ++i;
            continue;
        }
        char quote = 0;
        for (; i < size && (quote || text[i] != '>'); ++i) {
            if (quote) {
                if (text[i] == quote) quote = 0;
            } else if (is_quote(text[i])) {
                quote = text[i];
            }
        }
        if (i >= size) return false;
        if (text[i - 1] != '/') open.push_back(name);
        ++i;
    }
    return open.empty();
}

}  // namespace

// ---- c_get_with_entities ---------------------------------------------------------------------

c_get_with_entities::c_get_with_entities(c_read& source, c_error& error)
    : c_get_as_utf8(source, error) {}

int c_get_with_entities::get_from_texts() {
    // A fatal error ends the input for replacement texts as well as for the document.
    if (is_fatal()) return -1;
    while (!m_frames.empty()) {
        entity_frame& top = m_frames.back();
        if (!top.pushed_back.empty()) return top.pushed_back.get();
        if (top.position != top.end) {
            const int c = static_cast<unsigned char>(*top.position++);
            return count_entity_bytes(1) ? c : -1;
        }
        pop_frame();
    }
    return c_get_as_utf8::get();
}

void c_get_with_entities::unget(int c) {
    if (c == -1) return;
    // The top of the stack is where the last character came from: get() popped everything
    // above it. So one character pushed back right after it was read always fits.
    if (!m_frames.empty())
        m_frames.back().pushed_back.unget(c);
    else
        c_get_as_utf8::unget(c);
}

void c_get_with_entities::rewind() {
    m_general_entities.clear();
    m_parameter_entities.clear();
    m_frames.clear();
    m_active_texts.clear();
    m_entity_bytes = 0;
    c_get_as_utf8::rewind();
}

void c_get_with_entities::add_general_entity(std::string_view name, std::string_view value) {
    m_general_entities.add(name, std::string(value));
}

void c_get_with_entities::add_parameter_entity(std::string_view name, std::string_view value) {
    m_parameter_entities.add(name, std::string(value));
}

bool c_get_with_entities::get_general_entity(std::string_view name, const char** value) const {
    const std::string* found = m_general_entities.find(name);
    if (found && value) *value = found->c_str();
    return found != nullptr;
}

bool c_get_with_entities::get_parameter_entity(std::string_view name, const char** value) const {
    const std::string* found = m_parameter_entities.find(name);
    if (found && value) *value = found->c_str();
    return found != nullptr;
}

bool c_get_with_entities::set_input_entity_value(std::string_view value) {
    if (!m_active_texts.insert(value.data()).second) {
        report_recursion(value);
        return false;
    }
    m_frames.push_back(entity_frame{value.data(), value.data() + value.size(), value.data(), {}});
    return true;
}

void c_get_with_entities::pop_frame() {
    m_active_texts.erase(m_frames.back().identity);
    m_frames.pop_back();
}

void c_get_with_entities::report_recursion(std::string_view text) {
    error(ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY,
          "Recursive entity definition for: " + std::string(text));
}

bool c_get_with_entities::count_entity_bytes(std::size_t count) {
    m_entity_bytes += count;
    if (m_entity_bytes <= k_entity_expansion_floor) return true;
    const unsigned long long allowed =
        static_cast<unsigned long long>(k_entity_amplification_ratio) * get_bytes_read();
    if (m_entity_bytes <= allowed) return true;
    error(ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY, "Entity expansion limit exceeded");
    return false;
}

// ---- c_get_for_xml ---------------------------------------------------------------------------

c_get_for_xml::c_get_for_xml(c_read& source, c_error& error, bool normalise_reference_ws)
    : c_get_with_entities(source, error), m_normalise_reference_ws(normalise_reference_ws) {}

void c_get_for_xml::rewind() {
    set_ws_mode(ELMX_WS_PRESERVE);
    m_value_bytes = 0;
    c_get_with_entities::rewind();
}

bool c_get_for_xml::report_value_budget() {
    // Reported once: later calls find the input ended.
    if (!is_fatal())
        error(ELMX_TYPE_FATAL, ELMX_LENGTH_TOO_LONG,
              "Text and attribute values exceed the reader's limit of " +
                  std::to_string(m_max_value_bytes) + " bytes");
    return false;
}

void c_get_for_xml::add_char_wsp(std::string* out, int c, bool from_reference) {
    if (c < 0 || !count_value_bytes(1)) return;
    const bool is_space =
        c >= 1 && is_xml_space(c) && (!from_reference || m_normalise_reference_ws);
    switch (m_ws_mode) {
        case ELMX_WS_REPLACE:
            out->push_back(is_space ? ' ' : static_cast<char>(c));
            return;
        case ELMX_WS_COLLAPSE:
            if (is_space) {
                m_pending_space = true;
                return;
            }
            if (m_pending_space && !out->empty()) out->push_back(' ');
            m_pending_space = false;
            out->push_back(static_cast<char>(c));
            return;
        case ELMX_WS_PRESERVE:
        default:
            out->push_back(static_cast<char>(c));
            return;
    }
}

void c_get_for_xml::add_text_wsp(std::string* out, std::string_view text) {
    // Text that stands for itself (a predefined entity, a literal reference) is never white
    // space, but it must still emit a space pending before it in collapse mode.
    for (char c : text)
        add_char_wsp(out, static_cast<unsigned char>(c), false);
}

void c_get_for_xml::fail_reference(elmx_error code, const std::string& message) {
    error(ELMX_TYPE_FATAL, code, message);
}

bool c_get_for_xml::insert_character_entity(c_entity_name_reader& reader, std::string* out) {
    int c = reader.get();
    int base = 10;
    long value = 0;
    int digits = 0;
    if (c == 'x') {
        base = 16;
        c = reader.get();
    }
    for (; base == 16 ? is_hex_digit_char(c) : is_digit_char(c); c = reader.get()) {
        // Saturates: any value this large is refused anyway.
        value = std::min(value * base + hex_digit_value(c), k_max_character_reference + 1);
        ++digits;
    }
    if (digits == 0 || c != ';') {
        fail_reference(ELMX_NOT_WELL_FORMED,
                       "Character reference not well-formed (expected digits and ';')");
        return false;
    }
    // XML 1.1 lets references carry the C0 controls that may not appear raw.
    const bool restricted_allowed = get_xml11_line_ends() && value >= 1 && value < 0x20;
    if (!is_xml_char(value) && !restricted_allowed) {
        fail_reference(ELMX_NOT_WELL_FORMED,
                       "Character reference to a character not allowed "
                       "in XML: " +
                           format_code_point(value));
        return false;
    }
    if (value < 0x80) {
        add_char_wsp(out, static_cast<int>(value), true);
    } else {
        char encoded[8];
        add_text_wsp(out, unicode_char_to_utf8(static_cast<int>(value), encoded));
    }
    return true;
}

c_get_for_xml::reference_outcome c_get_for_xml::read_reference(c_entity_name_reader& reader,
                                                               std::string* out,
                                                               const std::string** entity_text) {
    int c = reader.get();
    if (c == '#')
        return insert_character_entity(reader, out) ? reference_outcome::resolved
                                                    : reference_outcome::failed;
    if (!is_name_start_char(c)) {
        fail_reference(ELMX_NOT_WELL_FORMED,
                       "'&' must begin a reference (the character itself is written &amp;)");
        return reference_outcome::failed;
    }
    m_scratch.assign(1, static_cast<char>(c));
    while (is_name_char(c = reader.get()))
        m_scratch.push_back(static_cast<char>(c));
    if (c != ';') {
        fail_reference(ELMX_NOT_WELL_FORMED, "Reference to '" + m_scratch + "' not ended by ';'");
        return reference_outcome::failed;
    }

    for (const predefined_entity& predefined : k_predefined_entities) {
        if (m_scratch == predefined.name) {
            add_char_wsp(out, predefined.text, false);
            return reference_outcome::resolved;
        }
    }
    if (const std::string* text = find_general_entity(m_scratch)) {
        *entity_text = text;
        return reference_outcome::entity_found;
    }
    fail_reference(ELMX_ENTITY_NOT_FOUND, "Entity '" + m_scratch + "' not found");
    return reference_outcome::failed;
}

bool c_get_for_xml::resolve_reference(c_entity_name_reader& reader, std::string* out) {
    const std::string* text = nullptr;
    const reference_outcome outcome = read_reference(reader, out, &text);
    if (outcome != reference_outcome::entity_found) return outcome == reference_outcome::resolved;
    if (!reader.push_entity_text()) return expand_in_attribute_value(*text, out);
    // Markup must begin and end in the same text: an entity may not close elements it did not
    // open, nor leave its own open.
    if (!is_balanced_content(*text)) {
        fail_reference(ELMX_NOT_WELL_FORMED,
                       "Replacement text of entity '" + m_scratch + "' is not balanced markup");
        return false;
    }
    return set_input_entity_value(*text);
}

bool c_get_for_xml::expand_in_attribute_value(const std::string& text, std::string* out) {
    struct expansion_frame {
        const char* position;
        const char* end;
        const std::string* text;
    };
    std::vector<expansion_frame> stack;
    std::unordered_set<const std::string*> active;
    stack.push_back({text.data(), text.data() + text.size(), &text});
    active.insert(&text);

    while (!stack.empty()) {
        if (is_fatal()) return false;
        expansion_frame& top = stack.back();
        if (top.position == top.end) {
            active.erase(top.text);
            stack.pop_back();
            continue;
        }
        // Plain text up to the next reference is taken as one run.
        const char* run_end = top.position;
        while (run_end != top.end && *run_end != '&')
            ++run_end;
        if (run_end != top.position) {
            const std::string_view run(top.position,
                                       static_cast<std::size_t>(run_end - top.position));
            top.position = run_end;
            if (!count_entity_bytes(run.size())) return false;
            if (!add_attribute_text(out, run)) return false;
            continue;
        }
        ++top.position;
        if (!count_entity_bytes(1)) return false;
        const char* reference_start = top.position;
        const std::string* nested = nullptr;
        c_entity_name_reader_for_entity reader(&top.position, top.end);
        const reference_outcome outcome = read_reference(reader, out, &nested);
        if (!count_entity_bytes(static_cast<std::size_t>(top.position - reference_start)))
            return false;
        if (outcome == reference_outcome::failed) return false;
        if (outcome != reference_outcome::entity_found) continue;
        if (!active.insert(nested).second) {
            report_recursion(*nested);
            return false;
        }
        // May reallocate: top is not used after this.
        stack.push_back({nested->data(), nested->data() + nested->size(), nested});
    }
    return true;
}

bool c_get_for_xml::add_attribute_text(std::string* out, std::string_view text) {
    for (char c : text) {
        if (c == '<') {
            fail_reference(ELMX_NOT_WELL_FORMED, "'<' not allowed in an attribute value");
            return false;
        }
        add_attribute_char(out, static_cast<unsigned char>(c));
    }
    return true;
}

void c_get_for_xml::add_attribute_char(std::string* out, int c) {
    // Attribute-value normalisation: literal tab and line feed (carriage returns are line
    // feeds by now) stand for a space; only character references carry them into the value.
    if (c == '\t' || c == '\n') c = ' ';
    add_char_wsp(out, c, false);
}

int c_get_for_xml::get_non_ws() {
    int c;
    do {
        c = get();
    } while (c >= 1 && c <= ' ');
    return c;
}

bool c_get_for_xml::read_specified_string_from_input(const char* text) {
    for (; *text; ++text)
        if (get() != static_cast<unsigned char>(*text)) return false;
    return true;
}

bool c_get_for_xml::get_simple_quoted_value(std::string* out) {
    out->clear();
    const int quote = get_non_ws();
    if (quote != '"' && quote != '\'') return false;
    for (int c = get(); c != -1; c = get()) {
        if (c == quote) return true;
        out->push_back(static_cast<char>(c));
    }
    return false;
}

bool c_get_for_xml::skip_comment() {
    int dashes = 0;
    for (int c = get(); c != -1; c = get()) {
        if (c == '-') {
            ++dashes;
            continue;
        }
        if (c == '>' && dashes >= 2) {
            if (dashes > 2)
                error(ELMX_TYPE_WARNING, ELMX_BAD_COMMENT, "End of comment not Well-Formed");
            return true;
        }
        dashes = 0;
    }
    return false;
}

bool c_get_for_xml::skip_PI() {
    bool after_question_mark = false;
    for (int c = get(); c != -1; c = get()) {
        if (c == '>' && after_question_mark) return true;
        after_question_mark = c == '?';
    }
    return false;
}

bool c_get_for_xml::match_and_keep_difference(const char* text) {
    for (; *text; ++text) {
        int c = get();
        if (c != static_cast<unsigned char>(*text)) {
            // Only the differing character goes back: what matched before it cannot be markup.
            if (c != k_end) unget(c);
            return false;
        }
    }
    return true;
}

bool c_get_for_xml::move_to_start_tag_end(bool* is_empty) {
    int quote = 0;
    for (int c = get(); c != k_end; c = get()) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (is_quote(c)) {
            quote = c;
        } else if (c == '>') {
            if (is_empty) *is_empty = false;
            return true;
        } else if (c == '/') {
            bool reported = false;
            for (c = get(); c != k_end && c != '>'; c = get()) {
                if (!reported && !is_xml_space(c)) {
                    std::string message = "Illegal character(s) after / at end of tag - ";
                    append_byte(&message, c);
                    error(ELMX_TYPE_ERROR, ELMX_BAD_END_TAG, message);
                    reported = true;
                }
            }
            if (is_empty) *is_empty = true;
            return !reported;
        }
    }
    return false;
}

bool c_get_for_xml::read_pseudo_attribute(const char* rest_of_name, std::string* value) {
    if (!match_and_keep_difference(rest_of_name)) return false;
    if (get_non_ws() != '=') return false;
    return get_simple_quoted_value(value);
}

bool c_get_for_xml::read_xml_decl() {
    std::string version;
    if (get_non_ws() != 'v' || !read_pseudo_attribute("ersion", &version)) {
        error(ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL, "Version not present in XML Decl");
        return false;
    }
    // Any 1.x: a version this reader does not know is read as XML 1.0, as XML 1.0 asks.
    const bool is_version_1x =
        version.size() > 2 && version.compare(0, 2, "1.") == 0 &&
        std::all_of(version.begin() + 2, version.end(), [](char c) { return is_digit_char(c); });
    if (!is_version_1x) {
        error(ELMX_TYPE_ERROR, ELMX_BAD_XML_VERSION, "XML version " + version + " not understood");
        return false;
    }
    set_xml11_line_ends(version == "1.1");
    static const char* const k_bad_declaration = "XML declaration not Well-Formed";
    int c = get_non_ws();
    if (c == 'e') {
        std::string encoding;
        if (!read_pseudo_attribute("ncoding", &encoding)) {
            error(ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL, k_bad_declaration);
            return false;
        }
        if (!set_encoding(encoding.c_str())) return false;
        c = get_non_ws();
    }
    if (c == 's') {
        std::string standalone;
        if (!read_pseudo_attribute("tandalone", &standalone)) {
            error(ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL, k_bad_declaration);
            return false;
        }
        // "no" only says that markup outside the document may matter; none is read here.
        if (standalone != "yes" && standalone != "no") {
            error(ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL, k_bad_declaration);
            return false;
        }
        c = get_non_ws();
    }
    if (c != '?' || get() != '>') {
        error(ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL, k_bad_declaration);
        return false;
    }
    return true;
}

c_get_with_entities::position c_get_with_entities::get_position() const {
    position where;
    static_cast<c_get_as_utf8::position&>(where) = c_get_as_utf8::get_position();
    where.frames = m_frames;
    where.active_texts = m_active_texts;
    where.entity_bytes = m_entity_bytes;
    return where;
}

void c_get_with_entities::set_position(const position& where) {
    c_get_as_utf8::set_position(where);
    m_frames = where.frames;
    m_active_texts = where.active_texts;
    m_entity_bytes = where.entity_bytes;
}

c_get_for_xml::position c_get_for_xml::get_position() const {
    position where;
    static_cast<c_get_with_entities::position&>(where) = c_get_with_entities::get_position();
    where.ws_mode = m_ws_mode;
    where.pending_space = m_pending_space;
    where.value_bytes = m_value_bytes;
    return where;
}

void c_get_for_xml::set_position(const position& where) {
    c_get_with_entities::set_position(where);
    m_ws_mode = where.ws_mode;
    m_pending_space = where.pending_space;
    m_value_bytes = where.value_bytes;
}

}  // namespace lmx
