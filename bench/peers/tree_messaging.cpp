// C++/Tree's classes for a messaging document (a toolbar) behind the bench's Binding interface.
#include <sstream>

#include "bindings.h"
#include "tree/dravik-all.hxx"
#include "tree_common.h"

namespace peers {
namespace {

const char k_messaging_namespace[] = "http://www.dravik.example/schemas";

std::unique_ptr<messaging_tree::ToolbarType> parse(const std::string& text, bool validate) {
    start_xerces();
    xml_schema::properties properties;
    unsigned long flags = xml_schema::flags::dont_initialize;
    if (validate) {
        properties.schema_location(k_messaging_namespace, schema_uri("dravik.xsd"));
    } else {
        flags |= xml_schema::flags::dont_validate;
    }
    auto input = memory_input(text);
    try {
        return messaging_tree::Toolbar(input, flags, properties);
    } catch (const xml_schema::exception& error) {
        throw_tree_error(error);
    }
}

Values read_values(const std::string& text) {
    const auto toolbar = parse(text, true);
    Values values;
    for (const auto& element : toolbar->ToolbarElements().ToolbarElement()) {
        if (!element.Button()) {
            ++values["separators"];
            continue;
        }
        const auto& button = *element.Button();
        ++values["buttons"];
        add_text(button.MnemonicID(), &values["checksum of mnemonic ids"]);
        if (button.Text()) add_text(*button.Text(), &values["checksum of texts"]);
        if (button.Width()) values["sum of widths"] += *button.Width();
    }
    if (toolbar->Height()) values["height"] = *toolbar->Height();
    return values;
}

void write(std::ostream& out, const messaging_tree::ToolbarType& toolbar) {
    xml_schema::namespace_infomap namespaces;
    namespaces[""].name = k_messaging_namespace;
    try {
        messaging_tree::Toolbar(out, toolbar, namespaces, "UTF-8",
                                xml_schema::flags::dont_initialize);
    } catch (const xml_schema::exception& error) {
        throw_tree_error(error);
    }
}

}  // namespace

Binding tree_toolbar_binding() {
    return tree_binding(parse, read_values, write);
}

}  // namespace peers
