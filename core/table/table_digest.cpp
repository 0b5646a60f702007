#include "core/table/table_digest.h"

#include <cstring>

#include "core/base/md5.h"

void MakeTableDigest(const char* signature, char (&out)[kTableDigestChars]) {
    size_t n = signature ? strnlen(signature, kMaxSignatureBytes) : 0;
    char hex[Md5::kHexChars + 1];
    Md5::DigestHex(signature ? signature : "", n, hex);
    for (int round = 1; round < 3; ++round) {
        char next[Md5::kHexChars + 1];
        Md5::DigestHex(hex, Md5::kHexChars, next);
        std::memcpy(hex, next, sizeof hex);
    }
    std::memcpy(out, hex, kTableDigestChars);
}
