// Small skin packages made at test time.
#pragma once
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

inline std::vector<uint8_t> SkinPackage(const std::string& ini, std::vector<ZipItem> extra = {}) {
    std::vector<ZipItem> items = RequiredPictures();
    items.push_back({"skin.ini", ini, true});
    for (auto& e : extra) items.push_back(e);
    return MakeZip(items);
}

}  // namespace testing_support
