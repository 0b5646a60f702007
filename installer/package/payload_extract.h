// Unpacking the payload archive with progress.
#pragma once
#include <cstdint>

// Status text and bytes written so far of all bytes; called on the extracting thread.
struct ExtractProgress {
    void (*report)(void* context, const wchar_t* text, uint64_t done, uint64_t total);
    void* context;
};

constexpr int kExtractStatusUnits = 128;
constexpr int kExtractNameChars = 64;

// True when name, joined to folder, stays inside folder after the system's own path
// normalisation.
bool StaysInsideFolder(const wchar_t* folder, const wchar_t* name);

// Writes every entry of archive under folder (sub-folders made), reporting "Success: %s" or
// "Failure: %s" per entry and "Completed." at the end. True only when every entry was
// written; a failed entry does not stop the others.
bool ExtractPayload(const wchar_t* archive, const wchar_t* folder, const ExtractProgress* progress);
