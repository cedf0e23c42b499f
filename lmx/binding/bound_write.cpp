#include "lmx/binding/bound_write.h"

#include "lmx/reading/reader.h"

#include <climits>
#include <locale>
#include <new>
#include <sstream>

namespace lmx {

bool is_well_formed_content(const std::string& text) {
    // The reader that will read the text back is the judge, without the leniencies it keeps for
    // stored documents: wrapped in an element of its own, the text must read to that element's
    // end tag and leave nothing after it.
    static const char k_start[] = "<raw>";
    static const char k_end[] = "</raw>";
    std::string document;
    document.reserve(text.size() + sizeof k_start + sizeof k_end);
    document.append(k_start).append(text).append(k_end);
    if (document.size() > UINT_MAX) return false;
    c_xml_reader_memory reader(document.data(), static_cast<unsigned int>(document.size()));
    reader.set_strict_markup(true);
    std::string name;
    std::string content;
    elmx_error error = ELMX_OK;
    bool is_empty = false;
    reader.get_element_event(nullptr, &error, &name);
    if (error != ELMX_OK || reader.get_current_event() != ELXP_NAME ||
        !reader.get_element_ur_value(name, &content, &error, &is_empty) ||
        !reader.read_document_end() || reader.get_error() != ELMX_OK)
        return false;
    // That read copies start tags as written and passes over processing instructions; walking the
    // elements as a skipped element is walked checks their attributes and the instructions too.
    c_xml_reader_memory walker(document.data(), static_cast<unsigned int>(document.size()));
    walker.set_strict_markup(true);
    walker.get_element_event(nullptr, &error, &name);
    return error == ELMX_OK && walker.get_current_event() == ELXP_NAME &&
           walker.skip_rest_of_element(name) && walker.read_document_end() &&
           walker.get_error() == ELMX_OK;
}

elmx_error write_raw_element(c_xml_writer& writer, const char* name, const std::string& text,
                             s_call_site site) {
    if (!is_well_formed_content(text)) {
        const elmx_error error = writer.handle_error(ELMX_NOT_WELL_FORMED, name, site.file,
                                                     site.line);
        if (error != ELMX_OK) return error;
        // Forgiven: the text goes out as character data, so the document stays well-formed.
        std::ostream& os = writer(true);
        os << '<' << name << '>';
        write_value(os, text);
        os << "</" << name << '>' << writer.endl();
        return ELMX_OK;
    }
    writer(true) << '<' << name << '>' << text << "</" << name << '>' << writer.endl();
    return ELMX_OK;
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
    // The limit holds whatever the handler answers: going deeper could exhaust the stack.
    if (!writer.may_nest(name)) return ELMX_BADLY_FORMED;
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

elmx_error save_document_stream(std::ostream& os, document_writer write,
                                const void* document) noexcept {
    try {
        const elmx_error error = write(os, document);
        if (error != ELMX_OK) return error;
        return os ? ELMX_OK : ELMX_UNDEFINED_ERROR;
    } catch (const std::bad_alloc&) {
        return ELMX_UNDEFINED_ERROR;
    } catch (const std::ios_base::failure&) {
        return ELMX_UNDEFINED_ERROR;
    }
}

}  // namespace lmx
