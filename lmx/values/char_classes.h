// Byte classes shared by the entity reader and the tokenizer: one table lookup per byte.
#ifndef LMX_CHAR_CLASSES_H
#define LMX_CHAR_CLASSES_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace lmx {

namespace char_class {

enum : std::uint8_t {
    k_space = 1,       // the C library's white space: space, \t, \n, \v, \f, \r
    k_name_start = 2,  // a letter, "_", ":" or any byte of 128 and above
    k_name_char = 4,   // a name-start byte, a digit, "." or "-"
    k_digit = 8,
    k_hex_digit = 16
};

constexpr std::uint8_t classify(int c) {
    std::uint8_t flags = 0;
    if (c == ' ' || (c >= '\t' && c <= '\r')) flags |= k_space;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (letter || c == '_' || c == ':' || c >= 128) flags |= k_name_start | k_name_char;
    if (digit || c == '.' || c == '-') flags |= k_name_char;
    if (digit) flags |= k_digit | k_hex_digit;
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) flags |= k_hex_digit;
    return flags;
}

struct table {
    std::uint8_t flags[256];
    constexpr table() : flags() {
        for (int c = 0; c < 256; ++c)
            flags[c] = classify(c);
    }
};

inline constexpr table k_table{};

inline bool has(int c, std::uint8_t flag) {
    return c >= 0 && c < 256 && (k_table.flags[c] & flag) != 0;
}

}  // namespace char_class

// c is a character as the getters deliver it: 0..255, or -1 for end of input.
inline bool is_xml_space(int c) {
    return char_class::has(c, char_class::k_space);
}
inline bool is_name_start_char(int c) {
    return char_class::has(c, char_class::k_name_start);
}
inline bool is_name_char(int c) {
    return char_class::has(c, char_class::k_name_char);
}
inline bool is_digit_char(int c) {
    return char_class::has(c, char_class::k_digit);
}
inline bool is_hex_digit_char(int c) {
    return char_class::has(c, char_class::k_hex_digit);
}
inline bool is_quote(int c) {
    return c == '"' || c == '\'';
}

// A character that an XML 1.0 document may carry, raw or as a character reference.
constexpr bool is_xml_char(long code) {
    if (code < 0x20) return code == '\t' || code == '\n' || code == '\r';
    if (code < 0xD800) return true;
    if (code < 0xE000) return false;  // surrogates
    if (code < 0x10000) return code != 0xFFFE && code != 0xFFFF;
    return code <= 0x10FFFF;
}

// "U+0005", "U+1F600": how messages name a character.
inline std::string format_code_point(long code) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04lX", static_cast<unsigned long>(code) & 0xFFFFFFFFul);
    return text;
}

}  // namespace lmx

#endif  // LMX_CHAR_CLASSES_H
