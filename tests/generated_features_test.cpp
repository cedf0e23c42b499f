// Classes generated from tests/schemas/features.xsd: the xs:all content model in strict mode,
// with defaults, flags, untested required items, enumerated attributes and a target namespace.
#include <gtest/gtest.h>

#include <string>

#include "Generated/features-Window.h"

using namespace features_lmx;
using lmx::elmx_error;

namespace {

const std::string k_open = "<Window xmlns=\"http://www.dravik.example/schemas\" Mode=\"Normal\">";

struct s_load {
    elmx_error error;
    std::string item;
};

s_load load(const std::string& text, c_Window* window) {
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    const elmx_error error = window->unmarshal(reader);
    return {error, error == lmx::ELMX_OK ? std::string() : reader.get_error_item_name()};
}

s_load load(const std::string& text) {
    c_Window window;
    return load(text, &window);
}

}  // namespace

TEST(GeneratedAll, DefaultsReadAsPresentOnlyOnceSet) {
    c_Window window;
    EXPECT_EQ(window.get_Title(), L"Dravik");
    EXPECT_EQ(window.get_Delay(), 10u);
    EXPECT_FALSE(window.isset_Title());
    EXPECT_EQ(window.getorder_Title(), 4294967295u);
    EXPECT_FALSE(window.is_occurs_ok());  // Mode is required
    window.set_Mode(L"Maximized");
    EXPECT_TRUE(window.is_occurs_ok());  // Size is left to the parse
    window.set_Delay(3);
    window.set_Pinned();
    window.set_Delay(4);
    ASSERT_EQ(window.sizeorder(), 2u);
    EXPECT_EQ(window.getorder(0u), c_WindowType::all_Delay);
    EXPECT_EQ(window.getorder_Pinned(), 1u);
    window.unset_Delay();
    EXPECT_EQ(window.get_Delay(), 10u);
    EXPECT_EQ(window.getorder_Pinned(), 0u);

    std::string text;
    ASSERT_EQ(window.marshal(&text), lmx::ELMX_OK);
    EXPECT_EQ(text,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Window xmlns=\"http://www.dravik.example/schemas\" Mode=\"Maximized\">\n"
              "\t<Pinned/>\n"
              "</Window>\n");
}

TEST(GeneratedAll, ReadingKeepsTheDocumentOrderAndWritesItBack) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Window xmlns=\"http://www.dravik.example/schemas\" Mode=\"Normal\" Opacity=\"0.5\">\n"
        "\t<Visible>true</Visible>\n"
        "\t<Size>\n"
        "\t\t<cy>2</cy>\n"
        "\t\t<cx>-9223372036854775808</cx>\n"
        "\t</Size>\n"
        "\t<Title>a &lt; b</Title>\n"
        "</Window>\n";
    c_Window window;
    ASSERT_EQ(load(text, &window).error, lmx::ELMX_OK);
    EXPECT_EQ(window.get_Size().getorder(0u), c_SizeType::all_cy);
    EXPECT_EQ(window.get_Size().get_cx(), -9223372036854775807LL - 1);
    EXPECT_TRUE(window.get_Visible());
    EXPECT_EQ(window.get_Opacity(), 0.5);
    std::string saved;
    ASSERT_EQ(window.marshal(&saved), lmx::ELMX_OK);
    EXPECT_EQ(saved, text);

    c_Window copy(window);
    EXPECT_EQ(copy.getorder_Size(), 1u);
    EXPECT_EQ(copy.get_Size().getorder_cx(), 1u);
}

TEST(GeneratedAll, StrictParsingReportsEachFaultWithItsItem) {
    const std::string size = "<Size><cx>1</cx><cy>2</cy></Size>";
    struct s_case {
        std::string text;
        elmx_error error;
        std::string item;
    } cases[] = {
        {k_open + "</Window>", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT, "Window"},
        {k_open + "<Title>x</Title></Window>", lmx::ELMX_MANDATORY_ELEMENT_MISSING, "WindowType"},
        {k_open + "<Size><cx>1</cx></Size></Window>", lmx::ELMX_MANDATORY_ELEMENT_MISSING,
         "SizeType"},
        {k_open + "<Size/></Window>", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT, "Size"},
        {k_open + size + "<Size/></Window>", lmx::ELMX_ALL_CARDINALITY_VIOLATED, "Size"},
        {k_open + size + "<Other/></Window>", lmx::ELMX_UNKNOWN_ALL_ELEMENT, "Other"},
        {k_open + "<Size><cx>1.5</cx><cy>2</cy></Size></Window>", lmx::ELMX_BAD_VALUE_FORMAT, "cx"},
        {k_open + size + "<Delay>-1</Delay></Window>", lmx::ELMX_VALUE_BELOW_MINIMUM, "Delay"},
        {k_open + size + "<Visible>yes</Visible></Window>", lmx::ELMX_BAD_VALUE_FORMAT, "Visible"},
        {"<Window xmlns=\"http://www.dravik.example/schemas\" Mode=\"Tiny\">" + size + "</Window>",
         lmx::ELMX_VALUE_NOT_ENUMERATED, "Mode"},
        {"<Window xmlns=\"http://www.dravik.example/schemas\">" + size + "</Window>",
         lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING, "WindowType"},
        {"<Window xmlns=\"http://www.dravik.example/schemas\" Mode=\"Normal\" Extra=\"1\">" + size +
             "</Window>",
         lmx::ELMX_UNEXPECTED_ATTRIBUTE, "Window"},
        {"<Window Mode=\"Normal\">" + size + "</Window>", lmx::ELMX_ELEMENT_NOT_FOUND, "Window"},
    };
    for (const s_case& test : cases) {
        const s_load result = load(test.text);
        EXPECT_EQ(result.error, test.error) << test.text;
        EXPECT_EQ(result.item, test.item) << test.text;
    }
    EXPECT_EQ(load(k_open + size + "<Pinned></Pinned></Window>").error, lmx::ELMX_OK);
}

TEST(GeneratedChoice, OptionsReplaceEachOtherAndStrictParsingChecksThem) {
    c_PlacementType placement;
    EXPECT_EQ(placement.get_Position().getchosen(), c_PlacementType::c_Position::chosen_none);
    EXPECT_FALSE(placement.get_Position().is_occurs_ok());
    placement.get_Position().get_Absolute().set_cx(5);
    placement.get_Position().set_Center();
    EXPECT_EQ(placement.get_Position().getchosen(), c_PlacementType::c_Position::chosen_Center);
    EXPECT_EQ(placement.append_Note(L"a"), lmx::ELMX_OK);
    EXPECT_EQ(placement.insert_Note(0, L"b"), lmx::ELMX_OK);
    EXPECT_EQ(placement.set_Note(7, L"c"), lmx::ELMX_OK);
    ASSERT_EQ(placement.size_Note(), 3u);
    EXPECT_EQ(placement.get_Note(0), L"b");

    c_Window window;
    window.set_Mode(L"Normal");
    window.get_Size().set_cx(1);
    window.get_Size().set_cy(2);
    window.assign_Placement(placement);
    std::string text;
    ASSERT_EQ(window.marshal(&text), lmx::ELMX_OK);
    EXPECT_NE(text.find("\t\t<Position>\n\t\t\t<Center/>\n\t\t</Position>\n\t\t<Note>b</Note>\n"),
              std::string::npos)
        << text;
    c_Window loaded;
    ASSERT_EQ(load(text, &loaded).error, lmx::ELMX_OK);
    std::string again;
    ASSERT_EQ(loaded.marshal(&again), lmx::ELMX_OK);
    EXPECT_EQ(again, text);

    const std::string size = "<Size><cx>1</cx><cy>2</cy></Size>";
    EXPECT_EQ(load(k_open + size + "<Placement><Position/></Placement></Window>").error,
              lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT);
    EXPECT_EQ(load(k_open + size +
                   "<Placement><Position><Label>x</Label></Position><Note>n</Note></Placement>"
                   "</Window>")
                  .error,
              lmx::ELMX_OK);
    c_Window empty_choice;
    empty_choice.set_Mode(L"Normal");
    empty_choice.get_Placement();
    EXPECT_EQ(empty_choice.marshal(&text), lmx::ELMX_BAD_CHOICE);
}

TEST(GeneratedEnumerations, LiteralsMapToCodesBothWays) {
    c_Window window;
    EXPECT_EQ(window.getenum_Mode(), elmx_enums_none);
    EXPECT_TRUE(window.setenum_Mode(e_Maximized));
    EXPECT_EQ(window.get_Mode(), L"Maximized");
    EXPECT_EQ(window.getenum_Mode(), e_Maximized);
    EXPECT_FALSE(window.setenum_Mode(elmx_enums_none));
    EXPECT_EQ(window.get_Mode(), L"Maximized");
    window.set_Mode(L"maximized");
    EXPECT_EQ(window.getenum_Mode(), elmx_enums_none);
    EXPECT_EQ(static_cast<int>(e_Normal), 1);
}

TEST(GeneratedValueClasses, ItemsOfValueClassesAreCheckedAndWrittenBack) {
    const std::string size = "<Size><cx>1</cx><cy>2</cy></Size>";
    c_Window window;
    ASSERT_EQ(load(k_open + size +
                       "<Created>2024-02-29</Created><Icon>AAEC</Icon>"
                       "<Serial>123456789012345678901234567890</Serial></Window>",
                   &window)
                  .error,
              lmx::ELMX_OK);
    EXPECT_EQ(window.get_Created().get_year(), 2024);
    EXPECT_EQ(window.get_Icon().size(), 3u);
    EXPECT_EQ(window.get_Timeout().get_secs(), 30.0f);
    std::string text;
    ASSERT_EQ(window.marshal(&text), lmx::ELMX_OK);
    EXPECT_NE(text.find("\t<Created>2024-02-29</Created>\n\t<Icon>AAEC</Icon>\n"
                        "\t<Serial>123456789012345678901234567890</Serial>\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Timeout"), std::string::npos);
    for (const char* bad : {"<Created>2024/01/01</Created>", "<Icon>A</Icon>",
                            "<Serial>1e3</Serial>", "<Timeout>30s</Timeout>"}) {
        const s_load result = load(k_open + size + bad + "</Window>");
        EXPECT_EQ(result.error, lmx::ELMX_BAD_VALUE_FORMAT) << bad;
    }
}
