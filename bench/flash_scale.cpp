// Parsing and writing a Flash call with many arguments: both must grow linearly with the count.
// Usage: flash_scale [arguments]   (default 100000; the run also times a tenth of it to compare)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Generated/flash-invoke.h"
#include "peers/documents.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool measure(unsigned count) {
    const std::string text = peers::make_flash_call(count);
    auto start = std::chrono::steady_clock::now();
    flash_lmx::c_invoke invoke;
    if (invoke.unmarshal(text) != lmx::ELMX_OK) return false;
    const double parse = seconds_since(start);
    start = std::chrono::steady_clock::now();
    std::string out;
    if (invoke.marshal(&out) != lmx::ELMX_OK) return false;
    const double write = seconds_since(start);
    std::printf("%8u arguments (%zu bytes): parse %.3f s, write %.3f s\n", count, text.size(),
                parse, write);
    return invoke.get_arguments().size_FlashClass() == count;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned count = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 100000;
    return measure(count / 10) && measure(count) ? 0 : 1;
}
