#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "lmx/runtime.h"
#include "tests/recording_errors.h"

namespace {

using namespace lmx;

using lmx_test::recorded_error;
using lmx_test::recording_errors;

// A tokenizer over a text, with a recorder that keeps every message.
struct tokenizer {
    explicit tokenizer(std::string input) : text(std::move(input)) {}
    std::string text;
    recording_errors errors;
    c_read_string source{text};
    c_xml xml{source, errors, true};
    c_xml_local scope;
    std::string name;

    elxp_xml_event next() { return xml.get_element_name(&scope, &name); }
    const recorded_error& last() const { return errors.entries.back(); }
};

TEST(Prolog, DeclarationCommentsAndDoctypeBeforeTheFirstElement) {
    tokenizer t(
        " <!-- c --> <?xml version='1.0' encoding=\"utf-8\" standalone='yes'?>\n"
        "<?pi data?><!DOCTYPE r SYSTEM 'r.dtd'><!-- c --><r/>");
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.name, "r");
    EXPECT_TRUE(t.errors.entries.empty());
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_END_TAG);
    EXPECT_EQ(t.next(), ELXP_END_OF_DOCUMENT);
}

TEST(Prolog, WhatOtherWritersPutBeforeTheFirstElement) {
    const char* const accepted[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><r/>",
        "<?xml version='1.0'?>\n<?xml-stylesheet type='text/xsl' href='a.xsl'?><r/>",
        "<?xml-stylesheet href='a'?><r/>",
        "<?xml version='1.7'?><r/>",
        "<?xml version='1.10' standalone='yes'?><r/>",
        "<?xmlfoo?><?xml-model x?><r/>",
    };
    for (const char* input : accepted) {
        tokenizer t(input);
        EXPECT_EQ(t.next(), ELXP_NAME) << input;
        EXPECT_EQ(t.name, "r") << input;
        EXPECT_TRUE(t.errors.entries.empty()) << input;
    }
}

TEST(Prolog, FailuresCarryTheirCodeSeverityAndMessage) {
    struct row {
        const char* input;
        elmx_error_type type;
        elmx_error code;
        const char* message;
    };
    const row rows[] = {
        {"<?xml ?><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL, "Version not present in XML Decl"},
        {"<?xml version='2.0'?><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_VERSION,
         "XML version 2.0 not understood"},
        {"<?xml version='1.'?><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_VERSION,
         "XML version 1. not understood"},
        {"<?xml version='1.0a'?><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_VERSION,
         "XML version 1.0a not understood"},
        {"<?xml version='1.0' standalone='maybe'?><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL,
         "XML declaration not Well-Formed"},
        {"<?xml version='1.0' encoding='UTF-16'?><r/>", ELMX_TYPE_FATAL, ELMX_ENCODING_MISMATCH,
         "Mis-match between specfied encoding and byte format"},
        {"<?xml version='1.0' encodin='x'?><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL,
         "XML declaration not Well-Formed"},
        {"<?xml version='1.0'><r/>", ELMX_TYPE_ERROR, ELMX_BAD_XML_DECL,
         "XML declaration not Well-Formed"},
        {"<!DOCTYPE r><!DOCTYPE r><r/>", ELMX_TYPE_ERROR, ELMX_BAD_DTD,
         "Document Type Declaration already read"},
        {"<!ELEMENT r ANY><r/>", ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, "XML not Well-Formed"},
        {"<!-x><r/>", ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, "XML not Well-Formed"},
        {"<![CDAT[x]]><r/>", ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, "XML not Well-Formed"},
        {"<1/>", ELMX_TYPE_ERROR, ELMX_NOT_WELL_FORMED, "XML not Well-Formed"},
    };
    for (const row& r : rows) {
        tokenizer t(std::string("\n") + r.input);  // every failure is on line 2
        EXPECT_EQ(t.next(), ELXP_ERROR) << r.input;
        ASSERT_FALSE(t.errors.entries.empty()) << r.input;
        EXPECT_EQ(t.last().line, 2) << r.input;
        EXPECT_EQ(t.last().type, r.type) << r.input;
        EXPECT_EQ(t.last().code, r.code) << r.input;
        EXPECT_EQ(t.last().message, r.message) << r.input;
    }
}

TEST(Prolog, DeclarationOrDoctypeAfterTheStartIsRejected) {
    tokenizer decl("<r>\n<?xml version='1.0'?>");
    EXPECT_EQ(decl.next(), ELXP_NAME);
    EXPECT_EQ(decl.xml.get_attribute_name(&decl.name, false), ELXP_START_TAG_END);
    EXPECT_EQ(decl.next(), ELXP_ERROR);
    EXPECT_EQ(decl.last().type, ELMX_TYPE_FATAL);
    EXPECT_EQ(decl.last().message, "XML declaration not at start of document");
    EXPECT_EQ(decl.last().line, 2);

    tokenizer doctype(" text<!DOCTYPE r>");
    EXPECT_EQ(doctype.next(), ELXP_CHARACTERS);
    EXPECT_EQ(doctype.next(), ELXP_ERROR);
    EXPECT_EQ(doctype.last().message, "Document Type Declaration not at start of document");
}

TEST(StartTags, AttributesAndNamespaceDeclarations) {
    tokenizer t("<p:r xmlnsfoo='1' xmlns:p=\"urn:p\" xmlns='urn:d' a = \"x>&amp;\" b='\"'>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.name, "p:r");
    std::string value;
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_NAME);
    EXPECT_EQ(t.name, "xmlnsfoo");
    EXPECT_TRUE(t.xml.skip_attribute_value());
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_NAME);
    EXPECT_EQ(t.name, "a");
    EXPECT_TRUE(t.xml.get_attribute_value(&value, ELMX_WS_PRESERVE));
    EXPECT_EQ(value, "x>&");
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_NAME);
    EXPECT_EQ(t.name, "b");
    EXPECT_TRUE(t.xml.get_attribute_value(&value, ELMX_WS_PRESERVE));
    EXPECT_EQ(value, "\"");
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);

    EXPECT_EQ(t.scope.find_namespace_id("p"), 1000);
    EXPECT_EQ(t.scope.find_namespace_id(""), 1001);
    EXPECT_EQ(t.xml.find_enumerated_namespace("urn:d"), 1001);
    EXPECT_STREQ(t.xml.find_namespace_from_id(1000), "urn:p");
    EXPECT_EQ(t.xml.get_ns_id(&t.scope, "p:x"), 1000);
    EXPECT_EQ(t.xml.get_ns_id(&t.scope, "q:x"), 0);
}

TEST(StartTags, UnreadValuesAreSkippedAndXsiTypeIsFound) {
    tokenizer t(
        "<r xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xmlns:t='urn:t' a='1' "
        "xsi:type='t:Derived' b='2'/>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    int ns_id = 0;
    std::string local;
    EXPECT_TRUE(t.xml.get_xsi_type(&t.scope, &ns_id, &local));
    EXPECT_EQ(ns_id, 1000);
    EXPECT_EQ(local, "Derived");
    EXPECT_TRUE(t.xml.is_xsi_attribute(&t.scope, "xsi:nil"));
    EXPECT_FALSE(t.xml.is_xsi_attribute(&t.scope, "t:nil"));
    std::vector<std::string> names;
    while (t.xml.get_attribute_name(&t.name, false) == ELXP_NAME)
        names.push_back(t.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "xsi:type", "b"}));
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_ERROR);  // the tag is consumed
}

TEST(StartTags, MalformedAttributesAreFatal) {
    struct row {
        const char* input;
        elmx_error code;
        const char* message;
    };
    const row rows[] = {
        {"<r a", ELMX_UNEXPECTED_END_OF_MESSAGE, "Unexpected end of file"},
        {"<r a b='1'>", ELMX_NOT_WELL_FORMED, "Schema is not Well Formed (expected '=', got b)"},
        {"<r a=1>", ELMX_NOT_WELL_FORMED,
         "Schema is not Well Formed (expected '\"' or ''', got 1)"},
        {"<r a='1>", ELMX_NOT_WELL_FORMED,
         "Schema is not Well Formed (expected '\"' or ''', got )"},
        {"<r xmlns:p='u>", ELMX_NOT_WELL_FORMED,
         "Schema is not Well Formed (expected '\"' or ''', got )"},
    };
    for (const row& r : rows) {
        tokenizer t(std::string("\r\n") + r.input);
        EXPECT_EQ(t.next(), ELXP_ERROR) << r.input;
        EXPECT_EQ(t.last().line, 2) << r.input;
        EXPECT_EQ(t.last().type, ELMX_TYPE_FATAL) << r.input;
        EXPECT_EQ(t.last().code, r.code) << r.input;
        EXPECT_EQ(t.last().message, r.message) << r.input;
        // The input has ended in that error: nothing after it reads as data or as the end.
        EXPECT_EQ(t.next(), ELXP_ERROR) << r.input;
    }
}

TEST(StartTags, TagEnds) {
    tokenizer t("<a/><b ><c / ><d/x><e x='1'?>");
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_END_TAG);
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_END_TAG);
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_ERROR);
    EXPECT_EQ(t.last().message, "XML not well-formed");
    t.xml.move_to_start_tag_end(nullptr);
    EXPECT_EQ(t.next(), ELXP_NAME);
    std::string value;
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, true), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, true), ELXP_END_TAG);  // "?>" in a declaration
}

TEST(StartTags, MoveToStartTagEndHonoursQuotesAndReportsJunkAfterSlash) {
    tokenizer t("<a x='/>' y=\">\"/><b/ x ><c");
    bool is_empty = false;
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_TRUE(t.xml.move_to_start_tag_end(&is_empty));
    EXPECT_TRUE(is_empty);
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_FALSE(t.xml.move_to_start_tag_end(&is_empty));
    EXPECT_EQ(t.last().code, ELMX_BAD_END_TAG);
    EXPECT_EQ(t.last().message, "Illegal character(s) after / at end of tag - x");
    EXPECT_EQ(t.errors.entries.size(), 1u);
    EXPECT_EQ(t.next(), ELXP_ERROR);  // end of input inside the tag name
    EXPECT_EQ(t.last().message, "XML not Well-Formed");
}

TEST(EndTags, NameAndWhiteSpace) {
    tokenizer t("</a ></ a></>");
    EXPECT_EQ(t.next(), ELXP_END_TAG);
    EXPECT_EQ(t.name, "a");
    EXPECT_EQ(t.next(), ELXP_ERROR);
    EXPECT_EQ(t.last().code, ELMX_NOT_WELL_FORMED);

    tokenizer empty("</>");
    EXPECT_EQ(empty.next(), ELXP_ERROR);
    EXPECT_EQ(empty.last().message, "XML not Well-Formed");

    tokenizer longer("</abc>");
    EXPECT_FALSE(longer.xml.is_element_end_tag("a"));
    tokenizer spaced("</a  >");
    EXPECT_TRUE(spaced.xml.is_element_end_tag("a"));
}

TEST(Text, CharacterDataAndCdata) {
    tokenizer t("<r>  two  words  <![CDATA[<&]]]]><x/>&lt;tail&#x41;</r>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    EXPECT_EQ(t.next(), ELXP_CHARACTERS);
    EXPECT_EQ(t.name, "two  words  ");
    EXPECT_EQ(t.next(), ELXP_CHARACTERS);
    EXPECT_EQ(t.name, "<&]]");
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_END_TAG);
    EXPECT_EQ(t.next(), ELXP_CHARACTERS);
    EXPECT_EQ(t.name, "<tailA");
    EXPECT_EQ(t.next(), ELXP_END_TAG);
}

TEST(Text, EntityWithMarkupIsParsedAsContent) {
    tokenizer t("<!DOCTYPE r [<!ENTITY e '<b>in</b>'>]><r>&e;&undeclared;</r>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    EXPECT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.name, "b");
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    std::string value;
    EXPECT_TRUE(t.xml.get_element_value(&value, ELMX_WS_PRESERVE, true));
    EXPECT_EQ(value, "in");
    EXPECT_TRUE(t.xml.is_element_end_tag("b"));
    EXPECT_EQ(t.next(), ELXP_ERROR);
    EXPECT_EQ(t.last().code, ELMX_ENTITY_NOT_FOUND);
    EXPECT_EQ(t.last().message, "Entity 'undeclared' not found");
}

TEST(Text, EntitiesMayNotCloseWhatTheyDidNotOpen) {
    tokenizer t("<!DOCTYPE r [<!ENTITY e '</a><a>'>]><r><a>&e;</a></r>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    EXPECT_EQ(t.next(), ELXP_ERROR);
    EXPECT_EQ(t.last().type, ELMX_TYPE_FATAL);
    EXPECT_EQ(t.last().code, ELMX_NOT_WELL_FORMED);
}

TEST(Text, CharacterDataIsReadAsWrittenAfterAnyAttribute) {
    tokenizer t("<r a=' x  y '>\n a\tb\n<e/></r>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    ASSERT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_NAME);
    std::string value;
    EXPECT_TRUE(t.xml.get_attribute_value(&value, ELMX_WS_COLLAPSE));
    EXPECT_EQ(value, "x y");
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    EXPECT_EQ(t.next(), ELXP_CHARACTERS);
    EXPECT_EQ(t.name, "a\tb\n");  // leading white space is dropped before any text
}

// A tokenizer positioned inside <v>, ready for its value.
struct inside_value : tokenizer {
    explicit inside_value(const std::string& body) : tokenizer("<v>" + body) {
        next();
        xml.get_attribute_name(&name, false);
    }
};

TEST(SimpleValues, WhiteSpaceModesCommentsCdataAndErrors) {
    struct row {
        const char* input;
        elmx_whitespace mode;
        const char* expected;
    };
    const row rows[] = {
        {" a \t b </v>", ELMX_WS_COLLAPSE, "a b"},
        {" a \t b </v>", ELMX_WS_REPLACE, " a   b "},
        {" a \t b </v>", ELMX_WS_PRESERVE, " a \t b "},
        {"x<!-- c -->y<?pi?>z<![CDATA[ <&> ]]></v>", ELMX_WS_PRESERVE, "xyz <&> "},
        {"&#32;a&#9;&#32;b&amp;</v>", ELMX_WS_COLLAPSE, "a b&"},
    };
    for (const row& r : rows) {
        inside_value t(r.input);
        std::string value;
        EXPECT_TRUE(t.xml.get_element_value(&value, r.mode, true)) << r.input;
        EXPECT_EQ(value, r.expected) << r.input;
        EXPECT_TRUE(t.xml.is_element_end_tag("v")) << r.input;
    }

    inside_value unexpanded("a&amp;b</v>");
    std::string value;
    EXPECT_TRUE(unexpanded.xml.get_element_value(&value, ELMX_WS_PRESERVE, false));
    EXPECT_EQ(value, "a&amp;b");

    inside_value ended("abc");
    EXPECT_FALSE(ended.xml.get_element_value(&value, ELMX_WS_PRESERVE, true));
    EXPECT_EQ(ended.last().code, ELMX_UNEXPECTED_END_OF_MESSAGE);
    EXPECT_EQ(ended.last().message, "Premature end of file encountered");

    inside_value bad("a<!x></v>");
    EXPECT_FALSE(bad.xml.get_element_value(&value, ELMX_WS_PRESERVE, true));
    EXPECT_EQ(bad.last().message, "XML not well-formed");
}

TEST(Comments, DashesBeforeTheEndGiveAWarning) {
    tokenizer t("<!-- a -- b ---><r/>");
    EXPECT_EQ(t.next(), ELXP_NAME);
    ASSERT_EQ(t.errors.entries.size(), 1u);
    EXPECT_EQ(t.last().type, ELMX_TYPE_WARNING);
    EXPECT_EQ(t.last().code, ELMX_BAD_COMMENT);
    EXPECT_EQ(t.last().message, "End of comment not Well-Formed");
}

TEST(Skipping, NestedContentAndMismatchedEndTags) {
    tokenizer t("<r><a x='&lt;/a>'><b/>t<![CDATA[</a>]]><a></a></a><z/></r>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_TRUE(t.xml.skip_rest_of_element("a"));
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.name, "z");
    EXPECT_TRUE(t.xml.skip_rest_of_empty_element("z"));
    EXPECT_EQ(t.next(), ELXP_END_TAG);

    tokenizer bad("<a><b></c></a>");
    ASSERT_EQ(bad.next(), ELXP_NAME);
    EXPECT_FALSE(bad.xml.skip_rest_of_element("a"));
    EXPECT_EQ(bad.last().code, ELMX_NOT_WELL_FORMED);
    EXPECT_EQ(bad.last().message, "Element start tag (b) and end tag (c) do not match");

    tokenizer not_empty("<a>x</a>");
    ASSERT_EQ(not_empty.next(), ELXP_NAME);
    EXPECT_FALSE(not_empty.xml.skip_rest_of_empty_element("a"));
}

TEST(Capturing, ContentComesBackAsWritten) {
    tokenizer t(
        "<r a='1'>text &amp; <b x=\"1>2\" y='/'>in<!--drop--><?drop?></b><c  z='3' />"
        "<![CDATA[<z>]]></r>");
    ASSERT_EQ(t.next(), ELXP_NAME);
    t.xml.move_to_start_tag_end(nullptr);
    std::string content, end_name;
    EXPECT_TRUE(t.xml.get_nested_element_value(&content, &end_name, ELMX_WS_PRESERVE, false));
    EXPECT_EQ(content, "text &amp; <b x=\"1>2\" y='/'>in</b><c  z='3' /><![CDATA[<z>]]>");
    EXPECT_EQ(end_name, "r");

    inside_value any("<b>1</b></v>");
    EXPECT_TRUE(any.xml.get_any_element("v", &content, ELMX_WS_PRESERVE, false));
    EXPECT_EQ(content, "<b>1</b>");
    inside_value other("<b>1</b></q>");
    EXPECT_FALSE(other.xml.get_any_element("v", &content, ELMX_WS_PRESERVE, false));
    inside_value mismatched("<b>1</c></v>");
    EXPECT_FALSE(mismatched.xml.get_any_element("v", &content, ELMX_WS_PRESERVE, false));
}

TEST(HostileInput, EveryTruncationEndsWithoutHangOrCrash) {
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE r [<!ENTITY e \"v&#65;\">]>"
        "<!-- c --><r xmlns='urn:r' xmlns:p='urn:p' a='1&e;' p:b=\"2\"><p:c>t&e;<![CDATA[x]]>"
        "</p:c><d/><?pi x?><e> a </e></r>";
    for (std::size_t length = 0; length <= document.size(); ++length) {
        tokenizer t(document.substr(0, length));
        int events = 0;
        for (;;) {
            ASSERT_LT(++events, 1000) << "no progress at length " << length;
            elxp_xml_event event = t.next();
            if (event == ELXP_END_OF_DOCUMENT || event == ELXP_ERROR) break;
            if (event != ELXP_NAME) continue;
            std::string value;
            elxp_xml_event attribute;
            while ((attribute = t.xml.get_attribute_name(&t.name, false)) == ELXP_NAME)
                t.xml.get_attribute_value(&value, ELMX_WS_COLLAPSE);
            if (attribute == ELXP_ERROR) break;
        }
    }
}

TEST(HostileInput, LongNamesAndValues) {
    const std::string long_name(100000, 'n');
    const std::string long_value(200000, 'v');
    tokenizer t("<" + long_name + " " + long_name + "='" + long_value + "'>" + long_value + "</" +
                long_name + ">");
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_EQ(t.name, long_name);
    ASSERT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_NAME);
    std::string value;
    t.xml.get_attribute_value(&value, ELMX_WS_PRESERVE);
    EXPECT_EQ(value, long_value);
    EXPECT_EQ(t.xml.get_attribute_name(&t.name, false), ELXP_START_TAG_END);
    EXPECT_TRUE(t.xml.get_element_value(&value, ELMX_WS_PRESERVE, true));
    EXPECT_EQ(value, long_value);
    EXPECT_TRUE(t.xml.is_element_end_tag(long_name));
}

TEST(HostileInput, DeepNestingIsRefusedWhenSkippingAndCapturing) {
    std::string deep;
    const int levels = 1000000;
    deep.reserve(levels * 7 + 16);
    for (int i = 0; i < levels; ++i)
        deep += "<a>";
    for (int i = 0; i < levels; ++i)
        deep += "</a>";
    for (bool capture : {false, true}) {
        tokenizer t(deep);
        ASSERT_EQ(t.next(), ELXP_NAME);
        bool ok;
        if (capture) {
            t.xml.move_to_start_tag_end(nullptr);
            std::string content, end_name;
            ok = t.xml.get_nested_element_value(&content, &end_name, ELMX_WS_PRESERVE, false);
        } else {
            ok = t.xml.skip_rest_of_element("a");
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(t.last().type, ELMX_TYPE_FATAL);
        EXPECT_EQ(t.last().code, ELMX_BADLY_FORMED);
        EXPECT_EQ(t.last().message, "Element nesting too deep");
    }

    std::string at_limit;
    for (unsigned i = 0; i < k_default_max_depth; ++i)
        at_limit += "<a>";
    for (unsigned i = 0; i < k_default_max_depth; ++i)
        at_limit += "</a>";
    tokenizer t(at_limit);
    ASSERT_EQ(t.next(), ELXP_NAME);
    EXPECT_TRUE(t.xml.skip_rest_of_element("a"));
}

}  // namespace
