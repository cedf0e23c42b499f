// A reader over a document's bytes that keeps every error the load reports and lets the load
// go on, so one run shows all the problems of a file rather than only the first.
#ifndef DRAVIK_XML_RECORDING_READER_H
#define DRAVIK_XML_RECORDING_READER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lmx/reading/reader.h"

namespace dravik_xml {

struct document_error {
    lmx::elmx_error code;
    std::string item;
    int line;
};

class recording_reader : public lmx::c_xml_reader_memory {
public:
    // Past this many errors the load stops: later ones mostly follow from earlier ones.
    static constexpr std::size_t k_max_errors = 20;

    // The bytes must outlive the reader.
    explicit recording_reader(std::string_view bytes);

    lmx::elmx_error user_handle_error(lmx::elmx_error code, const std::string& item,
                                      const char* source_file, int line) override;

    // Records the outcome of a load or read when no report has covered it.
    void record_outcome(lmx::elmx_error code);
    const std::vector<document_error>& errors() const { return m_errors; }
    bool has_errors() const { return !m_errors.empty(); }
    bool is_full() const { return m_errors.size() >= k_max_errors; }

private:
    std::vector<document_error> m_errors;
};

}  // namespace dravik_xml

#endif  // DRAVIK_XML_RECORDING_READER_H
