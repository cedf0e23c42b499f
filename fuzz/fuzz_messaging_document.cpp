// Messaging and storage documents (dravik_lmx::c_root, any of its thirty document elements)
// through load, save, load, save and copies.
#include <cstddef>
#include <cstdint>

#include "Generated/lmx.h"
#include "fuzz/fuzz_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A choice that must hold an option may be read without one (an empty ButtonType, say):
    // the object is incomplete and writing it is refused.
    lmx_fuzz::check_round_trip<dravik_lmx::c_root>(
        data, size, [](const dravik_lmx::c_root& root, lmx::elmx_error save_error) {
            return root.is_occurs_ok() && save_error != lmx::ELMX_BAD_CHOICE;
        });
    return 0;
}
