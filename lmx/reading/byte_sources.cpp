#include "lmx/reading/byte_sources.h"

#include "lmx/reading/utf8_getter.h"

namespace lmx {

c_read_memory::c_read_memory(const char* data, unsigned int length)
    : m_start(reinterpret_cast<const unsigned char*>(data)),
      m_current(m_start),
      m_end(m_start + length) {}

int c_read_memory::read() {
    if (m_current >= m_end) return -1;
    return *m_current++;
}

c_read_string::c_read_string(const std::string& text)
    : c_read_memory(text.data(), static_cast<unsigned int>(text.size())) {}

c_read_file::c_read_file(const char* file_name)
    : m_source_id(file_name ? file_name : ""),
      m_file(file_name ? std::fopen(file_name, "rb") : nullptr) {}

c_read_file::c_read_file(const wchar_t* file_name) {
    if (!file_name) return;
    // Each 16-bit unit is encoded on its own, as the source id has always been formed.
    char utf8[8];
    for (const wchar_t* unit = file_name; *unit; ++unit)
        m_source_id += unicode_char_to_utf8(static_cast<int>(*unit & 0xFFFF), utf8);
    // There is no wide-name open call on this platform: file names are UTF-8 bytes.
    std::string name;
    for (const wchar_t* unit = file_name; *unit; ++unit) {
        int code = static_cast<int>(*unit);
        if (code >= 0xD800 && code <= 0xDBFF && unit[1] >= 0xDC00 && unit[1] <= 0xDFFF) {
            code = 0x10000 + ((code & 0x3FF) << 10) + (static_cast<int>(unit[1]) & 0x3FF);
            ++unit;
        }
        name += unicode_char_to_utf8(code, utf8);
    }
    m_file = std::fopen(name.c_str(), "rb");
}

c_read_file::c_read_file(std::FILE* stream) : m_file(stream) {}

c_read_file::~c_read_file() {
    if (m_close_on_delete) close();
}

int c_read_file::read() {
    if (m_next >= m_buffered) {
        if (!m_file) return -1;
        m_buffered = static_cast<unsigned int>(std::fread(m_buffer, 1, k_buffer_size, m_file));
        m_next = 0;
        if (m_buffered == 0) {
            m_read_error = std::ferror(m_file) != 0;
            return -1;
        }
    }
    return m_buffer[m_next++];
}

void c_read_file::rewind() {
    if (m_file) {
        std::clearerr(m_file);
        std::fseek(m_file, 0, SEEK_SET);
    }
    m_read_error = false;
    m_buffered = 0;
    m_next = 0;
}

void c_read_file::close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

}  // namespace lmx
