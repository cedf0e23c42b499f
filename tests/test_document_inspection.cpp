#include <gtest/gtest.h>

#include <string>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

const char* const k_soap = "urn:soap";

struct reader_over {
    explicit reader_over(std::string input) : text(std::move(input)) {}
    std::string text;
    c_xml_reader_memory reader{text.data(), static_cast<unsigned>(text.size())};
    c_xml_reader_local scope{reader};

    elmx_must_understand must_understand() {
        return has_must_understand(reader, k_soap, "mustUnderstand", bool_must_understand);
    }
    // Everything left to read, as events and names, to show that looking ahead moved nothing.
    std::string rest() {
        std::string out, name;
        for (;;) {
            elmx_error error = ELMX_OK;
            reader.get_element_event(nullptr, &error, &name);
            const int event = reader.get_current_event();
            if (event != ELXP_NAME && event != ELXP_CHARACTERS && event != ELXP_END_TAG) break;
            out += std::to_string(event) + ":" + name + " ";
            if (event == ELXP_NAME)
                while (reader.get_attribute_event(nullptr, &error, &name)) {
                    out += "@" + name + " ";
                    reader.skip_attribute_value();
                }
        }
        return out;
    }
};

TEST(MustUnderstand, FindsTheFlagAnywhereInsideTheElement) {
    const std::string body =
        "<env xmlns:s='urn:soap' xmlns:t='urn:other'><h s:mustUnderstand='0' t:mustUnderstand='1'"
        " mustUnderstand='1'/>text<b><c s:mustUnderstand='true'/></b></env>";
    reader_over flagged(body);
    EXPECT_EQ(flagged.must_understand(), ELMX_MUST_UNDERSTAND_ON);
    EXPECT_EQ(flagged.rest(), reader_over(body).rest());

    reader_over off("<env xmlns:s='urn:soap'><h s:mustUnderstand='false'/><b/></env>");
    EXPECT_EQ(off.must_understand(), ELMX_MUST_UNDERSTAND_OFF);
    reader_over invalid("<env xmlns:s='urn:soap' s:mustUnderstand='yes'/>");
    EXPECT_EQ(invalid.must_understand(), ELMX_MUST_UNDERSTAND_INVALID);
    reader_over unprefixed("<env mustUnderstand='1'/>");
    EXPECT_EQ(has_must_understand(unprefixed.reader, "", "mustUnderstand", bool_must_understand),
              ELMX_MUST_UNDERSTAND_ON);
}

TEST(MustUnderstand, NoElementOrBrokenElementIsInvalidAndLeavesNoError) {
    for (const char* input : {" text", "<env><a></b></env>", "<env><a>", "<env a=1>"}) {
        reader_over r(input);
        EXPECT_EQ(r.must_understand(), ELMX_MUST_UNDERSTAND_INVALID) << input;
        EXPECT_EQ(r.reader.get_error(), ELMX_OK) << input;
    }
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    reader_over r(deep);
    EXPECT_EQ(r.must_understand(), ELMX_MUST_UNDERSTAND_INVALID);
    EXPECT_EQ(r.reader.get_error(), ELMX_OK);
}

TEST(MustUnderstand, LooksAheadFromTheMiddleOfADocument) {
    const std::string body =
        "<!DOCTYPE r [<!ENTITY e '<x xmlns:s=\"urn:soap\" s:mustUnderstand=\"1\">&#233;</x>'>]>"
        "<r>caf\xC3\xA9\n<y/>&e;<z/></r>";
    auto skip_to_text = [](reader_over& r) {
        std::string name;
        elmx_error error = ELMX_OK;
        r.reader.get_element_event(nullptr, &error, &name);
        r.reader.get_attribute_event(nullptr, &error, &name);
        r.reader.get_element_event(nullptr, &error, &name);
    };
    reader_over looked(body), plain(body);
    skip_to_text(looked);
    skip_to_text(plain);
    EXPECT_EQ(looked.must_understand(), ELMX_MUST_UNDERSTAND_OFF);  // <y/>
    EXPECT_EQ(looked.reader.get_line_no(), 2);
    EXPECT_EQ(looked.rest(), plain.rest());
}

TEST(MustUnderstand, ReturnsToTheMiddleOfAnEntityAndOfAMultiByteCharacter) {
    const std::string body =
        "<!DOCTYPE r [<!ENTITY e 'a<p s:mustUnderstand=\"1\"/>b'>]>"
        "<r xmlns:s='urn:soap'>&e;<q/></r>";
    reader_over r(body);
    std::string name;
    elmx_error error = ELMX_OK;
    r.reader.get_element_event(nullptr, &error, &name);
    r.reader.get_attribute_event(nullptr, &error, &name);
    {
        c_xml_reader_local inner(r.reader);
        r.reader.get_element_event(nullptr, &error, &name);
        EXPECT_EQ(name, "a");
        EXPECT_EQ(r.must_understand(), ELMX_MUST_UNDERSTAND_ON);
        r.reader.get_element_event(nullptr, &error, &name);
        EXPECT_EQ(name, "p");
    }
}

TEST(InstanceNamespace, OfTheNextStartTag) {
    reader_over prefixed("<p:r xmlns:p='urn:x'><q/></p:r>");
    std::string uri;
    EXPECT_TRUE(get_instance_namespace(prefixed.reader, &uri));
    EXPECT_EQ(uri, "urn:x");
    EXPECT_EQ(prefixed.rest(), "7:p:r 7:q 6:p:r ");

    reader_over defaulted("<r xmlns='urn:d'/>");
    EXPECT_TRUE(get_instance_namespace(defaulted.reader, &uri));
    EXPECT_EQ(uri, "urn:d");

    reader_over none("<r/>");
    EXPECT_FALSE(get_instance_namespace(none.reader, &uri));
    EXPECT_EQ(uri, c_xml_reader::k_namespace_not_found);
    reader_over text(" text");
    EXPECT_FALSE(get_instance_namespace(text.reader, &uri));
    EXPECT_EQ(text.rest(), "5:text ");
}

TEST(InstanceNamespace, Utf16DocumentResumesMidStream) {
    const std::u16string doc = u"<r xmlns='urn:\u00E9'>\u20AC<s/></r>";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : doc) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    reader_over r(bytes);
    std::string uri;
    EXPECT_TRUE(get_instance_namespace(r.reader, &uri));
    EXPECT_EQ(uri, "urn:\xC3\xA9");
    EXPECT_EQ(r.rest(), "7:r 5:\xE2\x82\xAC 7:s 6:r ");
}

}  // namespace
