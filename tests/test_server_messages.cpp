// Server requests and replies through dravik_lmx::c_root: a login exchange and an automatic
// update read, changed, saved, reloaded to the same text and validated; update, statistics and
// crash-report requests and their replies; enumeration codes; base64 dumps; empty requests and
// replies; what each option requires.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "Generated/lmx.h"
#include "messaging_documents.h"

using namespace dravik_lmx;
using namespace messaging_test;
using lmx::elmx_error;

namespace {


std::string request(const std::string& content) {
    return document("ServerRequestType", content);
}

std::string reply(const std::string& content) {
    return document("ServerReplyType", content);
}

const std::string k_client_info =
    "<ClientInfo><ClientID>c1</ClientID><Version>2.1</Version><Language>he</Language>"
    "<Referral>r</Referral><PluginID>msn</PluginID></ClientInfo>";

}  // namespace

TEST(ServerMessages, LoginExchange) {
    const std::string login =
        "<ServerMessageRequest><Header Context=\"7\">" + k_client_info +
        "<TargetInfo>login</TargetInfo></Header><RequestsSet><ServerRequestType><LoginRequest>"
        "<Plugins><Plugin Name=\"msn\"><PortalID>12</PortalID><ToolbarID>3</ToolbarID>"
        "<LastSigninDate>2026-12-01</LastSigninDate></Plugin><Plugin><ToolbarID>4</ToolbarID>"
        "<PortalID>12</PortalID></Plugin></Plugins><ConfigurationSW>MSN 8.5</ConfigurationSW>"
        "<WPSubsystems><WebPlugins><WebPlugin name=\"pickup\"><Subsystems/></WebPlugin>"
        "</WebPlugins></WPSubsystems></LoginRequest></ServerRequestType></RequestsSet>"
        "</ServerMessageRequest>";
    c_root root;
    ASSERT_EQ(load_message(document("ServerMessage", login), &root), "ok");
    auto& sent = root.get_ServerMessage().get_ServerMessageRequest();
    ASSERT_EQ(sent.get_RequestsSet().size_ServerRequestType(), 1u);
    auto& login_request = sent.get_RequestsSet().get_ServerRequestType(0).get_LoginRequest();
    EXPECT_EQ(login_request.getorder(0), c_ServerRequestType::c_LoginRequest::all_Plugins);
    EXPECT_EQ(login_request.get_ConfigurationSW(), L"MSN 8.5");
    auto& plugins = login_request.get_Plugins();
    ASSERT_EQ(plugins.size_Plugin(), 2u);
    using c_Plugin = c_ServerRequestType::c_LoginRequest::c_Plugins::c_Plugin_3;
    EXPECT_EQ(plugins.get_Plugin(0).get_Name(), L"msn");
    EXPECT_EQ(plugins.get_Plugin(0).getorder(0), c_Plugin::all_PortalID);
    EXPECT_FALSE(plugins.get_Plugin(1).isset_Name());
    EXPECT_TRUE(plugins.get_Plugin(1).is_occurs_ok());

    // Changed through the accessors: the new items go to the end of their groups.
    ASSERT_EQ(plugins.append_Plugin(), lmx::ELMX_OK);
    c_Plugin& added = plugins.back_Plugin();
    EXPECT_FALSE(added.is_occurs_ok());
    added.set_PortalID(L"13");
    added.set_ToolbarID(L"5");
    added.set_MiniCatalogURL(L"http://www.dravik.example/mini?a=1&b=2");
    EXPECT_TRUE(added.is_occurs_ok());
    login_request.unset_ConfigurationSW();
    login_request.set_ConfigurationSW(L"MSN 9");
    const std::string text = round_trip(root);
    EXPECT_NE(text.find("\t\t\t\t\t\t<Plugin>\n\t\t\t\t\t\t\t<PortalID>13</PortalID>\n"
                        "\t\t\t\t\t\t\t<ToolbarID>5</ToolbarID>\n\t\t\t\t\t\t\t<MiniCatalogURL>"
                        "http://www.dravik.example/mini?a=1&amp;b=2</MiniCatalogURL>\n"),
              std::string::npos);
    EXPECT_LT(text.find("<WPSubsystems>"), text.find("<ConfigurationSW>MSN 9"));

    // The answer, as the library writes it, reads back to the same text.
    const std::string answer =
        k_declaration + "<ServerMessage" + k_ns +
        ">\n\t<ServerMessageReply>\n\t\t<Header Context=\"7\" Result=\"OK\"/>\n"
        "\t\t<RepliesSet>\n\t\t\t<ServerReplyType>\n\t\t\t\t<LoginReply>\n"
        "\t\t\t\t\t<WPSubsystems>\n\t\t\t\t\t\t<WebPlugins>\n\t\t\t\t\t\t</WebPlugins>\n"
        "\t\t\t\t\t</WPSubsystems>\n\t\t\t\t\t<ParameterSet>\n"
        "\t\t\t\t\t\t<Parameter target=\"Common\" name=\"LoginPeriod\" type=\"NUM\">\n"
        "\t\t\t\t\t\t\t<Value>1440</Value>\n\t\t\t\t\t\t</Parameter>\n"
        "\t\t\t\t\t</ParameterSet>\n\t\t\t\t</LoginReply>\n\t\t\t</ServerReplyType>\n"
        "\t\t</RepliesSet>\n\t\t<ClientCommandsSet>\n\t\t\t<ClientCommand Target=\"Any\">\n"
        "\t\t\t\t<FlushRepositoryCommand/>\n\t\t\t</ClientCommand>\n"
        "\t\t</ClientCommandsSet>\n\t</ServerMessageReply>\n</ServerMessage>\n";
    ASSERT_EQ(load_message(answer, &root), "ok");
    const auto& received = root.get_ServerMessage().get_ServerMessageReply();
    EXPECT_EQ(received.get_Header().get_Context(), 7u);
    const auto& login_reply = received.get_RepliesSet().get_ServerReplyType(0).get_LoginReply();
    EXPECT_EQ(login_reply.getorder(0), c_ServerReplyType::c_LoginReply::all_WPSubsystems);
    EXPECT_EQ(login_reply.get_ParameterSet().get_Parameter(0).get_Value(), L"1440");
    EXPECT_EQ(round_trip(root), answer);

    // Empty login requests and replies are complete.
    for (const std::string& empty :
         {request("<LoginRequest/>"), request("<LoginRequest><Plugins/></LoginRequest>"),
          reply("<LoginReply/>")}) {
        EXPECT_EQ(load_message(empty, &root), "ok");
        round_trip(root);
    }
}

TEST(ServerMessages, UpdateRequestsAndAutomaticAndManualUpdates) {
    c_root root;
    ASSERT_EQ(load_message(request("<UpdateRequest><Type>Auto</Type></UpdateRequest>"), &root),
              "ok");
    auto& update = root.get_ServerRequestType().get_UpdateRequest();
    EXPECT_EQ(update.getenum_Type(), e_Auto);
    EXPECT_EQ(static_cast<int>(e_Auto), 46);
    EXPECT_TRUE(update.setenum_Type(static_cast<elmx_enums>(47)));
    EXPECT_EQ(update.get_Type(), L"Manual");
    EXPECT_FALSE(update.setenum_Type(e_Silent));
    EXPECT_EQ(saved(root), request("\n\t<UpdateRequest>\n\t\t<Type>Manual</Type>\n"
                                   "\t</UpdateRequest>\n"));

    // An automatic update without the tray URL, in the order the server sent it.
    const std::string automatic = reply(
        "\n\t<UpdateReply>\n\t\t<AutoUpdate>\n"
        "\t\t\t<PackURL>http://content.dravik.example/update/2.2.cab</PackURL>\n"
        "\t\t\t<UpdateType>Forced</UpdateType>\n\t\t\t<NotificationType>Mandatory"
        "</NotificationType>\n\t\t\t<UpdateNotificationTime>AfterSignIn"
        "</UpdateNotificationTime>\n\t\t</AutoUpdate>\n\t</UpdateReply>\n");
    ASSERT_EQ(load_message(automatic, &root), "ok");
    auto& auto_update = root.get_ServerReplyType().get_UpdateReply().get_AutoUpdate();
    EXPECT_TRUE(auto_update.is_occurs_ok());
    EXPECT_EQ(auto_update.getenum_UpdateNotificationTime(), 5);
    EXPECT_EQ(auto_update.getenum_NotificationType(), 8);
    EXPECT_EQ(auto_update.getenum_UpdateType(), 11);
    EXPECT_EQ(round_trip(root), automatic);
    const std::pair<int, const wchar_t*> codes[] = {
        {4, L"AfterDravikStart"}, {6, L"Tray"}, {7, L"Advisory"}, {9, L"Silent"}, {10, L"Visible"}};
    for (const auto& [code, text] : codes) {
        const auto value = static_cast<elmx_enums>(code);
        EXPECT_TRUE(auto_update.setenum_UpdateNotificationTime(value) ||
                    auto_update.setenum_NotificationType(value) ||
                    auto_update.setenum_UpdateType(value))
            << code;
        EXPECT_TRUE(auto_update.get_UpdateNotificationTime() == text ||
                    auto_update.get_NotificationType() == text ||
                    auto_update.get_UpdateType() == text)
            << code;
    }
    EXPECT_FALSE(auto_update.setenum_NotificationType(e_Forced));
    EXPECT_EQ(auto_update.get_NotificationType(), L"Advisory");
    auto_update.set_UpdateTrayNotificationURL(L"http://www.dravik.example/tray");
    EXPECT_NE(round_trip(root).find("AfterDravikStart</UpdateNotificationTime>\n"
                                    "\t\t\t<UpdateTrayNotificationURL>"),
              std::string::npos);

    root.get_ServerReplyType().get_UpdateReply().get_ManualUpdate().set_PackURL(L"p.exe");
    EXPECT_EQ(round_trip(root), reply("\n\t<UpdateReply>\n\t\t<ManualUpdate>\n"
                                      "\t\t\t<PackURL>p.exe</PackURL>\n\t\t</ManualUpdate>\n"
                                      "\t</UpdateReply>\n"));

    // Neither kind of update: read without error, complete, written without one.
    for (const char* content : {"<UpdateReply/>", "<UpdateReply><Delta/></UpdateReply>"}) {
        ASSERT_EQ(load_message(reply(content), &root), "ok");
        EXPECT_TRUE(root.get_ServerReplyType().get_UpdateReply().is_occurs_ok());
        EXPECT_EQ(round_trip(root), reply("\n\t<UpdateReply>\n\t</UpdateReply>\n"));
    }

    const std::pair<std::string, std::string> failures[] = {
        {"<UpdateReply><AutoUpdate><UpdateNotificationTime>AfterSignIn</UpdateNotificationTime>"
         "<NotificationType>Tray</NotificationType><UpdateType>Silent</UpdateType>"
         "<UpdateTrayNotificationURL>t</UpdateTrayNotificationURL></AutoUpdate></UpdateReply>",
         message(3, "AutoUpdate", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<UpdateReply><ManualUpdate><URL>u</URL></ManualUpdate></UpdateReply>",
         message(3, "ManualUpdate", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<UpdateReply><ManualUpdate><PackURL>a</PackURL>\n<PackURL>b</PackURL></ManualUpdate>"
         "</UpdateReply>",
         message(4, "PackURL", lmx::ELMX_ALL_CARDINALITY_VIOLATED)},
        {"<UpdateReply><AutoUpdate/></UpdateReply>",
         message(3, "AutoUpdate", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT)}};
    for (const auto& [content, expected] : failures)
        EXPECT_EQ(load_message(reply("\n" + content)), expected);
    EXPECT_EQ(load_message(request("\n<UpdateRequest><Kind>Auto</Kind></UpdateRequest>")),
              message(3, "UpdateRequest", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
}

TEST(ServerMessages, StatisticsRequests) {
    const std::string raw = "<name version=\"2\">Foo &amp; Bar</name><![CDATA[<x>]]>";
    const std::string text = request(
        "\n\t<SendStatisticsRequest>\n\t\t<InstalledMsnPlugins>\n\t\t\t<Other>" + raw +
        "</Other>\n\t\t\t<FlashNotInstalled></FlashNotInstalled>\n\t\t</InstalledMsnPlugins>\n"
        "\t\t<HomepageAlertStatistics>\n"
        "\t\t\t<HomePageAlertAnswer>No, thanks</HomePageAlertAnswer>\n"
        "\t\t</HomepageAlertStatistics>\n\t</SendStatisticsRequest>\n");
    c_root root;
    ASSERT_EQ(load_message(text, &root), "ok");
    auto& statistics = root.get_ServerRequestType().get_SendStatisticsRequest();
    auto& plugins = statistics.get_InstalledMsnPlugins();
    EXPECT_EQ(plugins.get_Other(), raw);
    EXPECT_TRUE(plugins.isset_FlashNotInstalled());
    EXPECT_FALSE(plugins.isset_SweetIM());
    EXPECT_EQ(round_trip(root), text);

    auto& alert = statistics.get_HomepageAlertStatistics();
    EXPECT_EQ(alert.getenum_HomePageAlertAnswer(), 1);
    const std::pair<const wchar_t*, int> answers[] = {{L"No thanks", 0},
                                                      {L"no, thanks", 0},
                                                      {L" No, thanks", 0},
                                                      {L"Yes", 2},
                                                      {L"Never Show Again", 3}};
    for (const auto& [answer, code] : answers) {
        alert.set_HomePageAlertAnswer(answer);
        EXPECT_EQ(alert.getenum_HomePageAlertAnswer(), code);
    }
    EXPECT_TRUE(alert.setenum_HomePageAlertAnswer(static_cast<elmx_enums>(1)));
    EXPECT_EQ(alert.get_HomePageAlertAnswer(), L"No, thanks");
    EXPECT_FALSE(alert.setenum_HomePageAlertAnswer(e_Auto));
    EXPECT_EQ(static_cast<int>(e_No__thanks), 1);

    plugins.set_SweetIM("1.2");
    plugins.unset_Other();
    EXPECT_NE(round_trip(root).find("<FlashNotInstalled></FlashNotInstalled>\n"
                                    "\t\t\t<SweetIM>1.2</SweetIM>\n"),
              std::string::npos);
    plugins.set_MsnPlus("<b>");
    std::string out = "unchanged";
    EXPECT_EQ(root.marshal(&out), lmx::ELMX_NOT_WELL_FORMED);
    EXPECT_EQ(out, "unchanged");

    for (const char* empty :
         {"<SendStatisticsRequest/>",
          "<SendStatisticsRequest><HomepageAlertStatistics/><InstalledMsnPlugins/>"
          "</SendStatisticsRequest>"}) {
        ASSERT_EQ(load_message(request(empty), &root), "ok");
        round_trip(root);
    }
    EXPECT_EQ(load_message(request("\n<SendStatisticsRequest><InstalledMsnPlugins><Messy/>"
                                   "<Messy/></InstalledMsnPlugins></SendStatisticsRequest>")),
              message(3, "Messy", lmx::ELMX_ALL_CARDINALITY_VIOLATED));
}

TEST(ServerMessages, CrashReportsCarryBase64Dumps) {
    c_root root;
    ASSERT_EQ(load_message(request("<CrashReportRequest><Dump>TWFu</Dump><Dump>\n TW E=\n</Dump>"
                                   "<Dump/></CrashReportRequest>"),
                           &root),
              "ok");
    auto& report = root.get_ServerRequestType().get_CrashReportRequest();
    ASSERT_EQ(report.size_Dump(), 3u);
    EXPECT_TRUE(report.get_Dump(0).equal(reinterpret_cast<const unsigned char*>("Man"), 3));
    EXPECT_TRUE(report.get_Dump(1).equal(reinterpret_cast<const unsigned char*>("Ma"), 2));
    EXPECT_EQ(report.get_Dump(2).size(), 0u);

    const unsigned char bytes[] = {0, 1, 2, 255};
    EXPECT_EQ(report.set_Dump(2, lmx::c_binary(bytes, 4)), lmx::ELMX_OK);
    EXPECT_EQ(report.insert_Dump(0, lmx::c_binary(bytes, 1)), lmx::ELMX_OK);
    report.delete_Dump(2);
    EXPECT_EQ(round_trip(root), request("\n\t<CrashReportRequest>\n\t\t<Dump>AA==</Dump>\n"
                                        "\t\t<Dump>TWFu</Dump>\n\t\t<Dump>AAEC/w==</Dump>\n"
                                        "\t</CrashReportRequest>\n"));
    report.clear_Dump();
    EXPECT_TRUE(report.is_occurs_ok());
    EXPECT_EQ(round_trip(root), request("\n\t<CrashReportRequest>\n\t</CrashReportRequest>\n"));

    for (const char* dump : {"TWE", "TW!=", "TWE=TWE=", "=TWE"})
        EXPECT_EQ(load_message(request("<CrashReportRequest><Dump>TWFu</Dump>\n<Dump>" +
                                       std::string(dump) + "</Dump></CrashReportRequest>")),
                  message(3, "Dump", lmx::ELMX_BAD_VALUE_FORMAT))
            << dump;
}

TEST(ServerMessages, RequestAndReplySetsAndEmptyReplies) {
    c_root root;
    c_ServerMessageReply& answer = root.get_ServerMessage().get_ServerMessageReply();
    answer.get_Header().set_Result(L"OK");
    c_ServerRepliesSetType& replies = answer.get_RepliesSet();
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(replies.append_ServerReplyType(), lmx::ELMX_OK);
    replies.get_ServerReplyType(0).get_LoginReply();
    replies.get_ServerReplyType(0).set_StatisticsReply();
    EXPECT_EQ(replies.get_ServerReplyType(0).getchosen(),
              c_ServerReplyType::chosen_StatisticsReply);
    replies.get_ServerReplyType(1).set_CrashReportReply();
    replies.get_ServerReplyType(2).get_UpdateReply();
    EXPECT_TRUE(c_ServerReplyType::c_StatisticsReply().is_occurs_ok());
    EXPECT_TRUE(c_ServerReplyType::c_CrashReportReply().is_occurs_ok());
    EXPECT_TRUE(replies.get_ServerReplyType(3).is_occurs_ok()) << "no option is complete";
    EXPECT_EQ(round_trip(root), document("ServerMessage",
                                         "\n\t<ServerMessageReply>\n\t\t<Header Result=\"OK\"/>\n"
                                         "\t\t<RepliesSet>\n"
                                         "\t\t\t<ServerReplyType>\n\t\t\t\t<StatisticsReply/>\n"
                                         "\t\t\t</ServerReplyType>\n"
                                         "\t\t\t<ServerReplyType>\n\t\t\t\t<CrashReportReply/>\n"
                                         "\t\t\t</ServerReplyType>\n"
                                         "\t\t\t<ServerReplyType>\n\t\t\t\t<UpdateReply>\n"
                                         "\t\t\t\t</UpdateReply>\n\t\t\t</ServerReplyType>\n"
                                         "\t\t\t<ServerReplyType>\n\t\t\t</ServerReplyType>\n"
                                         "\t\t</RepliesSet>\n\t</ServerMessageReply>\n"));

    // A request or reply element holds one option; a second ends the element.
    EXPECT_EQ(load_message(reply("\n<StatisticsReply/><CrashReportReply/>")),
              message(3, "ServerReplyType", lmx::ELMX_BAD_END_OF_ELEMENT));
    EXPECT_EQ(load_message(reply("\n<StatisticsReply>thanks</StatisticsReply>")),
              message(3, "StatisticsReply", lmx::ELMX_BAD_END_OF_ELEMENT));
    for (const std::string& text : {request(""), request("<Ping/>"), reply("<Pong/>")}) {
        ASSERT_EQ(load_message(text, &root), "ok");
        EXPECT_TRUE(root.is_occurs_ok());
        round_trip(root);
    }

    // Plugins of a login request: the two identifiers are required, in either order.
    const std::string plugin = "\n<LoginRequest><Plugins><Plugin Name=\"n\">";
    EXPECT_EQ(load_message(request(plugin + "<PortalID>p</PortalID></Plugin></Plugins>"
                                            "</LoginRequest>")),
              message(3, "Plugin", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(request(plugin + "</Plugin></Plugins></LoginRequest>")),
              message(3, "Plugin", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT));
    EXPECT_EQ(load_message(request(plugin + "<ToolbarID>t</ToolbarID><PortalID>p</PortalID>"
                                            "<ToolbarID>u</ToolbarID></Plugin></Plugins>"
                                            "</LoginRequest>")),
              message(3, "ToolbarID", lmx::ELMX_ALL_CARDINALITY_VIOLATED));

    // The element classes read only their own element.
    const std::string crash = reply("<CrashReportReply/>");
    lmx::c_xml_reader_memory reader(crash.data(), static_cast<unsigned>(crash.size()));
    c_ServerReplyType single;
    EXPECT_EQ(single.unmarshal(reader), lmx::ELMX_OK);
    EXPECT_EQ(single.getchosen(), c_ServerReplyType::chosen_CrashReportReply);
    lmx::c_xml_reader_memory again(crash.data(), static_cast<unsigned>(crash.size()));
    EXPECT_EQ(c_ServerRequestType().unmarshal(again), lmx::ELMX_ELEMENT_NOT_FOUND);
}
