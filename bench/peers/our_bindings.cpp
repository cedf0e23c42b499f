// Our bound classes behind the bench's Binding interface.
#include <stdexcept>
#include <string>

#include "Generated/DravikSettings.h"
#include "Generated/flash-FlashArrayType.h"
#include "Generated/flash-FlashClass.h"
#include "Generated/flash-FlashObjectType.h"
#include "Generated/flash-invoke.h"
#include "Generated/lmx.h"
#include "bindings.h"

namespace peers {
namespace {

void check(lmx::elmx_error error, const char* what) {
    if (error != lmx::ELMX_OK) {
        throw std::runtime_error(std::string("ours: ") + what + ": " +
                                 lmx::get_error_description(error));
    }
}

void add_flash_value(const flash_lmx::c_FlashClass& value, Values* values) {
    using flash_lmx::c_FlashClass;
    switch (value.getchosen()) {
        case c_FlashClass::chosen_null:
            ++(*values)["null"];
            break;
        case c_FlashClass::chosen_true:
            ++(*values)["true"];
            break;
        case c_FlashClass::chosen_false:
            ++(*values)["false"];
            break;
        case c_FlashClass::chosen_string:
            ++(*values)["strings"];
            add_text(value.get_string(), &(*values)["checksum of strings"]);
            break;
        case c_FlashClass::chosen_number:
            ++(*values)["numbers"];
            (*values)["sum of numbers"] += static_cast<std::uint64_t>(value.get_number());
            break;
        case c_FlashClass::chosen_array: {
            ++(*values)["arrays"];
            const flash_lmx::c_FlashArrayType& array = value.get_array();
            for (unsigned i = 0; i < array.size_property(); ++i) {
                ++(*values)["properties"];
                (*values)["sum of array ids"] +=
                    static_cast<std::uint64_t>(array.get_property(i).get_id());
                add_flash_value(array.get_property(i).get_FlashClass(), values);
            }
            break;
        }
        case c_FlashClass::chosen_object: {
            ++(*values)["objects"];
            const flash_lmx::c_FlashObjectType& object = value.get_object();
            for (unsigned i = 0; i < object.size_property(); ++i) {
                ++(*values)["properties"];
                add_text(object.get_property(i).get_id(), &(*values)["checksum of object ids"]);
                add_flash_value(object.get_property(i).get_FlashClass(), values);
            }
            break;
        }
        case c_FlashClass::chosen_none:
            throw std::runtime_error("ours: an argument without a value");
    }
}

Values flash_values(const std::string& text) {
    lmx::elmx_error error = lmx::ELMX_OK;
    const flash_lmx::c_invoke invoke(text, &error);
    check(error, "Flash call");
    Values values;
    add_text(invoke.get_name(), &values["checksum of the name"]);
    const auto& arguments = invoke.get_arguments();
    values["arguments"] = arguments.size_FlashClass();
    for (unsigned i = 0; i < arguments.size_FlashClass(); ++i) {
        add_flash_value(arguments.get_FlashClass(i), &values);
    }
    return values;
}

void add_parameters(const DravikSettings::c_ParametersSetType& parameters, Values* values) {
    for (unsigned i = 0; i < parameters.size_Parameter(); ++i) {
        const DravikSettings::c_Parameter& parameter = parameters.get_Parameter(i);
        ++(*values)["parameters"];
        add_text(parameter.get_name(), &(*values)["checksum of parameter names"]);
        add_text(parameter.get_Value(), &(*values)["checksum of parameter values"]);
    }
}

Values settings_values(const std::string& text) {
    lmx::elmx_error error = lmx::ELMX_OK;
    const DravikSettings::c_root root(text, &error);
    check(error, "settings document");
    if (root.getchosen() != DravikSettings::c_root::chosen_Settings) {
        throw std::runtime_error("ours: the document is not Settings");
    }
    const DravikSettings::c_Settings& settings = root.get_Settings();
    Values values;
    const auto& plugins = settings.get_Plugins();
    values["plugins"] = plugins.size_Plugin();
    for (unsigned i = 0; i < plugins.size_Plugin(); ++i) {
        const auto& plugin = plugins.get_Plugin(i);
        add_text(plugin.get_Name(), &values["checksum of plugin names"]);
        // Only the values the document gives: C++/Tree has no defaults for absent elements.
        if (plugin.isset_NudgeDelay()) values["sum of nudge delays"] += plugin.get_NudgeDelay();
        if (plugin.isset_AwayMsgText()) {
            add_text(plugin.get_AwayMsgText(), &values["checksum of away messages"]);
        }
    }
    values["login period"] = settings.get_Main().get_LoginPeriod();
    if (settings.isset_WebSettings()) add_parameters(settings.get_WebSettings(), &values);
    if (settings.isset_NonPermanentSettings()) {
        add_parameters(settings.get_NonPermanentSettings(), &values);
    }
    return values;
}

Values toolbar_values(const std::string& text) {
    lmx::elmx_error error = lmx::ELMX_OK;
    const dravik_lmx::c_root root(text, &error);
    check(error, "toolbar");
    if (root.getchosen() != dravik_lmx::c_root::chosen_Toolbar) {
        throw std::runtime_error("ours: the document is not a Toolbar");
    }
    const dravik_lmx::c_ToolbarType& toolbar = root.get_Toolbar();
    Values values;
    const auto& elements = toolbar.get_ToolbarElements();
    for (unsigned i = 0; i < elements.size_ToolbarElement(); ++i) {
        const auto& element = elements.get_ToolbarElement(i);
        if (element.getchosen() != element.chosen_Button) {
            ++values["separators"];
            continue;
        }
        const auto& button = element.get_Button();
        ++values["buttons"];
        add_text(button.get_MnemonicID(), &values["checksum of mnemonic ids"]);
        if (button.isset_Text()) add_text(button.get_Text(), &values["checksum of texts"]);
        if (button.isset_Width()) values["sum of widths"] += button.get_Width();
    }
    if (toolbar.isset_Height()) values["height"] = toolbar.get_Height();
    return values;
}

template <typename Root>
class OurLoadedDocument : public LoadedDocument {
public:
    explicit OurLoadedDocument(const std::string& text) { check(root_.unmarshal(text), "loading"); }
    std::string write() const override {
        std::string text;
        check(root_.marshal(&text), "writing");
        return text;
    }

private:
    Root root_;
};

template <typename Root>
Binding our_binding(Values (*read_values)(const std::string&)) {
    Binding binding;
    binding.parse = [](const std::string& text) {
        lmx::elmx_error error = lmx::ELMX_OK;
        const Root root(text, &error);
        check(error, "parsing");
    };
    binding.read_values = read_values;
    binding.load = [](const std::string& text) -> std::unique_ptr<LoadedDocument> {
        return std::make_unique<OurLoadedDocument<Root>>(text);
    };
    return binding;
}

}  // namespace

Binding our_flash_binding() {
    return our_binding<flash_lmx::c_invoke>(flash_values);
}

Binding our_settings_binding() {
    return our_binding<DravikSettings::c_root>(settings_values);
}

Binding our_toolbar_binding() {
    return our_binding<dravik_lmx::c_root>(toolbar_values);
}

}  // namespace peers
