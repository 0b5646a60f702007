#include "core/base/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Vector {
    const char* message;
    const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Vector kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, RfcTestSuite) {
    for (const auto& v : kRfcVectors) {
        char hex[Md5::kHexChars + 1];
        Md5::DigestHex(v.message, std::strlen(v.message), hex);
        EXPECT_STREQ(hex, v.digest) << "message \"" << v.message << "\"";
    }
}

TEST(Md5, PiecewiseUpdatesMatchOneShot) {
    // Lengths around the 56-byte padding edge and the 64-byte block.
    std::string data;
    for (int i = 0; i < 200; ++i) data.push_back(static_cast<char>(i * 7 + 1));
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 200u}) {
        uint8_t whole[Md5::kDigestBytes];
        Md5::Digest(data.data(), length, whole);
        for (size_t step : {1u, 3u, 17u, 64u}) {
            Md5 md5;
            for (size_t at = 0; at < length; at += step) {
                md5.Update(data.data() + at, std::min(step, length - at));
            }
            uint8_t pieces[Md5::kDigestBytes];
            md5.Final(pieces);
            EXPECT_EQ(std::memcmp(whole, pieces, sizeof whole), 0)
                << "length " << length << " step " << step;
        }
    }
}

TEST(Md5, FinalStartsOver) {
    Md5 md5;
    md5.Update("junk", 4);
    uint8_t digest[Md5::kDigestBytes];
    md5.Final(digest);
    md5.Update("abc", 3);
    md5.Final(digest);
    char hex[Md5::kHexChars + 1];
    Md5::ToHex(digest, hex);
    EXPECT_STREQ(hex, "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
