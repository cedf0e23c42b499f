// The reader that bound classes drive: numbered events from generated name tables, namespace
// scopes per nesting level, and the one place where errors are reported and decided on.
#ifndef LMX_READER_H
#define LMX_READER_H

#include <string>
#include <utility>
#include <vector>

#include "lmx/event_tables.h"
#include "lmx/reading/byte_sources.h"
#include "lmx/reading/names.h"
#include "lmx/reading/tokenizer.h"

namespace lmx {

enum elxp_attr_elem { ELXP_ATTRIBUTE_MODE = 0, ELXP_ELEMENT_MODE = 1 };

class c_xml_reader;

// A namespace scope that is current for its reader while it lives. Scopes must be destroyed in
// reverse order of creation.
class c_xml_reader_local : public c_xml_local {
public:
    c_xml_reader_local() = default;
    explicit c_xml_reader_local(c_xml_reader& reader) { set_reader(reader); }
    c_xml_reader_local(const c_xml_reader_local&) = delete;
    c_xml_reader_local& operator=(const c_xml_reader_local&) = delete;
    ~c_xml_reader_local() override;

    // Attaches an embedded scope once the reader is known: it becomes a child of the reader's
    // current scope and the current scope itself. Only the first call attaches.
    void set_reader(c_xml_reader& reader);

private:
    c_xml_local* m_previous = nullptr;
    c_xml_reader* m_reader = nullptr;
};

namespace detail {
// Owns the reader's recorder, constructed before the tokenizer that reports into it.
struct reader_error_holder {
    c_error m_error_recorder;
};
}  // namespace detail

class c_xml_reader : private detail::reader_error_holder, public c_xml {
public:
    static const std::string k_namespace_not_found;

    explicit c_xml_reader(c_read& source);
    ~c_xml_reader() override;

    virtual elmx_error user_handle_error(elmx_error code, const std::string& item_name,
                                         const char* source_file, int line);
    virtual elmx_error user_handle_error(elmx_error code);
    virtual std::string* get_error_message(std::string* out) const;

    // Namespaces.
    void set_ns_map(const s_ns_map* map);
    void add_namespace_mapping(const std::string& prefix, const std::string& uri);
    void add_default_namespace_mapping(const std::string& uri);
    std::string* get_namespace(const std::string& qname, std::string* uri) const;
    int get_element_ns_id() const;
    int get_ns_id() const { return m_name.get_ns_id(); }
    bool get_has_ns_prefix() const { return m_name.get_has_ns_prefix(); }
    const std::string& get_local_name() const { return m_name.get_local_name(); }
    const std::string& get_full_name() const { return m_name.get_full_name(); }
    using c_xml::get_local_name;
    using c_xml::get_namespace_prefix;
    bool is_valid_qname(const std::string& qname) const;
    bool is_xsi_attribute(const std::string& qname) const;
    bool get_xsi_type(int* ns_id, std::string* local_name);
    c_xml_local* get_reader_local() const { return m_current_scope; }
    void set_reader_local(c_xml_local* scope) { m_current_scope = scope; }

    // Events.
    void get_element_event(const s_event_map* table, elmx_error* error, std::string* name);
    bool get_attribute_event(const s_event_map* table, elmx_error* error, std::string* name);
    void tokenise(const s_event_map* table, elxp_attr_elem mode);
    int get_current_event() const { return m_current_event; }
    void restore_event(int event) { m_current_event = event; }
    bool is_current_event_tokenisable() const;

    // Values.
    bool get_simple_type_value(const std::string& element_name, elmx_whitespace mode,
                               std::string* value, elmx_error* error, bool* is_empty);
    bool get_element_ur_value(const std::string& element_name, std::string* value,
                              elmx_error* error, bool* is_empty);
    bool get_nested_element_value(std::string* content, std::string* end_name, elmx_whitespace mode,
                                  bool expand_references);

    // Errors.
    elmx_error handle_error(elmx_error code, const std::string& item_name, const char* source_file,
                            int line);
    elmx_error get_error() const { return m_error_recorder.get_last_error(); }
    // The fatal error that ended the input, if there is one; otherwise code.
    elmx_error fatal_error_or(elmx_error code) const {
        return m_error_recorder.is_fatal_errored() ? get_error() : code;
    }
    bool get_error_info(elmx_error_type* type, elmx_error* code, int* line) const {
        return m_error_recorder.get_error_info(type, code, line);
    }
    const std::string& get_error_item_name() const { return m_error_item_name; }
    elmx_error get_handled_error() const { return m_handled_error; }
    int get_line_no() const { return get_line_num(); }
    c_string_stack& get_element_name_stack() { return m_element_names; }

    // Scratch buffers that generated code borrows, so names and values are not reallocated
    // for every element.
    std::string& get_element_name_buffer() { return m_element_name_buffer; }
    std::string& get_value_buffer() { return m_value_buffer; }
    std::string& get_attribute_name_buffer() { return m_attribute_name_buffer; }

protected:
    bool check_depth(unsigned int depth, const std::string& name) override;

private:
    friend class c_xml_reader_local;

    c_xml_local* m_current_scope;
    c_xml_reader_local m_outermost_scope;
    elmx_error m_handled_error = ELMX_OK;
    std::string m_error_item_name;
    c_string_stack m_element_names;
    c_cracked_name m_name;
    int m_current_event = ELXP_END_OF_DOCUMENT;
    std::vector<std::pair<std::string, std::string>> m_user_mappings;
    std::string m_element_name_buffer;
    std::string m_value_buffer;
    std::string m_attribute_name_buffer;
};

namespace detail {
// Sources built before the reader base that keeps a reference to them.
struct file_source_holder {
    template <typename Name>
    explicit file_source_holder(Name name) : m_file_source(name) {}
    c_read_file m_file_source;
};
struct memory_source_holder {
    memory_source_holder(const char* data, unsigned int length) : m_memory_source(data, length) {}
    c_read_memory m_memory_source;
};
}  // namespace detail

// A reader over a file, opened by narrow or wide name, or over an open stdio stream (closed
// when the reader is destroyed).
class c_xml_reader_file : private detail::file_source_holder, public c_xml_reader {
public:
    explicit c_xml_reader_file(const char* file_name)
        : file_source_holder(file_name), c_xml_reader(m_file_source) {}
    explicit c_xml_reader_file(const wchar_t* file_name)
        : file_source_holder(file_name), c_xml_reader(m_file_source) {}
    explicit c_xml_reader_file(std::FILE* stream)
        : file_source_holder(stream), c_xml_reader(m_file_source) {}
    bool is_open() const { return m_file_source.is_open(); }
};

// A reader over a caller's buffer, which must outlive the reader.
class c_xml_reader_memory : private detail::memory_source_holder, public c_xml_reader {
public:
    c_xml_reader_memory(const char* data, unsigned int length)
        : memory_source_holder(data, length), c_xml_reader(m_memory_source) {}
    bool is_open() const { return true; }
};

}  // namespace lmx

#endif  // LMX_READER_H
