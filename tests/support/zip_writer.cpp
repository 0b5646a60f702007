#include "support/zip_writer.h"

#include <zlib.h>

namespace testing_support {
namespace {
void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
std::string Deflate(const std::string& in) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, in.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
}  // namespace

std::vector<uint8_t> MakeZip(const std::vector<ZipItem>& items) {
    std::vector<uint8_t> out, central;
    for (const auto& it : items) {
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(it.data.data()),
                             static_cast<uInt>(it.data.size()));
        if (it.corruptCrc) crc ^= 0x5A5A5A5A;
        std::string body = it.deflate ? Deflate(it.data) : it.data;
        uint32_t offset = static_cast<uint32_t>(out.size());
        uint16_t method = it.deflate ? 8 : 0;
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, method);
        Put16(out, 0);
        Put16(out, 0x21);
        Put32(out, crc);
        Put32(out, static_cast<uint32_t>(body.size()));
        Put32(out, static_cast<uint32_t>(it.data.size()));
        Put16(out, static_cast<uint32_t>(it.name.size()));
        Put16(out, 0);
        out.insert(out.end(), it.name.begin(), it.name.end());
        out.insert(out.end(), body.begin(), body.end());

        Put32(central, 0x02014b50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, method);
        Put16(central, 0);
        Put16(central, 0x21);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(body.size()));
        Put32(central, static_cast<uint32_t>(it.data.size()));
        Put16(central, static_cast<uint32_t>(it.name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, it.name.size() && it.name.back() == '/' ? 0x10 : 0);
        Put32(central, offset);
        central.insert(central.end(), it.name.begin(), it.name.end());
    }
    uint32_t cdOffset = static_cast<uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(items.size()));
    Put16(out, static_cast<uint32_t>(items.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, cdOffset);
    Put16(out, 0);
    return out;
}

}  // namespace testing_support
