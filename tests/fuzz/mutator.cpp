#include "fuzz/mutator.h"

#include <algorithm>
#include <cstring>

namespace fuzz {

uint64_t HashName(const char* name) {
    uint64_t h = 1469598103934665603ull;
    for (const char* p = name; *p; ++p) h = (h ^ static_cast<uint8_t>(*p)) * 1099511628211ull;
    return h;
}

namespace {

constexpr size_t kMaxInput = 4u << 20;

// Values that sit on the edges of counts, sizes and offsets of the formats.
uint32_t InterestingValue(Random& r, size_t size) {
    const uint32_t values[] = {
        0,          1,          2,          3,          4,          5,          0x7F,  0x80,
        0xFF,       0x100,      0xFFFF,     0x10000,    65692,      65696,      67744, 200864,
        0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 0x3FFFFFFF, 0x40000000, 44320, 132};
    switch (r.Below(4)) {
        case 0:
            return values[r.Below(sizeof values / sizeof values[0])];
        case 1: {
            const int64_t delta = static_cast<int64_t>(r.Below(9)) - 4;
            return static_cast<uint32_t>(static_cast<int64_t>(size) + delta);
        }
        case 2:
            return r.Below(static_cast<uint32_t>(size) + 1);
        default:
            return static_cast<uint32_t>(r.Next());
    }
}

size_t HotOffset(Random& r, const FuzzTarget& t, size_t size) {
    if (!t.hot.empty() && !r.OneIn(3)) {
        const HotRange& h = t.hot[r.Below(t.hot.size())];
        const uint32_t end = std::min<uint32_t>(h.end, static_cast<uint32_t>(size));
        if (h.first < end) return (h.first + r.Below(end - h.first)) & ~size_t{3};
    }
    if (r.OneIn(2) && size > 0) return r.Below(std::min<size_t>(size, 256));
    return r.Below(size);
}

// Pieces that mean something to the text formats.
const wchar_t* const kTokens[] = {
    L"\t",
    L"#",
    L"##",
    L"\\",
    L"\\r",
    L"\\t",
    L"\\s",
    L"//",
    L"///",
    L"\r\n",
    L"\n",
    L"\r",
    L"=",
    L"---config@",
    L"[-",
    L"-]",
    L"#序",
    L"#类",
    L"#删",
    L"#固",
    L"#用",
    L"#次",
    L"#辅",
    L"是",
    L"否",
    L"切换",
    L"L1B1",
    L"L9F2",
    L"P2=",
    L"P30=",
    L"-1",
    L"0",
    L"65536",
    L"99999999999",
    L"码表分类=",
    L"主码-",
    L"全局排序数值=",
    L"初始化排序数值=",
    L"[-IME设置-]",
    L"[-按键功能-]",
    L"[-构词规则定义-]",
    L"[-非编码符号转义定义表-]",
    L"[-键位字根表-]",
    L"[-DME设置-]",
    L"[-SKIN设置-]",
    L"+键Ctrl",
    L"键F10",
    L"<",
    L">",
    L"</",
    L"/>",
    L"<?",
    L"?>",
    L"\"",
    L" ",
    L"=\"",
    L"\x3000",
    L"\xFF11",
    L"\xFF0A",
    L"\xD800",
    L"\xDC00",
    L"\xD83D\xDE00",
    L"\xFFFF",
    L"\xFEFF",
};

struct Text {
    // Units of the text (bytes for kText8, UTF-16 units for kText16).
    std::vector<uint32_t> units;
    size_t unitBytes;
};

Text ToUnits(const Bytes& b, size_t unitBytes) {
    Text t{{}, unitBytes};
    for (size_t i = 0; i + unitBytes <= b.size(); i += unitBytes) {
        uint32_t u = b[i];
        if (unitBytes == 2) u |= static_cast<uint32_t>(b[i + 1]) << 8;
        t.units.push_back(u);
    }
    return t;
}

Bytes FromUnits(const Text& t) {
    Bytes b;
    for (uint32_t u : t.units) {
        b.push_back(static_cast<uint8_t>(u));
        if (t.unitBytes == 2) b.push_back(static_cast<uint8_t>(u >> 8));
    }
    return b;
}

std::vector<uint32_t> TokenUnits(const wchar_t* token, size_t unitBytes) {
    std::vector<uint32_t> out;
    if (unitBytes == 2) {
        for (const wchar_t* p = token; *p; ++p) out.push_back(*p);
        return out;
    }
    // UTF-8, a lone surrogate encoded as it stands (a broken text is a useful input).
    for (const wchar_t* p = token; *p; ++p) {
        uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        if (c < 0x80) {
            out.push_back(c);
        } else if (c < 0x800) {
            out.push_back(0xC0 | (c >> 6));
            out.push_back(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out.push_back(0xE0 | (c >> 12));
            out.push_back(0x80 | ((c >> 6) & 0x3F));
            out.push_back(0x80 | (c & 0x3F));
        } else {
            out.push_back(0xF0 | (c >> 18));
            out.push_back(0x80 | ((c >> 12) & 0x3F));
            out.push_back(0x80 | ((c >> 6) & 0x3F));
            out.push_back(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Line boundaries: positions just after each line break.
std::vector<size_t> LineStarts(const std::vector<uint32_t>& u) {
    std::vector<size_t> s{0};
    for (size_t i = 0; i < u.size(); ++i)
        if (u[i] == '\n') s.push_back(i + 1);
    return s;
}

void TextEdit(Random& r, Text& t, const std::vector<Bytes>& seeds) {
    std::vector<uint32_t>& u = t.units;
    const std::vector<size_t> starts = LineStarts(u);
    auto lineAt = [&](size_t k) {
        const size_t a = starts[k];
        const size_t b = k + 1 < starts.size() ? starts[k + 1] : u.size();
        return std::vector<uint32_t>(u.begin() + a, u.begin() + b);
    };
    switch (r.Below(7)) {
        case 0: {  // duplicate a line somewhere
            if (starts.empty()) break;
            std::vector<uint32_t> line = lineAt(r.Below(starts.size()));
            const size_t at = starts[r.Below(starts.size())];
            u.insert(u.begin() + at, line.begin(), line.end());
            break;
        }
        case 1: {  // delete a line
            if (starts.size() < 2) break;
            const size_t k = r.Below(starts.size());
            const size_t a = starts[k];
            const size_t b = k + 1 < starts.size() ? starts[k + 1] : u.size();
            u.erase(u.begin() + a, u.begin() + b);
            break;
        }
        case 2: {  // swap two lines
            if (starts.size() < 3) break;
            size_t i = r.Below(starts.size() - 1), j = r.Below(starts.size() - 1);
            if (i == j) break;
            if (i > j) std::swap(i, j);
            std::vector<uint32_t> li = lineAt(i), lj = lineAt(j);
            std::vector<uint32_t> out(u.begin(), u.begin() + starts[i]);
            out.insert(out.end(), lj.begin(), lj.end());
            out.insert(out.end(), u.begin() + starts[i + 1], u.begin() + starts[j]);
            out.insert(out.end(), li.begin(), li.end());
            out.insert(out.end(), u.begin() + starts[j + 1], u.end());
            u.swap(out);
            break;
        }
        case 3:
        case 4: {  // insert a token
            const std::vector<uint32_t> tok =
                TokenUnits(kTokens[r.Below(sizeof kTokens / sizeof kTokens[0])], t.unitBytes);
            const size_t at = r.OneIn(3) && !starts.empty() ? starts[r.Below(starts.size())]
                                                            : r.Below(u.size() + 1);
            u.insert(u.begin() + at, tok.begin(), tok.end());
            break;
        }
        case 5: {  // a long run of one unit (a word, a code, a name)
            const uint32_t unit = r.OneIn(2) ? 'a' : (t.unitBytes == 2 ? 0x4E2D : 0xE4);
            const size_t n = 100 + r.Below(400);
            u.insert(u.begin() + r.Below(u.size() + 1), n, unit);
            break;
        }
        default: {  // a line of another seed
            const Bytes& other = seeds[r.Below(seeds.size())];
            Text o = ToUnits(other, t.unitBytes);
            const std::vector<size_t> os = LineStarts(o.units);
            const size_t k = r.Below(os.size());
            const size_t a = os[k];
            const size_t b = k + 1 < os.size() ? os[k + 1] : o.units.size();
            const size_t at = starts[r.Below(starts.size())];
            u.insert(u.begin() + at, o.units.begin() + a, o.units.begin() + b);
            break;
        }
    }
}

void ByteEdit(Random& r, const FuzzTarget& t, Bytes& b, const std::vector<Bytes>& seeds) {
    switch (r.Below(10)) {
        case 0:
            if (!b.empty()) b[r.Below(b.size())] ^= static_cast<uint8_t>(1u << r.Below(8));
            break;
        case 1:
            if (!b.empty()) b[r.Below(b.size())] = static_cast<uint8_t>(r.Next());
            break;
        case 2:
        case 3: {  // a 32-bit value, mostly where headers, counts and offsets live
            if (b.size() < 4) break;
            size_t at = HotOffset(r, t, b.size() - 3);
            if (at + 4 > b.size()) at = b.size() - 4;
            const uint32_t v = InterestingValue(r, b.size());
            std::memcpy(&b[at], &v, 4);
            break;
        }
        case 4:  // truncation
            if (!b.empty())
                b.resize(r.OneIn(2) ? b.size() - 1 - r.Below(std::min<size_t>(b.size(), 16))
                                    : r.Below(b.size()));
            break;
        case 5: {  // extension
            const size_t n = 1 + r.Below(r.OneIn(4) ? 70000 : 64);
            const uint8_t fill = r.OneIn(2) ? 0 : static_cast<uint8_t>(r.Next());
            b.insert(b.end(), n, fill);
            break;
        }
        case 6: {  // splice with another seed
            const Bytes& o = seeds[r.Below(seeds.size())];
            const size_t cut = r.Below(b.size() + 1);
            const size_t from = r.Below(o.size() + 1);
            b.resize(cut);
            b.insert(b.end(), o.begin() + from, o.end());
            break;
        }
        case 7: {  // copy a chunk over another place
            if (b.size() < 2) break;
            const size_t n = 1 + r.Below(std::min<size_t>(b.size() / 2, 512));
            const size_t from = r.Below(b.size() - n + 1), to = r.Below(b.size() - n + 1);
            std::memmove(&b[to], &b[from], n);
            break;
        }
        case 8: {  // delete a chunk
            if (b.empty()) break;
            const size_t at = r.Below(b.size());
            const size_t n = 1 + r.Below(std::min<size_t>(b.size() - at, 256));
            b.erase(b.begin() + at, b.begin() + at + n);
            break;
        }
        default: {  // insert random bytes
            const size_t n = 1 + r.Below(16);
            const size_t at = r.Below(b.size() + 1);
            for (size_t i = 0; i < n; ++i) b.insert(b.begin() + at, static_cast<uint8_t>(r.Next()));
            break;
        }
    }
}

}  // namespace

Bytes MakeInput(const FuzzTarget& target, const std::vector<Bytes>& seeds, uint64_t runSeed,
                uint64_t index) {
    Random r(HashName(target.name) ^ (runSeed * 0x2545F4914F6CDD1Dull) ^
             (index * 0x9E3779B97F4A7C15ull));
    if (seeds.empty()) return {};
    Bytes b = seeds[r.Below(seeds.size())];
    if (index % 16 == 0) return b;
    const int rounds =
        r.OneIn(8) ? 4 + static_cast<int>(r.Below(13)) : 1 + static_cast<int>(r.Below(3));
    const bool text = target.shape != InputShape::kBinary;
    const size_t unitBytes = target.shape == InputShape::kText16 ? 2 : 1;
    for (int i = 0; i < rounds; ++i) {
        if (text && !r.OneIn(4)) {
            Text t = ToUnits(b, unitBytes);
            TextEdit(r, t, seeds);
            b = FromUnits(t);
        } else {
            ByteEdit(r, target, b, seeds);
        }
        if (b.size() > kMaxInput) b.resize(kMaxInput);
    }
    return b;
}

}  // namespace fuzz
