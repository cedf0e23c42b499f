#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

std::string read_all(c_read& source) {
    std::string out;
    for (int b = source.read(); b != -1; b = source.read())
        out += static_cast<char>(b);
    return out;
}

class FileSource : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = ::testing::TempDir() + "lmx_byte_sources_test.xml";
        content_.clear();
        for (int i = 0; i < 1300; ++i)
            content_ += static_cast<char>(i % 256);  // > 2 blocks
        std::ofstream(path_, std::ios::binary) << content_;
    }
    void TearDown() override { std::remove(path_.c_str()); }

    std::string path_;
    std::string content_;
};

TEST(MemorySource, ReadsBytesUnsignedAndRewinds) {
    const char data[] = {'a', '\xFF', '\0', 'b'};
    c_read_memory source(data, 4);
    EXPECT_TRUE(source.is_open());
    EXPECT_EQ(source.get_source_id(), nullptr);
    EXPECT_EQ(source.read(), 'a');
    EXPECT_EQ(source.read(), 255);
    EXPECT_EQ(source.read(), 0);
    EXPECT_EQ(source.read(), 'b');
    EXPECT_EQ(source.read(), -1);
    EXPECT_EQ(source.read(), -1);
    source.rewind();
    EXPECT_EQ(source.read(), 'a');

    c_read_memory copy = source;
    EXPECT_EQ(copy.read(), 255);

    std::string text = "xyz";
    c_read_string from_string(text);
    EXPECT_EQ(read_all(from_string), "xyz");
}

TEST_F(FileSource, ReadsInBlocksAndRewindsToTheFirstByte) {
    c_read_file source(path_.c_str());
    ASSERT_TRUE(source.is_open());
    EXPECT_STREQ(source.get_source_id(), path_.c_str());
    for (int i = 0; i < 700; ++i)
        source.read();
    source.rewind();
    EXPECT_EQ(read_all(source), content_);
    EXPECT_EQ(source.read(), -1);
}

TEST_F(FileSource, WideNameOpensTheSameFile) {
    std::wstring wide(path_.begin(), path_.end());
    c_read_file source(wide.c_str());
    ASSERT_TRUE(source.is_open());
    EXPECT_EQ(std::string(source.get_source_id()), path_);
    EXPECT_EQ(read_all(source), content_);
}

TEST_F(FileSource, StreamIsClosedUnlessLeftOpen) {
    std::FILE* stream = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    {
        c_read_file source(stream);
        EXPECT_STREQ(source.get_source_id(), "");
        source.leave_file_open_on_delete(true);
        EXPECT_EQ(source.read(), content_[0]);
    }
    EXPECT_EQ(std::fseek(stream, 0, SEEK_SET), 0);  // still ours to use
    {
        c_read_file source(stream);  // closes it when destroyed
        EXPECT_EQ(read_all(source), content_);
    }
}

TEST(FileSourceMissing, IsClosedAndReadsAsEnded) {
    c_read_file source("/nonexistent/dir/file.xml");
    EXPECT_FALSE(source.is_open());
    EXPECT_EQ(source.read(), -1);
    source.rewind();
    EXPECT_EQ(source.read(), -1);
    source.close();
    c_error errors;
    c_get_as_utf8 getter(source, errors);
    EXPECT_EQ(getter.get(), -1);
    EXPECT_FALSE(errors.is_errored());
}

}  // namespace
