// Integers and decimals of any length, kept as decimal digit text so that no value the XML
// lexical form can express ever loses a digit.
#ifndef LMX_BIG_NUMBERS_H
#define LMX_BIG_NUMBERS_H

#include <iosfwd>
#include <string>
#include <string_view>

namespace lmx {

// An integer of any length. The value is held in canonical form: an optional "-" followed by
// decimal digits without leading zeros; zero is "0", never "-0".
//
// Building from text never fails: a sign, then leading zeros, then the longest run of digits is
// read and the rest ignored; text without such digits is zero ("12ab" is 12, "abc" is 0).
class c_big_int {
public:
    c_big_int() : m_value(1, '0') {}
    c_big_int(const c_big_int&) = default;
    // A moved-from value is zero, so the canonical form holds at all times.
    c_big_int(c_big_int&& other) noexcept : c_big_int() { swap(other); }
    c_big_int(const char* text);  // a null text is zero
    c_big_int(const std::string& text);
    c_big_int(int value);
    ~c_big_int() = default;

    c_big_int& operator=(const c_big_int& other);
    c_big_int& operator=(c_big_int&& other) noexcept {
        swap(other);
        return *this;
    }
    c_big_int& operator=(const char* text);
    c_big_int& operator=(const std::string& text);
    c_big_int& operator=(int value);
    void swap(c_big_int& other) noexcept { m_value.swap(other.m_value); }

    const std::string& get_as_string() const { return m_value; }

    // The value as an int. *overflow (when given) is set when the value lies outside the range
    // of int; the number returned is then the value's low 32 bits.
    int get(bool* overflow = nullptr) const;
    double get_as_float() const;

    bool is_negative() const { return m_value[0] == '-'; }
    bool is_zero() const { return m_value.size() == 1 && m_value[0] == '0'; }

    // Three-way comparison with a number as text: negative when this value is less, 0 when
    // equal, positive when greater. The text may carry a sign and leading zeros and is not
    // otherwise checked; a null text counts as "0". An empty text equals nothing and is
    // greater than every value. Allocates nothing, and lengths decide before digits.
    int compare_with_text(std::string_view text) const;
    int compare_with_text(const char* text) const;

private:
    std::string m_value;
};

inline void swap(c_big_int& a, c_big_int& b) noexcept {
    a.swap(b);
}

std::ostream& operator<<(std::ostream& os, const c_big_int& value);

// Two values compare as the first against the canonical text of the second.
inline bool operator==(const c_big_int& a, const c_big_int& b) {
    return a.get_as_string() == b.get_as_string();
}
inline bool operator!=(const c_big_int& a, const c_big_int& b) {
    return !(a == b);
}
inline bool operator<(const c_big_int& a, const c_big_int& b) {
    return a.compare_with_text(std::string_view(b.get_as_string())) < 0;
}
inline bool operator<=(const c_big_int& a, const c_big_int& b) {
    return a.compare_with_text(std::string_view(b.get_as_string())) <= 0;
}
inline bool operator>(const c_big_int& a, const c_big_int& b) {
    return a.compare_with_text(std::string_view(b.get_as_string())) > 0;
}
inline bool operator>=(const c_big_int& a, const c_big_int& b) {
    return a.compare_with_text(std::string_view(b.get_as_string())) >= 0;
}

// Value against text, and text against value (the text on the left mirrors the operator).
inline bool operator==(const c_big_int& a, const char* b) {
    return a.compare_with_text(b) == 0;
}
inline bool operator!=(const c_big_int& a, const char* b) {
    return a.compare_with_text(b) != 0;
}
inline bool operator<(const c_big_int& a, const char* b) {
    return a.compare_with_text(b) < 0;
}
inline bool operator<=(const c_big_int& a, const char* b) {
    return a.compare_with_text(b) <= 0;
}
inline bool operator>(const c_big_int& a, const char* b) {
    return a.compare_with_text(b) > 0;
}
inline bool operator>=(const c_big_int& a, const char* b) {
    return a.compare_with_text(b) >= 0;
}
inline bool operator==(const char* a, const c_big_int& b) {
    return b == a;
}
inline bool operator!=(const char* a, const c_big_int& b) {
    return b != a;
}
inline bool operator<(const char* a, const c_big_int& b) {
    return b > a;
}
inline bool operator<=(const char* a, const c_big_int& b) {
    return b >= a;
}
inline bool operator>(const char* a, const c_big_int& b) {
    return b < a;
}
inline bool operator>=(const char* a, const c_big_int& b) {
    return b <= a;
}
inline bool operator==(const c_big_int& a, const std::string& b) {
    return a.compare_with_text(b) == 0;
}
inline bool operator!=(const c_big_int& a, const std::string& b) {
    return a.compare_with_text(b) != 0;
}
inline bool operator<(const c_big_int& a, const std::string& b) {
    return a.compare_with_text(b) < 0;
}
inline bool operator<=(const c_big_int& a, const std::string& b) {
    return a.compare_with_text(b) <= 0;
}
inline bool operator>(const c_big_int& a, const std::string& b) {
    return a.compare_with_text(b) > 0;
}
inline bool operator>=(const c_big_int& a, const std::string& b) {
    return a.compare_with_text(b) >= 0;
}
inline bool operator==(const std::string& a, const c_big_int& b) {
    return b == a;
}
inline bool operator!=(const std::string& a, const c_big_int& b) {
    return b != a;
}
inline bool operator<(const std::string& a, const c_big_int& b) {
    return b > a;
}
inline bool operator<=(const std::string& a, const c_big_int& b) {
    return b >= a;
}
inline bool operator>(const std::string& a, const c_big_int& b) {
    return b < a;
}
inline bool operator>=(const std::string& a, const c_big_int& b) {
    return b <= a;
}

// A decimal number of any length and precision: a sign flag, the magnitude of the integral part
// and the digits after the point with their trailing zeros. "-0" keeps its sign and so is a
// different value from "0"; "12.50" keeps its "50".
class c_decimal {
public:
    c_decimal() = default;
    c_decimal(const c_decimal&) = default;
    c_decimal(c_decimal&&) noexcept = default;
    c_decimal(const char* text);  // a null text is zero
    c_decimal(const std::string& text);
    c_decimal(int value, int scale);  // value x 10^-scale
    // value in fixed notation with at most 15 fraction digits; NaN and the infinities,
    // having no decimal form, give zero.
    c_decimal(double value, unsigned int fraction_digits);
    ~c_decimal() = default;

    c_decimal& operator=(const c_decimal& other);
    c_decimal& operator=(c_decimal&& other) noexcept = default;
    c_decimal& operator=(const char* text);
    c_decimal& operator=(const std::string& text);
    c_decimal& operator=(double value);  // 15 fraction digits
    void swap(c_decimal& other) noexcept;

    // An optional sign, then digits with an optional "." and digits, or "." and at least one
    // digit; nothing else (no exponent, no blanks).
    static bool is_valid(const std::string& text);

    // "-" when negative, the integral part unless it is zero and fraction digits follow, then
    // "." and the fraction digits if there are any: 0.5 is ".5", -0.25 is "-.25".
    std::string get_as_string() const;

    // The conversions to int report overflow as c_big_int::get does.
    int get_integral(bool* overflow = nullptr) const;
    void set_integral(int value);  // sign and integral part; the fraction stays
    // The first `digits` fraction digits, filled up with zeros, as an unsigned int; 0 when
    // digits is not positive.
    unsigned int get_fractional(int digits, bool* overflow = nullptr) const;
    // value's decimal text, zero-filled in front or cut at its end to exactly `digits`
    // characters, becomes the fraction.
    void set_fractional(unsigned int value, unsigned int digits);
    // value x 10^scale truncated towards zero.
    int get_scaled(int scale, bool* overflow = nullptr) const;
    void set_scaled(int value, int scale);
    double get_as_float() const;
    void set(double value, unsigned int fraction_digits);

    bool is_negative() const { return m_negative; }
    const c_big_int& get_integral_digits() const { return m_integral; }
    const std::string& get_fractional_digits() const { return m_fractional; }

private:
    void parse(std::string_view text);  // into a default-constructed value

    bool m_negative = false;
    c_big_int m_integral;
    std::string m_fractional;

    friend bool operator==(const c_decimal& a, const c_decimal& b);
    friend bool operator>(const c_decimal& a, const c_decimal& b);
};

inline void swap(c_decimal& a, c_decimal& b) noexcept {
    a.swap(b);
}

std::ostream& operator<<(std::ostream& os, const c_decimal& value);

bool operator==(const c_decimal& a, const c_decimal& b);
bool operator>(const c_decimal& a, const c_decimal& b);
inline bool operator!=(const c_decimal& a, const c_decimal& b) {
    return !(a == b);
}
inline bool operator>=(const c_decimal& a, const c_decimal& b) {
    return a == b || a > b;
}
inline bool operator<(const c_decimal& a, const c_decimal& b) {
    return !(a >= b);
}
inline bool operator<=(const c_decimal& a, const c_decimal& b) {
    return !(a > b);
}

}  // namespace lmx

#endif  // LMX_BIG_NUMBERS_H
