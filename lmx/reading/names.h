// Namespace ids, the namespace registry, prefix scopes, qualified names taken apart, the stack
// of open element names and the splitter for list values.
#ifndef LMX_NAMES_H
#define LMX_NAMES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lmx/reading/repository.h"

namespace lmx {

// Generated name tables match names by these ids rather than by URI.
constexpr int k_ns_id_undeclared = 0;  // a prefix that no scope binds
constexpr int k_ns_id_no_namespace = 1;
constexpr int k_ns_id_xml = 2;  // always bound to the prefix "xml"
constexpr int k_ns_id_xsi = 5;
constexpr int k_ns_id_first_registered = 1000;  // every other URI, in order of first appearance

inline constexpr std::string_view k_xml_namespace_uri = "http://www.w3.org/XML/1998/namespace";
inline constexpr std::string_view k_xsi_namespace_uri = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr std::string_view k_xml_prefix = "xml";

// The text after the first ":" of qname, or all of it; returns out.
std::string* get_local_name(std::string_view qname, std::string* out);
// The text before the first ":" of qname, or empty; returns out.
std::string* get_namespace_prefix(std::string_view qname, std::string* out);

// Hands out a namespace id per URI. The empty URI (xmlns="" undeclaring the default
// namespace) is registered as "no namespace", so names under it match no-namespace rows.
class c_enumerated_namespaces {
public:
    c_enumerated_namespaces() { clear(); }

    // Forgets every registered URI except the XML, XML Schema instance and empty ones.
    void clear();
    // The URI's id, registering it under the next free id when it is new.
    int add_namespace(std::string_view uri);
    // Registers (uri, id) unless uri is known already; later ids are handed out above id.
    void add_namespace(std::string_view uri, int id);
    // The URI's id, or k_ns_id_undeclared.
    int find_namespace(std::string_view uri) const;
    // The first URI registered with id, or null. Valid until clear().
    const char* find_namespace_from_id(int id) const;

private:
    void raise_next_id_above(int id);

    c_repository<int> m_ids_by_uri;
    std::unordered_map<int, std::size_t> m_first_uri_by_id;  // index into m_ids_by_uri
    int m_next_id = k_ns_id_first_registered;
};

// One namespace scope: the prefix bindings of one nesting level, looked up outward through
// its parents. Copying a scope makes a child of it. A scope does not own its parent; the
// parent must outlive it, so scopes are destroyed in reverse order of creation.
class c_xml_local {
public:
    c_xml_local() = default;
    // A child scope of parent, with no bindings of its own.
    c_xml_local(const c_xml_local& parent) { set_parent(&parent); }
    c_xml_local& operator=(const c_xml_local&) = delete;
    virtual ~c_xml_local() = default;

    // Binds prefix (empty for the default namespace) in this scope.
    void add_namespace(std::string_view prefix, int ns_id);
    // The id bound to prefix here or in an enclosing scope; "xml" is always k_ns_id_xml;
    // k_ns_id_undeclared when nothing binds it.
    int find_namespace_id(std::string_view prefix) const;
    // A prefix that means ns_id in this scope, from the innermost binding; null if none.
    // Bindings hidden by a closer rebinding of the same prefix are skipped.
    const char* find_namespace_prefix(int ns_id) const;
    // As find_namespace_prefix, but from the outermost binding still in effect.
    const char* find_first_namespace_prefix(int ns_id) const;
    // Drops this scope's own bindings; enclosing scopes keep theirs.
    void clear();

    const c_xml_local* get_parent() const { return m_parent; }

protected:
    explicit c_xml_local(const c_xml_local* parent) { set_parent(parent); }
    // Makes this scope a child of parent (null: outermost). For scopes embedded before their
    // parent is known.
    void set_parent(const c_xml_local* parent);

private:
    // The next scope outward that may hold bindings, skipping scopes that declared nothing.
    const c_xml_local* next_declaring_scope() const {
        return m_parent ? m_parent->m_innermost_declaring : nullptr;
    }
    const char* prefix_in_effect(int ns_id, bool outermost) const;

    const c_xml_local* m_parent = nullptr;
    // Where lookups start: this scope once it holds bindings, else the closest ancestor that
    // does. Lookups thus cost one step per declaring scope, not per nesting level.
    const c_xml_local* m_innermost_declaring = nullptr;
    c_repository<int> m_prefixes;
};

// A qualified name split into prefix and local name, with the prefix resolved in a scope.
class c_cracked_name {
public:
    c_cracked_name() = default;
    c_cracked_name(const c_xml_local& scope, std::string_view qname) { set(scope, qname); }

    // Without ":" the id is that of the default namespace (k_ns_id_undeclared when none).
    void set(const c_xml_local& scope, std::string_view qname);

    const std::string& get_full_name() const { return m_full_name; }
    const std::string& get_local_name() const {
        copy_parts();
        return m_local_name;
    }
    const std::string& get_ns_prefix() const {
        copy_parts();
        return m_prefix;
    }
    bool get_has_ns_prefix() const { return m_has_prefix; }
    int get_ns_id() const { return m_ns_id; }
    // The local name in place in the full name, for lookups that need no copy of it.
    std::string_view local_name_view() const {
        return std::string_view(m_full_name).substr(m_has_prefix ? m_colon + 1 : 0);
    }

private:
    // The parts are copied out of the full name only when asked for: name lookups use views.
    void copy_parts() const;

    std::string m_full_name;
    bool m_has_prefix = false;
    int m_ns_id = k_ns_id_undeclared;
    std::size_t m_colon = 0;
    mutable bool m_parts_copied = true;
    mutable std::string m_local_name;
    mutable std::string m_prefix;
};

// The names of the open elements, zero-terminated one after another in one buffer.
class c_string_stack {
public:
    std::size_t get_stack_size() const { return m_buffer.size(); }

private:
    friend class c_string_stack_node;
    std::vector<char> m_buffer;
};

// Pushes a name for its lifetime. Nodes of one stack must be destroyed in reverse order of
// creation; the stack must outlive them.
class c_string_stack_node {
public:
    c_string_stack_node(c_string_stack& stack, std::string_view name);
    c_string_stack_node(const c_string_stack_node&) = delete;
    c_string_stack_node& operator=(const c_string_stack_node&) = delete;
    ~c_string_stack_node();

    // Zero-terminated; valid until the next push on the stack.
    const char* get_str() const { return m_stack.m_buffer.data() + m_start; }
    bool operator==(std::string_view name) const {
        return std::string_view(get_str(), m_length) == name;
    }
    bool operator!=(std::string_view name) const { return !(*this == name); }

private:
    c_string_stack& m_stack;
    std::size_t m_start;
    std::size_t m_length;
};

// Splits the text of a list value at white space.
class c_xml_list_tokeniser {
public:
    explicit c_xml_list_tokeniser(std::string_view text) { set(text); }

    void set(std::string_view text);
    // The next item into *item; false when only white space remains.
    bool get(std::string* item);

private:
    std::string m_text;
    std::size_t m_position = 0;
};

}  // namespace lmx

#endif  // LMX_NAMES_H
