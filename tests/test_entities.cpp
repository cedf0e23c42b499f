#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "lmx/runtime.h"
#include "tests/recording_errors.h"
#include "tests/time_budget.h"

namespace {

using namespace lmx;

using lmx_test::recorded_error;
using recording_error = lmx_test::recording_errors;

// A getter over a document held in memory. Documents start with "<", which the constructor
// consumes, because encoding detection needs "<" or white space first.
class document {
public:
    explicit document(std::string text, bool normalise_reference_ws = true)
        : m_text("<" + std::move(text)),
          m_source(m_text),
          m_getter(m_source, m_error, normalise_reference_ws) {
        EXPECT_EQ(m_getter.get(), '<');
    }

    c_get_for_xml& getter() { return m_getter; }
    recording_error& recorder() { return m_error; }
    const std::vector<recorded_error>& errors() const { return m_error.entries; }

    // Reads the rest of the input as element text: references are resolved and entity texts
    // are pushed as input, as the tokenizer does between tags.
    std::string read_text(elmx_whitespace mode = ELMX_WS_PRESERVE) {
        std::string out;
        m_getter.set_ws_mode(mode);
        for (int c = m_getter.get(); c != -1; c = m_getter.get()) {
            if (c == '&') {
                c_entity_name_reader_for_c_get reader(m_getter);
                m_getter.resolve_reference(reader, &out);
            } else {
                m_getter.add_char_wsp(&out, c, false);
            }
        }
        return out;
    }

    // Expands the references of text in place, as in an attribute value.
    std::string expand(const std::string& text, elmx_whitespace mode = ELMX_WS_PRESERVE) {
        std::string out;
        m_getter.set_ws_mode(mode);
        std::size_t index = 0;
        c_entity_name_reader_for_attribute_data reader(text, &index);
        for (int c = reader.get(); c != -1; c = reader.get()) {
            if (c != '&')
                m_getter.add_char_wsp(&out, c, false);
            else if (!m_getter.resolve_reference(reader, &out))
                break;
        }
        return out;
    }

private:
    std::string m_text;
    c_read_string m_source;
    recording_error m_error;
    c_get_for_xml m_getter;
};

using lmx_test::k_time_budget_seconds;
using lmx_test::seconds_since;

TEST(References, PredefinedEntitiesGiveTheirCharacters) {
    document doc("&lt;&gt;&amp;&apos;&quot;");
    doc.getter().add_general_entity("lt", "cannot be overridden");
    EXPECT_EQ(doc.read_text(), "<>&'\"");
    EXPECT_TRUE(doc.errors().empty());
}

TEST(References, CharacterReferences) {
    EXPECT_EQ(document("&#65;&#x41;").read_text(), "AA");
    EXPECT_EQ(document("&#xE9;").read_text(), "\xC3\xA9");
    EXPECT_EQ(document("&#x100000;&#x10FFFF;").read_text(), "\xF4\x80\x80\x80\xF4\x8F\xBF\xBF");
    // NEL and LINE SEPARATOR are ordinary characters of XML 1.0, and references never end lines.
    EXPECT_EQ(document("&#x85;&#x2028;").read_text(), "\xC2\x85\xE2\x80\xA8");
    EXPECT_EQ(document("&#9;&#10;&#13;").read_text(), "\t\n\r");
}

TEST(References, MalformedOrForbiddenCharacterReferencesAreFatal) {
    const char* const malformed[] = {"&#65 b", "&#;", "&#x;", "&#X41;", "&#a;", "&#x4G;"};
    for (const char* text : malformed) {
        document doc(std::string("[") + text);
        EXPECT_EQ(doc.read_text(), "[") << text;
        ASSERT_EQ(doc.errors().size(), 1u) << text;
        EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_FATAL) << text;
        EXPECT_EQ(doc.errors()[0].code, ELMX_NOT_WELL_FORMED) << text;
        EXPECT_EQ(doc.errors()[0].message,
                  "Character reference not well-formed (expected digits and ';')")
            << text;
    }
    const std::pair<const char*, const char*> forbidden[] = {
        {"&#x0;", "U+0000"},
        {"&#5;", "U+0005"},
        {"&#x1F;", "U+001F"},
        {"&#xD800;", "U+D800"},
        {"&#xDFFF;", "U+DFFF"},
        {"&#xFFFE;", "U+FFFE"},
        {"&#65535;", "U+FFFF"},
        {"&#x110000;", "U+110000"},
        {"&#99999999999999999999999;", "U+110000"}};
    for (const auto& [text, named] : forbidden) {
        document doc(text);
        EXPECT_EQ(doc.read_text(), "") << text;
        ASSERT_EQ(doc.errors().size(), 1u) << text;
        EXPECT_EQ(doc.errors()[0].code, ELMX_NOT_WELL_FORMED) << text;
        EXPECT_EQ(doc.errors()[0].message,
                  std::string("Character reference to a character not allowed in XML: ") + named);
        EXPECT_TRUE(doc.recorder().is_fatal_errored());
    }
    // XML 1.1 documents may carry the C0 controls by reference, never NUL.
    document xml11("&#1;&#x1F;");
    xml11.getter().set_xml11_line_ends(true);
    EXPECT_EQ(xml11.read_text(), "\x01\x1F");
    document nul11("&#0;");
    nul11.getter().set_xml11_line_ends(true);
    EXPECT_EQ(nul11.read_text(), "");
    EXPECT_FALSE(nul11.errors().empty());
}

TEST(References, BareAmpersandsAndUndeclaredEntitiesAreFatal) {
    struct row {
        const char* text;
        elmx_error code;
        const char* message;
    };
    const row rows[] = {
        {"a &foo; b", ELMX_ENTITY_NOT_FOUND, "Entity 'foo' not found"},
        {"a &bar b", ELMX_NOT_WELL_FORMED, "Reference to 'bar' not ended by ';'"},
        {"a & b", ELMX_NOT_WELL_FORMED,
         "'&' must begin a reference (the character itself is written &amp;)"},
        {"a &", ELMX_NOT_WELL_FORMED,
         "'&' must begin a reference (the character itself is written &amp;)"},
        {"a &&lt;", ELMX_NOT_WELL_FORMED,
         "'&' must begin a reference (the character itself is written &amp;)"},
        {"a &1x;", ELMX_NOT_WELL_FORMED,
         "'&' must begin a reference (the character itself is written &amp;)"},
    };
    for (const row& r : rows) {
        document doc(r.text);
        EXPECT_EQ(doc.read_text(), "a ") << r.text;
        ASSERT_EQ(doc.errors().size(), 1u) << r.text;
        EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_FATAL) << r.text;
        EXPECT_EQ(doc.errors()[0].code, r.code) << r.text;
        EXPECT_EQ(doc.errors()[0].message, r.message) << r.text;
    }
    // In attribute values too.
    document attribute("");
    EXPECT_EQ(attribute.expand("x&undeclared;y"), "x");
    ASSERT_EQ(attribute.errors().size(), 1u);
    EXPECT_EQ(attribute.errors()[0].code, ELMX_ENTITY_NOT_FOUND);
}

TEST(Whitespace, ModesApplyToLiteralAndReferencedSpace) {
    EXPECT_EQ(document(" a \t b ").read_text(ELMX_WS_COLLAPSE), "a b");
    EXPECT_EQ(document(" a\t\nb").read_text(ELMX_WS_REPLACE), " a  b");
    EXPECT_EQ(document(" a\t b ").read_text(ELMX_WS_PRESERVE), " a\t b ");

    EXPECT_EQ(document(" a &#32; b ").read_text(ELMX_WS_COLLAPSE), "a b");
    EXPECT_EQ(document(" a &#32; b ", false).read_text(ELMX_WS_COLLAPSE), "a   b");
    EXPECT_EQ(document("&#9;a\tb").read_text(ELMX_WS_REPLACE), " a b");
    EXPECT_EQ(document("&#9;a\tb", false).read_text(ELMX_WS_REPLACE), "\ta b");
}

TEST(Whitespace, CollapseKeepsTheSpaceBeforeReferencedText) {
    EXPECT_EQ(document(" a  &lt;  b ").read_text(ELMX_WS_COLLAPSE), "a < b");
    EXPECT_EQ(document("a &#xE9; &amp; b").read_text(ELMX_WS_COLLAPSE), "a \xC3\xA9 & b");
}

TEST(PushedEntities, TextIsReadAsInputWithItsMarkup) {
    document doc("[&e;]");
    doc.getter().add_general_entity("e", "<b>x&amp;y</b>");
    EXPECT_EQ(doc.read_text(), "[<b>x&y</b>]");
}

TEST(PushedEntities, ReplacementTextMustBeBalancedMarkup) {
    const char* const balanced[] = {"",
                                    "text",
                                    "<a/>",
                                    "<a x='>'>t</a>",
                                    "<a><b/></a>x<c></c>",
                                    "<!-- </a> --><?p </a>?><![CDATA[</a>]]>",
                                    "&lt;/a>"};
    for (const char* text : balanced) {
        document doc("&e;");
        doc.getter().add_general_entity("e", text);
        doc.read_text();
        EXPECT_TRUE(doc.errors().empty()) << text;
    }
    const char* const unbalanced[] = {"</a><a>", "<a>",          "</a>",   "<a></b>",
                                      "<a",      "<a x='>",      "<!-- x", "<![CDATA[x",
                                      "<?p",     "<!DOCTYPE a>", "<",      "<a><b></a></b>"};
    for (const char* text : unbalanced) {
        document doc("[&e;]");
        doc.getter().add_general_entity("e", text);
        EXPECT_EQ(doc.read_text(), "[") << text;
        ASSERT_EQ(doc.errors().size(), 1u) << text;
        EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_FATAL) << text;
        EXPECT_EQ(doc.errors()[0].message, "Replacement text of entity 'e' is not balanced markup");
    }
}

TEST(PushedEntities, HighBytesAreDeliveredAsUnsignedValues) {
    document doc("&e;");
    doc.getter().add_general_entity("e", "\xC3\xA9\xFF");
    c_get_for_xml& g = doc.getter();
    ASSERT_EQ(g.get(), '&');
    c_entity_name_reader_for_c_get reader(g);
    std::string out;
    EXPECT_TRUE(g.resolve_reference(reader, &out));
    EXPECT_EQ(g.get(), 0xC3);
    EXPECT_EQ(g.get(), 0xA9);
    EXPECT_EQ(g.get(), 0xFF);
    EXPECT_EQ(g.get(), -1);
}

TEST(PushedEntities, SelfReferenceStopsWithTheRecursionError) {
    document doc("&e;tail");
    doc.getter().add_general_entity("e", "a&e;b");
    EXPECT_EQ(doc.read_text(), "a");
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_FATAL);
    EXPECT_EQ(doc.errors()[0].code, ELMX_RECURSIVE_ENTITY);
    EXPECT_EQ(doc.errors()[0].message, "Recursive entity definition for: a&e;b");
    EXPECT_EQ(doc.getter().get(), -1);
}

TEST(PushedEntities, AnEntityMayBeReadAgainOnceFinished) {
    document doc("&e;&e;");
    doc.getter().add_general_entity("e", "&f;");
    doc.getter().add_general_entity("f", "x");
    EXPECT_EQ(doc.read_text(), "xx");
    EXPECT_TRUE(doc.errors().empty());
}

TEST(PushedEntities, RedeclarationWhileReadingKeepsTheOldTextAlive) {
    document doc("&e;&e;");
    c_get_for_xml& g = doc.getter();
    g.add_general_entity("e", "old");
    ASSERT_EQ(g.get(), '&');
    c_entity_name_reader_for_c_get reader(g);
    std::string out;
    g.resolve_reference(reader, &out);
    EXPECT_EQ(g.get(), 'o');
    g.add_general_entity("e", "new");
    EXPECT_EQ(doc.read_text(), "ldnew");
}

TEST(InPlaceExpansion, NestedReferencesAreExpanded) {
    document doc("");
    c_get_for_xml& g = doc.getter();
    g.add_general_entity("e", "1&f;2");
    g.add_general_entity("f", "&lt;&#x41;3");
    EXPECT_EQ(doc.expand("[&e;]"), "[1<A32]");
    // "%" is plain text once a general entity's text is used.
    g.add_general_entity("p", "50% off %f;");
    EXPECT_EQ(doc.expand("&p;"), "50% off %f;");
    EXPECT_TRUE(doc.errors().empty());
    // An undeclared nested reference ends the expansion with a fatal error.
    g.add_general_entity("u", "a &zz; b");
    EXPECT_EQ(doc.expand("&u;"), "a ");
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].code, ELMX_ENTITY_NOT_FOUND);
}

TEST(InPlaceExpansion, AttributeValuesRefuseLessThanAndNormaliseWhiteSpace) {
    document doc("");
    doc.getter().add_general_entity("ws", "a\tb\nc&#9;d&#10;");
    // Literal tab and line feed stand for a space; references keep the character.
    EXPECT_EQ(doc.expand("&ws;"), "a b c\td\n");
    doc.getter().add_general_entity("lt", "&#38;#60;");
    doc.getter().add_general_entity("raw", "x<y");
    EXPECT_EQ(doc.expand("&lt;"), "<");  // the predefined entity, never the declared one
    EXPECT_EQ(doc.expand("[&raw;]"), "[x");
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].code, ELMX_NOT_WELL_FORMED);
    EXPECT_EQ(doc.errors()[0].message, "'<' not allowed in an attribute value");
}

TEST(InPlaceExpansion, WhitespaceStepAppliesToTheExpandedText) {
    document doc("");
    doc.getter().add_general_entity("e", " x \t y ");
    EXPECT_EQ(doc.expand(" a &e; b ", ELMX_WS_COLLAPSE), "a x y b");
}

TEST(InPlaceExpansion, SelfAndMutualReferencesAreFatal) {
    document doc("");
    doc.getter().add_general_entity("e", "x&e;");
    doc.expand("&e;");
    ASSERT_FALSE(doc.errors().empty());
    EXPECT_EQ(doc.errors()[0].code, ELMX_RECURSIVE_ENTITY);
    EXPECT_EQ(doc.errors()[0].message, "Recursive entity definition for: x&e;");
    EXPECT_TRUE(doc.recorder().is_fatal_errored());

    document mutual("");
    mutual.getter().add_general_entity("a", "&b;");
    mutual.getter().add_general_entity("b", "&a;");
    mutual.expand("&a;");
    ASSERT_EQ(mutual.errors().size(), 1u);
    EXPECT_EQ(mutual.errors()[0].message, "Recursive entity definition for: &b;");
}

TEST(InPlaceExpansion, OtherReaders) {
    document doc("");
    c_get_for_xml& g = doc.getter();
    g.add_general_entity("e", "E");
    std::string out;
    c_entity_name_reader_for_c_str from_c_str("e;rest");
    EXPECT_TRUE(g.resolve_reference(from_c_str, &out));
    EXPECT_STREQ(from_c_str.position(), "rest");

    const std::string text = "e; x";
    const char* position = text.data();
    c_entity_name_reader_for_entity from_entity(&position, text.data() + text.size());
    EXPECT_TRUE(g.resolve_reference(from_entity, &out));
    EXPECT_EQ(position, text.data() + 2);
    EXPECT_EQ(out, "EE");
}

// The paths that push back the most characters must never overrun the three-slot buffers
// (a debug build asserts on it) and must keep the characters in order.
TEST(PushBack, ReferenceEndingAtTheEndOfAnEntityText) {
    document doc("&e;;x&f;;y");
    doc.getter().add_general_entity("e", "&lt");
    doc.getter().add_general_entity("f", "&#65");
    // The name of a reference at the very end of a text may go on in the text below it.
    EXPECT_EQ(doc.read_text(), "<xAy");
}

TEST(PushBack, UngetsAcrossTheEndOfAnEntityText) {
    document doc("cd");
    c_get_for_xml& g = doc.getter();
    ASSERT_TRUE(g.set_input_entity_value("ab"));
    EXPECT_EQ(g.get(), 'a');
    EXPECT_EQ(g.get(), 'b');
    EXPECT_EQ(g.get(), 'c');  // the exhausted text is popped
    EXPECT_EQ(g.get_entity_stack_depth(), 0u);
    g.unget('c');
    g.unget('b');
    g.unget('a');
    g.unget(-1);  // ignored: it would otherwise take a slot
    EXPECT_EQ(doc.read_text(), "abcd");
}

TEST(PushBack, UngetsOntoAnOpenEntityText) {
    document doc("z");
    c_get_for_xml& g = doc.getter();
    ASSERT_TRUE(g.set_input_entity_value("abc"));
    for (char expected : std::string("abc"))
        EXPECT_EQ(g.get(), expected);
    g.unget('c');
    g.unget('b');
    g.unget('a');
    EXPECT_EQ(g.get_entity_stack_depth(), 1u);
    EXPECT_EQ(doc.read_text(), "abcz");
}

TEST(PushBack, LinesCountOnlyDocumentLineEnds) {
    document doc("\n&e;\n");
    c_get_for_xml& g = doc.getter();
    g.add_general_entity("e", "\n\n");
    EXPECT_EQ(doc.read_text(), "\n\n\n\n");
    EXPECT_EQ(g.get_line_num(), 3);

    document boundary("x\ny");
    c_get_for_xml& b = boundary.getter();
    ASSERT_TRUE(b.set_input_entity_value("\n"));
    EXPECT_EQ(b.get(), '\n');
    EXPECT_EQ(b.get(), 'x');
    b.unget('x');
    b.unget('\n');
    EXPECT_EQ(boundary.read_text(), "\nx\ny");
    EXPECT_EQ(b.get_line_num(), 2);
}

TEST(Getter, InvalidUtf8EndsTheInputWithAnEncodingError) {
    document doc(
        "a\xFF"
        "b");
    EXPECT_EQ(doc.read_text(), "a");
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_FATAL);
    EXPECT_EQ(doc.errors()[0].code, ELMX_BAD_CHAR_ENCODING);
}

TEST(Getter, RewindClearsEntitiesAndCounters) {
    document doc("&e;");
    c_get_for_xml& g = doc.getter();
    g.add_general_entity("e", "x");
    g.add_parameter_entity("e", "y");
    const char* value = nullptr;
    ASSERT_TRUE(g.get_parameter_entity("e", &value));
    EXPECT_STREQ(value, "y");
    EXPECT_FALSE(g.get_general_entity("E", &value));
    EXPECT_EQ(doc.read_text(), "x");
    EXPECT_EQ(g.get_entity_bytes_delivered(), 1u);
    g.rewind();
    EXPECT_EQ(g.get_entity_bytes_delivered(), 0u);
    EXPECT_FALSE(g.get_general_entity("e", nullptr));
    EXPECT_FALSE(g.get_parameter_entity("e", nullptr));
    EXPECT_EQ(g.get(), '<');
    EXPECT_EQ(doc.read_text(), "");
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].code, ELMX_ENTITY_NOT_FOUND);
}

TEST(ScanningOperations, NonWhitespaceStringsAndQuotes) {
    document doc(" \t\r\n version = 'one\"two'x\"y");
    c_get_for_xml& g = doc.getter();
    EXPECT_EQ(g.get_non_ws(), 'v');
    EXPECT_TRUE(g.read_specified_string_from_input("ersion"));
    EXPECT_EQ(g.get_non_ws(), '=');
    std::string value;
    EXPECT_TRUE(g.get_simple_quoted_value(&value));
    EXPECT_EQ(value, "one\"two");
    EXPECT_FALSE(g.read_specified_string_from_input("xyz"));
    EXPECT_EQ(g.get(), 'y');  // stopped after the first difference
    EXPECT_FALSE(g.get_simple_quoted_value(&value));
}

TEST(ScanningOperations, CommentsAndProcessingInstructions) {
    document doc(" a -- b -> c -->x more --->y <?pi ? > ?>z");
    c_get_for_xml& g = doc.getter();
    EXPECT_TRUE(g.skip_comment());
    EXPECT_EQ(g.get(), 'x');
    EXPECT_TRUE(doc.errors().empty());
    EXPECT_TRUE(g.skip_comment());
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_WARNING);
    EXPECT_EQ(doc.errors()[0].code, ELMX_BAD_COMMENT);
    EXPECT_EQ(doc.errors()[0].message, "End of comment not Well-Formed");
    EXPECT_EQ(g.get(), 'y');
    EXPECT_TRUE(g.skip_PI());
    EXPECT_EQ(g.get(), 'z');
    EXPECT_FALSE(g.skip_comment());
    EXPECT_FALSE(g.skip_PI());
}

// ---- hostile input ---------------------------------------------------------------------------

// Ten entities, each ten references to the one before: 10^10 bytes if fully expanded.
void declare_laughs(c_get_with_entities& g) {
    g.add_general_entity("l0", "lol");
    for (int level = 1; level <= 9; ++level) {
        std::string text;
        for (int i = 0; i < 10; ++i)
            text += "&l" + std::to_string(level - 1) + ";";
        g.add_general_entity("l" + std::to_string(level), text);
    }
}

void expect_expansion_limit(const document& doc) {
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_FATAL);
    EXPECT_EQ(doc.errors()[0].code, ELMX_RECURSIVE_ENTITY);
    EXPECT_EQ(doc.errors()[0].message, "Entity expansion limit exceeded");
}

TEST(HostileInput, PushedExpansionIsBounded) {
    document doc("&l9;");
    declare_laughs(doc.getter());
    const auto start = std::chrono::steady_clock::now();
    const std::string text = doc.read_text();
    EXPECT_LT(seconds_since(start), k_time_budget_seconds);
    expect_expansion_limit(doc);
    EXPECT_LE(text.size(), k_entity_expansion_floor);
    EXPECT_EQ(doc.getter().get(), -1);
}

TEST(HostileInput, InPlaceExpansionIsBounded) {
    document doc("");
    declare_laughs(doc.getter());
    const auto start = std::chrono::steady_clock::now();
    const std::string text = doc.expand("&l9;");
    EXPECT_LT(seconds_since(start), k_time_budget_seconds);
    expect_expansion_limit(doc);
    EXPECT_LE(text.size(), k_entity_expansion_floor);
}

TEST(HostileInput, ExpansionInProportionToTheDocumentIsAllowed) {
    // 100 KB of document allow 100 times as much replacement text: more than the floor.
    const std::size_t document_size = 100 * 1024;
    document doc(std::string(document_size, ' ') + "&big;");
    const std::string megabyte(1024 * 1024, 'm');
    doc.getter().add_general_entity("m", megabyte);
    std::string big;
    for (int i = 0; i < 9; ++i)
        big += "&m;";
    doc.getter().add_general_entity("big", big);
    ASSERT_GT(9 * megabyte.size(), k_entity_expansion_floor);
    ASSERT_LT(9 * megabyte.size(), k_entity_amplification_ratio * document_size);
    EXPECT_EQ(doc.read_text().size(), document_size + 9 * megabyte.size());
    EXPECT_TRUE(doc.errors().empty());
}

TEST(HostileInput, DeepChainsOfDistinctEntities) {
    const int depth = 10000;
    document doc("&g9999;");
    c_get_for_xml& g = doc.getter();
    g.add_general_entity("g0", "ok");
    for (int i = 1; i < depth; ++i)
        g.add_general_entity("g" + std::to_string(i), "&g" + std::to_string(i - 1) + ";");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(doc.expand("&g9999;"), "ok");
    EXPECT_EQ(doc.read_text(), "ok");
    EXPECT_LT(seconds_since(start), k_time_budget_seconds);
    EXPECT_TRUE(doc.errors().empty());
}

TEST(HostileInput, VeryLongNamesAndValues) {
    const std::string name(1 << 20, 'n');
    const std::string value(1 << 20, 'v');
    document doc("&" + name + ";|&" + name + "x;");
    doc.getter().add_general_entity(name, value);
    EXPECT_EQ(doc.read_text(), value + "|");
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].code, ELMX_ENTITY_NOT_FOUND);
}

TEST(HostileInput, LongCharacterReferences) {
    EXPECT_EQ(document("&#" + std::string(1 << 20, '0') + "65;").read_text(), "A");
    document huge("&#x" + std::string(1 << 20, 'F') + ";.");
    EXPECT_EQ(huge.read_text(), "");
    ASSERT_EQ(huge.errors().size(), 1u);
    EXPECT_EQ(huge.errors()[0].message,
              "Character reference to a character not allowed in XML: U+110000");
}

}  // namespace
