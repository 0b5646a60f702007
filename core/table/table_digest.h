// Digest of a table's signature text, written into the header of a built table.
#pragma once
#include <cstddef>

constexpr int kTableDigestChars = 16;
constexpr int kMaxSignatureBytes = 17;

// MD5 of the signature (at most 17 bytes) as 32 lower-case hexadecimal digits, the MD5 of that
// text the same way, once more; the first 16 digits of the third text go to out (no NUL).
void MakeTableDigest(const char* signature, char (&out)[kTableDigestChars]);
