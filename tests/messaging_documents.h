// What the messaging suites share: documents in the target namespace, loading
// through dravik_lmx::c_root with the reader's own account of a failure, and saving.
#ifndef LMX_TESTS_MESSAGING_DOCUMENTS_H
#define LMX_TESTS_MESSAGING_DOCUMENTS_H

#include <gtest/gtest.h>

#include <string>

#include "Generated/lmx.h"
#include "saved_documents.h"

namespace messaging_test {

const std::string k_declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string k_ns = " xmlns=\"http://www.dravik.example/schemas\"";

// The element on line 2, its content from there on.
inline std::string document(const std::string& element, const std::string& attributes,
                            const std::string& content) {
    return k_declaration + "<" + element + k_ns + attributes + ">" + content + "</" + element +
           ">\n";
}

inline std::string document(const std::string& element, const std::string& content) {
    return document(element, "", content);
}

using lmx_test::load_message;
using lmx_test::message;
using lmx_test::saved;

inline std::string load_message(const std::string& text) {
    return lmx_test::load_message<dravik_lmx::c_root>(text);
}

// Saving, reloading and saving again gives the same text, and the text validates; returns it.
inline std::string round_trip(const dravik_lmx::c_root& root) {
    const std::string text = saved(root);
    dravik_lmx::c_root again;
    EXPECT_EQ(load_message(text, &again), "ok") << text;
    EXPECT_EQ(saved(again), text);
    lmx_test::expect_valid(text, "dravik.xsd");
    return text;
}

}  // namespace messaging_test

#endif  // LMX_TESTS_MESSAGING_DOCUMENTS_H
