#include "lmx/reading/names.h"

#include <climits>

#include "lmx/values/char_classes.h"

namespace lmx {

std::string* get_local_name(std::string_view qname, std::string* out) {
    const std::size_t colon = qname.find(':');
    out->assign(colon == std::string_view::npos ? qname : qname.substr(colon + 1));
    return out;
}

std::string* get_namespace_prefix(std::string_view qname, std::string* out) {
    const std::size_t colon = qname.find(':');
    out->assign(colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon));
    return out;
}

// ---------------------------------------------------------------------------------------------

void c_enumerated_namespaces::clear() {
    m_ids_by_uri.clear();
    m_first_uri_by_id.clear();
    m_next_id = k_ns_id_first_registered;
    add_namespace(k_xsi_namespace_uri, k_ns_id_xsi);
    add_namespace(k_xml_namespace_uri, k_ns_id_xml);
    add_namespace(std::string_view(), k_ns_id_no_namespace);
}

int c_enumerated_namespaces::add_namespace(std::string_view uri) {
    if (const int* known = m_ids_by_uri.find(uri)) return *known;
    // Ids are never shared between URIs: once they run out, new URIs stay unresolved.
    if (m_next_id == INT_MAX) return k_ns_id_undeclared;
    const int id = m_next_id;
    add_namespace(uri, id);
    return id;
}

void c_enumerated_namespaces::add_namespace(std::string_view uri, int id) {
    raise_next_id_above(id);
    if (m_ids_by_uri.find(uri)) return;
    m_ids_by_uri.add(uri, id);
    m_first_uri_by_id.emplace(id, m_ids_by_uri.size() - 1);
}

int c_enumerated_namespaces::find_namespace(std::string_view uri) const {
    const int* id = m_ids_by_uri.find(uri);
    return id ? *id : k_ns_id_undeclared;
}

const char* c_enumerated_namespaces::find_namespace_from_id(int id) const {
    const auto found = m_first_uri_by_id.find(id);
    return found == m_first_uri_by_id.end() ? nullptr : m_ids_by_uri.name_at(found->second).c_str();
}

void c_enumerated_namespaces::raise_next_id_above(int id) {
    if (id < m_next_id) return;
    m_next_id = id == INT_MAX ? INT_MAX : id + 1;
}

// ---------------------------------------------------------------------------------------------

void c_xml_local::set_parent(const c_xml_local* parent) {
    m_parent = parent;
    m_innermost_declaring = m_prefixes.empty() ? next_declaring_scope() : this;
}

void c_xml_local::add_namespace(std::string_view prefix, int ns_id) {
    m_prefixes.add(prefix, ns_id);
    m_innermost_declaring = this;
}

void c_xml_local::clear() {
    // Emptied before every start tag: skipping the empty case keeps that free.
    if (!m_prefixes.empty()) m_prefixes.clear();
    m_innermost_declaring = next_declaring_scope();
}

int c_xml_local::find_namespace_id(std::string_view prefix) const {
    if (prefix == k_xml_prefix) return k_ns_id_xml;
    for (const c_xml_local* scope = m_innermost_declaring; scope;
         scope = scope->next_declaring_scope()) {
        if (const int* id = scope->m_prefixes.find(prefix)) return *id;
    }
    return k_ns_id_undeclared;
}

const char* c_xml_local::find_namespace_prefix(int ns_id) const {
    return prefix_in_effect(ns_id, false);
}

const char* c_xml_local::find_first_namespace_prefix(int ns_id) const {
    return prefix_in_effect(ns_id, true);
}

const char* c_xml_local::prefix_in_effect(int ns_id, bool outermost) const {
    if (ns_id == k_ns_id_xml) return k_xml_prefix.data();
    const char* found = nullptr;
    for (const c_xml_local* scope = m_innermost_declaring; scope;
         scope = scope->next_declaring_scope()) {
        const c_repository<int>& table = scope->m_prefixes;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table.value_at(i) != ns_id) continue;
            const std::string& prefix = table.name_at(i);
            // A prefix rebound closer in (or "xml") no longer means ns_id here.
            if (find_namespace_id(prefix) != ns_id) continue;
            found = prefix.c_str();
            if (!outermost) return found;
            break;
        }
    }
    return found;
}

// ---------------------------------------------------------------------------------------------

void c_cracked_name::set(const c_xml_local& scope, std::string_view qname) {
    // qname may view our own full name: take the copy first and split the copy.
    m_full_name.assign(qname.data(), qname.size());
    const std::string_view name = m_full_name;
    const std::size_t colon = name.find(':');
    m_has_prefix = colon != std::string_view::npos;
    m_colon = m_has_prefix ? colon : 0;
    m_parts_copied = false;
    if (!m_has_prefix) {
        m_ns_id = scope.find_namespace_id(std::string_view());
        return;
    }
    // ":local" names no namespace: the empty prefix cannot be declared as a prefix.
    m_ns_id = colon == 0 ? k_ns_id_undeclared : scope.find_namespace_id(name.substr(0, colon));
}

void c_cracked_name::copy_parts() const {
    if (m_parts_copied) return;
    if (m_has_prefix)
        m_prefix.assign(m_full_name, 0, m_colon);
    else
        m_prefix.clear();
    const std::string_view local = local_name_view();
    m_local_name.assign(local.data(), local.size());
    m_parts_copied = true;
}

// ---------------------------------------------------------------------------------------------

c_string_stack_node::c_string_stack_node(c_string_stack& stack, std::string_view name)
    : m_stack(stack), m_start(stack.m_buffer.size()), m_length(name.size()) {
    std::vector<char>& buffer = m_stack.m_buffer;
    buffer.insert(buffer.end(), name.begin(), name.end());
    buffer.push_back('\0');
}

c_string_stack_node::~c_string_stack_node() {
    std::vector<char>& buffer = m_stack.m_buffer;
    if (m_start <= buffer.size()) buffer.resize(m_start);
}

// ---------------------------------------------------------------------------------------------

void c_xml_list_tokeniser::set(std::string_view text) {
    m_text.assign(text.data(), text.size());
    m_position = 0;
}

bool c_xml_list_tokeniser::get(std::string* item) {
    const std::size_t end = m_text.size();
    auto byte = [this](std::size_t i) { return static_cast<unsigned char>(m_text[i]); };
    while (m_position < end && is_xml_space(byte(m_position)))
        ++m_position;
    if (m_position == end) return false;
    const std::size_t start = m_position;
    while (m_position < end && !is_xml_space(byte(m_position)))
        ++m_position;
    item->assign(m_text, start, m_position - start);
    return true;
}

}  // namespace lmx
