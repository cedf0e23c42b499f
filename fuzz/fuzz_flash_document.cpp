// Flash call documents (flash_lmx::c_invoke) through load, save, load, save and copies.
#include <cstddef>
#include <cstdint>

#include "Generated/flash-invoke.h"
#include "fuzz/fuzz_document.h"

namespace {

using namespace flash_lmx;

// Loading is lenient, so an object deep in the tree may lack what it needs while the root's
// own is_occurs_ok, which looks at its own items only, holds: every object is asked.
bool is_complete(const c_FlashClass& value);

template <typename Container>
bool are_properties_complete(const Container& container) {
    if (!container.is_occurs_ok()) return false;
    for (unsigned i = 0; i < container.size_property(); ++i) {
        const auto& property = container.get_property(i);
        if (!property.is_occurs_ok() || !is_complete(property.get_FlashClass())) return false;
    }
    return true;
}

bool is_complete(const c_FlashClass& value) {
    if (!value.is_occurs_ok()) return false;
    switch (value.getchosen()) {
        case c_FlashClass::chosen_array:
            return are_properties_complete(value.get_array());
        case c_FlashClass::chosen_object:
            return are_properties_complete(value.get_object());
        default:
            return true;
    }
}

bool is_complete(const c_invoke& invoke) {
    if (!invoke.is_occurs_ok()) return false;
    if (!invoke.isset_arguments()) return true;
    const auto& arguments = invoke.get_arguments();
    if (!arguments.is_occurs_ok()) return false;
    for (unsigned i = 0; i < arguments.size_FlashClass(); ++i)
        if (!is_complete(arguments.get_FlashClass(i))) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lmx_fuzz::check_round_trip<c_invoke>(
        data, size, [](const c_invoke& invoke, lmx::elmx_error) { return is_complete(invoke); });
    return 0;
}
