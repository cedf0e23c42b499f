#include "lmx/reading/dtd.h"

#include "lmx/values/char_classes.h"

namespace lmx {

namespace {

bool starts_with(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The character as it appears in a message: one byte, nothing for end of input.
std::string as_message_char(int c) {
    return c < 0 ? std::string() : std::string(1, static_cast<char>(c));
}

}  // namespace

// ---- c_dtd_util ------------------------------------------------------------------------------

int c_dtd_util::get_non_ws() {
    int c;
    do {
        c = get();
    } while (is_xml_space(c));
    return c;
}

bool c_dtd_util::skip_to_tag_end() {
    int quote = 0;
    for (int c = get(); c != -1; c = get()) {
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return true;
        }
    }
    return false;
}

bool c_dtd_util::get_entity_value(std::string* out) {
    out->clear();
    int c = get_non_ws();
    if (c == -1) return false;
    for (; c != -1; c = get()) {
        if (is_xml_space(c) || c == '>') {
            unget(c);
            break;
        }
        if (c == '%') {
            if (!select_parameter_entity()) return false;
            continue;
        }
        out->push_back(static_cast<char>(c));
    }
    return !m_getter.get_error_handler().is_fatal_errored();
}

bool c_dtd_util::get_quoted_entity_value(std::string* out) {
    const int quote = get_non_ws();
    if (quote != '"' && quote != '\'') return false;
    out->clear();
    // A quote inside an included parameter entity's text does not close the literal.
    const std::size_t depth = m_getter.get_entity_stack_depth();
    // Character references stand for exactly the character they name here.
    const elmx_whitespace saved_mode = m_getter.get_ws_mode();
    m_getter.set_ws_mode(ELMX_WS_PRESERVE);
    bool ok = true;
    for (int c = get(); c != -1; c = get()) {
        if (c == quote && m_getter.get_entity_stack_depth() == depth) break;
        if (c == '%') {
            ok = select_parameter_entity();
        } else if (c == '&') {
            const int next = get();
            if (next == '#') {
                c_entity_name_reader_for_c_get reader(m_getter, false);
                ok = m_getter.insert_character_entity(reader, out);
            } else {
                // A general entity reference is kept as written. What follows the "&" is read
                // as usual, so a closing quote right after it still ends the literal.
                out->push_back('&');
                unget(next);
            }
        } else {
            out->push_back(static_cast<char>(c));
        }
        if (!ok) break;
    }
    m_getter.set_ws_mode(saved_mode);
    return ok && !m_getter.get_error_handler().is_fatal_errored();
}

bool c_dtd_util::select_parameter_entity() {
    std::string name;
    int c;
    while (is_name_char(c = get()))
        name.push_back(static_cast<char>(c));
    if (c != ';') unget(c);
    const std::string* text = m_getter.find_parameter_entity(name);
    if (!text) {
        m_getter.error(ELMX_TYPE_ERROR, ELMX_ENTITY_NOT_FOUND, "Entity '%" + name + "' not found");
        return true;
    }
    return m_getter.set_input_entity_value(*text);
}

// ---- c_internal_dtd --------------------------------------------------------------------------

void c_internal_dtd::fail(const std::string& message) {
    m_getter.error(ELMX_TYPE_FATAL, ELMX_BAD_DTD, message);
}

bool c_internal_dtd::read_doctype_decl() {
    c_dtd_util util(m_getter);
    // The root name and any external identifier are not interpreted.
    for (;;) {
        const int c = util.get();
        if (c == -1) return false;
        if (c == '>') return true;
        if (c == '[') return read_internal_subset(util);
    }
}

bool c_internal_dtd::read_internal_subset(c_dtd_util& util) {
    for (;;) {
        int c = util.get_non_ws();
        switch (c) {
            case '<':
                if (!read_markup_declaration(util)) return false;
                break;
            case '%':
                if (!util.select_parameter_entity()) return false;
                break;
            case ']':
                c = util.get_non_ws();
                if (c == '>') return true;
                fail("DTD not Well Formed (expected '>', got " + as_message_char(c) + ")");
                return false;
            default:
                fail("DTD not Well Formed (got " + as_message_char(c) + ")");
                return false;
        }
    }
}

bool c_internal_dtd::read_markup_declaration(c_dtd_util& util) {
    std::string token;
    for (;;) {
        const int c = util.get();
        if (c == -1 || is_xml_space(c) || c == '[' || c == '>') {
            util.unget(c);
            break;
        }
        token.push_back(static_cast<char>(c));
        if (token == "!--") break;
    }
    if (token == "!--") return m_getter.skip_comment();
    if (starts_with(token, "!ENTITY")) return read_entity_declaration(util);
    if (starts_with(token, "?")) {
        // The token may already hold the "?" of "?>", as in "<?target?>".
        if (token.size() >= 2 && token.back() == '?') {
            const int c = util.get();
            if (c == '>') return true;
            util.unget(c);
        }
        return m_getter.skip_PI();
    }
    return util.skip_to_tag_end();
}

bool c_internal_dtd::read_entity_declaration(c_dtd_util& util) {
    int c = util.get_non_ws();
    const bool is_parameter = c == '%';
    if (!is_parameter) util.unget(c);

    std::string name;
    std::string value;
    bool has_value = false;
    if (util.get_entity_value(&name)) {
        c = util.get_non_ws();
        util.unget(c);
        if (c == '"' || c == '\'') {
            has_value = util.get_quoted_entity_value(&value);
        } else if (util.get_entity_value(&value)) {
            // An external or malformed entity stays undeclared, so that a reference to it is
            // kept literally instead of being replaced by the keyword that was read.
            if (starts_with(value, "SYSTEM") || starts_with(value, "PUBLIC"))
                m_getter.error(ELMX_TYPE_WARNING, ELMX_EXTERNAL_ENTITY,
                               "External Entity definitions not supported");
            else
                m_getter.error(ELMX_TYPE_ERROR, ELMX_UNEXPECTED_ENTITY,
                               "Unexpected value in Entity definition: " + value);
        }
    }
    // The first declaration of a name binds; later ones are ignored.
    if (has_value) {
        if (is_parameter) {
            if (!m_getter.find_parameter_entity(name)) m_getter.add_parameter_entity(name, value);
        } else if (!m_getter.find_general_entity(name)) {
            m_getter.add_general_entity(name, value);
        }
    }
    return util.skip_to_tag_end();
}

}  // namespace lmx
