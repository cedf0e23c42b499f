// The Flash call document through flash_lmx::c_invoke and its classes: loading, the accessor
// families, the exact saved text, error codes with their items, nesting limits and file saving.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Generated/flash-invoke.h"
#include "saved_documents.h"

using namespace flash_lmx;
using lmx::elmx_error;

namespace {

const char k_declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string saved(const c_invoke& invoke) {
    std::string text;
    EXPECT_EQ(invoke.marshal(&text), lmx::ELMX_OK);
    return text;
}

std::string temporary_path(const std::string& name) {
    return lmx_test::temporary_path("flash_invoke_" + name);
}

using lmx_test::read_file;

void expect_valid(const std::string& document) {
    lmx_test::expect_valid(document, "flash.xsd");
}

struct s_load {
    elmx_error error;
    std::string item;
};

// Loads through a reader so that the error record can be inspected.
s_load load(const std::string& text, c_invoke* invoke) {
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    const elmx_error error = invoke->unmarshal(reader);
    return {error, error == lmx::ELMX_OK ? std::string() : reader.get_error_item_name()};
}

s_load load(const std::string& text) {
    c_invoke invoke;
    return load(text, &invoke);
}

std::string call(const std::string& arguments) {
    return "<invoke name=\"f\" returntype=\"xml\"><arguments>" + arguments +
           "</arguments></invoke>";
}

const char k_realistic[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<invoke name=\"setUser\" returntype=\"xml\">\n"
    "\t<arguments>\n"
    "\t\t<string>Ann &lt;admin> &amp; co</string>\n"
    "\t\t<number>42</number>\n"
    "\t\t<true></true>\n"
    "\t\t<null></null>\n"
    "\t\t<array>\n"
    "\t\t\t<property id=\"0\">\n"
    "\t\t\t\t<string>first</string>\n"
    "\t\t\t</property>\n"
    "\t\t\t<property id=\"1\">\n"
    "\t\t\t\t<object>\n"
    "\t\t\t\t\t<property id=\"size\">\n"
    "\t\t\t\t\t\t<number>-7</number>\n"
    "\t\t\t\t\t</property>\n"
    "\t\t\t\t\t<property id=\"tags\">\n"
    "\t\t\t\t\t\t<array>\n"
    "\t\t\t\t\t\t</array>\n"
    "\t\t\t\t\t</property>\n"
    "\t\t\t\t</object>\n"
    "\t\t\t</property>\n"
    "\t\t</array>\n"
    "\t\t<false></false>\n"
    "\t</arguments>\n"
    "</invoke>\n";

}  // namespace

TEST(FlashLoad, RealisticCallReadsThroughAccessorsAndSavesUnchanged) {
    elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    const c_invoke invoke(std::string(k_realistic), &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(invoke.get_name(), L"setUser");
    EXPECT_EQ(invoke.get_returntype(), L"xml");
    ASSERT_TRUE(invoke.isset_arguments());
    const c_FlashInvokeType::c_arguments& arguments = invoke.get_arguments();
    ASSERT_EQ(arguments.size_FlashClass(), 6u);
    EXPECT_EQ(arguments.get_FlashClass(0).getchosen(), c_FlashClass::chosen_string);
    EXPECT_EQ(arguments.get_FlashClass(0).get_string(), L"Ann <admin> & co");
    EXPECT_EQ(arguments.get_FlashClass(1).get_number(), 42);
    EXPECT_EQ(arguments.get_FlashClass(2).getchosen(), c_FlashClass::chosen_true);
    EXPECT_EQ(arguments.get_FlashClass(3).getchosen(), c_FlashClass::chosen_null);
    const c_FlashArrayType& array = arguments.get_FlashClass(4).get_array();
    ASSERT_EQ(array.size_property(), 2u);
    EXPECT_EQ(array.get_property(1).get_id(), 1);
    const c_FlashObjectType& object = array.get_property(1).get_FlashClass().get_object();
    EXPECT_EQ(object.get_property(0).get_id(), L"size");
    EXPECT_EQ(object.get_property(0).get_FlashClass().get_number(), -7);
    EXPECT_TRUE(invoke.is_occurs_ok());

    EXPECT_EQ(saved(invoke), k_realistic);
    expect_valid(saved(invoke));

    c_invoke again;
    ASSERT_EQ(again.unmarshal(saved(invoke)), lmx::ELMX_OK);
    EXPECT_EQ(saved(again), k_realistic);
}

TEST(FlashLoad, ValuesFollowTheirWhitespaceRulesAndRawTextStaysRaw) {
    c_invoke invoke;
    ASSERT_EQ(load(call("<string>  a  b  </string><number> 42 </number>"
                        "<null><x a='1'/>&amp;</null>"),
                   &invoke)
                  .error,
              lmx::ELMX_OK);
    const auto& arguments = invoke.get_arguments();
    EXPECT_EQ(arguments.get_FlashClass(0).get_string(), L"  a  b  ");
    EXPECT_EQ(arguments.get_FlashClass(1).get_number(), 42);
    const std::string raw = arguments.get_FlashClass(2).get_null();
    EXPECT_NE(raw.find("<x"), std::string::npos);
    EXPECT_NE(saved(invoke).find("<null>" + raw + "</null>"), std::string::npos);
}

TEST(FlashLoad, UnknownElementsAndAttributesAreSkipped) {
    c_invoke invoke;
    ASSERT_EQ(load("<invoke name='f' returntype='xml' extra='1'><arguments>"
                   "<date><y>2024</y><m/></date><string a='b'>s</string>text"
                   "<array><junk/><property id='3' z='1'><other/><number>1</number></property>"
                   "</array></arguments><more/></invoke>",
                   &invoke)
                  .error,
              lmx::ELMX_OK);
    const auto& arguments = invoke.get_arguments();
    ASSERT_EQ(arguments.size_FlashClass(), 2u);
    EXPECT_EQ(arguments.get_FlashClass(0).get_string(), L"s");
    EXPECT_EQ(arguments.get_FlashClass(1).get_array().get_property(0).get_id(), 3);
}

TEST(FlashLoad, PropertyKeepsTheLastOptionAndMayBeSelfClosing) {
    c_invoke invoke;
    ASSERT_EQ(load(call("<object><property id='a'><string>x</string><number>5</number>"
                        "</property><property id='b'/></object>"),
                   &invoke)
                  .error,
              lmx::ELMX_OK);
    const auto& object = invoke.get_arguments().get_FlashClass(0).get_object();
    EXPECT_EQ(object.get_property(0).get_FlashClass().get_number(), 5);
    EXPECT_TRUE(object.get_property(0).is_occurs_ok());
    EXPECT_FALSE(object.get_property(1).is_occurs_ok());
    // Empty containers are fine.
    EXPECT_EQ(load("<invoke name='f' returntype='xml'><arguments/></invoke>").error, lmx::ELMX_OK);
    EXPECT_EQ(load(call("<array/><object></object>")).error, lmx::ELMX_OK);
    EXPECT_EQ(load("<invoke name='f' returntype='xml'/>").error, lmx::ELMX_OK);
}

TEST(FlashLoad, ErrorsCarryTheirCodeAndItem) {
    struct s_case {
        std::string text;
        elmx_error error;
        std::string item;
    } cases[] = {
        {"<invoke name='f'/>", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING, "FlashInvokeType"},
        {"<invoke returntype='xml'/>", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING, "FlashInvokeType"},
        {"<invoke name='f' returntype='json'/>", lmx::ELMX_VALUE_NOT_FIXED, "returntype"},
        {"<invoke name='f' name='g' returntype='xml'/>", lmx::ELMX_ATTRIBUTE_ALREADY_READ, "name"},
        {call("<number>2147483648</number>"), lmx::ELMX_VALUE_ABOVE_MAXIMUM, "number"},
        {call("<number>-2147483649</number>"), lmx::ELMX_VALUE_BELOW_MINIMUM, "number"},
        {call("<number>1.5</number>"), lmx::ELMX_BAD_VALUE_FORMAT, "number"},
        {call("<array><property id='x'><null/></property></array>"), lmx::ELMX_BAD_VALUE_FORMAT,
         "id"},
        {call("<array><property><null/></property></array>"), lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING,
         "property"},
        {call("<object><property id='a'><date/></property></object>"),
         lmx::ELMX_MANDATORY_ELEMENT_MISSING, "{unspecified}"},
        {call("<array><property id='1'><null/></array>"), lmx::ELMX_BAD_END_OF_ELEMENT, "property"},
        {"<call name='f' returntype='xml'/>", lmx::ELMX_ELEMENT_NOT_FOUND, "call"},
        {"<p:invoke xmlns:p='urn:x' name='f' returntype='xml'/>", lmx::ELMX_ELEMENT_NOT_FOUND,
         "p:invoke"},
    };
    for (const s_case& test : cases) {
        const s_load result = load(test.text);
        EXPECT_EQ(result.error, test.error) << test.text;
        EXPECT_EQ(result.item, test.item) << test.text;
    }
    // The fixed value is stored before it is checked.
    c_invoke invoke;
    load("<invoke name='f' returntype='json'/>", &invoke);
    EXPECT_EQ(invoke.get_returntype(), L"json");
}

TEST(FlashLoad, RootEntryPointsReportThroughTheirOutParameter) {
    elmx_error error = lmx::ELMX_OK;
    c_invoke missing("/nonexistent/flash-call.xml", &error);
    EXPECT_EQ(error, lmx::ELMX_UNABLE_TO_OPEN_FILE);
    const std::string text = call("<number>3</number>");
    c_invoke from_buffer(text.data(), static_cast<unsigned>(text.size()), &error);
    EXPECT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(from_buffer.get_arguments().get_FlashClass(0).get_number(), 3);
    c_invoke truncated(text.substr(0, 30), &error);
    EXPECT_NE(error, lmx::ELMX_OK);
}

// A reader that lets every problem pass must still come to an end on any input.
struct c_tolerant_reader : lmx::c_xml_reader_memory {
    using lmx::c_xml_reader_memory::c_xml_reader_memory;
    elmx_error user_handle_error(elmx_error, const std::string&, const char*, int) override {
        return lmx::ELMX_OK;
    }
};

TEST(FlashLoad, TolerantHandlerTerminatesOnEveryPrefix) {
    const std::string document = std::string(k_realistic) +
                                 "<invoke name='x' returntype='q'><arguments><number>z</number>"
                                 "<array><property><object><property id='1'><y/></property>";
    for (std::size_t length = 0; length <= document.size(); ++length) {
        const std::string text = document.substr(0, length) + "</arguments></x>&<";
        c_tolerant_reader reader(text.data(), static_cast<unsigned>(text.size()));
        c_invoke invoke;
        invoke.unmarshal(reader);
    }
}

namespace {

std::string nested_arrays(unsigned levels) {
    std::string text = "<invoke name=\"f\" returntype=\"xml\"><arguments>";
    for (unsigned i = 0; i < levels; ++i)
        text += "<array><property id=\"0\">";
    text += "<number>1</number>";
    for (unsigned i = 0; i < levels; ++i)
        text += "</property></array>";
    return text + "</arguments></invoke>";
}

}  // namespace

TEST(FlashNesting, HundredLevelsRoundTripAndHostileDepthFails) {
    c_invoke invoke;
    ASSERT_EQ(invoke.unmarshal(nested_arrays(100)), lmx::ELMX_OK);
    const std::string text = saved(invoke);
    c_invoke again;
    ASSERT_EQ(again.unmarshal(text), lmx::ELMX_OK);
    EXPECT_EQ(saved(again), text);
    expect_valid(text);

    c_invoke hostile;
    EXPECT_EQ(load(nested_arrays(100000), &hostile).error, lmx::ELMX_BADLY_FORMED);
}

TEST(FlashNesting, CallsBuiltDeeperThanTheStackCopyAndDestroy) {
    // Arrays in arrays, 200,000 levels: copying and destroying must not recurse through them.
    constexpr int k_levels = 200000;
    c_invoke invoke;
    c_FlashClass* value = &invoke.get_arguments().get_FlashClass(0);
    for (int level = 0; level < k_levels; ++level) {
        c_FlashArrayType::c_property& property = value->get_array().get_property(0);
        property.set_id(level);
        value = &property.get_FlashClass();
    }
    value->set_number(42);

    c_invoke copy(invoke);
    const c_FlashClass* walked = &copy.get_arguments().get_FlashClass(0);
    int levels = 0;
    while (walked->getchosen() == c_FlashClass::chosen_array) {
        walked = &walked->get_array().get_property(0).get_FlashClass();
        ++levels;
    }
    EXPECT_EQ(levels, k_levels);
    EXPECT_EQ(walked->get_number(), 42);
    std::string unchanged = "unchanged";
    EXPECT_EQ(copy.marshal(&unchanged), lmx::ELMX_BADLY_FORMED);
    EXPECT_EQ(unchanged, "unchanged");

    invoke = copy;
    copy.get_arguments().get_FlashClass(0).set_string(L"flat");  // the deep option goes
    EXPECT_EQ(invoke.get_arguments().get_FlashClass(0).getchosen(), c_FlashClass::chosen_array);
}

TEST(FlashAccessors, ListsGrowInsertDeleteAndAssign) {
    c_FlashInvokeType::c_arguments arguments;
    EXPECT_EQ(arguments.size_FlashClass(), 0u);
    arguments.get_FlashClass(5).set_number(5);
    EXPECT_EQ(arguments.size_FlashClass(), 6u);
    EXPECT_EQ(arguments.get_FlashClass(0).getchosen(), c_FlashClass::chosen_none);
    EXPECT_EQ(arguments.append_FlashClass(), lmx::ELMX_OK);
    arguments.back_FlashClass().set_string(L"last");
    EXPECT_EQ(arguments.insert_FlashClass(0), lmx::ELMX_OK);
    arguments.get_FlashClass(0).set_true("");
    EXPECT_EQ(arguments.insert_FlashClass(100), lmx::ELMX_OK);
    ASSERT_EQ(arguments.size_FlashClass(), 9u);
    EXPECT_EQ(arguments.get_FlashClass(6).get_number(), 5);
    EXPECT_EQ(arguments.get_FlashClass(7).get_string(), L"last");
    arguments.delete_FlashClass(0);
    EXPECT_EQ(arguments.get_FlashClass(5).get_number(), 5);
    c_FlashClass value;
    value.set_number(9);
    arguments.assign_FlashClass(1, value);
    EXPECT_EQ(arguments.get_FlashClass(1).get_number(), 9);
    arguments.clear_FlashClass();
    EXPECT_EQ(arguments.size_FlashClass(), 0u);
}

TEST(FlashAccessors, ChoiceSelectionReplacesThePreviousOption) {
    c_FlashClass value;
    EXPECT_EQ(value.getchosen(), c_FlashClass::chosen_none);
    EXPECT_FALSE(value.is_occurs_ok());
    value.get_array().append_property();
    EXPECT_EQ(value.getchosen(), c_FlashClass::chosen_array);
    EXPECT_EQ(value.get_array().size_property(), 1u);
    value.set_string(L"s");
    EXPECT_EQ(value.getchosen(), c_FlashClass::chosen_string);
    // A new selection of the array option starts from a fresh object.
    EXPECT_EQ(value.get_array().size_property(), 0u);
    value.set_null("n");
    EXPECT_EQ(value.get_null(), "n");
    value.set_false("f");
    EXPECT_EQ(value.getchosen(), c_FlashClass::chosen_false);
    EXPECT_TRUE(value.is_occurs_ok());
}

TEST(FlashAccessors, CopiesAreDeepAndSwapResetExchangeEverything) {
    c_invoke original;
    original.set_name(L"f");
    original.set_returntype();
    original.get_arguments().get_FlashClass(0).get_object().get_property(0).set_id(L"k");
    original.get_arguments()
        .get_FlashClass(0)
        .get_object()
        .get_property(0)
        .get_FlashClass()
        .set_number(1);

    c_invoke copy(original);
    copy.get_arguments().get_FlashClass(0).get_object().get_property(0).set_id(L"changed");
    EXPECT_EQ(original.get_arguments().get_FlashClass(0).get_object().get_property(0).get_id(),
              L"k");
    c_invoke assigned;
    assigned = original;
    EXPECT_EQ(saved(assigned), saved(original));

    c_invoke other;
    other.set_name(L"g");
    other.swap(copy);
    EXPECT_EQ(other.get_name(), L"f");
    EXPECT_EQ(copy.get_name(), L"g");
    EXPECT_FALSE(copy.isset_arguments());

    other.reset();
    EXPECT_EQ(other.get_name(), L"");
    EXPECT_FALSE(other.isset_arguments());
    EXPECT_FALSE(other.is_occurs_ok());
    original.unset_arguments();
    EXPECT_FALSE(original.isset_arguments());
    EXPECT_TRUE(original.is_occurs_ok());
}

TEST(FlashSave, ExactTextWithEscapingAndRawOptions) {
    c_invoke invoke;
    invoke.set_name(L"a\"<&>\u00e9");
    invoke.set_returntype();
    auto& arguments = invoke.get_arguments();
    arguments.get_FlashClass(0).set_string(L"x<y & z");
    arguments.get_FlashClass(1).set_null("<b>&amp;</b>");
    arguments.get_FlashClass(2).set_number(-12);
    auto& property = arguments.get_FlashClass(3).get_array().get_property(0);
    property.set_id(7);
    property.get_FlashClass().set_true("");
    const std::string expected = std::string(k_declaration) +
                                 "<invoke name=\"a&quot;&lt;&amp;>\xc3\xa9\" returntype=\"xml\">\n"
                                 "\t<arguments>\n"
                                 "\t\t<string>x&lt;y &amp; z</string>\n"
                                 "\t\t<null><b>&amp;</b></null>\n"
                                 "\t\t<number>-12</number>\n"
                                 "\t\t<array>\n"
                                 "\t\t\t<property id=\"7\">\n"
                                 "\t\t\t\t<true></true>\n"
                                 "\t\t\t</property>\n"
                                 "\t\t</array>\n"
                                 "\t</arguments>\n"
                                 "</invoke>\n";
    EXPECT_EQ(saved(invoke), expected);
    std::ostringstream stream;
    EXPECT_EQ(invoke.marshal(stream), lmx::ELMX_OK);
    EXPECT_EQ(stream.str(), expected);
    expect_valid(expected);
}

TEST(FlashSave, IncompleteEntriesFailAndLeaveTheStringAlone) {
    c_invoke invoke;
    invoke.set_name(L"f");
    invoke.set_returntype();
    invoke.get_arguments().append_FlashClass();
    std::string text = "unchanged";
    EXPECT_EQ(invoke.marshal(&text), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(text, "unchanged");

    c_invoke no_group;
    no_group.get_arguments().get_FlashClass(0).get_array().append_property();
    EXPECT_EQ(no_group.marshal(&text), lmx::ELMX_TYPE_NOT_SET);
}

TEST(FlashSave, FilesAreReplacedOnlyByACompleteDocument) {
    const std::string path = temporary_path("saved.xml");
    std::remove(path.c_str());
    c_invoke invoke;
    invoke.set_name(L"f");
    invoke.set_returntype();
    invoke.get_arguments().get_FlashClass(0).set_number(1);
    ASSERT_EQ(invoke.marshal(path.c_str()), lmx::ELMX_OK);
    EXPECT_EQ(read_file(path), saved(invoke));
    elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    c_invoke loaded(path.c_str(), &error);
    EXPECT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(saved(loaded), saved(invoke));

    // A failing write keeps the previous document and leaves no temporary file behind.
    const std::string before = read_file(path);
    c_invoke broken(invoke);
    broken.get_arguments().append_FlashClass();
    EXPECT_EQ(broken.marshal(path.c_str()), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(read_file(path), before);
    const std::string listing = temporary_path("listing");
    const std::string command =
        "ls '" + ::testing::TempDir() + "' | grep -c 'flash_invoke_saved.xml.' > '" + listing + "'";
    std::system(command.c_str());
    EXPECT_EQ(read_file(listing), "0\n");
    std::remove(listing.c_str());

    EXPECT_EQ(invoke.marshal("/nonexistent-directory/call.xml"), lmx::ELMX_UNABLE_TO_OPEN_FILE);
    std::remove(path.c_str());
}
