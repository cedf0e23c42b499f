// Binary values: the bytes of xs:base64Binary and xs:hexBinary, their checks, decoders and
// output wrappers.
#ifndef LMX_BINARY_H
#define LMX_BINARY_H

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace lmx {

class c_binary {
public:
    c_binary() = default;
    c_binary(const c_binary&) = default;
    c_binary(c_binary&&) noexcept = default;
    c_binary(const unsigned char* bytes, std::size_t count) { set(bytes, count); }
    ~c_binary() = default;

    c_binary& operator=(const c_binary&) = default;
    c_binary& operator=(c_binary&&) noexcept = default;
    void swap(c_binary& other) noexcept { m_bytes.swap(other.m_bytes); }

    void set(const unsigned char* bytes, std::size_t count);
    std::size_t size() const { return m_bytes.size(); }
    void append(unsigned char byte) { m_bytes.push_back(byte); }
    c_binary& operator+=(unsigned char byte) {
        append(byte);
        return *this;
    }

    // Throws std::out_of_range for an index not below size().
    unsigned char at(std::size_t index) const { return m_bytes.at(index); }
    unsigned char& at(std::size_t index) { return m_bytes.at(index); }
    // The index must be below size(); it is not checked.
    unsigned char operator[](std::size_t index) const { return m_bytes[index]; }
    unsigned char& operator[](std::size_t index) { return m_bytes[index]; }

    // Copies the first min(size(), capacity) bytes into buffer and returns buffer.
    unsigned char* get(unsigned char* buffer, std::size_t capacity) const;
    bool equal(const unsigned char* bytes, std::size_t count) const;

    // Even length and hexadecimal digits only; the empty text is valid.
    static bool is_valid_hex(const std::string& text);
    // Base64 with white space allowed among the characters and "=" padding to a multiple of
    // four; the empty text is valid.
    static bool is_valid_base64(const std::string& text);

    // The decoders replace the contents and never fail: check the text first. from_hex reads
    // pairs of digits and ignores an odd last character; from_base64 skips every character
    // outside the alphabet, white space and "=" included.
    void from_hex(const std::string& text);
    void from_base64(const std::string& text);

    // Upper-case hexadecimal and single-line padded base64; the stream's format state is left
    // as it was.
    std::ostream& out_hex(std::ostream& os) const;
    std::ostream& out_base64(std::ostream& os) const;

    friend bool operator==(const c_binary& a, const c_binary& b) { return a.m_bytes == b.m_bytes; }
    friend bool operator!=(const c_binary& a, const c_binary& b) { return a.m_bytes != b.m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
};

inline void swap(c_binary& a, c_binary& b) noexcept {
    a.swap(b);
}

// Output wrappers: `os << c_as_base64(value)`. Each holds a reference to the caller's value,
// which must outlive the wrapper.
class c_as_hex {
public:
    explicit c_as_hex(const c_binary& value) : m_value(value) {}
    const c_binary& value() const { return m_value; }

private:
    const c_binary& m_value;
};

class c_as_base64 {
public:
    explicit c_as_base64(const c_binary& value) : m_value(value) {}
    const c_binary& value() const { return m_value; }

private:
    const c_binary& m_value;
};

inline std::ostream& operator<<(std::ostream& os, const c_as_hex& wrapped) {
    return wrapped.value().out_hex(os);
}
inline std::ostream& operator<<(std::ostream& os, const c_as_base64& wrapped) {
    return wrapped.value().out_base64(os);
}

}  // namespace lmx

#endif  // LMX_BINARY_H
