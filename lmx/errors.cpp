#include "lmx/errors.h"


namespace lmx {

namespace {

struct error_text {
    elmx_error code;
    const char* text;
};

constexpr error_text k_error_texts[] = {
    {ELMX_OK, "No Error"},
    {ELMX_UNABLE_TO_OPEN_FILE, "Unable to open file"},
    {ELMX_ALL_CARDINALITY_VIOLATED, "Violation of xs:all cardinality constraints"},
    {ELMX_ATTRIBUTE_ALREADY_READ, "Attribute has already been read"},
    {ELMX_ATTRIBUTES_IN_ANONYMOUS_COMPOSITOR, "Attributes found in anonymous compositor"},
    {ELMX_BADLY_FORMED, "XML badly formed"},
    {ELMX_BAD_CHAR_ENCODING, "XML character encoding not supported"},
    {ELMX_BAD_CHOICE, "Inappropriate choice option selected"},
    {ELMX_BAD_COMMENT, "Badly formed comment"},
    {ELMX_BAD_DTD, "Badly formed DTD"},
    {ELMX_BAD_END_OF_ELEMENT, "Bad end of element"},
    {ELMX_BAD_START_TAG_END, "Bad start tag end"},
    {ELMX_BAD_END_TAG, "Syntax error in end tag"},
    {ELMX_BAD_XML_DECL, "Badly formed XML declaration"},
    {ELMX_BAD_XML_VERSION, "Unsupported XML version"},
    {ELMX_ENCODING_MISMATCH, "Mis-match between specified char encoding and read bytes"},
    {ELMX_ELEMENT_NOT_FOUND, "Element not found"},
    {ELMX_EXTERNAL_ENTITY, "Reference to external entity"},
    {ELMX_FRACTION_DIGITS_EXCEEDED, "Fraction digits exceeded"},
    {ELMX_LENGTH_TOO_LONG, "Length too long"},
    {ELMX_LENGTH_TOO_SHORT, "Length too short"},
    {ELMX_MANDATORY_ELEMENT_MISSING, "Mandatory element missing"},
    {ELMX_PATTERN_NOT_MATCHED, "No pattern matched"},
    {ELMX_NOT_WELL_FORMED, "Not well formed"},
    {ELMX_RECURSIVE_ENTITY, "Recursive entity definition"},
    {ELMX_REQUIRED_ATTRIBUTES_MISSING, "Required attribute(s) missing"},
    {ELMX_MAX_OCCURS_EXCEEDED, "Element instances exceeds maxOccurs"},
    {ELMX_TOTAL_DIGITS_EXCEEDED, "Total digits exceeded"},
    {ELMX_UNABLE_TO_READ_ATTRIBUTE_VALUE, "Unable to read attribute value"},
    {ELMX_UNABLE_TO_READ_ELEMENT_VALUE, "Unable to read element value"},
    {ELMX_UNKNOWN_ALL_ELEMENT, "Unknown element in xs:all"},
    {ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT, "Unknown element in complexContent"},
    {ELMX_UNEXPECTED_EMPTY_ELEMENT, "Unexpected empty element"},
    {ELMX_UNEXPECTED_ENTITY, "Unexpected entity"},
    {ELMX_UNEXPECTED_END_OF_MESSAGE, "Unexpected end of message"},
    {ELMX_BAD_VALUE_FORMAT, "Invalid value format for this type"},
    {ELMX_VALUE_ABOVE_MAXIMUM, "Value greater than specified maximum"},
    {ELMX_VALUE_BELOW_MINIMUM, "Value less than specified minimum"},
    {ELMX_VALUE_NOT_ENUMERATED, "Value does not match enumerations"},
    {ELMX_UNEXPECTED_ATTRIBUTE, "Unexpected attribute"},
    {ELMX_NILLED_BODY_NOT_EMPTY, "Nilled element body not empty"},
    {ELMX_ENTITY_NOT_FOUND, "Entity not found"},
    {ELMX_UNDEFINED_ERROR, "Undefined error"},
    {ELMX_VALUE_NOT_FIXED, "Value does not match specified fixed constraint"},
    {ELMX_UNKNOWN_XSI_TYPE, "Unknown xsi:type"},
    {ELMX_TYPE_NOT_SET, "Type not set"},
};

}  // namespace

const char* get_error_description(elmx_error code) {
    for (const error_text& entry : k_error_texts)
        if (entry.code == code) return entry.text;
    return "";
}

void c_error::report_error(elmx_error_type, elmx_error, const char*, int, const std::string&) {}

void c_error::error(elmx_error_type type, elmx_error code, const char* source_id, int line,
                    const std::string& message) {
    if (m_fatal_flag) return;
    m_last_error_line = line;
    m_last_error = code;
    m_last_error_type = type;
    switch (type) {
        case ELMX_TYPE_FATAL:
            ++m_error_count;
            m_fatal_flag = 1;
            break;
        case ELMX_TYPE_ERROR:
            ++m_error_count;
            break;
        case ELMX_TYPE_WARNING:
            ++m_warning_count;
            break;
        case ELMX_TYPE_NOTICE:
            ++m_warning_count;
            ++m_notice_count;
            break;
        default:
            break;
    }
    report_error(type, code, source_id, line, message);
}

bool c_error::get_error_info(elmx_error_type* type, elmx_error* code, int* line) const {
    if (m_last_error == ELMX_OK) return false;
    if (type) *type = m_last_error_type;
    if (code) *code = m_last_error;
    if (line) *line = m_last_error_line;
    return true;
}

c_get_as_utf8* c_error::register_getter(const c_getter_error_binder& binder) {
    c_get_as_utf8* previous = m_current_getter;
    m_current_getter = binder.get_new_getter();
    return previous;
}

void c_error::unregister_getter(const c_getter_error_binder& binder) {
    m_current_getter = binder.get_old_getter();
}

c_getter_error_binder::~c_getter_error_binder() {
    if (m_is_bound) m_error.unregister_getter(*this);
}

void c_getter_error_binder::bind(c_get_as_utf8* getter) {
    if (m_is_bound) return;
    m_new_getter = getter;
    m_old_getter = m_error.register_getter(*this);
    m_is_bound = true;
}

}  // namespace lmx
