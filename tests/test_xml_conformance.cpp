// What the reader accepts and rejects as XML, seen through a bound document: every accepted
// document reads the exact values XML defines, and every malformed one fails with its code, the
// item being read and the line, and never becomes data.
#include <gtest/gtest.h>

#include <string>

#include "Generated/flash-invoke.h"

using namespace flash_lmx;
using lmx::elmx_error;

namespace {

struct s_reading {
    elmx_error error = lmx::ELMX_OK;
    std::string message;  // the reader's "line:N-'item'-description"
    std::wstring name;    // the name attribute of invoke
    std::wstring text;    // the first string argument
};

s_reading read(const std::string& document) {
    c_invoke invoke;
    lmx::c_xml_reader_memory reader(document.data(), static_cast<unsigned>(document.size()));
    s_reading out;
    out.error = invoke.unmarshal(reader);
    reader.get_error_message(&out.message);
    if (out.error != lmx::ELMX_OK) return out;
    out.name = invoke.get_name();
    if (invoke.isset_arguments() && invoke.get_arguments().size_FlashClass() > 0 &&
        invoke.get_arguments().get_FlashClass(0).getchosen() == c_FlashClass::chosen_string)
        out.text = invoke.get_arguments().get_FlashClass(0).get_string();
    return out;
}

// A call whose start tag is on line 2 and whose string argument is on line 3.
std::string call(const std::string& prolog, const std::string& name, const std::string& text,
                 const std::string& after = "") {
    return prolog + "\n<invoke name=\"" + name + "\" returntype=\"xml\"><arguments>\n<string>" +
           text + "</string></arguments></invoke>" + after;
}

const std::string k_decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

struct s_accepted {
    const char* what;
    std::string document;
    std::wstring name;
    std::wstring text;
};

void expect_accepted(const s_accepted& row) {
    const s_reading reading = read(row.document);
    EXPECT_EQ(reading.error, lmx::ELMX_OK) << row.what << ": " << reading.message;
    EXPECT_EQ(reading.name, row.name) << row.what;
    EXPECT_EQ(reading.text, row.text) << row.what;
}

struct s_rejected {
    const char* what;
    std::string document;
    elmx_error error;
    std::string message;
};

void expect_rejected(const s_rejected& row) {
    const s_reading reading = read(row.document);
    EXPECT_EQ(reading.error, row.error) << row.what;
    EXPECT_EQ(reading.message, row.message) << row.what;
}

TEST(Accepted, DeclarationsAndInstructionsOtherWritersProduce) {
    const s_accepted rows[] = {
        {"standalone no", call(k_decl.substr(0, 36) + " standalone=\"no\"?>", "f", "t"), L"f",
         L"t"},
        {"standalone yes", call("<?xml version='1.0' standalone='yes'?>", "f", "t"), L"f", L"t"},
        {"stylesheet instruction",
         call(k_decl + "\n<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>", "f", "t"), L"f",
         L"t"},
        {"stylesheet without declaration", call("<?xml-stylesheet href='s.xsl'?>", "f", "t"), L"f",
         L"t"},
        {"later minor version", call("<?xml version=\"1.7\"?>", "f", "t"), L"f", L"t"},
        {"comment before the declaration", call("<!-- made by hand --> " + k_decl, "f", "t"), L"f",
         L"t"},
        {"instructions and comments after the root",
         call(k_decl, "f", "t", "\n<!-- end -- of call -->\n<?log done?>\n\n"), L"f", L"t"},
    };
    for (const s_accepted& row : rows)
        expect_accepted(row);
}

TEST(Accepted, ValuesReadAsXmlDefinesThem) {
    const s_accepted rows[] = {
        {"line ends", call(k_decl, "f", "a\r\nb\rc\nd&#13;e&#xD;&#10;"), L"f",
         L"a\nb\nc\nd\re\r\n"},
        {"attribute-value normalisation", call(k_decl, "a\tb\r\nc&#9;d&#10;e&#13;", "x"),
         L"a b c\td\ne\r", L"x"},
        {"astral references", call(k_decl, "&#x10FFFF;", "&#x1F600;&#65536;"),
         std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)},
         std::wstring{wchar_t(0xD83D), wchar_t(0xDE00), wchar_t(0xD800), wchar_t(0xDC00)}},
        {"NEL and LINE SEPARATOR in XML 1.0", call(k_decl, "f", "a\xC2\x85z\xE2\x80\xA8"), L"f",
         L"a\x85z\x2028"},
        {"NEL and LINE SEPARATOR in XML 1.1",
         call("<?xml version=\"1.1\"?>", "f", "a\xC2\x85z\xE2\x80\xA8&#x85;"), L"f", L"a\nz\n\x85"},
        {"C1 controls and the last BMP character", call(k_decl, "\xC2\x80", "\xC2\x9F\xEF\xBF\xBD"),
         L"\x80", L"\x9F\xFFFD"},
        {"no space between attributes",
         "<invoke name='f'returntype='xml'><arguments><string>t</string></arguments></invoke>",
         L"f", L"t"},
        {"name characters above 0x7F",
         call(k_decl, "f",
              "t</string><donn\xC3\xA9"
              "es a\xC3\xA9='1'/><string>u"),
         L"f", L"t"},
    };
    for (const s_accepted& row : rows)
        expect_accepted(row);
}

TEST(Accepted, InternalSubsetEntities) {
    const std::string subset =
        "<!DOCTYPE invoke [\n"
        "<!ELEMENT invoke ANY><!ATTLIST invoke name CDATA #REQUIRED><!NOTATION n SYSTEM 'n'>\n"
        "<!ENTITY who 'first'><!ENTITY who 'second'>\n"
        "<!ENTITY arg '<string>from &who;</string>'>\n"
        "<!ENTITY amp2 '&#38;#38;'>\n"
        "]>";
    const s_accepted rows[] = {
        {"the first declaration binds", call(k_decl + subset, "&who;", "&who;"), L"first",
         L"first"},
        {"markup from an entity",
         k_decl + subset +
             "<invoke name='f' returntype='xml'><arguments>&arg;"
             "</arguments></invoke>",
         L"f", L"from first"},
        {"a reference produced by an entity", call(k_decl + subset, "&amp2;", "&amp2;"), L"&",
         L"&"},
    };
    for (const s_accepted& row : rows)
        expect_accepted(row);
}

TEST(Rejected, CharacterReferences) {
    const lmx::elmx_error not_well_formed = lmx::ELMX_NOT_WELL_FORMED;
    const std::string in_text = "line:3-'string'-Not well formed";
    const s_rejected rows[] = {
        {"NUL", call(k_decl, "f", "a&#x0;b"), not_well_formed, in_text},
        {"C0 control", call(k_decl, "f", "&#5;"), not_well_formed, in_text},
        {"surrogate", call(k_decl, "f", "&#xD800;"), not_well_formed, in_text},
        {"U+FFFE", call(k_decl, "f", "&#xFFFE;"), not_well_formed, in_text},
        {"U+FFFF", call(k_decl, "f", "&#65535;"), not_well_formed, in_text},
        {"beyond U+10FFFF", call(k_decl, "f", "&#x110000;"), not_well_formed, in_text},
        {"capital X", call(k_decl, "f", "&#X58;"), not_well_formed, in_text},
        {"no semicolon", call(k_decl, "f", "&#65 b"), not_well_formed, in_text},
        {"no digits", call(k_decl, "f", "&#;"), not_well_formed, in_text},
        {"in an attribute", call(k_decl, "&#1;", "t"), not_well_formed,
         "line:2-'invoke'-Not well formed"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

TEST(Rejected, AmpersandsAndEntityReferences) {
    const s_rejected rows[] = {
        {"bare ampersand in text", call(k_decl, "f", "Tom & Jerry"), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'string'-Not well formed"},
        {"bare ampersand in an attribute", call(k_decl, "Tom & Jerry", "t"),
         lmx::ELMX_NOT_WELL_FORMED, "line:2-'invoke'-Not well formed"},
        {"reference without semicolon", call(k_decl, "f", "&amp b"), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'string'-Not well formed"},
        {"undeclared entity in text", call(k_decl, "f", "&nbsp;"), lmx::ELMX_ENTITY_NOT_FOUND,
         "line:3-'string'-Entity not found"},
        {"undeclared entity in an attribute", call(k_decl, "&copy;", "t"),
         lmx::ELMX_ENTITY_NOT_FOUND, "line:2-'invoke'-Entity not found"},
        {"undeclared entity in an attribute that is skipped",
         call(k_decl, "f\" extra=\"&nbsp;", "t"), lmx::ELMX_ENTITY_NOT_FOUND,
         "line:2-'invoke'-Entity not found"},
        {"bare ampersand in a skipped element",
         call(k_decl, "f", "t</string><unknown a='&'/><string>u"), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'arguments'-Not well formed"},
        {"undeclared entity between elements",
         "<invoke name='f' returntype='xml'>\n&nbsp;<arguments/></invoke>",
         lmx::ELMX_ENTITY_NOT_FOUND, "line:2-'invoke'-Entity not found"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

TEST(Rejected, MarkupInAttributesAndUnbalancedEntities) {
    const std::string subset =
        "<!DOCTYPE invoke [<!ENTITY lt2 'a<b'><!ENTITY swap '</string><string>'>"
        "<!ENTITY open '<string>'>]>";
    const s_rejected rows[] = {
        {"less-than in an attribute", call(k_decl, "a<b", "t"), lmx::ELMX_NOT_WELL_FORMED,
         "line:2-'invoke'-Not well formed"},
        {"less-than from an entity in an attribute", call(k_decl + subset, "&lt2;", "t"),
         lmx::ELMX_NOT_WELL_FORMED, "line:2-'invoke'-Not well formed"},
        {"entity closing and reopening elements", call(k_decl + subset, "f", "a&swap;b"),
         lmx::ELMX_NOT_WELL_FORMED, "line:3-'string'-Not well formed"},
        {"entity leaving an element open",
         k_decl + subset +
             "\n<invoke name='f' returntype='xml'><arguments>&open;x</string>"
             "</arguments></invoke>",
         lmx::ELMX_NOT_WELL_FORMED, "line:2-'arguments'-Not well formed"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

TEST(Rejected, MalformedRawMarkup) {
    const std::string null_holding = "\n<invoke name='f' returntype='xml'><arguments>\n<null>";
    // Read as the leniencies kept for stored documents allow; raw text that a caller sets in
    // such a form is refused when written.
    const s_accepted accepted[] = {
        {"brackets apart", call(k_decl, "f", "a]] >b]]&gt;c"), L"f", L"a]] >b]]>c"},
        {"section end in text", call(k_decl, "f", "a]]>b"), L"f", L"a]]>b"},
        {"section end in raw content", null_holding + "a]]]>b</null></arguments></invoke>", L"f",
         L""},
        {"raw attributes not apart", null_holding + "<x a='1'b='2'/></null></arguments></invoke>",
         L"f", L""},
        {"double dash in a raw comment",
         null_holding + "<!-- a -- b --></null></arguments></invoke>", L"f", L""},
    };
    for (const s_accepted& row : accepted)
        expect_accepted(row);
    // What is read that way is kept well-formed, so the document saves and reads back the same.
    const struct {
        const char* content;
        const char* kept;
    } captured[] = {
        {"a]]]>b", "a]]]&gt;b"},
        {"<x a='1'b='2'/>", "<x a='1' b='2'/>"},
        {"<y>]]>]]</y><x a=\"]]>\"b='>'>]]></x>", "<y>]]&gt;]]</y><x a=\"]]>\" b='>'>]]&gt;</x>"},
    };
    for (const auto& row : captured) {
        const std::string document = k_decl + null_holding + row.content +
                                     "</null></arguments></invoke>";
        c_invoke invoke;
        ASSERT_EQ(invoke.unmarshal(document), lmx::ELMX_OK) << row.content;
        EXPECT_EQ(invoke.get_arguments().get_FlashClass(0).get_null(), row.kept);
        std::string saved;
        ASSERT_EQ(invoke.marshal(&saved), lmx::ELMX_OK) << row.content;
        c_invoke again;
        ASSERT_EQ(again.unmarshal(saved), lmx::ELMX_OK) << saved;
        std::string saved_again;
        ASSERT_EQ(again.marshal(&saved_again), lmx::ELMX_OK);
        EXPECT_EQ(saved_again, saved);
    }
    const s_rejected rows[] = {
        {"raw attribute without value", null_holding + "<x a>t</x></null></arguments></invoke>",
         lmx::ELMX_NOT_WELL_FORMED, "line:3-'null'-Not well formed"},
        {"raw junk before the tag end", null_holding + "<x / >t</null></arguments></invoke>",
         lmx::ELMX_NOT_WELL_FORMED, "line:3-'null'-Not well formed"},
        {"declaration inside raw content", null_holding + "<?xml version='1.0'?></null></arguments>"
         "</invoke>", lmx::ELMX_NOT_WELL_FORMED, "line:3-'null'-Not well formed"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

TEST(Rejected, CharactersAndBytesTheEncodingCannotHold) {
    const s_rejected rows[] = {
        {"raw control character", call(k_decl, "f", "a\x05"), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'string'-Not well formed"},
        {"raw NUL", call(k_decl, "f", std::string("a\0b", 3)), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'string'-Not well formed"},
        {"raw U+FFFF", call(k_decl, "f", "\xEF\xBF\xBF"), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'string'-Not well formed"},
        {"raw control in an attribute", call(k_decl, "a\x1B", "t"), lmx::ELMX_NOT_WELL_FORMED,
         "line:2-'invoke'-Not well formed"},
        {"invalid UTF-8 in text", call(k_decl, "f", "caf\xE9"), lmx::ELMX_BAD_CHAR_ENCODING,
         "line:3-'string'-XML character encoding not supported"},
        {"encoded surrogate", call(k_decl, "f", "\xED\xA0\x80"), lmx::ELMX_BAD_CHAR_ENCODING,
         "line:3-'string'-XML character encoding not supported"},
        {"invalid UTF-8 after the root element", call(k_decl, "f", "t", "\n\xFF"),
         lmx::ELMX_BAD_CHAR_ENCODING, "line:4-'invoke'-XML character encoding not supported"},
        {"UTF-8 cut off at the end", call(k_decl, "f", "t", "\n<!-- \xE2\x82"),
         lmx::ELMX_BAD_CHAR_ENCODING, "line:4-'invoke'-XML character encoding not supported"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

TEST(Rejected, ContentAfterTheRootElement) {
    const s_rejected rows[] = {
        {"a second element", call(k_decl, "f", "t", "\n<invoke/>"), lmx::ELMX_NOT_WELL_FORMED,
         "line:4-'invoke'-Not well formed"},
        {"text", call(k_decl, "f", "t", "\n\ntrailing"), lmx::ELMX_NOT_WELL_FORMED,
         "line:5-'invoke'-Not well formed"},
        {"a stray end tag", call(k_decl, "f", "t", "</invoke>"), lmx::ELMX_NOT_WELL_FORMED,
         "line:3-'invoke'-Not well formed"},
        {"a declaration", call(k_decl, "f", "t", "\n<?xml version='1.0'?>"), lmx::ELMX_BAD_XML_DECL,
         "line:4-'invoke'-Badly formed XML declaration"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

TEST(Rejected, DeclarationsXmlDoesNotAllow) {
    const s_rejected rows[] = {
        {"standalone other than yes or no",
         call("<?xml version='1.0' standalone='maybe'?>", "f", "t"), lmx::ELMX_BAD_XML_DECL,
         "line:1-''-Badly formed XML declaration"},
        {"major version 2", call("<?xml version='2.0'?>", "f", "t"), lmx::ELMX_BAD_XML_VERSION,
         "line:1-''-Unsupported XML version"},
        {"version with letters", call("<?xml version='1.0beta'?>", "f", "t"),
         lmx::ELMX_BAD_XML_VERSION, "line:1-''-Unsupported XML version"},
    };
    for (const s_rejected& row : rows)
        expect_rejected(row);
}

}  // namespace

namespace {

TEST(RawText, ReferencesAreCheckedAndKeptAsWritten) {
    const std::string document =
        "<!DOCTYPE invoke [<!ENTITY e '<b>x</b>'>]>\n"
        "<invoke name='f' returntype='xml'><arguments><null>a&lt;b&#65;<i q='&amp;&#9;'/>&e;"
        "</null></arguments></invoke>";
    c_invoke invoke;
    ASSERT_EQ(invoke.unmarshal(document), lmx::ELMX_OK);
    // Declared entities are replaced: the saved text travels without the declarations.
    EXPECT_EQ(invoke.get_arguments().get_FlashClass(0).get_null(),
              "a&lt;b&#65;<i q='&amp;&#9;'/><b>x</b>");

    const s_reading undeclared = read(
        "<invoke name='f' returntype='xml'><arguments>\n<null>&nbsp;</null></arguments></invoke>");
    EXPECT_EQ(undeclared.error, lmx::ELMX_ENTITY_NOT_FOUND);
    EXPECT_EQ(undeclared.message, "line:2-'null'-Entity not found");
    const s_reading bare = read(
        "<invoke name='f' returntype='xml'><arguments>\n<null><i a='<'/></null></arguments>"
        "</invoke>");
    EXPECT_EQ(bare.error, lmx::ELMX_NOT_WELL_FORMED);
}

}  // namespace

namespace {

// One cause, one code: the nesting limit and the expansion limit are reported the same way
// whether the binding, a skip or a raw-text capture meets them.
TEST(Limits, EachLimitHasOneCodeWhereverItIsMet) {
    const std::string start = "<invoke name='f' returntype='xml'><arguments>";
    std::string bound;
    std::string unknown;
    for (int level = 0; level < 300; ++level) {
        bound += "<array><property id='1'>";
        unknown += "<x>";
    }
    for (const std::string& document : {start + bound, start + unknown, start + "<null>" + unknown})
        EXPECT_EQ(read(document).error, lmx::ELMX_BADLY_FORMED);

    std::string laughs = "<!DOCTYPE invoke [<!ENTITY l0 '" + std::string(64, 'l') + "'>";
    for (int level = 1; level <= 5; ++level) {
        laughs += "<!ENTITY l" + std::to_string(level) + " '";
        for (int copy = 0; copy < 16; ++copy)
            laughs += "&l" + std::to_string(level - 1) + ";";
        laughs += "'>";
    }
    laughs += "]>";
    const std::string documents[] = {call(laughs, "f", "&l5;"), call(laughs, "&l5;", "t"),
                                     laughs + start + "<null>&l5;</null></arguments></invoke>"};
    for (const std::string& document : documents)
        EXPECT_EQ(read(document).error, lmx::ELMX_RECURSIVE_ENTITY);
}

}  // namespace

namespace {

// A document that never ends: its prefix, then the filler byte forever.
class c_endless_source : public lmx::c_read {
public:
    c_endless_source(std::string prefix, char filler)
        : m_prefix(std::move(prefix)), m_filler(filler) {}
    int read() override {
        return m_next < m_prefix.size() ? static_cast<unsigned char>(m_prefix[m_next++]) : m_filler;
    }
    void rewind() override { m_next = 0; }

private:
    std::string m_prefix;
    char m_filler;
    std::size_t m_next = 0;
};

elmx_error read_endless(const std::string& prefix, char filler, std::string* message) {
    c_endless_source source(prefix, filler);
    lmx::c_xml_reader reader(source);
    reader.set_max_value_bytes(1 << 20);
    c_invoke invoke;
    const elmx_error error = invoke.unmarshal(reader);
    reader.get_error_message(message);
    return error;
}

TEST(Limits, EndlessValuesEndWithTheValueBudget) {
    const std::string start = "<invoke name='f' returntype='xml'><arguments>";
    const std::string prefixes[] = {start + "<string>", start + "<string><![CDATA[",
                                    "<invoke name='", start + "<null><a>", start + "<unknown a='"};
    for (const std::string& prefix : prefixes) {
        std::string message;
        EXPECT_EQ(read_endless(prefix, 'x', &message), lmx::ELMX_LENGTH_TOO_LONG) << prefix;
        EXPECT_NE(message.find("Length too long"), std::string::npos) << message;
    }
    // Entity expansion counts too, and the limit can be raised for large documents.
    const std::string expanding =
        call("<!DOCTYPE invoke [<!ENTITY e '" + std::string(600, 'e') + "'>]>", "&e;&e;", "&e;");
    lmx::c_read_string small(expanding);
    lmx::c_xml_reader reader(small);
    reader.set_max_value_bytes(1000);
    c_invoke invoke;
    EXPECT_EQ(invoke.unmarshal(reader), lmx::ELMX_LENGTH_TOO_LONG);
    EXPECT_EQ(reader.get_max_value_bytes(), 1000u);
}

}  // namespace

namespace {

// A reader whose handler lets every problem through.
class c_tolerant_reader : public lmx::c_xml_reader_memory {
public:
    using lmx::c_xml_reader_memory::c_xml_reader_memory;
    elmx_error user_handle_error(elmx_error, const std::string&, const char*, int) override {
        return lmx::ELMX_OK;
    }
};

TEST(Numbers, OutOfRangeValuesLetThroughAreClampedToTheNearestBound) {
    const std::string document =
        call("", "f",
             "x</string><number>99999999999999999999999</number><number>-2147483649"
             "</number><number>-2147483648</number><number>+7</number><string>y");
    c_tolerant_reader reader(document.data(), static_cast<unsigned>(document.size()));
    c_invoke invoke;
    ASSERT_EQ(invoke.unmarshal(reader), lmx::ELMX_OK);
    const c_FlashInvokeType::c_arguments& arguments = invoke.get_arguments();
    ASSERT_EQ(arguments.size_FlashClass(), 6u);
    EXPECT_EQ(arguments.get_FlashClass(1).get_number(), 2147483647);
    EXPECT_EQ(arguments.get_FlashClass(2).get_number(), -2147483647 - 1);
    EXPECT_EQ(arguments.get_FlashClass(3).get_number(), -2147483647 - 1);
    EXPECT_EQ(arguments.get_FlashClass(4).get_number(), 7);
}

}  // namespace
