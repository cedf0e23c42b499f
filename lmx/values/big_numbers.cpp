#include "lmx/values/big_numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>

namespace lmx {

namespace {

bool is_ascii_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view leading_digits(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && is_ascii_digit(text[end]))
        ++end;
    return text.substr(0, end);
}

std::string_view skip_zeros(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && text[start] == '0')
        ++start;
    return text.substr(start);
}

// Canonical form of the number at the start of text: sign, leading zeros, then digits up to
// the first non-digit.
std::string canonical_from_text(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    const std::string_view digits = leading_digits(skip_zeros(text));
    if (digits.empty()) return std::string(1, '0');
    std::string canonical;
    canonical.reserve(digits.size() + 1);
    if (negative) canonical += '-';
    canonical.append(digits);
    return canonical;
}

std::string magnitude_text(int value) {
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    return std::to_string(magnitude);
}

// Gathers decimal digits into a 32-bit number: keeps the low 32 bits for the caller and notes
// when the magnitude passes a limit.
class digit_accumulator {
public:
    explicit digit_accumulator(unsigned long long limit) : m_limit(limit) {}

    void add(char digit) {
        const unsigned int d = static_cast<unsigned int>(digit - '0');
        m_low_bits = m_low_bits * 10u + d;
        if (m_overflow) return;
        m_magnitude = m_magnitude * 10u + d;
        if (m_magnitude > m_limit) m_overflow = true;
    }
    void add(std::string_view digits) {
        for (char c : digits)
            add(c);
    }
    // Beyond 32 zeros neither the low bits (10^32 is a multiple of 2^32) nor the overflow
    // verdict change, so a huge count costs no more than 32.
    void add_zeros(std::size_t count) {
        for (std::size_t i = 0; i < count && i < 32; ++i)
            add('0');
    }

    std::uint32_t low_bits(bool* overflow) const {
        if (overflow) *overflow = m_overflow;
        return m_low_bits;
    }

private:
    unsigned long long m_limit;
    unsigned long long m_magnitude = 0;
    std::uint32_t m_low_bits = 0;
    bool m_overflow = false;
};

// An int's range reaches one further on the negative side.
digit_accumulator int_accumulator(bool negative) {
    return digit_accumulator(negative ? 2147483648ull : 2147483647ull);
}

int signed_result(const digit_accumulator& accumulator, bool negative, bool* overflow) {
    const std::uint32_t bits = accumulator.low_bits(overflow);
    return static_cast<int>(negative ? 0u - bits : bits);
}

// Digit strings of equal standing compared as numbers: first by length, then digit by digit.
int compare_digit_strings(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

// ---- c_big_int ----

c_big_int::c_big_int(const char* text)
    : m_value(text ? canonical_from_text(text) : std::string(1, '0')) {}

c_big_int::c_big_int(const std::string& text) : m_value(canonical_from_text(text)) {}

c_big_int::c_big_int(int value) : m_value(std::to_string(value)) {}

c_big_int& c_big_int::operator=(const c_big_int& other) {
    c_big_int copy(other);
    swap(copy);
    return *this;
}

c_big_int& c_big_int::operator=(const char* text) {
    c_big_int value(text);
    swap(value);
    return *this;
}

c_big_int& c_big_int::operator=(const std::string& text) {
    c_big_int value(text);
    swap(value);
    return *this;
}

c_big_int& c_big_int::operator=(int value) {
    c_big_int converted(value);
    swap(converted);
    return *this;
}

int c_big_int::get(bool* overflow) const {
    std::string_view digits(m_value);
    if (is_negative()) digits.remove_prefix(1);
    digit_accumulator accumulator = int_accumulator(is_negative());
    accumulator.add(digits);
    return signed_result(accumulator, is_negative(), overflow);
}

double c_big_int::get_as_float() const {
    std::string_view digits(m_value);
    if (is_negative()) digits.remove_prefix(1);
    double result = 0.0;
    for (char c : digits)
        result = result * 10.0 + (c - '0');
    return is_negative() ? -result : result;
}

int c_big_int::compare_with_text(const char* text) const {
    return compare_with_text(std::string_view(text ? text : "0"));
}

int c_big_int::compare_with_text(std::string_view text) const {
    if (text.empty()) return -1;

    const bool text_negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+') text.remove_prefix(1);
    const std::string_view text_digits = skip_zeros(text);
    const bool text_is_zero = text_digits.empty();

    if (text_negative != is_negative()) {
        // "-0" against zero is the one case where differing signs meet.
        if (is_zero() && text_is_zero) return 0;
        return is_negative() ? -1 : 1;
    }
    if (text_is_zero) {
        if (is_zero()) return 0;
        return is_negative() ? -1 : 1;
    }
    std::string_view digits(m_value);
    if (is_negative()) digits.remove_prefix(1);
    const int order = compare_digit_strings(digits, text_digits);
    return is_negative() ? -order : order;
}

std::ostream& operator<<(std::ostream& os, const c_big_int& value) {
    return os << value.get_as_string();
}

// ---- c_decimal ----

c_decimal::c_decimal(const char* text) {
    if (text) parse(text);
}

c_decimal::c_decimal(const std::string& text) {
    parse(text);
}

void c_decimal::parse(std::string_view rest) {
    m_negative = !rest.empty() && rest[0] == '-';
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) rest.remove_prefix(1);
    // Only the digit run: a second sign ("+-5") must not make the magnitude negative.
    const std::string_view integral = leading_digits(rest);
    m_integral = c_big_int(std::string(integral));
    rest.remove_prefix(integral.size());
    if (!rest.empty() && rest[0] == '.') {
        rest.remove_prefix(1);
        m_fractional.assign(leading_digits(rest));
    }
}

c_decimal::c_decimal(int value, int scale) : m_negative(value < 0) {
    std::string digits = magnitude_text(value);
    if (scale <= 0) {
        if (value != 0)
            digits.append(static_cast<std::size_t>(-static_cast<long long>(scale)), '0');
        m_integral = c_big_int(digits);
        return;
    }
    const std::size_t fraction_size = static_cast<std::size_t>(scale);
    if (digits.size() <= fraction_size) {
        m_fractional.assign(fraction_size - digits.size(), '0');
        m_fractional += digits;
    } else {
        const std::size_t integral_size = digits.size() - fraction_size;
        m_fractional = digits.substr(integral_size);
        m_integral = c_big_int(digits.substr(0, integral_size));
    }
}

c_decimal::c_decimal(double value, unsigned int fraction_digits) {
    if (!std::isfinite(value)) return;
    constexpr unsigned int k_max_fraction_digits = 15;
    if (fraction_digits > k_max_fraction_digits) fraction_digits = k_max_fraction_digits;
    // Up to 309 integral digits, the point, 15 fraction digits and a sign.
    char buffer[400];
    // to_chars ignores the global C locale, so the point is always ".".
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                      static_cast<int>(fraction_digits));
    if (written.ec != std::errc()) return;
    c_decimal parsed(std::string(buffer, written.ptr));
    swap(parsed);
}

c_decimal& c_decimal::operator=(const c_decimal& other) {
    c_decimal copy(other);
    swap(copy);
    return *this;
}

c_decimal& c_decimal::operator=(const char* text) {
    c_decimal value(text);
    swap(value);
    return *this;
}

c_decimal& c_decimal::operator=(const std::string& text) {
    c_decimal value(text);
    swap(value);
    return *this;
}

c_decimal& c_decimal::operator=(double value) {
    set(value, 15);
    return *this;
}

void c_decimal::swap(c_decimal& other) noexcept {
    std::swap(m_negative, other.m_negative);
    m_integral.swap(other.m_integral);
    m_fractional.swap(other.m_fractional);
}

bool c_decimal::is_valid(const std::string& text) {
    std::string_view rest(text);
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) rest.remove_prefix(1);
    const std::size_t integral_digits = leading_digits(rest).size();
    rest.remove_prefix(integral_digits);
    if (rest.empty()) return integral_digits > 0;
    if (rest[0] != '.') return false;
    rest.remove_prefix(1);
    const std::size_t fraction_digits = leading_digits(rest).size();
    return fraction_digits == rest.size() && integral_digits + fraction_digits > 0;
}

std::string c_decimal::get_as_string() const {
    std::string text;
    text.reserve(m_integral.get_as_string().size() + m_fractional.size() + 2);
    if (m_negative) text += '-';
    if (!m_integral.is_zero() || m_fractional.empty()) text += m_integral.get_as_string();
    if (!m_fractional.empty()) {
        text += '.';
        text += m_fractional;
    }
    return text;
}

int c_decimal::get_integral(bool* overflow) const {
    std::string_view digits(m_integral.get_as_string());
    if (m_integral.is_negative()) digits.remove_prefix(1);
    digit_accumulator accumulator = int_accumulator(m_negative);
    accumulator.add(digits);
    return signed_result(accumulator, m_negative, overflow);
}

void c_decimal::set_integral(int value) {
    m_negative = value < 0;
    m_integral = c_big_int(magnitude_text(value));
}

unsigned int c_decimal::get_fractional(int digits, bool* overflow) const {
    if (overflow) *overflow = false;
    if (digits <= 0) return 0;
    const std::size_t wanted = static_cast<std::size_t>(digits);
    const std::string_view stored = std::string_view(m_fractional).substr(0, wanted);
    digit_accumulator accumulator(4294967295ull);
    accumulator.add(stored);
    accumulator.add_zeros(wanted - stored.size());
    return accumulator.low_bits(overflow);
}

void c_decimal::set_fractional(unsigned int value, unsigned int digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits) {
        text.insert(0, digits - text.size(), '0');
    } else {
        text.resize(digits);
    }
    m_fractional.swap(text);
}

int c_decimal::get_scaled(int scale, bool* overflow) const {
    std::string_view integral(m_integral.get_as_string());
    if (m_integral.is_negative()) integral.remove_prefix(1);
    digit_accumulator accumulator = int_accumulator(m_negative);
    if (scale <= 0) {
        const unsigned long long dropped =
            static_cast<unsigned long long>(-static_cast<long long>(scale));
        if (dropped < integral.size())
            accumulator.add(integral.substr(0, integral.size() - dropped));
    } else {
        accumulator.add(integral);
        const std::size_t wanted = static_cast<std::size_t>(scale);
        const std::string_view fraction = std::string_view(m_fractional).substr(0, wanted);
        accumulator.add(fraction);
        accumulator.add_zeros(wanted - fraction.size());
    }
    return signed_result(accumulator, m_negative, overflow);
}

void c_decimal::set_scaled(int value, int scale) {
    c_decimal scaled(value, scale);
    swap(scaled);
}

double c_decimal::get_as_float() const {
    double result = m_integral.get_as_float();
    double place = 0.1;
    for (char c : m_fractional) {
        result += (c - '0') * place;
        place /= 10.0;
    }
    return m_negative ? -result : result;
}

void c_decimal::set(double value, unsigned int fraction_digits) {
    c_decimal converted(value, fraction_digits);
    swap(converted);
}

std::ostream& operator<<(std::ostream& os, const c_decimal& value) {
    return os << value.get_as_string();
}

namespace {

// Fractions compared from the point; where one runs out, the other's remaining digits decide,
// so "5" and "50" are equal and "51" is greater than "5".
int compare_fractions(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    const int order = a.substr(0, common).compare(b.substr(0, common));
    if (order != 0) return order < 0 ? -1 : 1;
    const auto has_nonzero = [](std::string_view digits) {
        return digits.find_first_not_of('0') != std::string_view::npos;
    };
    if (has_nonzero(a.substr(common))) return 1;
    if (has_nonzero(b.substr(common))) return -1;
    return 0;
}

}  // namespace

bool operator==(const c_decimal& a, const c_decimal& b) {
    return a.m_negative == b.m_negative && a.m_integral == b.m_integral &&
           compare_fractions(a.m_fractional, b.m_fractional) == 0;
}

bool operator>(const c_decimal& a, const c_decimal& b) {
    if (a.m_negative != b.m_negative) return !a.m_negative;
    int magnitude_order =
        a.m_integral.compare_with_text(std::string_view(b.m_integral.get_as_string()));
    if (magnitude_order == 0) magnitude_order = compare_fractions(a.m_fractional, b.m_fractional);
    return a.m_negative ? magnitude_order < 0 : magnitude_order > 0;
}

}  // namespace lmx
