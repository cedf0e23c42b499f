// Shared by the fuzz targets: stopping with a message when a property fails, and choices taken
// from the input itself so that the fuzzer can steer them.
#ifndef LMX_FUZZ_SUPPORT_H
#define LMX_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace lmx_fuzz {

// A broken property is a finding like a crash: abort, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz property broken: %s\n%s\n", what, detail.c_str());
    std::abort();
}

inline void require(bool holds, const char* what, const std::string& detail = {}) {
    if (!holds) fail(what, detail);
}

// Choices from a few leading bytes of the input, read bit by bit and then again from the start,
// so the same input always takes the same path and a mutation of these bytes takes another.
class choices {
public:
    choices(const std::uint8_t* bytes, std::size_t count) : m_bytes(bytes), m_count(count) {}
    // A number below limit (limit at most 256).
    unsigned pick(unsigned limit) {
        if (m_count == 0 || limit < 2) return 0;
        unsigned bits = 0;
        unsigned value = 0;
        while ((1u << bits) < limit) {
            const std::size_t bit = m_position++ % (m_count * 8);
            value = (value << 1) | ((m_bytes[bit / 8] >> (bit % 8)) & 1u);
            ++bits;
        }
        return value % limit;
    }
    bool flip() { return pick(2) == 1; }

private:
    const std::uint8_t* m_bytes;
    std::size_t m_count;
    std::size_t m_position = 0;
};

}  // namespace lmx_fuzz

#endif  // LMX_FUZZ_SUPPORT_H
