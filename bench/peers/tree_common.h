// What the two C++/Tree bindings share: Xerces-C started once for the whole run (C++/Tree would
// otherwise start and stop it on every call, which is not what a program that reads many
// documents pays), in-memory input, and its errors turned into the bench's.
#ifndef BENCH_PEERS_TREE_COMMON_H
#define BENCH_PEERS_TREE_COMMON_H

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <sstream>
#include <stdexcept>
#include <string>

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

}  // namespace peers

#endif  // BENCH_PEERS_TREE_COMMON_H
