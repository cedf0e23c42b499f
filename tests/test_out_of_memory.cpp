// Running out of memory at every allocation of a load or a save in turn: the library answers
// with an error code, never an exception, and leaves the object new or the file as it was.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>

#include "Generated/DravikSettings.h"
#include "Generated/flash-invoke.h"
#include "Generated/lmx.h"
#include "saved_documents.h"

// The replaced operators below pair malloc with free; the compiler only sees new and free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

// Allocations still allowed before the next one fails; negative means no limit.
std::atomic<long> g_allocations_left{-1};

class c_allocation_limit {
public:
    explicit c_allocation_limit(long allowed) { g_allocations_left = allowed; }
    ~c_allocation_limit() { g_allocations_left = -1; }
    bool was_reached() const { return g_allocations_left == 0; }
};

}  // namespace

void* operator new(std::size_t size) {
    long left = g_allocations_left.load();
    while (left > 0 && !g_allocations_left.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

constexpr long k_enough = 100000;

const std::string k_call =
    "<invoke name=\"play\" returntype=\"xml\"><arguments><string>intro</string><number>3</number>"
    "<array><property id=\"1\"><true/></property></array></arguments></invoke>";

// An example document loaded through a document root with ever more allocations allowed.
template <typename Root>
void expect_root_load_fails_cleanly(const std::string& example) {
    SCOPED_TRACE(example);
    const std::string data = LMX_TEST_DATA_DIR;
    const std::string text = lmx_test::read_file(data.substr(0, data.rfind("/tests/")) +
                                                 "/examples/documents/" + example);
    lmx::elmx_error error = lmx::ELMX_OK;
    for (long allowed = 0; allowed < k_enough; allowed += 7) {
        Root root;
        {
            c_allocation_limit limit(allowed);
            error = root.unmarshal(text);
        }
        if (error == lmx::ELMX_OK) break;
        ASSERT_EQ(error, lmx::ELMX_UNDEFINED_ERROR) << allowed;
        EXPECT_EQ(root.getchosen(), Root::chosen_none) << allowed;
    }
    EXPECT_EQ(error, lmx::ELMX_OK);
}

TEST(OutOfMemory, LoadingFailsWithACodeAndLeavesTheDocumentNew) {
    bool loaded = false;
    for (long allowed = 0; allowed < k_enough && !loaded; ++allowed) {
        flash_lmx::c_invoke invoke;
        lmx::elmx_error error = lmx::ELMX_OK;
        {
            c_allocation_limit limit(allowed);
            error = invoke.unmarshal(k_call);
        }
        loaded = error == lmx::ELMX_OK;
        if (loaded) break;
        ASSERT_EQ(error, lmx::ELMX_UNDEFINED_ERROR) << "after " << allowed << " allocations";
        EXPECT_TRUE(invoke.get_name().empty()) << allowed;
        EXPECT_FALSE(invoke.isset_arguments()) << allowed;
    }
    EXPECT_TRUE(loaded);

    expect_root_load_fails_cleanly<DravikSettings::c_root>("settings-Settings.xml");
    expect_root_load_fails_cleanly<dravik_lmx::c_root>("messaging-ClientCommand.xml");
    expect_root_load_fails_cleanly<dravik_lmx::c_root>("messaging-ServerMessage.xml");
}

TEST(OutOfMemory, SavingFailsWithACodeAndChangesNothing) {
    lmx::elmx_error error = lmx::ELMX_OK;
    const flash_lmx::c_invoke invoke(k_call, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);
    const std::string path = lmx_test::temporary_path("out_of_memory.xml");
    ASSERT_EQ(invoke.marshal(path.c_str()), lmx::ELMX_OK);
    const std::string before = lmx_test::read_file(path);

    bool saved = false;
    for (long allowed = 0; allowed < k_enough && !saved; ++allowed) {
        std::string text = "unchanged";
        std::ostringstream stream;
        lmx::elmx_error to_string = lmx::ELMX_OK;
        lmx::elmx_error to_stream = lmx::ELMX_OK;
        lmx::elmx_error to_file = lmx::ELMX_OK;
        {
            c_allocation_limit limit(allowed);
            to_string = invoke.marshal(&text);
        }
        {
            c_allocation_limit limit(allowed);
            to_stream = invoke.marshal(stream);
        }
        // A stream keeps what it took; it must not be reported whole when it is not.
        if (to_stream == lmx::ELMX_OK) {
            EXPECT_EQ(stream.str(), before) << allowed;
        } else {
            EXPECT_EQ(to_stream, lmx::ELMX_UNDEFINED_ERROR) << allowed;
        }
        {
            c_allocation_limit limit(allowed);
            to_file = invoke.marshal(path.c_str());
        }
        saved = to_string == lmx::ELMX_OK && to_file == lmx::ELMX_OK;
        if (to_string != lmx::ELMX_OK) {
            EXPECT_EQ(to_string, lmx::ELMX_UNDEFINED_ERROR) << allowed;
            EXPECT_EQ(text, "unchanged") << allowed;
        }
        if (to_file != lmx::ELMX_OK) {
            EXPECT_EQ(lmx_test::read_file(path), before) << allowed;
        }
    }
    EXPECT_TRUE(saved);
    std::remove(path.c_str());
}

TEST(OutOfMemory, AStreamThatFailsOrThrowsIsAnError) {
    lmx::elmx_error error = lmx::ELMX_OK;
    const flash_lmx::c_invoke invoke(k_call, &error);
    ASSERT_EQ(error, lmx::ELMX_OK);

    std::ostringstream failed;
    failed.setstate(std::ios::failbit);
    EXPECT_EQ(invoke.marshal(failed), lmx::ELMX_UNDEFINED_ERROR);

    // A medium that fills up after a few bytes, once quietly and once with the stream told to
    // throw on failure.
    class c_full_after : public std::streambuf {
    public:
        explicit c_full_after(int room) : m_room(room) {}

    protected:
        int_type overflow(int_type ch) override {
            return m_room-- > 0 ? traits_type::not_eof(ch) : traits_type::eof();
        }

    private:
        int m_room;
    };
    c_full_after quiet_medium(40);
    std::ostream quiet(&quiet_medium);
    EXPECT_EQ(invoke.marshal(quiet), lmx::ELMX_UNDEFINED_ERROR);
    c_full_after throwing_medium(40);
    std::ostream throwing(&throwing_medium);
    throwing.exceptions(std::ios::badbit | std::ios::failbit);
    EXPECT_EQ(invoke.marshal(throwing), lmx::ELMX_UNDEFINED_ERROR);
    c_full_after roomy_medium(100000);
    std::ostream roomy(&roomy_medium);
    EXPECT_EQ(invoke.marshal(roomy), lmx::ELMX_OK);
}

}  // namespace
