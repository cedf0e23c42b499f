// How a bound class reads itself from a reader: the element parse with its attribute loop, the
// content loops of each content model in strict and lenient mode, and the reading and checking of
// simple values. Generated classes supply only their name tables and one step per item; every loop
// and every rule lives here.
#ifndef LMX_BOUND_PARSE_H
#define LMX_BOUND_PARSE_H

#include <new>
#include <string>

#include "lmx/binding/bound_class.h"
#include "lmx/errors.h"
#include "lmx/event_tables.h"
#include "lmx/reading/reader.h"
#include "lmx/values/big_numbers.h"
#include "lmx/values/binary.h"
#include "lmx/values/datetime.h"
#include "lmx/values/whitespace.h"

namespace lmx {

enum elmx_content_model {
    ELMX_CONTENT_SEQUENCE,
    ELMX_CONTENT_ALL,
    ELMX_CONTENT_CHOICE,
    ELMX_CONTENT_SIMPLE,
    ELMX_CONTENT_GROUP
};

enum elmx_parse_mode { ELMX_PARSE_LENIENT, ELMX_PARSE_STRICT };

// What the element parse needs to know about a class; one static instance per class.
struct s_class_parse {
    const char* source_file;
    int line;                 // the driver's own checks report line, line + 1, ...
    const char* schema_name;  // item of a missing required item of an xs:all group
    elmx_content_model content;
    elmx_parse_mode mode;
    bool content_required;  // an empty element is ELMX_UNEXPECTED_EMPTY_ELEMENT
    bool check_occurs;      // a lenient sequence with required items runs is_occurs_ok at the end
    // The required content is only lists of one or more: an empty element misses their first
    // entry, ELMX_MANDATORY_ELEMENT_MISSING naming the type, as at an unknown element.
    bool requires_only_lists = false;
};

// The steps of one bound class, as the element parse calls them. ct_bound_parse adapts a generated
// class to it, so the class itself keeps its destructor as its only virtual function.
class c_bound_parse {
public:
    virtual bool has_attributes() const = 0;
    virtual bool attribute(c_xml_reader& reader, const std::string& name, elmx_error* error) = 0;
    virtual elmx_error attributes_check(c_xml_reader& reader) = 0;
    // One step of the content: parses the item whose name the reader has just read, up to and
    // including its end tag; the next event is read by the caller. Returns true, leaving the
    // element unread, when it is not one of the class's items.
    virtual bool body(c_xml_reader& reader, std::string* name, elmx_error* error) = 0;
    virtual bool simple_body(c_xml_reader& reader, std::string* name, elmx_error* error,
                             bool has_content) = 0;
    virtual bool is_occurs_ok() const = 0;
    // The required items of an xs:all group are all present (including those that is_occurs_ok
    // leaves untested).
    virtual bool is_all_complete() const = 0;
    virtual bool is_choice_made() const = 0;
    virtual void mark_choice_skipped() = 0;
    // A list of the class with a minimum of one or more is still empty.
    virtual bool is_required_list_empty() const = 0;
    // The chosen option is a list, which takes the elements of that option that follow.
    virtual bool is_choice_open() const = 0;

protected:
    ~c_bound_parse() = default;
};

template <typename C>
class ct_bound_parse final : public c_bound_parse {
public:
    explicit ct_bound_parse(C& object) : m_object(object) {}

    bool has_attributes() const override { return has_attributes_of<C>(0); }
    bool attribute(c_xml_reader& reader, const std::string& name, elmx_error* error) override {
        return attribute_of(m_object, reader, name, error, 0);
    }
    elmx_error attributes_check(c_xml_reader& reader) override {
        return attributes_check_of(m_object, reader, 0);
    }
    bool body(c_xml_reader& reader, std::string* name, elmx_error* error) override {
        return body_of(m_object, reader, name, error, 0);
    }
    bool simple_body(c_xml_reader& reader, std::string* name, elmx_error* error,
                     bool has_content) override {
        return simple_body_of(m_object, reader, name, error, has_content, 0);
    }
    bool is_occurs_ok() const override { return m_object.is_occurs_ok(); }
    bool is_all_complete() const override { return all_complete_of(m_object, 0); }
    bool is_choice_made() const override { return choice_made_of(m_object, 0); }
    void mark_choice_skipped() override { mark_skipped_of(m_object, 0); }
    bool is_required_list_empty() const override { return required_list_empty_of(m_object, 0); }
    bool is_choice_open() const override { return choice_open_of(m_object, 0); }

private:
    // Each step exists only in the classes that need it; the int overload wins when it does.
    template <typename T>
    static constexpr auto has_attributes_of(int) -> decltype(&T::unmarshal_attributes, bool()) {
        return true;
    }
    template <typename T>
    static constexpr bool has_attributes_of(long) {
        return false;
    }
    template <typename T>
    static auto attribute_of(T& object, c_xml_reader& reader, const std::string& name,
                             elmx_error* error, int)
        -> decltype(object.unmarshal_attributes(reader, name, error)) {
        return object.unmarshal_attributes(reader, name, error);
    }
    template <typename T>
    static bool attribute_of(T&, c_xml_reader&, const std::string&, elmx_error*, long) {
        return false;
    }
    template <typename T>
    static auto attributes_check_of(T& object, c_xml_reader& reader, int)
        -> decltype(object.unmarshal_attributes_check(reader)) {
        return object.unmarshal_attributes_check(reader);
    }
    template <typename T>
    static elmx_error attributes_check_of(T&, c_xml_reader&, long) {
        return ELMX_OK;
    }
    template <typename T>
    static auto body_of(T& object, c_xml_reader& reader, std::string* name, elmx_error* error, int)
        -> decltype(object.unmarshal_body(reader, name, error)) {
        return object.unmarshal_body(reader, name, error);
    }
    template <typename T>
    static bool body_of(T&, c_xml_reader&, std::string*, elmx_error*, long) {
        return true;
    }
    template <typename T>
    static auto simple_body_of(T& object, c_xml_reader& reader, std::string* name,
                               elmx_error* error, bool has_content, int)
        -> decltype(object.unmarshal_body(reader, name, error, has_content)) {
        return object.unmarshal_body(reader, name, error, has_content);
    }
    template <typename T>
    static bool simple_body_of(T&, c_xml_reader&, std::string*, elmx_error*, bool, long) {
        return false;
    }
    template <typename T>
    static auto all_complete_of(const T& object, int) -> decltype(object.is_all_complete()) {
        return object.is_all_complete();
    }
    template <typename T>
    static bool all_complete_of(const T& object, long) {
        return object.is_occurs_ok();
    }
    template <typename T>
    static auto choice_made_of(const T& object, int) -> decltype(object.is_choice_made()) {
        return object.is_choice_made();
    }
    template <typename T>
    static bool choice_made_of(const T&, long) {
        return true;
    }
    template <typename T>
    static auto mark_skipped_of(T& object, int) -> decltype(object.mark_choice_skipped()) {
        object.mark_choice_skipped();
    }
    template <typename T>
    static void mark_skipped_of(T&, long) {}
    template <typename T>
    static auto required_list_empty_of(const T& object, int)
        -> decltype(object.is_required_list_empty()) {
        return object.is_required_list_empty();
    }
    template <typename T>
    static bool required_list_empty_of(const T&, long) {
        return false;
    }
    template <typename T>
    static auto choice_open_of(const T& object, int) -> decltype(object.is_choice_open()) {
        return object.is_choice_open();
    }
    template <typename T>
    static bool choice_open_of(const T&, long) {
        return false;
    }

    C& m_object;
};

// Parses the element whose start tag the reader has just read, name being its qualified name.
elmx_error parse_element(c_xml_reader& reader, const std::string& name, const s_class_parse& info,
                         c_bound_parse& steps);

template <typename C>
elmx_error parse_bound_element(c_xml_reader& reader, const std::string& name,
                               const s_class_parse& info, C& object) {
    ct_bound_parse<C> steps(object);
    return parse_element(reader, name, info, steps);
}

// The global-element check of a document: the outermost element must have this namespace id and
// local name. Leaves the reader on that element; its qualified name goes to *name.
elmx_error find_document_element(c_xml_reader& reader, int ns_id, const char* local_name,
                                 std::string* name, s_call_site site);

// After the outermost element: only white space, comments and processing instructions may follow.
elmx_error finish_document(c_xml_reader& reader, const std::string& name, s_call_site site);

// Runs load() so that no exception leaves the library: running out of memory gives
// ELMX_UNDEFINED_ERROR and leaves the document as a new one.
template <typename Document, typename Load>
elmx_error load_within_memory(Document& document, Load load) noexcept {
    try {
        return load();
    } catch (const std::bad_alloc&) {
        try {
            document.reset();
        } catch (const std::bad_alloc&) {
            // An empty document needs next to nothing; if even that fails, the tree built so
            // far stays, and the code still says the load failed.
        }
        return ELMX_UNDEFINED_ERROR;
    }
}

// Loads a document whose outermost element is one known global element into object.
template <typename C>
elmx_error parse_document(c_xml_reader& reader, const s_ns_map* ns_map, int ns_id,
                          const char* local_name, s_call_site site, C& object) {
    return load_within_memory(object, [&] {
        reader.set_ns_map(ns_map);
        c_xml_reader_local scope(reader);
        std::string name;
        elmx_error error = find_document_element(reader, ns_id, local_name, &name, site);
        if (error != ELMX_OK) return error;
        error = object.unmarshal(reader, name);
        if (error != ELMX_OK) return error;
        return finish_document(reader, name, site);
    });
}

// Reads the outermost element of a document; leaves its qualified name in *name.
elmx_error read_document_element(c_xml_reader& reader, std::string* name, s_call_site site);

// Loads a document whose outermost element is one of several global elements into a root choice,
// whose group parse selects the matching option (or reports an unknown element).
template <typename Root>
elmx_error parse_root_document(c_xml_reader& reader, const s_ns_map* ns_map, s_call_site site,
                               Root& root) {
    return load_within_memory(root, [&] {
        reader.set_ns_map(ns_map);
        c_xml_reader_local scope(reader);
        std::string name;
        elmx_error error = read_document_element(reader, &name, site);
        if (error != ELMX_OK) return error;
        root.unmarshal(reader, &name, &error);
        if (error != ELMX_OK) return error;
        return finish_document(reader, name, site);
    });
}

// The entry points of a document class that open a reader over a file or a buffer and load
// the document through its unmarshal(reader).
template <typename Document>
elmx_error load_document_file(const char* file_name, Document& document) {
    return load_within_memory(document, [&] {
        c_xml_reader_file reader(file_name);
        if (!reader.is_open()) return ELMX_UNABLE_TO_OPEN_FILE;
        return document.unmarshal(reader);
    });
}

template <typename Document>
elmx_error load_document_buffer(const char* buffer, unsigned int length, Document& document) {
    return load_within_memory(document, [&] {
        c_xml_reader_memory reader(buffer, length);
        return document.unmarshal(reader);
    });
}

// True when the current element is one of a model group's options; otherwise the current event is
// left as it was.
bool is_group_member(c_xml_reader& reader, const s_event_map* options);

// Reads the next content event, passing over character data; an error event or the end of the
// document ends the element whatever the handler answers, so the result is then never ELMX_OK.
elmx_error read_next_event(c_xml_reader& reader, const std::string& item, std::string* name,
                           s_call_site site);

// Consumes the element just named (after an unknown or refused item).
elmx_error skip_element(c_xml_reader& reader, const std::string& name, s_call_site site);

// An xs:all item that the order record already holds: ELMX_ALL_CARDINALITY_VIOLATED, and when the
// handler answers ELMX_OK the element is skipped, never examined again. For a body step: returns
// false (consumed) with *error set to the answer.
bool refuse_repeated_item(c_xml_reader& reader, const std::string& name, s_call_site site,
                          elmx_error* error);

// Reports through the reader's handler; the answer decides whether parsing goes on.
inline elmx_error report(c_xml_reader& reader, elmx_error code, const std::string& item,
                         s_call_site site) {
    return reader.handle_error(code, item, site.file, site.line);
}

// Value checks and conversion of a text already read; each failure goes to the handler with the
// item's name and, when it answers ELMX_OK, the next check runs.
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, std::wstring* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, std::string* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, bool* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, int* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, unsigned int* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, long long* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, double* out);
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, c_big_int* out);
// Base64 text.
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, c_binary* out);

// The format check: ELMX_OK for a valid text, else the handler's answer to ELMX_BAD_VALUE_FORMAT.
inline elmx_error check_format(c_xml_reader& reader, bool valid, const std::string& item,
                               s_call_site site) {
    return valid ? ELMX_OK : report(reader, ELMX_BAD_VALUE_FORMAT, item, site);
}

// Value classes that judge their own text (decimals, durations, dates and times).
template <typename T>
elmx_error take_value(c_xml_reader& reader, const std::string& text, const std::string& item,
                      s_call_site site, T* out) {
    const elmx_error error = check_format(reader, T::is_valid(text), item, site);
    if (error != ELMX_OK) return error;
    *out = text;
    return ELMX_OK;
}

// Enumerated and fixed values: the text must equal one of the literals (a null-ended list).
elmx_error check_enumerated(c_xml_reader& reader, const std::string& text,
                            const char* const* literals, const std::string& item, s_call_site site);
elmx_error check_fixed(c_xml_reader& reader, const std::string& text, const char* fixed,
                       const std::string& item, s_call_site site);

// The texts of the current attribute and of a simple-typed child element.
elmx_error read_attribute_text(c_xml_reader& reader, const std::string& item, elmx_whitespace mode,
                               std::string* text, s_call_site site);
elmx_error read_element_text(c_xml_reader& reader, const std::string& item, elmx_whitespace mode,
                             std::string* text, s_call_site site);
// The content of the element as raw XML text, unchecked.
elmx_error read_raw_element(c_xml_reader& reader, const std::string& item, std::string* text,
                            s_call_site site);
// An empty-element option: consumes the element, which must have no content.
elmx_error read_empty_element(c_xml_reader& reader, const std::string& item, s_call_site site);

// The options of one simple item's read.
struct s_value_rules {
    elmx_whitespace whitespace;
    const char* fixed = nullptr;               // fixed attribute value
    const char* const* enumeration = nullptr;  // checked in strict mode only
    const char* element_default = nullptr;     // what an element with empty content holds
};

// An attribute of a class: rejects a second occurrence, reads, checks and stores the value, and
// marks it present.
template <typename T>
elmx_error read_attribute(c_xml_reader& reader, const char* item, const s_value_rules& rules,
                          s_call_site site, bool* present, T* out) {
    const std::string name(item);
    elmx_error error = ELMX_OK;
    if (*present && (error = report(reader, ELMX_ATTRIBUTE_ALREADY_READ, name, site)) != ELMX_OK)
        return error;
    std::string& text = reader.get_value_buffer();
    if ((error = read_attribute_text(reader, name, rules.whitespace, &text, site)) != ELMX_OK)
        return error;
    if ((error = take_value(reader, text, name, site, out)) != ELMX_OK) return error;
    if (rules.enumeration &&
        (error = check_enumerated(reader, text, rules.enumeration, name, site)) != ELMX_OK)
        return error;
    if (rules.fixed && (error = check_fixed(reader, text, rules.fixed, name, site)) != ELMX_OK)
        return error;
    *present = true;
    return ELMX_OK;
}

// Checks and converts an element's text.
template <typename T>
elmx_error take_element_value(c_xml_reader& reader, const std::string& text,
                              const std::string& item, const s_value_rules& rules, s_call_site site,
                              T* out) {
    if (text.empty() && rules.element_default != nullptr)
        return take_element_value(reader, std::string(rules.element_default), item,
                                  s_value_rules{rules.whitespace, nullptr, rules.enumeration},
                                  site, out);
    const elmx_error error = take_value(reader, text, item, site, out);
    if (error != ELMX_OK) return error;
    if (rules.enumeration) return check_enumerated(reader, text, rules.enumeration, item, site);
    return ELMX_OK;
}

// A simple-typed child element: reads, checks and converts its value.
template <typename T>
elmx_error read_element(c_xml_reader& reader, const std::string& item, const s_value_rules& rules,
                        s_call_site site, T* out) {
    std::string& text = reader.get_value_buffer();
    const elmx_error error = read_element_text(reader, item, rules.whitespace, &text, site);
    if (error != ELMX_OK) return error;
    return take_element_value(reader, text, item, rules, site, out);
}

// The text of a simple-content element whose start tag has been read, up to its end tag; an
// element closed by its start tag has an empty text.
elmx_error read_simple_content_text(c_xml_reader& reader, const std::string& item, bool has_content,
                                    elmx_whitespace mode, std::string* text, s_call_site site);

template <typename T>
elmx_error read_simple_content(c_xml_reader& reader, const std::string& item, bool has_content,
                               const s_value_rules& rules, s_call_site site, T* out) {
    std::string& text = reader.get_value_buffer();
    const elmx_error error =
        read_simple_content_text(reader, item, has_content, rules.whitespace, &text, site);
    if (error != ELMX_OK) return error;
    return take_element_value(reader, text, item, rules, site, out);
}

// The same for a text that may be left out: an element without text leaves *present false and
// *out as it was.
template <typename T>
elmx_error read_optional_simple_content(c_xml_reader& reader, const std::string& item,
                                        bool has_content, const s_value_rules& rules,
                                        s_call_site site, T* out, bool* present) {
    std::string& text = reader.get_value_buffer();
    const elmx_error error =
        read_simple_content_text(reader, item, has_content, rules.whitespace, &text, site);
    *present = false;
    if (error != ELMX_OK || text.empty()) return error;
    *present = true;
    return take_element_value(reader, text, item, rules, site, out);
}

}  // namespace lmx

#endif  // LMX_BOUND_PARSE_H
