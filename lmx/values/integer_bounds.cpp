#include "lmx/values/integer_bounds.h"

namespace lmx {

const c_big_int k_unsigned_int_min("0");
const c_big_int k_unsigned_int_max("4294967295");
const c_big_int k_int_min("-2147483648");
const c_big_int k_int_max("2147483647");
const c_big_int k_long_min("-9223372036854775808");
const c_big_int k_long_max("9223372036854775807");

elmx_error check_integer_range(const std::string& text, const c_big_int& minimum,
                               const c_big_int& maximum) {
    if (!(minimum <= text)) return ELMX_VALUE_BELOW_MINIMUM;
    if (!(maximum >= text)) return ELMX_VALUE_ABOVE_MAXIMUM;
    return ELMX_OK;
}

}  // namespace lmx
