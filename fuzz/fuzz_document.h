// The round trip that every document root must survive, shared by the per-root targets.
#ifndef LMX_FUZZ_DOCUMENT_H
#define LMX_FUZZ_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "lmx/errors.h"

namespace lmx_fuzz {

// Whatever loads saves again, unless is_complete(root, save_error) calls it incomplete; what it saves loads, and saves to the same text; copies save to the
// same text as their original.
template <typename Root, typename Completeness>
void check_round_trip(const std::uint8_t* data, std::size_t size, Completeness is_complete) {
    Root first;
    if (first.unmarshal(reinterpret_cast<const char*>(data), static_cast<unsigned>(size)) !=
        lmx::ELMX_OK)
        return;
    std::string saved;
    const lmx::elmx_error save_error = first.marshal(&saved);
    if (save_error != lmx::ELMX_OK) {
        require(!is_complete(first, save_error),
                "a loaded document that is_occurs_ok accepts does not save",
                "code " + std::to_string(save_error));
        return;
    }

    const Root copy(first);
    std::string copy_saved;
    require(copy.marshal(&copy_saved) == lmx::ELMX_OK, "a copy does not save");
    require(copy_saved == saved, "a copy saves differently", saved + "\n----\n" + copy_saved);

    Root second;
    const lmx::elmx_error loaded = second.unmarshal(saved);
    require(loaded == lmx::ELMX_OK, "a saved document does not load",
            saved + "\n----\ncode " + std::to_string(loaded));
    // Unknown children skipped by a lenient parse are not written; what they leave may be an
    // incomplete object, which is_complete must then call so.
    std::string saved_again;
    const lmx::elmx_error save_again_error = second.marshal(&saved_again);
    if (save_again_error != lmx::ELMX_OK) {
        require(!is_complete(second, save_again_error), "a reloaded document does not save",
                saved);
        return;
    }
    require(saved_again == saved, "the second save differs from the first",
            saved + "\n----\n" + saved_again);

    Root assigned;
    assigned = second;
    std::string assigned_saved;
    require(assigned.marshal(&assigned_saved) == lmx::ELMX_OK && assigned_saved == saved,
            "an assigned copy saves differently", saved + "\n----\n" + assigned_saved);
}

}  // namespace lmx_fuzz

#endif  // LMX_FUZZ_DOCUMENT_H
