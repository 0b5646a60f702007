#include "installer/package/installer_container.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "core/base/handles.h"
#include "installer/package/read_only_view.h"

namespace {

template <typename T>
T Read(const uint8_t* view, uint64_t at) {
    T v;
    std::memcpy(&v, view + at, sizeof v);
    return v;
}

constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSectionSize = 40;

bool WriteWhole(const wchar_t* path, const uint8_t* data, uint64_t size) {
    zan::UniqueHandle h(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    uint64_t done = 0;
    while (done < size) {
        DWORD want = static_cast<DWORD>(size - done > 0x1000000 ? 0x1000000 : size - done);
        DWORD wrote = 0;
        if (!WriteFile(h.get(), data + done, want, &wrote, nullptr) || wrote != want) {
            h.reset();
            DeleteFileW(path);
            return false;
        }
        done += wrote;
    }
    return true;
}

bool JoinWorkPath(const wchar_t* folder, const wchar_t* name, wchar_t (&out)[kPathChars]) {
    int n = _snwprintf(out, kPathChars, L"%ls\\%ls", folder, name);
    if (n < 0 || n >= kPathChars) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool FileExists(const wchar_t* path) {
    DWORD a = GetFileAttributesW(path);
    return path[0] && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ContainerCheck ReadContainerLayout(const uint8_t* view, uint64_t size, ContainerLayout* out) {
    *out = ContainerLayout{};
    if (!view || size < kLfanewOffset + 4 || view[0] != 'M' || view[1] != 'Z')
        return ContainerCheck::kNotProgram;
    const uint64_t pe = Read<uint32_t>(view, kLfanewOffset);
    const uint64_t optional = pe + 4 + kFileHeaderSize;
    if (pe + kLoaderFlagsFromPe + 4 > size) return ContainerCheck::kNotProgram;
    if (std::memcmp(view + pe, "PE\0\0", 4) != 0 ||
        Read<uint16_t>(view, optional) != kPe32PlusMagic)
        return ContainerCheck::kNotProgram;
    const uint32_t sections = Read<uint16_t>(view, pe + 6);
    const uint64_t optionalSize = Read<uint16_t>(view, pe + 20);
    const uint64_t table = optional + optionalSize;
    if (table + uint64_t{sections} * kSectionSize > size) return ContainerCheck::kNotProgram;
    // SizeOfHeaders, then every section's raw data.
    uint64_t end = Read<uint32_t>(view, optional + 60);
    for (uint32_t i = 0; i < sections; ++i) {
        const uint64_t s = table + uint64_t{i} * kSectionSize;
        const uint64_t rawSize = Read<uint32_t>(view, s + 16);
        const uint64_t rawStart = Read<uint32_t>(view, s + 20);
        if (rawSize && rawStart + rawSize > end) end = rawStart + rawSize;
    }
    out->imageEnd = static_cast<uint32_t>(end > 0xFFFFFFFFu ? 0xFFFFFFFFu : end);
    const uint32_t length = Read<uint32_t>(view, pe + kLoaderFlagsFromPe);
    out->programLength = length;
    if (length == 0) return ContainerCheck::kNoPayload;
    if (length >= size) return ContainerCheck::kBeyondFile;
    if (length < end) return ContainerCheck::kInsideProgram;
    out->payloadLength = size - length;
    if (out->payloadLength < 4 || std::memcmp(view + length, "PK\3\4", 4) != 0)
        return ContainerCheck::kNotArchive;
    return ContainerCheck::kOk;
}

SplitResult SplitInstallerPayload(InstallerState* state) {
    if (state->fromTemp) return SplitResult::kFromTemp;
    ReadOnlyView self;
    if (!self.Open(state->modulePath))
        return FileExists(state->payloadPath) ? SplitResult::kKeptArchive : SplitResult::kDamaged;
    ContainerLayout layout;
    if (ReadContainerLayout(self.data(), self.size(), &layout) != ContainerCheck::kOk)
        return SplitResult::kDamaged;
    wchar_t program[kPathChars], payload[kPathChars];
    if (!JoinWorkPath(state->workDir, kProgramPartName, program) ||
        !JoinWorkPath(state->workDir, kPayloadName, payload))
        return SplitResult::kWriteFailed;
    if (!WriteWhole(program, self.data(), layout.programLength) ||
        !WriteWhole(payload, self.data() + layout.programLength, layout.payloadLength))
        return SplitResult::kWriteFailed;
    wmemcpy(state->payloadPath, payload, kPathChars);
    return FileExists(state->payloadPath) ? SplitResult::kSplit : SplitResult::kWriteFailed;
}
