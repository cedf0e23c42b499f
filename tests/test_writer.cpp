#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <string>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

const s_ns_map k_two_namespaces[] = {
    {1000, "", "urn:a"},
    {1001, "p", "urn:p"},
    {0, nullptr, nullptr},
};

template <typename Wrapper>
std::string written(const Wrapper& wrapper) {
    std::ostringstream os;
    os << wrapper;
    return os.str();
}

std::string as_xml(const std::wstring& text) {
    return written(c_as_xml<std::wstring>(text));
}

TEST(WriterDeclaration, FollowsTheOptions) {
    std::ostringstream none;
    c_xml_writer w0(none, 0, "\t", "\n");
    EXPECT_EQ(none.str(), "");

    std::ostringstream plain;
    c_xml_writer w1(plain, c_xml_writer::include_xml_decl, "\t", "\r\n");
    EXPECT_EQ(plain.str(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");

    std::ostringstream standalone;
    c_xml_writer w2(standalone, c_xml_writer::include_standalone, "\t", "\n");
    EXPECT_EQ(standalone.str(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");

    std::ostringstream three_args;
    c_xml_writer w3(three_args, "\t", "\n");
    EXPECT_EQ(three_args.str(), "");
}

TEST(WriterIndentation, WritesOneTabTextPerLevelAndNeverGoesBelowZero) {
    std::ostringstream os;
    c_xml_writer w(os, "ab", "\n");
    w.undent();
    w(true) << "x";
    w.indent();
    w.indent();
    w.indent();
    w(false) << "y";
    w(true) << "z";
    w.undent();
    w(true) << w.endl();
    EXPECT_EQ(os.str(),
              "xyababab"
              "z"
              "abab\n");
}

TEST(WriterIndentation, NullTextsCountAsEmpty) {
    std::ostringstream os;
    c_xml_writer w(os, c_xml_writer::include_xml_decl, nullptr, nullptr);
    w.indent();
    w(true) << "<a/>" << w.endl();
    EXPECT_EQ(os.str(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>");
}

// A small document shaped the way bound classes drive the writer.
TEST(WriterDocument, ElementShapesComeOutByteForByte) {
    std::ostringstream os;
    c_xml_writer w(os, c_xml_writer::include_xml_decl, "\t", "\n");
    w.add_schema_location("urn:a", "a.xsd");
    w(true) << "<root";
    w.conditionally_select_ns_map(k_two_namespaces);
    w.conditionally_write_ns_attrs(false);
    os << " id=\"" << c_as_xml<std::wstring>(L"1 \"q\"") << "\">" << w.endl();
    w.indent();
    w(true) << "<child";
    w.conditionally_select_ns_map(nullptr);
    w.conditionally_write_ns_attrs(true);
    os << ">" << c_as_xml<std::wstring>(L"a<b") << "</child>" << w.endl();
    w(true) << "<empty/>" << w.endl();
    w.undent();
    w(true) << "</root>" << w.endl();
    EXPECT_EQ(os.str(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<root xmlns=\"urn:a\" xmlns:p=\"urn:p\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
              "xsi:schemaLocation=\"urn:a a.xsd\" id=\"1 &quot;q&quot;\">\n"
              "\t<child>a&lt;b</child>\n"
              "\t<empty/>\n"
              "</root>\n");
}

TEST(WriterNamespaces, MapThenListThenXsi) {
    std::ostringstream os;
    c_xml_writer w(os);
    w.add_namespace("q", "urn:q");
    w.add_default_namespace("urn:d");
    w.conditionally_select_ns_map(k_two_namespaces);
    w.conditionally_write_ns_attrs(true);
    EXPECT_EQ(os.str(),
              " xmlns=\"urn:a\" xmlns:p=\"urn:p\" xmlns:q=\"urn:q\" xmlns=\"urn:d\""
              " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"");
}

TEST(WriterNamespaces, NothingWithoutMapListOrForce) {
    std::ostringstream os;
    c_xml_writer w(os);
    w.conditionally_write_ns_attrs(false);
    w.add_namespace("late", "urn:late");  // after the outermost element: no effect
    w.conditionally_write_ns_attrs(true);
    EXPECT_EQ(os.str(), "");
}

TEST(WriterSchemaLocations, NoNamespaceLocationStandsAlone) {
    std::ostringstream os;
    c_xml_writer w(os);
    w.add_no_namespace_schema_location("a.xsd");
    w.add_schema_location("urn:x", "x.xsd");
    w.conditionally_write_ns_attrs(false);
    EXPECT_EQ(os.str(),
              " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
              " xsi:noNamespaceSchemaLocation=\"a.xsd\"");
}

TEST(WriterSchemaLocations, NamespacedLocationsArePairedInOrder) {
    std::ostringstream os;
    c_xml_writer w(os);
    w.add_schema_location("urn:x", "x.xsd");
    w.add_schema_location("urn:y", "y.xsd");
    w.conditionally_write_ns_attrs(false);
    EXPECT_EQ(os.str(),
              " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
              " xsi:schemaLocation=\"urn:x x.xsd urn:y y.xsd\"");
}

TEST(WriterNamespaces, PrefixLookupPrefersTheMapAndOutlivesLaterAdditions) {
    std::ostringstream os;
    c_xml_writer w(os);
    w.add_namespace("own", "urn:p");
    w.add_namespace("x", "urn:x");
    EXPECT_STREQ(w.get_namespace_prefix("urn:p"), "own");
    const char* x = w.get_namespace_prefix("urn:x");
    for (int i = 0; i < 100; ++i)
        w.add_namespace("n" + std::to_string(i), "urn:n");
    EXPECT_STREQ(x, "x");
    EXPECT_EQ(w.get_namespace_prefix("URN:X"), nullptr);
    EXPECT_EQ(w.get_namespace_prefix("urn:none"), nullptr);

    w.conditionally_select_ns_map(k_two_namespaces);
    w.conditionally_select_ns_map(nullptr);  // the first map stays
    EXPECT_STREQ(w.get_namespace_prefix("urn:p"), "p");
    EXPECT_STREQ(w.get_namespace_prefix("urn:a"), "");
}

TEST(WriterIdentity, StoresWhatTheCallerSets) {
    std::ostringstream os;
    c_xml_writer w(os);
    EXPECT_EQ(w.get_expected_class_identity(), nullptr);
    static const char tag[] = "c_Type";
    w.set_expected_class_identity(tag);
    EXPECT_EQ(w.get_expected_class_identity(), tag);
    w.clear_expected_class_identity();
    EXPECT_EQ(w.get_expected_class_identity(), nullptr);
}

struct forgiving_writer : c_xml_writer {
    using c_xml_writer::c_xml_writer;
    using c_xml_writer::user_handle_error;
    int calls = 0;
    std::string last_file;
    int last_line = 0;
    elmx_error user_handle_error(elmx_error code, const std::string& item, const char* file,
                                 int line) override {
        ++calls;
        last_file = file;
        last_line = line;
        return item == "forgiven" ? ELMX_OK : code;
    }
};

struct translating_writer : c_xml_writer {
    using c_xml_writer::c_xml_writer;
    using c_xml_writer::user_handle_error;
    elmx_error user_handle_error(elmx_error) override { return ELMX_UNDEFINED_ERROR; }
};

TEST(WriterErrors, DefaultHandlerReturnsTheCodeAndFormatsTheMessage) {
    std::ostringstream os;
    c_xml_writer w(os);
    std::string message = "junk";
    EXPECT_EQ(&w.get_error_message(&message), &message);
    EXPECT_EQ(message, "No Error");

    EXPECT_EQ(w.handle_error(ELMX_BAD_CHOICE, "root", "Generated/lmx", 12), ELMX_BAD_CHOICE);
    EXPECT_EQ(w.get_error_item_name(), "root");
    EXPECT_EQ(w.get_error_message(&message),
              std::string("'root'-") + get_error_description(ELMX_BAD_CHOICE));

    elmx_error_type type = ELMX_TYPE_NOTICE;
    elmx_error code = ELMX_BAD_DTD;
    int line = 99;
    EXPECT_FALSE(w.get_error_info(&type, &code, &line));
    EXPECT_EQ(type, ELMX_TYPE_NOTICE);
    EXPECT_EQ(code, ELMX_BAD_DTD);
    EXPECT_EQ(line, 99);
    EXPECT_EQ(os.str(), "");
}

TEST(WriterErrors, OverridesDecideTheResult) {
    std::ostringstream os;
    forgiving_writer w(os);
    std::string message;
    EXPECT_EQ(w.handle_error(ELMX_BAD_CHOICE, "forgiven", "Generated/lmx-SizeType", 7), ELMX_OK);
    EXPECT_EQ(w.calls, 1);
    EXPECT_EQ(w.last_file, "Generated/lmx-SizeType");
    EXPECT_EQ(w.last_line, 7);
    EXPECT_EQ(w.get_error_item_name(), "forgiven");
    EXPECT_EQ(w.get_error_message(&message), "No Error");  // the forgiven code is the last one
    EXPECT_EQ(w.handle_error(ELMX_BAD_CHOICE, "kept", "f", 8), ELMX_BAD_CHOICE);

    translating_writer t(os);
    EXPECT_EQ(t.handle_error(ELMX_BAD_CHOICE, "x", "f", 1), ELMX_UNDEFINED_ERROR);
    EXPECT_EQ(t.get_error_message(&message),
              std::string("'x'-") + get_error_description(ELMX_UNDEFINED_ERROR));
}

TEST(WriterLocale, NumbersStayClassicWhateverTheGlobalLocale) {
    struct comma_grouping : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new comma_grouping));
    std::ostringstream os;
    {
        c_xml_writer w(os);
        os << 1234567 << ' ' << -9223372036854775807LL - 1 << ' ' << c_as_xml<double>(1234.5);
    }
    os << ' ' << c_as_xml<float>(0.25f);  // the locale outlives the writer
    std::locale::global(previous);
    EXPECT_EQ(os.str(), "1234567 -9223372036854775808 1234.5 0.25");
}

TEST(Escaping, NarrowTextReadsBackAsWritten) {
    const std::string text = "a<b & 'd' > e \"q\"\t\n\r\x7F\xC3\xA9";
    const std::string expected =
        "a&lt;b &amp; &apos;d&apos; > e &quot;q&quot;\t\n&#13;\x7F\xC3\xA9";
    EXPECT_EQ(written(c_as_escaped(text)), expected);
    EXPECT_EQ(written(c_as_xml<std::string>(text)), expected);
    EXPECT_EQ(written(c_as_escaped(std::string("<<&&"))), "&lt;&lt;&amp;&amp;");
    EXPECT_EQ(written(c_as_escaped(std::string())), "");
    // "]]>" may not stand in character data.
    EXPECT_EQ(written(c_as_escaped(std::string("]]>]>]]]>"))), "]]&gt;]>]]]&gt;");
    // Attribute values keep tab and line feed as references.
    EXPECT_EQ(written(c_as_xml_attribute<std::string>("a\tb\nc\rd<\"")),
              "a&#9;b&#10;c&#13;d&lt;&quot;");
}

TEST(Escaping, NarrowBytesXmlCannotCarryBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(written(c_as_escaped(std::string("\0<", 2))), fffd + "&lt;");
    EXPECT_EQ(written(c_as_escaped("a\x01\x08\x0B\x0C\x1F" + std::string("b"))),
              "a" + fffd + fffd + fffd + fffd + fffd + "b");
    // U+FFFE and U+FFFF; an encoded surrogate; overlong, truncated and stray bytes.
    EXPECT_EQ(written(c_as_escaped("\xEF\xBF\xBE\xEF\xBF\xBF")),
              fffd + fffd + fffd + fffd + fffd + fffd);
    EXPECT_EQ(written(c_as_escaped("\xED\xA0\x80")), fffd + fffd + fffd);
    EXPECT_EQ(written(c_as_escaped("\xC0\xAF\xE2\x82")), fffd + fffd + fffd + fffd);
    EXPECT_EQ(written(c_as_escaped("\x80x\xF5")), fffd + "x" + fffd);
    // The largest characters of each length pass unchanged.
    const std::string edges =
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(written(c_as_escaped(edges)), edges);
}

TEST(Escaping, WideTextIsEscapedAndEncoded) {
    EXPECT_EQ(as_xml(L"a<b & 'd' > e \"q\""), "a&lt;b &amp; &apos;d&apos; > e &quot;q&quot;");
    const std::wstring all_lengths = {L'A', 0xE9, 0x20AC, 0xFFFD, 0xD83D, 0xDE00};
    EXPECT_EQ(as_xml(all_lengths), "A\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD\xF0\x9F\x98\x80");
    EXPECT_EQ(as_xml({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF");
    // What XML cannot carry becomes U+FFFD; carriage return and "]]>" are escaped.
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(as_xml(std::wstring(1, L'\0')), fffd);
    EXPECT_EQ(as_xml({L'a', 0x1, 0xFFFE, 0xFFFF, L'\r', L'\t', L'\n'}),
              "a" + fffd + fffd + fffd + "&#13;\t\n");
    EXPECT_EQ(as_xml(L"]]>"), "]]&gt;");
    std::ostringstream os;
    os << c_as_xml_attribute<std::wstring>(L"\t\n\r<");
    EXPECT_EQ(os.str(), "&#9;&#10;&#13;&lt;");
}

TEST(Escaping, UnpairedSurrogatesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(as_xml({L'a', L'b', 0xD800, L'c', L'd'}), "ab" + fffd + "cd");
    EXPECT_EQ(as_xml({L'a', 0xDC00, L'b'}), "a" + fffd + "b");
    EXPECT_EQ(as_xml({L'a', 0xD800}), "a" + fffd);
    EXPECT_EQ(as_xml({0xD800, 0xD800, 0xDC00}), fffd + "\xF0\x90\x80\x80");
    EXPECT_EQ(as_xml({0xDC00, 0xD800}), fffd + fffd);
    EXPECT_EQ(as_xml({0xD800, L'<'}), fffd + "&lt;");
}

TEST(Escaping, FullWidthCodePointsAreTakenAsTheyAre) {
    if (sizeof(wchar_t) < 4) GTEST_SKIP() << "wchar_t holds 16 bits here";
    const std::wstring text = {static_cast<wchar_t>(0x1F600), static_cast<wchar_t>(0x110000),
                               static_cast<wchar_t>(-1)};
    EXPECT_EQ(as_xml(text), "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Escaping, LongTextsCrossBlockBoundariesIntact) {
    std::wstring wide;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        wide += {L'x', 0x20AC, L'&', 0xD83D, 0xDE00};
        expected += "x\xE2\x82\xAC&amp;\xF0\x9F\x98\x80";
    }
    EXPECT_EQ(as_xml(wide), expected);
}

TEST(Escaping, AsciiReplacesEverythingAbove127) {
    const std::wstring text = {L'a', L'<', 0x7F, 0x80, 0xE9, 0xD83D, 0xDE00, L'z', 0x1, L'\t'};
    EXPECT_EQ(written(c_as_ascii(text)), "a<\x7F....z.\t");
}

// Accepts a fixed number of bytes, then refuses more, like a full disk.
class c_limited_buffer : public std::streambuf {
public:
    explicit c_limited_buffer(std::size_t capacity) : m_capacity(capacity) {}
    std::string text;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()) || text.size() == m_capacity)
            return traits_type::eof();
        text.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::size_t m_capacity;
};

TEST(Escaping, ShortWritesMarkTheStreamBadAndStop) {
    c_limited_buffer narrow_buffer(5);
    std::ostream narrow(&narrow_buffer);
    narrow << c_as_escaped(std::string("abc<def<ghi"));
    EXPECT_TRUE(narrow.bad());
    EXPECT_EQ(narrow_buffer.text, "abc&l");

    c_limited_buffer wide_buffer(1000);
    std::ostream wide(&wide_buffer);
    wide << c_as_xml<std::wstring>(std::wstring(3000, L'x'));
    EXPECT_TRUE(wide.bad());
    EXPECT_EQ(wide_buffer.text, std::string(1000, 'x'));

    // A caller that asked for exceptions gets one, not a termination.
    c_limited_buffer throwing_wide_buffer(2);
    std::ostream throwing_wide(&throwing_wide_buffer);
    throwing_wide.exceptions(std::ios_base::badbit);
    EXPECT_THROW(throwing_wide << c_as_xml<std::wstring>(L"abcdef"), std::ios_base::failure);
    c_limited_buffer throwing_narrow_buffer(2);
    std::ostream throwing_narrow(&throwing_narrow_buffer);
    throwing_narrow.exceptions(std::ios_base::badbit);
    EXPECT_THROW(throwing_narrow << c_as_escaped(std::string("abcdef")), std::ios_base::failure);
}

TEST(Escaping, FailedStreamIsLeftFailed) {
    std::ostringstream os;
    os.setstate(std::ios_base::badbit);
    c_xml_writer w(os, c_xml_writer::include_xml_decl);
    os << c_as_xml<std::wstring>(L"abc") << c_as_escaped(std::string("a<b"));
    EXPECT_TRUE(os.bad());
    EXPECT_EQ(os.str(), "");
}

}  // namespace
