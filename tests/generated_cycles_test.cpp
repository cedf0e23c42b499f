// Classes generated from tests/schemas/cycles.xsd (and the file it includes), which hold one
// another in cycles: Node holds a Node, Toolbar and Button hold each other, and ClientCommand,
// Menu and CommandSet form a three-class cycle through an xs:all member.
#include <gtest/gtest.h>

#include <string>

#include "Generated/cycles.h"

using namespace cycles_lmx;
using lmx::elmx_error;

namespace {

const std::string k_declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

template <typename Document>
elmx_error load(const std::string& text, Document* document) {
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    return document->unmarshal(reader);
}

template <typename Document>
std::string saved(const Document& document) {
    std::string text;
    EXPECT_EQ(document.marshal(&text), lmx::ELMX_OK);
    return text;
}

// A command whose menu's main set starts with a command that has a menu of its own.
c_Command nested_command() {
    c_Command command;
    command.set_id(1);
    command.set_Label(L"open");
    c_Menu& menu = command.get_Menu();
    menu.set_Title(L"Files");
    c_ClientCommand& inner = menu.get_Main().get_First();
    inner.set_id(2);
    inner.set_Label(L"recent");
    inner.get_Menu().set_Title(L"Recent");
    inner.get_Menu().get_Main().get_First().set_id(3);
    inner.get_Menu().get_Main().get_First().set_Label(L"a.txt");
    menu.append_More();
    menu.back_More().set_Note(L"more");
    menu.back_More().get_First().set_id(4);
    menu.back_More().get_First().set_Label(L"close");
    return command;
}

const std::string k_nested_command =
    k_declaration +
    "<Command id=\"1\">\n"
    "\t<Label>open</Label>\n"
    "\t<Menu>\n"
    "\t\t<Title>Files</Title>\n"
    "\t\t<Main>\n"
    "\t\t\t<First id=\"2\">\n"
    "\t\t\t\t<Label>recent</Label>\n"
    "\t\t\t\t<Menu>\n"
    "\t\t\t\t\t<Title>Recent</Title>\n"
    "\t\t\t\t\t<Main>\n"
    "\t\t\t\t\t\t<First id=\"3\">\n"
    "\t\t\t\t\t\t\t<Label>a.txt</Label>\n"
    "\t\t\t\t\t\t</First>\n"
    "\t\t\t\t\t</Main>\n"
    "\t\t\t\t</Menu>\n"
    "\t\t\t</First>\n"
    "\t\t</Main>\n"
    "\t\t<More>\n"
    "\t\t\t<Note>more</Note>\n"
    "\t\t\t<First id=\"4\">\n"
    "\t\t\t\t<Label>close</Label>\n"
    "\t\t\t</First>\n"
    "\t\t</More>\n"
    "\t</Menu>\n"
    "</Command>\n";

// A chain of depth Next elements, the innermost holding the value depth.
std::string node_chain(int depth) {
    std::string text = "<List>";
    for (int i = 0; i < depth; ++i)
        text += "<Value>" + std::to_string(i) + "</Value><Next>";
    text += "<Value>" + std::to_string(depth) + "</Value>";
    for (int i = 0; i < depth; ++i)
        text += "</Next>";
    return text + "</List>";
}

}  // namespace

TEST(GeneratedCycles, ThreeClassCycleIsBuiltWrittenAndReadBack) {
    const c_Command command = nested_command();
    EXPECT_TRUE(command.is_occurs_ok());
    EXPECT_EQ(saved(command), k_nested_command);

    c_Command loaded;
    ASSERT_EQ(load(k_nested_command, &loaded), lmx::ELMX_OK);
    EXPECT_EQ(loaded.get_Menu().get_Main().get_First().get_Menu().get_Main().get_First().get_Label(),
              L"a.txt");
    EXPECT_FALSE(loaded.get_Menu().get_Main().get_First().get_Menu().get_Main().get_First()
                     .isset_Menu());
    EXPECT_EQ(loaded.get_Menu().back_More().getorder(0u), c_CommandSet::all_Note);
    EXPECT_EQ(saved(loaded), k_nested_command);
}

TEST(GeneratedCycles, CopiesAreDeepAndIndependent) {
    const c_Command original = nested_command();
    c_Command copy(original);
    copy.get_Menu().get_Main().get_First().get_Menu().set_Title(L"Changed");
    copy.get_Menu().delete_More(0);
    EXPECT_EQ(saved(original), k_nested_command);

    c_Command assigned;
    assigned = copy;
    EXPECT_EQ(saved(assigned), saved(copy));
    assigned = original;
    EXPECT_EQ(saved(assigned), k_nested_command);
    EXPECT_NE(saved(copy), k_nested_command);

    assigned.swap(copy);
    EXPECT_EQ(saved(copy), k_nested_command);
    copy.reset();
    EXPECT_FALSE(copy.isset_Menu());
    EXPECT_EQ(copy.get_Label(), L"");
}

TEST(GeneratedCycles, AbsentItemsOfACycleReadAsEmptyObjects) {
    const c_ClientCommand command;
    EXPECT_FALSE(command.isset_Menu());
    EXPECT_EQ(command.get_Menu().get_Title(), L"");
    EXPECT_FALSE(command.get_Menu().get_Main().get_First().isset_Menu());
    EXPECT_FALSE(command.isset_Menu());  // reading does not create the item

    c_Menu menu;
    EXPECT_FALSE(menu.is_occurs_ok());  // Main is required
    menu.set_Title(L"t");
    menu.get_Main();
    EXPECT_TRUE(menu.is_occurs_ok());
}

TEST(GeneratedCycles, SelfCycleHonoursTheNestingLimit) {
    c_List shallow;
    ASSERT_EQ(load(node_chain(200), &shallow), lmx::ELMX_OK);
    const c_Node* node = &shallow;
    int depth = 0;
    while (node->isset_Next()) {
        node = &node->get_Next();
        ++depth;
    }
    EXPECT_EQ(depth, 200);
    EXPECT_EQ(node->get_Value(), 200);
    const std::string written = saved(shallow);
    c_List reloaded;
    ASSERT_EQ(load(written, &reloaded), lmx::ELMX_OK);
    EXPECT_EQ(saved(reloaded), written);
    c_List copy(reloaded);
    EXPECT_EQ(saved(copy), written);

    c_List hostile;
    EXPECT_EQ(load(node_chain(100000), &hostile), lmx::ELMX_BADLY_FORMED);
}

// Far deeper than the stack would allow if copying or destroying recursed through the tree.
constexpr int k_deeper_than_the_stack = 200000;

int chain_length(const c_Node& first, int* last_value) {
    const c_Node* node = &first;
    int length = 0;
    while (node->isset_Next()) {
        node = &node->get_Next();
        ++length;
    }
    *last_value = node->get_Value();
    return length;
}

TEST(GeneratedCycles, TreesDeeperThanTheStackCopyAndDestroyWithoutRecursion) {
    c_List chain;
    c_Node* node = &chain;
    for (int level = 0; level < k_deeper_than_the_stack; ++level) {
        node->set_Value(level);
        node = &node->get_Next();
    }
    node->set_Value(-1);

    c_List copy(chain);
    int last = 0;
    EXPECT_EQ(chain_length(copy, &last), k_deeper_than_the_stack);
    EXPECT_EQ(last, -1);
    copy.get_Next().get_Next().set_Value(7);
    EXPECT_EQ(chain.get_Next().get_Next().get_Value(), 2);

    c_List assigned;
    assigned.set_Value(5);
    assigned = chain;  // copy assignment, then the old deep tree of the copy goes
    assigned = copy;
    EXPECT_EQ(assigned.get_Next().get_Next().get_Value(), 7);
    EXPECT_EQ(chain_length(assigned, &last), k_deeper_than_the_stack);
    assigned.reset();
    EXPECT_FALSE(assigned.isset_Next());
    chain.unset_Next();
    EXPECT_FALSE(chain.isset_Next());

    // Three classes in a cycle through an xs:all member, with a list at every level.
    c_Command command;
    c_ClientCommand* inner = &command;
    for (int level = 0; level < k_deeper_than_the_stack / 2; ++level) {
        inner->set_id(level);
        c_Menu& menu = inner->get_Menu();
        menu.append_More();
        menu.back_More().get_First().set_id(-level);
        inner = &menu.get_Main().get_First();
    }
    c_Command command_copy = command;
    const c_ClientCommand* walked = &command_copy;
    int levels = 0;
    while (walked->isset_Menu()) {
        EXPECT_EQ(walked->get_Menu().get_More(0).get_First().get_id(), -levels);
        walked = &walked->get_Menu().get_Main().get_First();
        ++levels;
    }
    EXPECT_EQ(levels, k_deeper_than_the_stack / 2);

    // Many children at every level, more than the teardown keeps without a pile of its own.
    c_Command bushy;
    inner = &bushy;
    long long id_sum = 0;
    for (int level = 0; level < 5000; ++level) {
        c_Menu& menu = inner->get_Menu();
        for (int j = 0; j < 12; ++j) {
            menu.append_More();
            menu.back_More().get_First().set_id(level * 100 + j);
            id_sum += level * 100 + j;
        }
        inner = &menu.get_Main().get_First();
    }
    const c_Command bushy_copy(bushy);
    bushy = c_Command();
    long long copied_sum = 0;
    for (walked = &bushy_copy; walked->isset_Menu();
         walked = &walked->get_Menu().get_Main().get_First()) {
        const c_Menu& menu = walked->get_Menu();
        ASSERT_EQ(menu.size_More(), 12u);
        for (unsigned j = 0; j < menu.size_More(); ++j)
            copied_sum += menu.get_More(j).get_First().get_id();
    }
    EXPECT_EQ(copied_sum, id_sum);

    // Two classes in a cycle, through a single item and a bounded list.
    c_Bar bar;
    c_Toolbar* toolbar = &bar;
    for (int level = 0; level < k_deeper_than_the_stack / 2; ++level) {
        toolbar->append_Extra();
        toolbar = &toolbar->get_Button().get_Toolbar();
    }
    c_Bar bar_copy(bar);
    bar_copy = bar;
}

TEST(GeneratedCycles, TwoClassCycleWithABoundedList) {
    c_Bar bar;
    bar.get_Button().set_Caption(L"File");
    bar.get_Button().get_Toolbar().get_Button().set_Caption(L"New");
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(bar.append_Extra(), lmx::ELMX_OK);
    EXPECT_EQ(bar.append_Extra(), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(bar.insert_Extra(0), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(bar.size_Extra(), 3u);
    bar.delete_Extra(2);
    bar.back_Extra().set_Caption(L"Help");
    bar.get_Extra(0).set_Caption(L"Edit");
    const std::string text = k_declaration +
                             "<Bar>\n"
                             "\t<Button>\n"
                             "\t\t<Caption>File</Caption>\n"
                             "\t\t<Toolbar>\n"
                             "\t\t\t<Button>\n"
                             "\t\t\t\t<Caption>New</Caption>\n"
                             "\t\t\t</Button>\n"
                             "\t\t</Toolbar>\n"
                             "\t</Button>\n"
                             "\t<Extra>\n"
                             "\t\t<Caption>Edit</Caption>\n"
                             "\t</Extra>\n"
                             "\t<Extra>\n"
                             "\t\t<Caption>Help</Caption>\n"
                             "\t</Extra>\n"
                             "</Bar>\n";
    EXPECT_EQ(saved(bar), text);
    c_Bar loaded;
    ASSERT_EQ(load(text, &loaded), lmx::ELMX_OK);
    EXPECT_EQ(saved(loaded), text);
}

TEST(GeneratedCycles, RootChoosesTheGlobalElementOfTheDocument) {
    lmx::elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    c_root command(k_nested_command, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    ASSERT_EQ(command.getchosen(), c_root::chosen_Command);
    EXPECT_EQ(command.get_Command().get_Menu().get_Title(), L"Files");
    EXPECT_EQ(saved(command), k_nested_command);

    c_root list(node_chain(2), &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    ASSERT_EQ(list.getchosen(), c_root::chosen_List);
    EXPECT_EQ(list.get_List().get_Next().get_Next().get_Value(), 2);

    c_root unknown(std::string("<Menu><Title>t</Title></Menu>"), &error);
    EXPECT_EQ(error, lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT);
    EXPECT_EQ(unknown.getchosen(), c_root::chosen_none);
}
