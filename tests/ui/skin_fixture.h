// Small skin packages made at test time.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/png_writer.h"
#include "support/zip_writer.h"

namespace testing_support {

inline const char kVersionLine[] = ";------------------------for version 3.3+-------------------";

// A skin.ini in UTF-8 with a byte-order mark: the version line, a name and body lines.
inline std::string SkinIni(const std::string& body, const std::string& name = "测试") {
    std::string text = "\xEF\xBB\xBF";
    text += kVersionLine;
    text += "\r\n[-皮肤信息-]\r\n";
    if (!name.empty()) text += "名称=" + name + "\r\n";
    return text + body;
}

// The five required pictures, 20 x 10 opaque white each.
inline std::vector<ZipItem> RequiredPictures() {
    std::vector<ZipItem> items;
    for (const char* n :
         {"bar.png", "candHB.png", "candHB_shu.png", "candQR.png", "candQR_shu.png"})
        items.push_back({n, SolidPng(20, 10, 255, 255, 255, 255), true});
    return items;
}

// A grey picture of one shade: cheap to encode and decode at any size.
inline std::string GreyPng(int width, int height) {
    return MakePng(width, height, 0, std::vector<uint8_t>(size_t(width) * height, 0x80));
}

// A 2 x 2 picture whose header claims width x height (with a good CRC): the data is far too
// short for that size, so only a decoder that trusts the header would take the memory.
inline std::string ClaimedSizePng(uint32_t width, uint32_t height) {
    std::string png = SolidPng(2, 2, 1, 2, 3, 255);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) png[at + i] = char(v >> (24 - 8 * i));
    };
    put(16, width);  // signature 8, length 4, "IHDR" 4
    put(20, height);
    put(29, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17)));
    return png;
}

inline std::vector<uint8_t> SkinPackage(const std::string& ini, std::vector<ZipItem> extra = {}) {
    std::vector<ZipItem> items = RequiredPictures();
    items.push_back({"skin.ini", ini, true});
    for (auto& e : extra) items.push_back(e);
    return MakeZip(items);
}

}  // namespace testing_support
