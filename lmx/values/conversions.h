// Simple-type values: validity checks of their lexical forms, conversions between XML text and
// values, length and digit counting, UTF-8 <-> UTF-16 conversion, qualified names and the output
// operators of booleans and floating-point numbers.
//
// Texts arrive from the reader already whitespace-normalised, so no check here skips blanks.
#ifndef LMX_CONVERSIONS_H
#define LMX_CONVERSIONS_H

#include <cstddef>
#include <ostream>
#include <string>

#include "lmx/values/as_xml.h"

namespace lmx {

// What a must-understand flag attribute says.
enum elmx_must_understand {
    ELMX_MUST_UNDERSTAND_OFF = 0,
    ELMX_MUST_UNDERSTAND_INVALID = 1,
    ELMX_MUST_UNDERSTAND_ON = 2
};

// ---- Validity checks: each looks at the whole text and accepts no surrounding blanks.

// "true", "1", "false" or "0".
bool is_valid_bool(const std::string& text);
// An optional sign and one or more ASCII digits.
bool is_valid_integer(const std::string& text);
// "INF", "-INF", "NaN", or an optional sign, a mantissa (digits with at most one ".", at least one
// digit) and an optional exponent ("e" or "E", an optional sign, one or more digits).
bool is_valid_float(const std::string& text);

// ---- Text to value, for texts that the checks (and range tests) have accepted.

// True for "true" and "1", false otherwise.
bool& convert(bool* out, const std::string& text);
unsigned int& convert(unsigned int* out, const std::string& text);
int& convert(int* out, const std::string& text);
long long& convert(long long* out, const std::string& text);
// "NaN", "INF" and "-INF" give NaN and the infinities; anything else is read as a decimal number
// whatever the locale. A magnitude beyond the type's range gives an infinity or a zero.
double& convert(double* out, const std::string& text);
float& convert(float* out, const std::string& text);
// UTF-8 to UTF-16; see vtostring.
std::wstring& convert(std::wstring* out, const std::string& text);
std::string& convert(std::string* out, const std::string& text);
// UTF-16 to UTF-8 into *out (cleared first). A unit 0 produces no byte; an unpaired surrogate
// becomes U+FFFD.
std::string& convert(std::string* out, const std::wstring& text);

// UTF-8 to UTF-16 into out (cleared first). Conversion stops, keeping what it has, at the first
// malformed sequence: a bad lead or continuation byte, a sequence cut off by the end, a value
// above U+10FFFF, or a high surrogate not followed by a low one (a trailing one is dropped).
// Surrogates encoded one by one in three bytes each are accepted, and so are overlong forms.
std::wstring& vtostring(std::wstring& out, const std::string& text);
std::string& vtostring(std::string& out, const std::string& text);

// ---- Length and digit counting of UTF-8 text.

// The number of characters; a surrogate encoded in three bytes and its partner count as one.
// Counting stops after a byte that cannot lead a sequence.
std::size_t length(const std::string& text);
// Both decide from the byte count alone where it is conclusive.
bool is_min_length_ok(const std::string& text, std::size_t min_length);
bool is_max_length_ok(const std::string& text, std::size_t max_length);
// ASCII digits anywhere in the text, leading and trailing zeros included.
int total_digits(const std::string& text);
// ASCII digits after the first "."; 0 without one.
int fraction_digits(const std::string& text);

// ---- Qualified names.

template <typename T>
struct ct_qname {
    T local_part;
    std::string namespace_uri;
};

ct_qname<std::string>& make_qname(ct_qname<std::string>* out, const std::string& qname,
                                  const std::string& namespace_uri, const std::string& local_part);
ct_qname<std::wstring>& make_qname(ct_qname<std::wstring>* out, const std::string& qname,
                                   const std::string& namespace_uri, const std::string& local_part);
std::string& make_qname(std::string* out, const std::string& qname,
                        const std::string& namespace_uri, const std::string& local_part);
std::wstring& make_qname(std::wstring* out, const std::string& qname,
                         const std::string& namespace_uri, const std::string& local_part);

// ---- Output of values. Numbers rely on the stream's locale being the classic one, which
// c_xml_writer sets.

// "true" or "false".
std::ostream& operator<<(std::ostream& os, const c_as_xml<bool>& value);
// "NaN", "INF", "-INF", "0.0", "-0.0", otherwise general notation with 7 significant digits.
std::ostream& operator<<(std::ostream& os, const c_as_xml<float>& value);
// As float, with 14 significant digits.
std::ostream& operator<<(std::ostream& os, const c_as_xml<double>& value);

// ---- Other helpers.

double float_zero();
// Exchanges the first count bytes of the areas at a and b.
void bswap(void* a, void* b, unsigned int count);
// ELMX_MUST_UNDERSTAND_ON for "1" or "true", _OFF for "0" or "false", _INVALID otherwise.
elmx_must_understand bool_must_understand(const std::string& text);

// Stands for the pattern facet. It carries no regular-expression engine and matches everything;
// no bound class tests a value with it.
class c_pattern {
public:
    explicit c_pattern(const char* /*pattern*/) {}
    bool is_match(const std::string& /*value*/) const { return true; }
    bool is_match(const std::wstring& /*value*/) const { return true; }
};

// ---- UTF-16 decoding and UTF-8 encoding, shared by convert and the writer.

constexpr char32_t k_replacement_char = 0xFFFD;

// Reads the code point at pos (which must be before end) and advances past it. A surrogate pair
// gives one code point; an unpaired surrogate, or an element beyond U+10FFFF, gives U+FFFD. An
// element between U+10000 and U+10FFFF (possible where wchar_t is 32 bits) is taken as it is.
inline char32_t next_utf16_code_point(const wchar_t*& pos, const wchar_t* end) {
    const char32_t unit = static_cast<char32_t>(*pos++);
    if (unit < 0xD800 || (unit > 0xDFFF && unit <= 0x10FFFF)) return unit;
    if (unit > 0x10FFFF || unit >= 0xDC00) return k_replacement_char;
    if (pos == end) return k_replacement_char;
    const char32_t low = static_cast<char32_t>(*pos);
    if (low < 0xDC00 || low > 0xDFFF) return k_replacement_char;
    ++pos;
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

// Writes code_point (at most U+10FFFF) as UTF-8 at out, which has room for four bytes; returns
// the number of bytes written.
inline int encode_utf8(char32_t code_point, char* out) {
    if (code_point < 0x80) {
        out[0] = static_cast<char>(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code_point >> 6));
        out[1] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code_point >> 12));
        out[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code_point >> 18));
    out[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    return 4;
}

}  // namespace lmx

#endif  // LMX_CONVERSIONS_H
