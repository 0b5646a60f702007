// Fixtures of the installer's tests: a temporary folder of the process's own, the recording
// dialog port's calls by kind, installer files made of a program and a ZIP, settings files.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "dialog/testing/recording_ui_port.h"
#include "support/test_files.h"
#include "support/zip_writer.h"

namespace testing_support {

// TMP and TEMP of this process (and the programs it starts) point at a fresh folder, or at
// the given path; both are restored afterwards.
class ScratchTemp {
public:
    ScratchTemp() { Point(dir.path()); }
    explicit ScratchTemp(const std::wstring& longName) { Point(L"C:\\" + longName); }
    ~ScratchTemp() {
        Restore(L"TMP", oldTmp_);
        Restore(L"TEMP", oldTemp_);
    }
    ScratchTemp(const ScratchTemp&) = delete;
    ScratchTemp& operator=(const ScratchTemp&) = delete;
    TempDir dir;

private:
    void Point(const std::wstring& path) {
        oldTmp_ = Read(L"TMP");
        oldTemp_ = Read(L"TEMP");
        SetEnvironmentVariableW(L"TMP", path.c_str());
        SetEnvironmentVariableW(L"TEMP", path.c_str());
    }
    static std::wstring Read(const wchar_t* name) {
        wchar_t v[1024];
        DWORD n = GetEnvironmentVariableW(name, v, 1024);
        return n && n < 1024 ? std::wstring(v, n) : std::wstring();
    }
    static void Restore(const wchar_t* name, const std::wstring& v) {
        SetEnvironmentVariableW(name, v.empty() ? nullptr : v.c_str());
    }
    std::wstring oldTmp_, oldTemp_;
};

// The calls of one kind that a recording dialog port saw, in order.
inline std::vector<UiCall> CallsOf(const RecordingUiPort& ui, UiCallKind kind) {
    std::vector<UiCall> out;
    for (const UiCall& c : ui.calls)
        if (c.kind == kind) out.push_back(c);
    return out;
}
inline std::vector<UiCall> Messages(const RecordingUiPort& ui) {
    return CallsOf(ui, UiCallKind::Message);
}
// Shell starts: text is the file, extra the parameters.
inline std::vector<UiCall> Launches(const RecordingUiPort& ui) {
    return CallsOf(ui, UiCallKind::Shell);
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Offset of the LoaderFlags field of a PE image.
inline size_t LoaderFlagsOffset(const std::vector<uint8_t>& image) {
    uint32_t pe;
    std::memcpy(&pe, image.data() + 0x3C, 4);
    return pe + 0x80;
}

inline void SetLoaderFlags(std::vector<uint8_t>* file, size_t programLength, uint32_t value) {
    (void)programLength;
    std::memcpy(file->data() + LoaderFlagsOffset(*file), &value, 4);
}

// This test program with the ZIP appended and its length in LoaderFlags.
inline std::vector<uint8_t> MakeInstallerFile(const std::vector<uint8_t>& zip,
                                              std::vector<uint8_t>* programOut = nullptr) {
    std::vector<uint8_t> program = ReadFileBytes(SelfPath());
    const uint32_t length = static_cast<uint32_t>(program.size());
    std::memcpy(program.data() + LoaderFlagsOffset(program), &length, 4);
    if (programOut) *programOut = program;
    return Concat(program, zip);
}

constexpr GUID kPayloadGuid = {
    0xD7812E39, 0xFBD7, 0x43A7, {0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F}};
constexpr wchar_t kPayloadGuidText[] = L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";

// A config.dsc image of the four blocks, the product GUID and name set, the input-option
// block declaring the text service when tsf is set.
inline std::vector<uint8_t> MakeSettingsImage(bool tsf = true) {
    std::vector<uint8_t> image(kConfigFileSize);
    InitConfigImage(image.data(), static_cast<int64_t>(image.size()));
    auto* soft = reinterpret_cast<SoftConfigData*>(image.data() + kSoftBlockOffset);
    std::memcpy(soft->guid, &kPayloadGuid, 16);
    WriteFieldText(soft->productName, L"赞拓输入法");
    auto* ime = reinterpret_cast<ImeConfigData*>(image.data() + kImeBlockOffset);
    ime->features = tsf ? kFeatHasTsf : 0;
    return image;
}

inline std::string AsString(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

// A payload ZIP with a settings file and a few other entries.
inline std::vector<uint8_t> MakePayloadZip(bool tsf = true) {
    return MakeZip({{"$dataFiles$\\config.dsc", AsString(MakeSettingsImage(tsf)), true},
                    {"colourful\\default.col", std::string(3000, 'c'), true},
                    {"empty.txt", ""},
                    {"zanIME.ime", std::string(5000, 'i'), false}});
}

}  // namespace testing_support
