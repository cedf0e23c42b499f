#include "lmx/values/conversions.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ios>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace lmx {

namespace {

inline bool is_ascii_digit(char c) {
    return c >= '0' && c <= '9';
}

inline bool is_sign(char c) {
    return c == '+' || c == '-';
}

// Skips ASCII digits from pos; returns how many there were.
std::size_t skip_digits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && is_ascii_digit(text[pos]))
        ++pos;
    return pos - start;
}

// For a decimal text that is too large or too small for a floating-point type: true when it is
// too large. Compares the position of its leading digit with the decimal point.
bool is_above_float_range(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && is_sign(text[pos])) ++pos;
    while (pos < text.size() && text[pos] == '0')
        ++pos;
    long long magnitude = static_cast<long long>(skip_digits(text, pos));
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        if (magnitude == 0) {
            while (pos < text.size() && text[pos] == '0') {
                ++pos;
                --magnitude;
            }
        }
        skip_digits(text, pos);
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        const bool negative = pos < text.size() && text[pos] == '-';
        if (pos < text.size() && is_sign(text[pos])) ++pos;
        long long exponent = 0;
        // Saturates: any exponent this large is out of range whatever the mantissa holds.
        constexpr long long k_exponent_cap = 1000000000;
        for (; pos < text.size() && is_ascii_digit(text[pos]); ++pos) {
            if (exponent < k_exponent_cap) exponent = exponent * 10 + (text[pos] - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0;
}

template <typename F>
F& convert_float(F* out, const std::string& text) {
    if (text == "NaN") return *out = std::numeric_limits<F>::quiet_NaN();
    if (text == "INF") return *out = std::numeric_limits<F>::infinity();
    if (text == "-INF") return *out = -std::numeric_limits<F>::infinity();
    std::string_view digits(text);
    // from_chars reads no leading "+".
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    F value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = is_above_float_range(digits) ? std::numeric_limits<F>::infinity() : F(0);
        if (!digits.empty() && digits.front() == '-') value = -value;
    }
    return *out = value;
}

template <typename F>
std::string general_text(F value, std::streamsize significant_digits) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(significant_digits);
    out << value;
    return out.str();
}

template <typename F>
std::ostream& write_float(std::ostream& os, F value, std::streamsize significant_digits) {
    if (std::isnan(value)) return os << "NaN";
    if (std::isinf(value)) return os << (value < 0 ? "-INF" : "INF");
    if (value == 0) return os << (std::signbit(value) ? "-0.0" : "0.0");
    // General notation, whatever notation the caller left set.
    std::string text = general_text(value, significant_digits);
    // More digits than the type always carries (7 for float) can name a number whose nearest
    // value writes differently ("1e-38" reads as 9.99999935e-39, written "9.999999e-39"), so a
    // saved value would change from save to save. Such a value is written with the digits that
    // name it exactly, which read back to it.
    if (significant_digits > std::numeric_limits<F>::digits10) {
        F back = 0;
        convert_float(&back, text);
        if (general_text(back, significant_digits) != text)
            text = general_text(value, std::numeric_limits<F>::max_digits10);
    }
    return os << text;
}

}  // namespace

bool is_valid_bool(const std::string& text) {
    return text == "true" || text == "1" || text == "false" || text == "0";
}

bool is_valid_integer(const std::string& text) {
    std::size_t pos = 0;
    if (!text.empty() && is_sign(text[0])) ++pos;
    return skip_digits(text, pos) > 0 && pos == text.size();
}

bool is_valid_float(const std::string& text) {
    if (text == "INF" || text == "-INF" || text == "NaN") return true;
    const std::string_view view(text);
    std::size_t pos = 0;
    if (pos < view.size() && is_sign(view[pos])) ++pos;
    std::size_t mantissa_digits = skip_digits(view, pos);
    if (pos < view.size() && view[pos] == '.') {
        ++pos;
        mantissa_digits += skip_digits(view, pos);
    }
    if (mantissa_digits == 0) return false;
    if (pos < view.size() && (view[pos] == 'e' || view[pos] == 'E')) {
        ++pos;
        if (pos < view.size() && is_sign(view[pos])) ++pos;
        if (skip_digits(view, pos) == 0) return false;
    }
    return pos == view.size();
}

bool& convert(bool* out, const std::string& text) {
    return *out = text == "true" || text == "1";
}

unsigned int& convert(unsigned int* out, const std::string& text) {
    return *out = static_cast<unsigned int>(std::strtoul(text.c_str(), nullptr, 10));
}

int& convert(int* out, const std::string& text) {
    // strtol saturates where atoi's overflow would be undefined; in range they agree.
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < INT_MIN) return *out = INT_MIN;
    if (value > INT_MAX) return *out = INT_MAX;
    return *out = static_cast<int>(value);
}

long long& convert(long long* out, const std::string& text) {
    return *out = std::strtoll(text.c_str(), nullptr, 10);
}

double& convert(double* out, const std::string& text) {
    return convert_float(out, text);
}

float& convert(float* out, const std::string& text) {
    return convert_float(out, text);
}

std::wstring& convert(std::wstring* out, const std::string& text) {
    return vtostring(*out, text);
}

std::string& convert(std::string* out, const std::string& text) {
    return *out = text;
}

std::string& convert(std::string* out, const std::wstring& text) {
    out->clear();
    out->reserve(text.size());
    const wchar_t* pos = text.data();
    const wchar_t* const end = pos + text.size();
    char bytes[4];
    while (pos != end) {
        const auto unit = static_cast<std::make_unsigned_t<wchar_t>>(*pos);
        if (unit != 0 && unit < 0x80) {  // plain ASCII, by far the most common
            out->push_back(static_cast<char>(unit));
            ++pos;
            continue;
        }
        const char32_t code_point = next_utf16_code_point(pos, end);
        if (code_point != 0)
            out->append(bytes, static_cast<std::size_t>(encode_utf8(code_point, bytes)));
    }
    return *out;
}

std::wstring& vtostring(std::wstring& out, const std::string& text) {
    out.clear();
    out.reserve(text.size());
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    char32_t pending_high = 0;
    std::size_t pos = 0;
    while (pos < size) {
        const unsigned char lead = bytes[pos];
        std::size_t sequence_length;
        char32_t value;
        if (lead < 0x80) {
            sequence_length = 1;
            value = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            sequence_length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            sequence_length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            sequence_length = 4;
            value = lead & 0x07;
        } else {
            break;
        }
        if (size - pos < sequence_length) break;
        std::size_t k = 1;
        for (; k < sequence_length && (bytes[pos + k] & 0xC0) == 0x80; ++k)
            value = (value << 6) | (bytes[pos + k] & 0x3F);
        if (k < sequence_length) break;
        pos += sequence_length;

        if (pending_high != 0) {
            if (value < 0xDC00 || value > 0xDFFF) break;
            out.push_back(static_cast<wchar_t>(pending_high));
            out.push_back(static_cast<wchar_t>(value));
            pending_high = 0;
        } else if (value >= 0xD800 && value <= 0xDBFF) {
            pending_high = value;
        } else if (value > 0x10FFFF) {
            // Four-byte leads F5 to F7 reach past Unicode; no UTF-16 form exists.
            break;
        } else if (value > 0xFFFF) {
            out.push_back(static_cast<wchar_t>(0xD800 + ((value - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (value & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(value));
        }
    }
    return out;
}

std::string& vtostring(std::string& out, const std::string& text) {
    return out = text;
}

std::size_t length(const std::string& text) {
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < size) {
        const unsigned char lead = bytes[pos];
        ++count;
        if (lead < 0x80) {
            pos += 1;
        } else if ((lead & 0xE0) == 0xC0) {
            pos += 2;
        } else if ((lead & 0xF0) == 0xE0) {
            // A surrogate encoded on its own is half of a six-byte pair: one character.
            const bool is_surrogate =
                lead == 0xED && pos + 1 < size && (bytes[pos + 1] & 0xE0) == 0xA0;
            pos += is_surrogate ? 6 : 3;
        } else if ((lead & 0xF8) == 0xF0) {
            pos += 4;
        } else {
            break;
        }
    }
    return count;
}

bool is_min_length_ok(const std::string& text, std::size_t min_length) {
    if (text.size() / 4 >= min_length) return true;  // text.size() >= 4 * min_length
    return length(text) >= min_length;
}

bool is_max_length_ok(const std::string& text, std::size_t max_length) {
    if (text.size() <= max_length) return true;
    if (max_length <= SIZE_MAX / 4 && text.size() > 4 * max_length) return false;
    return length(text) <= max_length;
}

int total_digits(const std::string& text) {
    int count = 0;
    for (const char c : text)
        count += is_ascii_digit(c);
    return count;
}

int fraction_digits(const std::string& text) {
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return 0;
    int count = 0;
    for (std::size_t pos = point + 1; pos < text.size(); ++pos)
        count += is_ascii_digit(text[pos]);
    return count;
}

ct_qname<std::string>& make_qname(ct_qname<std::string>* out, const std::string& /*qname*/,
                                  const std::string& namespace_uri, const std::string& local_part) {
    out->local_part = local_part;
    out->namespace_uri = namespace_uri;
    return *out;
}

ct_qname<std::wstring>& make_qname(ct_qname<std::wstring>* out, const std::string& /*qname*/,
                                   const std::string& namespace_uri,
                                   const std::string& local_part) {
    vtostring(out->local_part, local_part);
    out->namespace_uri = namespace_uri;
    return *out;
}

std::string& make_qname(std::string* out, const std::string& qname,
                        const std::string& /*namespace_uri*/, const std::string& /*local_part*/) {
    return *out = qname;
}

std::wstring& make_qname(std::wstring* out, const std::string& qname,
                         const std::string& /*namespace_uri*/, const std::string& /*local_part*/) {
    return vtostring(*out, qname);
}

std::ostream& operator<<(std::ostream& os, const c_as_xml<bool>& value) {
    return os << (value.get() ? "true" : "false");
}

std::ostream& operator<<(std::ostream& os, const c_as_xml<float>& value) {
    return write_float(os, value.get(), 7);
}

std::ostream& operator<<(std::ostream& os, const c_as_xml<double>& value) {
    return write_float(os, value.get(), 14);
}

double float_zero() {
    return 0.0;
}

void bswap(void* a, void* b, unsigned int count) {
    auto* const first = static_cast<unsigned char*>(a);
    auto* const second = static_cast<unsigned char*>(b);
    if (first == second) return;
    for (unsigned int i = 0; i < count; ++i)
        std::swap(first[i], second[i]);
}

elmx_must_understand bool_must_understand(const std::string& text) {
    if (text == "1" || text == "true") return ELMX_MUST_UNDERSTAND_ON;
    if (text == "0" || text == "false") return ELMX_MUST_UNDERSTAND_OFF;
    return ELMX_MUST_UNDERSTAND_INVALID;
}

}  // namespace lmx
