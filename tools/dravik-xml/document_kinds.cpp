#include "document_kinds.h"

#include <algorithm>

#include "Generated/DravikSettings.h"
#include "Generated/flash-invoke.h"
#include "Generated/lmx.h"

namespace dravik_xml {
namespace {

struct schema_binding {
    std::string_view name;
    document_factory factory;
};

// One row per schema, in trial order: settings before messaging, which shares its namespace
// and three element names.
constexpr schema_binding k_bindings[] = {
    {"flash", make_document<flash_lmx::c_invoke>},
    {"settings", make_document<DravikSettings::c_root>},
    {"messaging", make_document<dravik_lmx::c_root>},
};

const embedded_schema* find_embedded_schema(std::string_view name) {
    const auto found = std::find_if(embedded_schemas_begin(), embedded_schemas_end(),
                                    [&](const embedded_schema& s) { return s.name == name; });
    return found == embedded_schemas_end() ? nullptr : found;
}

std::vector<schema_kind> make_schema_kinds() {
    std::vector<schema_kind> kinds;
    for (const schema_binding& binding : k_bindings)
        if (const embedded_schema* schema = find_embedded_schema(binding.name))
            kinds.push_back({schema, binding.factory});
    return kinds;
}

}  // namespace

bool schema_kind::has_element(const document_element& element) const {
    const std::string_view* end = schema->element_names + schema->element_count;
    return schema->target_namespace == element.namespace_uri &&
           std::find(schema->element_names, end, element.local_name) != end;
}

const std::vector<schema_kind>& schema_kinds() {
    static const std::vector<schema_kind> kinds = make_schema_kinds();
    return kinds;
}

const schema_kind* find_schema_kind(std::string_view name) {
    for (const schema_kind& kind : schema_kinds())
        if (kind.name() == name) return &kind;
    return nullptr;
}

std::string schema_kind_names() {
    std::string names;
    const auto& kinds = schema_kinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) names += i + 1 == kinds.size() ? " or " : ", ";
        names += kinds[i].name();
    }
    return names;
}

std::vector<const schema_kind*> kinds_of(const document_element& element) {
    std::vector<const schema_kind*> kinds;
    for (const schema_kind& kind : schema_kinds())
        if (kind.has_element(element)) kinds.push_back(&kind);
    return kinds;
}

lmx::elmx_error read_document_element(lmx::c_xml_reader& reader, document_element* element) {
    lmx::elmx_error error = lmx::ELMX_OK;
    std::string name;
    reader.get_element_event(nullptr, &error, &name);
    if (error != lmx::ELMX_OK) return error;
    if (reader.get_current_event() != lmx::ELXP_NAME) return lmx::ELMX_BADLY_FORMED;
    lmx::c_xml::get_local_name(name, &element->local_name);
    reader.get_namespace(name, &element->namespace_uri);
    const bool is_prefixed = name.find(':') != std::string::npos;
    if (!is_prefixed && element->namespace_uri == lmx::c_xml_reader::k_namespace_not_found)
        element->namespace_uri.clear();
    element->line = reader.get_line_no();
    return lmx::ELMX_OK;
}

}  // namespace dravik_xml
