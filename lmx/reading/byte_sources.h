// Byte sources: where the reader takes the bytes of a document from.
#ifndef LMX_BYTE_SOURCES_H
#define LMX_BYTE_SOURCES_H

#include <cstdio>
#include <string>

namespace lmx {

// An abstract source of bytes; read() gives 0..255, or -1 at the end.
class c_read {
public:
    virtual bool is_open() const { return true; }
    virtual int read() = 0;
    virtual const char* get_source_id() { return nullptr; }
    virtual void rewind() = 0;
    virtual ~c_read() = default;
    // Whether the last -1 from read() was a failure of the medium rather than the end.
    virtual bool has_read_error() const { return false; }
    // A source whose bytes are all in memory says where, so that they can be read without a
    // call per byte; reading them that way is the same as calling read() for each.
    virtual bool get_bytes_in_memory(const unsigned char** begin, const unsigned char** end) const {
        (void)begin;
        (void)end;
        return false;
    }
};

// Reads a caller's buffer in place; the buffer is not copied and must outlive the source.
class c_read_memory : public c_read {
public:
    c_read_memory(const char* data, unsigned int length);
    int read() override;
    void rewind() override { m_current = m_start; }
    bool get_bytes_in_memory(const unsigned char** begin,
                             const unsigned char** end) const override {
        *begin = m_start;
        *end = m_end;
        return true;
    }

private:
    const unsigned char* m_start;
    const unsigned char* m_current;
    const unsigned char* m_end;
};

// Reads a string's own buffer in place; the string must stay alive and unchanged while in use.
class c_read_string : public c_read_memory {
public:
    explicit c_read_string(const std::string& text);
};

// Reads a file in blocks of 512 bytes. The stream is closed when the source is destroyed,
// also one handed in by the caller, unless leave_file_open_on_delete(true) was called.
class c_read_file : public c_read {
public:
    explicit c_read_file(const char* file_name);
    explicit c_read_file(const wchar_t* file_name);
    explicit c_read_file(std::FILE* stream);
    c_read_file(const c_read_file&) = delete;
    c_read_file& operator=(const c_read_file&) = delete;
    ~c_read_file() override;

    bool is_open() const override { return m_file != nullptr; }
    int read() override;
    const char* get_source_id() override { return m_source_id.c_str(); }
    void rewind() override;
    bool has_read_error() const override { return m_read_error; }

    void leave_file_open_on_delete(bool leave) { m_close_on_delete = !leave; }
    void close();

private:
    static constexpr unsigned int k_buffer_size = 512;

    std::string m_source_id;
    std::FILE* m_file = nullptr;
    bool m_close_on_delete = true;
    unsigned char m_buffer[k_buffer_size];
    unsigned int m_buffered = 0;
    unsigned int m_next = 0;
    bool m_read_error = false;
};

}  // namespace lmx

#endif  // LMX_BYTE_SOURCES_H
