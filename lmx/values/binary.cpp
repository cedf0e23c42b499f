#include "lmx/values/binary.h"

#include <cstdint>
#include <cstring>
#include <ostream>

#include "lmx/values/char_classes.h"

namespace lmx {

namespace {

constexpr char k_base64_alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char k_hex_digits[] = "0123456789ABCDEF";
constexpr std::int8_t k_not_in_alphabet = -1;

struct decode_table {
    std::int8_t base64[256];
    std::int8_t hex[256];
    constexpr decode_table() : base64(), hex() {
        for (int c = 0; c < 256; ++c) {
            base64[c] = k_not_in_alphabet;
            hex[c] = k_not_in_alphabet;
        }
        for (int i = 0; i < 64; ++i)
            base64[static_cast<unsigned char>(k_base64_alphabet[i])] = static_cast<std::int8_t>(i);
        for (int i = 0; i < 10; ++i)
            hex['0' + i] = static_cast<std::int8_t>(i);
        for (int i = 0; i < 6; ++i) {
            hex['a' + i] = static_cast<std::int8_t>(10 + i);
            hex['A' + i] = static_cast<std::int8_t>(10 + i);
        }
    }
};

constexpr decode_table k_decode{};

int base64_value(char c) {
    return k_decode.base64[static_cast<unsigned char>(c)];
}
int hex_value(char c) {
    return k_decode.hex[static_cast<unsigned char>(c)];
}
bool is_space(char c) {
    return is_xml_space(static_cast<unsigned char>(c));
}

// Collects encoded characters and hands them to the stream in large blocks rather than one
// formatted insertion per character.
class chunked_writer {
public:
    explicit chunked_writer(std::ostream& os) : m_os(os) {}
    chunked_writer(const chunked_writer&) = delete;
    chunked_writer& operator=(const chunked_writer&) = delete;

    // Room for at least `count` (at most k_size) more characters.
    char* reserve(std::size_t count) {
        if (m_used + count > k_size) flush();
        return m_buffer + m_used;
    }
    void commit(std::size_t count) { m_used += count; }
    // Called explicitly rather than from a destructor: the stream may throw.
    void flush() {
        if (m_used) m_os.write(m_buffer, static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

private:
    static constexpr std::size_t k_size = 4096;

    std::ostream& m_os;
    char m_buffer[k_size];
    std::size_t m_used = 0;
};

}  // namespace

void c_binary::set(const unsigned char* bytes, std::size_t count) {
    if (count == 0) {
        m_bytes.clear();
        return;
    }
    m_bytes.assign(bytes, bytes + count);
}

unsigned char* c_binary::get(unsigned char* buffer, std::size_t capacity) const {
    const std::size_t count = capacity < m_bytes.size() ? capacity : m_bytes.size();
    if (count) std::memcpy(buffer, m_bytes.data(), count);
    return buffer;
}

bool c_binary::equal(const unsigned char* bytes, std::size_t count) const {
    if (count != m_bytes.size()) return false;
    return count == 0 || std::memcmp(bytes, m_bytes.data(), count) == 0;
}

bool c_binary::is_valid_hex(const std::string& text) {
    if (text.size() % 2 != 0) return false;
    for (char c : text)
        if (hex_value(c) == k_not_in_alphabet) return false;
    return true;
}

bool c_binary::is_valid_base64(const std::string& text) {
    if (text.empty()) return true;
    std::size_t scanned = 0;
    std::size_t characters = 0;
    for (; scanned < text.size(); ++scanned) {
        const char c = text[scanned];
        if (base64_value(c) != k_not_in_alphabet) {
            ++characters;
        } else if (!is_space(c)) {
            break;
        }
    }
    const std::size_t unscanned = text.size() - scanned;
    if (scanned < 2 || unscanned > 2) return false;
    if ((unscanned + characters) % 4 != 0) return false;
    for (std::size_t i = scanned; i < text.size(); ++i) {
        if (is_space(text[i])) return true;
        if (text[i] != '=') return false;
    }
    return true;
}

void c_binary::from_hex(const std::string& text) {
    std::vector<unsigned char> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // Characters outside the digits are misread as 0; callers check first.
        const int high = hex_value(text[2 * i]);
        const int low = hex_value(text[2 * i + 1]);
        bytes[i] = static_cast<unsigned char>(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
    }
    m_bytes.swap(bytes);
}

void c_binary::from_base64(const std::string& text) {
    std::vector<unsigned char> bytes(text.size() / 4 * 3 + 3);
    std::size_t used = 0;
    std::uint32_t group = 0;
    int gathered = 0;
    for (char c : text) {
        const int value = base64_value(c);
        if (value == k_not_in_alphabet) continue;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++gathered == 4) {
            bytes[used++] = static_cast<unsigned char>(group >> 16);
            bytes[used++] = static_cast<unsigned char>(group >> 8);
            bytes[used++] = static_cast<unsigned char>(group);
            group = 0;
            gathered = 0;
        }
    }
    switch (gathered) {
        case 1:  // six bits followed by zeros
            bytes[used++] = static_cast<unsigned char>(group << 2);
            break;
        case 2:
            bytes[used++] = static_cast<unsigned char>(group >> 4);
            break;
        case 3:
            bytes[used++] = static_cast<unsigned char>(group >> 10);
            bytes[used++] = static_cast<unsigned char>(group >> 2);
            break;
        default:
            break;
    }
    bytes.resize(used);
    m_bytes.swap(bytes);
}

std::ostream& c_binary::out_hex(std::ostream& os) const {
    chunked_writer writer(os);
    for (unsigned char byte : m_bytes) {
        char* out = writer.reserve(2);
        out[0] = k_hex_digits[byte >> 4];
        out[1] = k_hex_digits[byte & 0x0F];
        writer.commit(2);
    }
    writer.flush();
    return os;
}

std::ostream& c_binary::out_base64(std::ostream& os) const {
    chunked_writer writer(os);
    const std::size_t size = m_bytes.size();
    const unsigned char* bytes = m_bytes.data();
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t group =
            (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
        char* out = writer.reserve(4);
        out[0] = k_base64_alphabet[(group >> 18) & 0x3F];
        out[1] = k_base64_alphabet[(group >> 12) & 0x3F];
        out[2] = k_base64_alphabet[(group >> 6) & 0x3F];
        out[3] = k_base64_alphabet[group & 0x3F];
        writer.commit(4);
    }
    const std::size_t rest = size - i;
    if (rest != 0) {
        const std::uint32_t group =
            (std::uint32_t{bytes[i]} << 16) | (rest == 2 ? std::uint32_t{bytes[i + 1]} << 8 : 0u);
        char* out = writer.reserve(4);
        out[0] = k_base64_alphabet[(group >> 18) & 0x3F];
        out[1] = k_base64_alphabet[(group >> 12) & 0x3F];
        out[2] = rest == 2 ? k_base64_alphabet[(group >> 6) & 0x3F] : '=';
        out[3] = '=';
        writer.commit(4);
    }
    writer.flush();
    return os;
}

}  // namespace lmx
