// The scale schema's classes at work: a document that runs through the three-type cycle
// T0 -> T1 -> T2 -> T0 is read, written, copied and read again, and must come back unchanged.
// Usage: scale_roundtrip [rounds]   (default 2000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Generated/scale.h"

namespace {

// depth levels of next elements, each with a detail, below the global element E0.
std::string make_document(int depth) {
    std::string text = "<E0 id=\"0\">";
    for (int level = 1; level <= depth; ++level)
        text += "<name>level " + std::to_string(level) + "</name><next id=\"" +
                std::to_string(level) + "\">";
    text += "<name>last</name><detail level=\"1\"><note>a</note><note>b</note></detail>";
    for (int level = depth; level >= 1; --level)
        text += "</next>";
    return text + "</E0>";
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    const std::string text = make_document(60);
    std::string first;
    {
        lmx::elmx_error error = lmx::ELMX_OK;
        scale_lmx::c_root root(text, &error);
        if (error != lmx::ELMX_OK || root.marshal(&first) != lmx::ELMX_OK) {
            std::fprintf(stderr, "the document does not load: error %d\n", error);
            return 1;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        lmx::elmx_error error = lmx::ELMX_OK;
        scale_lmx::c_root root(first, &error);
        const scale_lmx::c_root copy(root);
        std::string again;
        if (error != lmx::ELMX_OK || copy.marshal(&again) != lmx::ELMX_OK || again != first) {
            std::fprintf(stderr, "round %d changed the document\n", round);
            return 1;
        }
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%d rounds of read, copy and write of %zu bytes: %.3f s\n", rounds, first.size(),
                seconds.count());
    return 0;
}
