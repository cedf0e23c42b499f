// What the two C++/Tree bindings share: Xerces-C started once for the whole run (C++/Tree would
// otherwise start and stop it on every call, which is not what a program that reads many
// documents pays), in-memory input, and its errors turned into the bench's.
#ifndef BENCH_PEERS_TREE_COMMON_H
#define BENCH_PEERS_TREE_COMMON_H

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "bindings.h"

namespace peers {

inline void start_xerces() {
    struct Xerces {
        Xerces() { xercesc::XMLPlatformUtils::Initialize(); }
        ~Xerces() { xercesc::XMLPlatformUtils::Terminate(); }
    };
    static Xerces xerces;
}

inline xercesc::MemBufInputSource memory_input(const std::string& text) {
    return xercesc::MemBufInputSource(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                      "document", false);
}

// The schema's own file, so that validation needs no schemaLocation in the documents.
inline std::string schema_uri(const char* file_name) {
    return std::string("file://") + PEERS_SCHEMA_DIR + "/" + file_name;
}

template <typename Exception>
[[noreturn]] void throw_tree_error(const Exception& error) {
    std::ostringstream message;
    message << "C++/Tree: " << error;
    throw std::runtime_error(message.str());
}

// A document C++/Tree has read, kept so that serialising it can be timed on its own.
template <typename Root, typename Write>
class TreeDocument : public LoadedDocument {
public:
    TreeDocument(std::unique_ptr<Root> root, Write write)
        : root_(std::move(root)), write_(std::move(write)) {}
    std::string write() const override {
        std::ostringstream out;
        write_(out, *root_);
        return out.str();
    }

private:
    std::unique_ptr<Root> root_;
    Write write_;
};

// The Binding of one schema's C++/Tree classes: parse(text, validate) returns the root object,
// write(stream, root) serialises it; both throw std::runtime_error on failure.
template <typename Parse, typename Write>
Binding tree_binding(Parse parse, Values (*read_values)(const std::string&), Write write) {
    Binding binding;
    binding.parse = [parse](const std::string& text) { parse(text, false); };
    binding.parse_validating = [parse](const std::string& text) { parse(text, true); };
    binding.read_values = read_values;
    binding.load = [parse, write](const std::string& text) -> std::unique_ptr<LoadedDocument> {
        auto root = parse(text, false);
        using Root = typename decltype(root)::element_type;
        return std::make_unique<TreeDocument<Root, Write>>(std::move(root), write);
    };
    return binding;
}

}  // namespace peers

#endif  // BENCH_PEERS_TREE_COMMON_H
