// The schemas as compiled into the program at build time (embed_schemas.py), so the tool knows
// their documents and can print them without the source tree.
#ifndef DRAVIK_XML_EMBEDDED_SCHEMAS_H
#define DRAVIK_XML_EMBEDDED_SCHEMAS_H

#include <cstddef>
#include <string_view>

namespace dravik_xml {

struct embedded_schema {
    std::string_view name;              // as given on the command line: flash, settings, ...
    std::string_view target_namespace;  // empty for no namespace
    bool is_lenient;                    // unknown elements and attributes are dropped on load
    const std::string_view* element_names;
    std::size_t element_count;
    std::string_view text;  // one self-contained XSD, includes pasted in
};

const embedded_schema* embedded_schemas_begin();
const embedded_schema* embedded_schemas_end();

}  // namespace dravik_xml

#endif  // DRAVIK_XML_EMBEDDED_SCHEMAS_H
