// What bench_peers asks of one schema's bound classes, for our binding and for C++/Tree alike, so
// that the measuring code sees neither set of generated classes (they compile with different
// flags) and a new schema is one more pair of bindings.
#ifndef BENCH_PEERS_BINDINGS_H
#define BENCH_PEERS_BINDINGS_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace peers {

// Named values read from a bound document (counts and checksums), compared between bindings.
using Values = std::map<std::string, std::uint64_t>;

// One bound document kept in memory so that writing it can be timed on its own.
class LoadedDocument {
public:
    virtual ~LoadedDocument() = default;
    virtual std::string write() const = 0;
};

// Every operation throws std::runtime_error when the document does not parse or bind.
struct Binding {
    // Parses and binds the text, then drops the objects: the whole cost of reading a document.
    std::function<void(const std::string& text)> parse;
    // The same with the document checked against the schema; only C++/Tree has this mode.
    std::function<void(const std::string& text)> parse_validating;
    std::function<Values(const std::string& text)> read_values;
    std::function<std::unique_ptr<LoadedDocument>(const std::string& text)> load;
};

// Our binding and C++/Tree's for the Flash call, the settings document and a messaging document
// (a toolbar).
Binding our_flash_binding();
Binding our_settings_binding();
Binding our_toolbar_binding();
Binding tree_flash_binding();
Binding tree_settings_binding();
Binding tree_toolbar_binding();

// Adds a string's characters to a checksum that does not depend on the order of the strings, so
// that bindings that keep a choice's elements in separate lists still agree. The documents are
// ASCII, so UTF-8 bytes and wide characters give the same sum.
template <typename Text>
void add_text(const Text& text, std::uint64_t* checksum) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (auto character : text) {
        hash = (hash ^ static_cast<std::uint64_t>(character)) * 1099511628211ull;
    }
    *checksum += hash;
}

}  // namespace peers

#endif  // BENCH_PEERS_BINDINGS_H
