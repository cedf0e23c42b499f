// Client commands through dravik_lmx::c_root: a command of each of the 28 kinds reads, saves,
// reloads to the same text and validates; targets and their codes; commands and option classes
// that hold no option; what each option requires; raw untyped contents; the mixed command set.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Generated/lmx.h"
#include "messaging_documents.h"

using namespace dravik_lmx;
using namespace messaging_test;
using lmx::elmx_error;

namespace {

const std::string k_resource =
    "<Resource ID=\"4711\" Type=\"SWF\"><URI Method=\"absolute\">"
    "http://content.dravik.example/4711.swf</URI></Resource>";

std::string command(const std::string& content, const std::string& target = "Any") {
    return document("ClientCommand", " Target=\"" + target + "\"", content);
}

}  // namespace

TEST(ClientCommands, EveryOptionInTheTablesOrder) {
    const std::string header = " ID=\"9\"><Name>n</Name>" + k_resource;
    const std::vector<std::string> options = {
        "<DisplayEmoticonCommand InCatalogLocation=\"top/animals\"><EmoticonHeader" + header +
            "</EmoticonHeader></DisplayEmoticonCommand>",
        "<DisplayTextEmoticonCommand><Emoticon><ContentData><Resources>" + k_resource +
            "</Resources></ContentData><EmoticonHeader" + header +
            "</EmoticonHeader></Emoticon></DisplayTextEmoticonCommand>",
        "<SendWinkCommand><Wink><WinkHeader" + header +
            "</WinkHeader></Wink><InteractiveData "
            "Type=\"TextInteractive\">hi</InteractiveData></SendWinkCommand>",
        "<PreviewWinkCommand><Wink/></PreviewWinkCommand>",
        "<SendNudgeCommand><NudgeHeader ID=\"5\"><Name>Shake</Name></NudgeHeader>"
        "</SendNudgeCommand>",
        "<SetToolbarCommand><ToolbarHeader ID=\"3\">" + k_resource +
            "</ToolbarHeader></SetToolbarCommand>",
        "<SetDisplayPictureCommand><UserPictureHeader" + header +
            "</UserPictureHeader></SetDisplayPictureCommand>",
        "<SetConversationTextCommand><Text>brb &amp; back</Text></SetConversationTextCommand>",
        "<AutoUpdateUserCommand><WebUpdateAccept/></AutoUpdateUserCommand>",
        "<PerformPickupWindowCommand><Move><Top>2</Top><Left>1</Left><Width>3</Width>"
        "<Height>4</Height></Move></PerformPickupWindowCommand>",
        "<OnPickupWindowStatusChangedCommand><Loaded/></OnPickupWindowStatusChangedCommand>",
        "<ShowMessageDialog><Message><Text>Update?</Text><Button><ButtonType><Yes/></ButtonType>"
        "</Button><Icon>Question</Icon><ID>7</ID></Message></ShowMessageDialog>",
        "<ShowIEPopup><URL>http://www.dravik.example/popup</URL></ShowIEPopup>",
        "<FlushCreativesUsageInfoCommand/>",
        "<FlushRepositoryCommand/>",
        "<SetShortcuts><Strategy>replace</Strategy><Shortcuts><ShortcutElement><Text>:)</Text>"
        "<Creative><ID>1</ID></Creative></ShortcutElement></Shortcuts></SetShortcuts>",
        "<AddFavorite><Wink" + header + "</Wink></AddFavorite>",
        "<SetSessionParams><ShortcutsWebSize><cx>2</cx><cy>3</cy></ShortcutsWebSize>"
        "</SetSessionParams>",
        "<SetWebParams><Parameter target=\"MSN\" name=\"a\" type=\"BOOL\"><Value>true</Value>"
        "</Parameter></SetWebParams>",
        "<ShowAboutBox>version <b>2.1</b></ShowAboutBox>",
        "<TellAFriend>to=<i>joe</i></TellAFriend>",
        "<LogFromWeb><LogMessage>page loaded</LogMessage></LogFromWeb>",
        "<ShowPopupMenu><Menu><MenuElement><Separator/></MenuElement></Menu></ShowPopupMenu>",
        "<ShowWebDialog><Title>Options</Title><URL>http://www.dravik.example/o</URL>"
        "</ShowWebDialog>",
        "<RouteCommandToWeb><WebCommand><ExecuteJavaScript>go()</ExecuteJavaScript></WebCommand>"
        "</RouteCommandToWeb>",
        "<RunPluginsManager>mode=<i>full</i></RunPluginsManager>",
        "<SetToolbarNotification><State><Hide/></State><Button>winks</Button>"
        "</SetToolbarNotification>",
        "<ExploreURL><URL>http://www.dravik.example</URL></ExploreURL>"};
    ASSERT_EQ(options.size(), 28u);
    EXPECT_EQ(static_cast<int>(c_ClientCommandType::chosen_skipped), 28);
    EXPECT_EQ(static_cast<int>(c_ClientCommandType::chosen_none), 29);
    for (std::size_t i = 0; i < options.size(); ++i) {
        SCOPED_TRACE(options[i]);
        c_root root;
        ASSERT_EQ(load_message(command(options[i], "MSN"), &root), "ok");
        EXPECT_EQ(static_cast<std::size_t>(root.get_ClientCommand().getchosen()), i);
        EXPECT_TRUE(root.get_ClientCommand().is_occurs_ok());
        round_trip(root);
    }
}

TEST(ClientCommands, TargetCodesAndTheOptionalContext) {
    const wchar_t* const targets[] = {L"Any", L"MSN", L"Yahoo", L"DravikUI", L"AOL",
                                      L"IE",  L"FF",  L"OE",    L"QQ"};
    c_ClientCommandType built;
    EXPECT_FALSE(built.is_occurs_ok()) << "Target is required";
    for (int code = 25; code <= 33; ++code) {
        EXPECT_TRUE(built.setenum_Target(static_cast<elmx_enums>(code)));
        EXPECT_EQ(built.get_Target(), targets[code - 25]);
        EXPECT_EQ(built.getenum_Target(), code);
    }
    for (int code : {0, 24, 34, 48}) {
        EXPECT_FALSE(built.setenum_Target(static_cast<elmx_enums>(code))) << code;
        EXPECT_EQ(built.get_Target(), L"QQ");
    }
    built.set_Target(L"dravikui");
    EXPECT_EQ(built.getenum_Target(), 0) << "codes match the exact text";
    EXPECT_TRUE(built.is_occurs_ok());

    c_root root;
    ASSERT_EQ(load_message(command("", "DravikUI"), &root), "ok");
    EXPECT_EQ(root.get_ClientCommand().getenum_Target(), e_DravikUI);
    EXPECT_FALSE(root.get_ClientCommand().isset_Context());
    EXPECT_EQ(saved(root), k_declaration + "<ClientCommand" + k_ns +
                               " Target=\"DravikUI\">\n"
                               "</ClientCommand>\n");
    ASSERT_EQ(
        load_message(document("ClientCommand", " Context=\" 4294967295 \" Target=\"Skype\"", ""),
                     &root),
        "ok");
    EXPECT_EQ(root.get_ClientCommand().getenum_Target(), 0);
    EXPECT_EQ(root.get_ClientCommand().get_Context(), 4294967295u);
    EXPECT_EQ(saved(root), k_declaration + "<ClientCommand" + k_ns +
                               " Target=\"Skype\" Context=\"4294967295\">\n</ClientCommand>\n");

    EXPECT_EQ(load_message(document("ClientCommand", " Context=\"1\"", "")),
              message(2, "ClientCommandType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    const std::pair<const char*, elmx_error> contexts[] = {
        {"4294967296", lmx::ELMX_VALUE_ABOVE_MAXIMUM},
        {"-1", lmx::ELMX_VALUE_BELOW_MINIMUM},
        {"1.0", lmx::ELMX_BAD_VALUE_FORMAT}};
    for (const auto& [value, code] : contexts)
        EXPECT_EQ(
            load_message(document("ClientCommand",
                                  " Target=\"Any\" Context=\"" + std::string(value) + "\"", "")),
            message(2, "Context", code));
}

TEST(ClientCommands, NoOptionIsCompleteWhereTheChoiceIsOptional) {
    // The command itself: nothing, or only unknown children, and it is written without them.
    for (const char* content : {"", "<Unknown a=\"1\"><x/></Unknown>"}) {
        c_root root;
        ASSERT_EQ(load_message(command(content), &root), "ok");
        EXPECT_TRUE(root.get_ClientCommand().is_occurs_ok());
        EXPECT_EQ(saved(root), k_declaration + "<ClientCommand" + k_ns +
                                   " Target=\"Any\">\n"
                                   "</ClientCommand>\n");
    }
    // Every option class that is a choice reads with no option, or with unknown children only.
    for (const char* option :
         {"DisplayEmoticonCommand", "DisplayTextEmoticonCommand", "SendNudgeCommand",
          "SetToolbarCommand", "SetDisplayPictureCommand", "AutoUpdateUserCommand",
          "PerformPickupWindowCommand", "OnPickupWindowStatusChangedCommand", "AddFavorite",
          "ShowPopupMenu", "RouteCommandToWeb"}) {
        SCOPED_TRACE(option);
        const std::string name = option;
        for (const std::string& content :
             {"<" + name + "/>", "<" + name + "><Unknown/></" + name + ">"}) {
            c_root root;
            ASSERT_EQ(load_message(command(content), &root), "ok");
            const std::string text = round_trip(root);
            EXPECT_NE(text.find("\t<" + name + ">\n\t</" + name + ">\n"), std::string::npos);
        }
    }
    c_root root;
    ASSERT_EQ(load_message(command("<AddFavorite><Unknown/></AddFavorite>"), &root), "ok");
    EXPECT_EQ(root.get_ClientCommand().get_AddFavorite().getchosen(),
              c_ClientCommandType::c_AddFavorite::chosen_skipped);
    EXPECT_TRUE(c_ClientCommandType::c_AddFavorite().is_occurs_ok());
    EXPECT_TRUE(c_ClientCommandType::c_PerformPickupWindowCommand::c_Show::c_Type().is_occurs_ok());

    // The toolbar notification's state and the command-type element must hold an option, yet
    // read without one like every messaging choice; such an object is not written.
    c_ClientCommandType::c_SetToolbarNotification::c_State state;
    EXPECT_FALSE(state.is_occurs_ok());
    state.set_Hide();
    EXPECT_TRUE(state.is_occurs_ok());
    const std::string button = "\n<SetToolbarNotification><Button>b</Button>";
    EXPECT_EQ(load_message(command(button + "</SetToolbarNotification>")),
              message(3, "SetToolbarNotification", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    auto refused = [](const c_root& incomplete) {
        std::ostringstream stream;
        lmx::c_xml_writer writer(stream);
        EXPECT_EQ(incomplete.marshal(writer), lmx::ELMX_BAD_CHOICE);
        return writer.get_error_item_name();
    };
    ASSERT_EQ(load_message(command(button + "<State/></SetToolbarNotification>"), &root), "ok");
    const auto& notification = root.get_ClientCommand().get_SetToolbarNotification();
    EXPECT_FALSE(notification.get_State().is_occurs_ok());
    EXPECT_EQ(refused(root), "State");
    ASSERT_EQ(load_message(document("CommandType", "", ""), &root), "ok");
    EXPECT_FALSE(root.get_CommandType().is_occurs_ok());
    EXPECT_EQ(refused(root), "CommandType");

    // Unknown children count as a choice made, but there is still no option to write.
    ASSERT_EQ(
        load_message(command(button + "<State><Blink/></State></SetToolbarNotification>"), &root),
        "ok");
    EXPECT_TRUE(root.get_ClientCommand().get_SetToolbarNotification().get_State().is_occurs_ok());
    EXPECT_EQ(refused(root), "State");
    ASSERT_EQ(load_message(document("CommandType", "", "<Blink/>"), &root), "ok");
    EXPECT_EQ(root.get_CommandType().getchosen(), c_CommandType::chosen_skipped);
    EXPECT_EQ(refused(root), "CommandType");
}

TEST(ClientCommands, WhatTheOptionsRequire) {
    const std::pair<std::string, std::string> cases[] = {
        {"<ShowWebDialog><Title>t</Title><ErrorURL>e</ErrorURL></ShowWebDialog>",
         message(3, "ShowWebDialog", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<ShowWebDialog><URL>a</URL>\n<URL>b</URL></ShowWebDialog>",
         message(4, "URL", lmx::ELMX_ALL_CARDINALITY_VIOLATED)},
        {"<PerformPickupWindowCommand><Move><Left>1</Left><Width>3</Width><Height>4</Height>"
         "</Move></PerformPickupWindowCommand>",
         message(3, "Move", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<PerformPickupWindowCommand><Resize><Width>3</Width></Resize>"
         "</PerformPickupWindowCommand>",
         message(3, "Resize", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<SetShortcuts><Strategy>merge</Strategy></SetShortcuts>",
         message(3, "SetShortcuts", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<ShowMessageDialog><Other/></ShowMessageDialog>",
         message(3, "ShowMessageDialog", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<SetWebParams/>", message(3, "SetWebParams", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<SetToolbarNotification><State><Show/></State></SetToolbarNotification>",
         message(3, "SetToolbarNotification", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<PreviewWinkCommand><InteractiveData Type=\"ImageInteractive\">x</InteractiveData>"
         "</PreviewWinkCommand>",
         message(3, "{unspecified}", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<SendWinkCommand/>", message(3, "SendWinkCommand", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT)},
        {"<PerformPickupWindowCommand><Show><Cookie>4294967296</Cookie></Show>"
         "</PerformPickupWindowCommand>",
         message(3, "Cookie", lmx::ELMX_VALUE_ABOVE_MAXIMUM)},
        {"<PerformPickupWindowCommand><Move><Left>-1</Left></Move></PerformPickupWindowCommand>",
         message(3, "Left", lmx::ELMX_VALUE_BELOW_MINIMUM)},
        {"<PerformPickupWindowCommand><Show><SetFocus>yes</SetFocus></Show>"
         "</PerformPickupWindowCommand>",
         message(3, "SetFocus", lmx::ELMX_BAD_VALUE_FORMAT)},
        {"<ShowAboutBox>a</ShowAboutBox><ExploreURL><URL>u</URL></ExploreURL>",
         message(3, "ClientCommand", lmx::ELMX_BAD_END_OF_ELEMENT)}};
    for (const auto& entry : cases)
        EXPECT_EQ(load_message(command("\n" + entry.first)), entry.second);

    c_ClientCommandType::c_SetWebParams params;
    EXPECT_FALSE(params.is_occurs_ok());
    ASSERT_EQ(params.append_Parameter(), lmx::ELMX_OK);
    EXPECT_TRUE(params.is_occurs_ok());

    // What is present is enough: ShowWebDialog with its URL alone, in any place among the rest.
    for (const char* content :
         {"<ShowWebDialog><URL>u</URL></ShowWebDialog>",
          "<ShowWebDialog><Title>t</Title><URL>u</URL><Placement><Size><Width>1</Width>"
          "<Height>2</Height></Size><Position><Center/></Position>"
          "</Placement><ErrorURL>e</ErrorURL></ShowWebDialog>",
          "<PerformPickupWindowCommand><Show/></PerformPickupWindowCommand>",
          "<PerformPickupWindowCommand><Show><Type/></Show></PerformPickupWindowCommand>",
          "<SetSessionParams/>"}) {
        c_root root;
        EXPECT_EQ(load_message(command(content), &root), "ok") << content;
        round_trip(root);
    }
}

TEST(ClientCommands, PickupWindowActionsAndEmptyOptionsAsWritten) {
    // Present but empty coordinates take their default 0; the order read is the order written.
    c_root root;
    ASSERT_EQ(load_message(command("<PerformPickupWindowCommand><Move><Top> 7 </Top><Left/>"
                                   "<Height></Height><Width>3</Width></Move>"
                                   "</PerformPickupWindowCommand>"),
                           &root),
              "ok");
    const auto& move = root.get_ClientCommand().get_PerformPickupWindowCommand().get_Move();
    EXPECT_EQ(move.get_Top(), 7u);
    EXPECT_EQ(move.getorder(0), c_ClientCommandType::c_PerformPickupWindowCommand::c_Move::all_Top);
    EXPECT_EQ(move.getorder_Width(), 3u);
    const std::string text = round_trip(root);
    EXPECT_NE(text.find("<Top>7</Top>\n\t\t\t<Left>0</Left>\n\t\t\t<Height>0</Height>\n"),
              std::string::npos);

    // Built through the accessors: each action replaces the one before.
    c_root built;
    c_CommandsSet& set = built.get_CommandsSet();
    auto next = [&set](const wchar_t* target) -> c_ClientCommandType& {
        EXPECT_EQ(set.append_ClientCommand(), lmx::ELMX_OK);
        set.back_ClientCommand().set_Target(target);
        return set.back_ClientCommand();
    };
    auto& pickup = next(L"DravikUI").get_PerformPickupWindowCommand();
    pickup.get_Navigate().set_URL(L"http://www.dravik.example/pickup");
    pickup.get_Resize().set_Width(320);
    pickup.get_Resize().set_Height(200);
    EXPECT_EQ(pickup.getchosen(), c_ClientCommandType::c_PerformPickupWindowCommand::chosen_Resize);
    auto& show = next(L"DravikUI").get_PerformPickupWindowCommand().get_Show();
    show.set_SetFocus(true);
    show.get_Type().set_ToolbarDialog();
    next(L"DravikUI").get_PerformPickupWindowCommand().set_Close();
    next(L"Any").get_AutoUpdateUserCommand().set_TrayUpdateAccept();
    auto& flush = next(L"Any");
    flush.set_FlushCreativesUsageInfoCommand();
    flush.set_FlushRepositoryCommand();
    auto& state = next(L"IE").get_SetToolbarNotification();
    state.get_State().set_Show();
    state.set_Button(L"winks");
    next(L"MSN").get_SetSessionParams();
    EXPECT_EQ(round_trip(built),
              k_declaration + "<CommandsSet" + k_ns +
                  ">\n"
                  "\t<ClientCommand Target=\"DravikUI\">\n\t\t<PerformPickupWindowCommand>\n"
                  "\t\t\t<Resize>\n\t\t\t\t<Width>320</Width>\n\t\t\t\t<Height>200</Height>\n"
                  "\t\t\t</Resize>\n\t\t</PerformPickupWindowCommand>\n\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"DravikUI\">\n\t\t<PerformPickupWindowCommand>\n"
                  "\t\t\t<Show>\n\t\t\t\t<SetFocus>true</SetFocus>\n\t\t\t\t<Type>\n"
                  "\t\t\t\t\t<ToolbarDialog/>\n\t\t\t\t</Type>\n\t\t\t</Show>\n"
                  "\t\t</PerformPickupWindowCommand>\n\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"DravikUI\">\n\t\t<PerformPickupWindowCommand>\n"
                  "\t\t\t<Close/>\n\t\t</PerformPickupWindowCommand>\n\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"Any\">\n\t\t<AutoUpdateUserCommand>\n"
                  "\t\t\t<TrayUpdateAccept/>\n\t\t</AutoUpdateUserCommand>\n\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"Any\">\n\t\t<FlushRepositoryCommand/>\n"
                  "\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"IE\">\n\t\t<SetToolbarNotification>\n"
                  "\t\t\t<State>\n\t\t\t\t<Show/>\n\t\t\t</State>\n\t\t\t<Button>winks</Button>\n"
                  "\t\t</SetToolbarNotification>\n\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"MSN\">\n\t\t<SetSessionParams>\n"
                  "\t\t</SetSessionParams>\n\t</ClientCommand>\n"
                  "</CommandsSet>\n");

    // Copies are deep.
    c_ClientCommandType copy = set.get_ClientCommand(0);
    copy.get_PerformPickupWindowCommand().set_Hide();
    EXPECT_EQ(set.get_ClientCommand(0).get_PerformPickupWindowCommand().getchosen(),
              c_ClientCommandType::c_PerformPickupWindowCommand::chosen_Resize);
}

TEST(ClientCommands, UntypedContentsAreRawTextWrittenBackUnchanged) {
    const std::string raw = "v <b class=\"x\">2.1</b> &amp; &#65; <![CDATA[<raw>]]><br/>";
    const std::string text = k_declaration + "<ClientCommand" + k_ns +
                             " Target=\"Any\">\n\t<ShowAboutBox>" + raw +
                             "</ShowAboutBox>\n</ClientCommand>\n";
    c_root root;
    ASSERT_EQ(load_message(text, &root), "ok");
    c_ClientCommandType& about = root.get_ClientCommand();
    EXPECT_EQ(about.get_ShowAboutBox(), raw);
    EXPECT_EQ(round_trip(root), text);

    EXPECT_EQ(about.set_TellAFriend("to=<i>joe</i>"), lmx::ELMX_OK);
    EXPECT_EQ(about.getchosen(), c_ClientCommandType::chosen_TellAFriend);
    EXPECT_NE(round_trip(root).find("<TellAFriend>to=<i>joe</i></TellAFriend>"), std::string::npos);
    about.set_RunPluginsManager("");
    EXPECT_NE(round_trip(root).find("<RunPluginsManager></RunPluginsManager>"), std::string::npos);
    about.set_RunPluginsManager("<open>");
    std::string out = "unchanged";
    EXPECT_EQ(root.marshal(&out), lmx::ELMX_NOT_WELL_FORMED);
    EXPECT_EQ(out, "unchanged");

    // The catalogue location is untyped text in an attribute: kept decoded, written escaped.
    ASSERT_EQ(load_message(command("<DisplayEmoticonCommand InCatalogLocation=\"a&amp;b&quot;&lt;"
                                   "&#233;\"/>"),
                           &root),
              "ok");
    const auto& display = root.get_ClientCommand().get_DisplayEmoticonCommand();
    EXPECT_EQ(display.get_InCatalogLocation(), "a&b\"<\xC3\xA9");
    EXPECT_NE(round_trip(root).find("InCatalogLocation=\"a&amp;b&quot;&lt;\xC3\xA9\""),
              std::string::npos);
}

TEST(ClientCommands, CommandSetsAndTheCommandTypeElement) {
    const std::string web = "<WebCommand><ExecuteJavaScript>%</ExecuteJavaScript></WebCommand>";
    auto web_command = [&web](const std::string& script) {
        std::string text = web;
        return text.replace(text.find('%'), 1, script);
    };
    c_root root;
    ASSERT_EQ(load_message(document("CommandsSet", "",
                                    web_command("a()") + "<ClientCommand Target=\"MSN\"/>" +
                                        web_command("b()") + "<Unknown/>" +
                                        "<ClientCommand Target=\"QQ\"><FlushRepositoryCommand/>"
                                        "</ClientCommand>"),
                           &root),
              "ok");
    const c_CommandsSet& set = root.get_CommandsSet();
    ASSERT_EQ(set.size_ClientCommand(), 2u);
    ASSERT_EQ(set.size_WebCommand(), 2u);
    EXPECT_EQ(set.get_ClientCommand(1).getenum_Target(), e_QQ);
    EXPECT_EQ(round_trip(root),
              k_declaration + "<CommandsSet" + k_ns +
                  ">\n"
                  "\t<ClientCommand Target=\"MSN\">\n\t</ClientCommand>\n"
                  "\t<ClientCommand Target=\"QQ\">\n\t\t<FlushRepositoryCommand/>\n"
                  "\t</ClientCommand>\n"
                  "\t<WebCommand>\n\t\t<ExecuteJavaScript>a()</ExecuteJavaScript>\n"
                  "\t</WebCommand>\n"
                  "\t<WebCommand>\n\t\t<ExecuteJavaScript>b()</ExecuteJavaScript>\n"
                  "\t</WebCommand>\n"
                  "</CommandsSet>\n");
    ASSERT_EQ(load_message(document("CommandsSet", "", ""), &root), "ok");
    EXPECT_TRUE(root.get_CommandsSet().is_occurs_ok());
    EXPECT_EQ(root.get_CommandsSet().size_WebCommand(), 0u);

    // CommandType holds either kind of command.
    ASSERT_EQ(load_message(document("CommandType", "",
                                    "<WebCommandType><ExecuteJavaScript>c()</ExecuteJavaScript>"
                                    "</WebCommandType>"),
                           &root),
              "ok");
    EXPECT_EQ(root.get_CommandType().getchosen(), c_CommandType::chosen_WebCommandType);
    root.get_CommandType().get_ClientCommandType().set_Target(L"Yahoo");
    EXPECT_EQ(round_trip(root), k_declaration + "<CommandType" + k_ns +
                                    ">\n"
                                    "\t<ClientCommandType Target=\"Yahoo\">\n"
                                    "\t</ClientCommandType>\n</CommandType>\n");
    EXPECT_EQ(load_message(document("CommandType", "", "<ClientCommandType/>")),
              message(2, "ClientCommandType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));

    // The element class reads only its own element.
    elmx_error error = lmx::ELMX_OK;
    const c_ClientCommand single(command("<FlushRepositoryCommand/>", "OE"), &error);
    EXPECT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(single.getchosen(), c_ClientCommandType::chosen_FlushRepositoryCommand);
    const c_ClientCommand other(document("CommandsSet", "", ""), &error);
    EXPECT_EQ(error, lmx::ELMX_ELEMENT_NOT_FOUND);
}
