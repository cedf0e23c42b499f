// What the client and its hosted pages exchange inside the web envelopes: web commands, web
// requests and the replies that answer them, read through dravik_lmx::c_root, changed, written
// back exactly and validated; rectangles, parameter sets and HTTP replies in depth.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "messaging_documents.h"

using namespace dravik_lmx;
using namespace messaging_test;

namespace {

std::string web_command(const std::string& command) {
    return document("WebCommand", command);
}

std::string moved(const std::string& rect) {
    return web_command("<OnPopupStatusChanged><Moved>" + rect + "</Moved></OnPopupStatusChanged>");
}

std::string web_reply(const std::string& reply) {
    return document("WebReplyType", reply);
}

// A page asks the client for everything it can ask, in the form the client writes.
const std::string k_request =
    k_declaration + "<WebMessageRequest" + k_ns +
    ">\n"
    "\t<Web2ClientRequest>\n"
    "\t\t<Header Context=\"41\">\n"
    "\t\t\t<WebInfo>\n\t\t\t\t<Version>3.2</Version>\n\t\t\t\t<Language>he</Language>\n"
    "\t\t\t</WebInfo>\n"
    "\t\t</Header>\n"
    "\t\t<WebRequestsSet>\n"
    "\t\t\t<WebRequestType>\n\t\t\t\t<GetClientInfoRequest/>\n\t\t\t</WebRequestType>\n"
    "\t\t\t<WebRequestType>\n\t\t\t\t<GetCreativesUsageInfoRequest/>\n\t\t\t</WebRequestType>\n"
    "\t\t\t<WebRequestType>\n\t\t\t\t<GetWebParamsRequest/>\n\t\t\t</WebRequestType>\n"
    "\t\t\t<WebRequestType>\n"
    "\t\t\t\t<GetHTTPContentRequest>\n"
    "\t\t\t\t\t<Headers>\n"
    "\t\t\t\t\t\t<Header>Accept: text/xml</Header>\n"
    "\t\t\t\t\t\t<Header>If-None-Match: &quot;x7&quot;</Header>\n"
    "\t\t\t\t\t</Headers>\n"
    "\t\t\t\t\t<URL>http://content.dravik.example/feed?a=1&amp;b=2</URL>\n"
    "\t\t\t\t</GetHTTPContentRequest>\n"
    "\t\t\t</WebRequestType>\n"
    "\t\t</WebRequestsSet>\n"
    "\t</Web2ClientRequest>\n"
    "</WebMessageRequest>\n";

}  // namespace

TEST(WebMessages, ARequestIsReadChangedAndAnsweredReplyByReply) {
    c_root request;
    ASSERT_EQ(load_message(k_request, &request), "ok");
    EXPECT_EQ(saved(request), k_request) << "headers after the URL, as they were read";
    c_Web2ClientRequest& asked = request.get_WebMessageRequest().get_Web2ClientRequest();
    ASSERT_EQ(asked.get_WebRequestsSet().size_WebRequestType(), 4u);
    c_WebRequestType& http = asked.get_WebRequestsSet().get_WebRequestType(3);
    ASSERT_EQ(http.getchosen(), c_WebRequestType::chosen_GetHTTPContentRequest);
    c_WebRequestType::c_GetHTTPContentRequest::c_Headers& headers =
        http.get_GetHTTPContentRequest().get_Headers();
    EXPECT_EQ(headers.get_Header(1), L"If-None-Match: \"x7\"");
    EXPECT_EQ(http.get_GetHTTPContentRequest().get_URL(),
              L"http://content.dravik.example/feed?a=1&b=2");
    ASSERT_EQ(headers.append_Header(L"Accept-Language: he"), lmx::ELMX_OK);
    headers.set_Header(0, L"Accept: application/xml");
    headers.delete_Header(1);
    asked.get_Header().set_Context(lmx::c_big_int("42"));
    round_trip(request);
    const std::string changed = saved(request);
    EXPECT_NE(changed.find("<Header>Accept: application/xml</Header>\n\t\t\t\t\t\t"
                           "<Header>Accept-Language: he</Header>"),
              std::string::npos);
    EXPECT_EQ(changed.find("x7"), std::string::npos);

    // The client answers each request with the reply of the same name, in order.
    c_root reply;
    c_Web2ClientReply& answer = reply.get_WebMessageReply().get_Web2ClientReply();
    answer.get_Header().set_Context(asked.get_Header().get_Context());
    c_WebRepliesSetType& replies = answer.get_WebRepliesSet();
    const unsigned char feed[] = {'<', 'f', '/', '>', 0, 0xFF};
    for (unsigned i = 0; i < asked.get_WebRequestsSet().size_WebRequestType(); ++i) {
        ASSERT_EQ(replies.append_WebReplyType(), lmx::ELMX_OK);
        c_WebReplyType& one = replies.back_WebReplyType();
        switch (asked.get_WebRequestsSet().get_WebRequestType(i).getchosen()) {
            case c_WebRequestType::chosen_GetClientInfoRequest: {
                c_ClientInfoType& info = one.get_GetClientInfoReply();
                info.set_ClientID(L"c-17");
                info.set_Version(L"3.2.1");
                info.set_Language(L"he");
                info.set_Referral(L"r");
                info.set_PluginID(L"msn");
                break;
            }
            case c_WebRequestType::chosen_GetCreativesUsageInfoRequest: {
                auto& list = one.get_GetCreativesUsageInfoReply().get_MostlyUsed();
                list.append_MRUCreativeType();
                list.back_MRUCreativeType().setenum_Type(e_Wink);
                list.back_MRUCreativeType().get_MRUCreativeItem(0).set_Count(12);
                list.back_MRUCreativeType().get_MRUCreativeItem(0).set_MRUCreativeItem(7001);
                break;
            }
            case c_WebRequestType::chosen_GetWebParamsRequest: {
                c_Parameter& parameter = one.get_GetWebParamsReply().get_Parameter(0);
                parameter.setenum_target(e_Common);
                parameter.set_name(L"HomePage");
                parameter.setenum_type(e_STR);
                parameter.set_Value(L"http://www.dravik.example/");
                break;
            }
            case c_WebRequestType::chosen_GetHTTPContentRequest:
                one.get_GetHTTPContentReply().set_Succeeded(true);
                one.get_GetHTTPContentReply().set_Data(lmx::c_binary(feed, sizeof feed));
                break;
            default:
                ADD_FAILURE() << "request " << i << " holds no option";
        }
    }
    answer.get_WebCommandsSet().get_WebCommand(0).get_OnPickupWindowStatusChanged().set_Hidden();
    ASSERT_TRUE(reply.is_occurs_ok());
    round_trip(reply);

    const std::string text = saved(reply);
    EXPECT_NE(text.find("\t\t\t\t<GetHTTPContentReply>\n\t\t\t\t\t<Succeeded>true</Succeeded>\n"
                        "\t\t\t\t\t<Data>PGYvPgD/</Data>\n"),
              std::string::npos)
        << text;
    c_root read_back;
    ASSERT_EQ(load_message(text, &read_back), "ok");
    const c_WebRepliesSetType& got =
        read_back.get_WebMessageReply().get_Web2ClientReply().get_WebRepliesSet();
    EXPECT_EQ(got.get_WebReplyType(3).get_GetHTTPContentReply().get_Data(),
              lmx::c_binary(feed, sizeof feed));
}

TEST(WebMessages, CommandsAreWrittenExactly) {
    c_root root;
    c_Client2WebRequest& request = root.get_WebMessageRequest().get_Client2WebRequest();
    request.get_Header().set_Context(lmx::c_big_int("9"));
    c_WebCommandsSetType& commands = request.get_WebCommandsSet();
    c_WebCommandType::c_DoNavigate& navigate = commands.get_WebCommand(0).get_DoNavigate();
    navigate.set_URL(L"http://www.dravik.example/catalog");
    auto& param = navigate.get_ParametersSet().get_Param(0);
    param.set_Value(L"2");
    param.set_name(L"page");
    EXPECT_TRUE(param.setenum_type(e_NUM));
    EXPECT_FALSE(param.setenum_type(e_Wink));
    EXPECT_EQ(param.getenum_type(), e_NUM);
    commands.get_WebCommand(1).set_ExecuteJavaScript(L"if (a < b && c) go();");
    c_WebCommandType::c_OnPopupStatusChanged::c_Moved::c_Rect_2& rect =
        commands.get_WebCommand(2).get_OnPopupStatusChanged().get_Moved().get_Rect();
    rect.set_Height(200);
    rect.set_Left(4294967295u);
    rect.set_Width(300);
    rect.set_Top(0);
    commands.get_WebCommand(3).get_OnPopupStatusChanged().get_Shown();
    commands.get_WebCommand(4).get_OnPopupStatusChanged().set_Hidden();
    ASSERT_TRUE(root.is_occurs_ok());
    EXPECT_EQ(
        saved(root),
        k_declaration + "<WebMessageRequest" + k_ns +
            ">\n"
            "\t<Client2WebRequest>\n"
            "\t\t<Header Context=\"9\">\n\t\t</Header>\n"
            "\t\t<WebCommandsSet>\n"
            "\t\t\t<WebCommand>\n\t\t\t\t<DoNavigate>\n"
            "\t\t\t\t\t<URL>http://www.dravik.example/catalog</URL>\n"
            "\t\t\t\t\t<ParametersSet>\n"
            "\t\t\t\t\t\t<Param name=\"page\" type=\"NUM\">\n"
            "\t\t\t\t\t\t\t<Value>2</Value>\n\t\t\t\t\t\t</Param>\n"
            "\t\t\t\t\t</ParametersSet>\n"
            "\t\t\t\t</DoNavigate>\n\t\t\t</WebCommand>\n"
            "\t\t\t<WebCommand>\n"
            "\t\t\t\t<ExecuteJavaScript>if (a &lt; b &amp;&amp; c) go();</ExecuteJavaScript>\n"
            "\t\t\t</WebCommand>\n"
            "\t\t\t<WebCommand>\n\t\t\t\t<OnPopupStatusChanged>\n\t\t\t\t\t<Moved>\n"
            "\t\t\t\t\t\t<Rect>\n"
            "\t\t\t\t\t\t\t<Height>200</Height>\n\t\t\t\t\t\t\t<Left>4294967295</Left>\n"
            "\t\t\t\t\t\t\t<Width>300</Width>\n\t\t\t\t\t\t\t<Top>0</Top>\n"
            "\t\t\t\t\t\t</Rect>\n"
            "\t\t\t\t\t</Moved>\n\t\t\t\t</OnPopupStatusChanged>\n\t\t\t</WebCommand>\n"
            "\t\t\t<WebCommand>\n\t\t\t\t<OnPopupStatusChanged>\n"
            "\t\t\t\t\t<Shown>\n\t\t\t\t\t</Shown>\n"
            "\t\t\t\t</OnPopupStatusChanged>\n\t\t\t</WebCommand>\n"
            "\t\t\t<WebCommand>\n\t\t\t\t<OnPopupStatusChanged>\n\t\t\t\t\t<Hidden/>\n"
            "\t\t\t\t</OnPopupStatusChanged>\n\t\t\t</WebCommand>\n"
            "\t\t</WebCommandsSet>\n"
            "\t</Client2WebRequest>\n"
            "</WebMessageRequest>\n");
    round_trip(root);
    c_root copy(root);
    EXPECT_EQ(saved(copy), saved(root)) << "the rectangle's order survives a copy";

    // A command that holds no option is refused, naming its type.
    commands.append_WebCommand();
    std::string text = "unchanged";
    EXPECT_EQ(root.marshal(&text), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(text, "unchanged");
    std::ostringstream out;
    lmx::c_xml_writer writer(out);
    EXPECT_EQ(commands.back_WebCommand().marshal(writer, "WebCommand"), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(writer.get_error_item_name(), "WebCommandType");
}

TEST(WebMessages, RectangleValues) {
    c_root root;
    // Values present but empty read as 0 and count as present; the read order is kept.
    const std::string rect = "<Rect><Width>640</Width><Top/><Height></Height><Left>7</Left></Rect>";
    ASSERT_EQ(load_message(moved(rect), &root), "ok");
    const auto& read = root.get_WebCommand().get_OnPopupStatusChanged().get_Moved().get_Rect();
    EXPECT_EQ(read.get_Top(), 0u);
    EXPECT_EQ(read.get_Width(), 640u);
    EXPECT_EQ(read.getorder(0),
              c_WebCommandType::c_OnPopupStatusChanged::c_Moved::c_Rect_2::all_Width);
    EXPECT_EQ(read.getorder_Height(), 2u);
    EXPECT_TRUE(read.is_occurs_ok());
    const std::string text = saved(root);
    EXPECT_LT(text.find("<Width>640</Width>"), text.find("<Top>0</Top>"));
    EXPECT_LT(text.find("<Height>0</Height>"), text.find("<Left>7</Left>"));
    lmx_test::expect_valid(text, "dravik.xsd");

    // Each of the four is required, in both rectangles; the item named is the rectangle.
    for (const char* kept : {"<Left>1</Left><Top>1</Top><Width>1</Width>",
                             "<Top>1</Top><Width>1</Width><Height>1</Height>"}) {
        EXPECT_EQ(load_message(moved("\n<Rect>" + std::string(kept) + "</Rect>")),
                  message(3, "Rect", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
        EXPECT_EQ(
            load_message(web_command("<OnPopupStatusChanged><Shown><Rect>" + std::string(kept) +
                                     "</Rect></Shown>"
                                     "</OnPopupStatusChanged>")),
            message(2, "Rect", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    }
    c_WebCommandType::c_OnPopupStatusChanged::c_Shown::c_Rect built;
    built.set_Left(1);
    built.set_Top(1);
    built.set_Width(1);
    EXPECT_FALSE(built.is_occurs_ok());
    built.set_Height(0);
    EXPECT_TRUE(built.is_occurs_ok());

    auto with_left = [](const std::string& left) {
        return moved("<Rect><Left>" + left +
                     "</Left><Top>1</Top><Width>1</Width>"
                     "<Height>1</Height></Rect>");
    };
    ASSERT_EQ(load_message(with_left(" 4294967295 "), &root), "ok");
    EXPECT_EQ(root.get_WebCommand().get_OnPopupStatusChanged().get_Moved().get_Rect().get_Left(),
              4294967295u);
    EXPECT_EQ(load_message(with_left("4294967296")),
              message(2, "Left", lmx::ELMX_VALUE_ABOVE_MAXIMUM));
    EXPECT_EQ(load_message(with_left("-1")), message(2, "Left", lmx::ELMX_VALUE_BELOW_MINIMUM));
    EXPECT_EQ(load_message(with_left("1.5")), message(2, "Left", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(with_left("ten")), message(2, "Left", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(moved("<Rect><Left>1</Left><Left>2</Left></Rect>")),
              message(2, "Left", lmx::ELMX_ALL_CARDINALITY_VIOLATED));
}

TEST(WebMessages, WhatACommandNeeds) {
    c_root root;
    // A popup shown without its rectangle is complete; a move needs one.
    ASSERT_EQ(
        load_message(web_command("<OnPopupStatusChanged><Shown/></OnPopupStatusChanged>"), &root),
        "ok");
    EXPECT_FALSE(root.get_WebCommand().get_OnPopupStatusChanged().get_Shown().isset_Rect());
    EXPECT_EQ(load_message(moved("<Other/>")),
              message(2, "Moved", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(web_command("<OnPopupStatusChanged><Moved/></OnPopupStatusChanged>")),
              message(2, "Moved", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT));
    EXPECT_FALSE(c_WebCommandType::c_OnPopupStatusChanged::c_Moved().is_occurs_ok());

    // Navigation needs its URL; a parameter set, when present, needs a parameter.
    const std::string url = "<URL>http://www.dravik.example/</URL>";
    ASSERT_EQ(load_message(web_command("<DoNavigate>" + url + "</DoNavigate>"), &root), "ok");
    EXPECT_TRUE(root.get_WebCommand().is_occurs_ok());
    EXPECT_FALSE(root.get_WebCommand().get_DoNavigate().isset_ParametersSet());
    EXPECT_EQ(load_message(web_command("<DoNavigate><ParametersSet><Param name=\"a\" type=\"STR\">"
                                       "<Value/></Param></ParametersSet></DoNavigate>")),
              message(2, "DoNavigate", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    for (const char* empty : {"<ParametersSet/>", "<ParametersSet><Other/></ParametersSet>"})
        EXPECT_EQ(load_message(web_command("<DoNavigate>" + url + empty + "</DoNavigate>")),
                  message(2, "ParametersSet", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_FALSE(c_WebCommandType::c_DoNavigate::c_ParametersSet().is_occurs_ok());

    // A parameter's name and type are required attributes; any type text is kept.
    auto navigate_with = [&](const std::string& attributes) {
        return web_command("<DoNavigate>" + url + "<ParametersSet>\n<Param" + attributes +
                           "><Value>v</Value></Param></ParametersSet></DoNavigate>");
    };
    EXPECT_EQ(load_message(navigate_with(" type=\"STR\"")),
              message(3, "Param", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(navigate_with(" name=\"n\"")),
              message(3, "Param", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING));
    EXPECT_EQ(load_message(navigate_with(" name=\"n\" type=\"STR\" name=\"m\"")),
              message(3, "name", lmx::ELMX_ATTRIBUTE_ALREADY_READ));
    ASSERT_EQ(load_message(navigate_with(" name=\"n\" type=\"DATE\""), &root), "ok");
    auto& param = root.get_WebCommand().get_DoNavigate().get_ParametersSet().get_Param(0);
    EXPECT_EQ(param.get_type(), L"DATE");
    EXPECT_EQ(param.getenum_type(), 0);
    EXPECT_FALSE(param.setenum_type(e_Any));
    EXPECT_EQ(param.get_type(), L"DATE");
    EXPECT_TRUE(param.setenum_type(e_BOOL));
    EXPECT_EQ(param.get_type(), L"BOOL");

    // A command set needs a command; a page's request or reply set may be empty.
    EXPECT_FALSE(c_WebCommandsSetType().is_occurs_ok());
    EXPECT_TRUE(c_WebRequestsSetType().is_occurs_ok());
    EXPECT_TRUE(c_WebRepliesSetType().is_occurs_ok());
    EXPECT_EQ(load_message(document("WebMessageRequest",
                                    "<Client2WebRequest><Header Context=\"1\"/><WebCommandsSet/>"
                                    "</Client2WebRequest>")),
              message(2, "WebCommandsSetType", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    for (const std::string& empty_set :
         {document("WebMessageRequest",
                   "<Web2ClientRequest><Header Context=\"1\"/><WebRequestsSet/>"
                   "</Web2ClientRequest>"),
          document("WebMessageReply",
                   "<Web2ClientReply><WebRepliesSet/><Header Context=\"1\"/>"
                   "</Web2ClientReply>")}) {
        ASSERT_EQ(load_message(empty_set, &root), "ok");
        EXPECT_TRUE(root.is_occurs_ok());
    }

    // A command from a newer page, or a status it does not know, reads; it is refused on
    // writing rather than written as the empty element, which could not be read back.
    ASSERT_EQ(load_message(web_command("<OnPickupWindowStatusChanged><Minimized/>"
                                       "</OnPickupWindowStatusChanged>"),
                           &root),
              "ok");
    EXPECT_EQ(root.get_WebCommand().get_OnPickupWindowStatusChanged().getchosen(),
              c_WebCommandType::c_OnPickupWindowStatusChanged::chosen_skipped);
    std::string text = "unchanged";
    EXPECT_EQ(root.marshal(&text), lmx::ELMX_BAD_CHOICE);
    ASSERT_EQ(load_message(web_command("<OpenSidebar><URL>u</URL></OpenSidebar>"), &root), "ok");
    EXPECT_EQ(root.get_WebCommand().getchosen(), c_WebCommandType::chosen_skipped);
    EXPECT_EQ(root.marshal(&text), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(load_message(web_command("")),
              message(2, "WebCommand", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT));
}

TEST(WebMessages, RequestsAndReplies) {
    c_root root;
    // A request may hold no option, and is written as it was read.
    ASSERT_EQ(load_message(document("WebRequestType", ""), &root), "ok");
    EXPECT_EQ(root.get_WebRequestType().getchosen(), c_WebRequestType::chosen_none);
    EXPECT_TRUE(root.is_occurs_ok());
    EXPECT_EQ(saved(root), document("WebRequestType", "\n"));
    root.get_WebRequestType().set_GetWebParamsRequest();
    EXPECT_EQ(saved(root), document("WebRequestType", "\n\t<GetWebParamsRequest/>\n"));

    // Headers present but empty: complete, set, and holding none.
    ASSERT_EQ(load_message(document("WebRequestType",
                                    "<GetHTTPContentRequest><Headers/><URL>u</URL>"
                                    "</GetHTTPContentRequest>"),
                           &root),
              "ok");
    const auto& http = root.get_WebRequestType().get_GetHTTPContentRequest();
    EXPECT_TRUE(http.isset_Headers());
    EXPECT_EQ(http.get_Headers().size_Header(), 0u);
    EXPECT_EQ(load_message(document("WebRequestType",
                                    "<GetHTTPContentRequest><Headers/></GetHTTPContentRequest>")),
              message(2, "GetHTTPContentRequest", lmx::ELMX_MANDATORY_ELEMENT_MISSING));

    // An HTTP reply needs both its data and its outcome, whatever the outcome.
    ASSERT_EQ(load_message(web_reply("<GetHTTPContentReply><Succeeded>0</Succeeded><Data/>"
                                     "</GetHTTPContentReply>"),
                           &root),
              "ok");
    EXPECT_FALSE(root.get_WebReplyType().get_GetHTTPContentReply().get_Succeeded());
    EXPECT_EQ(root.get_WebReplyType().get_GetHTTPContentReply().get_Data().size(), 0u);
    EXPECT_EQ(load_message(web_reply("<GetHTTPContentReply><Succeeded>false</Succeeded>"
                                     "</GetHTTPContentReply>")),
              message(2, "GetHTTPContentReply", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_EQ(load_message(web_reply("<GetHTTPContentReply><Data>AAAA</Data>"
                                     "</GetHTTPContentReply>")),
              message(2, "GetHTTPContentReply", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    c_WebReplyType::c_GetHTTPContentReply built;
    built.set_Data(lmx::c_binary());
    EXPECT_FALSE(built.is_occurs_ok());
    built.set_Succeeded(false);
    EXPECT_TRUE(built.is_occurs_ok());
    EXPECT_EQ(load_message(web_reply("<GetHTTPContentReply><Data>AAAA</Data>"
                                     "<Succeeded>yes</Succeeded></GetHTTPContentReply>")),
              message(2, "Succeeded", lmx::ELMX_BAD_VALUE_FORMAT));
    EXPECT_EQ(load_message(web_reply("<GetHTTPContentReply><Data>AA*A</Data>"
                                     "<Succeeded>1</Succeeded></GetHTTPContentReply>")),
              message(2, "Data", lmx::ELMX_BAD_VALUE_FORMAT));

    // Web parameters: one or more; the usage list is left to the parse by is_occurs_ok.
    EXPECT_EQ(load_message(web_reply("<GetWebParamsReply/>")),
              message(2, "GetWebParamsReply", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_FALSE(c_WebReplyType::c_GetWebParamsReply().is_occurs_ok());
    EXPECT_EQ(load_message(web_reply("<GetCreativesUsageInfoReply><Other/>"
                                     "</GetCreativesUsageInfoReply>")),
              message(2, "GetCreativesUsageInfoReply", lmx::ELMX_MANDATORY_ELEMENT_MISSING));
    EXPECT_TRUE(c_WebReplyType::c_GetCreativesUsageInfoReply().is_occurs_ok());
    ASSERT_EQ(load_message(web_reply("<GetCreativesUsageInfoReply><MostlyUsed/>"
                                     "</GetCreativesUsageInfoReply>"),
                           &root),
              "ok");
    EXPECT_EQ(root.get_WebReplyType()
                  .get_GetCreativesUsageInfoReply()
                  .get_MostlyUsed()
                  .size_MRUCreativeType(),
              0u);
}
