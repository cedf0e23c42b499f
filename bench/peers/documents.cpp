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

}  // namespace

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

}  // namespace peers
