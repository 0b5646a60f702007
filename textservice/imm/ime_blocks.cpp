#include "textservice/imm/ime_blocks.h"

#include <cstring>

namespace {

// Resizes block to size, or creates it; false when a resize had to be replaced.
bool SizeBlock(HIMCC* block, DWORD size) {
    if (*block) {
        if (HIMCC resized = ImmReSizeIMCC(*block, size)) {
            *block = resized;
            return true;
        }
        ImmDestroyIMCC(*block);
        *block = ImmCreateIMCC(size);
        return false;
    }
    *block = ImmCreateIMCC(size);
    return *block != nullptr;
}

template <typename T, typename Init>
bool LayOut(HIMCC block, Init init) {
    if (!block) return false;
    auto* p = static_cast<T*>(ImmLockIMCC(block));
    if (!p) return false;
    init(p);
    ImmUnlockIMCC(block);
    return true;
}

}  // namespace

void InitCompositionString(COMPOSITIONSTRING* cs) {
    std::memset(cs, 0, kCompStrBytes);
    cs->dwSize = kCompStrBytes;
    cs->dwCompReadAttrOffset = kCompReadAttrOffset;
    cs->dwCompReadClauseOffset = kCompReadClauseOffset;
    cs->dwCompReadStrOffset = kCompReadStrOffset;
    cs->dwCompAttrOffset = kCompAttrOffset;
    cs->dwCompClauseOffset = kCompClauseOffset;
    cs->dwCompStrOffset = kCompStrOffset;
    cs->dwResultReadClauseOffset = kResultReadClauseOffset;
    cs->dwResultReadStrOffset = kResultReadStrOffset;
    cs->dwResultClauseOffset = kResultClauseOffset;
    cs->dwResultStrOffset = kResultStrOffset;
    cs->dwPrivateOffset = kCompPrivateOffset;
}

void InitCandidateInfo(CANDIDATEINFO* ci) {
    std::memset(ci, 0, kCandInfoBytes);
    ci->dwSize = kCandInfoBytes;
    ci->dwCount = 1;
    ci->dwOffset[0] = ci->dwOffset[1] = ci->dwOffset[2] = kCandListOffset;
    ci->dwPrivateOffset = kCandPrivateOffset;
    CANDIDATELIST* list = CandidateListOf(ci);
    list->dwSize = kCandListBytes;
    list->dwStyle = IME_CAND_READ;
    list->dwPageSize = kCandPageSize;
    for (DWORD i = 0; i < kCandSlots; ++i) list->dwOffset[i] = kCandSlotFirst + kCandSlotBytes * i;
}

CANDIDATELIST* CandidateListOf(CANDIDATEINFO* ci) {
    return reinterpret_cast<CANDIDATELIST*>(reinterpret_cast<BYTE*>(ci) + kCandListOffset);
}

wchar_t* CandidateSlot(CANDIDATELIST* list, DWORD i) {
    return reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(list) + kCandSlotFirst +
                                      kCandSlotBytes * i);
}

void WriteUnits(void* block, DWORD offset, const wchar_t* text, DWORD units) {
    std::memcpy(static_cast<BYTE*>(block) + offset, text, units * sizeof(wchar_t));
}

void ReadUnits(const void* block, DWORD offset, wchar_t* out, DWORD units) {
    std::memcpy(out, static_cast<const BYTE*>(block) + offset, units * sizeof(wchar_t));
}

BlockSetUp SetUpContextBlocks(INPUTCONTEXT* ic) {
    bool ok = SizeBlock(&ic->hCompStr, kCompStrBytes);
    ok = LayOut<COMPOSITIONSTRING>(ic->hCompStr, InitCompositionString) && ok;
    if (ok) {
        ok = SizeBlock(&ic->hCandInfo, kCandInfoBytes);
        ok = LayOut<CANDIDATEINFO>(ic->hCandInfo, InitCandidateInfo) && ok;
    }
    if (ok) {
        ok = SizeBlock(&ic->hPrivate, kPrivateBlockBytes);
        ok = LayOut<BYTE>(ic->hPrivate, [](BYTE* p) { std::memset(p, 0, kPrivateBlockBytes); }) &&
             ok;
    }
    return ok ? BlockSetUp::kReady : BlockSetUp::kFailed;
}
