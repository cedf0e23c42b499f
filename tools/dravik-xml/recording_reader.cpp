#include "recording_reader.h"

namespace dravik_xml {

recording_reader::recording_reader(std::string_view bytes)
    : c_xml_reader_memory(bytes.data(), static_cast<unsigned int>(bytes.size())) {}

lmx::elmx_error recording_reader::user_handle_error(lmx::elmx_error code, const std::string& item,
                                                    const char*, int) {
    if (is_full()) return code;
    m_errors.push_back({code, item, get_line_no()});
    return is_full() ? code : lmx::ELMX_OK;
}

void recording_reader::record_outcome(lmx::elmx_error code) {
    if (code == lmx::ELMX_OK || is_full()) return;
    if (!m_errors.empty() && m_errors.back().code == code) return;
    m_errors.push_back({code, get_error_item_name(), get_line_no()});
}

}  // namespace dravik_xml
