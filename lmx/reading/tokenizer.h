// The pull tokenizer: element names, the attributes of the start tag just read, simple values,
// skipped and captured content, one event at a time.
#ifndef LMX_TOKENIZER_H
#define LMX_TOKENIZER_H

#include <string>
#include <vector>

#include "lmx/errors.h"
#include "lmx/reading/byte_sources.h"
#include "lmx/reading/entities.h"
#include "lmx/reading/limits.h"
#include "lmx/reading/names.h"
#include "lmx/values/whitespace.h"

namespace lmx {

enum elxp_xml_event {
    ELXP_END_OF_DOCUMENT = 0,
    ELXP_UNKNOWN = 1,
    ELXP_ERROR_RESERVED = 2,
    ELXP_ERROR = 3,
    ELXP_START_TAG_END = 4,
    ELXP_CHARACTERS = 5,
    ELXP_END_TAG = 6,
    ELXP_NAME = 7,
    ELXP_XSI_TYPE = 8,
    ELXP_XSI_NIL = 9,
    ELXP_XSI_SCHEMA_LOCATION = 10,
    ELXP_XSI_NO_NAMESPACE_SCHEMA_LOCATION = 11
};

// The attributes of the start tag just read, kept raw (quote included, nothing expanded) until
// a caller asks for a value, so skipped attributes cost nothing.
class c_attribute_store {
public:
    void clear();
    void add(const std::string& name, const std::string& raw_value);
    bool at_end() const { return m_next >= m_entries.size(); }
    // Moves to the next attribute; false when there is none.
    bool next_name(std::string* name);
    // The raw value of the attribute whose name was taken last, then moves past it.
    std::string_view take_raw_value();
    void restart() { m_next = 0; }
    std::size_t size() const { return m_entries.size(); }
    std::string_view name_at(std::size_t i) const;
    std::string_view raw_value_at(std::size_t i) const;

private:
    struct entry {
        std::size_t name_begin, name_size, value_begin, value_size;
    };
    std::string m_bytes;
    std::vector<entry> m_entries;
    std::size_t m_next = 0;
    bool m_at_value = false;
};

class c_xml {
public:
    // The source and the recorder are not owned and must outlive the tokenizer.
    c_xml(c_read& source, c_error& error, bool normalise_char_ref_white_space);
    c_xml(const c_xml&) = delete;
    c_xml& operator=(const c_xml&) = delete;
    virtual ~c_xml() = default;

    static bool is_error_event(int event) {
        return event == ELXP_ERROR_RESERVED || event == ELXP_ERROR;
    }

    void rewind();

    elxp_xml_event get_element_name(c_xml_local* scope, std::string* name);
    elxp_xml_event get_attribute_name(std::string* name, bool in_declaration);
    bool get_attribute_value(std::string* value, elmx_whitespace mode);
    bool skip_attribute_value();
    bool get_element_value(std::string* value, elmx_whitespace mode, bool expand_references);
    bool is_element_end_tag(const std::string& name);
    bool skip_start_tag(bool* is_empty) { return move_to_start_tag_end(is_empty); }
    // Reads to the end of the current start tag; *is_empty tells "/>" from ">".
    bool move_to_start_tag_end(bool* is_empty);
    bool skip_rest_of_element(const std::string& name);
    bool skip_rest_of_empty_element(const std::string& name);
    bool skip_element_body(const std::string& name);
    bool get_nested_element_value(std::string* content, std::string* end_name, elmx_whitespace mode,
                                  bool expand_references);
    bool get_any_element(const std::string& name, std::string* content, elmx_whitespace mode,
                         bool expand_references);

    // After the document element: true when only white space, comments and processing
    // instructions follow; anything else is a fatal error.
    bool read_document_end();

    bool get_xsi_type(const c_xml_local* scope, int* ns_id, std::string* local_name);
    bool is_xsi_attribute(const c_xml_local* scope, const std::string& qname) const;
    int get_ns_id(const c_xml_local* scope, const std::string& qname) const;

    static std::string* get_local_name(const std::string& qname, std::string* out);
    static std::string* get_namespace_prefix(const std::string& qname, std::string* out);

    void add_namespace(const std::string& uri, int id) { m_namespaces.add_namespace(uri, id); }
    int add_namespace(const std::string& uri) { return m_namespaces.add_namespace(uri); }
    int find_enumerated_namespace(const std::string& uri) const {
        return m_namespaces.find_namespace(uri);
    }
    const char* find_namespace_from_id(int id) const {
        return m_namespaces.find_namespace_from_id(id);
    }
    void add_general_entity(const std::string& name, const std::string& value) {
        m_getter.add_general_entity(name, value);
    }
    void add_parameter_entity(const std::string& name, const std::string& value) {
        m_getter.add_parameter_entity(name, value);
    }
    int get_line_num() const { return m_getter.get_line_num(); }
    const char* get_source_id() { return m_getter.get_source_id(); }

    // A place in the document to read ahead from and come back to: everything the tokenizer
    // and its getter know, and the error record, so reading ahead leaves no trace.
    struct bookmark {
        c_get_for_xml::position getter;
        bool doctype_seen;
        bool document_started;
        c_attribute_store attributes;
        c_enumerated_namespaces namespaces;
        c_error errors;
    };
    bookmark mark() const;
    void return_to(const bookmark& place);

    // Strict markup: the leniencies kept for stored documents ("]]>" in character data, "--" in
    // comments, no space between attributes) become fatal ELMX_NOT_WELL_FORMED or ELMX_BAD_COMMENT
    // errors, so that text passed as well-formed is well-formed for any XML parser.
    void set_strict_markup(bool strict) { m_strict_markup = strict; }
    // Nesting limit for every element level, bound, skipped or captured.
    void set_max_depth(unsigned int depth) { m_max_depth = depth; }
    unsigned int get_max_depth() const { return m_max_depth; }
    // Limit on the bytes of text, attribute values, CDATA and captured content a document may
    // deliver (k_default_max_value_bytes): beyond it reading ends with ELMX_LENGTH_TOO_LONG.
    void set_max_value_bytes(unsigned long long limit) { m_getter.set_max_value_bytes(limit); }
    unsigned long long get_max_value_bytes() const { return m_getter.get_max_value_bytes(); }
    // Whether an element levels_below the levels the binding layer has opened is within the
    // limit; records the fatal nesting error, naming the element, when it is not.
    bool allows_nesting(std::size_t levels_below, const std::string& name) {
        return check_depth(static_cast<unsigned int>(m_open_levels + levels_below), name);
    }

protected:
    c_get_for_xml& getter() { return m_getter; }
    c_error& error_recorder() { return m_getter.get_error_handler(); }
    const c_error& error_recorder() const { return m_getter.get_error_handler(); }
    // Element levels the binding layer has opened; skipping and capturing nest below them.
    void enter_level() { ++m_open_levels; }
    void leave_level() { --m_open_levels; }
    unsigned int get_open_levels() const { return m_open_levels; }
    // Records the fatal nesting error once a start tag would be deeper than the limit.
    virtual bool check_depth(unsigned int depth, const std::string& name);

private:
    elxp_xml_event read_markup(c_xml_local* scope, std::string* name, bool* go_on);
    elxp_xml_event read_bang_markup(std::string* name, bool* go_on);
    elxp_xml_event read_text(int first, std::string* text);
    // Adds c, or the reference it starts, to text; false for "<", which the caller handles.
    bool add_text_char(int c, std::string* text, bool expand_references);
    bool read_start_tag_attributes(c_xml_local* scope);
    bool read_equals_and_quoted_value(std::string* raw);
    bool declare_namespace(c_xml_local* scope, const std::string& prefix,
                           const std::string& raw_value);
    // False after a fatal error in a reference.
    bool expand_raw_value(std::string_view raw, std::string* value);
    bool check_references(std::string_view raw_value);
    void read_name(int first, std::string* name);
    bool read_end_tag_name(std::string* name);
    void read_cdata(std::string* content);
    void skip_to_tag_end();
    void resolve_reference_in_text(std::string* out);
    void copy_reference(std::string* out, bool in_attribute);
    // After "<?": true when the target is "xml" itself, the XML declaration.
    bool read_declaration_target();
    void record(elmx_error_type type, elmx_error code, const std::string& message);
    elxp_xml_event fail(elmx_error code, const std::string& message);
    elxp_xml_event finish_event(elxp_xml_event event);
    bool skip_checked_comment();
    bool skip_checked_instruction();
    bool copy_start_tag_rest(std::string* content, bool* is_empty);
    bool capture_content(std::string* content, std::string* end_name, elmx_whitespace mode,
                         bool expand_references);

    c_get_for_xml m_getter;
    std::string m_scratch;
    c_enumerated_namespaces m_namespaces;
    bool m_doctype_seen = false;
    bool m_document_started = false;
    bool m_strict_markup = false;
    unsigned int m_text_brackets = 0;  // "]" characters that end the character data read so far
    c_attribute_store m_attributes;
    std::string m_prefix_scratch;
    unsigned int m_max_depth = k_default_max_depth;
    unsigned int m_open_levels = 0;
};

}  // namespace lmx

#endif  // LMX_TOKENIZER_H
