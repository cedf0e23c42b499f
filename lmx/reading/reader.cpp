#include "lmx/reading/reader.h"

#include <cstdio>
#include <cstring>

#include "lmx/values/char_classes.h"

namespace lmx {

const std::string c_xml_reader::k_namespace_not_found = " ";

// ---- scopes ----

void c_xml_reader_local::set_reader(c_xml_reader& reader) {
    if (m_reader) return;
    m_reader = &reader;
    m_previous = reader.get_reader_local();
    set_parent(m_previous);
    reader.set_reader_local(this);
    reader.enter_level();
}

c_xml_reader_local::~c_xml_reader_local() {
    if (!m_reader) return;
    m_reader->leave_level();
    m_reader->set_reader_local(m_previous);
}

// ---- reader ----

c_xml_reader::c_xml_reader(c_read& source)
    : c_xml(source, m_error_recorder, true), m_current_scope(&m_outermost_scope) {}

c_xml_reader::~c_xml_reader() = default;

elmx_error c_xml_reader::user_handle_error(elmx_error code, const std::string&, const char*, int) {
    return user_handle_error(code);
}

elmx_error c_xml_reader::user_handle_error(elmx_error code) {
    return code;
}

elmx_error c_xml_reader::handle_error(elmx_error code, const std::string& item_name,
                                      const char* source_file, int line) {
    m_handled_error = code;
    m_error_item_name = item_name;
    m_handled_error = user_handle_error(code, item_name, source_file, line);
    return m_handled_error;
}

std::string* c_xml_reader::get_error_message(std::string* out) const {
    if (m_handled_error == ELMX_OK) {
        *out = get_error_description(ELMX_OK);
        return out;
    }
    char line[32];
    std::snprintf(line, sizeof line, "line:%d-'", get_line_num());
    *out = line;
    *out += m_error_item_name;
    *out += "'-";
    *out += get_error_description(m_handled_error);
    return out;
}

bool c_xml_reader::check_depth(unsigned int depth, const std::string& name) {
    if (c_xml::check_depth(depth, name)) return true;
    m_error_item_name = name;
    m_handled_error = ELMX_BADLY_FORMED;
    return false;
}

void c_xml_reader::set_ns_map(const s_ns_map* map) {
    for (; map && map->uri; ++map)
        add_namespace(map->uri, map->ns_id);
    for (const auto& [prefix, uri] : m_user_mappings)
        m_outermost_scope.add_namespace(prefix, add_namespace(uri));
}

void c_xml_reader::add_namespace_mapping(const std::string& prefix, const std::string& uri) {
    m_user_mappings.emplace_back(prefix, uri);
}

void c_xml_reader::add_default_namespace_mapping(const std::string& uri) {
    add_namespace_mapping("", uri);
}

std::string* c_xml_reader::get_namespace(const std::string& qname, std::string* uri) const {
    std::string prefix;
    get_namespace_prefix(qname, &prefix);
    const char* found = find_namespace_from_id(m_current_scope->find_namespace_id(prefix));
    *uri = found ? found : k_namespace_not_found;
    return uri;
}

int c_xml_reader::get_element_ns_id() const {
    if (!m_name.get_has_ns_prefix() && m_name.get_ns_id() == k_ns_id_undeclared)
        return k_ns_id_no_namespace;
    return m_name.get_ns_id();
}

namespace {

// A prefix or local part: a name-start character, then name characters other than ":".
bool is_ncname(std::string_view part) {
    if (part.empty() || part[0] == ':' || !is_name_start_char(static_cast<unsigned char>(part[0])))
        return false;
    for (char c : part.substr(1))
        if (c == ':' || !is_name_char(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

bool c_xml_reader::is_valid_qname(const std::string& qname) const {
    c_cracked_name name(*m_current_scope, qname);
    if (name.get_ns_id() == k_ns_id_undeclared) return false;
    if (name.get_has_ns_prefix() && !is_ncname(name.get_ns_prefix())) return false;
    return is_ncname(name.get_local_name());
}

bool c_xml_reader::is_xsi_attribute(const std::string& qname) const {
    return c_xml::is_xsi_attribute(m_current_scope, qname);
}

bool c_xml_reader::get_xsi_type(int* ns_id, std::string* local_name) {
    return c_xml::get_xsi_type(m_current_scope, ns_id, local_name);
}

void c_xml_reader::get_element_event(const s_event_map* table, elmx_error* error,
                                     std::string* name) {
    m_current_scope->clear();
    m_current_event = get_element_name(m_current_scope, name);
    if (is_error_event(m_current_event)) {
        *error = get_error();
    } else if (m_current_event == ELXP_END_OF_DOCUMENT) {
        *error = ELMX_UNEXPECTED_END_OF_MESSAGE;
    } else if (m_current_event == ELXP_NAME) {
        if (!allows_nesting(0, *name)) {
            m_current_event = ELXP_ERROR;
            *error = ELMX_BADLY_FORMED;
            return;
        }
        m_name.set(*m_current_scope, *name);
        if (table) tokenise(table, ELXP_ELEMENT_MODE);
    }
}

bool c_xml_reader::get_attribute_event(const s_event_map* table, elmx_error* error,
                                       std::string* name) {
    *error = ELMX_OK;
    m_current_event = get_attribute_name(name, false);
    if (is_error_event(m_current_event)) {
        *error = get_error();
        return true;
    }
    if (m_current_event == ELXP_NAME) {
        m_name.set(*m_current_scope, *name);
        if (table) tokenise(table, ELXP_ATTRIBUTE_MODE);
        return true;
    }
    if (m_current_event == ELXP_END_OF_DOCUMENT) {
        *error = ELMX_UNEXPECTED_END_OF_MESSAGE;
        return true;
    }
    return false;
}

void c_xml_reader::tokenise(const s_event_map* table, elxp_attr_elem mode) {
    int ns_id;
    if (m_name.get_has_ns_prefix())
        ns_id = m_name.get_ns_id();
    else if (mode == ELXP_ELEMENT_MODE)
        ns_id = get_element_ns_id();
    else
        ns_id = k_ns_id_no_namespace;  // the default namespace never applies to attributes

    const std::string_view local = m_name.local_name_view();
    if (ns_id == k_ns_id_xsi) {
        if (local == "type")
            m_current_event = ELXP_XSI_TYPE;
        else if (local == "nil")
            m_current_event = ELXP_XSI_NIL;
        else if (local == "noNamespaceSchemaLocation")
            m_current_event = ELXP_XSI_NO_NAMESPACE_SCHEMA_LOCATION;
        else if (local == "schemaLocation")
            m_current_event = ELXP_XSI_SCHEMA_LOCATION;
        else
            m_current_event = ELXP_UNKNOWN;
        return;
    }
    for (const s_event_map* row = table; row->name; ++row) {
        if (row->ns_id == ns_id && row->name_length == local.size() && !local.empty() &&
            row->name[0] == local[0] && std::memcmp(row->name, local.data(), local.size()) == 0) {
            m_current_event = row->event;
            return;
        }
    }
    m_current_event = ELXP_UNKNOWN;
}

bool c_xml_reader::is_current_event_tokenisable() const {
    return m_current_event == ELXP_UNKNOWN || m_current_event == ELXP_NAME || m_current_event >= 12;
}

bool c_xml_reader::get_simple_type_value(const std::string& element_name, elmx_whitespace mode,
                                         std::string* value, elmx_error* error, bool* is_empty) {
    value->clear();
    if (!move_to_start_tag_end(is_empty)) {
        *error = fatal_error_or(ELMX_BAD_START_TAG_END);
        return false;
    }
    if (*is_empty) return true;
    if (!get_element_value(value, mode, true)) {
        *error = fatal_error_or(ELMX_UNABLE_TO_READ_ELEMENT_VALUE);
        return false;
    }
    if (!is_element_end_tag(element_name)) {
        *error = fatal_error_or(ELMX_BAD_END_OF_ELEMENT);
        return false;
    }
    return true;
}

bool c_xml_reader::get_element_ur_value(const std::string& element_name, std::string* value,
                                        elmx_error* error, bool* is_empty) {
    value->clear();
    if (!move_to_start_tag_end(is_empty)) {
        *error = fatal_error_or(ELMX_BAD_START_TAG_END);
        return false;
    }
    if (*is_empty) return true;
    std::string end_name;
    if (!get_nested_element_value(value, &end_name, ELMX_WS_PRESERVE, false)) {
        *error = fatal_error_or(ELMX_UNABLE_TO_READ_ELEMENT_VALUE);
        return false;
    }
    if (end_name != element_name) {
        *error = fatal_error_or(ELMX_BAD_END_OF_ELEMENT);
        return false;
    }
    return true;
}

bool c_xml_reader::get_nested_element_value(std::string* content, std::string* end_name,
                                            elmx_whitespace mode, bool expand_references) {
    if (!c_xml::get_nested_element_value(content, end_name, mode, expand_references)) return false;
    m_current_event = ELXP_END_TAG;
    return true;
}

}  // namespace lmx
