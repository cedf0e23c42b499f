// The settings document through DravikSettings::c_root and its classes: a realistic file loaded,
// changed, saved and loaded again; defaults; the exact saved text; strict parsing errors with
// their items and lines; the Resource, Parameter and WPSubsystems documents.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Generated/DravikSettings.h"
#include "saved_documents.h"

using namespace DravikSettings;
using lmx::elmx_error;

namespace {

const char k_declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string k_ns = " xmlns=\"http://www.dravik.example/schemas\"";

std::string temporary_path(const std::string& name) {
    return lmx_test::temporary_path("settings_document_" + name);
}

using lmx_test::read_file;

void expect_valid(const std::string& document) {
    lmx_test::expect_valid(document, "DravikSettings.xsd");
}

using lmx_test::load_message;
using lmx_test::message;
using lmx_test::saved;

std::string load_message(const std::string& text) {
    return lmx_test::load_message<c_root>(text);
}

const char k_realistic[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Settings xmlns=\"http://www.dravik.example/schemas\">\n"
    "\t<Main>\n"
    "\t\t<LoginPeriod>60</LoginPeriod>\n"
    "\t\t<IsHomePageNeverDisturb>1</IsHomePageNeverDisturb>\n"
    "\t\t<ClientID>{6F1E-22}</ClientID>\n"
    "\t\t<RepositoryURL>http://mirror.dravik.example/zip</RepositoryURL>\n"
    "\t</Main>\n"
    "\t<Plugins>\n"
    "\t\t<Plugin Name=\"MSN\">\n"
    "\t\t\t<NudgeDelay>30</NudgeDelay>\n"
    "\t\t\t<AwayMsgText>Back soon &amp; &lt;then&gt; some</AwayMsgText>\n"
    "\t\t\t<CurrentToolbar>2</CurrentToolbar>\n"
    "\t\t</Plugin>\n"
    "\t\t<Plugin Name=\"Yahoo\"/>\n"
    "\t\t<Plugin Name=\"AOL\">\n"
    "\t\t\t<TAFPopupShown>true</TAFPopupShown>\n"
    "\t\t\t<MSNPersonalText>caf\xC3\xA9 time</MSNPersonalText>\n"
    "\t\t</Plugin>\n"
    "\t</Plugins>\n"
    "\t<WebSettings>\n"
    "\t\t<Parameter target=\"IE\" name=\"HomePage\" type=\"STR\">\n"
    "\t\t\t<Value>http://www.dravik.example/</Value>\n"
    "\t\t</Parameter>\n"
    "\t\t<Parameter target=\"Common\" name=\"Retries\" type=\"NUM\">\n"
    "\t\t\t<Value>3</Value>\n"
    "\t\t</Parameter>\n"
    "\t</WebSettings>\n"
    "\t<NonPermanentSettings>\n"
    "\t\t<Parameter target=\"Coordinator\" name=\"SessionStart\" type=\"BOOL\">\n"
    "\t\t\t<Value>true</Value>\n"
    "\t\t</Parameter>\n"
    "\t</NonPermanentSettings>\n"
    "</Settings>\n";

TEST(SettingsDocument, ARealisticFileIsLoadedChangedSavedAndLoadedAgain) {
    const std::string path = temporary_path("realistic.xml");
    std::ofstream(path, std::ios::binary) << k_realistic;
    elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    c_root root(path.c_str(), &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    ASSERT_EQ(root.getchosen(), c_root::chosen_Settings);
    EXPECT_EQ(root.getchosen(), 3);
    c_Settings& settings = root.get_Settings();

    // Main came first and stays first.
    EXPECT_EQ(settings.getorder(0u), c_Settings::all_Main);
    EXPECT_EQ(settings.getorder_Plugins(), 1u);
    const c_Settings::c_Main& main = settings.get_Main();
    EXPECT_EQ(main.get_LoginPeriod(), 60u);
    EXPECT_TRUE(main.get_IsHomePageNeverDisturb());
    EXPECT_EQ(main.get_HomePageCheckPeriod(), 1440u);
    EXPECT_FALSE(main.isset_HomePageCheckPeriod());

    c_Settings::c_Plugins& plugins = settings.get_Plugins();
    ASSERT_EQ(plugins.size_Plugin(), 3u);
    EXPECT_EQ(plugins.get_Plugin(0).get_Name(), L"MSN");
    EXPECT_EQ(plugins.get_Plugin(0).get_NudgeDelay(), 30u);
    EXPECT_EQ(plugins.get_Plugin(0).get_AwayMsgText(), L"Back soon & <then> some");
    EXPECT_EQ(plugins.get_Plugin(0).getorder(0u), c_Settings::c_Plugins::c_Plugin::all_NudgeDelay);
    EXPECT_EQ(plugins.get_Plugin(1).sizeorder(), 0u);
    EXPECT_EQ(plugins.get_Plugin(1).get_NudgeDelay(), 10u);
    EXPECT_EQ(plugins.get_Plugin(2).get_MSNPersonalText(), L"caf\u00e9 time");

    ASSERT_EQ(settings.get_WebSettings().size_Parameter(), 2u);
    EXPECT_EQ(settings.get_WebSettings().get_Parameter(0).getenum_target(), e_IE);
    EXPECT_EQ(settings.get_WebSettings().get_Parameter(1).getenum_type(), e_NUM);
    EXPECT_EQ(settings.get_NonPermanentSettings().get_Parameter(0).get_Value(), L"true");

    // Changes through the setters.
    settings.get_Main().unset_ClientID();
    settings.get_Main().set_SendStatisticPeriod(720);
    plugins.get_Plugin(1).set_NudgeDelay(5);
    ASSERT_EQ(plugins.append_Plugin(), lmx::ELMX_OK);
    plugins.back_Plugin().set_Name(L"QQ");
    plugins.back_Plugin().set_BoundingChars(L"[]");
    EXPECT_TRUE(settings.get_NonPermanentSettings().get_Parameter(0).setenum_target(e_QQ));
    settings.get_WebSettings().delete_Parameter(0);

    ASSERT_EQ(root.marshal(path.c_str()), lmx::ELMX_OK);
    const std::string text = read_file(path);
    expect_valid(text);
    EXPECT_EQ(text.find("ClientID"), std::string::npos);

    c_root again(path.c_str(), &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    const c_Settings& loaded = static_cast<const c_root&>(again).get_Settings();
    EXPECT_EQ(loaded.getorder(0u), c_Settings::all_Main);
    EXPECT_FALSE(loaded.get_Main().isset_ClientID());
    EXPECT_EQ(loaded.get_Main().get_SendStatisticPeriod(), 720u);
    ASSERT_EQ(loaded.get_Plugins().size_Plugin(), 4u);
    EXPECT_EQ(loaded.get_Plugins().get_Plugin(1).get_NudgeDelay(), 5u);
    EXPECT_EQ(loaded.get_Plugins().get_Plugin(3).get_BoundingChars(), L"[]");
    EXPECT_EQ(loaded.get_Plugins().get_Plugin(0).get_AwayMsgText(), L"Back soon & <then> some");
    EXPECT_EQ(loaded.get_NonPermanentSettings().get_Parameter(0).getenum_target(), e_QQ);
    EXPECT_EQ(loaded.get_WebSettings().size_Parameter(), 1u);
    EXPECT_EQ(saved(again), text);
    std::remove(path.c_str());
}

TEST(SettingsDocument, DefaultsAreReadUnsetAndNeverWritten) {
    c_Settings::c_Plugins::c_Plugin plugin;
    EXPECT_EQ(plugin.get_NudgeDelay(), 10u);
    EXPECT_EQ(plugin.get_CreativesCacheSize(), 20u);
    EXPECT_EQ(plugin.get_TAFPopupShown(), L"false");
    EXPECT_EQ(plugin.get_LandingPageURL(), L"http://emoticons.dravik.example/%creativeid%");
    EXPECT_EQ(
        plugin.get_FlashInstallURL(),
        L"http://www.adobe.com/shockwave/download/download.cgi?P1_Prod_Version=ShockwaveFlash");
    EXPECT_EQ(plugin.get_AwayMsgStamp().substr(0, 12), L"This \"Away\" ");
    EXPECT_FALSE(plugin.isset_NackMessage());
    const std::wstring nack = plugin.get_NackMessage();
    plugin.set_NackMessage(L"gone");
    EXPECT_TRUE(plugin.isset_NackMessage());
    plugin.unset_NackMessage();
    EXPECT_EQ(plugin.get_NackMessage(), nack);
    EXPECT_FALSE(plugin.isset_NackMessage());
    EXPECT_EQ(c_Settings::c_Main().get_RepositoryURL(), L"http://content.dravik.example/zip");

    // A Main holding only LoginPeriod reads the other defaults and writes back only LoginPeriod.
    c_root root;
    const std::string document = std::string(k_declaration) + "<Settings" + k_ns +
                                 ">\n\t<Main>\n\t\t<LoginPeriod>60</LoginPeriod>\n\t</Main>\n"
                                 "\t<Plugins>\n\t\t<Plugin Name=\"MSN\">\n\t\t</Plugin>\n"
                                 "\t</Plugins>\n</Settings>\n";
    ASSERT_EQ(load_message(document, &root), "ok");
    const c_Settings::c_Main& main = root.get_Settings().get_Main();
    EXPECT_EQ(main.get_HomePageCheckPeriod(), 1440u);
    EXPECT_EQ(main.get_LoginFailedPeriod(), 15u);
    EXPECT_EQ(saved(root), document);
    expect_valid(document);
}

TEST(SettingsDocument, DefaultsAreSharedUntilSetAndCopiesStayApart) {
    // Objects that keep a default hold one copy of it between them.
    using c_Plugin = c_Settings::c_Plugins::c_Plugin;
    const c_Plugin first, second;
    EXPECT_EQ(&first.get_FriendshipMessage(), &second.get_FriendshipMessage());

    c_Plugin changed;
    changed.set_FriendshipMessage(L"mine");
    c_Plugin copy(changed);
    copy.set_FriendshipMessage(L"the copy's");
    EXPECT_EQ(changed.get_FriendshipMessage(), L"mine");
    copy = first;
    EXPECT_EQ(copy.get_FriendshipMessage(), first.get_FriendshipMessage());
    copy.set_FriendshipMessage(L"again");
    EXPECT_EQ(first.get_FriendshipMessage().substr(0, 9), L"Hey, I th");
    c_Plugin moved(std::move(changed));
    EXPECT_EQ(moved.get_FriendshipMessage(), L"mine");
    moved.unset_FriendshipMessage();
    EXPECT_EQ(&moved.get_FriendshipMessage(), &first.get_FriendshipMessage());

    // A value read replaces the default in that object only; an empty element reads the default.
    c_root root;
    const std::string document = std::string(k_declaration) + "<Settings" + k_ns +
                                 ">\n\t<Main>\n\t\t<LoginPeriod>60</LoginPeriod>\n\t</Main>\n"
                                 "\t<Plugins>\n\t\t<Plugin Name=\"A\">\n"
                                 "\t\t\t<TAFPopupShown>true</TAFPopupShown>\n"
                                 "\t\t\t<LandingPageURL></LandingPageURL>\n\t\t</Plugin>\n"
                                 "\t\t<Plugin Name=\"B\"/>\n\t</Plugins>\n</Settings>\n";
    ASSERT_EQ(load_message(document, &root), "ok");
    const auto& plugins = root.get_Settings().get_Plugins();
    EXPECT_EQ(plugins.get_Plugin(0).get_TAFPopupShown(), L"true");
    EXPECT_EQ(plugins.get_Plugin(1).get_TAFPopupShown(), L"false");
    EXPECT_EQ(plugins.get_Plugin(0).get_LandingPageURL(), first.get_LandingPageURL());
    EXPECT_TRUE(plugins.get_Plugin(0).isset_LandingPageURL());
    EXPECT_FALSE(plugins.get_Plugin(1).isset_LandingPageURL());
    const std::string text = saved(root);
    EXPECT_NE(text.find("<LandingPageURL>http://emoticons.dravik.example/%creativeid%"),
              std::string::npos);
    c_root again;
    ASSERT_EQ(load_message(text, &again), "ok");
    EXPECT_EQ(saved(again), text);
}

TEST(SettingsDocument, StrictParsingReportsEachFaultWithItsItemAndLine) {
    const std::string open = "<Settings" + k_ns + ">\n";
    const std::string plugins = "<Plugins>\n";
    const struct {
        std::string document;
        std::string expected;
    } cases[] = {
        {open + "<Plugins/>\n</Settings>",
         message(3, "Settings", lmx::ELMX_MANDATORY_ELEMENT_MISSING)},
        {"<Settings" + k_ns + "/>", message(1, "Settings", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT)},
        {"<Parameter" + k_ns + " target=\"IE\" name=\"a\" type=\"STR\">\n</Parameter>",
         message(2, "Parameter", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT)},
        {"<WPSubsystems" + k_ns + "/>",
         message(1, "WPSubsystems", lmx::ELMX_UNEXPECTED_EMPTY_ELEMENT)},
        {open + "<Main>\n<Foo/>", message(3, "Foo", lmx::ELMX_UNKNOWN_ALL_ELEMENT)},
        {open + plugins + "<Plugin Name=\"a\"/>\n<Other/>\n</Plugins>",
         message(4, "Plugins", lmx::ELMX_BAD_END_OF_ELEMENT)},
        {open + "<Main>\n<LoginPeriod>1</LoginPeriod>\n<LoginPeriod>2</LoginPeriod>",
         message(4, "LoginPeriod", lmx::ELMX_ALL_CARDINALITY_VIOLATED)},
        {open + plugins + "<Plugin Name=\"a\">\n<NudgeDelay>-1</NudgeDelay>",
         message(4, "NudgeDelay", lmx::ELMX_VALUE_BELOW_MINIMUM)},
        {open + plugins + "<Plugin Name=\"a\">\n<NudgeDelay>4294967296</NudgeDelay>",
         message(4, "NudgeDelay", lmx::ELMX_VALUE_ABOVE_MAXIMUM)},
        {open + plugins + "<Plugin Name=\"a\">\n<NudgeDelay>1.5</NudgeDelay>",
         message(4, "NudgeDelay", lmx::ELMX_BAD_VALUE_FORMAT)},
        {open + "<Main>\n<IsHomePageNeverDisturb>yes</IsHomePageNeverDisturb>",
         message(3, "IsHomePageNeverDisturb", lmx::ELMX_BAD_VALUE_FORMAT)},
        {open + plugins + "<Plugin>", message(3, "Plugin", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING)},
        {open + plugins + "<Plugin Name=\"a\" Colour=\"red\">",
         message(3, "Plugin", lmx::ELMX_UNEXPECTED_ATTRIBUTE)},
        {"<Resource" + k_ns + " ID=\"1\"\n Type=\"BMP\"/>",
         message(2, "Type", lmx::ELMX_VALUE_NOT_ENUMERATED)},
        {"<Resource" + k_ns + " ID=\"1\" Type=\"XML\">\n<URI GetByIDFallback=\"true\"/>",
         message(2, "URIType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING)},
        {"<Resource" + k_ns +
             " ID=\"1\" Type=\"XML\">\n<URI Method=\"JS\" GetByIDFallback=\"maybe\"/>",
         message(2, "GetByIDFallback", lmx::ELMX_BAD_VALUE_FORMAT)},
        {"<Resource" + k_ns + " ID=\"1\" Type=\"XML\">\n<URI Method=\"JS\">a\n<b/></URI>",
         message(3, "URI", lmx::ELMX_BAD_END_OF_ELEMENT)},
        {"<Resource" + k_ns + " ID=\"1\" Type=\"XML\">\n<Filters>\n<Archive/>",
         message(3, "Archive", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING)},
        {"<Resource" + k_ns + " ID=\"1\" Type=\"XML\">\n<Filters>\n<Archive Type=\"ZIP\">\n<x/>",
         message(4, "Archive", lmx::ELMX_BAD_END_OF_ELEMENT)},
        {"<Resource" + k_ns + " Type=\"XML\"\n ID=\"-4\"/>",
         message(2, "ID", lmx::ELMX_VALUE_BELOW_MINIMUM)},
        {"<WPSubsystems" + k_ns +
             ">\n<WebPlugins>\n<WebPlugin name=\"w\">\n<Subsystems>\n"
             "<SubsystemData version=\"1\"/>",
         message(5, "WPSubsystemDataType", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING)},
        {"<WPSubsystems" + k_ns + ">\n<WebPlugins>\n<WebPlugin/>",
         message(3, "WebPlugin", lmx::ELMX_REQUIRED_ATTRIBUTES_MISSING)},
        {"<Other" + k_ns + "/>", message(1, "Other", lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT)},
        {"<Settings>\n<Main/>", message(1, "Settings", lmx::ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(load_message(c.document), c.expected) << c.document;
}

// A reader whose handler lets parsing go on past unknown elements of xs:all groups.
class c_skipping_reader : public lmx::c_xml_reader_memory {
public:
    explicit c_skipping_reader(const std::string& text)
        : c_xml_reader_memory(text.data(), static_cast<unsigned>(text.size())) {}
    elmx_error user_handle_error(elmx_error code, const std::string& item, const char*,
                                 int) override {
        reports += item + ";";
        return code == lmx::ELMX_UNKNOWN_ALL_ELEMENT ? lmx::ELMX_OK : code;
    }
    std::string reports;
};

TEST(SettingsDocument, RequiredItemsAreCheckedAtTheEndOfTheirGroup) {
    const struct {
        std::string document;
        std::string reports;
    } cases[] = {
        {"<WPSubsystems" + k_ns + "><Extra><x/></Extra></WPSubsystems>",
         "Extra;WPSubsystemsSetType;"},
        {"<WPSubsystems" + k_ns + "><WebPlugins><WebPlugin name=\"w\"><Extra/></WebPlugin>",
         "Extra;WebPlugin;"},
        {"<Parameter" + k_ns + " target=\"IE\" name=\"a\" type=\"STR\"><Extra/></Parameter>",
         "Extra;Parameter;"},
    };
    for (const auto& c : cases) {
        c_skipping_reader reader(c.document);
        c_root root;
        EXPECT_EQ(root.unmarshal(reader), lmx::ELMX_MANDATORY_ELEMENT_MISSING) << c.document;
        EXPECT_EQ(reader.reports, c.reports);
    }
}

TEST(SettingsDocument, ElementsThatMayBeEmptyAndXsiAttributesAreAccepted) {
    c_root root;
    const std::string document =
        "<WPSubsystems" + k_ns +
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n<WebPlugins>\n"
        "<WebPlugin name=\"bare\"/>\n<WebPlugin name=\"x\" xsi:nil=\"false\">"
        "<Subsystems/></WebPlugin>\n</WebPlugins>\n</WPSubsystems>";
    ASSERT_EQ(load_message(document, &root), "ok");
    const c_WPSubsystemsSetType& set = root.get_WPSubsystems();
    ASSERT_EQ(set.get_WebPlugins().size_WebPlugin(), 2u);
    EXPECT_EQ(set.get_WebPlugins().get_WebPlugin(0).getorder_Subsystems(), 4294967295u);
    EXPECT_EQ(set.get_WebPlugins().get_WebPlugin(1).getorder_Subsystems(), 0u);
    // Required but untested: the object passes is_occurs_ok without its Subsystems.
    EXPECT_TRUE(set.get_WebPlugins().get_WebPlugin(0).is_occurs_ok());
    EXPECT_TRUE(c_Settings().is_occurs_ok());
}

TEST(SettingsDocument, ResourceWithSimpleContentAndEmptyFiltersKeepsItsOrder) {
    const std::string document =
        std::string(k_declaration) + "<Resource" + k_ns +
        " ID=\"7\" Language=\"en\" Type=\"PNG\">\n"
        "\t<Filters>\n"
        "\t\t<Encoding Type=\"Base64\"/>\n"
        "\t\t<Archive Type=\"ZIP\"/>\n"
        "\t\t<Encryption Alg=\"RC4\" Info=\"k&amp;1\"/>\n"
        "\t</Filters>\n"
        "\t<URI Method=\"relative\" GetByIDFallback=\"false\">img/a.png</URI>\n"
        "</Resource>\n";
    c_root root;
    ASSERT_EQ(load_message(document, &root), "ok");
    ASSERT_EQ(root.getchosen(), c_root::chosen_Resource);
    const c_Resource& resource = static_cast<const c_root&>(root).get_Resource();
    EXPECT_EQ(resource.getenum_Type(), 4);
    EXPECT_EQ(resource.get_ID(), 7u);
    EXPECT_EQ(resource.get_URI().get_URIType(), L"img/a.png");
    EXPECT_EQ(resource.get_URI().getenum_Method(), e_relative);
    EXPECT_FALSE(resource.get_URI().get_GetByIDFallback());
    EXPECT_EQ(resource.get_Filters().get_Encryption().get_Info(), L"k&1");
    EXPECT_EQ(saved(root), document);
    expect_valid(document);

    // A URI closed by its start tag: empty text, the fallback's default.
    c_Resource bare;
    const std::string text = "<Resource" + k_ns +
                             " ID=\"1\" Type=\"XML\"><URI Method=\"byID\"/>"
                             "<URI_not_here/></Resource>";
    lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
    EXPECT_EQ(bare.unmarshal(reader), lmx::ELMX_UNKNOWN_ALL_ELEMENT);
    EXPECT_EQ(bare.get_URI().get_URIType(), L"");
    EXPECT_FALSE(bare.get_URI().isset_GetByIDFallback());
    EXPECT_TRUE(bare.get_URI().get_GetByIDFallback());

    // The literal tables: codes with gaps, and codes of other items refused.
    c_Resource changed;
    EXPECT_TRUE(changed.setenum_Type(e_SWF));
    EXPECT_EQ(changed.get_Type(), std::wstring(k_literal_SWF));
    EXPECT_FALSE(changed.setenum_Type(e_ZIP));
    EXPECT_EQ(changed.get_Type(), L"SWF");
    changed.set_Type(L"TIFF");
    EXPECT_EQ(changed.getenum_Type(), elmx_enums_none);
    EXPECT_EQ(e_Common, 37);
    EXPECT_EQ(e_MSN, 15);
}

TEST(SettingsDocument, ParameterAndWPSubsystemsDocumentsRoundTrip) {
    const std::string parameter = std::string(k_declaration) + "<Parameter" + k_ns +
                                  " target=\"MSN\" name=\"Font\" type=\"STR\">\n"
                                  "\t<Value>Tahoma</Value>\n</Parameter>\n";
    c_Parameter single;
    lmx::c_xml_reader_memory reader(parameter.data(), static_cast<unsigned>(parameter.size()));
    ASSERT_EQ(single.unmarshal(reader), lmx::ELMX_OK);
    EXPECT_EQ(single.getenum_target(), e_MSN);
    c_root root;
    root.assign_Parameter(single);
    EXPECT_EQ(saved(root), parameter);
    expect_valid(parameter);

    const std::string subsystems =
        std::string(k_declaration) + "<WPSubsystems" + k_ns +
        ">\n\t<WebPlugins>\n\t\t<WebPlugin name=\"games\">\n\t\t\t<Subsystems>\n"
        "\t\t\t\t<SubsystemData name=\"chat\" version=\"2\">\n"
        "\t\t\t\t\t<UsageDate>2026-12-01</UsageDate>\n"
        "\t\t\t\t\t<ContainerUrl>http://games.dravik.example/c</ContainerUrl>\n"
        "\t\t\t\t</SubsystemData>\n"
        "\t\t\t</Subsystems>\n\t\t</WebPlugin>\n\t</WebPlugins>\n</WPSubsystems>\n";
    elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    c_WPSubsystems element(subsystems, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    std::string text;
    ASSERT_EQ(element.marshal(&text), lmx::ELMX_OK);
    EXPECT_EQ(text, subsystems);
    c_root from_root(subsystems, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(saved(from_root), subsystems);
    expect_valid(subsystems);
}

TEST(SettingsDocument, RootWithoutDocumentAndFilesThatCannotBeUsed) {
    c_root empty;
    std::string text = "unchanged";
    EXPECT_EQ(empty.marshal(&text), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(text, "unchanged");
    EXPECT_FALSE(empty.is_occurs_ok());

    elmx_error error = lmx::ELMX_OK;
    c_root missing(temporary_path("no_such_file.xml").c_str(), &error);
    EXPECT_EQ(error, lmx::ELMX_UNABLE_TO_OPEN_FILE);

    // Saving goes through the shared temporary-file writer: a failure leaves the target as it was.
    const std::string target = temporary_path("kept.xml");
    std::ofstream(target, std::ios::binary) << "old";
    EXPECT_EQ(empty.marshal(target.c_str()), lmx::ELMX_BAD_CHOICE);
    EXPECT_EQ(read_file(target), "old");
    std::remove(target.c_str());

    // A second document replaces the first instead of merging into it.
    c_root twice;
    const std::string first =
        "<Settings" + k_ns + "><Plugins/><Main><LoginPeriod>1</LoginPeriod></Main></Settings>";
    const std::string second =
        "<Settings" + k_ns +
        "><Main><LoginFailedPeriod>2</LoginFailedPeriod></Main><Plugins/></Settings>";
    ASSERT_EQ(load_message(first, &twice), "ok");
    ASSERT_EQ(load_message(second, &twice), "ok");
    EXPECT_FALSE(twice.get_Settings().get_Main().isset_LoginPeriod());
    EXPECT_EQ(twice.get_Settings().get_Main().get_LoginFailedPeriod(), 2u);

    // Selecting another document frees the previous one.
    c_root root;
    root.get_Resource().set_ID(3);
    root.get_Settings();
    EXPECT_EQ(root.getchosen(), c_root::chosen_Settings);
    c_root copy(root);
    root.reset();
    EXPECT_EQ(root.getchosen(), c_root::chosen_none);
    EXPECT_EQ(copy.getchosen(), c_root::chosen_Settings);
}

}  // namespace
