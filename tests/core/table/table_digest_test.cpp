#include "core/table/table_digest.h"

#include <gtest/gtest.h>

#include <string>

#include "core/base/md5.h"

namespace {

TEST(TableDigest, TripleHexMd5) {
    // MD5("") = d41d8cd98f00b204e9800998ecf8427e (RFC 1321); the digest hashes that text twice
    // more.
    char h2[33], h3[33];
    Md5::DigestHex("d41d8cd98f00b204e9800998ecf8427e", 32, h2);
    Md5::DigestHex(h2, 32, h3);
    char out[kTableDigestChars];
    MakeTableDigest("", out);
    EXPECT_EQ(std::string(out, 16), std::string(h3, 16));
    // At most 17 bytes of the signature count.
    char a[kTableDigestChars], b[kTableDigestChars];
    MakeTableDigest("12345678901234567", a);
    MakeTableDigest("12345678901234567XYZ", b);
    EXPECT_EQ(std::string(a, 16), std::string(b, 16));
}

}  // namespace
