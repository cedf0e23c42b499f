// C++/Tree's classes for the Flash call behind the bench's Binding interface. C++/Tree keeps the
// arguments' choice as one list per element name, so the values compared are those that do not
// depend on the order of the arguments.
#include <sstream>

#include "bindings.h"
#include "tree/flash.hxx"
#include "tree_common.h"

namespace peers {
namespace {

void add_array(const flash_tree::FlashArrayType& array, Values* values);
void add_object(const flash_tree::FlashObjectType& object, Values* values);

// A property holds one value of the choice, each as an optional member.
template <typename Property>
void add_property_value(const Property& property, Values* values) {
    if (property.null()) ++(*values)["null"];
    if (property.true_()) ++(*values)["true"];
    if (property.false_()) ++(*values)["false"];
    if (property.string()) {
        ++(*values)["strings"];
        add_text(*property.string(), &(*values)["checksum of strings"]);
    }
    if (property.number()) {
        ++(*values)["numbers"];
        (*values)["sum of numbers"] += static_cast<std::uint64_t>(*property.number());
    }
    if (property.array()) add_array(*property.array(), values);
    if (property.object()) add_object(*property.object(), values);
}

void add_array(const flash_tree::FlashArrayType& array, Values* values) {
    ++(*values)["arrays"];
    for (const auto& property : array.property()) {
        ++(*values)["properties"];
        (*values)["sum of array ids"] += static_cast<std::uint64_t>(property.id());
        add_property_value(property, values);
    }
}

void add_object(const flash_tree::FlashObjectType& object, Values* values) {
    ++(*values)["objects"];
    for (const auto& property : object.property()) {
        ++(*values)["properties"];
        add_text(property.id(), &(*values)["checksum of object ids"]);
        add_property_value(property, values);
    }
}

std::unique_ptr<flash_tree::FlashInvokeType> parse(const std::string& text, bool validate) {
    start_xerces();
    xml_schema::properties properties;
    unsigned long flags = xml_schema::flags::dont_initialize;
    if (validate) {
        properties.no_namespace_schema_location(schema_uri("flash.xsd"));
    } else {
        flags |= xml_schema::flags::dont_validate;
    }
    auto input = memory_input(text);
    try {
        return flash_tree::invoke(input, flags, properties);
    } catch (const xml_schema::exception& error) {
        throw_tree_error(error);
    }
}

Values read_values(const std::string& text) {
    const auto invoke = parse(text, true);
    Values values;
    add_text(invoke->name(), &values["checksum of the name"]);
    if (!invoke->arguments()) return values;
    const flash_tree::arguments& arguments = *invoke->arguments();
    values["arguments"] = arguments.null().size() + arguments.true_().size() +
                          arguments.false_().size() + arguments.string().size() +
                          arguments.number().size() + arguments.array().size() +
                          arguments.object().size();
    // Only the names that occur, as ours counts them.
    if (!arguments.null().empty()) values["null"] += arguments.null().size();
    if (!arguments.true_().empty()) values["true"] += arguments.true_().size();
    if (!arguments.false_().empty()) values["false"] += arguments.false_().size();
    for (const auto& string : arguments.string()) {
        ++values["strings"];
        add_text(string, &values["checksum of strings"]);
    }
    for (const auto number : arguments.number()) {
        ++values["numbers"];
        values["sum of numbers"] += static_cast<std::uint64_t>(number);
    }
    for (const auto& array : arguments.array())
        add_array(array, &values);
    for (const auto& object : arguments.object())
        add_object(object, &values);
    return values;
}

void write(std::ostream& out, const flash_tree::FlashInvokeType& invoke) {
    try {
        flash_tree::invoke(out, invoke, xml_schema::namespace_infomap(), "UTF-8",
                           xml_schema::flags::dont_initialize);
    } catch (const xml_schema::exception& error) {
        throw_tree_error(error);
    }
}

}  // namespace

Binding tree_flash_binding() {
    return tree_binding(parse, read_values, write);
}

}  // namespace peers
