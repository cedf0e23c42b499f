#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <limits>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "lmx/runtime.h"

// Counts heap allocations so that a test can prove an operation makes none. Kept out of line so
// that the compiler does not pair the inlined malloc and free with new and delete expressions.
namespace {
std::size_t g_allocations = 0;
}

__attribute__((noinline)) void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept {
    std::free(p);
}
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace lmx;

// The six operators of a value against a text, both ways round, must agree with one verdict.
void expect_text_order(const c_big_int& value, const char* text, int expected) {
    SCOPED_TRACE(value.get_as_string() + " vs \"" + (text ? text : "(null)") + "\"");
    const std::string as_string = text ? text : "0";
    EXPECT_EQ(value == text, expected == 0);
    EXPECT_EQ(value != text, expected != 0);
    EXPECT_EQ(value < text, expected < 0);
    EXPECT_EQ(value <= text, expected <= 0);
    EXPECT_EQ(value > text, expected > 0);
    EXPECT_EQ(value >= text, expected >= 0);
    EXPECT_EQ(text == value, expected == 0);
    EXPECT_EQ(text != value, expected != 0);
    EXPECT_EQ(text > value, expected < 0);
    EXPECT_EQ(text >= value, expected <= 0);
    EXPECT_EQ(text<value, expected> 0);
    EXPECT_EQ(text <= value, expected >= 0);
    EXPECT_EQ(value == as_string, expected == 0);
    EXPECT_EQ(value < as_string, expected < 0);
    EXPECT_EQ(value > as_string, expected > 0);
    EXPECT_EQ(as_string <= value, expected >= 0);
    EXPECT_EQ(as_string >= value, expected <= 0);
}

// The range test that bound classes run on an integer item.
bool in_range(const c_big_int& minimum, const c_big_int& maximum, const std::string& text) {
    return minimum <= text && maximum >= text;
}

TEST(BigIntParsing, CanonicalFormFromAnyText) {
    const std::pair<const char*, const char*> cases[] = {
        {"-007", "-7"},  {"+0", "0"},
        {"-0", "0"},     {"abc", "0"},
        {"12ab", "12"},  {"", "0"},
        {"-", "0"},      {"+00", "0"},
        {" 5", "0"},     {"0005", "5"},
        {"+123", "123"}, {"-0001200", "-1200"},
        {"--5", "0"},    {"5-", "5"},
        {"1.5", "1"},    {"123456789012345678901234567890", "123456789012345678901234567890"},
    };
    for (const auto& [text, canonical] : cases) {
        EXPECT_EQ(c_big_int(text).get_as_string(), canonical) << text;
        EXPECT_EQ(c_big_int(std::string(text)).get_as_string(), canonical) << text;
    }
    EXPECT_EQ(c_big_int(static_cast<const char*>(nullptr)).get_as_string(), "0");
    EXPECT_EQ(c_big_int().get_as_string(), "0");
    EXPECT_EQ(c_big_int(INT_MIN).get_as_string(), "-2147483648");
    EXPECT_EQ(c_big_int(0).get_as_string(), "0");
}

TEST(BigIntValue, AssignmentCopySwapAndMoveKeepValuesApart) {
    c_big_int a("12");
    c_big_int b(a);
    b = "-34";
    EXPECT_EQ(a.get_as_string(), "12");
    a = std::string("0099");
    EXPECT_EQ(a.get_as_string(), "99");
    a = -5;
    EXPECT_EQ(a.get_as_string(), "-5");
    a.swap(b);
    EXPECT_EQ(a.get_as_string(), "-34");
    EXPECT_EQ(b.get_as_string(), "-5");
    c_big_int moved(std::move(a));
    EXPECT_EQ(moved.get_as_string(), "-34");
    EXPECT_EQ(a.get_as_string(), "0");  // a moved-from value is zero
    std::ostringstream os;
    os << moved << ' ' << b;
    EXPECT_EQ(os.str(), "-34 -5");
}

TEST(BigIntTextComparison, SignsZerosAndLengths) {
    expect_text_order(c_big_int("4294967295"), "4294967296", -1);
    expect_text_order(c_big_int("0"), "-0", 0);
    expect_text_order(c_big_int("0"), "-000", 0);
    expect_text_order(c_big_int("0"), "-", 0);
    expect_text_order(c_big_int("0"), "+0", 0);
    expect_text_order(c_big_int("0"), "+", 0);
    expect_text_order(c_big_int("0"), nullptr, 0);
    expect_text_order(c_big_int("0"), "5", -1);
    expect_text_order(c_big_int("0"), "-5", 1);
    expect_text_order(c_big_int("-5"), "-12", 1);
    expect_text_order(c_big_int("-5"), "-05", 0);
    expect_text_order(c_big_int("-5"), "-0", -1);
    expect_text_order(c_big_int("-5"), "5", -1);
    expect_text_order(c_big_int("5"), "+5", 0);
    expect_text_order(c_big_int("5"), "-0", 1);
    expect_text_order(c_big_int("5"), "0", 1);
    expect_text_order(c_big_int("5"), "-5", 1);
    expect_text_order(c_big_int("12"), "00012", 0);
    expect_text_order(c_big_int("100"), "99", 1);
    expect_text_order(c_big_int("-100"), "-99", -1);
    expect_text_order(c_big_int("123"), "124", -1);
    expect_text_order(c_big_int("-123"), "-124", 1);
}

TEST(BigIntTextComparison, EmptyTextEqualsNothingAndIsAboveEverything) {
    for (const char* value : {"0", "7", "-7", "99999999999999999999"})
        expect_text_order(c_big_int(value), "", -1);
}

TEST(BigIntComparison, AgreesWithMachineIntegers) {
    const std::vector<int> values = {INT_MIN, -1000, -999, -12, -5,   -1,     0,
                                     1,       5,     12,   999, 1000, INT_MAX};
    for (int a : values) {
        for (int b : values) {
            const c_big_int x(a), y(b);
            const std::string b_text = std::to_string(b);
            SCOPED_TRACE(std::to_string(a) + " vs " + b_text);
            EXPECT_EQ(x == y, a == b);
            EXPECT_EQ(x != y, a != b);
            EXPECT_EQ(x < y, a < b);
            EXPECT_EQ(x <= y, a <= b);
            EXPECT_EQ(x > y, a > b);
            EXPECT_EQ(x >= y, a >= b);
            expect_text_order(x, b_text.c_str(), a < b ? -1 : (a > b ? 1 : 0));
        }
    }
}

TEST(BigIntTextComparison, RangeBoundsOfTheSchemaIntegerTypes) {
    const c_big_int unsigned_min("0"), unsigned_max("4294967295");
    const c_big_int int_min("-2147483648"), int_max("2147483647");
    const c_big_int long_min("-9223372036854775808"), long_max("9223372036854775807");

    EXPECT_TRUE(in_range(unsigned_min, unsigned_max, "4294967295"));
    EXPECT_TRUE(in_range(unsigned_min, unsigned_max, "+0004294967295"));
    EXPECT_TRUE(in_range(unsigned_min, unsigned_max, "-0"));
    EXPECT_FALSE(unsigned_min <= std::string("-1"));
    EXPECT_FALSE(unsigned_max >= std::string("4294967296"));

    EXPECT_TRUE(in_range(int_min, int_max, "-2147483648"));
    EXPECT_TRUE(in_range(int_min, int_max, "2147483647"));
    EXPECT_FALSE(int_min <= std::string("-2147483649"));
    EXPECT_FALSE(int_max >= std::string("2147483648"));

    EXPECT_TRUE(in_range(long_min, long_max, "-9223372036854775808"));
    EXPECT_TRUE(in_range(long_min, long_max, "9223372036854775807"));
    EXPECT_FALSE(long_min <= std::string("-9223372036854775809"));
    EXPECT_FALSE(long_max >= std::string("9223372036854775808"));
    EXPECT_FALSE(long_max >= std::string("00000000000000000000000000009223372036854775808"));
    EXPECT_TRUE(in_range(long_min, long_max, "-00000000000000000000000000009223372036854775808"));
}

TEST(BigIntTextComparison, AllocatesNothing) {
    const c_big_int value("-9223372036854775808");
    const std::string text = "-000009223372036854775807";
    const std::size_t before = g_allocations;
    bool results[] = {value <= text, value >= text, value == text,           "12" < value,
                      value > "-1",  value != "",   value<text, text> value, value == c_big_int(1),
                      value < value};
    const std::size_t after = g_allocations;
    EXPECT_EQ(after - before, 0u);
    EXPECT_TRUE(results[0]);
    EXPECT_FALSE(results[9]);
}

TEST(BigIntGet, IntBoundariesAndOverflow) {
    struct row {
        const char* text;
        int expected;
        bool overflow;
    };
    const row rows[] = {
        {"0", 0, false},
        {"2147483647", INT_MAX, false},
        {"-2147483647", -INT_MAX, false},
        {"-2147483648", INT_MIN, false},
        {"2147483648", INT_MIN, true},  // the low 32 bits
        {"-2147483649", INT_MAX, true},
        {"4294967297", 1, true},
        {"99999999999999999999999999", -469762049, true},
    };
    for (const row& r : rows) {
        bool overflow = !r.overflow;
        const int got = c_big_int(r.text).get(&overflow);
        EXPECT_EQ(overflow, r.overflow) << r.text;
        EXPECT_EQ(got, r.expected) << r.text;
    }
    EXPECT_EQ(c_big_int("-42").get(), -42);
}

TEST(BigIntGet, FloatDigitByDigit) {
    EXPECT_DOUBLE_EQ(c_big_int("12345678901234567890").get_as_float(), 12345678901234567890.0);
    EXPECT_DOUBLE_EQ(c_big_int("-250").get_as_float(), -250.0);
    EXPECT_EQ(c_big_int("0").get_as_float(), 0.0);
}

TEST(BigIntRoundTrip, ValueTextValue) {
    for (int v : {INT_MIN, INT_MIN + 1, -1, 0, 1, 7, 1000000, INT_MAX}) {
        const c_big_int from_int(v);
        const c_big_int from_text(from_int.get_as_string());
        EXPECT_EQ(from_int, from_text);
        bool overflow = true;
        EXPECT_EQ(from_text.get(&overflow), v);
        EXPECT_FALSE(overflow);
    }
}

TEST(BigIntLarge, MegabyteOfDigitsIsParsedAndComparedWhole) {
    std::string digits(1 << 20, '7');
    const c_big_int big(digits);
    EXPECT_EQ(big.get_as_string().size(), digits.size());
    EXPECT_TRUE(big == digits);
    digits.back() = '8';
    EXPECT_TRUE(big < digits);
    EXPECT_TRUE(big > "-" + digits);
    EXPECT_TRUE(big > digits.substr(1));
    bool overflow = false;
    big.get(&overflow);
    EXPECT_TRUE(overflow);
}

c_decimal decimal(const char* text) {
    return c_decimal(text);
}

TEST(DecimalParsing, OutputFormKeepsSignAndTrailingZeros) {
    const std::pair<const char*, const char*> cases[] = {
        {"-0.50", "-.50"}, {"000.000", ".000"}, {"3", "3"},       {"5.", "5"},
        {".5", ".5"},      {"12.50", "12.50"},  {"-0", "-0"},     {"+1.5", "1.5"},
        {"1.5e3", "1.5"},  {"abc", "0"},        {"-.25", "-.25"}, {"007.10", "7.10"},
        {"", "0"},         {"+-5", "0"},        {"-", "-0"},      {"1.2.3", "1.2"},
    };
    for (const auto& [text, output] : cases) {
        EXPECT_EQ(c_decimal(text).get_as_string(), output) << text;
        std::ostringstream os;
        os << c_decimal(std::string(text));
        EXPECT_EQ(os.str(), output) << text;
    }
    EXPECT_EQ(c_decimal(static_cast<const char*>(nullptr)).get_as_string(), "0");
    EXPECT_FALSE(c_decimal("+-5").get_integral_digits().is_negative());
}

TEST(DecimalParsing, IsValid) {
    for (const char* text : {"0", "+5", "-5", "5.", ".5", "-.5", "12.50", "007", "+0.0"})
        EXPECT_TRUE(c_decimal::is_valid(text)) << text;
    for (const char* text :
         {"", "+", "-", ".", "+.", "1e5", " 1", "1 ", "1.2.3", "--1", "1,5", "0x1"})
        EXPECT_FALSE(c_decimal::is_valid(text)) << text;
}

TEST(DecimalComparison, FractionsSignsAndNegativeZero) {
    struct row {
        const char* a;
        const char* b;
        int order;
    };
    const row rows[] = {
        {"1.5", "1.50", 0},     {"1.51", "1.5", 1}, {"-1.51", "-1.5", -1}, {"-0", "0", -1},
        {"-0.0", "-0", 0},      {"0.0", "0", 0},    {"10", "9.99", 1},     {"-10", "-9.99", -1},
        {"1.05", "1.5", -1},    {"2", "-3", 1},     {".001", "0", 1},      {"-.001", "-0", -1},
        {"12.340", "12.34", 0}, {"5.1", "5.09", 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        const c_decimal a(r.a), b(r.b);
        EXPECT_EQ(a == b, r.order == 0);
        EXPECT_EQ(a != b, r.order != 0);
        EXPECT_EQ(a < b, r.order < 0);
        EXPECT_EQ(a <= b, r.order <= 0);
        EXPECT_EQ(a > b, r.order > 0);
        EXPECT_EQ(a >= b, r.order >= 0);
        EXPECT_EQ(b > a, r.order < 0);
        EXPECT_EQ(b == a, r.order == 0);
    }
}

TEST(DecimalBuilding, FromValueAndScale) {
    EXPECT_EQ(c_decimal(12345, 2).get_as_string(), "123.45");
    EXPECT_EQ(c_decimal(5, 3).get_as_string(), ".005");
    EXPECT_EQ(c_decimal(-5, 3).get_as_string(), "-.005");
    EXPECT_EQ(c_decimal(123, 3).get_as_string(), ".123");
    EXPECT_EQ(c_decimal(7, 0).get_as_string(), "7");
    EXPECT_EQ(c_decimal(-7, -3).get_as_string(), "-7000");
    EXPECT_EQ(c_decimal(0, -3).get_as_string(), "0");
    EXPECT_EQ(c_decimal(0, 2).get_as_string(), ".00");
    EXPECT_EQ(c_decimal(INT_MIN, 0).get_as_string(), "-2147483648");
    EXPECT_EQ(c_decimal(INT_MIN, 12).get_as_string(), "-.002147483648");
    c_decimal d("9.9");
    d.set_scaled(-150, 2);
    EXPECT_EQ(d.get_as_string(), "-1.50");
}

TEST(DecimalBuilding, FromDouble) {
    const c_decimal one_and_half(1.5, 2u);
    EXPECT_EQ(one_and_half.get_integral(), 1);
    EXPECT_EQ(one_and_half.get_fractional_digits(), "50");
    EXPECT_EQ(c_decimal(-1.26, 1u).get_as_string(), "-1.3");
    EXPECT_EQ(c_decimal(2.0, 0u).get_as_string(), "2");
    EXPECT_EQ(c_decimal(0.5, 40u).get_as_string(), ".500000000000000");  // at most 15 digits
    EXPECT_EQ(c_decimal(1e20, 0u).get_as_string(), "100000000000000000000");
    EXPECT_EQ(c_decimal(std::numeric_limits<double>::quiet_NaN(), 3u).get_as_string(), "0");
    EXPECT_EQ(c_decimal(-std::numeric_limits<double>::infinity(), 3u).get_as_string(), "0");
    c_decimal d;
    d = 0.25;
    EXPECT_EQ(d.get_as_string(), ".250000000000000");
    d.set(-3.0, 1u);
    EXPECT_EQ(d.get_as_string(), "-3.0");
    EXPECT_EQ(c_decimal(-1.0e308, 15u).get_integral_digits().get_as_string().size(), 309u);
}

TEST(DecimalAccessors, IntegralAndFractional) {
    c_decimal d("-12.5");
    EXPECT_EQ(d.get_integral(), -12);
    d.set_integral(34);
    EXPECT_EQ(d.get_as_string(), "34.5");
    d.set_integral(INT_MIN);
    EXPECT_EQ(d.get_as_string(), "-2147483648.5");
    bool overflow = true;
    EXPECT_EQ(d.get_integral(&overflow), INT_MIN);
    EXPECT_FALSE(overflow);
    c_decimal("2147483648").get_integral(&overflow);
    EXPECT_TRUE(overflow);

    const c_decimal half("0.5");
    EXPECT_EQ(half.get_fractional(3), 500u);
    EXPECT_EQ(half.get_fractional(0), 0u);
    EXPECT_EQ(half.get_fractional(-2), 0u);
    EXPECT_EQ(c_decimal(".4294967295").get_fractional(10, &overflow), 4294967295u);
    EXPECT_FALSE(overflow);
    half.get_fractional(10, &overflow);  // 5000000000
    EXPECT_TRUE(overflow);
    EXPECT_EQ(c_decimal(".000").get_fractional(INT_MAX, &overflow), 0u);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(c_decimal(".123").get_fractional(2), 12u);

    c_decimal f("-3.9");
    f.set_fractional(5, 3);
    EXPECT_EQ(f.get_as_string(), "-3.005");
    f.set_fractional(12345, 3);
    EXPECT_EQ(f.get_as_string(), "-3.123");
    f.set_fractional(7, 0);
    EXPECT_EQ(f.get_as_string(), "-3");
}

TEST(DecimalAccessors, Scaled) {
    EXPECT_EQ(decimal("1.5").get_scaled(2), 150);
    EXPECT_EQ(decimal("123.9").get_scaled(-1), 12);
    EXPECT_EQ(decimal("123").get_scaled(-5), 0);
    EXPECT_EQ(decimal("123").get_scaled(-3), 0);
    EXPECT_EQ(decimal("123").get_scaled(-2), 1);
    EXPECT_EQ(decimal("-1.5").get_scaled(2), -150);
    EXPECT_EQ(decimal("-1.59").get_scaled(1), -15);
    EXPECT_EQ(decimal(".05").get_scaled(3), 50);
    EXPECT_EQ(decimal("7.25").get_scaled(0), 7);
    bool overflow = false;
    EXPECT_EQ(decimal("-21474836.48").get_scaled(2, &overflow), INT_MIN);
    EXPECT_FALSE(overflow);
    decimal("21474836.48").get_scaled(2, &overflow);
    EXPECT_TRUE(overflow);
    decimal("1").get_scaled(INT_MAX, &overflow);
    EXPECT_TRUE(overflow);
    EXPECT_EQ(decimal("0").get_scaled(INT_MAX, &overflow), 0);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(decimal("5").get_scaled(INT_MIN, &overflow), 0);
    EXPECT_FALSE(overflow);
}

TEST(DecimalRoundTrip, TextValueTextAndScaledValues) {
    for (const char* text : {"-.50", ".000", "3", "-0", "12.50", "98765432109876543210.0123"}) {
        const c_decimal d(text);
        EXPECT_EQ(c_decimal(d.get_as_string()).get_as_string(), text);
        EXPECT_EQ(c_decimal(d.get_as_string()), d);
    }
    for (int value : {INT_MIN, -150, 0, 7, 12345, INT_MAX}) {
        for (int scale : {-2, 0, 1, 4}) {
            if (scale < 0 && (value > 21474836 || value < -21474836)) continue;
            bool overflow = true;
            EXPECT_EQ(c_decimal(value, scale).get_scaled(scale, &overflow), value);
            EXPECT_FALSE(overflow);
        }
    }
    EXPECT_DOUBLE_EQ(decimal("-12.25").get_as_float(), -12.25);
    EXPECT_DOUBLE_EQ(c_decimal(3.141592653589793, 15u).get_as_float(), 3.141592653589793);
}

TEST(DecimalValue, CopySwapAndAssignment) {
    c_decimal a("-1.25");
    c_decimal b(a);
    b.set_fractional(9, 1);
    EXPECT_EQ(a.get_as_string(), "-1.25");
    a.swap(b);
    EXPECT_EQ(a.get_as_string(), "-1.9");
    EXPECT_EQ(b.get_as_string(), "-1.25");
    a = "4.5";
    EXPECT_FALSE(a.is_negative());
    a = std::string("-.1");
    EXPECT_EQ(a.get_as_string(), "-.1");
    a = b;
    EXPECT_EQ(a, b);
}

}  // namespace
