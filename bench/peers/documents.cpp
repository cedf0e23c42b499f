#include "documents.h"

namespace peers {

std::string make_flash_call(unsigned arguments) {
    std::string text = "<invoke name=\"f\" returntype=\"xml\"><arguments>";
    for (unsigned i = 0; i < arguments; ++i) {
        switch (i % 4) {
            case 0:
                text += "<number>" + std::to_string(i) + "</number>";
                break;
            case 1:
                text += "<string>value " + std::to_string(i) + "</string>";
                break;
            case 2:
                text += "<array><property id=\"0\"><true></true></property></array>";
                break;
            default:
                text += "<object><property id=\"k\"><null></null></property></object>";
                break;
        }
    }
    return text + "</arguments></invoke>";
}

namespace {

const char* const k_targets[] = {"Common", "Coordinator", "MSN", "Yahoo", "AOL",
                                 "IE",     "FF",          "OE",  "QQ"};
const char* const k_types[] = {"STR", "NUM", "BOOL"};

void append_plugin(unsigned index, std::string* text) {
    const std::string number = std::to_string(index);
    *text += "\t\t<Plugin Name=\"plugin-" + number + "\"";
    // One plugin in four gives no values and so takes all the defaults.
    if (index % 4 == 3) {
        *text += "/>\n";
        return;
    }
    *text += ">\n";
    *text += "\t\t\t<NudgeDelay>" + std::to_string(index % 60) + "</NudgeDelay>\n";
    *text += "\t\t\t<AwayMsgText>Back at " + number + " &amp; &lt;later&gt;</AwayMsgText>\n";
    *text += "\t\t\t<CurrentToolbar>" + std::to_string(index % 5) + "</CurrentToolbar>\n";
    *text += "\t\t\t<LandingPageURL>http://emoticons.dravik.example/" + number +
             "/landing?ref=%ref_id%</LandingPageURL>\n";
    *text += "\t\t\t<MSNPersonalText>Personal text of plugin " + number + "</MSNPersonalText>\n";
    *text += "\t\t\t<TAFPopupShown>true</TAFPopupShown>\n";
    *text +=
        "\t\t\t<InviteFrequencyDelay>" + std::to_string(1000 + index) + "</InviteFrequencyDelay>\n";
    *text += "\t\t</Plugin>\n";
}

void append_parameter(unsigned index, std::string* text) {
    *text += "\t\t<Parameter target=\"" + std::string(k_targets[index % 9]) + "\" name=\"name-" +
             std::to_string(index) + "\" type=\"" + k_types[index % 3] + "\">\n";
    *text += "\t\t\t<Value>value " + std::to_string(index * 7) + "</Value>\n";
    *text += "\t\t</Parameter>\n";
}

std::string resource(unsigned id, const std::string& indent) {
    static const char* const k_types[] = {"GIF", "PNG", "SWF", "WAV"};
    std::string text = indent + "<Resource ID=\"" + std::to_string(id) + "\" Type=\"" +
                       k_types[id % 4] + "\">\n" + indent +
                       "\t<URI Method=\"absolute\">http://content.dravik.example/r/" +
                       std::to_string(id) + ".bin</URI>\n";
    if (id % 3 == 0)
        text += indent + "\t<Filters>\n" + indent + "\t\t<Archive Type=\"ZIP\"/>\n" + indent +
                "\t\t<Encoding Type=\"Base64\"/>\n" + indent + "\t</Filters>\n";
    return text + indent + "</Resource>\n";
}

}  // namespace

std::string make_toolbar_document(unsigned buttons) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<Toolbar xmlns=\"http://www.dravik.example/schemas\">\n"
                       "\t<ToolbarHeader ID=\"1\" Language=\"en\">\n" +
                       resource(0, "\t\t") + "\t</ToolbarHeader>\n\t<ToolbarElements>\n";
    for (unsigned i = 0; i < buttons; ++i) {
        const std::string n = std::to_string(i);
        text += "\t\t<ToolbarElement>\n\t\t\t<Button>\n"
                "\t\t\t\t<MnemonicID>button" + n + "</MnemonicID>\n"
                "\t\t\t\t<AccName>Button " + n + "</AccName>\n"
                "\t\t\t\t<AccDesc>Opens the gallery &amp; more</AccDesc>\n"
                "\t\t\t\t<CommandsSet>\n"
                "\t\t\t\t\t<ClientCommand Target=\"DravikUI\">\n"
                "\t\t\t\t\t\t<PerformPickupWindowCommand><Show><SetFocus>true</SetFocus>"
                "</Show></PerformPickupWindowCommand>\n"
                "\t\t\t\t\t</ClientCommand>\n"
                "\t\t\t\t</CommandsSet>\n"
                "\t\t\t\t<Text>Gallery " + n + "</Text>\n" +
                resource(i + 1, "\t\t\t\t") +
                "\t\t\t\t<Width>24</Width>\n"
                "\t\t\t</Button>\n\t\t</ToolbarElement>\n";
        if (i % 10 == 9) text += "\t\t<ToolbarElement>\n\t\t\t<Separator/>\n\t\t</ToolbarElement>\n";
    }
    return text + "\t</ToolbarElements>\n\t<Height>28</Height>\n</Toolbar>\n";
}

std::string make_resources_document(unsigned resources) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<Emoticon xmlns=\"http://www.dravik.example/schemas\">\n"
                       "\t<EmoticonHeader ID=\"7\">\n\t\t<Name>Smile</Name>\n" +
                       resource(0, "\t\t") +
                       "\t</EmoticonHeader>\n\t<ContentData>\n\t\t<Resources>\n";
    for (unsigned i = 0; i < resources; ++i)
        text += resource(i + 1, "\t\t\t");
    return text + "\t\t</Resources>\n\t</ContentData>\n</Emoticon>\n";
}

std::string make_commands_document(unsigned commands) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<CommandsSet xmlns=\"http://www.dravik.example/schemas\">\n";
    for (unsigned i = 0; i < commands; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 5) {
            case 0:
                text += "\t<ClientCommand Target=\"MSN\" Context=\"" + n +
                        "\">\n\t\t<ExploreURL>\n\t\t\t<URL>http://www.dravik.example/p/" + n +
                        "</URL>\n\t\t</ExploreURL>\n\t</ClientCommand>\n";
                break;
            case 1:
                text += "\t<ClientCommand Target=\"DravikUI\">\n\t\t<PerformPickupWindowCommand>\n"
                        "\t\t\t<Move>\n\t\t\t\t<Left>10</Left>\n\t\t\t\t<Top>20</Top>\n"
                        "\t\t\t\t<Width>300</Width>\n\t\t\t\t<Height>" + n +
                        "</Height>\n\t\t\t</Move>\n\t\t</PerformPickupWindowCommand>\n"
                        "\t</ClientCommand>\n";
                break;
            case 2:
                text += "\t<ClientCommand Target=\"Any\">\n\t\t<ShowAboutBox>version <b>2</b>"
                        "</ShowAboutBox>\n\t</ClientCommand>\n";
                break;
            case 3:
                text += "\t<ClientCommand Target=\"Yahoo\">\n\t\t<SetSessionParams>\n"
                        "\t\t\t<ToolbarWebSize>\n\t\t\t\t<cx>" + n +
                        "</cx>\n\t\t\t\t<cy>-1</cy>\n\t\t\t</ToolbarWebSize>\n"
                        "\t\t</SetSessionParams>\n\t</ClientCommand>\n";
                break;
            default:
                text += "\t<WebCommand>\n\t\t<DoNavigate>\n\t\t\t<URL>http://www.dravik.example/w/" +
                        n + "</URL>\n\t\t</DoNavigate>\n\t</WebCommand>\n";
                break;
        }
    }
    return text + "</CommandsSet>\n";
}

std::string make_local_messages_document(unsigned messages) {
    static const char* const k_kinds[] = {"<Ok/>", "<Yes/>", "<No/>", "<Cancel/>", "<User/>"};
    static const char* const k_icons[] = {"Error", "Info", "Question"};
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<LocalMessages xmlns=\"http://www.dravik.example/schemas\">\n";
    for (unsigned i = 0; i < messages; ++i) {
        const std::string n = std::to_string(i);
        text += "\t<LocalMessage Language=\"en\">\n\t\t<Text>Message " + n +
                ": a new pack of winks &amp; nudges is ready</Text>\n";
        if (i % 2 == 0) text += "\t\t<Explanation>Open the gallery to see it.</Explanation>\n";
        for (unsigned b = 0; b <= i % 3; ++b)
            text += std::string("\t\t<Button>\n\t\t\t<ButtonType CustomText=\"Choice\">\n\t\t\t\t") +
                    k_kinds[(i + b) % 5] + "\n\t\t\t</ButtonType>\n\t\t</Button>\n";
        text += std::string("\t\t<Icon>") + k_icons[i % 3] + "</Icon>\n\t\t<ID>" + n +
                "</ID>\n\t</LocalMessage>\n";
    }
    return text + "</LocalMessages>\n";
}

std::string make_settings_document(unsigned plugins) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Settings xmlns=\"http://www.dravik.example/schemas\">\n"
        "\t<Main>\n"
        "\t\t<LoginPeriod>60</LoginPeriod>\n"
        "\t\t<IsHomePageNeverDisturb>true</IsHomePageNeverDisturb>\n"
        "\t\t<ClientID>{6F1E-22}</ClientID>\n"
        "\t\t<RepositoryURL>http://mirror.dravik.example/zip</RepositoryURL>\n"
        "\t</Main>\n"
        "\t<Plugins>\n";
    for (unsigned i = 0; i < plugins; ++i)
        append_plugin(i, &text);
    text += "\t</Plugins>\n\t<WebSettings>\n";
    const unsigned web_parameters = plugins - plugins / 4;
    for (unsigned i = 0; i < web_parameters; ++i)
        append_parameter(i, &text);
    text += "\t</WebSettings>\n\t<NonPermanentSettings>\n";
    for (unsigned i = web_parameters; i < plugins; ++i)
        append_parameter(i, &text);
    return text + "\t</NonPermanentSettings>\n</Settings>\n";
}

std::string make_empty_plugins_document(unsigned plugins) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Settings xmlns=\"http://www.dravik.example/schemas\">"
        "<Main><LoginPeriod>60</LoginPeriod></Main><Plugins>";
    const std::string plugin = "<Plugin Name=\"A\"/>";
    text.reserve(text.size() + plugins * plugin.size() + 32);
    for (unsigned i = 0; i < plugins; ++i)
        text += plugin;
    return text + "</Plugins></Settings>\n";
}

}  // namespace peers
