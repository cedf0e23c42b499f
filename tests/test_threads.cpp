// Documents of every schema loaded, changed and saved from many threads at once: each thread
// gets exactly what one thread alone gets. CI also runs this suite under ThreadSanitizer.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Generated/DravikSettings.h"
#include "Generated/flash-invoke.h"
#include "Generated/lmx.h"
#include "saved_documents.h"

namespace {

constexpr int k_threads = 8;
constexpr int k_rounds = 25;

std::string example(const std::string& name) {
    const std::string data = LMX_TEST_DATA_DIR;
    return lmx_test::read_file(data.substr(0, data.rfind("/tests/")) + "/examples/documents/" +
                               name);
}

// Loads a document, changes it through its accessors, saves it to a string and to a file of
// its own, and gives the saved text (or the failure, as text).
template <typename Root>
std::string round_trip(const std::string& text, const std::string& path,
                       const std::function<void(Root&)>& change) {
    lmx::elmx_error error = lmx::ELMX_OK;
    Root root(text, &error);
    if (error != lmx::ELMX_OK) return "load failed: " + std::to_string(error);
    change(root);
    std::string saved;
    if ((error = root.marshal(&saved)) != lmx::ELMX_OK)
        return "save failed: " + std::to_string(error);
    if ((error = root.marshal(path.c_str())) != lmx::ELMX_OK)
        return "file save failed: " + std::to_string(error);
    Root reloaded(path.c_str(), &error);
    std::string again;
    if (error != lmx::ELMX_OK || reloaded.marshal(&again) != lmx::ELMX_OK || again != saved)
        return "reload differs";
    return saved;
}

struct s_job {
    std::string name;
    std::function<std::string(const std::string& path)> run;
};

std::vector<s_job> jobs() {
    std::vector<s_job> all;
    all.push_back({"flash", [text = example("flash-invoke.xml")](const std::string& path) {
                       return round_trip<flash_lmx::c_invoke>(
                           text, path, [](flash_lmx::c_invoke& call) {
                               call.get_arguments().append_FlashClass();
                               call.get_arguments().back_FlashClass().set_string(L"t\u00e9");
                           });
                   }});
    for (const char* element : {"Settings", "Resource", "Parameter", "WPSubsystems"}) {
        all.push_back({element, [text = example(std::string("settings-") + element + ".xml")](
                                    const std::string& path) {
                           return round_trip<DravikSettings::c_root>(
                               text, path, [](DravikSettings::c_root&) {});
                       }});
    }
    for (const char* element : {"ClientCommand", "ServerMessage", "LocalMessages", "Toolbar"}) {
        all.push_back({element, [text = example(std::string("messaging-") + element + ".xml")](
                                    const std::string& path) {
                           return round_trip<dravik_lmx::c_root>(text, path,
                                                                 [](dravik_lmx::c_root&) {});
                       }});
    }
    return all;
}

TEST(Threads, EachThreadGetsWhatOneThreadAloneGets) {
    const std::vector<s_job> all = jobs();
    std::vector<std::string> expected;
    for (const s_job& job : all)
        expected.push_back(job.run(lmx_test::temporary_path("threads_alone_" + job.name + ".xml")));
    for (const std::string& text : expected)
        ASSERT_EQ(text.rfind("<?xml", 0), 0u) << text;

    std::vector<std::vector<std::string>> failures(k_threads);
    std::vector<std::thread> threads;
    for (int t = 0; t < k_threads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < k_rounds; ++round) {
                // Threads start at different documents so that all schemas run at once.
                const std::size_t index = static_cast<std::size_t>(t + round) % all.size();
                const std::string path = lmx_test::temporary_path("threads_" + std::to_string(t) +
                                                                  "_" + all[index].name + ".xml");
                if (all[index].run(path) != expected[index])
                    failures[t].push_back(all[index].name + " in round " + std::to_string(round));
                std::remove(path.c_str());
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < k_threads; ++t)
        EXPECT_TRUE(failures[t].empty()) << "thread " << t << ": " << failures[t].front();
}

}  // namespace
