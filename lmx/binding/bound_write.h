// How a bound class writes itself: the element frame around its attributes and content, and the
// formatting of attributes and simple elements. Generated classes say only which items to write.
#ifndef LMX_BOUND_WRITE_H
#define LMX_BOUND_WRITE_H

#include <ostream>
#include <string>

#include "lmx/binding/bound_class.h"
#include "lmx/binding/owned_pointers.h"
#include "lmx/errors.h"
#include "lmx/event_tables.h"
#include "lmx/values/binary.h"
#include "lmx/values/conversions.h"
#include "lmx/writing/document_saving.h"
#include "lmx/writing/writer.h"

namespace lmx {

// Values as they appear in attributes and element text.
inline void write_value(std::ostream& os, const std::wstring& value) {
    os << c_as_xml<std::wstring>(value);
}
inline void write_value(std::ostream& os, const std::string& value) {
    os << c_as_xml<std::string>(value);
}
inline void write_value(std::ostream& os, bool value) {
    os << c_as_xml<bool>(value);
}
inline void write_value(std::ostream& os, double value) {
    os << c_as_xml<double>(value);
}
// Numbers and the value classes write themselves in their canonical form.
template <typename T>
void write_value(std::ostream& os, const T& value) {
    os << value;
}
inline void write_value(std::ostream& os, const c_binary& value) {
    os << c_as_base64(value);
}

// Values as they appear in attributes: strings also keep their tabs and line feeds.
inline void write_attribute_value(std::ostream& os, const std::wstring& value) {
    os << c_as_xml_attribute<std::wstring>(value);
}
inline void write_attribute_value(std::ostream& os, const std::string& value) {
    os << c_as_xml_attribute<std::string>(value);
}
template <typename T>
void write_attribute_value(std::ostream& os, const T& value) {
    write_value(os, value);
}

// ` name="value"`
template <typename T>
void write_attribute(c_xml_writer& writer, const char* name, const T& value) {
    std::ostream& os = writer(false);
    os << ' ' << name << "=\"";
    write_attribute_value(os, value);
    os << '"';
}

// An indented `<name>value</name>` line.
template <typename T>
void write_simple_element(c_xml_writer& writer, const char* name, const T& value) {
    std::ostream& os = writer(true);
    os << '<' << name << '>';
    write_value(os, value);
    os << "</" << name << '>' << writer.endl();
}

// Each entry of a list of bound objects as an element of the given name.
template <typename T>
elmx_error write_list(c_xml_writer& writer, const char* name, const ct_owned_list<T>& list) {
    for (unsigned int i = 0; i < list.size(); ++i) {
        const elmx_error error = list.at(i).marshal(writer, name);
        if (error != ELMX_OK) return error;
    }
    return ELMX_OK;
}

// Each value of a simple list as an element of the given name.
template <typename T>
void write_simple_list(c_xml_writer& writer, const char* name, const ct_owned_list<T>& list) {
    for (unsigned int i = 0; i < list.size(); ++i)
        write_simple_element(writer, name, list.at(i));
}

// Each entry of a list of model groups, written without a wrapping element.
template <typename T>
elmx_error write_group_list(c_xml_writer& writer, const ct_owned_list<T>& list) {
    for (unsigned int i = 0; i < list.size(); ++i) {
        const elmx_error error = list.at(i).marshal_child_elements(writer);
        if (error != ELMX_OK) return error;
    }
    return ELMX_OK;
}

// The items of an xs:all group in the order of its record; write(item) writes one of them.
template <typename Record, typename Write>
elmx_error write_in_order(const Record& record, Write write) {
    for (unsigned int i = 0; i < record.size(); ++i) {
        const elmx_error error = write(record.at(i));
        if (error != ELMX_OK) return error;
    }
    return ELMX_OK;
}

// Whether text reads back as the content of an element: balanced tags, known entities, allowed
// characters. Raw text that is not cannot be written as it is stored.
bool is_well_formed_content(const std::string& text);
// Raw XML text, written as it is stored. Text that is not well-formed content is reported as
// ELMX_NOT_WELL_FORMED with the element's name, and nothing is written unless the handler
// forgives it; then it is written escaped, as character data.
elmx_error write_raw_element(c_xml_writer& writer, const char* name, const std::string& text,
                             s_call_site site);
// `<name/>`
void write_empty_element(c_xml_writer& writer, const char* name);

// A choice with nothing chosen; the handler's answer is returned.
inline elmx_error report_no_choice(c_xml_writer& writer, const char* item, s_call_site site) {
    return writer.handle_error(ELMX_BAD_CHOICE, item, site.file, site.line);
}

// The two halves of a class's output, as the element frame calls them.
class c_bound_write {
public:
    virtual void attributes(c_xml_writer& writer) const = 0;
    virtual elmx_error content(c_xml_writer& writer) const = 0;

protected:
    ~c_bound_write() = default;
};

template <typename C>
class ct_bound_write final : public c_bound_write {
public:
    explicit ct_bound_write(const C& object) : m_object(object) {}
    void attributes(c_xml_writer& writer) const override { attributes_of(m_object, writer, 0); }
    elmx_error content(c_xml_writer& writer) const override {
        return m_object.marshal_child_elements(writer);
    }

private:
    // Classes without attributes have no attribute step; the int overload wins when there is one.
    template <typename T>
    static auto attributes_of(const T& object, c_xml_writer& writer, int)
        -> decltype(object.marshal_attributes(writer)) {
        object.marshal_attributes(writer);
    }
    template <typename T>
    static void attributes_of(const T&, c_xml_writer&, long) {}

    const C& m_object;
};

// An element with element content: start tag with the namespace declarations on the outermost
// element only, attributes, the content indented one level, end tag.
elmx_error write_element(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                         const c_bound_write& parts);
// An element with simple content: the text (the content part) between the tags on one line.
elmx_error write_simple_content_element(c_xml_writer& writer, const char* name,
                                        const s_ns_map* ns_map, const c_bound_write& parts);
// An element with attributes and no content model: `<name attributes/>`.
elmx_error write_attributes_element(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                                    const c_bound_write& parts);

template <typename C>
elmx_error write_bound_element(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                               const C& object) {
    return write_element(writer, name, ns_map, ct_bound_write<C>(object));
}

template <typename C>
elmx_error write_bound_simple_content(c_xml_writer& writer, const char* name,
                                      const s_ns_map* ns_map, const C& object) {
    return write_simple_content_element(writer, name, ns_map, ct_bound_write<C>(object));
}

template <typename C>
elmx_error write_bound_attributes(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                                  const C& object) {
    return write_attributes_element(writer, name, ns_map, ct_bound_write<C>(object));
}

// Writes a document into *text, which is changed only on success; running out of memory gives
// ELMX_UNDEFINED_ERROR.
elmx_error save_document_string(std::string* text, document_writer write,
                                const void* document) noexcept;

// Writes a document onto the caller's stream. Running out of memory, or a stream that fails or
// throws, gives ELMX_UNDEFINED_ERROR; what the stream took by then stays in it.
elmx_error save_document_stream(std::ostream& os, document_writer write,
                                const void* document) noexcept;

}  // namespace lmx

#endif  // LMX_BOUND_WRITE_H
