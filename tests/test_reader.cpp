#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

enum test_events { EV_ROOT = 13, EV_ITEM, EV_SCHEMA_ITEM, EV_ID, EV_LANG };

const s_event_map k_table[] = {
    {k_ns_id_no_namespace, "root", 4, EV_ROOT}, {k_ns_id_no_namespace, "item", 4, EV_ITEM},
    {1000, "item", 4, EV_SCHEMA_ITEM},          {k_ns_id_no_namespace, "id", 2, EV_ID},
    {k_ns_id_no_namespace, "nil", 3, EV_LANG},  {0, nullptr, 0, ELXP_UNKNOWN},
};

const s_ns_map k_namespaces[] = {
    {1000, "", "urn:schema"},
    {0, nullptr, nullptr},
};

struct reader_over {
    explicit reader_over(std::string input) : text(std::move(input)) {
        reader.set_ns_map(k_namespaces);
    }
    std::string text;
    c_xml_reader_memory reader{text.data(), static_cast<unsigned>(text.size())};
    std::string name;
    elmx_error error = ELMX_OK;

    int element() {
        error = ELMX_OK;
        reader.get_element_event(k_table, &error, &name);
        return reader.get_current_event();
    }
    int attribute() {
        if (!reader.get_attribute_event(k_table, &error, &name)) return -1;
        reader.skip_attribute_value();
        return reader.get_current_event();
    }
};

TEST(EventTables, NamespacesDecideWhichRowMatches) {
    reader_over r(
        "<root xmlns:s='urn:schema' xmlns:x='urn:other' id='1' s:id='2'>"
        "<item/><s:item/><x:item/><u:item/><item xmlns='urn:schema'/></root>");
    c_xml_reader_local outer(r.reader);
    EXPECT_EQ(r.element(), EV_ROOT);
    EXPECT_EQ(r.attribute(), EV_ID);
    EXPECT_EQ(r.attribute(), ELXP_UNKNOWN);  // s:id is in the schema namespace
    EXPECT_EQ(r.attribute(), -1);
    EXPECT_EQ(r.reader.get_current_event(), ELXP_START_TAG_END);
    c_xml_reader_local inner(r.reader);
    const int expected[] = {EV_ITEM, EV_SCHEMA_ITEM, ELXP_UNKNOWN, ELXP_UNKNOWN, EV_SCHEMA_ITEM};
    for (int event : expected) {
        EXPECT_EQ(r.element(), event) << r.name;
        EXPECT_EQ(r.attribute(), -1);
        EXPECT_EQ(r.reader.get_current_event(), ELXP_END_TAG);
    }
    EXPECT_EQ(r.element(), ELXP_END_TAG);
    EXPECT_EQ(r.name, "root");
}

TEST(EventTables, DefaultNamespaceNeverAppliesToAttributes) {
    reader_over r(
        "<item xmlns='urn:schema' id='1' xmlns:xsi='http://www.w3.org/2001/"
        "XMLSchema-instance' xsi:nil='true' xsi:type='t' xsi:schemaLocation='a b' "
        "xsi:noNamespaceSchemaLocation='c' xsi:other='d'/>");
    c_xml_reader_local scope(r.reader);
    EXPECT_EQ(r.element(), EV_SCHEMA_ITEM);
    EXPECT_EQ(r.reader.get_element_ns_id(), 1000);
    const int expected[] = {EV_ID,
                            ELXP_XSI_NIL,
                            ELXP_XSI_TYPE,
                            ELXP_XSI_SCHEMA_LOCATION,
                            ELXP_XSI_NO_NAMESPACE_SCHEMA_LOCATION,
                            ELXP_UNKNOWN};
    for (int event : expected)
        EXPECT_EQ(r.attribute(), event);
    EXPECT_TRUE(r.reader.is_xsi_attribute("xsi:nil"));

    reader_over other("<item xmlns:xsi='urn:not-xsi' xsi:nil='true'/>");
    c_xml_reader_local other_scope(other.reader);
    EXPECT_EQ(other.element(), EV_ITEM);
    EXPECT_EQ(other.attribute(), ELXP_UNKNOWN);  // goes through the table, prefixed: no match
    EXPECT_FALSE(other.reader.is_xsi_attribute("xsi:nil"));
}

TEST(Scopes, DeclarationsStayWithTheirElement) {
    reader_over r(
        "<root xmlns:p='urn:p'><p:item xmlns:q='urn:q'/><q:item/>"
        "<p:item xmlns:p='urn:inner'><p:x/></p:item><p:item/></root>");
    c_xml_reader_local outer(r.reader);
    EXPECT_EQ(r.element(), EV_ROOT);
    r.attribute();
    {
        c_xml_reader_local level(r.reader);
        r.element();
        EXPECT_EQ(r.reader.get_ns_id(), r.reader.find_enumerated_namespace("urn:p"));
        r.attribute();
        r.element();  // q was declared by the previous sibling only
        EXPECT_EQ(r.reader.get_ns_id(), 0);
        std::string uri;
        EXPECT_EQ(*r.reader.get_namespace("q:item", &uri), " ");
        EXPECT_EQ(c_xml_reader::k_namespace_not_found, " ");
        r.attribute();
        r.element();
        EXPECT_EQ(*r.reader.get_namespace("p:item", &uri), "urn:inner");
        r.attribute();
        {
            c_xml_reader_local inner(r.reader);
            r.element();
            EXPECT_EQ(*r.reader.get_namespace("p:x", &uri), "urn:inner");
            r.attribute();
            EXPECT_EQ(r.element(), ELXP_END_TAG);
        }
        r.element();
        EXPECT_EQ(*r.reader.get_namespace("p:item", &uri), "urn:p");
    }
}

TEST(Scopes, UserMappingsAndQualifiedNames) {
    reader_over r("<root>v</root>");
    r.reader.add_namespace_mapping("u", "urn:user");
    r.reader.add_default_namespace_mapping("urn:schema");
    r.reader.set_ns_map(k_namespaces);
    c_xml_reader_local scope(r.reader);
    std::string uri;
    EXPECT_EQ(*r.reader.get_namespace("u:a", &uri), "urn:user");
    EXPECT_EQ(*r.reader.get_namespace("a", &uri), "urn:schema");
    EXPECT_TRUE(r.reader.is_valid_qname("u:a"));
    EXPECT_TRUE(r.reader.is_valid_qname("a"));
    EXPECT_TRUE(r.reader.is_valid_qname("u:\xC3\xA9t\xC3\xA9"));
    EXPECT_FALSE(r.reader.is_valid_qname("z:a"));
    EXPECT_FALSE(r.reader.is_valid_qname("u:"));
    EXPECT_FALSE(r.reader.is_valid_qname("u:a:b"));
    EXPECT_FALSE(r.reader.is_valid_qname("u:1a"));
    EXPECT_EQ(r.element(), ELXP_UNKNOWN);  // "root" is not a row of the schema namespace
    EXPECT_EQ(r.reader.get_element_ns_id(), 1000);
}

TEST(Values, SimpleAndCapturedValues) {
    reader_over r("<root><a> 1 </a><b/><c>x<d y='1'/></c><e>x</f><g>&#60;</g></root>");
    c_xml_reader_local outer(r.reader);
    r.element();
    r.attribute();
    c_xml_reader_local inner(r.reader);
    std::string value;
    bool is_empty = true;

    r.element();
    EXPECT_TRUE(r.reader.get_simple_type_value("a", ELMX_WS_COLLAPSE, &value, &r.error, &is_empty));
    EXPECT_EQ(value, "1");
    EXPECT_FALSE(is_empty);

    r.element();
    EXPECT_TRUE(r.reader.get_simple_type_value("b", ELMX_WS_COLLAPSE, &value, &r.error, &is_empty));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(is_empty);

    r.element();
    EXPECT_TRUE(r.reader.get_element_ur_value("c", &value, &r.error, &is_empty));
    EXPECT_EQ(value, "x<d y='1'/>");

    r.element();
    EXPECT_FALSE(
        r.reader.get_simple_type_value("e", ELMX_WS_PRESERVE, &value, &r.error, &is_empty));
    EXPECT_EQ(r.error, ELMX_BAD_END_OF_ELEMENT);
}

TEST(Errors, MessageFormatAndHandlerDecisions) {
    reader_over r("<root>\n\n<Resource/>");
    EXPECT_EQ(*r.reader.get_error_message(&r.name), "No Error");
    c_xml_reader_local scope(r.reader);
    r.element();
    r.attribute();
    r.element();
    EXPECT_EQ(r.reader.get_line_no(), 3);
    EXPECT_EQ(r.reader.handle_error(ELMX_MANDATORY_ELEMENT_MISSING, "Resource", "test", 1),
              ELMX_MANDATORY_ELEMENT_MISSING);
    std::string message;
    EXPECT_EQ(*r.reader.get_error_message(&message), "line:3-'Resource'-Mandatory element missing");
    EXPECT_EQ(r.reader.get_error_item_name(), "Resource");

    struct tolerant : c_xml_reader_memory {
        using c_xml_reader_memory::c_xml_reader_memory;
        elmx_error user_handle_error(elmx_error code) override {
            return code == ELMX_UNEXPECTED_ATTRIBUTE ? ELMX_OK : code;
        }
    };
    std::string text = "<r/>";
    tolerant t(text.data(), static_cast<unsigned>(text.size()));
    EXPECT_EQ(t.handle_error(ELMX_UNEXPECTED_ATTRIBUTE, "r", "test", 2), ELMX_OK);
    EXPECT_EQ(*t.get_error_message(&message), "No Error");
    EXPECT_EQ(t.handle_error(ELMX_BAD_CHOICE, "r", "test", 3), ELMX_BAD_CHOICE);
}

TEST(Errors, EveryErrorEventCarriesACode) {
    for (const char* input : {"<root><!x></root>", "</>", "<root><!-x>", "<1>", "<root a>"}) {
        reader_over r(input);
        c_xml_reader_local scope(r.reader);
        int event = r.element();
        while (event == EV_ROOT) {
            while (r.attribute() != -1) {
                if (r.error != ELMX_OK) break;
            }
            event = r.element();
        }
        EXPECT_TRUE(c_xml::is_error_event(event) || event == ELXP_END_OF_DOCUMENT) << input;
        EXPECT_NE(r.error, ELMX_OK) << input;
    }
}

// Parses the element whose start tag was just read, as generated classes do, without knowing
// any of its children: every child is bound recursively.
elmx_error bind_element(c_xml_reader& reader, const std::string& name, int* elements) {
    c_string_stack_node stacked(reader.get_element_name_stack(), name);
    ++*elements;
    elmx_error error = ELMX_OK;
    std::string& attribute = reader.get_attribute_name_buffer();
    while (reader.get_attribute_event(nullptr, &error, &attribute)) {
        if (error != ELMX_OK) return reader.handle_error(error, name, "test", __LINE__);
        reader.skip_attribute_value();
    }
    if (reader.get_current_event() == ELXP_END_TAG) return ELMX_OK;
    c_xml_reader_local scope(reader);
    std::string child;
    for (;;) {
        error = ELMX_OK;
        reader.get_element_event(nullptr, &error, &child);
        const int event = reader.get_current_event();
        if (error != ELMX_OK) {
            elmx_error decided = reader.handle_error(error, name, "test", __LINE__);
            // Broken markup cannot be resumed: an error event ends the element either way.
            return decided != ELMX_OK ? decided : error;
        }
        if (event == ELXP_END_TAG) {
            if (stacked != child)
                return reader.handle_error(ELMX_BAD_END_OF_ELEMENT, name, "test", __LINE__);
            return ELMX_OK;
        }
        if (event == ELXP_CHARACTERS) continue;
        elmx_error child_error = bind_element(reader, child, elements);
        if (child_error != ELMX_OK) return child_error;
    }
}

elmx_error bind_document(c_xml_reader& reader, int* elements) {
    c_xml_reader_local scope(reader);
    elmx_error error = ELMX_OK;
    std::string name;
    reader.get_element_event(nullptr, &error, &name);
    if (error != ELMX_OK) return reader.handle_error(error, "document", "test", __LINE__);
    return bind_element(reader, name, elements);
}

std::string nested(unsigned levels) {
    std::string text;
    text.reserve(levels * 7);
    for (unsigned i = 0; i < levels; ++i)
        text += "<a>";
    for (unsigned i = 0; i < levels; ++i)
        text += "</a>";
    return text;
}

struct tolerant_reader : c_xml_reader_memory {
    using c_xml_reader_memory::c_xml_reader_memory;
    int handled = 0;
    elmx_error user_handle_error(elmx_error, const std::string&, const char*, int) override {
        ++handled;
        return ELMX_OK;
    }
};

TEST(Depth, MillionLevelsFailWithoutACrash) {
    const std::string text = nested(1000000);
    c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    int elements = 0;
    EXPECT_EQ(bind_document(reader, &elements), ELMX_BADLY_FORMED);
    EXPECT_EQ(elements, static_cast<int>(k_default_max_depth));
    EXPECT_EQ(reader.get_error_item_name(), "a");
    std::string message;
    EXPECT_EQ(reader.get_error_message(&message)->substr(message.find('\'')),
              "'a'-XML badly formed");

    tolerant_reader tolerant(text.data(), static_cast<unsigned>(text.size()));
    bind_document(tolerant, &elements);
    EXPECT_GT(tolerant.handled, 0);
}

TEST(Depth, LimitCanBeChanged) {
    const std::string text = nested(10);
    c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    reader.set_max_depth(9);
    EXPECT_EQ(reader.get_max_depth(), 9u);
    int elements = 0;
    EXPECT_EQ(bind_document(reader, &elements), ELMX_BADLY_FORMED);
    EXPECT_EQ(elements, 9);
}

void* bind_at_limit(void* result) {
    const std::string text = nested(k_default_max_depth);
    c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    int elements = 0;
    elmx_error error = bind_document(reader, &elements);
    *static_cast<bool*>(result) =
        error == ELMX_OK && elements == static_cast<int>(k_default_max_depth);
    return nullptr;
}

TEST(Depth, DocumentAtTheLimitFitsAOneMegabyteStack) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1 << 20);
    bool ok = false;
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, bind_at_limit, &ok), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_TRUE(ok);
}

TEST(HostileInput, TolerantHandlerStillTerminates) {
    const std::string document =
        "<?xml version='1.0'?><!DOCTYPE r [<!ENTITY e 'v'>]><r xmlns:p='urn:p' a='&e;'>"
        "<p:c b='2'>t&e;<![CDATA[x]]></p:c><d/><e>x</e></r>";
    for (std::size_t length = 0; length <= document.size(); ++length) {
        const std::string text = document.substr(0, length) + "<x a=1></y>&";
        tolerant_reader reader(text.data(), static_cast<unsigned>(text.size()));
        int elements = 0;
        bind_document(reader, &elements);
    }
}

TEST(Sources, FileReadersByNameWideNameAndStream) {
    const std::string path = ::testing::TempDir() + "lmx_reader_test.xml";
    std::ofstream(path) << "<root id='7'/>";
    auto first_attribute = [](c_xml_reader& reader) {
        c_xml_reader_local scope(reader);
        elmx_error error = ELMX_OK;
        std::string name, value;
        reader.get_element_event(k_table, &error, &name);
        reader.get_attribute_event(k_table, &error, &name);
        reader.get_attribute_value(&value, ELMX_WS_COLLAPSE);
        return value;
    };
    c_xml_reader_file by_name(path.c_str());
    ASSERT_TRUE(by_name.is_open());
    EXPECT_EQ(first_attribute(by_name), "7");
    c_xml_reader_file by_wide_name(std::wstring(path.begin(), path.end()).c_str());
    EXPECT_EQ(first_attribute(by_wide_name), "7");
    c_xml_reader_file by_stream(std::fopen(path.c_str(), "rb"));
    EXPECT_EQ(first_attribute(by_stream), "7");
    EXPECT_STREQ(by_name.get_source_id(), path.c_str());
    std::remove(path.c_str());
    c_xml_reader_file missing("/nonexistent/x.xml");
    EXPECT_FALSE(missing.is_open());
}

TEST(Rewind, PeekAtTheRootThenReadAgain) {
    reader_over r("<!DOCTYPE r [<!ENTITY e 'v'>]><s:item xmlns:s='urn:schema'>&e;</s:item>");
    {
        c_xml_reader_local scope(r.reader);
        EXPECT_EQ(r.element(), EV_SCHEMA_ITEM);
    }
    r.reader.rewind();
    EXPECT_EQ(r.reader.find_enumerated_namespace("urn:schema"), 0);
    r.reader.set_ns_map(k_namespaces);
    c_xml_reader_local scope(r.reader);
    EXPECT_EQ(r.element(), EV_SCHEMA_ITEM);
    r.attribute();
    std::string value;
    EXPECT_TRUE(r.reader.get_element_value(&value, ELMX_WS_PRESERVE, true));
    EXPECT_EQ(value, "v");
}

}  // namespace
