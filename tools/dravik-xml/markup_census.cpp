#include "markup_census.h"

#include <string>

#include "lmx/reading/reader.h"

namespace dravik_xml {
namespace {

bool is_namespace_declaration(const std::string& name) {
    return name == "xmlns" || name.compare(0, 6, "xmlns:") == 0;
}

// Counts the attributes of the start tag just read.
bool count_attributes(lmx::c_xml_reader& reader, markup_census* census) {
    lmx::elmx_error error = lmx::ELMX_OK;
    std::string name;
    while (reader.get_attribute_event(nullptr, &error, &name)) {
        if (error != lmx::ELMX_OK) return false;
        if (reader.get_current_event() != lmx::ELXP_NAME) break;
        if (!is_namespace_declaration(name)) ++census->attributes;
        reader.skip_attribute_value();
    }
    return true;
}

}  // namespace

bool take_census(std::string_view bytes, markup_census* census) {
    lmx::c_xml_reader_memory reader(bytes.data(), static_cast<unsigned int>(bytes.size()));
    lmx::elmx_error error = lmx::ELMX_OK;
    std::string name;
    for (;;) {
        reader.get_element_event(nullptr, &error, &name);
        const int event = reader.get_current_event();
        if (event == lmx::ELXP_END_OF_DOCUMENT) return census->elements > 0;
        if (error != lmx::ELMX_OK) return false;
        if (event == lmx::ELXP_NAME) {
            ++census->elements;
            if (!count_attributes(reader, census)) return false;
        }
    }
}

}  // namespace dravik_xml
