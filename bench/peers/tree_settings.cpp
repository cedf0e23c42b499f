// C++/Tree's classes for the settings document behind the bench's Binding interface.
#include <sstream>

#include "bindings.h"
#include "tree/DravikSettings.hxx"
#include "tree_common.h"

namespace peers {
namespace {

const char k_settings_namespace[] = "http://www.dravik.example/schemas";

std::unique_ptr<settings_tree::Settings> parse(const std::string& text, bool validate) {
    start_xerces();
    xml_schema::properties properties;
    unsigned long flags = xml_schema::flags::dont_initialize;
    if (validate) {
        properties.schema_location(k_settings_namespace, schema_uri("DravikSettings.xsd"));
    } else {
        flags |= xml_schema::flags::dont_validate;
    }
    auto input = memory_input(text);
    try {
        return settings_tree::Settings_(input, flags, properties);
    } catch (const xml_schema::exception& error) {
        throw_tree_error(error);
    }
}

void add_parameters(const settings_tree::ParametersSetType& parameters, Values* values) {
    for (const auto& parameter : parameters.Parameter()) {
        ++(*values)["parameters"];
        add_text(parameter.name(), &(*values)["checksum of parameter names"]);
        add_text(parameter.Value(), &(*values)["checksum of parameter values"]);
    }
}

Values read_values(const std::string& text) {
    const auto settings = parse(text, true);
    Values values;
    const auto& plugins = settings->Plugins().Plugin();
    values["plugins"] = plugins.size();
    for (const auto& plugin : plugins) {
        add_text(plugin.Name(), &values["checksum of plugin names"]);
        if (plugin.NudgeDelay()) values["sum of nudge delays"] += *plugin.NudgeDelay();
        if (plugin.AwayMsgText()) {
            add_text(*plugin.AwayMsgText(), &values["checksum of away messages"]);
        }
    }
    if (settings->Main().LoginPeriod()) values["login period"] = *settings->Main().LoginPeriod();
    if (settings->WebSettings()) add_parameters(*settings->WebSettings(), &values);
    if (settings->NonPermanentSettings())
        add_parameters(*settings->NonPermanentSettings(), &values);
    return values;
}

void write(std::ostream& out, const settings_tree::Settings& settings) {
    xml_schema::namespace_infomap namespaces;
    namespaces[""].name = k_settings_namespace;
    try {
        settings_tree::Settings_(out, settings, namespaces, "UTF-8",
                                 xml_schema::flags::dont_initialize);
    } catch (const xml_schema::exception& error) {
        throw_tree_error(error);
    }
}

}  // namespace

Binding tree_settings_binding() {
    return tree_binding(parse, read_values, write);
}

}  // namespace peers
