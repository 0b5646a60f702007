// MD5 message digest (RFC 1321).
#pragma once
#include <cstddef>
#include <cstdint>

class Md5 {
public:
    static constexpr int kDigestBytes = 16;
    static constexpr int kHexChars = 32;

    Md5();
    void Update(const void* data, size_t size);
    // Finishes the digest; the object starts over afterwards.
    void Final(uint8_t (&digest)[kDigestBytes]);

    static void Digest(const void* data, size_t size, uint8_t (&digest)[kDigestBytes]);
    // 32 lower-case hexadecimal digits, high nibble first, NUL-terminated.
    static void ToHex(const uint8_t (&digest)[kDigestBytes], char (&hex)[kHexChars + 1]);
    static void DigestHex(const void* data, size_t size, char (&hex)[kHexChars + 1]);

private:
    void Reset();
    void Transform(const uint8_t* block);

    uint32_t state_[4];
    uint64_t bits_;
    uint8_t buffer_[64];
    size_t buffered_;
};
