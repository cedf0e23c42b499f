#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

std::wstring from_utf8(const std::string& text) {
    std::wstring out = L"stale";
    return vtostring(out, text);
}

std::string to_utf8(const std::wstring& text) {
    std::string out = "stale";
    return convert(&out, text);
}

// Writes through a writer, as bound classes do, so the stream has the classic locale.
template <typename T>
std::string xml_text(const T& value) {
    std::ostringstream os;
    c_xml_writer writer(os);
    os << c_as_xml<T>(value);
    return os.str();
}

template <typename T>
T converted(const std::string& text) {
    T value{};
    convert(&value, text);
    return value;
}

TEST(ValidityChecks, Booleans) {
    for (const char* text : {"true", "1", "false", "0"})
        EXPECT_TRUE(is_valid_bool(text)) << text;
    for (const char* text : {"TRUE", " true", "true ", "", "yes", "01", "2"})
        EXPECT_FALSE(is_valid_bool(text)) << text;
}

TEST(ValidityChecks, Integers) {
    for (const char* text :
         {"+5", "-0", "007", "0", "-9223372036854775809", "123456789012345678901234567890"})
        EXPECT_TRUE(is_valid_integer(text)) << text;
    for (const char* text : {"", "+", "-", "5 ", " 5", "0x1A", "1.0", "+-1", "1e3", "١"})
        EXPECT_FALSE(is_valid_integer(text)) << text;
    EXPECT_FALSE(is_valid_integer(std::string("5\0", 2)));
}

TEST(ValidityChecks, Floats) {
    for (const char* text :
         {"INF", "-INF", "NaN", "5", "5.", ".5", "5.25", "-.5E+3", "+1e-7", "1E5", "0.0", "-0"})
        EXPECT_TRUE(is_valid_float(text)) << text;
    for (const char* text : {"", ".", "+", "-.", "+INF", "inf", "nan", "1e", "1e+", " 1", "1 ",
                             "1.2.3", "e5", ".e5", "1e5.0", "0x1p3", "1,5"})
        EXPECT_FALSE(is_valid_float(text)) << text;
}

TEST(IntegerConversions, ReachEveryBoundaryExactly) {
    EXPECT_EQ(converted<unsigned int>("0"), 0u);
    EXPECT_EQ(converted<unsigned int>("4294967295"), 4294967295u);
    EXPECT_EQ(converted<unsigned int>("+007"), 7u);
    EXPECT_EQ(converted<int>("-2147483648"), INT_MIN);
    EXPECT_EQ(converted<int>("2147483647"), INT_MAX);
    EXPECT_EQ(converted<int>("-0"), 0);
    EXPECT_EQ(converted<long long>("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(converted<long long>("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(converted<long long>("+42"), 42);
}

TEST(IntegerConversions, OutOfRangeTextSaturatesInsteadOfMisbehaving) {
    EXPECT_EQ(converted<int>("2147483648"), INT_MAX);
    EXPECT_EQ(converted<int>("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(converted<long long>("99999999999999999999"), LLONG_MAX);
}

TEST(IntegerConversions, RoundTripThroughTheStream) {
    for (long long value : {LLONG_MIN, -1LL, 0LL, LLONG_MAX}) {
        std::ostringstream os;
        c_xml_writer writer(os);
        os << value;
        ASSERT_TRUE(is_valid_integer(os.str()));
        EXPECT_EQ(converted<long long>(os.str()), value);
    }
    for (int value : {INT_MIN, INT_MAX}) {
        std::ostringstream os;
        c_xml_writer writer(os);
        os << value;
        EXPECT_EQ(converted<int>(os.str()), value);
    }
    std::ostringstream os;
    c_xml_writer writer(os);
    os << UINT_MAX;
    EXPECT_EQ(converted<unsigned int>(os.str()), UINT_MAX);
}

TEST(BoolConversions, TextAndBack) {
    EXPECT_TRUE(converted<bool>("true"));
    EXPECT_TRUE(converted<bool>("1"));
    EXPECT_FALSE(converted<bool>("false"));
    EXPECT_FALSE(converted<bool>("0"));
    for (bool value : {true, false})
        EXPECT_EQ(converted<bool>(xml_text(value)), value);
    EXPECT_EQ(xml_text(true), "true");
}

TEST(FloatConversions, SpecialTextsAndPlainNumbers) {
    EXPECT_TRUE(std::isnan(converted<double>("NaN")));
    EXPECT_EQ(converted<double>("INF"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(converted<double>("-INF"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(converted<double>("-.5E+3"), -500.0);
    EXPECT_EQ(converted<double>("+1.5"), 1.5);
    EXPECT_EQ(converted<double>("5."), 5.0);
    EXPECT_TRUE(std::signbit(converted<double>("-0")));
    EXPECT_EQ(converted<double>("4.9406564584124654e-324"),
              std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(converted<float>("0.1"), 0.1f);
    EXPECT_TRUE(std::isnan(converted<float>("NaN")));
}

TEST(FloatConversions, BeyondTheRangeGivesInfinityOrZero) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(converted<double>("1e400"), inf);
    EXPECT_EQ(converted<double>("-1e400"), -inf);
    EXPECT_EQ(converted<double>("0.000001e315"), inf);
    EXPECT_EQ(converted<double>("1" + std::string(400, '0')), inf);
    EXPECT_EQ(converted<double>("1e99999999999999999999"), inf);
    EXPECT_EQ(converted<double>("1e-400"), 0.0);
    EXPECT_EQ(converted<double>("100000e-330"), 0.0);
    EXPECT_TRUE(std::signbit(converted<double>("-1e-400")));
    EXPECT_EQ(converted<float>("1e39"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(converted<float>("1e-50"), 0.0f);
}

TEST(FloatConversions, ReadDecimalPointWhateverTheGlobalLocale) {
    struct comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new comma));
    const double value = converted<double>("2.5");
    std::locale::global(previous);
    EXPECT_EQ(value, 2.5);
}

TEST(FloatOutput, SpecialValuesAndPrecision) {
    EXPECT_EQ(xml_text(1.0), "1");
    EXPECT_EQ(xml_text(0.1), "0.1");
    EXPECT_EQ(xml_text(-0.0), "-0.0");
    EXPECT_EQ(xml_text(0.0), "0.0");
    EXPECT_EQ(xml_text(1.0 / 3), "0.33333333333333");
    EXPECT_EQ(xml_text(1.0f / 3), "0.3333333");
    EXPECT_EQ(xml_text(-0.0f), "-0.0");
    EXPECT_EQ(xml_text(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(xml_text(std::numeric_limits<double>::signaling_NaN()), "NaN");
    EXPECT_EQ(xml_text(-std::numeric_limits<float>::infinity()), "-INF");
    EXPECT_EQ(xml_text(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(xml_text(1e20), "1e+20");
    EXPECT_EQ(xml_text(-123456.75), "-123456.75");
}

TEST(FloatOutput, LeavesTheCallersFormattingAsItWas) {
    std::ostringstream os;
    c_xml_writer writer(os);
    os << std::fixed << std::showpoint;
    os.precision(3);
    os << c_as_xml<double>(2.5) << ' ' << 2.5;
    EXPECT_EQ(os.str(), "2.5 2.500");
}

TEST(FloatOutput, RoundTripsWithinTheWrittenPrecision) {
    for (double value : {3.14159265358979, -2.5e-300, 1.7976931348623e308, 123456789.0, 1e-5}) {
        const std::string text = xml_text(value);
        ASSERT_TRUE(is_valid_float(text)) << text;
        EXPECT_NEAR(converted<double>(text), value, std::fabs(value) * 1e-13) << text;
    }
    for (float value : {0.1f, 3.4028235e38f, -1.1754944e-38f}) {
        const std::string text = xml_text(value);
        ASSERT_TRUE(is_valid_float(text)) << text;
        EXPECT_NEAR(converted<float>(text), value, std::fabs(value) * 1e-6f) << text;
    }
    for (const char* text : {"NaN", "INF", "-INF"})
        EXPECT_EQ(xml_text(converted<double>(text)), text);
}

// Found by fuzzing: seven digits are more than a float always carries, so "1e-38", written for
// 1.00000008e-38, read back as 9.99999935e-39 and was written "9.999999e-39" the next time.
TEST(FloatOutput, TextIsTheSameFromSaveToSave) {
    const float found = converted<float>("00.00000000000000000000000000000000000001000000010");
    EXPECT_EQ(xml_text(found), "1.00000008e-38");
    EXPECT_EQ(converted<float>(xml_text(found)), found);
    EXPECT_EQ(xml_text(0.1f), "0.1") << "a value that reads back keeps its seven digits";

    // The neighbours of every power of ten, where a decimal digit is worth the least.
    for (int exponent = -45; exponent <= 38; ++exponent) {
        float value = converted<float>("1e" + std::to_string(exponent));
        for (int step = 0; step < 4; ++step)
            value = std::nextafter(value, 0.0f);
        for (int step = 0; step < 8;
             ++step, value = std::nextafter(value, std::numeric_limits<float>::infinity())) {
            const std::string text = xml_text(value);
            EXPECT_EQ(xml_text(converted<float>(text)), text) << exponent;
        }
    }
}

TEST(Utf8ToUtf16, ConvertsEveryLengthAndPairs) {
    EXPECT_EQ(from_utf8("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::wstring{L'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(from_utf8("\xF4\x8F\xBF\xBF"), (std::wstring{0xDBFF, 0xDFFF}));
    EXPECT_EQ(from_utf8(""), L"");
    // Surrogates encoded one by one are accepted as a pair.
    EXPECT_EQ(from_utf8("\xED\xA0\xBD\xED\xB8\x80z"), (std::wstring{0xD83D, 0xDE00, L'z'}));
}

TEST(Utf8ToUtf16, StopsAtTheFirstMalformedSequence) {
    EXPECT_EQ(from_utf8("ab\x80"
                        "cd"),
              L"ab");  // stray continuation byte
    EXPECT_EQ(from_utf8("ab\xFF"
                        "cd"),
              L"ab");                               // no such lead
    EXPECT_EQ(from_utf8("ab\xC3"), L"ab");          // cut off at the very end
    EXPECT_EQ(from_utf8("ab\xF0\x9F\x98"), L"ab");  // cut off at the very end
    EXPECT_EQ(from_utf8("ab\xE2\x28\xAC"
                        "cd"),
              L"ab");                                   // bad continuation byte
    EXPECT_EQ(from_utf8("ab\xF7\xBF\xBF\xBF"), L"ab");  // beyond U+10FFFF
    EXPECT_EQ(from_utf8("ab\xED\xA0\xBD"), L"ab");      // trailing high surrogate dropped
    EXPECT_EQ(from_utf8("ab\xED\xA0\xBD"
                        "cd"),
              L"ab");  // high surrogate without partner
    EXPECT_EQ(from_utf8("ab\xED\xA0\xBD\xED\xA0\xBD"), L"ab");
}

TEST(Utf8ToUtf16, KeepsOverlongFormsAndLoneLowSurrogates) {
    EXPECT_EQ(from_utf8("\xC0\xBC"), L"<");
    EXPECT_EQ(from_utf8("\xE0\x80\xA6"), L"&");
    EXPECT_EQ(from_utf8("\xC0\x80x"), std::wstring(L"\0x", 2));
    EXPECT_EQ(from_utf8("a\xED\xB0\x80"
                        "b"),
              (std::wstring{L'a', 0xDC00, L'b'}));
    // An overlong form read back is written escaped, so it cannot smuggle markup out.
    EXPECT_EQ(to_utf8(from_utf8("\xC0\xBC")), "<");
    std::ostringstream os;
    os << c_as_xml<std::wstring>(from_utf8("\xC0\xBC"));
    EXPECT_EQ(os.str(), "&lt;");
}

TEST(Utf16ToUtf8, ConvertsPairsAndReplacesUnpairedSurrogates) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(to_utf8({L'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}),
              "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(to_utf8({L'A', 0xD800, L'B'}), "A" + fffd + "B");
    EXPECT_EQ(to_utf8({L'A', 0xDFFF, L'B'}), "A" + fffd + "B");
    EXPECT_EQ(to_utf8({L'A', 0xD800}), "A" + fffd);
    EXPECT_EQ(to_utf8({0xD800, 0xD83D, 0xDE00}), fffd + "\xF0\x9F\x98\x80");
    EXPECT_EQ(to_utf8({L'a', 0, L'b'}), "ab");
    EXPECT_EQ(to_utf8({L'<', L'&'}), "<&");
    EXPECT_EQ(to_utf8(L""), "");
}

TEST(Utf16ToUtf8, RoundTripsEveryCodePointClass) {
    std::wstring all;
    for (unsigned unit = 1; unit < 0xD800; unit += 7)
        all.push_back(static_cast<wchar_t>(unit));
    for (unsigned unit = 0xE000; unit <= 0xFFFF; unit += 5)
        all.push_back(static_cast<wchar_t>(unit));
    for (unsigned high = 0xD800; high <= 0xDBFF; high += 31) {
        all.push_back(static_cast<wchar_t>(high));
        all.push_back(static_cast<wchar_t>(0xDC00 + (high & 0x3FF)));
    }
    const std::string utf8 = to_utf8(all);
    EXPECT_EQ(from_utf8(utf8), all);
    std::wstring via_convert;
    EXPECT_EQ(convert(&via_convert, utf8), all);
    std::string narrow;
    EXPECT_EQ(vtostring(narrow, utf8), utf8);
}

TEST(Length, CountsCharactersNotBytes) {
    EXPECT_EQ(length("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), 4u);
    EXPECT_EQ(length(""), 0u);
    EXPECT_EQ(length("\xED\xA0\xBD\xED\xB8\x80z"), 2u);  // separately encoded pair is one
    EXPECT_EQ(length("ab\x80"
                     "cdef"),
              3u);                        // a stray byte ends the count
    EXPECT_EQ(length("ab\xF0\x9F"), 3u);  // cut off at the end
    EXPECT_EQ(length("ab\xED"), 3u);
}

TEST(Length, MinimumAndMaximumDecideFromBytesWhereTheyCan) {
    EXPECT_TRUE(is_min_length_ok("abcdefgh", 2));
    EXPECT_TRUE(is_min_length_ok("\xE2\x82\xAC\xE2\x82\xAC", 2));
    EXPECT_FALSE(is_min_length_ok("\xE2\x82\xAC\xE2\x82\xAC", 3));
    EXPECT_TRUE(is_min_length_ok("", 0));
    EXPECT_FALSE(is_min_length_ok("", 1));
    // Nine bytes exceed four bytes per character of a two-character limit.
    EXPECT_FALSE(is_max_length_ok("ab\x80\x80\x80\x80\x80\x80\x80", 2));
    EXPECT_TRUE(is_max_length_ok("ab", 2));
    EXPECT_TRUE(is_max_length_ok("\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 2));
    EXPECT_FALSE(is_max_length_ok("\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 1));
    EXPECT_FALSE(is_max_length_ok("a", 0));
    EXPECT_TRUE(is_max_length_ok("a", SIZE_MAX));
    EXPECT_FALSE(is_min_length_ok("a", SIZE_MAX));
}

TEST(Digits, CountTotalAndFraction) {
    EXPECT_EQ(fraction_digits("1.50"), 2);
    EXPECT_EQ(total_digits("-001.50"), 5);
    EXPECT_EQ(fraction_digits("15"), 0);
    EXPECT_EQ(fraction_digits("1.5.25"), 3);
    EXPECT_EQ(fraction_digits("."), 0);
    EXPECT_EQ(total_digits(""), 0);
}

TEST(QualifiedNames, AllFourForms) {
    ct_qname<std::string> narrow;
    make_qname(&narrow, "p:n\xC3\xA9", "urn:p", "n\xC3\xA9");
    EXPECT_EQ(narrow.local_part, "n\xC3\xA9");
    EXPECT_EQ(narrow.namespace_uri, "urn:p");
    ct_qname<std::wstring> wide;
    make_qname(&wide, "p:n\xC3\xA9", "urn:p", "n\xC3\xA9");
    EXPECT_EQ(wide.local_part, (std::wstring{L'n', 0xE9}));
    EXPECT_EQ(wide.namespace_uri, "urn:p");
    std::string lexical;
    EXPECT_EQ(make_qname(&lexical, "p:n", "urn:p", "n"), "p:n");
    std::wstring wide_lexical;
    EXPECT_EQ(make_qname(&wide_lexical, "p:n\xC3\xA9", "urn:p", "n"),
              (std::wstring{L'p', L':', L'n', 0xE9}));
}

TEST(Helpers, BswapMustUnderstandPatternAndZero) {
    char a[] = "abcd";
    char b[] = "wxyz";
    bswap(a, b, 3);
    EXPECT_STREQ(a, "wxyd");
    EXPECT_STREQ(b, "abcz");
    bswap(a, a, 4);
    EXPECT_STREQ(a, "wxyd");
    bswap(a, b, 0);
    EXPECT_STREQ(a, "wxyd");

    EXPECT_EQ(bool_must_understand("1"), ELMX_MUST_UNDERSTAND_ON);
    EXPECT_EQ(bool_must_understand("true"), ELMX_MUST_UNDERSTAND_ON);
    EXPECT_EQ(bool_must_understand("0"), ELMX_MUST_UNDERSTAND_OFF);
    EXPECT_EQ(bool_must_understand("false"), ELMX_MUST_UNDERSTAND_OFF);
    EXPECT_EQ(bool_must_understand("yes"), ELMX_MUST_UNDERSTAND_INVALID);
    EXPECT_EQ(bool_must_understand(""), ELMX_MUST_UNDERSTAND_INVALID);

    const c_pattern pattern("[0-9]+");
    EXPECT_TRUE(pattern.is_match(std::string()));
    EXPECT_TRUE(pattern.is_match(std::string("letters")));
    EXPECT_TRUE(pattern.is_match(std::wstring(L"x")));

    EXPECT_EQ(float_zero(), 0.0);
    EXPECT_FALSE(std::signbit(float_zero()));
}

struct range_case {
    const char* text;
    elmx_error expected;
};

void expect_ranges(const c_big_int& minimum, const c_big_int& maximum,
                   std::initializer_list<range_case> cases) {
    for (const range_case& c : cases) {
        ASSERT_TRUE(is_valid_integer(c.text)) << c.text;
        EXPECT_EQ(check_integer_range(c.text, minimum, maximum), c.expected) << c.text;
    }
}

TEST(IntegerRanges, UnsignedInt) {
    expect_ranges(k_unsigned_int_min, k_unsigned_int_max,
                  {{"0", ELMX_OK},
                   {"-0", ELMX_OK},
                   {"+4294967295", ELMX_OK},
                   {"-1", ELMX_VALUE_BELOW_MINIMUM},
                   {"4294967296", ELMX_VALUE_ABOVE_MAXIMUM},
                   {"0004294967295", ELMX_OK}});
}

TEST(IntegerRanges, Int) {
    expect_ranges(k_int_min, k_int_max,
                  {{"-2147483648", ELMX_OK},
                   {"2147483647", ELMX_OK},
                   {"-2147483649", ELMX_VALUE_BELOW_MINIMUM},
                   {"2147483648", ELMX_VALUE_ABOVE_MAXIMUM}});
}

TEST(IntegerRanges, Long) {
    expect_ranges(k_long_min, k_long_max,
                  {{"-9223372036854775808", ELMX_OK},
                   {"9223372036854775807", ELMX_OK},
                   {"-9223372036854775809", ELMX_VALUE_BELOW_MINIMUM},
                   {"9223372036854775808", ELMX_VALUE_ABOVE_MAXIMUM},
                   {"-123456789012345678901234567890", ELMX_VALUE_BELOW_MINIMUM}});
}

TEST(IntegerRanges, AcceptedTextsConvertToTheirExactValues) {
    std::ostringstream os;
    c_xml_writer writer(os);
    os << k_long_min << ' ' << k_unsigned_int_max;
    EXPECT_EQ(os.str(), "-9223372036854775808 4294967295");
    EXPECT_EQ(converted<long long>("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(converted<unsigned int>("4294967295"), UINT_MAX);
}

}  // namespace
