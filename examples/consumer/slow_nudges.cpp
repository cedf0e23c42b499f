// Loads a settings file, doubles every messenger plugin's nudge delay, and saves the file.
// Usage: slow_nudges SETTINGS.xml
#include <cstdio>
#include <string>

#include "Generated/DravikSettings.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: slow_nudges SETTINGS.xml\n");
        return 2;
    }
    const char* file = argv[1];
    lmx::elmx_error error = lmx::ELMX_OK;
    DravikSettings::c_root root(file, &error);
    if (error != lmx::ELMX_OK) {
        std::fprintf(stderr, "%s: %s\n", file, lmx::get_error_description(error));
        return 1;
    }
    if (root.getchosen() != DravikSettings::c_root::chosen_Settings) {
        std::fprintf(stderr, "%s: not a Settings document\n", file);
        return 1;
    }
    auto& plugins = root.get_Settings().get_Plugins();
    for (unsigned int i = 0; i < plugins.size_Plugin(); ++i) {
        auto& plugin = plugins.get_Plugin(i);
        const unsigned int delay = plugin.get_NudgeDelay();  // the default when the file has none
        plugin.set_NudgeDelay(delay * 2);
        std::string name;
        lmx::convert(&name, plugin.get_Name());
        std::printf("%s: nudge delay %u -> %u\n", name.c_str(), delay, delay * 2);
    }
    error = root.marshal(file);
    if (error != lmx::ELMX_OK) {
        std::fprintf(stderr, "%s: not saved: %s\n", file, lmx::get_error_description(error));
        return 1;
    }
    return 0;
}
