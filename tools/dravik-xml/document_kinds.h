// Which schemas the tool knows, and which of them a document belongs to, judged by the name
// and namespace of its document element.
#ifndef DRAVIK_XML_DOCUMENT_KINDS_H
#define DRAVIK_XML_DOCUMENT_KINDS_H

#include <string>
#include <string_view>
#include <vector>

#include "embedded_schemas.h"
#include "loaded_document.h"

namespace dravik_xml {

struct document_element {
    std::string local_name;
    std::string namespace_uri;
    int line = 0;
};

struct schema_kind {
    const embedded_schema* schema;
    document_factory factory;  // null while this build has no bound classes for the schema

    std::string_view name() const { return schema->name; }
    bool has_element(const document_element& element) const;
};

// Every known schema, in the order in which an ambiguous document is tried.
const std::vector<schema_kind>& schema_kinds();
const schema_kind* find_schema_kind(std::string_view name);
// "flash, settings or messaging", for messages.
std::string schema_kind_names();

// Reads the document element's name and namespace (empty for none); otherwise the error that
// keeps the document from having one.
lmx::elmx_error read_document_element(lmx::c_xml_reader& reader, document_element* element);

// The schemas whose global elements include this one, in trial order.
std::vector<const schema_kind*> kinds_of(const document_element& element);

}  // namespace dravik_xml

#endif  // DRAVIK_XML_DOCUMENT_KINDS_H
