// Parsing and writing large messaging documents through the root: a toolbar of many buttons, an
// emoticon of many resources, a command set of many commands and a local messages document.
// All must grow linearly with the count.
// Usage: messaging_scale [buttons]   (default 20000, about 10 MB each; a tenth is timed too)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Generated/lmx.h"
#include "peers/documents.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool measure(const char* what, const std::string& text) {
    auto start = std::chrono::steady_clock::now();
    dravik_lmx::c_root root;
    if (root.unmarshal(text) != lmx::ELMX_OK) return false;
    const double parse = seconds_since(start);
    start = std::chrono::steady_clock::now();
    std::string out;
    if (root.marshal(&out) != lmx::ELMX_OK) return false;
    const double write = seconds_since(start);
    std::printf("%-28s %9zu bytes: parse %.3f s (%.0f MB/s), write %.3f s (%.0f MB/s)\n", what,
                text.size(), parse, text.size() / parse / 1e6, write, out.size() / write / 1e6);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned buttons = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 20000;
    struct kind {
        const char* name;
        unsigned count;
        std::string (*make)(unsigned);
    };
    const kind kinds[] = {
        {"toolbar buttons", buttons, peers::make_toolbar_document},
        {"emoticon resources", buttons * 3, peers::make_resources_document},
        {"commands", buttons * 5, peers::make_commands_document},
        {"local messages", buttons * 3 / 2, peers::make_local_messages_document},
    };
    for (const kind& k : kinds) {
        for (unsigned scale : {10u, 1u}) {
            const std::string what = std::to_string(k.count / scale) + " " + k.name;
            if (!measure(what.c_str(), k.make(k.count / scale))) return 1;
        }
    }
    return 0;
}
