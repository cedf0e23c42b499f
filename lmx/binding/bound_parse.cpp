#include "lmx/binding/bound_parse.h"

#include <cstring>
#include <limits>

#include "lmx/reading/names.h"
#include "lmx/values/conversions.h"

namespace lmx {

namespace {

// Broken markup cannot be resumed, so a failure that leaves the tokenizer inside it ends the
// element even when the handler answers ELMX_OK.
elmx_error report_fatal(c_xml_reader& reader, elmx_error code, const std::string& item,
                        s_call_site site) {
    // Once the input has ended in a fatal error, that error is the cause of what failed.
    code = reader.fatal_error_or(code);
    const elmx_error decided = report(reader, code, item, site);
    return decided != ELMX_OK ? decided : code;
}

bool is_error_event(int event) {
    return event == ELXP_ERROR || event == ELXP_ERROR_RESERVED || event == ELXP_END_OF_DOCUMENT;
}

class c_element_parse {
public:
    c_element_parse(c_xml_reader& reader, const std::string& name, const s_class_parse& info,
                    c_bound_parse& steps)
        : m_reader(reader),
          m_name(name),
          m_info(info),
          m_steps(steps),
          m_stacked(reader.get_element_name_stack(), name) {}

    elmx_error run();

private:
    s_call_site site(int offset) const { return {m_info.source_file, m_info.line + offset}; }
    bool is_lenient() const { return m_info.mode == ELMX_PARSE_LENIENT; }
    elmx_error attributes();
    elmx_error next_event() { return read_next_event(m_reader, m_name, &m_child, site(1)); }
    elmx_error skip_child() { return skip_element(m_reader, m_child, site(2)); }
    elmx_error sequence_content();
    elmx_error all_content();
    elmx_error choice_content();
    elmx_error simple_content();
    elmx_error end_check();

    c_xml_reader& m_reader;
    const std::string& m_name;
    const s_class_parse& m_info;
    c_bound_parse& m_steps;
    c_string_stack_node m_stacked;
    std::string m_child;
};

elmx_error c_element_parse::run() {
    elmx_error error = attributes();
    if (error != ELMX_OK) return error;
    if (m_info.content == ELMX_CONTENT_SIMPLE) return simple_content();

    const bool self_closing = m_reader.get_current_event() == ELXP_END_TAG;
    if (m_info.content == ELMX_CONTENT_GROUP && self_closing)
        return report(m_reader, ELMX_BAD_START_TAG_END, m_name, site(3));
    c_xml_reader_local scope(m_reader);
    if (!self_closing && (error = next_event()) != ELMX_OK) return error;
    if (m_reader.get_current_event() == ELXP_END_TAG) {
        if (m_info.content_required &&
            (error = m_info.requires_only_lists
                         ? report(m_reader, ELMX_MANDATORY_ELEMENT_MISSING, m_info.schema_name,
                                  site(4))
                         : report(m_reader, ELMX_UNEXPECTED_EMPTY_ELEMENT, m_name, site(4))) !=
                ELMX_OK)
            return error;
        return self_closing ? ELMX_OK : end_check();
    }

    switch (m_info.content) {
        case ELMX_CONTENT_ALL:
            error = all_content();
            break;
        case ELMX_CONTENT_CHOICE:
        case ELMX_CONTENT_GROUP:
            error = choice_content();
            break;
        default:
            error = sequence_content();
            break;
    }
    if (error != ELMX_OK) return error;
    // A list of one or more still empty names the type, as it does at an unknown element; other
    // missing items cannot be told apart here.
    if (m_info.check_occurs && !m_steps.is_occurs_ok() &&
        (error = report(m_reader, ELMX_MANDATORY_ELEMENT_MISSING,
                        m_steps.is_required_list_empty() ? m_info.schema_name : "{unspecified}",
                        site(5))) != ELMX_OK)
        return error;
    return end_check();
}

elmx_error c_element_parse::attributes() {
    std::string& attribute = m_reader.get_attribute_name_buffer();
    elmx_error error = ELMX_OK;
    while (m_reader.get_attribute_event(nullptr, &error, &attribute)) {
        if (error != ELMX_OK) return report_fatal(m_reader, error, m_name, site(6));
        if (m_steps.has_attributes()) {
            elmx_error attribute_error = ELMX_OK;
            const bool consumed = m_steps.attribute(m_reader, attribute, &attribute_error);
            if (attribute_error != ELMX_OK) return attribute_error;
            if (consumed) continue;
        }
        if (!is_lenient() && !m_reader.is_xsi_attribute(attribute) &&
            (error = report(m_reader, ELMX_UNEXPECTED_ATTRIBUTE, m_name, site(7))) != ELMX_OK)
            return error;
        m_reader.skip_attribute_value();
    }
    if (!m_steps.has_attributes()) return ELMX_OK;
    return m_steps.attributes_check(m_reader);
}

// Each turn consumes one child element or fails, so the loop ends with the input whatever the
// handler answers.
elmx_error c_element_parse::sequence_content() {
    for (;;) {
        if (m_reader.get_current_event() == ELXP_END_TAG) return ELMX_OK;
        elmx_error error = ELMX_OK;
        const bool unknown = m_steps.body(m_reader, &m_child, &error);
        if (error != ELMX_OK) return error;
        if (unknown) {
            // A strict sequence stops at the first element that is not its item; the end check
            // reports it.
            if (!is_lenient()) return ELMX_OK;
            if (m_steps.is_required_list_empty() &&
                (error = report(m_reader, ELMX_MANDATORY_ELEMENT_MISSING, m_info.schema_name,
                                site(11))) != ELMX_OK)
                return error;
            if ((error = skip_child()) != ELMX_OK) return error;
        }
        if ((error = next_event()) != ELMX_OK) return error;
    }
}

elmx_error c_element_parse::all_content() {
    elmx_error error = ELMX_OK;
    while (m_reader.get_current_event() != ELXP_END_TAG) {
        const bool unknown = m_steps.body(m_reader, &m_child, &error);
        if (error != ELMX_OK) return error;
        if (unknown) {
            if (!is_lenient() &&
                (error = report(m_reader, ELMX_UNKNOWN_ALL_ELEMENT, m_child, site(8))) != ELMX_OK)
                return error;
            if ((error = skip_child()) != ELMX_OK) return error;
        }
        if ((error = next_event()) != ELMX_OK) return error;
    }
    if (!m_steps.is_all_complete())
        return report(m_reader, ELMX_MANDATORY_ELEMENT_MISSING, m_info.schema_name, site(9));
    return ELMX_OK;
}

elmx_error c_element_parse::choice_content() {
    elmx_error error = ELMX_OK;
    const bool unknown = m_steps.body(m_reader, &m_child, &error);
    if (error != ELMX_OK) return error;
    if (!unknown) {
        // A chosen list option takes the elements of its name that follow, one per turn.
        const std::string option = m_child;
        if ((error = next_event()) != ELMX_OK) return error;
        while (m_steps.is_choice_open() && m_reader.is_current_event_tokenisable() &&
               m_child == option) {
            m_steps.body(m_reader, &m_child, &error);
            if (error != ELMX_OK) return error;
            if ((error = next_event()) != ELMX_OK) return error;
        }
    }
    if (!is_lenient() || m_steps.is_choice_made() || !m_reader.is_current_event_tokenisable())
        return ELMX_OK;
    m_steps.mark_choice_skipped();
    while (m_reader.is_current_event_tokenisable()) {
        if ((error = skip_child()) != ELMX_OK) return error;
        if ((error = next_event()) != ELMX_OK) return error;
    }
    return ELMX_OK;
}

elmx_error c_element_parse::simple_content() {
    const bool has_content = m_reader.get_current_event() != ELXP_END_TAG;
    elmx_error error = ELMX_OK;
    m_child = m_name;
    m_steps.simple_body(m_reader, &m_child, &error, has_content);
    if (error != ELMX_OK) return error;
    if (!has_content) return ELMX_OK;
    if ((error = next_event()) != ELMX_OK) return error;
    return end_check();
}

elmx_error c_element_parse::end_check() {
    if (m_reader.get_current_event() == ELXP_END_TAG && m_stacked == m_child) return ELMX_OK;
    return report(m_reader, ELMX_BAD_END_OF_ELEMENT, m_name, site(10));
}

}  // namespace

elmx_error parse_element(c_xml_reader& reader, const std::string& name, const s_class_parse& info,
                         c_bound_parse& steps) {
    return c_element_parse(reader, name, info, steps).run();
}

elmx_error read_document_element(c_xml_reader& reader, std::string* name, s_call_site site) {
    elmx_error error = ELMX_OK;
    reader.get_element_event(nullptr, &error, name);
    if (error != ELMX_OK) return report_fatal(reader, error, *name, site);
    if (reader.get_current_event() != ELXP_NAME)
        return report_fatal(reader, ELMX_ELEMENT_NOT_FOUND, *name, site);
    return ELMX_OK;
}

elmx_error find_document_element(c_xml_reader& reader, int ns_id, const char* local_name,
                                 std::string* name, s_call_site site) {
    const elmx_error error = read_document_element(reader, name, site);
    if (error != ELMX_OK) return error;
    if (reader.get_element_ns_id() != ns_id || reader.get_local_name() != local_name)
        return report(reader, ELMX_ELEMENT_NOT_FOUND, *name, site);
    return ELMX_OK;
}

elmx_error finish_document(c_xml_reader& reader, const std::string& name, s_call_site site) {
    if (reader.read_document_end()) return ELMX_OK;
    return report_fatal(reader, reader.get_error(), name, site);
}

bool is_group_member(c_xml_reader& reader, const s_event_map* options) {
    if (!reader.is_current_event_tokenisable()) return false;
    const int saved = reader.get_current_event();
    reader.tokenise(options, ELXP_ELEMENT_MODE);
    if (reader.get_current_event() != ELXP_UNKNOWN) return true;
    reader.restore_event(saved);
    return false;
}

elmx_error read_next_event(c_xml_reader& reader, const std::string& item, std::string* name,
                           s_call_site site) {
    for (;;) {
        elmx_error error = ELMX_OK;
        reader.get_element_event(nullptr, &error, name);
        if (error != ELMX_OK || is_error_event(reader.get_current_event()))
            return report_fatal(reader, error != ELMX_OK ? error : ELMX_UNEXPECTED_END_OF_MESSAGE,
                                item, site);
        if (reader.get_current_event() != ELXP_CHARACTERS) return ELMX_OK;
    }
}

elmx_error skip_element(c_xml_reader& reader, const std::string& name, s_call_site site) {
    if (reader.skip_rest_of_element(name)) return ELMX_OK;
    return report_fatal(reader, ELMX_BAD_END_OF_ELEMENT, name, site);
}

bool refuse_repeated_item(c_xml_reader& reader, const std::string& name, s_call_site site,
                          elmx_error* error) {
    *error = report(reader, ELMX_ALL_CARDINALITY_VIOLATED, name, site);
    if (*error == ELMX_OK) *error = skip_element(reader, name, site);
    return false;
}

elmx_error take_value(c_xml_reader&, const std::string& text, const std::string&, s_call_site,
                      std::wstring* out) {
    vtostring(*out, text);
    return ELMX_OK;
}

elmx_error take_value(c_xml_reader&, const std::string& text, const std::string&, s_call_site,
                      std::string* out) {
    *out = text;
    return ELMX_OK;
}

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, bool* out) {
    const elmx_error error = check_format(reader, is_valid_bool(text), item, site);
    if (error != ELMX_OK) return error;
    convert(out, text);
    return ELMX_OK;
}

namespace {

// An integer's text read straight into sign and magnitude; the magnitude saturates, far beyond
// any bound, so that no text is too long to compare.
struct s_integer_text {
    bool is_valid = false;
    bool is_negative = false;
    unsigned long long magnitude = 0;
};

s_integer_text read_integer_text(const std::string& text) {
    constexpr unsigned long long k_saturated = std::numeric_limits<unsigned long long>::max();
    s_integer_text result;
    std::size_t pos = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        result.is_negative = text[pos++] == '-';
    if (pos == text.size()) return result;
    for (; pos < text.size(); ++pos) {
        const unsigned digit = static_cast<unsigned char>(text[pos]) - '0';
        if (digit > 9) return result;
        result.magnitude = result.magnitude > (k_saturated - digit) / 10
                               ? k_saturated
                               : result.magnitude * 10 + digit;
    }
    result.is_valid = true;
    return result;
}

// The same checks and codes as comparing the text with the type's bounds as big integers; a
// value outside them that the handler lets through is stored clamped to the nearest bound.
template <typename T>
elmx_error take_integer(c_xml_reader& reader, const std::string& text, const std::string& item,
                        s_call_site site, T* out) {
    const s_integer_text value = read_integer_text(text);
    if (!value.is_valid) {
        const elmx_error error = report(reader, ELMX_BAD_VALUE_FORMAT, item, site);
        if (error != ELMX_OK) return error;
        convert(out, text);
        return ELMX_OK;
    }
    const auto lowest = static_cast<long long>(std::numeric_limits<T>::min());
    const auto highest = static_cast<unsigned long long>(std::numeric_limits<T>::max());
    // The magnitude of the lowest value, computed without overflowing.
    const unsigned long long lowest_magnitude =
        lowest < 0 ? static_cast<unsigned long long>(-(lowest + 1)) + 1 : 0;
    elmx_error range = ELMX_OK;
    if (value.is_negative && value.magnitude > lowest_magnitude)
        range = ELMX_VALUE_BELOW_MINIMUM;
    else if (!value.is_negative && value.magnitude > highest)
        range = ELMX_VALUE_ABOVE_MAXIMUM;
    if (range != ELMX_OK) {
        const elmx_error error = report(reader, range, item, site);
        if (error != ELMX_OK) return error;
        *out = range == ELMX_VALUE_BELOW_MINIMUM ? std::numeric_limits<T>::min()
                                                 : std::numeric_limits<T>::max();
        return ELMX_OK;
    }
    *out = value.is_negative ? static_cast<T>(0ull - value.magnitude)
                             : static_cast<T>(value.magnitude);
    return ELMX_OK;
}

}  // namespace

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, int* out) {
    return take_integer(reader, text, item, site, out);
}

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, unsigned int* out) {
    return take_integer(reader, text, item, site, out);
}

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, long long* out) {
    return take_integer(reader, text, item, site, out);
}

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, double* out) {
    const elmx_error error = check_format(reader, is_valid_float(text), item, site);
    if (error != ELMX_OK) return error;
    convert(out, text);
    return ELMX_OK;
}

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, c_big_int* out) {
    const elmx_error error = check_format(reader, is_valid_integer(text), item, site);
    if (error != ELMX_OK) return error;
    *out = text;
    return ELMX_OK;
}

elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, c_binary* out) {
    const elmx_error error = check_format(reader, c_binary::is_valid_base64(text), item, site);
    if (error != ELMX_OK) return error;
    out->from_base64(text);
    return ELMX_OK;
}

elmx_error check_enumerated(c_xml_reader& reader, const std::string& text,
                            const char* const* literals, const std::string& item,
                            s_call_site site) {
    for (; *literals; ++literals)
        if (text == *literals) return ELMX_OK;
    return report(reader, ELMX_VALUE_NOT_ENUMERATED, item, site);
}

elmx_error check_fixed(c_xml_reader& reader, const std::string& text, const char* fixed,
                       const std::string& item, s_call_site site) {
    if (text == fixed) return ELMX_OK;
    return report(reader, ELMX_VALUE_NOT_FIXED, item, site);
}

elmx_error read_attribute_text(c_xml_reader& reader, const std::string& item, elmx_whitespace mode,
                               std::string* text, s_call_site site) {
    if (reader.get_attribute_value(text, mode)) return ELMX_OK;
    return report_fatal(reader, ELMX_UNABLE_TO_READ_ATTRIBUTE_VALUE, item, site);
}

elmx_error read_element_text(c_xml_reader& reader, const std::string& item, elmx_whitespace mode,
                             std::string* text, s_call_site site) {
    elmx_error error = ELMX_OK;
    bool is_empty = false;
    if (reader.get_simple_type_value(item, mode, text, &error, &is_empty)) return ELMX_OK;
    return report_fatal(reader, error != ELMX_OK ? error : ELMX_UNABLE_TO_READ_ELEMENT_VALUE, item,
                        site);
}

elmx_error read_simple_content_text(c_xml_reader& reader, const std::string& item, bool has_content,
                                    elmx_whitespace mode, std::string* text, s_call_site site) {
    text->clear();
    if (!has_content || reader.get_element_value(text, mode, true)) return ELMX_OK;
    return report_fatal(reader, ELMX_UNABLE_TO_READ_ELEMENT_VALUE, item, site);
}

elmx_error read_raw_element(c_xml_reader& reader, const std::string& item, std::string* text,
                            s_call_site site) {
    elmx_error error = ELMX_OK;
    bool is_empty = false;
    if (reader.get_element_ur_value(item, text, &error, &is_empty)) return ELMX_OK;
    return report_fatal(reader, error != ELMX_OK ? error : ELMX_UNABLE_TO_READ_ELEMENT_VALUE, item,
                        site);
}

elmx_error read_empty_element(c_xml_reader& reader, const std::string& item, s_call_site site) {
    if (reader.skip_rest_of_empty_element(item)) return ELMX_OK;
    return report_fatal(reader, ELMX_BAD_END_OF_ELEMENT, item, site);
}

}  // namespace lmx
