// The settings file config.dsc (its blocks and their readers) and the settings text
// (import and export).
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/settings/config_blocks.h"
#include "core/settings/settings_export.h"
#include "core/settings/settings_import.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/seeds.h"
#include "support/settings_blocks.h"

namespace fuzz {
namespace {

std::vector<Bytes> ConfigSeeds(FuzzContext&) {
    Bytes empty(kConfigFileSize, 0);
    InitConfigImage(empty.data(), static_cast<int64_t>(empty.size()));
    return {BuildConfig(SettingsText()), empty};
}

// Writes the settings text of whatever blocks the file yields, and reads the bounded fields.
void ReadBlocks(MappedFile* f, FuzzContext& c) {
    for (const char* name : {kImeBlockName, kDmeBlockName, kSkinBlockName, kSoftBlockName, "x"})
        FindConfigBlock(f, name);
    ImeConfigData* ime = FindImeConfig(f);
    DmeConfigData* dme = FindDmeConfig(f);
    SkinConfigData* skin = FindSkinConfig(f);
    SoftConfigData* soft = FindSoftConfig(f);
    uint64_t sink = 0;
    if (ime) sink += RecentCount(ime) + LastOutputCount(ime) + CandidatesPerPage(ime->listOptions);
    if (dme) sink += ComboCount(dme);
    if (skin) sink += static_cast<uint64_t>(PrefixCount(skin));
    if (soft) {
        wchar_t out[600];
        sink += LanguageIdOf(soft) + ReadFieldText(soft->productName, out, 600) +
                ReadFieldText(soft->updateUrl, out, 600);
    }
    (void)sink;
    if (ime && dme && skin) {
        ++c.deep;
        const OptionSectionCodec codec = testing_support::RecordingCodec();
        const std::wstring path = c.scratch + L"\\export.txt";
        ExportSettingsText(ime, dme, skin, &codec, path.c_str());
    }
}

void RunConfig(const uint8_t* data, size_t size, FuzzContext& c) {
    MemoryTable m(const_cast<uint8_t*>(data), size);
    ReadBlocks(m.get(), c);
}

std::vector<Bytes> SettingsTextSeeds(FuzzContext& c) {
    std::vector<Bytes> s;
    s.push_back(Utf16Bytes(SettingsText()));
    // The writer's own text, decoded from its UTF-8.
    Bytes exported = ExportSettings(c, BuildConfig(SettingsText()));
    if (exported.size() > 3) {
        std::string utf8(exported.begin() + 3, exported.end());
        s.push_back(Utf16Bytes(Widen(utf8)));
    }
    return s;
}

void RunSettingsText(const uint8_t* data, size_t size, FuzzContext& c) {
    static Bytes config = BuildConfig(L"");
    Bytes copy = config;
    MemoryTable m(copy.data(), copy.size());
    ImeConfigData* ime = FindImeConfig(m.get());
    DmeConfigData* dme = FindDmeConfig(m.get());
    SkinConfigData* skin = FindSkinConfig(m.get());
    const OptionSectionCodec codec = testing_support::RecordingCodec();
    // The text as it stands (no terminator), then NUL-terminated.
    ImportSettingsText(std::wstring_view(reinterpret_cast<const wchar_t*>(data), size / 2), ime,
                       dme, skin, &codec);
    testing_support::RecordedPairs().clear();
    GuardedText text(data, size);
    ImportSettingsText(text.text(), ime, dme, skin, nullptr);
    ReadBlocks(m.get(), c);
    testing_support::RecordedPairs().clear();
}

const bool registered = RegisterTarget({"config-blocks",
                                        InputShape::kBinary,
                                        1500,
                                        ConfigSeeds,
                                        RunConfig,
                                        {{0, 132},
                                         {kImeBlockOffset, kImeBlockOffset + 64},
                                         {kImeBlockOffset + 16440, kImeBlockOffset + 16460},
                                         {kImeBlockOffset + 21720, kImeBlockOffset + 21870},
                                         {kDmeBlockOffset, kDmeBlockOffset + 64},
                                         {kDmeBlockOffset + 12596, kDmeBlockOffset + 12612},
                                         {kSkinBlockOffset, kSkinBlockOffset + 64},
                                         {kSoftBlockOffset, kSoftBlockOffset + 64}},
                                        false}) &&
                        RegisterTarget({"settings-text",
                                        InputShape::kText16,
                                        1500,
                                        SettingsTextSeeds,
                                        RunSettingsText,
                                        {},
                                        false});

}  // namespace
}  // namespace fuzz
