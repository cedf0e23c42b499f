#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

// Reads a whole input through a getter; the recorder is kept for inspection.
struct decoded {
    std::string bytes;
    c_error errors;
    std::vector<int> lines;  // line number after each character
};

decoded decode(const std::string& input, bool xml11 = false) {
    decoded out;
    c_read_string source(input);
    c_get_as_utf8 getter(source, out.errors);
    getter.set_xml11_line_ends(xml11);
    for (int c = getter.get(); c != -1; c = getter.get()) {
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 255);
        out.bytes += static_cast<char>(c);
        out.lines.push_back(getter.get_line_num());
    }
    return out;
}

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

std::string utf16(const std::u16string& text, bool big_endian, bool with_mark) {
    std::string s;
    auto put = [&](char16_t unit) {
        s += static_cast<char>(big_endian ? unit >> 8 : unit & 0xFF);
        s += static_cast<char>(big_endian ? unit & 0xFF : unit >> 8);
    };
    if (with_mark) put(0xFEFF);
    for (char16_t unit : text)
        put(unit);
    return s;
}

TEST(Utf8FreeFunctions, EncodeDecodeAndValidate) {
    char out[8];
    for (int code : {0x41, 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF}) {
        unicode_char_to_utf8(code, out);
        int back = 0;
        EXPECT_TRUE(utf8_to_unicode_char(out, &back)) << code;
        EXPECT_EQ(back, code);
        EXPECT_TRUE(is_valid_utf8_char_sequence(out)) << code;
    }
    EXPECT_EQ(std::string(unicode_char_to_utf8(0xE9, out)), "\xC3\xA9");
    EXPECT_EQ(std::string(unicode_char_to_utf8(-5, out)), "\xEF\xBF\xBD");

    int code = 0;
    EXPECT_FALSE(utf8_to_unicode_char("\x80", &code));
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(utf8_to_unicode_char("\xE2\x82", &code));  // stops at the terminator

    EXPECT_TRUE(is_valid_utf8_char_sequence("\xE0\xA0\x80"));
    EXPECT_FALSE(is_valid_utf8_char_sequence("\xE0\x9F\x80"));
    EXPECT_FALSE(is_valid_utf8_char_sequence("\xED\xA0\x80"));  // a surrogate
    EXPECT_FALSE(is_valid_utf8_char_sequence("\xF0\x8F\x80\x80"));
    EXPECT_FALSE(is_valid_utf8_char_sequence("\xF4\x90\x80\x80"));
    for (int lead : {0x80, 0xBF, 0xC0, 0xC1, 0xF5, 0xFF})
        EXPECT_FALSE(is_valid_utf8_char_sequence(bytes({lead, 0x80, 0x80, 0x80}).c_str())) << lead;
}

TEST(EncodingDetection, EveryRowOfTheTable) {
    EXPECT_EQ(decode(bytes({0xFF, 0xFE, '<', 0, 'a', 0})).bytes, "<a");
    EXPECT_EQ(decode(bytes({0xFE, 0xFF, 0, '<', 0, 'a'})).bytes, "<a");
    EXPECT_EQ(decode("\xEF\xBB\xBF<a>").bytes, "<a>");
    EXPECT_EQ(decode(bytes({'<', 0, 'a', 0})).bytes, "<a");
    EXPECT_EQ(decode(bytes({' ', 0, '<', 0})).bytes, " <");
    EXPECT_EQ(decode("<a>caf\xC3\xA9</a>").bytes, "<a>caf\xC3\xA9</a>");
    EXPECT_EQ(decode("\t\xC3\xA9").bytes, "\t\xC3\xA9");
    EXPECT_EQ(decode(bytes({0, '<', 0, 'a'})).bytes, "<a");
    EXPECT_EQ(decode(bytes({0, '\n', 0, 'a'})).bytes, "\na");

    decoded empty = decode("");
    EXPECT_EQ(empty.bytes, "");
    EXPECT_FALSE(empty.errors.is_errored());
    EXPECT_EQ(decode("<").bytes, "<");
}

TEST(EncodingDetection, FailedConditionsAreFatal) {
    for (const std::string& input :
         {std::string("abc"), bytes({0xFF, 0xFE, 0, 0}), bytes({0xFF, 0xFE, 0x80, 0}),
          bytes({0xFF, 0xFE, '<', 1}), bytes({0xFF, 0xFD}), bytes({0xFE, 0xFF, 1, '<'}),
          bytes({0xEF, 0xBB, 0xBE}), bytes({0xEF}), bytes({0, 'a'}), bytes({0}), bytes({0xFF})}) {
        decoded d = decode(input);
        EXPECT_EQ(d.bytes, "");
        EXPECT_TRUE(d.errors.is_fatal_errored());
        EXPECT_EQ(d.errors.get_last_error(), ELMX_BAD_CHAR_ENCODING);
    }
}

TEST(Utf16, DecodesPairsAndRejectsUnpairedSurrogates) {
    const std::u16string text = u"<a>\u00E9\u20AC\U0001F600</a>";
    const std::string expected = "<a>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</a>";
    EXPECT_EQ(decode(utf16(text, true, true)).bytes, expected);
    EXPECT_EQ(decode(utf16(text, false, true)).bytes, expected);
    EXPECT_EQ(decode(utf16(text, false, false)).bytes, expected);

    for (bool big_endian : {true, false}) {
        for (const std::u16string& bad :
             {std::u16string(u"<a") + char16_t(0xD800) + u"b",
              std::u16string(u"<a") + char16_t(0xDC00),
              std::u16string(u"<a") + char16_t(0xDBFF) + char16_t(0xD800)}) {
            decoded d = decode(utf16(bad, big_endian, true));
            EXPECT_EQ(d.bytes, "<a");
            EXPECT_EQ(d.errors.get_last_error(), ELMX_BAD_CHAR_ENCODING);
        }
        // A high surrogate cut off by the end of input, or an odd last byte, is a document cut
        // short: an encoding error, never a quiet end.
        decoded cut = decode(utf16(std::u16string(u"<a") + char16_t(0xD800), big_endian, true));
        EXPECT_EQ(cut.bytes, "<a");
        EXPECT_EQ(cut.errors.get_last_error(), ELMX_BAD_CHAR_ENCODING);
        decoded odd = decode(utf16(u"<a", big_endian, true) + "x");
        EXPECT_EQ(odd.bytes, "<a");
        EXPECT_EQ(odd.errors.get_last_error(), ELMX_BAD_CHAR_ENCODING);
        EXPECT_TRUE(odd.errors.is_fatal_errored());
    }
}

TEST(Utf8Mode, MalformedSequencesAreFatalEncodingErrors) {
    const std::vector<std::string> cases = {
        "<a>\xC3",                  // truncated at the very end
        "<a>\xE2\x82",              // truncated at the very end
        "<a>\xF0\x9F\x98",          // truncated at the very end
        "<a>\x80xyz",               // lone continuation byte
        "<a>\xC0\xAFxyz",           // overlong
        "<a>\xED\xA0\x80xyz",       // encoded surrogate
        "<a>\xE2\x41\x41xyz",       // continuation missing
        "<a>\xF8\x88\x80\x80\x80z"  // five-byte form
    };
    for (const std::string& input : cases) {
        decoded d = decode(input);
        EXPECT_EQ(d.bytes, "<a>") << input;
        EXPECT_TRUE(d.errors.is_fatal_errored()) << input;
        EXPECT_EQ(d.errors.get_last_error(), ELMX_BAD_CHAR_ENCODING) << input;
        int line = 0;
        EXPECT_TRUE(d.errors.get_error_info(nullptr, nullptr, &line));
        EXPECT_EQ(line, 1);
    }
}

TEST(CharacterRange, CharactersXmlForbidsAreFatalInEveryEncoding) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string("<a>\0", 4), "U+0000"},
        {"<a>\x01", "U+0001"},
        {"<a>\x0B", "U+000B"},
        {"<a>\x0C", "U+000C"},
        {"<a>\x1F", "U+001F"},
        {"<a>\xEF\xBF\xBE", "U+FFFE"},
        {"<a>\xEF\xBF\xBF", "U+FFFF"},
        {"\xEF\xBB\xBF\x02", "U+0002"},
        {utf16(u"<a>\u0007", true, true), "U+0007"},
        {utf16(u"<a>\uFFFF", false, false), "U+FFFF"},
    };
    for (const auto& [input, named] : cases) {
        decoded d = decode(input);
        EXPECT_TRUE(d.errors.is_fatal_errored()) << named;
        EXPECT_EQ(d.errors.get_last_error(), ELMX_NOT_WELL_FORMED) << named;
    }
    // Tab, line feed, carriage return, DEL, C1 controls and the last plane are all characters.
    decoded allowed = decode("<\t\n\x7F\xC2\x80\xC2\x9F\xF4\x8F\xBF\xBD");
    EXPECT_FALSE(allowed.errors.is_errored());
    EXPECT_EQ(allowed.bytes, "<\t\n\x7F\xC2\x80\xC2\x9F\xF4\x8F\xBF\xBD");
}

TEST(LineEnds, NormalisedAndCounted) {
    decoded d = decode("<a\r\nb\rc\nd\r\r\ne");
    EXPECT_EQ(d.bytes, "<a\nb\nc\nd\n\ne");
    EXPECT_EQ(d.lines.front(), 1);
    EXPECT_EQ(d.lines.back(), 6);
    // NEL and LINE SEPARATOR end lines in XML 1.1 only.
    EXPECT_EQ(decode("<\xC2\x85\xE2\x80\xA8").bytes, "<\xC2\x85\xE2\x80\xA8");
    EXPECT_EQ(decode("<\xC2\x85\xE2\x80\xA8", true).bytes, "<\n\n");
    EXPECT_EQ(decode(utf16(u"<\u0085\u2028", true, true), true).bytes, "<\n\n");
    EXPECT_EQ(decode(utf16(u"<\u0085", true, true)).bytes, "<\xC2\x85");
}

TEST(LineEnds, PushBackAcrossALineEndLosesNothing) {
    std::string input = "<a\r\nb";
    c_read_string source(input);
    c_error errors;
    c_get_as_utf8 getter(source, errors);
    EXPECT_EQ(getter.get(), '<');
    EXPECT_EQ(getter.get(), 'a');
    EXPECT_EQ(getter.get(), '\n');
    EXPECT_EQ(getter.get_line_num(), 2);
    getter.unget('\n');
    EXPECT_EQ(getter.get_line_num(), 1);
    EXPECT_EQ(getter.get(), '\n');
    EXPECT_EQ(getter.get_line_num(), 2);
    EXPECT_EQ(getter.get(), 'b');
    EXPECT_EQ(getter.get(), -1);
}

TEST(PushBack, CharactersComeBackInOrderWhateverTheyWere) {
    // Detection reads the first bytes ahead; start after them, in the direct memory path.
    std::string input = "<abc d\xC3\xA9" "f>";
    c_read_string source(input);
    c_error errors;
    c_get_as_utf8 getter(source, errors);
    EXPECT_EQ(getter.get(), '<');
    EXPECT_EQ(getter.get(), 'a');
    EXPECT_EQ(getter.get(), 'b');
    const unsigned long long after_b = getter.get_bytes_read();
    getter.unget('b');
    getter.unget('a');
    EXPECT_EQ(getter.get(), 'a');
    EXPECT_EQ(getter.get(), 'b');
    EXPECT_EQ(getter.get_bytes_read(), after_b);
    // A character other than the one read comes back first, then the input goes on.
    getter.unget('x');
    EXPECT_EQ(getter.get(), 'x');
    EXPECT_EQ(getter.get(), 'c');
    EXPECT_EQ(getter.get(), ' ');
    EXPECT_EQ(getter.get(), 'd');
    EXPECT_EQ(getter.get(), 0xC3);
    EXPECT_EQ(getter.get(), 0xA9);
    // After a decoded character, an ASCII push-back that matches a byte of it is still queued.
    getter.unget(0xA9);
    EXPECT_EQ(getter.get(), 0xA9);
    EXPECT_EQ(getter.get(), 'f');
    getter.unget('f');
    getter.unget('?');
    EXPECT_EQ(getter.get(), '?');
    EXPECT_EQ(getter.get(), 'f');
    EXPECT_EQ(getter.get(), '>');
    EXPECT_EQ(getter.get(), -1);
    EXPECT_FALSE(errors.is_errored());
}

TEST(SingleByteMode, BytesAboveAsciiBecomeUtf8) {
    std::string input = "<?xml \xE9\x85\x7F";
    c_read_string source(input);
    c_error errors;
    c_get_as_utf8 getter(source, errors);
    for (char expected : std::string("<?xml "))
        EXPECT_EQ(getter.get(), expected);
    ASSERT_TRUE(getter.set_encoding("iso-8859-1"));
    std::string rest;
    for (int c = getter.get(); c != -1; c = getter.get())
        rest += static_cast<char>(c);
    EXPECT_EQ(rest, "\xC3\xA9\xC2\x85\x7F");  // 0x85 is NEL, a line end in XML 1.1 only
}

struct encoding_case {
    std::string input;
    const char* name;
    bool accepted;
    elmx_error code;
    int mode_after;
};

TEST(SetEncoding, FollowsTheDetectedMode) {
    const std::string utf8 = "<x";
    const std::string be = bytes({0, '<', 0, 'x'});
    const std::string le = bytes({'<', 0, 'x', 0});
    const std::vector<encoding_case> cases = {
        {utf8, "UTF-8", true, ELMX_OK, 2},
        {utf8, "utf-8", true, ELMX_OK, 2},
        {utf8, "US-ASCII", true, ELMX_OK, 1},
        {utf8, "UTF-16", false, ELMX_ENCODING_MISMATCH, 2},
        {utf8, "ISO-10646-UCS-2", false, ELMX_ENCODING_MISMATCH, 2},
        {be, "ISO-10646-UCS-2", true, ELMX_OK, 5},
        {le, "iso-10646-ucs-2", true, ELMX_OK, 6},
        {le, "UTF-16", true, ELMX_OK, 4},
        {le, "UTF-8", false, ELMX_ENCODING_MISMATCH, 4},
        {be, "ISO-8859-1", false, ELMX_ENCODING_MISMATCH, 1},
        {utf8, "EBCDIC", false, ELMX_BAD_CHAR_ENCODING, 2},
        {le, "Shift_JIS", false, ELMX_BAD_CHAR_ENCODING, 4},
    };
    for (const encoding_case& test : cases) {
        c_read_string source(test.input);
        c_error errors;
        c_get_as_utf8 getter(source, errors);
        EXPECT_EQ(getter.get(), '<');
        EXPECT_EQ(getter.set_encoding(test.name), test.accepted) << test.name;
        EXPECT_EQ(errors.get_last_error(), test.code) << test.name;
        EXPECT_EQ(getter.get_encoding_mode(), test.mode_after) << test.name;
        if (!test.accepted) {
            EXPECT_TRUE(errors.is_fatal_errored());
            EXPECT_EQ(getter.get(), -1);
        } else {
            EXPECT_EQ(getter.get(), 'x');
        }
    }
}

TEST(Rewind, RestartsDetectionAndCounting) {
    std::string input = bytes({0xFF, 0xFE, '<', 0, '\n', 0, 'a', 0});
    c_read_string source(input);
    c_error errors;
    c_get_as_utf8 getter(source, errors);
    while (getter.get() != -1) {
    }
    EXPECT_EQ(getter.get_line_num(), 2);
    EXPECT_EQ(getter.get_bytes_read(), input.size());
    getter.rewind();
    EXPECT_EQ(getter.get_line_num(), 1);
    EXPECT_EQ(getter.get_encoding_mode(), 0);
    EXPECT_EQ(getter.get(), '<');
    EXPECT_EQ(getter.get_encoding_mode(), 4);
}

TEST(UngetBuffer, HoldsThreeAndRefusesAFourth) {
    c_unget_buffer buffer;
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(buffer.unget(1));
    EXPECT_TRUE(buffer.unget(2));
    EXPECT_TRUE(buffer.unget(3));
    c_unget_buffer copy;
    copy = buffer;
    EXPECT_EQ(copy.get(), 3);
    EXPECT_EQ(copy.get(), 2);
    EXPECT_EQ(copy.get(), 1);
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(copy.get(), -1);
#ifdef NDEBUG
    EXPECT_FALSE(buffer.unget(4));
    EXPECT_EQ(buffer.get(), 3);
#endif
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
}

}  // namespace
