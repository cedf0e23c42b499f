#include <gtest/gtest.h>

#include <chrono>
#include <iomanip>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

c_binary bytes_of(const std::string& text) {
    return c_binary(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::string as_text(const c_binary& value) {
    std::string text(value.size(), '\0');
    value.get(reinterpret_cast<unsigned char*>(&text[0]), text.size());
    return text;
}

std::string hex_of(const c_binary& value) {
    std::ostringstream os;
    os << c_as_hex(value);
    return os.str();
}

std::string base64_of(const c_binary& value) {
    std::ostringstream os;
    os << c_as_base64(value);
    return os.str();
}

c_binary random_bytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    c_binary value;
    for (std::size_t i = 0; i < count; ++i)
        value += static_cast<unsigned char>(generator());
    return value;
}

// A stream buffer that counts how often the stream hands it data.
class counting_buffer : public std::stringbuf {
public:
    int calls = 0;

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        ++calls;
        return std::stringbuf::xsputn(s, n);
    }
    int_type overflow(int_type c) override {
        ++calls;
        return std::stringbuf::overflow(c);
    }
};

TEST(BinaryValue, AccessCopyAndCompare) {
    c_binary value = bytes_of("abc");
    EXPECT_EQ(value.size(), 3u);
    EXPECT_EQ(value.at(1), 'b');
    EXPECT_EQ(value[2], 'c');
    value.at(0) = 'x';
    value[1] = 'y';
    EXPECT_EQ(as_text(value), "xyc");
    EXPECT_THROW(value.at(3), std::out_of_range);
    EXPECT_THROW(static_cast<const c_binary&>(value).at(99), std::out_of_range);

    unsigned char small[2] = {0, 0};
    EXPECT_EQ(value.get(small, 2), small);
    EXPECT_EQ(small[0], 'x');
    EXPECT_EQ(small[1], 'y');
    EXPECT_TRUE(value.equal(reinterpret_cast<const unsigned char*>("xyc"), 3));
    EXPECT_FALSE(value.equal(reinterpret_cast<const unsigned char*>("xy"), 2));
    EXPECT_TRUE(c_binary().equal(nullptr, 0));

    c_binary copy(value);
    copy.append('!');
    EXPECT_EQ(as_text(value), "xyc");
    EXPECT_NE(copy, value);
    copy.swap(value);
    EXPECT_EQ(as_text(value), "xyc!");
    EXPECT_EQ(as_text(copy), "xyc");
    value.set(nullptr, 0);
    EXPECT_EQ(value.size(), 0u);
}

TEST(BinaryValue, SameBytesAreEqualWhateverTheirHistory) {
    c_binary appended;
    appended += 0x0A;
    appended.append(0xFF);
    c_binary decoded_hex;
    decoded_hex.from_hex("0aFF");
    c_binary decoded_base64 = bytes_of("junk that is replaced");
    decoded_base64.from_base64("Cv8=");
    c_binary assigned;
    assigned = decoded_hex;
    EXPECT_EQ(appended, decoded_hex);
    EXPECT_EQ(appended, decoded_base64);
    EXPECT_EQ(appended, assigned);
    EXPECT_NE(appended, c_binary());
}

TEST(BinaryHex, ValidityDecodingAndOutput) {
    for (const char* text : {"", "0aFF", "0123456789abcdefABCDEF"})
        EXPECT_TRUE(c_binary::is_valid_hex(text)) << text;
    for (const char* text : {"ABC", "0g", "0 ", " 0a", "0x", "-1"})
        EXPECT_FALSE(c_binary::is_valid_hex(text)) << text;

    c_binary value = bytes_of("old");
    value.from_hex("0aFF");
    ASSERT_EQ(value.size(), 2u);
    EXPECT_EQ(value[0], 0x0A);
    EXPECT_EQ(value[1], 0xFF);
    EXPECT_EQ(hex_of(value), "0AFF");
    value.from_hex("abc");  // the odd last character is ignored
    ASSERT_EQ(value.size(), 1u);
    EXPECT_EQ(value[0], 0xAB);
    value.from_hex("");
    EXPECT_EQ(value.size(), 0u);
    EXPECT_EQ(hex_of(value), "");
}

TEST(BinaryHex, OutputLeavesTheStreamFormatAlone) {
    std::ostringstream os;
    os << std::hex << std::showbase << std::setfill('*');
    const std::ios::fmtflags flags = os.flags();
    os << c_as_hex(bytes_of("\x01\xab")) << ' ' << 255;
    EXPECT_EQ(os.str(), "01AB 0xff");
    EXPECT_EQ(os.flags(), flags);
    EXPECT_EQ(os.fill(), '*');
}

TEST(BinaryBase64, Validity) {
    for (const char* text : {"", "TWFu", "TWE=", "TQ==", "TW Fu", "TWFu\nTWFu", "TQ=\t",
                             "TQ ==", "TW==", "\t\n  ", "ab+/"})
        EXPECT_TRUE(c_binary::is_valid_base64(text)) << text;
    for (const char* text : {"TWF", "T===", "TWFuTQ=", "TWFu==", "TW*u", "TQ= =", "TQ==\n", "A",
                             "=", "====", "TQ=A", "TWFu TWF", "TWE==", "TW-_"})
        EXPECT_FALSE(c_binary::is_valid_base64(text)) << text;
}

TEST(BinaryBase64, DecodingSkipsWhatIsNotInTheAlphabet) {
    c_binary value = bytes_of("previous");
    value.from_base64("TWFu");
    EXPECT_EQ(as_text(value), "Man");
    value.from_base64("TQ==");
    EXPECT_EQ(as_text(value), "M");
    value.from_base64("TW Fu");
    EXPECT_EQ(as_text(value), "Man");
    value.from_base64("T\r\nW*F=u");
    EXPECT_EQ(as_text(value), "Man");
    value.from_base64("TWE");  // three leftover characters: two bytes
    EXPECT_EQ(as_text(value), "Ma");
    value.from_base64("TWFuT");  // a single leftover character still gives a byte
    ASSERT_EQ(value.size(), 4u);
    EXPECT_EQ(value[3], 19 << 2);  // "T" is 19
    value.from_base64("");
    EXPECT_EQ(value.size(), 0u);
}

TEST(BinaryBase64, OutputFollowsTheStandardVectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"Ma", "TWE="},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(base64_of(bytes_of(plain)), encoded) << plain;
        c_binary decoded;
        decoded.from_base64(encoded);
        EXPECT_EQ(as_text(decoded), plain);
    }
}

TEST(BinaryRoundTrip, EveryByteValueAndLength) {
    c_binary all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<unsigned char>(b);
    for (std::size_t length = 0; length <= 256; length += (length < 10 ? 1 : 37)) {
        c_binary value;
        value.set(&all[0], length);
        const std::string base64 = base64_of(value);
        const std::string hex = hex_of(value);
        EXPECT_TRUE(c_binary::is_valid_base64(base64)) << length;
        EXPECT_TRUE(c_binary::is_valid_hex(hex)) << length;
        c_binary from_base64, from_hex;
        from_base64.from_base64(base64);
        from_hex.from_hex(hex);
        EXPECT_EQ(from_base64, value) << length;
        EXPECT_EQ(from_hex, value) << length;
    }
}

TEST(BinaryLarge, MegabyteRoundTripsInLinearTimeAndFewWrites) {
    const auto start = std::chrono::steady_clock::now();
    const c_binary value = random_bytes(1 << 20, 7);

    counting_buffer buffer;
    std::ostream os(&buffer);
    os << c_as_base64(value);
    std::string base64 = buffer.str();
    EXPECT_EQ(base64.size(), ((1u << 20) + 2) / 3 * 4);
    EXPECT_LT(buffer.calls, 2000);

    // Line breaks every 76 characters, as mail encoders produce.
    std::string wrapped;
    for (std::size_t i = 0; i < base64.size(); i += 76)
        wrapped += base64.substr(i, 76) + "\r\n";
    EXPECT_TRUE(c_binary::is_valid_base64(base64));
    c_binary decoded;
    decoded.from_base64(wrapped);
    EXPECT_EQ(decoded, value);

    counting_buffer hex_buffer;
    std::ostream hex_os(&hex_buffer);
    hex_os << c_as_hex(value);
    EXPECT_LT(hex_buffer.calls, 2000);
    const std::string hex = hex_buffer.str();
    EXPECT_TRUE(c_binary::is_valid_hex(hex));
    decoded.from_hex(hex);
    EXPECT_EQ(decoded, value);

    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 5);
}

}  // namespace
