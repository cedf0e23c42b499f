// Classes generated from tests/schemas/leniency.xsd and the file it includes, a lenient schema:
// root options numbered with b:rootIndex, raw text, empty flags and empty classes, optional
// simple text, element defaults for empty elements, choices that may stay empty, and sequences
// whose required content is only a list.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "Generated/leniency.h"

using namespace leniency_lmx;
using lmx::elmx_error;

namespace {

struct s_load {
    elmx_error error;
    std::string item;
};

s_load load(const std::string& text, c_root* root) {
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    const elmx_error error = root->unmarshal(reader);
    return {error, error == lmx::ELMX_OK ? std::string() : reader.get_error_item_name()};
}

s_load load(const std::string& text) {
    c_root root;
    return load(text, &root);
}

std::string saved(const c_root& root) {
    std::string text;
    EXPECT_EQ(root.marshal(&text), lmx::ELMX_OK);
    return text;
}

const std::string k_decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Forgives every error and keeps the items it was told about.
struct c_forgiving_writer : lmx::c_xml_writer {
    using lmx::c_xml_writer::c_xml_writer;
    using lmx::c_xml_writer::user_handle_error;
    std::vector<std::string> items;
    elmx_error user_handle_error(elmx_error, const std::string& item, const char*, int) override {
        items.push_back(item);
        return lmx::ELMX_OK;
    }
};

}  // namespace

// Note is declared first, in the included file, and Ticket last; the indices decide.
static_assert(c_root::chosen_Ticket == 0 && c_root::chosen_Note == 1 && c_root::chosen_Doc == 2);
// Fast is a flag of its choice, yet keeps a class of its own.
static_assert(std::is_class_v<c_Doc::c_Speed::c_Fast>);

TEST(GeneratedLeniency, RootOptionsFollowTheirIndices) {
    c_root root;
    ASSERT_EQ(load("<Note><Text>n</Text></Note>", &root).error, lmx::ELMX_OK);
    EXPECT_EQ(root.getchosen(), c_root::chosen_Note);
    EXPECT_EQ(root.get_Note().get_Text(), L"n");
    ASSERT_EQ(load("<Ticket><Title>t</Title></Ticket>", &root).error, lmx::ELMX_OK);
    EXPECT_EQ(root.getchosen(), c_root::chosen_Ticket);
    EXPECT_EQ(root.get_Ticket().get_Title(), L"t");
    ASSERT_EQ(load("<Doc><Slow>2</Slow></Doc>", &root).error, lmx::ELMX_OK);
    EXPECT_EQ(root.getchosen(), c_root::chosen_Doc);
    EXPECT_EQ(root.get_Doc().get_Speed().get_Slow(), 2);
}

TEST(GeneratedLeniency, RawTextIsKeptAsWritten) {
    const std::string text = k_decl +
                             "<Doc note=\"a &lt;b> &amp; &quot;c&quot;\">\n"
                             "\t<Raw>a <b>x</b> &amp; c</Raw>\n"
                             "</Doc>\n";
    c_root root;
    ASSERT_EQ(load(text, &root).error, lmx::ELMX_OK);
    EXPECT_EQ(root.get_Doc().get_Raw(), "a <b>x</b> &amp; c");
    EXPECT_EQ(root.get_Doc().get_note(), "a <b> & \"c\"");
    EXPECT_EQ(saved(root), text);

    // In an xs:all group, in the order read.
    const std::string ticket = k_decl +
                               "<Ticket>\n"
                               "\t<Body><i>y</i> &lt; z</Body>\n"
                               "\t<Title>t</Title>\n"
                               "</Ticket>\n";
    ASSERT_EQ(load(ticket, &root).error, lmx::ELMX_OK);
    EXPECT_EQ(root.get_Ticket().get_Body(), "<i>y</i> &lt; z");
    EXPECT_EQ(saved(root), ticket);
}

TEST(GeneratedLeniency, RawTextThatIsNotWellFormedIsNotWritten) {
    // Start tags and processing instructions are checked too, not only copied across.
    for (const char* bad : {"a<b", "<x>", "&nope;", "</y>", "<x a=1/>", "<?xml version='1.0'?>"}) {
        SCOPED_TRACE(bad);
        c_root root;
        root.get_Doc().set_Raw(bad);
        std::string text = "kept";
        EXPECT_EQ(root.marshal(&text), lmx::ELMX_NOT_WELL_FORMED);
        EXPECT_EQ(text, "kept");
        std::ostringstream os;
        lmx::c_xml_writer writer(os);
        EXPECT_EQ(root.marshal(writer), lmx::ELMX_NOT_WELL_FORMED);
        EXPECT_EQ(writer.get_error_item_name(), "Raw");
    }

    // A file already there keeps the old document.
    c_root root;
    root.get_Ticket().set_Title(L"t");
    root.get_Ticket().set_Body("<x>");
    const std::string path = ::testing::TempDir() + "leniency-ticket.xml";
    std::ofstream(path, std::ios::binary) << "old";
    EXPECT_EQ(root.marshal(path.c_str()), lmx::ELMX_NOT_WELL_FORMED);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream file;
    file << in.rdbuf();
    EXPECT_EQ(file.str(), "old");
    std::remove(path.c_str());
}

TEST(GeneratedLeniency, ForgivenRawTextIsWrittenAsCharacterData) {
    c_root root;
    root.get_Doc().set_Raw("a<b &nope;");
    std::ostringstream os;
    c_forgiving_writer writer(os);
    ASSERT_EQ(root.marshal(writer), lmx::ELMX_OK);
    EXPECT_EQ(writer.items, std::vector<std::string>{"Raw"});
    EXPECT_EQ(os.str(), "<Doc>\n\t<Raw>a&lt;b &amp;nope;</Raw>\n</Doc>\n");
    // The escaped text is well-formed content now, kept as it reads.
    c_root back;
    ASSERT_EQ(load(os.str(), &back).error, lmx::ELMX_OK);
    EXPECT_EQ(back.get_Doc().get_Raw(), "a&lt;b &amp;nope;");
}

TEST(GeneratedLeniency, EmptyElementsAreFlags) {
    c_root root;
    c_Doc& doc = root.get_Doc();
    EXPECT_FALSE(doc.isset_Done());
    doc.set_Done();
    doc.get_Speed().set_Fast();
    const std::string text = k_decl +
                             "<Doc>\n"
                             "\t<Done/>\n"
                             "\t<Fast/>\n"
                             "</Doc>\n";
    EXPECT_EQ(saved(root), text);

    c_root back;
    ASSERT_EQ(load("<Doc><Done></Done><Fast/></Doc>", &back).error, lmx::ELMX_OK);
    EXPECT_TRUE(back.get_Doc().isset_Done());
    EXPECT_EQ(back.get_Doc().get_Speed().getchosen(), c_Doc::c_Speed::chosen_Fast);
    EXPECT_EQ(saved(back), text);
    back.get_Doc().unset_Done();
    EXPECT_FALSE(back.get_Doc().isset_Done());
    EXPECT_EQ(saved(back), k_decl + "<Doc>\n\t<Fast/>\n</Doc>\n");
}

TEST(GeneratedLeniency, SimpleTextMayBeLeftOut) {
    for (const char* text :
         {"<Doc><Item Count=\"3\"/></Doc>", "<Doc><Item Count=\"3\"></Item></Doc>"}) {
        SCOPED_TRACE(text);
        c_root root;
        ASSERT_EQ(load(text, &root).error, lmx::ELMX_OK);
        const c_Doc::c_Item& item = root.get_Doc().get_Item();
        EXPECT_TRUE(root.get_Doc().isset_Item());
        EXPECT_EQ(item.get_Count(), 3u);
        EXPECT_FALSE(item.isset_Item());
        EXPECT_TRUE(item.is_occurs_ok());
        EXPECT_EQ(saved(root), k_decl + "<Doc>\n\t<Item Count=\"3\"></Item>\n</Doc>\n");
    }
    const std::string text = k_decl + "<Doc>\n\t<Item Count=\"3\">7</Item>\n</Doc>\n";
    c_root root;
    ASSERT_EQ(load(text, &root).error, lmx::ELMX_OK);
    ASSERT_TRUE(root.get_Doc().get_Item().isset_Item());
    EXPECT_EQ(root.get_Doc().get_Item().get_Item(), 7u);
    EXPECT_EQ(saved(root), text);
}

TEST(GeneratedLeniency, EmptyElementsTakeTheirDefaults) {
    c_root root;
    ASSERT_EQ(load("<Doc><Delay/><Label></Label><Flag/></Doc>", &root).error, lmx::ELMX_OK);
    const c_Doc& doc = root.get_Doc();
    EXPECT_TRUE(doc.isset_Delay() && doc.isset_Label() && doc.isset_Flag());
    EXPECT_EQ(doc.get_Delay(), 10u);
    EXPECT_EQ(doc.get_Label(), L"none");
    EXPECT_FALSE(doc.get_Flag());
}

TEST(GeneratedLeniency, OnlyAChoiceThatMayBeEmptyIsWrittenWithoutAnOption) {
    c_root root;
    root.get_Doc().get_Options();
    const std::string text = saved(root);
    c_root back;
    ASSERT_EQ(load(text, &back).error, lmx::ELMX_OK) << text;
    ASSERT_TRUE(back.get_Doc().isset_Options());
    EXPECT_EQ(back.get_Doc().get_Options().getchosen(), c_Doc::c_Options::chosen_none);
    EXPECT_EQ(saved(back), text);

    root.get_Doc().get_Pick();
    std::ostringstream os;
    lmx::c_xml_writer writer(os);
    EXPECT_EQ(root.marshal(writer), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(writer.get_error_item_name(), "Pick");
}

TEST(GeneratedLeniency, EmptySequenceOfARequiredListNamesTheType) {
    for (const char* text : {"<Doc><L/></Doc>", "<Doc><L></L></Doc>"}) {
        const s_load result = load(text);
        EXPECT_EQ(result.error, lmx::ELMX_MANDATORY_ELEMENT_MISSING) << text;
        EXPECT_EQ(result.item, "L") << text;
    }
    const s_load named = load("<Doc><Tags/></Doc>");
    EXPECT_EQ(named.error, lmx::ELMX_MANDATORY_ELEMENT_MISSING);
    EXPECT_EQ(named.item, "TagList");
    // With a single required item as well, the empty element itself is reported.
    const s_load single = load("<Doc><M/></Doc>");
    EXPECT_EQ(single.error, lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT);
    EXPECT_EQ(single.item, "M");
}
