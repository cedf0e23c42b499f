// The range bounds of the schema integer types, and the range test that bound classes run on an
// integer text before converting it.
#ifndef LMX_INTEGER_BOUNDS_H
#define LMX_INTEGER_BOUNDS_H

#include <string>

#include "lmx/errors.h"
#include "lmx/values/big_numbers.h"

namespace lmx {

// Built once when the library is loaded; read-only afterwards.
extern const c_big_int k_unsigned_int_min;  // "0"
extern const c_big_int k_unsigned_int_max;  // "4294967295"
extern const c_big_int k_int_min;           // "-2147483648"
extern const c_big_int k_int_max;           // "2147483647"
extern const c_big_int k_long_min;          // "-9223372036854775808"
extern const c_big_int k_long_max;          // "9223372036854775807"

// For a text that is_valid_integer accepted: ELMX_VALUE_BELOW_MINIMUM, ELMX_VALUE_ABOVE_MAXIMUM
// or ELMX_OK. The comparison is exact whatever the number of digits.
elmx_error check_integer_range(const std::string& text, const c_big_int& minimum,
                               const c_big_int& maximum);

}  // namespace lmx

#endif  // LMX_INTEGER_BOUNDS_H
