#include "core/base/sha256.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_files.h"

namespace {

using namespace testing_support;

std::string Hex(const std::string& message) {
    uint8_t digest[Sha256::kDigestBytes];
    Sha256::Digest(message.data(), message.size(), digest);
    char hex[Sha256::kHexChars + 1];
    Sha256::ToHex(digest, hex);
    return hex;
}

TEST(Sha256, PublishedTestVectors) {
    struct Vector {
        std::string message;
        const char* digest;
    };
    const Vector vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
         "lmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Vector& v : vectors) EXPECT_EQ(Hex(v.message), v.digest) << v.message.size();
}

TEST(Sha256, PiecewiseUpdatesAndFilesMatchOneShot) {
    // Lengths around the padding edge (55, 56) and the block (64).
    std::string data;
    for (int i = 0; i < 300; ++i) data.push_back(static_cast<char>(i * 13 + 5));
    TempDir dir;
    for (size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 127u, 128u, 300u}) {
        const std::string part = data.substr(0, length);
        uint8_t whole[Sha256::kDigestBytes], pieces[Sha256::kDigestBytes],
            file[Sha256::kDigestBytes];
        Sha256::Digest(part.data(), part.size(), whole);
        Sha256 s;
        for (size_t at = 0; at < part.size(); at += 7)
            s.Update(part.data() + at, part.size() - at < 7 ? part.size() - at : 7);
        s.Final(pieces);
        EXPECT_EQ(std::memcmp(whole, pieces, sizeof whole), 0) << length;
        const std::wstring path = dir / L"data.bin";
        ASSERT_TRUE(WriteFileBytes(path, part));
        ASSERT_TRUE(Sha256::DigestFile(path.c_str(), file));
        EXPECT_EQ(std::memcmp(whole, file, sizeof whole), 0) << length;
    }
    uint8_t none[Sha256::kDigestBytes];
    EXPECT_FALSE(Sha256::DigestFile((dir / L"missing.bin").c_str(), none));
}

}  // namespace
