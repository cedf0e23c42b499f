// The value parsers of the runtime. Input: one byte naming the parser, then the text. Where the
// parser's check accepts the text, the value printed and parsed again prints the same text, and
// the printed text passes the check itself.
#include <cstddef>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "lmx/runtime.h"

namespace {

using namespace lmx;
using lmx_fuzz::require;

// Output as the writer makes it: classic locale whatever the global one.
template <typename T>
std::string printed(const T& value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

template <typename T>
std::string printed_xml(const T& value) {
    return printed(c_as_xml<T>(value));
}

void check_bool(const std::string& text) {
    if (!is_valid_bool(text)) return;
    bool value = false;
    convert(&value, text);
    const std::string out = printed_xml(value);
    require(is_valid_bool(out), "printed bool is not valid", out);
    bool again = !value;
    require(convert(&again, out) == value, "bool changes through its text", text);
}

// Integers in range convert exactly: the number printed is the canonical text of the value.
template <typename T>
void check_integer(const std::string& text, const c_big_int& minimum, const c_big_int& maximum) {
    if (!is_valid_integer(text)) return;
    const c_big_int exact(text);
    require(exact.compare_with_text(text) == 0, "an integer text differs from its own value", text);
    if (check_integer_range(text, minimum, maximum) != ELMX_OK) {
        require(exact < minimum || exact > maximum, "an integer in range is out of range", text);
        return;
    }
    require(exact >= minimum && exact <= maximum, "an integer out of range is in range", text);
    T value{};
    convert(&value, text);
    const std::string out = printed(value);
    require(out == exact.get_as_string(), "integer converts inexactly",
            text + " -> " + out + ", want " + exact.get_as_string());
}

template <typename T>
void check_floating(const std::string& text) {
    if (!is_valid_float(text)) return;
    T value{};
    convert(&value, text);
    const std::string out = printed_xml(value);
    require(is_valid_float(out), "printed number is not valid", text + " -> " + out);
    T again{};
    convert(&again, out);
    const std::string out_again = printed_xml(again);
    require(out_again == out, "number text unstable", text + " -> " + out + " -> " + out_again);
}

void check_big_int(const std::string& text) {
    const c_big_int value(text);  // never fails, whatever the text
    const std::string& out = value.get_as_string();
    require(is_valid_integer(out), "big integer prints invalid text", out);
    require(c_big_int(out) == value, "big integer changes through its text", text);
    bool overflow = false;
    const int small = value.get(&overflow);
    if (!overflow) require(printed(small) == out, "big integer in int range converts badly", out);
    require(printed(value) == out, "big integer streams differently", out);
}

void check_decimal(const std::string& text) {
    if (!c_decimal::is_valid(text)) return;
    const c_decimal value(text);
    const std::string out = value.get_as_string();
    require(c_decimal::is_valid(out), "decimal prints invalid text", text + " -> " + out);
    const c_decimal again(out);
    require(again == value, "decimal changes through its text", text + " -> " + out);
    require(again.get_as_string() == out, "decimal text unstable", text + " -> " + out);
    require(printed(again) == printed(value), "decimal streams differently", out);
}

template <typename T>
void check_datetime(const std::string& text) {
    if (!T::is_valid(text)) return;
    const T value(text);
    const std::string out = value.get_as_string();
    require(T::is_valid(out), "date/time prints invalid text", text + " -> " + out);
    const T again(out);
    require(again.get_as_string() == out, "date/time text unstable",
            text + " -> " + out + " -> " + again.get_as_string());
    require(printed(again) == printed(value), "date/time streams differently", out);
}

void check_binary(const std::string& text, bool hex) {
    if (hex ? !c_binary::is_valid_hex(text) : !c_binary::is_valid_base64(text)) return;
    c_binary value;
    hex ? value.from_hex(text) : value.from_base64(text);
    const std::string out = hex ? printed(c_as_hex(value)) : printed(c_as_base64(value));
    require(hex ? c_binary::is_valid_hex(out) : c_binary::is_valid_base64(out),
            "binary prints invalid text", out);
    c_binary again;
    hex ? again.from_hex(out) : again.from_base64(out);
    require(again == value, "binary changes through its text", text + " -> " + out);
}

// UTF-8 to UTF-16 and back: the second conversion gives what the first produced.
void check_utf8(const std::string& text) {
    std::wstring wide;
    convert(&wide, text);
    std::string narrow;
    convert(&narrow, wide);
    std::wstring wide_again;
    convert(&wide_again, narrow);
    std::string narrow_again;
    require(convert(&narrow_again, wide_again) == narrow, "UTF-8 text unstable", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 19) {
        case 0:
            check_bool(text);
            break;
        case 1:
            check_integer<int>(text, k_int_min, k_int_max);
            break;
        case 2:
            check_integer<unsigned int>(text, k_unsigned_int_min, k_unsigned_int_max);
            break;
        case 3:
            check_integer<long long>(text, k_long_min, k_long_max);
            break;
        case 4:
            check_floating<double>(text);
            break;
        case 5:
            check_floating<float>(text);
            break;
        case 6:
            check_big_int(text);
            break;
        case 7:
            check_decimal(text);
            break;
        case 8:
            check_datetime<c_duration>(text);
            break;
        case 9:
            check_datetime<c_datetime>(text);
            break;
        case 10:
            check_datetime<c_time>(text);
            break;
        case 11:
            check_datetime<c_date>(text);
            break;
        case 12:
            check_datetime<c_gyearmonth>(text);
            break;
        case 13:
            check_datetime<c_gyear>(text);
            break;
        case 14:
            check_datetime<c_gmonthday>(text);
            break;
        case 15:
            check_datetime<c_gday>(text);
            break;
        case 16:
            check_datetime<c_gmonth>(text);
            break;
        case 17:
            check_binary(text, data[0] & 0x80);
            break;
        default:
            check_utf8(text);
            break;
    }
    return 0;
}
