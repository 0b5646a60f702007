// SHA-256 message digest (FIPS 180-4).
#pragma once
#include <cstddef>
#include <cstdint>

class Sha256 {
public:
    static constexpr int kDigestBytes = 32;
    static constexpr int kHexChars = 64;

    Sha256();
    void Update(const void* data, size_t size);
    // Finishes the digest; the object starts over afterwards.
    void Final(uint8_t (&digest)[kDigestBytes]);

    static void Digest(const void* data, size_t size, uint8_t (&digest)[kDigestBytes]);
    // 64 lower-case hexadecimal digits, NUL-terminated.
    static void ToHex(const uint8_t (&digest)[kDigestBytes], char (&hex)[kHexChars + 1]);
    // The digest of a whole file; false when it cannot be opened or read.
    static bool DigestFile(const wchar_t* path, uint8_t (&digest)[kDigestBytes]);

private:
    void Reset();
    void Transform(const uint8_t* block);

    uint32_t state_[8];
    uint64_t bytes_;
    uint8_t buffer_[64];
    size_t buffered_;
};
