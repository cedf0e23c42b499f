// Random text through every free-text string item of both schemas: values set through the
// accessors are saved, loaded again and compared with what XML can carry, and every saved
// document must also be well-formed (and valid) for another parser, xmllint. Text written from
// UTF-8 takes the same trip through hand-made documents. The seeds are fixed, so a failure repeats.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Generated/DravikSettings.h"
#include "Generated/flash-invoke.h"
#include "lmx/writer.h"
#include "saved_documents.h"

namespace ds = DravikSettings;
namespace fl = flash_lmx;

namespace {

// ---- What a value reads back as -------------------------------------------------------------

// How the item's type treats white space when it is read.
enum class e_facet { preserve, collapse };

const wchar_t k_replacement = 0xFFFD;

bool is_high_surrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The characters an XML 1.0 document can carry.
bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void append_utf16(char32_t code_point, std::wstring* text) {
    if (code_point < 0x10000) {
        *text += static_cast<wchar_t>(code_point);
    } else {
        code_point -= 0x10000;
        *text += static_cast<wchar_t>(0xD800 + (code_point >> 10));
        *text += static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF));
    }
}

void append_utf8(char32_t code_point, std::string* text) {
    if (code_point < 0x80) {
        *text += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        *text += static_cast<char>(0xC0 | (code_point >> 6));
        *text += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        *text += static_cast<char>(0xE0 | (code_point >> 12));
        *text += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        *text += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        *text += static_cast<char>(0xF0 | (code_point >> 18));
        *text += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        *text += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        *text += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

// A UTF-16 value as saved and read again: U+FFFD for each unit of a character XML cannot
// carry, an unpaired surrogate included.
std::wstring carried(const std::wstring& value) {
    std::wstring result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char32_t unit = static_cast<char32_t>(value[i]);
        if (is_high_surrogate(unit) && i + 1 < value.size() &&
            is_low_surrogate(static_cast<char32_t>(value[i + 1]))) {
            result += value[i];
            result += value[++i];
        } else {
            result += is_xml_char(unit) ? value[i] : k_replacement;
        }
    }
    return result;
}

// The character whose well-formed UTF-8 sequence starts at text[pos], with the sequence's length;
// a length of 0 when the bytes there are not one (malformed, overlong, a surrogate, too large).
std::pair<char32_t, std::size_t> utf8_char_at(const std::string& text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t code_point = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        return {lead, 1};
    } else if (lead >= 0xC0 && lead < 0xE0) {
        length = 2, code_point = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3, code_point = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF8) {
        length = 4, code_point = lead & 0x07, smallest = 0x10000;
    } else {
        return {0, 0};
    }
    if (pos + length > text.size()) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return {0, 0};
        code_point = (code_point << 6) | (byte(pos + i) & 0x3F);
    }
    if (code_point < smallest || code_point > 0x10FFFF ||
        (code_point >= 0xD800 && code_point <= 0xDFFF))
        return {0, 0};
    return {code_point, length};
}

// A UTF-8 value as saved and read again (as UTF-16): U+FFFD for each byte that does not begin
// the well-formed sequence of a character XML can carry.
std::wstring carried_utf8(const std::string& value) {
    std::wstring result;
    for (std::size_t pos = 0; pos < value.size();) {
        const auto found = utf8_char_at(value, pos);
        if (found.second == 0 || !is_xml_char(found.first)) {
            result += k_replacement;
            ++pos;
        } else {
            append_utf16(found.first, &result);
            pos += found.second;
        }
    }
    return result;
}

bool only_xml_chars(const std::string& value) {
    for (std::size_t pos = 0; pos < value.size();) {
        const auto found = utf8_char_at(value, pos);
        if (found.second == 0 || !is_xml_char(found.first)) return false;
        pos += found.second;
    }
    return true;
}

std::wstring after_facet(const std::wstring& value, e_facet facet) {
    if (facet == e_facet::preserve) return value;
    std::wstring result;
    bool space_pending = false;
    for (const wchar_t c : value) {
        if (c == L' ' || c == L'\t' || c == L'\n' || c == L'\r') {
            space_pending = !result.empty();
            continue;
        }
        if (space_pending) result += L' ';
        space_pending = false;
        result += c;
    }
    return result;
}

// Printable ASCII as it is, everything else as \uXXXX, so that differences are readable.
std::string shown(const std::wstring& text) {
    std::string result = "\"";
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'\\') {
            result += static_cast<char>(c);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            result += escape;
        }
    }
    return result + "\"";
}

std::string shown_bytes(const std::string& text) {
    std::string result = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            result += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
            result += escape;
        }
    }
    return result + "\"";
}

// ---- Random values ----------------------------------------------------------------------------

// Values every item gets first: each piece that matters at least once, whatever the seed.
std::vector<std::wstring> fixed_samples() {
    std::wstring ascii;
    for (wchar_t c = 0; c < 0x80; ++c)
        ascii += c;
    std::wstring c1;
    for (wchar_t c = 0x80; c < 0xA0; ++c)
        c1 += c;
    return {
        L"",
        ascii,
        L"   lead and trail   ",
        L"a\r\nb\rc\nd\te \r\n",
        L"]]> \"'&<> &amp; &#13; <![CDATA[x]]>",
        c1 + L"\x85|\x2028|\x2029",
        L"\xFFFD\xFFFE\xFFFF",
        L"\xD800 \xDBFF|\xDC00 \xDFFF|\xDC00\xD800",
        L"\xD800\xDC00\xDBFF\xDFFF\xD83D\xDE00",  // U+10000, U+10FFFF, U+1F600
        L"\t\n\r",
    };
}

class c_random_text {
public:
    explicit c_random_text(unsigned seed) : m_random(seed) {}

    unsigned below(unsigned count) {
        return std::uniform_int_distribution<unsigned>(0, count - 1)(m_random);
    }

    std::wstring wide() {
        std::wstring text = margin();
        const unsigned pieces = below(4) == 0 ? below(40) : below(10);
        for (unsigned i = 0; i < pieces; ++i)
            add_wide_piece(&text);
        return text + margin();
    }

    // Valid UTF-8, of code points XML may or may not carry; with_bad_bytes mixes in bytes that
    // do not begin a well-formed sequence.
    std::string narrow(bool with_bad_bytes) {
        std::string text;
        const unsigned pieces = below(12);
        for (unsigned i = 0; i < pieces; ++i) {
            if (with_bad_bytes && below(3) == 0) {
                text += bad_bytes();
            } else {
                std::wstring piece;
                add_wide_piece(&piece);
                for (std::size_t k = 0; k < piece.size(); ++k) {
                    char32_t unit = static_cast<char32_t>(piece[k]);
                    if (is_high_surrogate(unit) && k + 1 < piece.size() &&
                        is_low_surrogate(static_cast<char32_t>(piece[k + 1]))) {
                        const auto low = static_cast<char32_t>(piece[++k]);
                        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
                        continue;  // not a character: left to bad_bytes()
                    }
                    append_utf8(unit, &text);
                }
            }
        }
        return text;
    }

private:
    std::wstring margin() { return below(4) == 0 ? std::wstring(1 + below(4), L' ') : L""; }

    char32_t astral() {
        switch (below(4)) {
            case 0:
                return 0x10000;
            case 1:
                return 0x10FFFF;
            default:
                return 0x10000 + below(0x100000);
        }
    }

    void add_wide_piece(std::wstring* text) {
        static const wchar_t* const k_white[] = {L" ", L"\t", L"\n", L"\r", L"\r\n", L"    "};
        static const wchar_t* const k_markup[] = {L"]]>", L"]]", L"\"",    L"'",     L"&",
                                                  L"<",   L">",  L"&amp;", L"&#13;", L"-->"};
        static const wchar_t* const k_words[] = {L"abc", L"caf\u00e9", L"\u65e5\u672c", L"x y"};
        switch (below(10)) {
            case 0:
                *text += static_cast<wchar_t>(below(0x80));
                break;
            case 1:
                *text += k_white[below(6)];
                break;
            case 2:
                *text += k_markup[below(10)];
                break;
            case 3: {
                static const wchar_t k_separators[] = {0x85, 0x2028, 0x2029};
                *text += below(2) == 0 ? static_cast<wchar_t>(0x80 + below(0x20))
                                       : k_separators[below(3)];
                break;
            }
            case 4:
                *text += static_cast<wchar_t>(0xFFFD + below(3));
                break;
            case 5:
                // Unpaired surrogates, and a low one before a high one.
                *text += static_cast<wchar_t>((below(2) == 0 ? 0xD800 : 0xDC00) + below(0x400));
                break;
            case 6:
                *text += static_cast<wchar_t>(below(0x10000));
                break;
            case 7:
                append_utf16(astral(), text);
                break;
            default:
                *text += k_words[below(4)];
                break;
        }
    }

    std::string bad_bytes() {
        static const char* const k_bad[] = {
            "\xC0\x80",          // overlong
            "\xC1\xBF",          // overlong
            "\xE0\x80\x80",      // overlong
            "\xF0\x8F\xBF\xBF",  // overlong
            "\xED\xA0\x80",      // a surrogate
            "\xED\xBF\xBF",      // a surrogate
            "\xF4\x90\x80\x80",  // beyond U+10FFFF
            "\xE2\x82",          // cut short
            "\xF0\x9F\x98",      // cut short
            "\xEF\xBF\xBE",      // U+FFFE
        };
        switch (below(4)) {
            case 0:
                return std::string(1,
                                   static_cast<char>(0x80 + below(0x40)));  // a lone continuation
            case 1:
                return std::string(1, static_cast<char>(0xF5 + below(11)));  // never in UTF-8
            default:
                return k_bad[below(10)];
        }
    }

    std::mt19937 m_random;
};

// Hands each item the fixed samples first, then random values.
class c_value_source {
public:
    explicit c_value_source(unsigned seed) : m_random(seed), m_samples(fixed_samples()) {}

    std::wstring next(const std::string& item, bool empty_allowed) {
        unsigned& served = m_served[item];
        std::wstring value;
        do {
            value = served < m_samples.size() ? m_samples[served] : m_random.wide();
            ++served;
        } while (value.empty() && !empty_allowed);
        return value;
    }

    const std::map<std::string, unsigned>& served() const { return m_served; }
    std::size_t sample_count() const { return m_samples.size(); }

private:
    c_random_text m_random;
    std::vector<std::wstring> m_samples;
    std::map<std::string, unsigned> m_served;
};

// ---- Round trips ------------------------------------------------------------------------------

// Reports the first differences of each item in full and counts the rest, so that one
// systematic fault does not bury the others.
class c_comparison {
public:
    void expect(const std::string& item, const std::string& original, const std::wstring& expected,
                const std::wstring& actual) {
        ++m_checked;
        if (actual == expected) return;
        if (++m_failures[item] <= 3)
            ADD_FAILURE() << item << "\n   set: " << original << "\n  read: " << shown(actual)
                          << "\n  want: " << shown(expected);
    }
    unsigned checked() const { return m_checked; }

    ~c_comparison() {
        for (const auto& failed : m_failures)
            if (failed.second > 3)
                ADD_FAILURE() << failed.first << ": " << failed.second << " values differ in all";
    }

private:
    unsigned m_checked = 0;
    std::map<std::string, unsigned> m_failures;
};

// A string item of class T: its name in reports, its accessors and what reading does to it.
template <typename T>
struct s_item {
    const char* name;
    lmx::elmx_error (T::*set)(const std::wstring&);
    const std::wstring& (T::*get)() const;
    e_facet facet;
    // What an empty element with a default reads back as is a matter of defaults, not of text:
    // such items get no empty values.
    bool has_default;
};

// Values set on the document Root and read back from a saved and reloaded copy of it.
template <typename Root>
class c_round_trip {
public:
    // values may be null when every value is written by hand (expect).
    explicit c_round_trip(c_value_source* values) : m_values(values) {}

    // Sets the next value of values on object, which locate finds in the reloaded document.
    template <typename Object, typename T, typename Locate>
    void set(Object& object, const s_item<T>& item, Locate locate) {
        const std::wstring value = m_values->next(item.name, !item.has_default);
        ASSERT_EQ((static_cast<T&>(object).*item.set)(value), lmx::ELMX_OK) << item.name;
        const auto get = item.get;
        m_expected.push_back({item.name, shown(value), after_facet(carried(value), item.facet),
                              [locate, get](const Root& root) -> const std::wstring& {
                                  return (locate(root).*get)();
                              }});
    }

    // Saves root, loads the text and compares every value set since the last check. The text
    // goes to documents for xmllint.
    void check(const Root& root, c_comparison* comparison, std::vector<std::string>* documents) {
        std::string text;
        ASSERT_EQ(root.marshal(&text), lmx::ELMX_OK);
        documents->push_back(text);
        expect_read_back(text, comparison);
    }

    // Loads text (however written) and compares every value set since the last check.
    void expect_read_back(const std::string& text, c_comparison* comparison) {
        Root loaded;
        lmx::c_xml_reader_memory reader(text.data(), static_cast<unsigned>(text.size()));
        if (loaded.unmarshal(reader) != lmx::ELMX_OK) {
            std::string message;
            ADD_FAILURE() << *reader.get_error_message(&message) << "\n" << shown_bytes(text);
        } else {
            for (const auto& value : m_expected)
                comparison->expect(value.item, value.original, value.expected, value.read(loaded));
        }
        m_expected.clear();
    }

    // For values written by hand rather than set: original shows what was written.
    template <typename Locate>
    void expect(const std::string& item, const std::string& original, const std::wstring& expected,
                Locate locate) {
        m_expected.push_back({item, original, expected, locate});
    }

private:
    struct s_expected {
        std::string item;
        std::string original;
        std::wstring expected;
        std::function<const std::wstring&(const Root&)> read;
    };

    c_value_source* m_values;
    std::vector<s_expected> m_expected;
};

// Runs xmllint once over all the documents; with a schema file (in the repository's schemas
// folder) it also validates them. Documents that fail are left in the temporary folder.
void expect_well_formed(const std::vector<std::string>& documents, const std::string& tag,
                        const std::string& schema_file = std::string()) {
    const std::string stem = lmx_test::temporary_path("value_round_trip_" + tag);
    std::string command = "xmllint --noout";
    if (!schema_file.empty()) {
        const std::string data = LMX_TEST_DATA_DIR;
        command +=
            " --schema '" + data.substr(0, data.rfind("/tests/")) + "/schemas/" + schema_file + "'";
    }
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        paths.push_back(stem + "_" + std::to_string(i) + ".xml");
        std::ofstream(paths.back(), std::ios::binary) << documents[i];
        command += " '" + paths.back() + "'";
    }
    const std::string log = stem + ".log";
    command += " >'" + log + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << lmx_test::read_file(log).substr(0, 4000);
    if (status == 0) {
        for (const std::string& path : paths)
            std::remove(path.c_str());
    }
    std::remove(log.c_str());
}

void expect_every_item_served(const c_value_source& values, std::size_t items) {
    EXPECT_EQ(values.served().size(), items);
    for (const auto& item : values.served())
        EXPECT_GE(item.second, values.sample_count()) << item.first;
}

// ---- The items ----------------------------------------------------------------------------

constexpr e_facet k_preserve = e_facet::preserve;

const s_item<fl::c_FlashInvokeType> k_invoke_name{"invoke@name", &fl::c_FlashInvokeType::set_name,
                                                  &fl::c_FlashInvokeType::get_name, k_preserve,
                                                  false};
const s_item<fl::c_FlashClass> k_flash_string{"string", &fl::c_FlashClass::set_string,
                                              &fl::c_FlashClass::get_string, k_preserve, false};
const s_item<fl::c_FlashObjectType::c_property_2> k_property_id{
    "object/property@id", &fl::c_FlashObjectType::c_property_2::set_id,
    &fl::c_FlashObjectType::c_property_2::get_id, k_preserve, false};

using c_plugin = ds::c_Settings::c_Plugins::c_Plugin;
const s_item<c_plugin> k_plugin_items[] = {
    {"Plugin@Name", &c_plugin::set_Name, &c_plugin::get_Name, k_preserve, false},
    {"MiniSiteURL", &c_plugin::set_MiniSiteURL, &c_plugin::get_MiniSiteURL, k_preserve, false},
    {"LandingPageURL", &c_plugin::set_LandingPageURL, &c_plugin::get_LandingPageURL, k_preserve,
     true},
    {"NackMessage", &c_plugin::set_NackMessage, &c_plugin::get_NackMessage, k_preserve, true},
    {"NonDravikClientMessage", &c_plugin::set_NonDravikClientMessage,
     &c_plugin::get_NonDravikClientMessage, k_preserve, true},
    {"FlashInstallURL", &c_plugin::set_FlashInstallURL, &c_plugin::get_FlashInstallURL, k_preserve,
     true},
    {"FriendshipMessage", &c_plugin::set_FriendshipMessage, &c_plugin::get_FriendshipMessage,
     k_preserve, true},
    {"TAFPopupShown", &c_plugin::set_TAFPopupShown, &c_plugin::get_TAFPopupShown, k_preserve, true},
    {"AwayMsgText", &c_plugin::set_AwayMsgText, &c_plugin::get_AwayMsgText, k_preserve, false},
    {"AwayMsgStamp", &c_plugin::set_AwayMsgStamp, &c_plugin::get_AwayMsgStamp, k_preserve, true},
    {"MSNPersonalText", &c_plugin::set_MSNPersonalText, &c_plugin::get_MSNPersonalText, k_preserve,
     true},
    {"WLMFirstRun", &c_plugin::set_WLMFirstRun, &c_plugin::get_WLMFirstRun, k_preserve, true},
    {"AwayMsgIsEnabled", &c_plugin::set_AwayMsgIsEnabled, &c_plugin::get_AwayMsgIsEnabled,
     k_preserve, true},
    {"BoundingChars", &c_plugin::set_BoundingChars, &c_plugin::get_BoundingChars, k_preserve,
     false},
};

using c_main = ds::c_Settings::c_Main;
const s_item<c_main> k_main_items[] = {
    {"ClientID", &c_main::set_ClientID, &c_main::get_ClientID, k_preserve, false},
    {"UpdateTrayNotificationURL", &c_main::set_UpdateTrayNotificationURL,
     &c_main::get_UpdateTrayNotificationURL, k_preserve, false},
    {"RepositoryURL", &c_main::set_RepositoryURL, &c_main::get_RepositoryURL, k_preserve, true},
    {"TutorialURL", &c_main::set_TutorialURL, &c_main::get_TutorialURL, k_preserve, false},
    {"Referral", &c_main::set_Referral, &c_main::get_Referral, k_preserve, false},
    {"Environment", &c_main::set_Environment, &c_main::get_Environment, k_preserve, false},
};

const s_item<ds::c_Parameter> k_parameter_items[] = {
    {"Parameter@name", &ds::c_Parameter::set_name, &ds::c_Parameter::get_name, k_preserve, false},
    {"Value", &ds::c_Parameter::set_Value, &ds::c_Parameter::get_Value, k_preserve, false},
};

const s_item<ds::c_Resource> k_language{"Resource@Language", &ds::c_Resource::set_Language,
                                        &ds::c_Resource::get_Language, k_preserve, false};
// xs:anyURI: white space collapsed.
const s_item<ds::c_URIType> k_uri{"URI", &ds::c_URIType::set_URIType, &ds::c_URIType::get_URIType,
                                  e_facet::collapse, false};
using c_encryption = ds::c_Resource::c_Filters::c_Encryption;
const s_item<c_encryption> k_encryption_info{"Encryption@Info", &c_encryption::set_Info,
                                             &c_encryption::get_Info, k_preserve, false};

using c_web_plugin = ds::c_WPSubsystemsSetType::c_WebPlugins::c_WebPlugin;
const s_item<c_web_plugin> k_web_plugin_name{"WebPlugin@name", &c_web_plugin::set_name,
                                             &c_web_plugin::get_name, k_preserve, false};
using c_subsystem = ds::c_WPSubsystemDataType;
const s_item<c_subsystem> k_subsystem_items[] = {
    {"SubsystemData@name", &c_subsystem::set_name, &c_subsystem::get_name, k_preserve, false},
    {"SubsystemData@version", &c_subsystem::set_version, &c_subsystem::get_version, k_preserve,
     false},
    {"ContainerUrl", &c_subsystem::set_ContainerUrl, &c_subsystem::get_ContainerUrl, k_preserve,
     false},
    {"JSSourceURL", &c_subsystem::set_JSSourceURL, &c_subsystem::get_JSSourceURL, k_preserve,
     false},
    {"UsageDate", &c_subsystem::set_UsageDate, &c_subsystem::get_UsageDate, k_preserve, false},
};

const char k_flash_schema[] = "flash.xsd";
const char k_settings_schema[] = "DravikSettings.xsd";

}  // namespace

TEST(ValueRoundTrip, FlashNamesIdsAndStringsReadBackAsSaved) {
    c_value_source values(0x5eed0001u);
    c_round_trip<fl::c_invoke> trip(&values);
    c_comparison comparison;
    std::vector<std::string> documents;
    for (unsigned round = 0; round < 12; ++round) {
        fl::c_invoke invoke;
        trip.set(invoke, k_invoke_name,
                 [](const fl::c_invoke& root) -> const fl::c_invoke& { return root; });
        invoke.set_returntype();
        auto& arguments = invoke.get_arguments();
        for (unsigned i = 0; i < 24; ++i) {
            ASSERT_EQ(arguments.append_FlashClass(), lmx::ELMX_OK);
            const auto argument = [i](const fl::c_invoke& root) -> const auto& {
                return root.get_arguments().get_FlashClass(i);
            };
            if (i % 3 != 2) {
                trip.set(arguments.back_FlashClass(), k_flash_string, argument);
                continue;
            }
            // Ids in attributes, strings one level down.
            auto& object = arguments.back_FlashClass().get_object();
            for (unsigned k = 0; k < 4; ++k) {
                ASSERT_EQ(object.append_property(), lmx::ELMX_OK);
                const auto property = [ argument, k ](const fl::c_invoke& root) -> const auto& {
                    return argument(root).get_object().get_property(k);
                };
                trip.set(object.back_property(), k_property_id, property);
                trip.set(
                    object.back_property().get_FlashClass(),
                    k_flash_string, [property](const fl::c_invoke& root) -> const auto& {
                        return property(root).get_FlashClass();
                    });
            }
        }
        trip.check(invoke, &comparison, &documents);
    }
    EXPECT_EQ(comparison.checked(), 12u * 81u);
    expect_every_item_served(values, 3);
    expect_well_formed(documents, "flash", k_flash_schema);
}

TEST(ValueRoundTrip, SettingsTextsAttributesAndUrisReadBackAsSaved) {
    c_value_source values(0x5eed0002u);
    c_comparison comparison;
    std::vector<std::string> documents;

    c_round_trip<ds::c_root> trip(&values);
    for (unsigned round = 0; round < 10; ++round) {
        ds::c_root root;
        ds::c_Settings& settings = root.get_Settings();
        for (unsigned p = 0; p < 4; ++p) {
            ASSERT_EQ(settings.get_Plugins().append_Plugin(), lmx::ELMX_OK);
            c_plugin& plugin = settings.get_Plugins().back_Plugin();
            for (const auto& item : k_plugin_items)
                trip.set(
                    plugin, item, [p](const ds::c_root& loaded) -> const auto& {
                        return loaded.get_Settings().get_Plugins().get_Plugin(p);
                    });
        }
        for (const auto& item : k_main_items)
            trip.set(
                settings.get_Main(), item, [](const ds::c_root& loaded) -> const auto& {
                    return loaded.get_Settings().get_Main();
                });
        for (unsigned k = 0; k < 4; ++k) {
            const bool web = k % 2 == 0;
            ds::c_ParametersSetType& set =
                web ? settings.get_WebSettings() : settings.get_NonPermanentSettings();
            ASSERT_EQ(set.append_Parameter(), lmx::ELMX_OK);
            ds::c_Parameter& parameter = set.back_Parameter();
            parameter.set_target(L"Common");
            parameter.set_type(L"STR");
            const unsigned index = k / 2;
            for (const auto& item : k_parameter_items)
                trip.set(
                    parameter, item, [ web, index ](const ds::c_root& loaded) -> const auto& {
                        const ds::c_Settings& loaded_settings = loaded.get_Settings();
                        return (web ? loaded_settings.get_WebSettings()
                                    : loaded_settings.get_NonPermanentSettings())
                            .get_Parameter(index);
                    });
        }
        trip.check(root, &comparison, &documents);
    }

    // A resource holds one value of each of its items: more documents, each small. Random text
    // is no URI, so these are checked for well-formedness only.
    std::vector<std::string> resources;
    for (unsigned round = 0; round < 14; ++round) {
        ds::c_root root;
        ds::c_Resource& resource = root.get_Resource();
        resource.set_ID(round);
        resource.set_Type(L"PNG");
        trip.set(
            resource, k_language,
            [](const ds::c_root& loaded) -> const auto& { return loaded.get_Resource(); });
        resource.get_URI().set_Method(L"absolute");
        trip.set(
            resource.get_URI(), k_uri, [](const ds::c_root& loaded) -> const auto& {
                return loaded.get_Resource().get_URI();
            });
        resource.get_Filters().get_Encryption().set_Alg(L"RC4");
        trip.set(
            resource.get_Filters().get_Encryption(), k_encryption_info,
            [](const ds::c_root& loaded) -> const auto& {
                return loaded.get_Resource().get_Filters().get_Encryption();
            });
        trip.check(root, &comparison, &resources);
    }

    for (unsigned round = 0; round < 4; ++round) {
        ds::c_root root;
        auto& web_plugins = root.get_WPSubsystems().get_WebPlugins();
        for (unsigned w = 0; w < 3; ++w) {
            ASSERT_EQ(web_plugins.append_WebPlugin(), lmx::ELMX_OK);
            c_web_plugin& web_plugin = web_plugins.back_WebPlugin();
            const auto located = [w](const ds::c_root& loaded) -> const auto& {
                return loaded.get_WPSubsystems().get_WebPlugins().get_WebPlugin(w);
            };
            trip.set(web_plugin, k_web_plugin_name, located);
            for (unsigned s = 0; s < 4; ++s) {
                ASSERT_EQ(web_plugin.get_Subsystems().append_SubsystemData(), lmx::ELMX_OK);
                for (const auto& item : k_subsystem_items)
                    trip.set(
                        web_plugin.get_Subsystems().back_SubsystemData(), item,
                        [ located, s ](const ds::c_root& loaded) -> const auto& {
                            return located(loaded).get_Subsystems().get_SubsystemData(s);
                        });
            }
        }
        trip.check(root, &comparison, &documents);
    }

    EXPECT_EQ(comparison.checked(), 10u * 70u + 14u * 3u + 4u * 63u);
    expect_every_item_served(values, 31);
    expect_well_formed(documents, "settings", k_settings_schema);
    expect_well_formed(resources, "resource");
}

// Text written from UTF-8, in an attribute and in element text, read back through the bound
// classes; for valid UTF-8 the writer writes exactly what it writes for the same text in UTF-16.
TEST(ValueRoundTrip, Utf8TextReadsBackWithOneReplacementPerByteXmlCannotCarry) {
    c_random_text random(0x5eed0003u);
    c_round_trip<fl::c_invoke> trip(nullptr);
    c_comparison comparison;
    std::vector<std::string> documents;
    for (unsigned round = 0; round < 10; ++round) {
        const bool with_bad_bytes = round % 2 == 1;
        std::ostringstream document;
        const std::string name = random.narrow(with_bad_bytes);
        document << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<invoke name=\""
                 << lmx::c_as_xml_attribute<std::string>(name) << "\" returntype=\"xml\">";
        trip.expect(
            "invoke@name", shown_bytes(name), carried_utf8(name),
            [](const fl::c_invoke& root) -> const std::wstring& { return root.get_name(); });
        document << "<arguments><object>";
        for (unsigned i = 0; i < 30; ++i) {
            const std::string id = random.narrow(with_bad_bytes);
            const std::string text = random.narrow(with_bad_bytes);
            document << "<property id=\"" << lmx::c_as_xml_attribute<std::string>(id)
                     << "\"><string>" << lmx::c_as_xml<std::string>(text) << "</string></property>";
            const auto property = [i](const fl::c_invoke& root) -> const auto& {
                return root.get_arguments().get_FlashClass(0).get_object().get_property(i);
            };
            trip.expect("object/property@id", shown_bytes(id), carried_utf8(id),
                        [property](const fl::c_invoke& root) -> const std::wstring& {
                            return property(root).get_id();
                        });
            trip.expect("string", shown_bytes(text), carried_utf8(text),
                        [property](const fl::c_invoke& root) -> const std::wstring& {
                            return property(root).get_FlashClass().get_string();
                        });
            if (!only_xml_chars(text)) continue;
            const std::wstring wide = carried_utf8(text);
            std::ostringstream from_utf8;
            std::ostringstream from_utf16;
            from_utf8 << lmx::c_as_xml<std::string>(text) << '|'
                      << lmx::c_as_xml_attribute<std::string>(text);
            from_utf16 << lmx::c_as_xml<std::wstring>(wide) << '|'
                       << lmx::c_as_xml_attribute<std::wstring>(wide);
            EXPECT_EQ(from_utf8.str(), from_utf16.str()) << shown_bytes(text);
        }
        document << "</object></arguments></invoke>\n";
        documents.push_back(document.str());
        trip.expect_read_back(document.str(), &comparison);
    }
    EXPECT_EQ(comparison.checked(), 10u * 61u);
    expect_well_formed(documents, "utf8", k_flash_schema);
}

// Fixed cases that pin down what the properties above compare against.
TEST(ValueRoundTrip, KnownValuesReadBackAsDocumented) {
    fl::c_invoke invoke;
    invoke.set_name(L"\t1\n2\r3\r\n4\x01\xFFFE\xDC00\xD83D\xDE00");
    invoke.set_returntype();
    // The NUL is inside: the text has a length.
    invoke.get_arguments().get_FlashClass(0).set_string(
        std::wstring(L"  \r\n\r \x00\xD800\x85\x2028]]>  ", 15));
    std::string text;
    ASSERT_EQ(invoke.marshal(&text), lmx::ELMX_OK);
    EXPECT_NE(text.find("name=\"&#9;1&#10;2&#13;3&#13;&#10;4\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                        "\xF0\x9F\x98\x80\""),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("<string>  &#13;\n&#13; \xEF\xBF\xBD\xEF\xBF\xBD\xC2\x85\xE2\x80\xA8]]&gt;  "
                  "</string>"),
        std::string::npos)
        << text;
    lmx::elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
    const fl::c_invoke loaded(text, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(shown(loaded.get_name()), shown(L"\t1\n2\r3\r\n4\xFFFD\xFFFD\xFFFD\xD83D\xDE00"));
    EXPECT_EQ(shown(loaded.get_arguments().get_FlashClass(0).get_string()),
              shown(std::wstring(L"  \r\n\r \xFFFD\xFFFD\x85\x2028]]>  ")));

    ds::c_URIType uri;
    uri.set_Method(L"JS");
    uri.set_URIType(L"\r\n a\t\t b \r");
    ds::c_root root;
    root.get_Resource().set_ID(1);
    root.get_Resource().set_Type(L"XML");
    root.get_Resource().assign_URI(uri);
    ASSERT_EQ(root.marshal(&text), lmx::ELMX_OK);
    const ds::c_root settings(text, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    EXPECT_EQ(settings.get_Resource().get_URI().get_URIType(), L"a b");

    std::ostringstream written;
    written << lmx::c_as_xml<std::string>(std::string("a\xC3\xA9\xE2\x82z\xED\xA0\x80\x01\r", 11));
    EXPECT_EQ(shown_bytes(written.str()),
              shown_bytes("a\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                          "\xEF\xBF\xBD&#13;"));
}
