// The installer file: the program image, then the payload ZIP. The program part's length
// stands in the PE32+ optional header's LoaderFlags field (0: no payload).
#pragma once
#include <cstdint>

#include "installer/app/installer_state.h"

constexpr uint32_t kLfanewOffset = 0x3C;
constexpr uint32_t kLoaderFlagsFromPe = 0x80;  // from the "PE\0\0" signature
constexpr uint16_t kPe32PlusMagic = 0x20B;

enum class ContainerCheck {
    kOk,
    kNotProgram,     // no PE32+ image with a readable section table
    kNoPayload,      // LoaderFlags 0
    kBeyondFile,     // the program part would reach the end of the file or past it
    kInsideProgram,  // the program part would end inside the image's headers or sections
    kNotArchive,     // the payload does not start with a ZIP local-file header
};

struct ContainerLayout {
    uint32_t programLength;  // L
    uint64_t payloadLength;  // file length - L
    uint32_t imageEnd;       // end of the headers and the last section's raw data
};

ContainerCheck ReadContainerLayout(const uint8_t* view, uint64_t size, ContainerLayout* out);

enum class SplitResult {
    kSplit,        // both work files written
    kFromTemp,     // nothing split: the caller named the archive
    kKeptArchive,  // the running file could not be read; payloadPath names an existing file
    kDamaged,      // the file is no installer with a payload
    kWriteFailed,
};

// Writes workDir\installer.exe (the program part) and workDir\makedata.zip (the payload)
// from modulePath and sets payloadPath. With fromTemp set it does nothing.
SplitResult SplitInstallerPayload(InstallerState* state);
inline bool SplitSucceeded(SplitResult r) {
    return r != SplitResult::kDamaged && r != SplitResult::kWriteFailed;
}
