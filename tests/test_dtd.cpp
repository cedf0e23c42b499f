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

// A document that starts with a document type declaration.
class dtd_document {
public:
    explicit dtd_document(std::string text)
        : m_text(std::move(text)), m_source(m_text), m_getter(m_source, m_error, true) {}

    // Reads "<!DOCTYPE" and then the declaration, as the tokenizer does.
    bool read_doctype() {
        if (!m_getter.read_specified_string_from_input("<!DOCTYPE")) return false;
        c_internal_dtd dtd(m_getter);
        return dtd.read_doctype_decl();
    }

    // What follows the declaration, with references resolved as in element text.
    std::string rest() {
        std::string out;
        for (int c = m_getter.get(); c != -1; c = m_getter.get()) {
            if (c == '&') {
                c_entity_name_reader_for_c_get reader(m_getter);
                m_getter.resolve_reference(reader, &out);
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
        return out;
    }

    std::string general(const char* name) { return value(m_getter.find_general_entity(name)); }
    std::string parameter(const char* name) { return value(m_getter.find_parameter_entity(name)); }
    bool has_general(const char* name) { return m_getter.get_general_entity(name, nullptr); }

    c_get_for_xml& getter() { return m_getter; }
    const std::vector<recorded_error>& errors() const { return m_error.entries; }

private:
    static std::string value(const std::string* found) { return found ? *found : "<undeclared>"; }

    std::string m_text;
    c_read_string m_source;
    recording_error m_error;
    c_get_for_xml m_getter;
};

void expect_one_error(const dtd_document& doc, elmx_error_type type, elmx_error code,
                      const std::string& message) {
    ASSERT_EQ(doc.errors().size(), 1u);
    EXPECT_EQ(doc.errors()[0].type, type);
    EXPECT_EQ(doc.errors()[0].code, code);
    EXPECT_EQ(doc.errors()[0].message, message);
}

using lmx_test::k_time_budget_seconds;
using lmx_test::seconds_since;

TEST(InternalSubset, DeclaresGeneralAndParameterEntities) {
    dtd_document doc(R"(<!DOCTYPE r [
  <!ENTITY e "text">
  <!ENTITY f 'single "quoted"'>
  <!ENTITY % p "pe">
  <!ENTITY g "from %p; and &#65;&#x42; and &e; and &amp;">
  <!ENTITY %q "no space">
]><r>&g;|&f;</r>)");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.general("e"), "text");
    EXPECT_EQ(doc.general("f"), "single \"quoted\"");
    EXPECT_EQ(doc.parameter("p"), "pe");
    EXPECT_EQ(doc.parameter("q"), "no space");
    EXPECT_EQ(doc.general("g"), "from pe and AB and &e; and &amp;");
    EXPECT_EQ(doc.rest(), "<r>from pe and AB and text and &|single \"quoted\"</r>");
    EXPECT_TRUE(doc.errors().empty());
}

TEST(InternalSubset, EntityWithMarkupIsParsedAsContent) {
    dtd_document doc("<!DOCTYPE r [<!ENTITY e \"<b>in</b>\">]><r>&e;</r>");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.rest(), "<r><b>in</b></r>");
}

TEST(InternalSubset, FirstDeclarationBinds) {
    dtd_document doc(
        "<!DOCTYPE r [<!ENTITY e \"1\"><!ENTITY e \"2\"><!ENTITY % p 'a'>"
        "<!ENTITY % p 'b'>]>&e;");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.parameter("p"), "a");
    EXPECT_EQ(doc.rest(), "1");
}

TEST(InternalSubset, ExternalIdentifierOnlyIsAccepted) {
    dtd_document doc("<!DOCTYPE r SYSTEM \"r.dtd\"><r/>");
    EXPECT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.rest(), "<r/>");
    EXPECT_TRUE(doc.errors().empty());

    dtd_document both("<!DOCTYPE r PUBLIC \"-//A//B\" \"r.dtd\" [ ]><r/>");
    EXPECT_TRUE(both.read_doctype());
    EXPECT_EQ(both.rest(), "<r/>");
}

TEST(InternalSubset, OtherDeclarationsCommentsAndInstructionsAreSkipped) {
    dtd_document doc(R"(<!DOCTYPE r [
 <!ELEMENT r (#PCDATA)>
 <!ATTLIST r a CDATA "x>y" b CDATA 'p>q'>
 <!-- a comment with > and <!ENTITY no "no"> inside -->
 <?pi with > inside?>
 <?pi?>
 <!NOTATION n SYSTEM 'a>b'>
 <!ENTITY yes "yes">
]>.)");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.general("yes"), "yes");
    EXPECT_FALSE(doc.has_general("no"));
    EXPECT_EQ(doc.rest(), ".");
    EXPECT_TRUE(doc.errors().empty());
}

TEST(InternalSubset, ParameterEntitiesAreReadAsPartOfTheSubset) {
    dtd_document doc(R"(<!DOCTYPE r [
 <!ENTITY % decl '<!ENTITY fromPE "v">'>
 %decl;
 <!ENTITY % q '"'>
 <!ENTITY quoted "a%q;b">
]>)");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.general("fromPE"), "v");
    // A quote from an included text does not close the literal.
    EXPECT_EQ(doc.general("quoted"), "a\"b");
}

TEST(InternalSubset, CommentEndingInThreeDashesWarns) {
    dtd_document doc("<!DOCTYPE r [<!-- x ---><!ENTITY e \"v\">]>");
    ASSERT_TRUE(doc.read_doctype());
    expect_one_error(doc, ELMX_TYPE_WARNING, ELMX_BAD_COMMENT, "End of comment not Well-Formed");
    EXPECT_EQ(doc.general("e"), "v");
}

TEST(DtdErrors, UnknownParameterEntityReadsAsEmpty) {
    dtd_document doc("<!DOCTYPE r [ %nope; <!ENTITY e \"x%gone;y\"> ]>");
    ASSERT_TRUE(doc.read_doctype());
    ASSERT_EQ(doc.errors().size(), 2u);
    EXPECT_EQ(doc.errors()[0].type, ELMX_TYPE_ERROR);
    EXPECT_EQ(doc.errors()[0].code, ELMX_ENTITY_NOT_FOUND);
    EXPECT_EQ(doc.errors()[0].message, "Entity '%nope' not found");
    EXPECT_EQ(doc.errors()[1].message, "Entity '%gone' not found");
    EXPECT_EQ(doc.general("e"), "xy");
}

TEST(DtdErrors, ExternalEntitiesWarnAndStayUndeclared) {
    dtd_document doc(
        "<!DOCTYPE r [<!ENTITY ext SYSTEM \"ext>.xml\"><!ENTITY pub PUBLIC \"-//A\" 'p'>]>"
        "&ext;&pub;");
    ASSERT_TRUE(doc.read_doctype());
    ASSERT_EQ(doc.errors().size(), 2u);
    for (const recorded_error& e : doc.errors()) {
        EXPECT_EQ(e.type, ELMX_TYPE_WARNING);
        EXPECT_EQ(e.code, ELMX_EXTERNAL_ENTITY);
        EXPECT_EQ(e.message, "External Entity definitions not supported");
    }
    // Left undeclared, so a reference to them is an error rather than the keyword as text.
    EXPECT_EQ(doc.rest(), "");
    EXPECT_EQ(doc.errors().back().code, ELMX_ENTITY_NOT_FOUND);
    EXPECT_EQ(doc.errors().back().message, "Entity 'ext' not found");
}

TEST(DtdErrors, UnexpectedBareWord) {
    dtd_document doc("<!DOCTYPE r [<!ENTITY bad junk><!ENTITY good \"g\">]>");
    ASSERT_TRUE(doc.read_doctype());
    expect_one_error(doc, ELMX_TYPE_ERROR, ELMX_UNEXPECTED_ENTITY,
                     "Unexpected value in Entity definition: junk");
    EXPECT_FALSE(doc.has_general("bad"));
    EXPECT_EQ(doc.general("good"), "g");
}

TEST(DtdErrors, MalformedSubsetIsFatal) {
    dtd_document after_bracket("<!DOCTYPE r [ ]x");
    EXPECT_FALSE(after_bracket.read_doctype());
    expect_one_error(after_bracket, ELMX_TYPE_FATAL, ELMX_BAD_DTD,
                     "DTD not Well Formed (expected '>', got x)");
    EXPECT_EQ(after_bracket.getter().get(), -1);

    dtd_document stray("<!DOCTYPE r [ x ]>");
    EXPECT_FALSE(stray.read_doctype());
    expect_one_error(stray, ELMX_TYPE_FATAL, ELMX_BAD_DTD, "DTD not Well Formed (got x)");

    dtd_document unterminated("<!DOCTYPE r [ <!ENTITY e \"x\"> ");
    EXPECT_FALSE(unterminated.read_doctype());
    expect_one_error(unterminated, ELMX_TYPE_FATAL, ELMX_BAD_DTD, "DTD not Well Formed (got )");

    dtd_document no_end("<!DOCTYPE r SYSTEM 'x'");
    EXPECT_FALSE(no_end.read_doctype());
    EXPECT_TRUE(no_end.errors().empty());
}

TEST(DtdErrors, SelfReferringParameterEntityIsFatal) {
    dtd_document doc("<!DOCTYPE r [<!ENTITY % a \"&#37;a;\"> %a; <!ENTITY after \"x\">]>");
    EXPECT_FALSE(doc.read_doctype());
    expect_one_error(doc, ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY,
                     "Recursive entity definition for: %a;");
    EXPECT_FALSE(doc.has_general("after"));
}

TEST(DtdErrors, SelfReferenceInsideALiteralIsFatal) {
    dtd_document doc(
        "<!DOCTYPE r [<!ENTITY % a \"&#37;b;\"><!ENTITY % b \"&#37;a;\">"
        "<!ENTITY e \"%a;\">]>");
    EXPECT_FALSE(doc.read_doctype());
    expect_one_error(doc, ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY,
                     "Recursive entity definition for: %b;");
    EXPECT_FALSE(doc.has_general("e"));
}

TEST(DtdErrors, SelfReferringGeneralEntity) {
    dtd_document doc("<!DOCTYPE r [<!ENTITY e \"x&e;\">]>&e;");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.rest(), "x");
    expect_one_error(doc, ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY,
                     "Recursive entity definition for: x&e;");
}

// ---- hostile input ---------------------------------------------------------------------------

std::string laughs_subset() {
    std::string subset = "<!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        subset += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            subset += "&lol" + std::to_string(level - 1) + ";";
        subset += "\">\n";
    }
    return subset;
}

TEST(HostileDtd, BillionLaughsEndsWithAFatalError) {
    dtd_document doc("<!DOCTYPE lolz [" + laughs_subset() + "]><lolz>&lol9;</lolz>");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(doc.read_doctype());
    const std::string content = doc.rest();
    EXPECT_LT(seconds_since(start), k_time_budget_seconds);
    EXPECT_LE(content.size(), k_entity_expansion_floor);
    expect_one_error(doc, ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY,
                     "Entity expansion limit exceeded");
}

TEST(HostileDtd, BillionLaughsInParameterEntityLiterals) {
    std::string subset = "<!ENTITY % a0 \"0123456789\">";
    for (int level = 1; level <= 9; ++level) {
        subset += "<!ENTITY % a" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            subset += "%a" + std::to_string(level - 1) + ";";
        subset += "\">";
    }
    dtd_document doc("<!DOCTYPE r [" + subset + "]>");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(doc.read_doctype());
    EXPECT_LT(seconds_since(start), k_time_budget_seconds);
    expect_one_error(doc, ELMX_TYPE_FATAL, ELMX_RECURSIVE_ENTITY,
                     "Entity expansion limit exceeded");
    // What was stored stays within the limit: memory is bounded too.
    for (int level = 0; level <= 9; ++level) {
        const std::string name = "a" + std::to_string(level);
        EXPECT_LE(doc.parameter(name.c_str()).size(), k_entity_expansion_floor) << name;
    }
}

TEST(HostileDtd, DeepParameterEntityNesting) {
    const int depth = 10000;
    std::string subset = "<!ENTITY % e0 '<!ENTITY deep \"ok\">'>\n";
    for (int i = 1; i < depth; ++i)
        subset +=
            "<!ENTITY % e" + std::to_string(i) + " \"&#37;e" + std::to_string(i - 1) + ";\">\n";
    subset += "%e" + std::to_string(depth - 1) + ";";
    dtd_document doc("<!DOCTYPE r [" + subset + "]>&deep;");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_LT(seconds_since(start), k_time_budget_seconds);
    EXPECT_EQ(doc.rest(), "ok");
    EXPECT_TRUE(doc.errors().empty());
}

TEST(HostileDtd, VeryLongNamesValuesAndDeclarations) {
    const std::string name(1 << 20, 'n');
    const std::string value(1 << 20, 'v');
    const std::string filler(1 << 20, 'x');
    dtd_document doc("<!DOCTYPE r [<!ENTITY " + name + " \"" + value + "\"><!ENTITY % " + name +
                     " '" + value + "'><!-- " + filler + " --><!ATTLIST r a CDATA '" + filler +
                     "'><?pi " + filler + "?>]>&" + name + ";");
    ASSERT_TRUE(doc.read_doctype());
    EXPECT_EQ(doc.parameter(name.c_str()), value);
    EXPECT_EQ(doc.rest(), value);
    EXPECT_TRUE(doc.errors().empty());
}

TEST(HostileDtd, TruncatedAtEveryByte) {
    const std::string full = R"(<!DOCTYPE r SYSTEM "r.dtd" [
 <!ENTITY % p 'pe "text"'>
 <!ENTITY % p2 '<!ENTITY c "&#37;p;">'>
 <!ENTITY % nest "&#37;p2;">
 <!ENTITY a "x&#65;%p;&b;">
 <!ENTITY b '<i a="&a;">&#x42;</i>'>
 <!ENTITY ext PUBLIC "-//p" "s">
 <!ELEMENT r ANY>
 <!ATTLIST r a CDATA "]>">
 <!-- c - -- d --->
 <?pi ? > x?>
 %nest;
]><r a="&b;">&a;&b;&#x10000;</r>)";
    for (std::size_t length = 0; length <= full.size(); ++length) {
        dtd_document doc(full.substr(0, length));
        doc.read_doctype();
        doc.rest();
        EXPECT_EQ(doc.getter().get(), -1);
    }
    dtd_document whole(full);
    EXPECT_TRUE(whole.read_doctype());
    EXPECT_EQ(whole.general("a"), "xApe \"text\"&b;");
    EXPECT_EQ(whole.general("b"), "<i a=\"&a;\">B</i>");
    EXPECT_EQ(whole.general("c"), "pe \"text\"");
}

}  // namespace
