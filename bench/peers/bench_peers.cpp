// Measures our binding against its peers on the same in-memory documents, in one run:
//   reading: our parse and bind; C++/Tree (generated from the same schemas) without and with
//            validation; Expat with empty callbacks; pugixml's DOM; memcpy as the bandwidth limit;
//   writing: our marshal; C++/Tree's serialisation; memcpy.
// Every peer's time is shown as a ratio to ours (how many times our time it takes) for the
// fastest and the median run, and each reading peer's peak memory is measured in a process of
// its own. Before timing, both bindings must read the same values from every document, and from
// what each of them writes.
//
// Usage: bench_peers [--runs N] [--only TEXT]   (TEXT: part of the documents' names)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bindings.h"
#include "documents.h"
#include "raw_parsers.h"

namespace peers {
namespace {

struct Document {
    std::string name;
    std::function<std::string()> make;
    Binding (*ours)();
    Binding (*tree)();
};

// The documents measured, each with the two bindings of its schema. The messaging areas' large
// documents belong here once their schemas are bound.
const std::vector<Document>& documents() {
    static const std::vector<Document> table = {
        {"Flash call, 10k arguments", [] { return make_flash_call(10000); }, our_flash_binding,
         tree_flash_binding},
        {"Flash call, 100k arguments", [] { return make_flash_call(100000); }, our_flash_binding,
         tree_flash_binding},
        {"settings, 12k plugins and parameters", [] { return make_settings_document(12000); },
         our_settings_binding, tree_settings_binding},
        {"toolbar, 20k buttons", [] { return make_toolbar_document(20000); },
         our_toolbar_binding, tree_toolbar_binding},
        {"settings, a million plugins of defaults",
         [] { return make_empty_plugins_document(1000000); }, our_settings_binding,
         tree_settings_binding},
    };
    return table;
}

struct Peer {
    std::string name;
    std::function<void(const std::string&)> run;
};

// The first is ours: the others are measured against it.
std::vector<Peer> reading_peers(const Binding& ours, const Binding& tree, std::size_t size) {
    return {
        {"ours: parse and bind", ours.parse},
        {"C++/Tree", tree.parse},
        {"C++/Tree, validating", tree.parse_validating},
        {"Expat, empty callbacks", expat_parse},
        {"pugixml DOM", pugixml_parse},
        {"memcpy", make_memory_copy(size)},
    };
}

struct Writer {
    std::string name;
    std::function<std::string()> write;
};

std::vector<Writer> writers(const LoadedDocument& ours, const LoadedDocument& tree,
                            const std::string& text) {
    auto copy = make_memory_copy(text.size());
    return {
        {"ours: write", [&ours] { return ours.write(); }},
        {"C++/Tree: serialise", [&tree] { return tree.write(); }},
        {"memcpy",
         [copy, &text] {
             copy(text);
             return std::string();
         }},
    };
}

double seconds_of(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Times {
    double min;
    double median;
};

Times summarise(std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    const std::size_t middle = seconds.size() / 2;
    const double median =
        seconds.size() % 2 ? seconds[middle] : (seconds[middle - 1] + seconds[middle]) / 2;
    return {seconds.front(), median};
}

// Runs every operation once untimed, then `runs` times in turns, so that a slow moment of the
// machine spreads over all of them rather than falling on one.
std::vector<Times> measure(const std::vector<std::function<void()>>& operations, int runs) {
    for (const auto& operation : operations)
        operation();
    std::vector<std::vector<double>> seconds(operations.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < operations.size(); ++i) {
            seconds[i].push_back(seconds_of(operations[i]));
        }
    }
    std::vector<Times> times;
    for (auto& each : seconds)
        times.push_back(summarise(std::move(each)));
    return times;
}

// Peak memory, each reader in a process of its own.

const char k_peak_option[] = "--peak-of";
const int k_document_only = -1;

// In the child: builds the document and runs one reader (or none) once.
int run_for_peak(int document_index, int peer_index) {
    const Document& document = documents().at(static_cast<std::size_t>(document_index));
    const std::string text = document.make();
    // Building the text grows it by copies, a peak that belongs to no reader: Linux lowers the
    // high-water mark to what is resident now, so that the peak counts the document only once.
    std::ofstream("/proc/self/clear_refs") << "5";
    if (peer_index == k_document_only) return 0;
    const auto peers = reading_peers(document.ours(), document.tree(), text.size());
    peers.at(static_cast<std::size_t>(peer_index)).run(text);
    return 0;
}

// The peak resident memory in bytes of this program started anew to read one document with one
// peer (k_document_only: only building the document); 0 when it could not be measured. A child's
// ru_maxrss starts from what its parent had resident when it forked, so this is called before the
// parent builds anything big.
long peak_memory(int document_index, int peer_index) {
    const std::string document_argument = std::to_string(document_index);
    const std::string peer_argument = std::to_string(peer_index);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return 0;
    if (child == 0) {
        execl("/proc/self/exe", "bench_peers", k_peak_option, document_argument.c_str(),
              peer_argument.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;
    return usage.ru_maxrss * 1024L;  // Linux gives kilobytes
}

// Checks.

std::string describe(const Values& values) {
    std::string text;
    for (const auto& [name, value] : values) {
        text += (text.empty() ? "" : ", ") + name + " " + std::to_string(value);
    }
    return text;
}

bool expect_same(const char* what, const Values& expected, const Values& actual) {
    if (expected == actual) return true;
    std::printf("  MISMATCH: %s\n    expected: %s\n    read:     %s\n", what,
                describe(expected).c_str(), describe(actual).c_str());
    return false;
}

// Both bindings must read the same values from the document and from what each of them writes.
bool check_values(const Binding& ours, const Binding& tree, const std::string& text) {
    const Values expected = ours.read_values(text);
    bool same = expect_same("C++/Tree reading the document", expected, tree.read_values(text));
    const std::string ours_written = ours.load(text)->write();
    const std::string tree_written = tree.load(text)->write();
    same &= expect_same("ours reading what ours wrote", expected, ours.read_values(ours_written));
    same &= expect_same("C++/Tree (validating) reading what ours wrote", expected,
                        tree.read_values(ours_written));
    same &=
        expect_same("ours reading what C++/Tree wrote", expected, ours.read_values(tree_written));
    if (same) std::printf("  both bindings read: %s\n", describe(expected).c_str());
    return same;
}

// The report.

const double k_megabyte = 1e6;

void print_row(const std::string& name, const Times& times, const Times& ours, double bytes,
               const std::string& memory) {
    std::printf("  %-24s %9.2f %9.2f %8.1f %8.2f %8.2f%s\n", name.c_str(), times.min * 1e3,
                times.median * 1e3, bytes / k_megabyte / times.min, times.min / ours.min,
                times.median / ours.median, memory.c_str());
}

std::string memory_columns(long peak, long document_peak) {
    if (peak == 0 || document_peak == 0) return "        ?        ?";
    char text[64];
    std::snprintf(text, sizeof text, " %8.1f %8.1f", peak / k_megabyte,
                  (peak - document_peak) / k_megabyte);
    return text;
}

struct Peaks {
    long document = 0;
    std::vector<long> readers;
};

Peaks measure_peaks(int document_index) {
    Peaks peaks;
    peaks.document = peak_memory(document_index, k_document_only);
    const Document& document = documents()[static_cast<std::size_t>(document_index)];
    const std::size_t reader_count = reading_peers(document.ours(), document.tree(), 0).size();
    for (std::size_t i = 0; i < reader_count; ++i) {
        peaks.readers.push_back(peak_memory(document_index, static_cast<int>(i)));
    }
    return peaks;
}

bool report_document(int document_index, int runs, const Peaks& peaks) {
    const Document& document = documents()[static_cast<std::size_t>(document_index)];
    const std::string text = document.make();
    std::printf("\n%s: %.2f MB\n", document.name.c_str(), text.size() / k_megabyte);
    const Binding ours = document.ours();
    const Binding tree = document.tree();
    const bool same = check_values(ours, tree, text);

    const auto peers = reading_peers(ours, tree, text.size());
    std::vector<std::function<void()>> reading;
    for (const auto& peer : peers)
        reading.push_back([&peer, &text] { peer.run(text); });
    const std::vector<Times> reading_times = measure(reading, runs);

    std::printf("  %-24s %9s %9s %8s %8s %8s %8s %8s\n", "reading", "min ms", "median ms", "MB/s",
                "x ours", "x ours", "peak MB", "over doc");
    std::printf("  %-24s %9s %9s %8s %8s %8s %8s %8s\n", "", "", "", "(min)", "(min)", "(median)",
                "", "MB");
    for (std::size_t i = 0; i < peers.size(); ++i) {
        print_row(peers[i].name, reading_times[i], reading_times[0],
                  static_cast<double>(text.size()),
                  memory_columns(peaks.readers[i], peaks.document));
    }
    std::printf("  %-24s %46s %8.1f\n", "the document alone", "", peaks.document / k_megabyte);

    const auto ours_loaded = ours.load(text);
    const auto tree_loaded = tree.load(text);
    const auto writing = writers(*ours_loaded, *tree_loaded, text);
    std::vector<std::function<void()>> writes;
    for (const auto& writer : writing)
        writes.push_back([&writer] { writer.write(); });
    const std::vector<Times> writing_times = measure(writes, runs);
    std::printf("  %-24s %9s %9s %8s %8s %8s\n", "writing", "min ms", "median ms", "MB/s", "x ours",
                "x ours");
    for (std::size_t i = 0; i < writing.size(); ++i) {
        // Each writer's speed counts the bytes it writes, which differ in layout.
        const std::string written = writing[i].write();
        const double bytes = written.empty() ? static_cast<double>(text.size()) : written.size();
        print_row(writing[i].name, writing_times[i], writing_times[0], bytes, "");
    }
    return same;
}

int run_bench(int argc, char** argv) {
    int runs = 7;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (option == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_peers [--runs N] [--only TEXT]\n");
            return 2;
        }
    }
    std::printf(
        "%d runs of each; a reader's time includes dropping what it built; "
        "x ours: the peer's time over ours (below 1: faster than ours); "
        "peak: resident memory of a process that builds the document and reads it once; "
        "MB: 10^6 bytes\n",
        runs);
    std::vector<int> chosen;
    for (std::size_t i = 0; i < documents().size(); ++i) {
        if (documents()[i].name.find(only) != std::string::npos) chosen.push_back(int(i));
    }
    // All peaks first, while this process is still small (see peak_memory).
    std::vector<Peaks> peaks;
    for (const int document : chosen)
        peaks.push_back(measure_peaks(document));
    bool all_same = true;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        all_same &= report_document(chosen[i], runs, peaks[i]);
    }
    if (!all_same) std::printf("\nThe bindings read different values: see MISMATCH above.\n");
    return all_same ? 0 : 1;
}

}  // namespace
}  // namespace peers

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::strcmp(argv[1], peers::k_peak_option) == 0) {
            return peers::run_for_peak(std::atoi(argv[2]), std::atoi(argv[3]));
        }
        return peers::run_bench(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_peers: %s\n", error.what());
        return 1;
    }
}
