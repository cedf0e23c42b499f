// Loading a document's bytes with the bound classes of the schema it belongs to.
#ifndef DRAVIK_XML_DOCUMENT_LOADING_H
#define DRAVIK_XML_DOCUMENT_LOADING_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document_kinds.h"
#include "recording_reader.h"

namespace dravik_xml {

enum class load_status {
    loaded,           // complete and without errors
    document_errors,  // the document is wrong: errors holds why
};

struct load_result {
    load_status status = load_status::document_errors;
    const schema_kind* kind = nullptr;  // the schema used, when one was
    document_element element;
    std::vector<document_error> errors;  // at most recording_reader::k_max_errors
    bool is_error_list_full = false;
    std::string note;  // what the user should know beyond the errors
    std::unique_ptr<loaded_document> document;
};

// Loads with the given schema, or else with each schema that knows the document element in
// trial order until one loads it; a failure reports the first schema tried.
load_result load_document(std::string_view bytes, const schema_kind* forced_kind);

}  // namespace dravik_xml

#endif  // DRAVIK_XML_DOCUMENT_LOADING_H
