// The messaging and storage documents through dravik_lmx::c_root and its classes: every sample
// document loads from a file, a buffer and a string, saves, reloads to the same text and
// validates; envelopes, content items, toolbars and dialogs in depth; raw text that cannot be
// written; nesting through the command cycles.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Generated/lmx.h"
#include "messaging_documents.h"

using namespace dravik_lmx;
using namespace messaging_test;
using lmx::elmx_error;

namespace {

const std::string k_commands = "<WebCommandsSet><WebCommand><DoNavigate><URL>u</URL></DoNavigate>"
                               "</WebCommand></WebCommandsSet>";

std::vector<std::string> sample_documents() {
    const std::string folder = std::string(LMX_TEST_DATA_DIR) + "/messaging/valid/";
    std::vector<std::string> files;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0)
                files.push_back(folder + name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

const char* const k_global_elements[] = {
    "Resource", "Parameter", "WPSubsystems", "FavoritesStorage", "MostlyUsedStorage",
    "ClientCommand", "WebCommand", "CommandType", "CommandsSet", "ServerRequestType",
    "ServerReplyType", "WebRequestType", "WebReplyType", "ScriptInfo", "DefaultShortcuts",
    "Shortcut", "Emoticon", "Nudge", "Wink", "UserPicture", "Menu", "Toolbar", "LocalMessages",
    "ServerMessage", "WebMessageRequest", "WebMessageReply", "ClientMessage", "Messengers",
    "WinkHeader", "BoundingChars"};

int global_index(const std::string& text) {
    const std::size_t start = text.find('<', text.find("?>"));
    const std::string name = text.substr(start + 1, text.find_first_of(" >/", start) - start - 1);
    for (int i = 0; i < 30; ++i)
        if (name == k_global_elements[i]) return i;
    return -1;
}

}  // namespace

TEST(MessagingDocuments, EverySampleLoadsSavesReloadsAndValidates) {
    std::set<int> chosen;
    for (const std::string& file : sample_documents()) {
        SCOPED_TRACE(file);
        const std::string original = lmx_test::read_file(file);
        elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
        const c_root from_file(file.c_str(), &error);
        ASSERT_EQ(error, lmx::ELMX_OK);
        ASSERT_EQ(static_cast<int>(from_file.getchosen()), global_index(original));
        chosen.insert(from_file.getchosen());
        EXPECT_TRUE(from_file.is_occurs_ok());
        const std::string text = saved(from_file);

        const c_root from_buffer(original.data(), static_cast<unsigned>(original.size()), &error);
        ASSERT_EQ(error, lmx::ELMX_OK);
        EXPECT_EQ(saved(from_buffer), text);
        const c_root from_text(text, &error);
        ASSERT_EQ(error, lmx::ELMX_OK);
        EXPECT_EQ(saved(from_text), text);

        const std::string path = lmx_test::temporary_path("messaging_saved.xml");
        ASSERT_EQ(from_text.marshal(path.c_str()), lmx::ELMX_OK);
        EXPECT_EQ(lmx_test::read_file(path), text);
        std::remove(path.c_str());
        lmx_test::expect_valid(text, "dravik.xsd");
    }
    EXPECT_EQ(chosen.size(), 30u) << "a sample for each global element";
}

TEST(MessagingDocuments, RootOptionsFollowTheGlobalElementOrder) {
    c_root root;
    EXPECT_EQ(root.getchosen(), c_root::chosen_none);
    EXPECT_EQ(static_cast<int>(c_root::chosen_none), 30);
    EXPECT_FALSE(root.is_occurs_ok());
    std::string text;
    EXPECT_EQ(root.marshal(&text), lmx::ELMX_BAD_CHOICE);
    root.get_LocalMessages();
    EXPECT_EQ(static_cast<int>(root.getchosen()), 22);
    root.get_BoundingChars().set_GenericGuardianStartStringToUse(L"[");
    EXPECT_EQ(static_cast<int>(root.getchosen()), 29);
    EXPECT_EQ(load_message(document("Unknown", "", "")),
              message(2, "Unknown", lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT));

    // The element classes read only their own element.
    const std::string reply = document("ServerMessage", "", "<ServerMessageReply><Header/>"
                                                            "</ServerMessageReply>");
    elmx_error error = lmx::ELMX_OK;
    const c_ServerMessage server(reply, &error);
    EXPECT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(server.getchosen(), c_ServerMessageType::chosen_ServerMessageReply);
    const c_ClientMessage client(reply, &error);
    EXPECT_EQ(error, lmx::ELMX_ELEMENT_NOT_FOUND);
}

TEST(MessagingDocuments, EnvelopesAndHeaders) {
    const std::string info = "<ClientInfo><PluginID>p</PluginID><ClientID>c</ClientID>"
                             "<Version>1</Version><Language>en</Language><Referral>r</Referral>";
    c_root root;
    ASSERT_EQ(load_message(document("ClientMessage", "", "<Header Context=\"1\">" + info +
                                                             "<Brand/></ClientInfo></Header>"),
                           &root),
              "ok");
    const c_ClientInfoType& client = root.get_ClientMessage().get_Header().get_ClientInfo();
    EXPECT_TRUE(client.isset_Brand());
    EXPECT_EQ(client.get_Brand(), L"Dravik");
    EXPECT_EQ(client.get_PluginID(), L"p");
    EXPECT_EQ(client.getorder(0), c_ClientInfoType::all_PluginID);

    c_ClientInfoType fresh;
    EXPECT_FALSE(fresh.isset_Brand());
    EXPECT_EQ(fresh.get_Brand(), L"Dravik");

    const std::string missing_referral = "<ClientInfo><PluginID>p</PluginID><ClientID>c</ClientID>"
                                         "<Version>1</Version><Language>en</Language>";
    EXPECT_EQ(load_message(document("ClientMessage", "",
                                    "\n<Header Context=\"1\">\n" + missing_referral +
                                        "</ClientInfo></Header>")),
              message(4, "ClientInfoType", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("ClientMessage", "", "")),
              message(2, "ClientMessage", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT));
    EXPECT_EQ(load_message(document("ClientMessage", "", "<ClientCommandsSet/>")),
              message(2, "ClientMessageRequest", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("ClientMessage", "", "<Header>" + info +
                                                             "</ClientInfo></Header>")),
              message(2, "Header", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(document("ClientMessage", "", "<Header Context=\"1\">" + info +
                                                             "</ClientInfo>" + info +
                                                             "</ClientInfo></Header>")),
              message(2, "ClientInfo", lmx::ELMX_ALL_CARDINALITY_VIOLATED));

    // A client header's context is a number of any length; a server header's is 32 bits.
    const std::string huge(40, '9');
    EXPECT_EQ(load_message(document("WebMessageRequest", "",
                                    "<Client2WebRequest><Header Context=\"" + huge + "\"/>" +
                                        k_commands + "</Client2WebRequest>"),
                           &root),
              "ok");
    EXPECT_EQ(root.get_WebMessageRequest().get_Client2WebRequest().get_Header().get_Context(),
              lmx::c_big_int(huge));
    const std::string request = "<ServerMessageRequest><Header Context=\"%\">" + info +
                                "</ClientInfo><TargetInfo>t</TargetInfo></Header>"
                                "<RequestsSet/></ServerMessageRequest>";
    auto with_context = [&](const std::string& context) {
        std::string text = request;
        return document("ServerMessage", "", text.replace(text.find('%'), 1, context));
    };
    EXPECT_EQ(load_message(with_context("4294967295")), "ok");
    EXPECT_EQ(load_message(with_context("4294967296")),
              message(2, "Context", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(with_context("-1")), message(2, "Context", lmx::ELMX_VALUE_BELOW_MINIMUM));
    EXPECT_EQ(load_message(with_context("x")), message(2, "Context", lmx::ELMX_BAD_VALUE_FORMAT));
}

TEST(MessagingDocuments, EnvelopeCompletenessOnReadingAndInObjects) {
    c_root root;
    // Client2WebRequest needs both items to read; is_occurs_ok leaves the header to the parse.
    EXPECT_EQ(load_message(document("WebMessageRequest", "",
                                    "<Client2WebRequest>" + k_commands + "</Client2WebRequest>")),
              message(2, "Client2WebRequest", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("WebMessageRequest", "",
                                    "<Client2WebRequest><Header Context=\"1\"/>"
                                    "</Client2WebRequest>")),
              message(2, "Client2WebRequest", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    c_Client2WebRequest built;
    EXPECT_FALSE(built.is_occurs_ok());
    built.get_WebCommandsSet();
    EXPECT_TRUE(built.is_occurs_ok());

    EXPECT_EQ(load_message(document("ServerMessage", "",
                                    "<ServerMessageReply><RepliesSet/></ServerMessageReply>")),
              message(2, "ServerMessageReply", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_TRUE(c_ServerMessageReply().is_occurs_ok());
    EXPECT_FALSE(c_ClientMessageRequest().is_occurs_ok());

    // An envelope with neither option reads, but is not complete; unknown children that were
    // skipped count as a choice made.
    ASSERT_EQ(load_message(document("ServerMessage", "", ""), &root), "ok");
    EXPECT_FALSE(root.get_ServerMessage().is_occurs_ok());
    ASSERT_EQ(load_message(document("WebMessageRequest", "", "<Other/>"), &root), "ok");
    EXPECT_EQ(root.get_WebMessageRequest().getchosen(), c_WebMessageRequestType::chosen_skipped);
    EXPECT_TRUE(root.get_WebMessageRequest().is_occurs_ok());
}

TEST(MessagingDocuments, EnumeratedTextsAndTheirCodes) {
    c_root root;
    ASSERT_EQ(load_message(document("ClientCommand", " Target=\"Skype\"", ""), &root), "ok");
    c_ClientCommandType& command = root.get_ClientCommand();
    EXPECT_EQ(command.get_Target(), L"Skype");
    EXPECT_EQ(command.getenum_Target(), 0);
    EXPECT_TRUE(command.setenum_Target(e_MSN));
    EXPECT_EQ(static_cast<int>(e_MSN), 26);
    EXPECT_EQ(command.get_Target(), L"MSN");
    EXPECT_FALSE(command.setenum_Target(static_cast<elmx_enums>(12)));
    EXPECT_EQ(command.get_Target(), L"MSN");

    c_Resource resource;
    EXPECT_TRUE(resource.setenum_Type(static_cast<elmx_enums>(18)));
    EXPECT_EQ(resource.get_Type(), L"SWF");
    c_MessageInfo dialog;
    EXPECT_TRUE(dialog.setenum_Icon(static_cast<elmx_enums>(54)));
    EXPECT_EQ(dialog.get_Icon(), L"Question");
    EXPECT_EQ(dialog.getenum_Icon(), 54);
}

TEST(MessagingDocuments, AllGroupsKeepTheirOrder) {
    // Header after the command set, as a peer may send it, is written back after it.
    const std::string text = document(
        "WebMessageReply", "",
        "\n\t<Client2WebReply>\n\t\t<ClientCommandsSet>\n\t\t</ClientCommandsSet>\n"
        "\t\t<Header Context=\"7\">\n\t\t</Header>\n\t</Client2WebReply>\n");
    c_root root;
    ASSERT_EQ(load_message(text, &root), "ok");
    EXPECT_EQ(saved(root), text);

    c_root built;
    c_Client2WebReply& reply = built.get_WebMessageReply().get_Client2WebReply();
    reply.get_Header().set_Context(lmx::c_big_int("7"));
    reply.get_ClientCommandsSet();
    EXPECT_EQ(reply.getorder(0), c_Client2WebReply::all_Header);
    std::string header_first = saved(built);
    EXPECT_LT(header_first.find("<Header"), header_first.find("<ClientCommandsSet"));

    // Filters read in any order are written in that order.
    const std::string filters = document(
        "Resource", " ID=\"1\" Type=\"GIF\"",
        "\n\t<URI Method=\"byID\">1</URI>\n\t<Filters>\n\t\t<Encoding Type=\"Hex\"/>\n"
        "\t\t<Archive Type=\"ZIP\"/>\n\t</Filters>\n");
    ASSERT_EQ(load_message(filters, &root), "ok");
    EXPECT_FALSE(root.get_Resource().get_URI().isset_GetByIDFallback());
    EXPECT_EQ(saved(root), filters);
}

TEST(MessagingDocuments, ContentItems) {
    const std::string header = "<WinkHeader ID=\"5\"><Name>n</Name>%</WinkHeader>";
    auto wink = [&](const std::string& resource, const std::string& media) {
        std::string text = header;
        text.replace(text.find('%'), 1, resource);
        return document("Wink", "", "\n<ContentData><Resources/>" + media + "</ContentData>" +
                                        text);
    };
    const std::string resource = "<Resource ID=\"1\" Type=\"BMP\"><URI Method=\"JS\">u</URI>"
                                 "</Resource>";
    c_root root;
    ASSERT_EQ(load_message(wink(resource, "<MediaProperties><IsTransparent/><Heigth>4</Heigth>"
                                          "<Height>9</Height></MediaProperties>"),
                           &root),
              "ok");
    const c_WinkClientType& loaded = root.get_Wink();
    EXPECT_EQ(loaded.get_WinkHeader().get_Resource().getenum_Type(), 0);
    const c_MediaPropertiesType& media = loaded.get_ContentData().get_MediaProperties();
    EXPECT_TRUE(media.isset_IsTransparent());
    EXPECT_FALSE(media.get_IsTransparent());
    EXPECT_EQ(media.get_Heigth(), lmx::c_big_int("4"));
    EXPECT_EQ(media.sizeorder(), 2u) << "Height is not a member";

    // A header without its resource fails to read, but is_occurs_ok leaves it to the parse.
    EXPECT_EQ(load_message(wink("", "")),
              message(3, "WinkHeaderType", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    c_WinkHeaderType built;
    built.set_ID(5);
    built.set_Name(L"n");
    EXPECT_TRUE(built.is_occurs_ok());
    EXPECT_EQ(load_message(document("Resource", " ID=\"1\"", "<URI Method=\"JS\">u</URI>")),
              message(2, "Resource", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(document("Resource", " ID=\"4294967296\" Type=\"GIF\"", "")),
              message(2, "ID", lmx::ELMX_VALUE_ABOVE_MAXIMUM));

    const std::string pictures =
        "<UserPictureHeader ID=\"1\"><Name>n</Name>" + resource + "</UserPictureHeader>";
    EXPECT_EQ(load_message(document("UserPicture", "",
                                    pictures + "<ContentData><SinglePictures/></ContentData>")),
              message(2, "SinglePictures", lmx::ELMX_MANDATORY_ELEMENT_MISSING));

    ASSERT_EQ(load_message(document("BoundingChars", "",
                                    "<GenericGuardianStartStringToParse><Value>a</Value>"
                                    "<Value>b</Value><Value>c</Value>"
                                    "</GenericGuardianStartStringToParse>"),
                           &root),
              "ok");
    const auto& starts = root.get_BoundingChars().get_GenericGuardianStartStringToParse();
    ASSERT_EQ(starts.size_Value(), 3u);
    EXPECT_EQ(starts.get_Value(2), L"c");
}

TEST(MessagingDocuments, ToolbarsMenusAndShortcuts) {
    const std::string header = "<ToolbarHeader ID=\"3\"><Resource ID=\"1\" Type=\"PNG\">"
                               "<URI Method=\"byID\">7</URI></Resource></ToolbarHeader>";
    c_root root;
    ASSERT_EQ(load_message(document("Toolbar", "",
                                    header + "<ToolbarElements><ToolbarElement><Separator/>"
                                             "</ToolbarElement></ToolbarElements>"),
                           &root),
              "ok");
    EXPECT_FALSE(root.get_Toolbar().isset_Height());
    EXPECT_EQ(saved(root).find("Height"), std::string::npos);
    for (const char* empty : {"<ToolbarElements/>", "<ToolbarElements> </ToolbarElements>"})
        EXPECT_EQ(load_message(document("Toolbar", "", header + std::string(empty))),
                  message(2, "ToolbarElements", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("Toolbar", "", "<ToolbarHeader ID=\"3\"><Other/></ToolbarHeader>")),
              message(2, "ToolbarHeaderType", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    c_ToolbarHeaderType built_header;
    built_header.set_ID(3);
    EXPECT_TRUE(built_header.is_occurs_ok());

    // A menu text element needs its commands on reading; is_occurs_ok tests ID and Text only.
    EXPECT_EQ(load_message(document("Menu", "",
                                    "<MenuElement><TextElement><ID>a</ID><Text>t</Text>"
                                    "</TextElement></MenuElement>")),
              message(2, "TextElement", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    c_MenuType::c_MenuElement::c_TextElement text_element;
    text_element.set_ID(L"a");
    text_element.set_Text(L"t");
    EXPECT_TRUE(text_element.is_occurs_ok());

    ASSERT_EQ(load_message(document("Shortcut", "", "<Text>:)</Text><Creative><ID>0</ID></Creative>"),
                           &root),
              "ok");
    EXPECT_EQ(root.get_Shortcut().get_Creative().get_ID(), 0u);
    ASSERT_EQ(load_message(document("Shortcut", "", "<Text>:)</Text><Creative/>"), &root), "ok");
    EXPECT_EQ(root.get_Shortcut().get_Creative().getchosen(),
              c_ShortcutElementType::c_Creative::chosen_none);
    EXPECT_EQ(load_message(saved(root)), "ok") << "an empty creative is written as it was read";
}

TEST(MessagingDocuments, MessageDialogs) {
    c_MessageInfo dialog;
    dialog.set_Text(L"Update?");
    for (int i = 0; i < 3; ++i) ASSERT_EQ(dialog.append_Button(), lmx::ELMX_OK);
    EXPECT_EQ(dialog.append_Button(), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(dialog.insert_Button(0), lmx::ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(dialog.size_Button(), 3u);
    dialog.delete_Button(2);
    dialog.get_Button(0).get_ButtonType().set_User();
    dialog.get_Button(0).get_ButtonType().set_CustomText(L"Later");
    dialog.get_Button(0).set_Default();
    dialog.get_Button(1).get_ButtonType().set_Cancel();
    dialog.setenum_Icon(static_cast<elmx_enums>(53));
    dialog.set_ID(9);
    c_root root;
    root.get_LocalMessages().append_LocalMessage();
    root.get_LocalMessages().assign_LocalMessage(0, dialog);
    EXPECT_EQ(saved(root),
              k_declaration + "<LocalMessages" + k_ns + ">\n\t<LocalMessage>\n"
                  "\t\t<Text>Update?</Text>\n"
                  "\t\t<Button>\n\t\t\t<ButtonType CustomText=\"Later\">\n\t\t\t\t<User/>\n"
                  "\t\t\t</ButtonType>\n\t\t\t<Default/>\n\t\t</Button>\n"
                  "\t\t<Button>\n\t\t\t<ButtonType>\n\t\t\t\t<Cancel/>\n\t\t\t</ButtonType>\n"
                  "\t\t</Button>\n"
                  "\t\t<Icon>Info</Icon>\n\t\t<ID>9</ID>\n\t</LocalMessage>\n</LocalMessages>\n");

    const std::string button = "<Button><ButtonType><Ok/></ButtonType></Button>";
    auto message_of = [](const std::string& content) {
        return document("LocalMessages", "", "\n<LocalMessage>" + content + "</LocalMessage>");
    };
    EXPECT_EQ(load_message(message_of("<Text>t</Text><Icon>Info</Icon><ID>1</ID>")),
              message(3, "MessageInfo", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(message_of("<Text>t</Text>" + button + "<ID>1</ID>")),
              message(3, "{unspecified}", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("LocalMessages", "", "")),
              message(2, "LocalMessages", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(message_of("<Text>t</Text><Button><Default/></Button><Icon>Info</Icon>"
                                      "<ID>1</ID>")),
              message(3, "ButtonInfo", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(message_of("<Text>t</Text>" + button + "<Icon>Info</Icon><ID>-1</ID>")),
              message(3, "ID", lmx::ELMX_VALUE_BELOW_MINIMUM));

    c_ButtonInfo::c_ButtonType kind;
    kind.set_CustomText(L"x");
    EXPECT_FALSE(kind.is_occurs_ok());
    kind.set_User();
    EXPECT_TRUE(kind.is_occurs_ok());
}

TEST(MessagingDocuments, SizesAndPlacements) {
    auto size = [](const std::string& cx, const std::string& cy) {
        return "<ClientCommand Target=\"Any\"><SetSessionParams><ToolbarWebSize><cy>" + cy +
               "</cy><cx>" + cx + "</cx></ToolbarWebSize></SetSessionParams></ClientCommand>";
    };
    c_root root;
    const std::string extremes = document("CommandsSet", "", size("-9223372036854775808",
                                                                  "9223372036854775807"));
    ASSERT_EQ(load_message(extremes, &root), "ok");
    const std::string text = saved(root);
    EXPECT_LT(text.find("<cy>"), text.find("<cx>"));
    EXPECT_EQ(load_message(document("CommandsSet", "", size("9223372036854775808", "1"))),
              message(2, "cx", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(document("CommandsSet", "",
                                    "<ClientCommand Target=\"Any\"><SetSessionParams>"
                                    "<ToolbarWebSize><cx>1</cx></ToolbarWebSize>"
                                    "</SetSessionParams></ClientCommand>")),
              message(2, "SizeType", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
}

TEST(MessagingDocuments, RawTextIsKeptAndNeverBreaksTheDocument) {
    const std::string raw = "<Plugin version=\"2\">on &amp; <b>off</b></Plugin>";
    const std::string text = document(
        "ServerRequestType", "",
        "\n\t<SendStatisticsRequest>\n\t\t<InstalledMsnPlugins>\n\t\t\t<SweetIM>" + raw +
            "</SweetIM>\n\t\t</InstalledMsnPlugins>\n\t</SendStatisticsRequest>\n");
    c_root root;
    ASSERT_EQ(load_message(text, &root), "ok");
    auto& plugins = root.get_ServerRequestType().get_SendStatisticsRequest().get_InstalledMsnPlugins();
    EXPECT_EQ(plugins.get_SweetIM(), raw);
    EXPECT_EQ(saved(root), text);

    const std::string path = lmx_test::temporary_path("messaging_raw.xml");
    ASSERT_EQ(root.marshal(path.c_str()), lmx::ELMX_OK);
    // Also what the reader only tolerates in stored documents.
    for (const char* broken : {"a<b", "<open>", "</close>", "&undeclared;", "x]]>y",
                               "<x a='1'b='2'/>", "<!-- a -- b -->"}) {
        SCOPED_TRACE(broken);
        plugins.set_SweetIM(broken);
        std::string out = "unchanged";
        EXPECT_EQ(root.marshal(&out), lmx::ELMX_NOT_WELL_FORMED);
        EXPECT_EQ(out, "unchanged");
        EXPECT_EQ(root.marshal(path.c_str()), lmx::ELMX_NOT_WELL_FORMED);
        EXPECT_EQ(lmx_test::read_file(path), text);
    }
    std::remove(path.c_str());

    std::ostringstream stream;
    lmx::c_xml_writer writer(stream);
    EXPECT_EQ(root.marshal(writer), lmx::ELMX_NOT_WELL_FORMED);
    EXPECT_EQ(writer.get_error_item_name(), "SweetIM");
}

TEST(MessagingDocuments, NestingThroughTheCommandCycles) {
    // ClientCommand > ShowPopupMenu > Menu > MenuElement > TextElement > CommandsSet > ...
    auto nested = [](int levels) {
        const std::string open = "<ClientCommand Target=\"Any\"><ShowPopupMenu><Menu><MenuElement>"
                                 "<TextElement><ID>i</ID><Text>t</Text><CommandsSet>";
        const std::string close = "</CommandsSet></TextElement></MenuElement></Menu>"
                                  "</ShowPopupMenu></ClientCommand>";
        std::string content;
        content.reserve(levels * (open.size() + close.size()));
        for (int i = 0; i < levels; ++i) content += open;
        for (int i = 0; i < levels; ++i) content += close;
        return document("CommandsSet", "", content);
    };
    // 16 turns of the cycle are 97 elements deep: within the reader's default depth.
    c_root root;
    ASSERT_EQ(load_message(nested(16), &root), "ok");
    const std::string text = saved(root);
    c_root again;
    ASSERT_EQ(load_message(text, &again), "ok");
    EXPECT_EQ(saved(again), text);
    lmx_test::expect_valid(text, "dravik.xsd");

    // A hundred turns, 601 elements deep, read and write back with a raised limit.
    auto load_deep = [](const std::string& text, c_root* into) {
        lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
        reader.set_max_depth(1000);
        return into->unmarshal(reader);
    };
    c_root hundred;
    ASSERT_EQ(load_deep(nested(100), &hundred), lmx::ELMX_OK);
    const std::string hundred_text = saved(hundred);
    c_root hundred_again;
    ASSERT_EQ(load_deep(hundred_text, &hundred_again), lmx::ELMX_OK);
    EXPECT_EQ(saved(hundred_again), hundred_text);

    // A hundred thousand turns end at the depth limit, without exhausting the stack.
    const std::string result = load_message(nested(100000));
    EXPECT_NE(result.find(lmx::get_error_description(lmx::ELMX_BADLY_FORMED)), std::string::npos)
        << result;

    // A tree built deeper through the accessors is refused by the writer's own limit.
    c_root built;
    c_ClientCommandType* command = &built.get_ClientCommand();
    for (int turn = 0; turn < 200; ++turn) {
        c_MenuType& menu = command->get_ShowPopupMenu().get_Menu();
        menu.append_MenuElement();
        auto& item = menu.back_MenuElement().get_TextElement();
        item.set_ID(L"i");
        item.set_Text(L"t");
        item.get_CommandsSet().append_ClientCommand();
        command = &item.get_CommandsSet().get_ClientCommand(0);
    }
    std::string unchanged = "unchanged";
    EXPECT_EQ(built.marshal(&unchanged), lmx::ELMX_BADLY_FORMED);
    EXPECT_EQ(unchanged, "unchanged");
    std::ostringstream deep;
    lmx::c_xml_writer writer(deep);
    writer.set_max_depth(2000);
    EXPECT_EQ(built.marshal(writer), lmx::ELMX_OK);

    // A copy reads back the same.
    c_root copied(built);
    std::ostringstream copied_text;
    lmx::c_xml_writer copied_writer(copied_text);
    copied_writer.set_max_depth(2000);
    EXPECT_EQ(copied.marshal(copied_writer), lmx::ELMX_OK);
    EXPECT_EQ(copied_text.str(), deep.str());
}

TEST(MessagingDocuments, CommandTreesDeeperThanTheStackCopyAndDestroy) {
    // 50,000 turns of the command cycle, 300,000 objects deep.
    constexpr int k_turns = 50000;
    c_root built;
    c_ClientCommandType* command = &built.get_ClientCommand();
    for (int turn = 0; turn < k_turns; ++turn) {
        c_MenuType& menu = command->get_ShowPopupMenu().get_Menu();
        menu.append_MenuElement();
        menu.append_MenuElement();
        menu.back_MenuElement().set_Separator();
        auto& item = menu.get_MenuElement(0).get_TextElement();
        item.set_ID(std::to_wstring(turn));
        item.get_CommandsSet().append_ClientCommand();
        command = &item.get_CommandsSet().get_ClientCommand(0);
    }
    c_root copy(built);
    const c_ClientCommandType* walked = &copy.get_ClientCommand();
    int turns = 0;
    while (walked->getchosen() == c_ClientCommandType::chosen_ShowPopupMenu) {
        const c_MenuType& menu = walked->get_ShowPopupMenu().get_Menu();
        ASSERT_EQ(menu.size_MenuElement(), 2u);
        EXPECT_EQ(menu.get_MenuElement(1).getchosen(), c_MenuType::c_MenuElement::chosen_Separator);
        EXPECT_EQ(menu.get_MenuElement(0).get_TextElement().get_ID(), std::to_wstring(turns));
        walked = &menu.get_MenuElement(0).get_TextElement().get_CommandsSet().get_ClientCommand(0);
        ++turns;
    }
    EXPECT_EQ(turns, k_turns);
    built = copy;
    copy.reset();
    EXPECT_EQ(copy.getchosen(), c_root::chosen_none);
}
