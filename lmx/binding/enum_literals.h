// The literals of an enumerated item and their elmx_enums codes, for getenum_ and setenum_.
#ifndef LMX_ENUM_LITERALS_H
#define LMX_ENUM_LITERALS_H

#include <string>

namespace lmx {

// One row of an item's literal table; a table ends with a row whose text is null.
struct s_enum_literal {
    int code;
    const wchar_t* text;  // UTF-16 code units, as bound text members hold them
};

// The code of the first literal equal to the text, in schema order; 0 when none is.
inline int find_enum_code(const std::wstring& text, const s_enum_literal* table) {
    for (; table->text; ++table)
        if (text == table->text) return table->code;
    return 0;
}

// The literal of a code that belongs to the table; null for any other code.
inline const wchar_t* find_enum_literal(int code, const s_enum_literal* table) {
    for (; table->text; ++table)
        if (table->code == code) return table->text;
    return nullptr;
}

}  // namespace lmx

#endif  // LMX_ENUM_LITERALS_H
