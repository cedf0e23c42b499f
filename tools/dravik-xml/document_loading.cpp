#include "document_loading.h"

#include <utility>

namespace dravik_xml {
namespace {

std::string describe_element(const document_element& element) {
    const std::string where =
        element.namespace_uri.empty() ? "in no namespace" : "in namespace " + element.namespace_uri;
    return element.local_name + " " + where;
}

load_result with_errors(const recording_reader& reader) {
    load_result result;
    result.status = load_status::document_errors;
    result.errors = reader.errors();
    result.is_error_list_full = reader.is_full();
    return result;
}

load_result load_as(std::string_view bytes, const schema_kind& kind,
                    const document_element& element) {
    recording_reader reader(bytes);
    std::unique_ptr<loaded_document> document = kind.factory();
    reader.record_outcome(document->unmarshal(reader));
    load_result result = with_errors(reader);
    if (!reader.has_errors() && !document->is_occurs_ok())
        result.errors.push_back(
            {lmx::ELMX_MANDATORY_ELEMENT_MISSING, element.local_name, element.line});
    if (result.errors.empty()) {
        result.status = load_status::loaded;
        result.document = std::move(document);
    }
    result.kind = &kind;
    result.element = element;
    return result;
}

load_result unknown_element(const document_element& element, const std::string& schema_names) {
    load_result result;
    result.status = load_status::document_errors;
    result.element = element;
    result.errors.push_back({lmx::ELMX_ELEMENT_NOT_FOUND, element.local_name, element.line});
    result.note = describe_element(element) + " is not the document element of a " + schema_names +
                  " document";
    return result;
}

}  // namespace

load_result load_document(std::string_view bytes, const schema_kind* forced_kind) {
    document_element element;
    {
        recording_reader probe(bytes);
        probe.record_outcome(read_document_element(probe, &element));
        if (probe.has_errors()) return with_errors(probe);
    }
    if (forced_kind && !forced_kind->has_element(element))
        return unknown_element(element, std::string(forced_kind->name()));
    const std::vector<const schema_kind*> kinds =
        forced_kind ? std::vector<const schema_kind*>{forced_kind} : kinds_of(element);
    if (kinds.empty()) return unknown_element(element, schema_kind_names());

    load_result first;
    for (const schema_kind* kind : kinds) {
        load_result result = load_as(bytes, *kind, element);
        if (result.status == load_status::loaded) return result;
        if (kind == kinds.front()) first = std::move(result);
    }
    if (kinds.size() > 1 && first.note.empty())
        first.note = "not a " + std::string(kinds.front()->name()) + " document (errors above) " +
                     "nor a " + std::string(kinds.back()->name()) + " document; --schema " +
                     std::string(kinds.back()->name()) + " shows the " +
                     std::string(kinds.back()->name()) + " errors";
    return first;
}

}  // namespace dravik_xml
