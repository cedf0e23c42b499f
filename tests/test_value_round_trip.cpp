// Random text through free-text string items of both schemas: values set through the accessors
// are saved, loaded again and compared with what XML can carry, and the saved documents must be
// well-formed (and valid) for another parser, xmllint. Text written from UTF-8 takes the same
// trip through hand-made documents. The seeds are fixed, so a failure repeats.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "Generated/DravikSettings.h"
#include "Generated/flash-invoke.h"
#include "lmx/writing/writer.h"
#include "saved_documents.h"

namespace ds = DravikSettings;
namespace fl = flash_lmx;

namespace {

bool in(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

// The characters an XML 1.0 document can carry.
bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || in(c, 0x20, 0xD7FF) || in(c, 0xE000, 0xFFFD) ||
           in(c, 0x10000, 0x10FFFF);
}

std::wstring utf16(char32_t c) {
    if (c < 0x10000) return std::wstring(1, wchar_t(c));
    return {wchar_t(0xD800 + ((c - 0x10000) >> 10)), wchar_t(0xDC00 + (c & 0x3FF))};
}

// A UTF-16 value as saved and read again: U+FFFD for each unit of a character XML cannot
// carry, an unpaired surrogate included.
std::wstring carried(const std::wstring& value) {
    std::wstring result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (in(value[i], 0xD800, 0xDBFF) && i + 1 < value.size() &&
            in(value[i + 1], 0xDC00, 0xDFFF)) {
            result += value.substr(i++, 2);
        } else {
            result += is_xml_char(value[i]) ? value[i] : wchar_t(0xFFFD);
        }
    }
    return result;
}

std::string utf8(char32_t c) {
    const unsigned length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    std::string text(1, char(length == 1 ? c : (0xF00 >> length) | (c >> (6 * (length - 1)))));
    for (unsigned i = length - 1; i > 0; --i)
        text += char(0x80 | ((c >> (6 * (i - 1))) & 0x3F));
    return text;
}

// A UTF-8 value as saved and read again (as UTF-16): U+FFFD for each byte that does not begin
// the well-formed sequence (the shortest, no surrogate, not past U+10FFFF) of an XML character.
std::wstring carried_utf8(const std::string& value) {
    std::wstring result;
    for (std::size_t pos = 0; pos < value.size();) {
        const unsigned lead = static_cast<unsigned char>(value[pos]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = lead & (0xFF >> (length + (length > 1)));
        for (std::size_t i = pos + 1; i < pos + length && i < value.size(); ++i)
            c = (c << 6) | (value[i] & 0x3F);
        // Well-formed exactly when writing c again gives the same bytes.
        const bool ok = is_xml_char(c) && value.compare(pos, length, utf8(c)) == 0;
        result += ok ? utf16(c) : std::wstring(1, 0xFFFD);
        pos += ok ? length : 1;
    }
    return result;
}

// xs:anyURI and the like: runs of white space become one space, none at the ends.
std::wstring collapsed(const std::wstring& value) {
    std::wstring result;
    for (const wchar_t c : value) {
        if (c != L' ' && c != L'\t' && c != L'\n' && c != L'\r')
            result += c;
        else if (!result.empty() && result.back() != L' ')
            result += L' ';
    }
    if (!result.empty() && result.back() == L' ') result.pop_back();
    return result;
}

// Printable ASCII as it is, everything else escaped, so that differences are readable.
template <typename Char>
std::string shown(const std::basic_string<Char>& text) {
    std::string result = "\"";
    for (const Char c : text) {
        const auto code = static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c));
        char escape[16];
        std::snprintf(escape, sizeof escape, sizeof(Char) == 1 ? "\\x%02X" : "\\u%04X", code);
        result += code >= 0x20 && code < 0x7F && code != '\\' ? std::string(1, char(code)) : escape;
    }
    return result + "\"";
}

// Reports the first differences in full, so that one systematic fault does not bury the others.
void expect_read(const std::string& item, const std::string& set, const std::wstring& want,
                 const std::wstring& read, unsigned* failures) {
    if (read != want && ++*failures <= 12)
        ADD_FAILURE() << item << "\n   set: " << set << "\n  read: " << shown(read)
                      << "\n  want: " << shown(want);
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream list(text);
    return {std::istream_iterator<std::string>(list), std::istream_iterator<std::string>()};
}

// Values every item gets first: each piece that matters at least once, whatever the seed.
std::vector<std::wstring> fixed_samples() {
    std::wstring ascii(0x80, 0), c1(0x20, 0);
    std::iota(ascii.begin(), ascii.end(), 0);
    std::iota(c1.begin(), c1.end(), 0x80);
    return {L"",
            ascii,
            L"   lead and trail   ",
            L"a\r\nb\rc\nd\te \r\n",
            L"]]> \"'&<> &amp; &#13; <![CDATA[x]]>",
            c1 + L"\x85|\x2028|\x2029",
            L"\xFFFD\xFFFE\xFFFF",
            L"\xD800 \xDBFF|\xDC00 \xDFFF|\xDC00\xD800",
            L"\xD800\xDC00\xDBFF\xDFFF\xD83D\xDE00",  // U+10000, U+10FFFF, U+1F600
            L"\t\n\r"};
}

class c_random_text {
public:
    explicit c_random_text(unsigned seed) : m_random(seed) {}

    std::wstring wide() {
        // Now and then with margins of spaces.
        std::wstring text(below(4) == 0 ? below(4) : 0, L' ');
        for (unsigned n = below(4) == 0 ? below(40) : below(10); n > 0; --n)
            text += piece();
        return text + std::wstring(below(4) == 0 ? below(4) : 0, L' ');
    }

    // UTF-8 of code points XML may or may not carry; with_bad_bytes also unpaired surrogates
    // and, anywhere, bytes that do not begin a well-formed sequence.
    std::string narrow(bool with_bad_bytes) {
        // Overlong, past U+10FFFF, cut short, U+FFFE, continuations, never in UTF-8.
        static const std::vector<std::string> k_bad = words(
            "\xC0\x80 \xC1\xBF \xE0\x80\x80 \xF0\x8F\xBF\xBF \xF4\x90\x80\x80 "
            "\xE2\x82 \xF0\x9F\x98 \xEF\xBF\xBE \x80 \xBF \xF5 \xFF");
        const std::wstring units = wide();
        std::string text;
        for (std::size_t k = 0; k < units.size(); ++k) {
            char32_t c = units[k];
            if (in(c, 0xD800, 0xDBFF) && k + 1 < units.size() && in(units[k + 1], 0xDC00, 0xDFFF))
                c = 0x10000 + ((c - 0xD800) << 10) + (units[++k] - 0xDC00);
            else if (in(c, 0xD800, 0xDFFF) && !with_bad_bytes)
                continue;
            text += utf8(c);
        }
        for (unsigned n = with_bad_bytes ? below(6) : 0; n > 0; --n)
            text.insert(below(unsigned(text.size()) + 1), k_bad[below(unsigned(k_bad.size()))]);
        return text;
    }

private:
    unsigned below(unsigned count) {
        return std::uniform_int_distribution<unsigned>(0, count - 1)(m_random);
    }

    std::wstring piece() {
        static const wchar_t* const k_texts[] = {
            L" ",    L"\t",     L"\n",        L"\r",           L"\r\n",
            L"    ", L"]]>",    L"]]",        L"\"",           L"'",
            L"&",    L"<",      L">",         L"&amp;",        L"&#13;",
            L"-->",  L"abc",    L"caf\u00e9", L"\u65e5\u672c", L"x y",
            L"\x85", L"\x2028", L"\x2029",    L"\xD800\xDC00", L"\xDBFF\xDFFF"};
        // ASCII, C1 controls, U+FFFD to U+FFFF, surrogates (unpaired or a low one before a high
        // one), the rest of the BMP and beyond it.
        static const char32_t k_ranges[][2] = {{0, 0x80},       {0x80, 0x20}, {0xFFFD, 3},
                                               {0xD800, 0x800}, {0, 0x10000}, {0x10000, 0x100000}};
        if (below(2) == 0) return k_texts[below(25)];
        const auto& range = k_ranges[below(6)];
        return utf16(range[0] + below(range[1]));
    }

    std::mt19937 m_random;
};

// A string item reached from the document root r; collapse for white space collapsed on reading.
template <typename Root>
struct s_item {
    const char* name;
    std::function<lmx::elmx_error(Root&, const std::wstring&)> set;
    std::function<const std::wstring&(const Root&)> get;
    bool collapse = false;
};
#define ITEM(name, path, field, ...)                                                             \
    {                                                                                            \
        name, [](auto& r, const std::wstring& v) { return path.set_##field(v); },                \
            [](const auto& r) -> const std::wstring& { return path.get_##field(); }, __VA_ARGS__ \
    }

// Documents with the items (non-const accessors add what is missing) and what prepare adds.
// Each item gets the fixed samples and then random values; every document goes to documents.
template <typename Root>
void expect_round_trips(unsigned seed, const std::function<void(Root&)>& prepare,
                        const std::vector<s_item<Root>>& items,
                        std::vector<std::string>* documents) {
    const std::vector<std::wstring> samples = fixed_samples();
    c_random_text random(seed);
    unsigned failures = 0;
    for (std::size_t round = 0; round < samples.size() + 60; ++round) {
        Root root;
        prepare(root);
        std::vector<std::wstring> values;
        for (const auto& item : items) {
            values.push_back(round < samples.size() ? samples[round] : random.wide());
            ASSERT_EQ(item.set(root, values.back()), lmx::ELMX_OK) << item.name;
        }
        std::string text;
        ASSERT_EQ(root.marshal(&text), lmx::ELMX_OK);
        documents->push_back(text);
        lmx::elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
        const Root loaded(text, &error);
        ASSERT_EQ(error, lmx::ELMX_OK) << shown(text);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::wstring want = carried(values[i]);
            expect_read(items[i].name, shown(values[i]), items[i].collapse ? collapsed(want) : want,
                        items[i].get(loaded), &failures);
        }
    }
}

// Where some of the items are, for the accessors of a document and of the document read back.
#define PROPERTY r.get_arguments().get_FlashClass(1).get_object().get_property(0)
#define PLUGIN r.get_Settings().get_Plugins().get_Plugin(0)
#define PARAMETER r.get_Settings().get_WebSettings().get_Parameter(0)
#define WEB_PLUGIN r.get_WPSubsystems().get_WebPlugins().get_WebPlugin(0)

// Runs xmllint once over all the documents; with a schema file (in the repository's schemas
// folder) it also validates them. Documents that fail are left in the temporary folder.
void expect_well_formed(const std::vector<std::string>& documents, const std::string& tag,
                        const std::string& schema_file = std::string()) {
    const std::string data = LMX_TEST_DATA_DIR;
    const std::string stem = lmx_test::temporary_path("value_round_trip_" + tag);
    std::string command = "xmllint --noout";
    if (!schema_file.empty())
        command +=
            " --schema '" + data.substr(0, data.rfind("/tests/")) + "/schemas/" + schema_file + "'";
    for (std::size_t i = 0; i < documents.size(); ++i) {
        std::ofstream(stem + "_" + std::to_string(i) + ".xml", std::ios::binary) << documents[i];
        command += " '" + stem + "_" + std::to_string(i) + ".xml'";
    }
    command += " >'" + stem + ".log' 2>&1 && rm -f '" + stem + "'_*.xml '" + stem + ".log'";
    EXPECT_EQ(std::system(command.c_str()), 0)
        << lmx_test::read_file(stem + ".log").substr(0, 4000);
}

}  // namespace

TEST(ValueRoundTrip, FlashNamesIdsAndStringsReadBackAsSaved) {
    std::vector<std::string> documents;
    expect_round_trips<fl::c_invoke>(
        0x5eed0001u, [](fl::c_invoke& r) { r.set_returntype(); },
        {ITEM("invoke@name", r, name), ITEM("string", r.get_arguments().get_FlashClass(0), string),
         ITEM("property@id", PROPERTY, id),
         ITEM("property/string", PROPERTY.get_FlashClass(), string)},
        &documents);
    expect_well_formed(documents, "flash", "flash.xsd");
}

TEST(ValueRoundTrip, SettingsTextsAttributesAndUrisReadBackAsSaved) {
    std::vector<std::string> documents;
    expect_round_trips<ds::c_root>(
        0x5eed0002u,
        [](ds::c_root& r) {
            PARAMETER.set_target(L"Common");
            PARAMETER.set_type(L"STR");
        },
        {ITEM("Plugin@Name", PLUGIN, Name), ITEM("AwayMsgText", PLUGIN, AwayMsgText),
         ITEM("ClientID", r.get_Settings().get_Main(), ClientID),
         ITEM("Parameter@name", PARAMETER, name), ITEM("Value", PARAMETER, Value)},
        &documents);
    expect_round_trips<ds::c_root>(
        0x5eed0004u, [](ds::c_root&) {},
        {ITEM("WebPlugin@name", WEB_PLUGIN, name),
         ITEM("ContainerUrl", WEB_PLUGIN.get_Subsystems().get_SubsystemData(0), ContainerUrl)},
        &documents);
    expect_well_formed(documents, "settings", "DravikSettings.xsd");

    // Random text is no URI, so resources are checked for well-formedness only.
    std::vector<std::string> resources;
    expect_round_trips<ds::c_root>(
        0x5eed0005u,
        [](ds::c_root& r) {
            r.get_Resource().set_ID(1);
            r.get_Resource().set_Type(L"PNG");
            r.get_Resource().get_URI().set_Method(L"absolute");
        },
        {ITEM("Resource@Language", r.get_Resource(), Language),
         ITEM("URI", r.get_Resource().get_URI(), URIType, true)},  // xs:anyURI: collapsed
        &resources);
    expect_well_formed(resources, "resource");
}

// Text written from UTF-8, in an attribute and in element text, read back through the bound
// classes; the UTF-8 writer writes what the UTF-16 writer writes for the text as read back.
TEST(ValueRoundTrip, Utf8TextReadsBackWithOneReplacementPerByteXmlCannotCarry) {
    c_random_text random(0x5eed0003u);
    unsigned failures = 0;
    std::vector<std::string> documents;
    for (unsigned round = 0; round < 20; ++round) {
        std::vector<std::string> values;
        std::ostringstream document;
        document << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 << "<invoke name=\"x\" returntype=\"xml\"><arguments><object>";
        for (unsigned i = 0; i < 30; ++i) {
            values.push_back(random.narrow(round % 2 == 1));
            document << "<property id=\"" << lmx::c_as_xml_attribute<std::string>(values[i])
                     << "\"><string>" << lmx::c_as_xml<std::string>(values[i])
                     << "</string></property>";
        }
        document << "</object></arguments></invoke>\n";
        documents.push_back(document.str());
        lmx::elmx_error error = lmx::ELMX_UNDEFINED_ERROR;
        const fl::c_invoke loaded(document.str(), &error);
        ASSERT_EQ(error, lmx::ELMX_OK) << shown(document.str());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto& property =
                loaded.get_arguments().get_FlashClass(0).get_object().get_property(i);
            const std::wstring want = carried_utf8(values[i]);
            expect_read("property@id", shown(values[i]), want, property.get_id(), &failures);
            expect_read("string", shown(values[i]), want, property.get_FlashClass().get_string(),
                        &failures);
            std::ostringstream from_utf8, from_utf16;
            from_utf8 << lmx::c_as_xml<std::string>(values[i]) << '|'
                      << lmx::c_as_xml_attribute<std::string>(values[i]);
            from_utf16 << lmx::c_as_xml<std::wstring>(want) << '|'
                       << lmx::c_as_xml_attribute<std::wstring>(want);
            EXPECT_EQ(from_utf8.str(), from_utf16.str()) << shown(values[i]);
        }
    }
    expect_well_formed(documents, "utf8", "flash.xsd");
}

// Exact saved texts, which pin down what the properties above compare against.
TEST(ValueRoundTrip, KnownValuesAreSavedAsDocumented) {
    fl::c_invoke invoke;
    invoke.set_name(L"\t1\n2\r3\r\n4\x01\xFFFE\xDC00\xD83D\xDE00");
    invoke.set_returntype();
    // The NUL is inside: the text has a length.
    invoke.get_arguments().get_FlashClass(0).set_string(
        std::wstring(L"  \r\n\r \x00\xD800\x85\x2028]]>  ", 15));
    std::string text;
    ASSERT_EQ(invoke.marshal(&text), lmx::ELMX_OK);
    const auto saved = [&text](const std::string& part) { return text.find(part) != text.npos; };
    EXPECT_TRUE(
        saved("name=\"&#9;1&#10;2&#13;3&#13;&#10;"
              "4\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\""))
        << text;
    EXPECT_TRUE(saved(
        "<string>  &#13;\n&#13; \xEF\xBF\xBD\xEF\xBF\xBD\xC2\x85\xE2\x80\xA8]]&gt;  </string>"))
        << text;

    std::ostringstream written;
    written << lmx::c_as_xml<std::string>(std::string("a\xC3\xA9\xE2\x82z\xED\xA0\x80\x01\r", 11));
    EXPECT_EQ(shown(written.str()),
              shown(std::string("a\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD"
                                "\xEF\xBF\xBD\xEF\xBF\xBD&#13;")));
}
