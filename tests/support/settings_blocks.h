// Zeroed ime, dme and skin blocks and a stand-in for the option-section codec.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "core/settings/option_codec.h"

namespace testing_support {

struct SettingsBlocks {
    std::unique_ptr<ImeConfigData> ime = std::make_unique<ImeConfigData>();
    std::unique_ptr<DmeConfigData> dme = std::make_unique<DmeConfigData>();
    std::unique_ptr<SkinConfigData> skin = std::make_unique<SkinConfigData>();
};

// Codec of fixed section bodies that records every pair it is handed.
struct RecordedPair {
    void* block;
    std::wstring key;
    std::wstring value;
    int kind;
};
OptionSectionCodec RecordingCodec();
std::vector<RecordedPair>& RecordedPairs();
// Bodies the codec writes for kinds 1 and 2.
inline constexpr wchar_t kCodecInputBody[] = L"自动上屏码长=4\r\n";
inline constexpr wchar_t kCodecInterfaceBody[] = L"候选窗口横排=是\r\n";

// The text of a file written as UTF-8, without its byte-order mark.
std::wstring Utf8FileText(const std::wstring& path, bool* hadBom = nullptr);

}  // namespace testing_support
