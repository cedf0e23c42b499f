#include "lmx/reading/tokenizer.h"

#include <cstring>

#include "lmx/reading/dtd.h"
#include "lmx/values/char_classes.h"

namespace lmx {

namespace {

constexpr const char* k_not_well_formed = "XML not Well-Formed";
constexpr const char* k_not_well_formed_lower = "XML not well-formed";
constexpr int k_end = -1;

void append_byte(std::string* message, int c) {
    if (c >= 0) *message += static_cast<char>(c);
}

}  // namespace

// ---- attribute store ----

void c_attribute_store::clear() {
    m_bytes.clear();
    m_entries.clear();
    m_next = 0;
    m_at_value = false;
}

void c_attribute_store::add(const std::string& name, const std::string& raw_value) {
    entry e;
    e.name_begin = m_bytes.size();
    e.name_size = name.size();
    m_bytes += name;
    e.value_begin = m_bytes.size();
    e.value_size = raw_value.size();
    m_bytes += raw_value;
    m_entries.push_back(e);
}

bool c_attribute_store::next_name(std::string* name) {
    if (m_at_value) {  // the caller left the previous value unread
        ++m_next;
        m_at_value = false;
    }
    if (at_end()) return false;
    name->assign(name_at(m_next));
    m_at_value = true;
    return true;
}

std::string_view c_attribute_store::take_raw_value() {
    if (!m_at_value || at_end()) return {};
    m_at_value = false;
    return raw_value_at(m_next++);
}

std::string_view c_attribute_store::name_at(std::size_t i) const {
    return std::string_view(m_bytes).substr(m_entries[i].name_begin, m_entries[i].name_size);
}

std::string_view c_attribute_store::raw_value_at(std::size_t i) const {
    return std::string_view(m_bytes).substr(m_entries[i].value_begin, m_entries[i].value_size);
}

// ---- tokenizer ----

c_xml::c_xml(c_read& source, c_error& error, bool normalise_char_ref_white_space)
    : m_getter(source, error, normalise_char_ref_white_space) {
    m_namespaces.clear();
}

void c_xml::rewind() {
    m_namespaces.clear();
    m_doctype_seen = false;
    m_document_started = false;
    m_attributes.clear();
    m_getter.set_ws_mode(ELMX_WS_PRESERVE);
    m_getter.rewind();
}

c_xml::bookmark c_xml::mark() const {
    return bookmark{
        m_getter.get_position(), m_doctype_seen, m_document_started, m_attributes, m_namespaces,
        error_recorder()};
}

void c_xml::return_to(const bookmark& place) {
    m_getter.set_position(place.getter);
    m_doctype_seen = place.doctype_seen;
    m_document_started = place.document_started;
    m_attributes = place.attributes;
    m_namespaces = place.namespaces;
    m_text_brackets = 0;
    error_recorder() = place.errors;
}

void c_xml::record(elmx_error_type type, elmx_error code, const std::string& message) {
    m_getter.error(type, code, message);
}

elxp_xml_event c_xml::fail(elmx_error code, const std::string& message) {
    record(ELMX_TYPE_ERROR, code, message);
    return ELXP_ERROR;
}

elxp_xml_event c_xml::finish_event(elxp_xml_event event) {
    if (event == ELXP_END_OF_DOCUMENT || event == ELXP_CHARACTERS || event == ELXP_END_TAG ||
        event == ELXP_NAME)
        m_document_started = true;
    return event;
}

bool c_xml::check_depth(unsigned int depth, const std::string&) {
    if (depth <= m_max_depth) return true;
    record(ELMX_TYPE_FATAL, ELMX_BADLY_FORMED, "Element nesting too deep");
    return false;
}

elxp_xml_event c_xml::get_element_name(c_xml_local* scope, std::string* name) {
    c_error& errors = error_recorder();
    const int errors_before = errors.get_error_count();
    for (;;) {
        name->clear();
        int c = m_getter.get_non_ws();
        elxp_xml_event event;
        if (c == k_end) {
            event = ELXP_END_OF_DOCUMENT;
        } else if (c != '<') {
            // Character data between tags is read as written, whatever mode a value used last.
            m_getter.set_ws_mode(ELMX_WS_PRESERVE);
            event = read_text(c, name);
        } else {
            bool go_on = false;
            event = read_markup(scope, name, &go_on);
            if (go_on) continue;
        }
        // Input that ended in a fatal error is never delivered as text or as the end.
        if (errors.is_fatal_errored()) event = ELXP_ERROR;
        // Every error event has a recorded error behind it, so callers never see ELMX_OK.
        if (event == ELXP_ERROR && errors.get_error_count() == errors_before)
            fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
        // An entity's text alone may vanish: it was pushed as input and is read next.
        if (event == ELXP_CHARACTERS && name->empty()) continue;
        return finish_event(event);
    }
}

namespace {

// Keeps the characters a name reader delivers, so a reference can be copied as it was written.
class c_spelling_reader : public c_entity_name_reader {
public:
    c_spelling_reader(c_entity_name_reader& source, std::string* spelling)
        : c_entity_name_reader(source.push_entity_text()),
          m_source(source),
          m_spelling(*spelling) {}
    int get() override {
        const int c = m_source.get();
        if (c >= 0) m_spelling.push_back(static_cast<char>(c));
        return c;
    }
    void unget(int c) override {
        m_source.unget(c);
        if (c >= 0 && !m_spelling.empty()) m_spelling.pop_back();
    }

private:
    c_entity_name_reader& m_source;
    std::string& m_spelling;
};

}  // namespace

void c_xml::resolve_reference_in_text(std::string* out) {
    c_entity_name_reader_for_c_get reader(m_getter, true);
    m_getter.resolve_reference(reader, out);
}

void c_xml::copy_reference(std::string* out, bool in_attribute) {
    // Character and predefined references stay as written. A declared entity's text is read
    // as content instead, since captured text travels without the declarations.
    std::string spelling = "&";
    std::string meaning;
    c_entity_name_reader_for_c_get getter_reader(m_getter, !in_attribute);
    c_spelling_reader reader(getter_reader, &spelling);
    const std::size_t depth = m_getter.get_entity_stack_depth();
    if (!m_getter.resolve_reference(reader, &meaning)) return;
    if (m_getter.get_entity_stack_depth() == depth) out->append(spelling);
}

bool c_xml::add_text_char(int c, std::string* text, bool expand_references) {
    // Strict markup refuses "]]>" in character data: the brackets just read are counted, so
    // each "]" and the character after it are taken one at a time.
    const unsigned int brackets = m_text_brackets;
    m_text_brackets = c == ']' ? brackets + 1 : 0;
    if (c == '<') return false;
    if (c == '>' && brackets >= 2 && m_strict_markup) {
        record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, "']]>' not allowed in content");
        return true;
    }
    if (c != '&') {
        m_getter.add_char_wsp(text, c, false);
        if (c != ']') m_getter.append_text_run(text);  // the plain text after it, in one step
    } else if (expand_references)
        resolve_reference_in_text(text);
    else
        copy_reference(text, false);
    return true;
}

elxp_xml_event c_xml::read_text(int first, std::string* text) {
    m_getter.unget(first);
    for (int c = m_getter.get(); c != k_end; c = m_getter.get()) {
        if (!add_text_char(c, text, true)) {
            m_getter.unget(c);
            break;
        }
    }
    return ELXP_CHARACTERS;
}

elxp_xml_event c_xml::read_markup(c_xml_local* scope, std::string* name, bool* go_on) {
    int c = m_getter.get();
    if (is_name_start_char(c)) {
        read_name(c, name);
        c = m_getter.get();
        if (c == k_end) return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
        m_getter.unget(c);
        return read_start_tag_attributes(scope) ? ELXP_NAME : ELXP_ERROR;
    }
    if (c == '/') {
        if (!read_end_tag_name(name)) return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
        return ELXP_END_TAG;
    }
    if (c == '?') {
        if (read_declaration_target()) {
            if (m_document_started) {
                record(ELMX_TYPE_FATAL, ELMX_BAD_XML_DECL,
                       "XML declaration not at start of document");
                return ELXP_ERROR;
            }
            if (!m_getter.read_xml_decl()) return ELXP_ERROR;
        } else if (!m_getter.skip_PI()) {
            return fail(ELMX_UNEXPECTED_END_OF_MESSAGE, "Unexpected end of file");
        }
        *go_on = true;
        return ELXP_ERROR;
    }
    if (c == '!') return read_bang_markup(name, go_on);
    if (c != k_end) skip_to_tag_end();
    return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
}

elxp_xml_event c_xml::read_bang_markup(std::string* name, bool* go_on) {
    int c = m_getter.get();
    if (c == '-') {
        if (m_getter.get() != '-') {
            skip_to_tag_end();
            return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
        }
        if (!m_getter.skip_comment())
            return fail(ELMX_UNEXPECTED_END_OF_MESSAGE, "Unexpected end of file");
        *go_on = true;
        return ELXP_ERROR;
    }
    if (c == '[') {
        if (!m_getter.match_and_keep_difference("CDATA["))
            return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
        read_cdata(name);
        return ELXP_CHARACTERS;
    }
    if (c == 'D' && m_getter.match_and_keep_difference("OCTYPE")) {
        if (m_document_started)
            return fail(ELMX_BAD_DTD, "Document Type Declaration not at start of document");
        if (m_doctype_seen) return fail(ELMX_BAD_DTD, "Document Type Declaration already read");
        c_internal_dtd dtd(m_getter);
        if (!dtd.read_doctype_decl()) return ELXP_ERROR;
        m_doctype_seen = true;
        *go_on = true;
        return ELXP_ERROR;
    }
    if (c != k_end) skip_to_tag_end();
    return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed);
}

bool c_xml::read_declaration_target() {
    if (!m_getter.match_and_keep_difference("xml")) return false;
    // "xml-stylesheet" and the like are processing instructions: only "xml" itself declares.
    const int next = m_getter.get();
    m_getter.unget(next);
    return !is_name_char(next);
}

void c_xml::skip_to_tag_end() {
    for (int c = m_getter.get(); c != k_end && c != '>'; c = m_getter.get()) {
    }
}

void c_xml::read_name(int first, std::string* name) {
    name->clear();
    int c = first;
    while (is_name_char(c)) {
        *name += static_cast<char>(c);
        m_getter.append_run(name, [](unsigned char b) { return is_name_char(b); });
        c = m_getter.get();
    }
    if (c != k_end) m_getter.unget(c);
}

bool c_xml::read_end_tag_name(std::string* name) {
    int c = m_getter.get();
    if (!is_name_start_char(c)) {
        if (c != k_end) m_getter.unget(c);
        return false;
    }
    read_name(c, name);
    return m_getter.get_non_ws() == '>';
}

void c_xml::read_cdata(std::string* content) {
    // "]]>" ends the section; any "]" before the last two belongs to the content.
    int brackets = 0;
    for (int c = m_getter.get(); c != k_end && m_getter.count_value_bytes(1); c = m_getter.get()) {
        if (c == ']') {
            ++brackets;
            continue;
        }
        if (c == '>' && brackets >= 2) {
            content->append(brackets - 2, ']');
            return;
        }
        content->append(brackets, ']');
        brackets = 0;
        *content += static_cast<char>(c);
    }
    content->append(brackets, ']');
}

bool c_xml::read_start_tag_attributes(c_xml_local* scope) {
    m_attributes.clear();
    std::string attribute_name;
    std::string raw_value;
    for (;;) {
        int c = m_getter.get_non_ws();
        if (!is_name_start_char(c)) {
            if (c != k_end) m_getter.unget(c);
            return true;
        }
        // Compare with "xmlns" as the name is read, without pushing anything back.
        static const char k_xmlns[] = "xmlns";
        attribute_name.clear();
        std::size_t matched = 0;
        while (is_name_char(c) && matched < 5 && c == k_xmlns[matched]) {
            attribute_name += static_cast<char>(c);
            ++matched;
            c = m_getter.get();
        }
        const bool is_declaration = matched == 5 && (c == ':' || !is_name_char(c));
        if (is_declaration && c == ':') c = m_getter.get();
        std::string& target = is_declaration ? m_prefix_scratch : attribute_name;
        if (is_declaration) target.clear();
        while (is_name_char(c)) {
            target += static_cast<char>(c);
            c = m_getter.get();
        }
        if (c != k_end) m_getter.unget(c);
        if (!read_equals_and_quoted_value(&raw_value)) return false;
        if (is_declaration) {
            if (!declare_namespace(scope, m_prefix_scratch, raw_value)) return false;
        } else {
            // References are checked even in values that will be skipped: a malformed or
            // undeclared one makes the document malformed whether or not it is read.
            if (raw_value.find('&') != std::string::npos && !check_references(raw_value))
                return false;
            m_attributes.add(attribute_name, raw_value);
        }
    }
}

bool c_xml::check_references(std::string_view raw_value) {
    const elmx_whitespace mode = m_getter.get_ws_mode();
    m_getter.set_ws_mode(ELMX_WS_PRESERVE);
    const bool ok = expand_raw_value(raw_value, &m_scratch);
    m_getter.set_ws_mode(mode);
    m_scratch.clear();
    return ok;
}

bool c_xml::read_equals_and_quoted_value(std::string* raw) {
    int c = m_getter.get_non_ws();
    if (c == k_end) {
        record(ELMX_TYPE_FATAL, ELMX_UNEXPECTED_END_OF_MESSAGE, "Unexpected end of file");
        return false;
    }
    if (c != '=') {
        std::string message = "Schema is not Well Formed (expected '=', got ";
        append_byte(&message, c);
        record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, message + ")");
        return false;
    }
    const int quote = m_getter.get_non_ws();
    raw->clear();
    c = quote;
    if (is_quote(quote)) {
        *raw += static_cast<char>(quote);
        // One value alone may not outgrow the budget, even if it is never read.
        for (c = m_getter.get(); c != k_end && c != quote && c != '<'; c = m_getter.get()) {
            *raw += static_cast<char>(c);
            m_getter.append_run(raw, [quote](unsigned char b) { return b != quote && b != '<'; });
            if (raw->size() > m_getter.get_max_value_bytes() &&
                !m_getter.count_value_bytes(raw->size()))
                return false;
        }
        if (c == quote) return true;
        if (c == '<') {
            record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, "'<' not allowed in an attribute value");
            return false;
        }
    }
    std::string message = "Schema is not Well Formed (expected '\"' or ''', got ";
    append_byte(&message, c);
    record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, message + ")");
    return false;
}

bool c_xml::expand_raw_value(std::string_view raw, std::string* value) {
    // raw starts with its opening quote.
    std::size_t index = 1;
    c_entity_name_reader_for_attribute_data reader(raw, &index);
    for (int c = reader.get(); c != k_end; c = reader.get()) {
        if (c != '&')
            m_getter.add_attribute_char(value, c);
        else if (!m_getter.resolve_reference(reader, value))
            return false;
    }
    return true;
}

bool c_xml::declare_namespace(c_xml_local* scope, const std::string& prefix,
                              const std::string& raw_value) {
    std::string uri;
    m_getter.set_ws_mode(ELMX_WS_PRESERVE);
    if (!expand_raw_value(raw_value, &uri)) return false;
    // An empty URI takes the default namespace away again: names are then in no namespace.
    const int id = uri.empty() ? k_ns_id_no_namespace : m_namespaces.add_namespace(uri);
    if (scope) scope->add_namespace(prefix, id);
    return true;
}

elxp_xml_event c_xml::get_attribute_name(std::string* name, bool in_declaration) {
    name->clear();
    if (m_attributes.next_name(name)) return ELXP_NAME;
    int c = m_getter.get_non_ws();
    if (c == '>') return ELXP_START_TAG_END;
    const int closer = in_declaration ? '?' : '/';
    if (c == closer && m_getter.get_non_ws() == '>') return ELXP_END_TAG;
    return fail(ELMX_NOT_WELL_FORMED, k_not_well_formed_lower);
}

bool c_xml::get_attribute_value(std::string* value, elmx_whitespace mode) {
    value->clear();
    m_getter.set_ws_mode(mode);
    std::string_view raw = m_attributes.take_raw_value();
    return raw.empty() || expand_raw_value(raw, value);
}

bool c_xml::skip_attribute_value() {
    m_attributes.take_raw_value();
    return true;
}

bool c_xml::get_xsi_type(const c_xml_local* scope, int* ns_id, std::string* local_name) {
    bool found = false;
    for (std::size_t i = 0; i < m_attributes.size() && !found; ++i) {
        c_cracked_name name(*scope, std::string(m_attributes.name_at(i)));
        if (!name.get_has_ns_prefix() || name.get_ns_id() != k_ns_id_xsi ||
            name.get_local_name() != "type")
            continue;
        std::string value;
        m_getter.set_ws_mode(ELMX_WS_PRESERVE);
        expand_raw_value(m_attributes.raw_value_at(i), &value);
        c_cracked_name type(*scope, value);
        *ns_id = type.get_ns_id();
        *local_name = type.get_local_name();
        found = true;
    }
    m_attributes.restart();
    return found;
}

bool c_xml::is_xsi_attribute(const c_xml_local* scope, const std::string& qname) const {
    c_cracked_name name(*scope, qname);
    return name.get_has_ns_prefix() && name.get_ns_id() == k_ns_id_xsi;
}

int c_xml::get_ns_id(const c_xml_local* scope, const std::string& qname) const {
    return c_cracked_name(*scope, qname).get_ns_id();
}

std::string* c_xml::get_local_name(const std::string& qname, std::string* out) {
    return lmx::get_local_name(qname, out);
}

std::string* c_xml::get_namespace_prefix(const std::string& qname, std::string* out) {
    return lmx::get_namespace_prefix(qname, out);
}

bool c_xml::get_element_value(std::string* value, elmx_whitespace mode, bool expand_references) {
    value->clear();
    m_getter.set_ws_mode(mode);
    for (;;) {
        int c = m_getter.get();
        if (c == k_end) {
            record(ELMX_TYPE_ERROR, ELMX_UNEXPECTED_END_OF_MESSAGE,
                   "Premature end of file encountered");
            return false;
        }
        if (add_text_char(c, value, expand_references)) continue;
        int next = m_getter.get();
        if (next == '?') {
            if (!m_getter.skip_PI()) continue;  // the end of input is reported above
        } else if (next == '!') {
            int kind = m_getter.get();
            if (kind == '-' && m_getter.get() == '-') {
                m_getter.skip_comment();
            } else if (kind == '[' && m_getter.match_and_keep_difference("CDATA[")) {
                read_cdata(value);
            } else {
                record(ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, k_not_well_formed_lower);
                return false;
            }
        } else {
            if (next != k_end) m_getter.unget(next);
            m_getter.unget('<');
            return true;
        }
    }
}

bool c_xml::is_element_end_tag(const std::string& name) {
    if (m_getter.get_non_ws() != '<' || m_getter.get() != '/') return false;
    for (char expected : name)
        if (m_getter.get() != static_cast<unsigned char>(expected)) return false;
    return m_getter.get_non_ws() == '>';
}

bool c_xml::move_to_start_tag_end(bool* is_empty) {
    return m_getter.move_to_start_tag_end(is_empty);
}

bool c_xml::skip_rest_of_element(const std::string& name) {
    bool is_empty = false;
    if (!move_to_start_tag_end(&is_empty)) return false;
    return is_empty || skip_element_body(name);
}

bool c_xml::skip_rest_of_empty_element(const std::string& name) {
    bool is_empty = false;
    if (!move_to_start_tag_end(&is_empty)) return false;
    return is_empty || is_element_end_tag(name);
}

bool c_xml::skip_element_body(const std::string& name) {
    // Iterative, so hostile nesting costs heap for the names, never stack.
    c_xml_local scope;
    std::vector<std::string> open_names{name};
    std::string read;
    for (;;) {
        scope.clear();
        switch (get_element_name(&scope, &read)) {
            case ELXP_CHARACTERS:
                break;
            case ELXP_NAME: {
                bool is_empty = false;
                if (!move_to_start_tag_end(&is_empty)) return false;
                if (is_empty) break;
                if (!allows_nesting(open_names.size() + 1, read)) return false;
                open_names.push_back(read);
                break;
            }
            case ELXP_END_TAG:
                if (read != open_names.back()) {
                    record(ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED,
                           "Element start tag (" + open_names.back() + ") and end tag (" + read +
                               ") do not match");
                    return false;
                }
                open_names.pop_back();
                if (open_names.empty()) return true;
                break;
            default:
                return false;
        }
    }
}

bool c_xml::read_document_end() {
    c_xml_local scope;
    std::string text;
    const elxp_xml_event event = get_element_name(&scope, &text);
    if (event == ELXP_END_OF_DOCUMENT) return true;
    if (!is_error_event(event))
        record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, "Content after the document element");
    return false;
}

bool c_xml::get_nested_element_value(std::string* content, std::string* end_name,
                                     elmx_whitespace mode, bool expand_references) {
    return capture_content(content, end_name, mode, expand_references);
}

bool c_xml::get_any_element(const std::string& name, std::string* content, elmx_whitespace mode,
                            bool expand_references) {
    std::string end_name;
    return capture_content(content, &end_name, mode, expand_references) && end_name == name;
}

// After "<!--" in captured content under strict markup, which leaves comments out: "--" may
// only end one.
bool c_xml::skip_checked_comment() {
    unsigned int dashes = 0;
    for (int c = m_getter.get(); c != k_end; c = m_getter.get()) {
        if (dashes >= 2) {
            if (c == '>') return true;
            break;
        }
        dashes = c == '-' ? dashes + 1 : 0;
    }
    record(ELMX_TYPE_FATAL, ELMX_BAD_COMMENT, "Badly formed comment");
    return false;
}

// After "<?" in captured content, which leaves instructions out: the target must be a name other
// than "xml", which only the declaration may use.
bool c_xml::skip_checked_instruction() {
    std::string target;
    const int first = m_getter.get();
    if (is_name_start_char(first)) read_name(first, &target);
    for (char& c : target) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (!target.empty() && target != "xml" && m_getter.skip_PI()) return true;
    record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, k_not_well_formed);
    return false;
}

// The rest of a captured start tag goes across exactly as written, once its attributes have the
// form name="value"; *is_empty tells "/>" from ">".
bool c_xml::copy_start_tag_rest(std::string* content, bool* is_empty) {
    enum { after_name, in_name, before_equals, before_value, in_value, after_value } state =
        after_name;
    int quote = 0;
    for (int c = m_getter.get(); c != k_end; c = m_getter.get()) {
        const bool space = is_xml_space(c);
        bool fits = true;
        switch (state) {
            case in_value:
                if (c == '<') {
                    record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED,
                           "'<' not allowed in an attribute value");
                    return false;
                }
                if (c == '&') {
                    copy_reference(content, true);
                    continue;
                }
                if (c == quote) state = after_value;
                break;
            case in_name:
                if (c == '=' || space) state = c == '=' ? before_value : before_equals;
                else fits = is_name_char(c);
                break;
            case before_equals:
                if (c == '=') state = before_value;
                else fits = space;
                break;
            case before_value:
                if (is_quote(c)) state = in_value, quote = c;
                else fits = space;
                break;
            default:  // after the name or a value: space, then the next attribute or the end
                if (c == '>' || c == '/') {
                    *is_empty = c == '/';
                    fits = !*is_empty || m_getter.get() == '>';
                    if (!fits) break;
                    *content += *is_empty ? "/>" : ">";
                    return true;
                }
                // Attributes must be apart only under strict markup, as in any start tag;
                // captured, they are set apart so that the copy is well-formed.
                if (space) state = after_name;
                else fits = is_name_start_char(c) &&
                            (!m_strict_markup ||
                             is_xml_space(static_cast<unsigned char>(content->back())));
                if (fits && !space) {
                    if (is_quote(content->back())) *content += ' ';
                    state = in_name;
                }
                break;
        }
        if (!fits) break;
        *content += static_cast<char>(c);
        if (!m_getter.count_value_bytes(1)) return false;
    }
    record(ELMX_TYPE_FATAL, ELMX_NOT_WELL_FORMED, k_not_well_formed);
    return false;
}

bool c_xml::capture_content(std::string* content, std::string* end_name, elmx_whitespace mode,
                            bool expand_references) {
    m_attributes.clear();
    content->clear();
    m_getter.set_ws_mode(mode);
    std::vector<std::string> open_names;
    std::string name;
    for (;;) {
        int c = m_getter.get();
        if (c == k_end) return false;
        // Captured content must stay well-formed wherever it is written again: "]]>" that a
        // stored document may hold in its text is kept as "]]&gt;", which reads the same.
        if (c == '>' && m_text_brackets >= 2 && !m_strict_markup) {
            *content += "&gt;";
            m_text_brackets = 0;
            continue;
        }
        if (add_text_char(c, content, expand_references)) continue;
        c = m_getter.get();
        if (c == '/') {
            if (!read_end_tag_name(&name)) return false;
            if (open_names.empty()) {
                *end_name = name;
                return true;
            }
            if (name != open_names.back()) return false;
            open_names.pop_back();
            *content += "</" + name + ">";
        } else if (c == '?') {
            if (!skip_checked_instruction()) return false;
        } else if (c == '!') {
            int kind = m_getter.get();
            if (kind == '-' && m_getter.get() == '-') {
                if (!(m_strict_markup ? skip_checked_comment() : m_getter.skip_comment()))
                return false;
            } else if (kind == '[' && m_getter.match_and_keep_difference("CDATA[")) {
                *content += "<![CDATA[";
                read_cdata(content);
                *content += "]]>";
            } else {
                record(ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, k_not_well_formed_lower);
                return false;
            }
        } else if (is_name_start_char(c)) {
            read_name(c, &name);
            *content += '<';
            *content += name;
            bool is_empty = false;
            if (!copy_start_tag_rest(content, &is_empty)) return false;
            if (!is_empty) {
                if (!allows_nesting(open_names.size() + 1, name)) return false;
                open_names.push_back(name);
            }
        } else {
            record(ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, k_not_well_formed);
            return false;
        }
    }
}

}  // namespace lmx
