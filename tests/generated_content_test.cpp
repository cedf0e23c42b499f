// Classes generated from tests/schemas/content.xsd, a lenient schema: a model group that is a
// sequence, a choice inside a sequence with an option that may be absent, a 1..n list, a bounded
// list, and pinned nested class names.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "Generated/content-Card.h"

using namespace content_lmx;
using lmx::elmx_error;

namespace {

struct s_load {
    elmx_error error;
    std::string item;
};

s_load load(const std::string& text, c_Card* card) {
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    const elmx_error error = card->unmarshal(reader);
    return {error, error == lmx::ELMX_OK ? std::string() : reader.get_error_item_name()};
}

s_load load(const std::string& text) {
    c_Card card;
    return load(text, &card);
}

std::string saved(const c_Card& card) {
    std::string text;
    EXPECT_EQ(card.marshal(&text), lmx::ELMX_OK);
    return text;
}

const std::string k_full =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Card>\n"
    "\t<Name>Ann</Name>\n"
    "\t<Email>ann@example.org</Email>\n"
    "\t<Phone>1</Phone>\n"
    "\t<Phone>2</Phone>\n"
    "\t<Run>\n"
    "\t\t<Program>editor</Program>\n"
    "\t</Run>\n"
    "\t<Tag>a</Tag>\n"
    "\t<Tag>b</Tag>\n"
    "</Card>\n";

}  // namespace

// The _2/_3 numbering skips the name pinned with b:className.
static_assert(std::is_class_v<c_CardType::c_Action::c_Run_2>);
static_assert(std::is_class_v<c_Other::c_Run>);
static_assert(std::is_class_v<c_Third::c_Run_3>);

TEST(GeneratedContent, SequenceGroupAndChoiceInASequenceRoundTrip) {
    c_Card card;
    ASSERT_EQ(load(k_full, &card).error, lmx::ELMX_OK);
    ASSERT_TRUE(card.isset_Contact());
    EXPECT_EQ(card.get_Contact().get_Email(), L"ann@example.org");
    EXPECT_EQ(card.get_Contact().size_Phone(), 2u);
    ASSERT_EQ(card.get_Action().getchosen(), c_CardType::c_Action::chosen_Run);
    EXPECT_EQ(card.get_Action().get_Run().get_Program(), L"editor");
    EXPECT_EQ(card.size_Tag(), 2u);
    EXPECT_TRUE(card.is_occurs_ok());
    EXPECT_EQ(saved(card), k_full);

    // Group members and choice options are routed to their objects in any order, and written
    // back in schema order.
    c_Card shuffled;
    ASSERT_EQ(load("<Card><Tag>a</Tag><Phone>1</Phone><Run><Program>editor</Program></Run>"
                   "<Name>Ann</Name><Email>ann@example.org</Email><Phone>2</Phone><Tag>b</Tag>"
                   "</Card>",
                   &shuffled)
                  .error,
              lmx::ELMX_OK);
    EXPECT_EQ(saved(shuffled), k_full);
}

TEST(GeneratedContent, ChoiceMayBeAbsentAndChangesOption) {
    c_Card card;
    card.set_Name(L"Bob");
    ASSERT_EQ(card.append_Tag(L"t"), lmx::ELMX_OK);
    EXPECT_FALSE(card.isset_Contact());
    EXPECT_FALSE(card.isset_Action());
    EXPECT_TRUE(card.is_occurs_ok());

    card.get_Action().set_Open(L"http://www.dravik.example/");
    EXPECT_TRUE(card.is_occurs_ok());
    card.get_Action().set_Close();
    EXPECT_EQ(card.get_Action().getchosen(), c_CardType::c_Action::chosen_Close);
    card.get_Contact().set_Email(L"bob@example.org");
    ASSERT_EQ(card.get_Contact().append_Phone(L"1"), lmx::ELMX_OK);
    ASSERT_EQ(card.get_Contact().append_Phone(L"2"), lmx::ELMX_OK);
    EXPECT_EQ(card.get_Contact().append_Phone(L"3"), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(card.get_Contact().insert_Phone(0, L"0"), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(saved(card),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Card>\n"
              "\t<Name>Bob</Name>\n"
              "\t<Email>bob@example.org</Email>\n"
              "\t<Phone>1</Phone>\n"
              "\t<Phone>2</Phone>\n"
              "\t<Close/>\n"
              "\t<Tag>t</Tag>\n"
              "</Card>\n");

    // A choice object with nothing chosen is an error to write, as in every choice class.
    card.get_Action().no_choice_set();
    std::string text;
    EXPECT_EQ(card.marshal(&text), lmx::ELMX_BAD_CHOICE);
    card.unset_Action();
    card.unset_Contact();
    EXPECT_EQ(saved(card),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Card>\n"
              "\t<Name>Bob</Name>\n"
              "\t<Tag>t</Tag>\n"
              "</Card>\n");
}

TEST(GeneratedContent, RepeatedOptionGathersConsecutiveElements) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Card>\n"
        "\t<Name>n</Name>\n"
        "\t<Step>a</Step>\n"
        "\t<Step>b</Step>\n"
        "\t<Tag>t</Tag>\n"
        "</Card>\n";
    c_Card card;
    ASSERT_EQ(load(text, &card).error, lmx::ELMX_OK);
    ASSERT_EQ(card.get_Action().getchosen(), c_CardType::c_Action::chosen_Step);
    ASSERT_EQ(card.get_Action().size_Step(), 2u);
    EXPECT_EQ(card.get_Action().get_Step(1), L"b");
    EXPECT_EQ(saved(card), text);

    EXPECT_EQ(card.get_Action().append_Step(L"c"), lmx::ELMX_OK);
    EXPECT_EQ(card.get_Action().append_Step(L"d"), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    card.get_Action().set_Close();
    EXPECT_EQ(card.get_Action().size_Step(), 0u);  // another option is chosen
}

TEST(GeneratedContent, RepeatedOptionOfAnElementsChoiceTakesTheElementsOfItsName) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Card>\n"
        "\t<Name>n</Name>\n"
        "\t<Tag>t</Tag>\n"
        "\t<Music>\n"
        "\t\t<Song>a</Song>\n"
        "\t\t<Song>b</Song>\n"
        "\t</Music>\n"
        "</Card>\n";
    c_Card card;
    ASSERT_EQ(load(text, &card).error, lmx::ELMX_OK);
    ASSERT_EQ(card.get_Music().getchosen(), c_Playlist::chosen_Song);
    EXPECT_EQ(card.get_Music().size_Song(), 2u);
    EXPECT_EQ(saved(card), text);

    const s_load mixed =
        load("<Card><Name>n</Name><Tag>t</Tag><Music><Song>a</Song><Radio>r</Radio></Music></Card>");
    EXPECT_EQ(mixed.error, lmx::ELMX_BAD_END_OF_ELEMENT);
    EXPECT_EQ(mixed.item, "Music");
}

TEST(GeneratedContent, LenientSequenceReportsAnEmptyRequiredListAtAnUnknownElement) {
    // Unknown elements are skipped once a Tag is there; before, the type's name is reported.
    EXPECT_EQ(load("<Card><Name>n</Name><Tag>t</Tag><Extra/></Card>").error, lmx::ELMX_OK);
    const s_load early = load("<Card><Name>n</Name><Extra/><Tag>t</Tag></Card>");
    EXPECT_EQ(early.error, lmx::ELMX_MANDATORY_ELEMENT_MISSING);
    EXPECT_EQ(early.item, "CardType");
    // At the end of the element a list still empty names the type too; any other missing item
    // is left unnamed.
    const s_load missing = load("<Card><Name>n</Name></Card>");
    EXPECT_EQ(missing.error, lmx::ELMX_MANDATORY_ELEMENT_MISSING);
    EXPECT_EQ(missing.item, "CardType");
    const s_load nameless = load("<Card><Tag>t</Tag></Card>");
    EXPECT_EQ(nameless.error, lmx::ELMX_MANDATORY_ELEMENT_MISSING);
    EXPECT_EQ(nameless.item, "{unspecified}");
}
