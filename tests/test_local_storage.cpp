// The documents the client keeps between runs (favourites, usage counts, stored messages, known
// messengers, web plug-ins) and the mostly-used list it reports: read through dravik_lmx::c_root,
// changed, written back exactly and validated; counters, IDs and what each document needs.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "messaging_documents.h"

using namespace dravik_lmx;
using namespace messaging_test;

namespace {

std::string counters(const std::string& item) {
    return document("MostlyUsedStorage",
                    "<Plugin ID=\"MSN\"><User ID=\"u\"><Creatives Type=\"Wink\">"
                    "\n" +
                        item + "</Creatives></User></Plugin>");
}

std::string mru_item(const std::string& item) {
    return document("WebReplyType",
                    "<GetCreativesUsageInfoReply><MostlyUsed>"
                    "<MRUCreativeType Type=\"Nudge\">\n" +
                        item + "</MRUCreativeType></MostlyUsed></GetCreativesUsageInfoReply>");
}

std::string web_plugins(const std::string& plugins) {
    return document("WPSubsystems", "<WebPlugins>\n" + plugins + "</WebPlugins>");
}

}  // namespace

TEST(LocalStorage, Favourites) {
    const std::string text = document(
        "FavoritesStorage",
        "<Plugin ID=\"MSN\"><User ID=\"alice@example.com\"><Creatives>"
        "<FavCreativeType Type=\"Emoticon\"><FavCreativeItem>40123</FavCreativeItem>"
        "<FavCreativeItem> 4294967295 </FavCreativeItem></FavCreativeType>"
        "<FavCreativeType Type=\"TextEmoticon\"/><FavCreativeType Type=\"Smiley\"/>"
        "</Creatives></User><User ID=\"bob@example.com\"/></Plugin><Plugin ID=\"Yahoo\"/>");
    c_root root;
    ASSERT_EQ(load_message(text, &root), "ok");
    c_FavoritesStorage& favourites = root.get_FavoritesStorage();
    ASSERT_EQ(favourites.size_Plugin(), 2u);
    c_FavoritesStorage::c_Plugin& msn = favourites.get_Plugin(0);
    EXPECT_EQ(msn.get_ID(), L"MSN");
    EXPECT_FALSE(msn.get_User(1).isset_Creatives()) << "a user without favourites is complete";
    c_FavoritesListType& lists = msn.get_User(0).get_Creatives();
    ASSERT_EQ(lists.size_FavCreativeType(), 3u);
    EXPECT_EQ(lists.get_FavCreativeType(0).get_FavCreativeItem(1), 4294967295u);
    EXPECT_EQ(lists.get_FavCreativeType(1).getenum_Type(), e_TextEmoticon);
    EXPECT_EQ(static_cast<int>(e_TextEmoticon), 38);
    EXPECT_EQ(lists.get_FavCreativeType(1).size_FavCreativeItem(), 0u);
    EXPECT_EQ(lists.get_FavCreativeType(2).getenum_Type(), 0) << "any type text is kept";

    // Changed through the list family, then saved and read back the same.
    c_FavoritesListType::c_FavCreativeType& emoticons = lists.get_FavCreativeType(0);
    ASSERT_EQ(emoticons.insert_FavCreativeItem(0, 7), lmx::ELMX_OK);
    emoticons.set_FavCreativeItem(2, 8);
    emoticons.set_FavCreativeItem(9, 0);
    EXPECT_EQ(emoticons.size_FavCreativeItem(), 4u) << "set beyond the end appends";
    lists.delete_FavCreativeType(2);
    EXPECT_TRUE(lists.get_FavCreativeType(1).setenum_Type(e_Wink));
    EXPECT_FALSE(lists.get_FavCreativeType(1).setenum_Type(e_STR));
    favourites.get_Plugin(1).get_User(0).set_ID(L"carol");
    ASSERT_TRUE(root.is_occurs_ok());
    round_trip(root);
    EXPECT_NE(
        saved(root).find("\t\t\t\t<FavCreativeType Type=\"Emoticon\">\n"
                         "\t\t\t\t\t<FavCreativeItem>7</FavCreativeItem>\n"
                         "\t\t\t\t\t<FavCreativeItem>40123</FavCreativeItem>\n"
                         "\t\t\t\t\t<FavCreativeItem>8</FavCreativeItem>\n"
                         "\t\t\t\t\t<FavCreativeItem>0</FavCreativeItem>\n"
                         "\t\t\t\t</FavCreativeType>\n"
                         "\t\t\t\t<FavCreativeType Type=\"Wink\">\n\t\t\t\t</FavCreativeType>\n"),
        std::string::npos)
        << saved(root);
    EXPECT_FALSE(c_FavoritesStorage::c_Plugin().is_occurs_ok());

    const std::string favourite = "<FavoritesStorage" + k_ns +
                                  "><Plugin ID=\"p\"><User ID=\"u\">"
                                  "<Creatives><FavCreativeType Type=\"Wink\">\n";
    auto with_item = [&](const std::string& item) {
        return k_declaration + favourite + "<FavCreativeItem>" + item +
               "</FavCreativeItem>"
               "</FavCreativeType></Creatives></User></Plugin></FavoritesStorage>";
    };
    EXPECT_EQ(load_message(with_item("4294967296")),
              message(3, "FavCreativeItem", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(with_item("-1")),
              message(3, "FavCreativeItem", lmx::ELMX_VALUE_BELOW_MINIMUM));
    EXPECT_EQ(load_message(with_item("")),
              message(3, "FavCreativeItem", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(document("FavoritesStorage", "<Plugin ID=\"p\">\n<User/></Plugin>")),
              message(3, "User", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(document("FavoritesStorage", "\n<Plugin/>")),
              message(3, "Plugin", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(document("FavoritesStorage",
                                    "<Plugin ID=\"p\"><User ID=\"u\"><Creatives>"
                                    "\n<FavCreativeType/></Creatives></User>"
                                    "</Plugin>")),
              message(3, "FavCreativeType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(document("FavoritesStorage",
                                    "<Plugin ID=\"p\"><User ID=\"u\">"
                                    "<Creatives/>\n<Creatives/></User></Plugin>")),
              message(3, "Creatives", lmx::ELMX_ALL_CARDINALITY_VIOLATED));
}

TEST(LocalStorage, UsageCounters) {
    // Counters are doubles in any XML Schema form; IDs are unsigned 32-bit numbers.
    c_root root;
    ASSERT_EQ(load_message(
                  counters("<CreativeItem Selected=\"-.5E+3\" ID=\"4294967295\" Total=\"1.2e3\"/>"
                           "<CreativeItem ID=\"0\" Total=\"INF\" Selected=\"NaN\"/>"),
                  &root),
              "ok");
    c_MostlyUsedStorage::c_Plugin_2::c_User_2::c_Creatives& winks =
        root.get_MostlyUsedStorage().get_Plugin(0).get_User(0).get_Creatives(0);
    EXPECT_EQ(winks.getenum_Type(), e_Wink);
    EXPECT_EQ(winks.get_CreativeItem(0).get_ID(), 4294967295u);
    EXPECT_EQ(winks.get_CreativeItem(0).get_Total(), 1200.0);
    EXPECT_EQ(winks.get_CreativeItem(0).get_Selected(), -500.0);
    EXPECT_TRUE(std::isinf(winks.get_CreativeItem(1).get_Total()));
    EXPECT_TRUE(std::isnan(winks.get_CreativeItem(1).get_Selected()));
    EXPECT_NE(
        saved(root).find("<CreativeItem ID=\"4294967295\" Total=\"1200\" Selected=\"-500\"/>\n"
                         "\t\t\t\t<CreativeItem ID=\"0\" Total=\"INF\" Selected=\"NaN\"/>\n"),
        std::string::npos);
    round_trip(root);

    // A small document built from nothing, written exactly.
    c_root built;
    c_MostlyUsedStorage::c_Plugin_2& plugin = built.get_MostlyUsedStorage().get_Plugin(0);
    plugin.set_ID(L"QQ");
    plugin.get_User(0).set_ID(L"\x5F20");  // a user name outside ASCII
    auto& pictures = plugin.get_User(0).get_Creatives(0);
    EXPECT_TRUE(pictures.setenum_Type(e_UserPicture));
    auto& item = pictures.get_CreativeItem(0);
    item.set_Selected(0.1);
    item.set_Total(1e21);
    item.set_ID(12);
    plugin.get_User(0).get_Creatives(1).set_Type(L"Nudge");
    EXPECT_EQ(saved(built),
              k_declaration + "<MostlyUsedStorage" + k_ns +
                  ">\n"
                  "\t<Plugin ID=\"QQ\">\n"
                  "\t\t<User ID=\"\xE5\xBC\xA0\">\n"
                  "\t\t\t<Creatives Type=\"UserPicture\">\n"
                  "\t\t\t\t<CreativeItem ID=\"12\" Total=\"1e+21\" Selected=\"0.1\"/>\n"
                  "\t\t\t</Creatives>\n"
                  "\t\t\t<Creatives Type=\"Nudge\">\n\t\t\t</Creatives>\n"
                  "\t\t</User>\n"
                  "\t</Plugin>\n"
                  "</MostlyUsedStorage>\n");
    round_trip(built);

    EXPECT_EQ(load_message(counters("<CreativeItem ID=\"1\" Total=\"2\"/>")),
              message(3, "CreativeItem", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(counters("<CreativeItem ID=\"1\" Selected=\"2\"/>")),
              message(3, "CreativeItem", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(counters("<CreativeItem Total=\"1\" Selected=\"2\"/>")),
              message(3, "CreativeItem", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(counters("<CreativeItem ID=\"1\" Total=\"1,5\" Selected=\"2\"/>")),
              message(3, "Total", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(counters("<CreativeItem ID=\"1\" Total=\"1\" Selected=\"1e\"/>")),
              message(3, "Selected", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(
        load_message(counters("<CreativeItem ID=\"4294967296\" Total=\"1\" Selected=\"2\"/>")),
        message(3, "ID", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(counters("<CreativeItem ID=\"-1\" Total=\"1\" Selected=\"2\"/>")),
              message(3, "ID", lmx::ELMX_VALUE_BELOW_MINIMUM));
    EXPECT_EQ(load_message(counters("<CreativeItem ID=\"7a\" Total=\"1\" Selected=\"2\"/>")),
              message(3, "ID", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(document("MostlyUsedStorage",
                                    "<Plugin ID=\"p\"><User ID=\"u\">\n"
                                    "<Creatives/></User></Plugin>")),
              message(3, "Creatives", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    c_MostlyUsedStorage::c_Plugin_2::c_User_2::c_Creatives::c_CreativeItem partial;
    partial.set_ID(1);
    partial.set_Total(1);
    EXPECT_FALSE(partial.is_occurs_ok());
}

TEST(LocalStorage, MostlyUsedListItemsMayHaveNoNumber) {
    c_root root;
    ASSERT_EQ(
        load_message(
            mru_item("<MRUCreativeItem Count=\"4\"/><MRUCreativeItem Count=\"4\"></MRUCreativeItem>"
                     "<MRUCreativeItem Count=\"0\"> 4294967295 </MRUCreativeItem>"),
            &root),
        "ok");
    c_MostlyUsedListType::c_MRUCreativeType& nudges = root.get_WebReplyType()
                                                          .get_GetCreativesUsageInfoReply()
                                                          .get_MostlyUsed()
                                                          .get_MRUCreativeType(0);
    ASSERT_EQ(nudges.size_MRUCreativeItem(), 3u);
    for (unsigned i = 0; i < 2; ++i) {
        EXPECT_TRUE(nudges.get_MRUCreativeItem(i).is_occurs_ok());
        EXPECT_FALSE(nudges.get_MRUCreativeItem(i).isset_MRUCreativeItem());
        EXPECT_EQ(nudges.get_MRUCreativeItem(i).get_Count(), 4u);
    }
    EXPECT_EQ(nudges.get_MRUCreativeItem(2).get_MRUCreativeItem(), 4294967295u);
    nudges.get_MRUCreativeItem(1).set_MRUCreativeItem(0);
    nudges.get_MRUCreativeItem(2).unset_MRUCreativeItem();
    EXPECT_NE(saved(root).find("\t\t\t\t<MRUCreativeItem Count=\"4\"></MRUCreativeItem>\n"
                               "\t\t\t\t<MRUCreativeItem Count=\"4\">0</MRUCreativeItem>\n"
                               "\t\t\t\t<MRUCreativeItem Count=\"0\"></MRUCreativeItem>\n"),
              std::string::npos)
        << saved(root);
    // Items written without their number are read back without one, and validate.
    round_trip(root);

    EXPECT_EQ(load_message(mru_item("<MRUCreativeItem>3</MRUCreativeItem>")),
              message(3, "MRUCreativeItem", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(mru_item("<MRUCreativeItem Count=\"1\">three</MRUCreativeItem>")),
              message(3, "MRUCreativeItem", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(mru_item("<MRUCreativeItem Count=\"1\">-3</MRUCreativeItem>")),
              message(3, "MRUCreativeItem", lmx::ELMX_VALUE_BELOW_MINIMUM));
    EXPECT_EQ(load_message(mru_item("<MRUCreativeItem Count=\"4294967296\">3</MRUCreativeItem>")),
              message(3, "Count", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(document("WebReplyType",
                                    "<GetCreativesUsageInfoReply><MostlyUsed>\n"
                                    "<MRUCreativeType/></MostlyUsed>"
                                    "</GetCreativesUsageInfoReply>")),
              message(3, "MRUCreativeType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
}

TEST(LocalStorage, MessagesAndMessengers) {
    // Empty storage documents are complete, except stored messages, which need one.
    c_root root;
    for (const char* empty : {"FavoritesStorage", "MostlyUsedStorage", "Messengers"}) {
        ASSERT_EQ(load_message(k_declaration + "<" + empty + k_ns + "/>", &root), "ok") << empty;
        EXPECT_TRUE(root.is_occurs_ok());
        round_trip(root);
    }
    EXPECT_EQ(load_message(k_declaration + "<LocalMessages" + k_ns + "/>"),
              message(2, "LocalMessages", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("LocalMessages", "\n\t\n")),
              message(4, "LocalMessages", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(document("LocalMessages", "<Unknown/>")),
              message(2, "LocalMessages", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_FALSE(c_LocalMessages().is_occurs_ok());

    // The element classes read only their own element.
    const std::string messengers_text = document("Messengers", "<Messenger Version=\"1\"/>");
    lmx::elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    EXPECT_EQ(c_Messengers(messengers_text, &error).get_Messenger(0).get_Version(), 1u);
    EXPECT_EQ(error, lmx::ELMX_OK);
    c_WPSubsystems subsystems(messengers_text, &error);
    EXPECT_EQ(error, lmx::ELMX_ELEMENT_NOT_FOUND);
    lmx::c_xml_reader_memory reader(messengers_text.data(),
                                    static_cast<unsigned>(messengers_text.size()));
    EXPECT_EQ(c_FavoritesStorage().unmarshal(reader), lmx::ELMX_ELEMENT_NOT_FOUND);

    c_root messages;
    for (unsigned id : {1u, 2u}) {
        c_MessageInfo& stored = messages.get_LocalMessages().get_LocalMessage(id - 1);
        stored.set_Text(id == 1 ? L"Saved & sent" : L"Done.");
        stored.get_Button(0).get_ButtonType().set_Ok();
        stored.setenum_Icon(e_Info);
        stored.set_ID(id);
    }
    ASSERT_TRUE(messages.is_occurs_ok());
    round_trip(messages);
    EXPECT_NE(saved(messages).find("<Text>Saved &amp; sent</Text>"), std::string::npos);

    // Messenger attributes are written in their own order, whatever the order read.
    ASSERT_EQ(
        load_message(document("Messengers",
                              "<Messenger Version=\"1302\" InstallDir=\"C:\\Program Files\\Yahoo!\""
                              " DisplayName=\"Yahoo! Messenger\" PrimLanguage=\"1033\""
                              " VersionMinor=\"0\" DisplayVersion=\"9.0\""
                              " VersionMajor=\"4294967295\"/><Messenger/>"),
                     &root),
        "ok");
    c_MessengersType& messengers = root.get_Messengers();
    EXPECT_EQ(messengers.get_Messenger(0).get_VersionMajor(), 4294967295u);
    EXPECT_FALSE(messengers.get_Messenger(1).isset_DisplayName());
    EXPECT_TRUE(messengers.get_Messenger(1).is_occurs_ok());
    messengers.get_Messenger(0).unset_InstallDir();
    messengers.get_Messenger(1).set_Version(7);
    EXPECT_EQ(saved(root),
              k_declaration + "<Messengers" + k_ns +
                  ">\n"
                  "\t<Messenger DisplayName=\"Yahoo! Messenger\" DisplayVersion=\"9.0\""
                  " PrimLanguage=\"1033\" VersionMajor=\"4294967295\" VersionMinor=\"0\""
                  " Version=\"1302\"/>\n"
                  "\t<Messenger Version=\"7\"/>\n"
                  "</Messengers>\n");
    round_trip(root);
    EXPECT_EQ(load_message(document("Messengers", "\n<Messenger VersionMinor=\"4294967296\"/>")),
              message(3, "VersionMinor", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(document("Messengers", "<Messenger PrimLanguage=\"-1\"/>")),
              message(2, "PrimLanguage", lmx::ELMX_VALUE_BELOW_MINIMUM));
    EXPECT_EQ(load_message(document("Messengers", "<Messenger Version=\"8.5\"/>")),
              message(2, "Version", lmx::ELMX_BAD_VALUE_FORMAT));
}

TEST(LocalStorage, WebPluginSubsystems) {
    const std::string text =
        k_declaration + "<WPSubsystems" + k_ns +
        ">\n"
        "\t<WebPlugins>\n"
        "\t\t<WebPlugin name=\"Toolbar\">\n"
        "\t\t\t<Subsystems>\n"
        "\t\t\t\t<SubsystemData name=\"Shortcuts\" version=\"2.1\">\n"
        "\t\t\t\t\t<UsageDate>2026-12-01</UsageDate>\n"
        "\t\t\t\t\t<JSSourceURL>http://content.dravik.example/tb/shortcuts.js</JSSourceURL>\n"
        "\t\t\t\t</SubsystemData>\n"
        "\t\t\t\t<SubsystemData name=\"Catalog\">\n\t\t\t\t</SubsystemData>\n"
        "\t\t\t</Subsystems>\n"
        "\t\t</WebPlugin>\n"
        "\t\t<WebPlugin name=\"Away\">\n\t\t\t<Subsystems>\n\t\t\t</Subsystems>\n\t\t</WebPlugin>\n"
        "\t</WebPlugins>\n"
        "</WPSubsystems>\n";
    c_root root;
    ASSERT_EQ(load_message(text, &root), "ok");
    EXPECT_EQ(saved(root), text) << "the usage date stays before the script";
    c_WPSubsystemsSetType::c_WebPlugins& plugins = root.get_WPSubsystems().get_WebPlugins();
    c_WPSubsystemDataType& shortcuts =
        plugins.get_WebPlugin(0).get_Subsystems().get_SubsystemData(0);
    EXPECT_EQ(shortcuts.getorder(0), c_WPSubsystemDataType::all_UsageDate);
    EXPECT_FALSE(shortcuts.isset_ContainerUrl());
    shortcuts.set_ContainerUrl(L"http://content.dravik.example/tb/container.html");
    shortcuts.unset_UsageDate();
    shortcuts.set_UsageDate(L"2026-12-08");
    EXPECT_EQ(shortcuts.getorder_UsageDate(), 2u) << "set again after unset: now last";
    plugins.delete_WebPlugin(1);
    round_trip(root);
    const std::string changed = saved(root);
    EXPECT_LT(changed.find("<JSSourceURL>"), changed.find("<ContainerUrl>"));
    EXPECT_LT(changed.find("<ContainerUrl>"), changed.find("<UsageDate>2026-12-08</UsageDate>"));

    // Web plug-ins and their subsystems are required on reading; is_occurs_ok leaves them be.
    ASSERT_EQ(load_message(document("WPSubsystems", "<WebPlugins/>"), &root), "ok");
    EXPECT_EQ(root.get_WPSubsystems().get_WebPlugins().size_WebPlugin(), 0u);
    EXPECT_EQ(load_message(document("WPSubsystems", "\n<Plugins/>")),
              message(3, "WPSubsystemsSetType", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(k_declaration + "<WPSubsystems" + k_ns + "/>"),
              message(2, "WPSubsystems", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT));
    EXPECT_TRUE(c_WPSubsystemsSetType().is_occurs_ok());
    EXPECT_EQ(load_message(web_plugins("<WebPlugin name=\"a\"><Other/></WebPlugin>")),
              message(3, "WebPlugin", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(web_plugins("<WebPlugin name=\"a\"/>")),
              message(3, "WebPlugin", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT));
    c_WPSubsystemsSetType::c_WebPlugins::c_WebPlugin plugin;
    EXPECT_FALSE(plugin.is_occurs_ok());
    plugin.set_name(L"a");
    EXPECT_TRUE(plugin.is_occurs_ok());

    EXPECT_EQ(load_message(web_plugins("<WebPlugin><Subsystems/></WebPlugin>")),
              message(3, "WebPlugin", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(web_plugins("<WebPlugin name=\"a\"><Subsystems>"
                                       "<SubsystemData version=\"1\"/></Subsystems></WebPlugin>")),
              message(3, "WPSubsystemDataType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(
        load_message(web_plugins("<WebPlugin name=\"a\"><Subsystems/><Subsystems/></WebPlugin>")),
        message(3, "Subsystems", lmx::ELMX_ALL_CARDINALITY_VIOLATED));
    EXPECT_EQ(
        load_message(web_plugins("<WebPlugin name=\"a\"><Subsystems><SubsystemData name=\"s\">"
                                 "<UsageDate/>\n<UsageDate/></SubsystemData></Subsystems>"
                                 "</WebPlugin>")),
        message(4, "UsageDate", lmx::ELMX_ALL_CARDINALITY_VIOLATED));
    EXPECT_EQ(load_message(document("WPSubsystems", "<WebPlugins/>\n<WebPlugins/>")),
              message(3, "WebPlugins", lmx::ELMX_ALL_CARDINALITY_VIOLATED));
}
