// Settings documents (DravikSettings::c_root, any of its four document elements) through load,
// save, load, save and copies.
#include <cstddef>
#include <cstdint>

#include "Generated/DravikSettings.h"
#include "fuzz/fuzz_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lmx_fuzz::check_round_trip<DravikSettings::c_root>(
        data, size,
        [](const DravikSettings::c_root& root, lmx::elmx_error) { return root.is_occurs_ok(); });
    return 0;
}
