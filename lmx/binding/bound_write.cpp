#include "lmx/binding/bound_write.h"

#include <locale>
#include <new>
#include <sstream>

namespace lmx {

void write_raw_element(c_xml_writer& writer, const char* name, const std::string& text) {
    writer(true) << '<' << name << '>' << text << "</" << name << '>' << writer.endl();
}

void write_empty_element(c_xml_writer& writer, const char* name) {
    writer(true) << '<' << name << "/>" << writer.endl();
}

namespace {

// `<name`, the namespace declarations on the outermost element only, and the attributes.
void write_start_tag(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                     const c_bound_write& parts) {
    writer(true) << '<' << name;
    writer.conditionally_select_ns_map(ns_map);
    writer.conditionally_write_ns_attrs(false);
    parts.attributes(writer);
}

}  // namespace

elmx_error write_simple_content_element(c_xml_writer& writer, const char* name,
                                        const s_ns_map* ns_map, const c_bound_write& parts) {
    write_start_tag(writer, name, ns_map, parts);
    writer(false) << '>';
    const elmx_error error = parts.content(writer);
    if (error != ELMX_OK) return error;
    writer(false) << "</" << name << '>' << writer.endl();
    return ELMX_OK;
}

elmx_error write_attributes_element(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                                    const c_bound_write& parts) {
    write_start_tag(writer, name, ns_map, parts);
    writer(false) << "/>" << writer.endl();
    return ELMX_OK;
}

elmx_error write_element(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                         const c_bound_write& parts) {
    write_start_tag(writer, name, ns_map, parts);
    writer(false) << '>' << writer.endl();
    writer.indent();
    const elmx_error error = parts.content(writer);
    if (error != ELMX_OK) return error;
    writer.undent();
    writer(true) << "</" << name << '>' << writer.endl();
    return ELMX_OK;
}

elmx_error save_document_string(std::string* text, document_writer write,
                                const void* document) noexcept {
    try {
        std::ostringstream os;
        os.imbue(std::locale::classic());
        const elmx_error error = write(os, document);
        if (error != ELMX_OK) return error;
        // A stream that could not grow marks itself bad instead of throwing: the text is cut.
        if (!os) return ELMX_UNDEFINED_ERROR;
        std::string saved = os.str();
        text->swap(saved);
        return ELMX_OK;
    } catch (const std::bad_alloc&) {
        return ELMX_UNDEFINED_ERROR;
    }
}

}  // namespace lmx
