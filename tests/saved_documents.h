// What the document suites share: temporary files, and validation of every saved document
// against the schema file it was generated from.
#ifndef LMX_TESTS_SAVED_DOCUMENTS_H
#define LMX_TESTS_SAVED_DOCUMENTS_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "lmx/runtime.h"

namespace lmx_test {

// Named after the process too: suites run in parallel, and other checkouts may run them at once.
inline std::string temporary_path(const std::string& name) {
    return ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// schema_file is a file name in the repository's schemas folder.
inline void expect_valid(const std::string& document, const std::string& schema_file) {
    const std::string data = LMX_TEST_DATA_DIR;
    const std::string schema = data.substr(0, data.rfind("/tests/")) + "/schemas/" + schema_file;
    const std::string path = temporary_path(schema_file + ".validate.xml");
    std::ofstream(path, std::ios::binary) << document;
    const std::string command =
        "xmllint --noout --schema '" + schema + "' '" + path + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << document;
    std::remove(path.c_str());
}

// The text a document root saves, which must save.
template <typename Root>
std::string saved(const Root& root) {
    std::string text;
    EXPECT_EQ(root.marshal(&text), lmx::ELMX_OK);
    return text;
}

// "ok", or the reader's own account of a failed load: "line:N-'item'-description".
template <typename Root>
std::string load_message(const std::string& text, Root* root) {
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    if (root->unmarshal(reader) == lmx::ELMX_OK) return "ok";
    std::string message;
    return *reader.get_error_message(&message);
}

template <typename Root>
std::string load_message(const std::string& text) {
    Root root;
    return load_message(text, &root);
}

// The account load_message gives of a failure.
inline std::string message(int line, const std::string& item, lmx::elmx_error code) {
    return "line:" + std::to_string(line) + "-'" + item + "'-" + lmx::get_error_description(code);
}

}  // namespace lmx_test

#endif  // LMX_TESTS_SAVED_DOCUMENTS_H
